#include "ALL/Number.h"

#include <wx/xml/xml.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <locale.h>

namespace {

// The C locale, for "%g" without touching the process locale.
locale_t ClassicLocale() {
    static const locale_t theLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return theLocale;
}

// The digits as they are: FromAscii goes through the character set converter, which costs
// more than the formatting when many numbers are written.
wxString WidenAscii(const char* pText) {
    wchar_t wide[32];
    size_t length = 0;
    for (; pText[length] && length < sizeof wide / sizeof *wide; ++length)
        wide[length] = wchar_t(pText[length]);
    return wxString(wide, length);
}

} // namespace

wxString FormatLong(long pValue) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%ld", pValue);
    return WidenAscii(buffer);
}

wxString FormatDouble(double pValue) {
    char buffer[32];
    const locale_t previous = uselocale(ClassicLocale());
    std::snprintf(buffer, sizeof buffer, "%g", pValue);
    uselocale(previous);
    return WidenAscii(buffer);
}

bool ParseLong32(const wxString& pText, long& pValue) {
    return ParseLong32(pText.wc_str(), pValue);
}

bool ParseLong32(const wchar_t* pText, long& pValue) {
    // As wxString::ToLong reads, without a copy of the text.
    wchar_t* end = nullptr;
    errno = 0;
    const long value = std::wcstol(pText, &end, 10);
    if (end == pText || errno == ERANGE || *end != 0 || value < -2147483648L || value > 2147483647L)
        return false;
    pValue = value;
    return true;
}

bool GetXmlLongAttribute(const wxXmlNode* pElement, const wxString& pName, long& pValue) {
    return GetXmlLongAttribute(pElement, pName.wc_str(), pValue);
}

bool GetXmlLongAttribute(const wxXmlNode* pElement, const wchar_t* pName, long& pValue) {
    // The attributes walked here: GetAttribute copies the text, and a literal name would be
    // made a string at each call, when keys and ranges are read by the thousand.
    for (const wxXmlAttribute* attribute = pElement->GetAttributes(); attribute;
         attribute = attribute->GetNext())
        if (std::wcscmp(attribute->GetName().wc_str(), pName) == 0)
            return ParseLong32(attribute->GetValue().wc_str(), pValue);
    return false;
}

int RoundToInt(double pValue, int pMode) {
    double rounded;
    switch (pMode & roundHALF_AWAY ? roundHALF_AWAY : pMode & 0xC00) {
    case roundHALF_AWAY:
        rounded = std::round(pValue);
        break;
    case roundFLOOR:
        rounded = std::floor(pValue);
        break;
    case roundCEIL:
        rounded = std::ceil(pValue);
        break;
    case roundTRUNC:
        rounded = std::trunc(pValue);
        break;
    default:
        rounded = std::nearbyint(pValue);
        break;
    }
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        return int(-2147483647 - 1);
    return int(rounded);
}

int RoundFloatToInt(float pValue, int pMode) {
    return RoundToInt(double(pValue), pMode);
}

int SaturateToInt(int64_t pValue) {
    return int(std::clamp<int64_t>(pValue, INT32_MIN, INT32_MAX));
}

int SaturateToInt(double pValue) {
    if (!(pValue > INT32_MIN))
        return INT32_MIN;
    return pValue >= INT32_MAX ? INT32_MAX : int(pValue);
}
