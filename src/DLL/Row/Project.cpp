#include "DLL/Row/Project.h"

IZVProject* IZVProject::theCurrentProject = nullptr;

IZVProject::~IZVProject() = default;
