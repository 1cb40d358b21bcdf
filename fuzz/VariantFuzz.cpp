// Number images and the value readers on arbitrary text: no crash, a tag pattern never
// becomes a text, and every decoded number writes back to an image of the same pattern.
#include "ALL/TypeDef.h"
#include "ALL/Variant.h"
#include "FuzzInput.h"

#include <wx/xml/xml.h>

#include <cstdint>

namespace {

// Only the text code reads a text; a number cell never carries the tag.
void CheckCell(const TVariant& pCell, int pType) {
    Require(pType == paramTypeTEXT || !pCell.IsText());
    Require(!pCell.IsNumeric() || !IsTagBits(pCell.GetBits()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    if (pSize == 0)
        return 0;
    const int type = pData[0] % 9;
    const wxString text = FuzzText(pData + 1, pSize - 1);
    uint64_t bits = 0;
    if (GetIEEE754Value(text, &bits) && !IsTagBits(bits)) {
        uint64_t again = ~bits;
        Require(GetIEEE754Value(IEEE754Image(BitsToDouble(bits)), &again));
        Require(again == bits);
    }

    TVariant cell(1.0);
    TVariant::FromImage(cell, type, text);
    CheckCell(cell, type);

    wxXmlNode element(wxXML_ELEMENT_NODE, wxT("v"));
    element.AddAttribute(wxT("a"), text);
    if (pData[0] & 16)
        element.AddAttribute(wxT("undef"), wxString());
    if (!text.empty())
        element.AddChild(new wxXmlNode(wxXML_TEXT_NODE, wxString(), text));
    TVariant::ReadXml(cell, type, &element);
    CheckCell(cell, type);
    TVariant::ReadXmlAttribute(cell, type, &element, wxT("a"));
    CheckCell(cell, type);

    TVariant swapped(pData[0] & 32 ? TVariant(text) : TVariant(BitsToDouble(bits)));
    TVariant::SwapXmlNode(swapped, type, &element);
    CheckCell(swapped, type);
    TVariant::SwapXmlNode(swapped, type, &element);
    return 0;
}
