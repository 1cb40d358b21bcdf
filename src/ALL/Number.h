// Number helpers shared by every layer: the bit pattern of a double, decimal text in the
// 32-bit range, "%ld" and "%g" text, and the checked conversions of doubles and wide integers
// to 32-bit ints (an out-of-range cast is undefined in C++).
#pragma once

#include <wx/string.h>

#include <cstdint>
#include <cstring>

class wxXmlNode;

inline uint64_t DoubleToBits(double pValue) {
    uint64_t bits;
    std::memcpy(&bits, &pValue, sizeof bits);
    return bits;
}

inline double BitsToDouble(uint64_t pBits) {
    double value;
    std::memcpy(&value, &pBits, sizeof value);
    return value;
}

// "%ld".
wxString FormatLong(long pValue);
// "%g", always with a point as decimal separator.
wxString FormatDouble(double pValue);

// Decimal text to long, refusing values outside the 32-bit range as a 32-bit long would.
bool ParseLong32(const wxString& pText, long& pValue);
bool ParseLong32(const wchar_t* pText, long& pValue);
// A decimal attribute: false when absent (output untouched) and false when the text is not a
// decimal within the 32-bit range.
bool GetXmlLongAttribute(const wxXmlNode* pElement, const wxString& pName, long& pValue);
bool GetXmlLongAttribute(const wxXmlNode* pElement, const wchar_t* pName, long& pValue);

// Rounding modes of RoundToInt.
enum ERoundMode {
    roundNEAREST = 0x000, // ties to even
    roundFLOOR = 0x400,
    roundCEIL = 0x800,
    roundTRUNC = 0xC00,
    roundHALF_AWAY = 0x1000 // ties away from zero; the other mode bits are then ignored
};

// A double or float to a 32-bit int in the given rounding mode; NaN and values outside the
// 32-bit range give -2147483648. The floating-point environment is not touched.
int RoundToInt(double pValue, int pMode);
int RoundFloatToInt(float pValue, int pMode);

// Computed times, pixels and counts saturate to the 32-bit range.
int SaturateToInt(int64_t pValue);
// As above for a double, truncated toward zero inside the range; NaN gives -2147483648.
int SaturateToInt(double pValue);
