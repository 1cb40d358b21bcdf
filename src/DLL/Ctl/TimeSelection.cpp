#include "DLL/Ctl/TimeSelection.h"

ITimeSelection* ITimeSelection::theSingleton = nullptr;

ITimeSelection::~ITimeSelection() = default;
