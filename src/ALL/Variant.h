// TVariant: the value of parameters, setups, expression variables and key segments. A cell
// holds a number, an owned text, or nothing (undefined). Numbers are kept and compared as
// their 64-bit pattern; a pattern whose upper word is all ones is the non-number tag and is
// never a number: storing such a double makes the cell undefined.
#pragma once

#include "ALL/Number.h"

#include <wx/string.h>

#include <cstdint>

class wxXmlNode;

// The 64-bit pattern of the undefined and text cells (upper word all ones, the tag).
constexpr uint64_t VARIANT_TAG_BITS = 0xFFFFFFFF00000000ull;

// True when the pattern carries the non-number tag.
inline bool IsTagBits(uint64_t pBits) {
    return (pBits >> 32) == 0xFFFFFFFFu;
}

class TVariant {
public:
    // An undefined cell.
    constexpr TVariant() : aBits(VARIANT_TAG_BITS), aText(nullptr) {}
    // A number cell; a double with the tag pattern gives an undefined cell. Inline with the
    // destructor: every evaluation returns its number in a cell.
    TVariant(double pValue)
        : aBits(IsTagBits(DoubleToBits(pValue)) ? VARIANT_TAG_BITS : DoubleToBits(pValue)),
          aText(nullptr) {}
    // A text cell.
    explicit TVariant(const wxString& pText);
    TVariant(const TVariant& pSource);
    TVariant(TVariant&& pSource) noexcept;
    ~TVariant() { delete aText; }

    TVariant& operator=(const TVariant& pSource);
    TVariant& operator=(TVariant&& pSource) noexcept;
    // Numeric store: a text cell keeps its text and ignores the number; any other cell takes
    // the number (undefined for a double with the tag pattern). Call Clear first to turn a
    // text cell into a number.
    TVariant& operator=(double pValue);

    // Frees any text; the cell becomes undefined.
    void Clear();
    // A text cell has its text replaced in place; any other cell becomes a text cell.
    void SetText(const wxString& pText);
    // Clears the cell and stores a decoded 64-bit pattern (undefined for the tag pattern).
    void SetBits(uint64_t pBits);

    bool IsNumeric() const { return !IsTagBits(aBits); }
    bool IsUndefined() const { return IsTagBits(aBits) && !aText; }
    bool IsText() const { return aText != nullptr; }

    // The number; NaN (the tag pattern) for a text or undefined cell.
    double GetDouble() const { return BitsToDouble(aBits); }
    uint64_t GetBits() const { return aBits; }
    // The text of a text cell, the empty text otherwise.
    const wxString& GetText() const;

    // Same 64-bit pattern (0.0 and -0.0 differ), or two texts of equal content.
    bool operator==(const TVariant& pOther) const;
    bool operator!=(const TVariant& pOther) const { return !(*this == pOther); }

    // The text of a text cell, the empty text when undefined, the number image of a number.
    wxString GetImage() const;

    // Writes the cell as the content of pElement: "undef" when undefined, nothing for 0.0 or
    // -0.0, else one text child holding the text or the number image.
    static void MakeXmlNode(const TVariant& pValue, wxXmlNode* pElement);
    // Reads the cell from pElement's content by type code (7 = text, others = number image).
    // False on a bad number image; the cell is then undefined.
    static bool ReadXml(TVariant& pValue, int pType, const wxXmlNode* pElement);
    // As ReadXml from the named attribute; an absent attribute leaves the cell undefined.
    static bool ReadXmlAttribute(TVariant& pValue, int pType, const wxXmlNode* pElement,
                                 const wxString& pName);
    // Reads the cell from a text by type code.
    static bool FromImage(TVariant& pValue, int pType, const wxString& pImage);
    // Exchanges the cell with the value stored in pElement: afterwards the element holds the
    // cell's former value in element form and the cell the element's former value. False
    // when the stored number image is bad (the cell is then undefined).
    static bool SwapXmlNode(TVariant& pValue, int pType, wxXmlNode* pElement);

private:
    // Stores a decoded number (or empty text as 0.0) by type code; the reader step shared
    // by the element, attribute and text forms. The cell must be clear.
    static bool ReadImage(TVariant& pValue, int pType, const wxString& pImage);

    uint64_t aBits;
    wxString* aText;
};

// The shared undefined value ("no value").
extern const TVariant UNDEFINED_VARIANT;

// Display text of a value by type code: 0 and 1 "%g", 7 the text, others the number rounded
// half away from zero as "%ld". A text or undefined cell under a numeric code shows its text
// or the empty text.
wxString FormatVariant(const TVariant& pValue, int pType);

// The number image of a double: 0 to 11 characters from "?" to "~" that hold its 64-bit
// pattern exactly.
wxString IEEE754Image(double pValue);
// Decodes a number image into its 64-bit pattern. False, with the output untouched, on a
// character outside "?".."~".
bool GetIEEE754Value(const wxString& pImage, uint64_t* pValue);

// A number image attribute: false when absent; when present true, with 0.0 for an empty or
// bad image.
bool GetXmlIEEE754Attribute(const wxXmlNode* pElement, const wxString& pName, double& pValue);
// As above, and pBadImage tells whether a present image was bad (pValue is then 0.0): for
// readers that must refuse a damaged number rather than take it as 0.0.
bool GetXmlIEEE754Attribute(const wxXmlNode* pElement, const wxString& pName, double& pValue,
                            bool& pBadImage);
