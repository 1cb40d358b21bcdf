// Compiled into every target that links the filter module: its one reference to the module
// keeps the module's library among the program's, so that the filters register when the
// program starts (see FilterModule.h).
#include "FilterModule.h"

namespace {

[[gnu::used]] const char* (*const theFilterModule)() = ZVFiltersVersion;

} // namespace
