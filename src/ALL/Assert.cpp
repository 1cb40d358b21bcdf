#include "ALL/Assert.h"

#include <wx/debug.h>

namespace NSAssert {

void Report(const char* pFile, int pLine, const char* pFunction, const char* pCondition) {
    // wxOnAssert calls the handler without a test: no handler means assertions are off.
    if (wxTheAssertHandler)
        wxOnAssert(pFile, pLine, pFunction, pCondition);
}

} // namespace NSAssert
