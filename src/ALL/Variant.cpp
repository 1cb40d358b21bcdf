#include "ALL/Variant.h"

#include "ALL/Assert.h"
#include "ALL/TypeDef.h"
#include "ALL/XmlTree.h"

#include <wx/xml/xml.h>

#include <cmath>

const TVariant UNDEFINED_VARIANT;

namespace {

const wchar_t* const UNDEF_ATTRIBUTE = L"undef";
constexpr int IMAGE_LENGTH = 11;
constexpr wchar_t IMAGE_ZERO = L'?';

// Decoded patterns with the tag become undefined; a tag with a non-zero low word was never
// written by the module, so the read fails as for a bad character.
bool StoreDecoded(TVariant& pValue, uint64_t pBits) {
    pValue.SetBits(pBits);
    return !IsTagBits(pBits) || pBits == VARIANT_TAG_BITS;
}

// The first text piece of pElement, or null; the later pieces are removed, so that a value
// written into the first one is the element's whole text.
wxXmlNode* KeepFirstTextPiece(wxXmlNode* pElement) {
    wxXmlNode* first = nullptr;
    for (wxXmlNode *child = pElement->GetChildren(), *next; child; child = next) {
        next = child->GetNext();
        if (!NSXml::IsTextPiece(child))
            continue;
        if (first) {
            pElement->RemoveChild(child);
            delete child;
        } else {
            first = child;
        }
    }
    return first;
}

} // namespace

TVariant::TVariant(const wxString& pText) : aBits(VARIANT_TAG_BITS), aText(new wxString(pText)) {}

TVariant::TVariant(const TVariant& pSource)
    : aBits(pSource.aBits), aText(pSource.aText ? new wxString(*pSource.aText) : nullptr) {}

TVariant::TVariant(TVariant&& pSource) noexcept : aBits(pSource.aBits), aText(pSource.aText) {
    pSource.aBits = VARIANT_TAG_BITS;
    pSource.aText = nullptr;
}

TVariant& TVariant::operator=(const TVariant& pSource) {
    if (this != &pSource) {
        TVariant copy(pSource);
        *this = std::move(copy);
    }
    return *this;
}

TVariant& TVariant::operator=(TVariant&& pSource) noexcept {
    if (this != &pSource) {
        delete aText;
        aBits = pSource.aBits;
        aText = pSource.aText;
        pSource.aBits = VARIANT_TAG_BITS;
        pSource.aText = nullptr;
    }
    return *this;
}

TVariant& TVariant::operator=(double pValue) {
    if (!aText)
        aBits = IsTagBits(DoubleToBits(pValue)) ? VARIANT_TAG_BITS : DoubleToBits(pValue);
    return *this;
}

void TVariant::Clear() {
    delete aText;
    aText = nullptr;
    aBits = VARIANT_TAG_BITS;
}

void TVariant::SetText(const wxString& pText) {
    if (aText) {
        *aText = pText;
        return;
    }
    aText = new wxString(pText);
    aBits = VARIANT_TAG_BITS;
}

void TVariant::SetBits(uint64_t pBits) {
    Clear();
    if (!IsTagBits(pBits))
        aBits = pBits;
}

const wxString& TVariant::GetText() const {
    static const wxString theEmpty;
    return aText ? *aText : theEmpty;
}

bool TVariant::operator==(const TVariant& pOther) const {
    if (aText || pOther.aText)
        return aText && pOther.aText && *aText == *pOther.aText;
    return aBits == pOther.aBits;
}

wxString TVariant::GetImage() const {
    if (aText)
        return *aText;
    if (IsUndefined())
        return wxString();
    return IEEE754Image(GetDouble());
}

void TVariant::MakeXmlNode(const TVariant& pValue, wxXmlNode* pElement) {
    if (pValue.IsUndefined()) {
        pElement->AddAttribute(UNDEF_ATTRIBUTE, wxEmptyString);
        return;
    }
    if (pValue.IsNumeric() && pValue.GetDouble() == 0.0)
        return;
    NSXml::AppendChild(pElement, new wxXmlNode(wxXML_TEXT_NODE, wxEmptyString, pValue.GetImage()));
}

bool TVariant::ReadImage(TVariant& pValue, int pType, const wxString& pImage) {
    if (pType == paramTypeTEXT) {
        pValue.SetText(pImage);
        return true;
    }
    uint64_t bits = 0;
    if (!GetIEEE754Value(pImage, &bits))
        return false;
    return StoreDecoded(pValue, bits);
}

bool TVariant::ReadXml(TVariant& pValue, int pType, const wxXmlNode* pElement) {
    pValue.Clear();
    if (pElement->HasAttribute(UNDEF_ATTRIBUTE))
        return true;
    return ReadImage(pValue, pType, NSXml::GetText(pElement));
}

