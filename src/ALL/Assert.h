// The module's assertion check: a failed condition is reported through the wxWidgets
// assertion handler with the condition's exact text, and the code goes on. The check yields
// the condition, so a caller skips whatever step the condition guards:
//     if (!ZV_ASSERT(pValue != NULL)) return false;
#pragma once

#include <wx/debug.h>

// Two levels, so that macros inside the condition (NULL) are expanded before the text is made.
#define ZV_ASSERT_TEXT(...) #__VA_ARGS__

#define ZV_ASSERT(...)                                                                             \
    NSAssert::Check(static_cast<bool>(__VA_ARGS__), __FILE__, __LINE__, __func__,                  \
                    ZV_ASSERT_TEXT(__VA_ARGS__))

// Reports a failure whose text is given as is (a condition the code cannot state as an
// expression, or one that is known to have failed).
#define ZV_FAIL(pText) NSAssert::Report(__FILE__, __LINE__, __func__, pText)

namespace NSAssert {

// Reports through wxOnAssert when the installed handler is not null.
void Report(const char* pFile, int pLine, const char* pFunction, const char* pCondition);

inline bool Check(bool pCondition, const char* pFile, int pLine, const char* pFunction,
                  const char* pText) {
    if (!pCondition)
        Report(pFile, pLine, pFunction, pText);
    return pCondition;
}

} // namespace NSAssert

// Returns pValue; when it is null and pHandler (the installed handler) is not, first reports
// pCondition through wxWidgets. The stream casts report their failed cast this way.
template <typename T>
T CheckAssert(const wchar_t* pFile, int pLine, const char* pFunction, const wchar_t* pCondition,
              T pValue, wxAssertHandler_t pHandler) {
    if (!pValue && pHandler)
        wxOnAssert(pFile, pLine, pFunction, pCondition);
    return pValue;
}
