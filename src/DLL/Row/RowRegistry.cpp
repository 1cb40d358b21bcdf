#include "DLL/Row/RowRegistry.h"

#include <algorithm>

namespace {

// A character's place in UTF-16 order: a pair's high surrogate lies below U+E000.
uint32_t Utf16Rank(wxUniChar pChar) {
    const uint32_t code = pChar.GetValue();
    return code >= 0xE000 && code <= 0xFFFF ? code + 0x110000 : code;
}

} // namespace

bool TUtf16Less::operator()(const wxString& pLeft, const wxString& pRight) const {
    return std::lexicographical_compare(
        pLeft.begin(), pLeft.end(), pRight.begin(), pRight.end(),
        [](wxUniChar pA, wxUniChar pB) { return Utf16Rank(pA) < Utf16Rank(pB); });
}
