#include "DLL/Row/RowSelection.h"

IRowSelection* IRowSelection::theSingleton = nullptr;
