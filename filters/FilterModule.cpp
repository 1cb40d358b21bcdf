#include "FilterModule.h"

const char* ZVFiltersVersion() {
    return ZV_VERSION;
}
