#include "REDarodo/NameText.h"

namespace {

// The first of the surrogates that stand for the bytes 0x80 to 0xFF.
constexpr unsigned theByteSurrogates = 0xDC00;

// The length of the UTF-8 character at pAt (of pLeft bytes), or 0 when it is none: a shortest
// form of a code point up to U+10FFFF that is no surrogate.
size_t CharacterLength(const unsigned char* pAt, size_t pLeft) {
    const unsigned first = pAt[0];
    const size_t length = first < 0x80   ? 1
                          : first < 0xC2 ? 0
                          : first < 0xE0 ? 2
                          : first < 0xF0 ? 3
                          : first < 0xF5 ? 4
                                         : 0;
    if (length == 0 || length > pLeft)
        return 0;
    for (size_t i = 1; i < length; ++i)
        if ((pAt[i] & 0xC0) != 0x80)
            return 0;
    const unsigned second = pAt[1];
    if ((first == 0xE0 && second < 0xA0) || (first == 0xED && second >= 0xA0) ||
        (first == 0xF0 && second < 0x90) || (first == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

} // namespace

wxString NameText(const std::string& pBytes) {
    const unsigned char* const at = reinterpret_cast<const unsigned char*>(pBytes.data());
    std::wstring text;
    text.reserve(pBytes.size());
    for (size_t i = 0; i < pBytes.size();) {
        const size_t length = CharacterLength(at + i, pBytes.size() - i);
        if (length == 0) {
            text += wchar_t(theByteSurrogates + at[i++]);
            continue;
        }
        // The lead byte's bits, then six of each other.
        unsigned code = at[i] & (length == 1 ? 0x7Fu : 0x3Fu >> (length - 1));
        for (size_t k = 1; k < length; ++k)
            code = code << 6 | (at[i + k] & 0x3Fu);
        text += wchar_t(code);
        i += length;
    }
    return wxString(text);
}

std::string NameBytes(const wxString& pText) {
    std::string bytes;
    bytes.reserve(pText.length());
    for (const wxUniChar character : pText) {
        unsigned code = unsigned(character.GetValue());
        if (code >= theByteSurrogates + 0x80 && code <= theByteSurrogates + 0xFF) {
            bytes += char(code - theByteSurrogates);
            continue;
        }
        if (code < 0x80) {
            bytes += char(code);
            continue;
        }
        // Beyond Unicode, as UTF-8 writes what it cannot hold.
        code = code > 0x10FFFF ? 0xFFFD : code;
        // The lead byte holds what the continuation bytes, six bits each, leave.
        const int continuations = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
        bytes += char((0xFF00u >> (continuations + 1)) | code >> (6 * continuations));
        for (int k = continuations - 1; k >= 0; --k)
            bytes += char(0x80u | ((code >> (6 * k)) & 0x3Fu));
    }
    return bytes;
}