bool TVariant::ReadXmlAttribute(TVariant& pValue, int pType, const wxXmlNode* pElement,
                                const wxString& pName) {
    pValue.Clear();
    wxString image;
    if (!pElement->GetAttribute(pName, &image))
        return true;
    return ReadImage(pValue, pType, image);
}

bool TVariant::FromImage(TVariant& pValue, int pType, const wxString& pImage) {
    if (pType != paramTypeTEXT)
        pValue.Clear();
    return ReadImage(pValue, pType, pImage);
}

bool TVariant::SwapXmlNode(TVariant& pValue, int pType, wxXmlNode* pElement) {
    if (pElement->HasAttribute(UNDEF_ATTRIBUTE)) {
        if (pValue.IsUndefined())
            return true;
        pElement->DeleteAttribute(UNDEF_ATTRIBUTE);
        MakeXmlNode(pValue, pElement);
        pValue.Clear();
        return true;
    }
    // No text is the stored 0.0, or the empty text of a text value: read it as ReadXml would.
    const wxString stored = NSXml::GetText(pElement);
    wxXmlNode* content = KeepFirstTextPiece(pElement);
    if (!content) {
        MakeXmlNode(pValue, pElement);
    } else if (pValue.IsUndefined()) {
        pElement->RemoveChild(content);
        delete content;
        MakeXmlNode(pValue, pElement);
    } else {
        content->SetContent(pValue.IsText() || pValue.GetDouble() != 0.0 ? pValue.GetImage()
                                                                         : wxString());
    }
    pValue.Clear();
    return ReadImage(pValue, pType, stored);
}

wxString FormatVariant(const TVariant& pValue, int pType) {
    if (pType == paramTypeTEXT || !pValue.IsNumeric())
        return pValue.GetText();
    if (pType == paramTypeREAL || pType == paramTypeREAL_ALT)
        return FormatDouble(pValue.GetDouble());
    return FormatLong(RoundToInt(std::round(pValue.GetDouble()), roundNEAREST));
}

wxString IEEE754Image(double pValue) {
    uint64_t bits = DoubleToBits(pValue);
    const bool odd = (bits & 1) != 0;
    if (odd)
        ++bits;
    // The text ends with the digit that holds the lowest set bit: digit 0 holds bits 63..59,
    // digit i (1..9) bits 64-6i-1..59-6i, digit 10 bits 4..0.
    const int length = bits == 0 ? 0 : (64 - __builtin_ctzll(bits)) / 6 + 1;
    // All eleven digits are written; the text is cut at length.
    wchar_t image[IMAGE_LENGTH];
    image[0] = wchar_t(IMAGE_ZERO + int(bits >> 59));
    for (int i = 1; i < IMAGE_LENGTH - 1; ++i)
        image[i] = wchar_t(IMAGE_ZERO + int((bits >> (59 - 6 * i)) & 63));
    image[IMAGE_LENGTH - 1] = wchar_t(IMAGE_ZERO + int(bits & 31));
    if (odd) {
        // Only the all-ones pattern, never a number cell, has no digit left here.
        const bool Started = length > 0;
        if (ZV_ASSERT(Started))
            image[0] = wchar_t(image[0] + 32);
    }
    return wxString(image, size_t(length));
}

bool GetIEEE754Value(const wxString& pImage, uint64_t* pValue) {
    if (!ZV_ASSERT(pValue != NULL))
        return false;
    const size_t length = pImage.length();
    const wxStringCharType* text = pImage.wx_str();
    uint64_t acc = 0;
    bool flag = false;
    for (size_t i = 0; i < length; ++i) {
        const long digit = long(text[i]) - IMAGE_ZERO;
        if (digit < 0 || digit > 63)
            return false;
        if (i == 0)
            flag = (digit & 32) != 0;
        acc = (i == 0 ? 0 : acc << (i == IMAGE_LENGTH - 1 ? 5 : 6)) | uint64_t(digit);
    }
    if (length > 0 && length < size_t(IMAGE_LENGTH))
        acc <<= (IMAGE_LENGTH - length) * 6 - 1;
    *pValue = flag ? acc - 1 : acc;
    return true;
}

bool GetXmlIEEE754Attribute(const wxXmlNode* pElement, const wxString& pName, double& pValue) {
    bool badImage = false;
    return GetXmlIEEE754Attribute(pElement, pName, pValue, badImage);
}

bool GetXmlIEEE754Attribute(const wxXmlNode* pElement, const wxString& pName, double& pValue,
                            bool& pBadImage) {
    pValue = 0.0;
    pBadImage = false;
    wxString image;
    if (!pElement->GetAttribute(pName, &image))
        return false;
    uint64_t bits = 0;
    pBadImage = !GetIEEE754Value(image, &bits);
    if (!pBadImage)
        pValue = BitsToDouble(bits);
    return true;
}
