#include "DLL/Row/Library.h"

IZVLibrary* IZVLibrary::theLibrary = nullptr;

IZVLibrary::~IZVLibrary() = default;

IZVLibraryMedia::~IZVLibraryMedia() = default;
