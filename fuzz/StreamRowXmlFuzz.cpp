// Feeds row elements whose children are built from the input ("seq-list", "setup-list" and
// "param-list" in any order and number, with comments, unknown names, huge, negative and
// missing numbers) to the stream part reader of the test stream class, or of a stream whose
// controls hold a colour and a font, with composite and component parameters in any place.
// Each must give a TError, or a complete row whose image reads back to a row that writes the
// same image; each composite then has its components, and every key list holds what its rows
// count.
#include "DLL/Row/StreamRow.h"

#include "ALL/Error.h"
#include "ALL/XmlTree.h"
#include "FuzzInput.h"

#include "support/CompositeStream.h"
#include "support/RowText.h"
#include "support/TestStreamRow.h"

#include <memory>
#include <string>

namespace {

// The only report an input may cause: an expression text that does not parse.
const TExpectedAsserts theExpected{"false"};

wxString Number(TFuzzInput& pInput, long pNear) {
    static const wchar_t* const theOdd[] = {
        L"", L"x", L"1e3", L"3000000000", L"-2147483649", L"2147483647", L"-1", L"0x10", L" 5"};
    const unsigned choice = pInput.Byte();
    if (choice < 180)
        return std::to_string(pNear + long(choice % 40) - 5);
    if (choice < 230)
        return std::to_string(long(pInput.Take<int32_t>()));
    return pInput.Pick(theOdd);
}

wxString Text(TFuzzInput& pInput, size_t pMost) {
    std::string bytes;
    for (size_t length = pInput.Byte() % pMost; length > 0; --length)
        bytes += char(32 + pInput.Byte() % 95);
    return wxString(bytes);
}

wxXmlNode* Element(const wxString& pName, wxXmlNode* pParent) {
    wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, pName);
    NSXml::AppendChild(pParent, element);
    return element;
}

// Sets the attribute unless the input leaves it out.
void Attribute(wxXmlNode* pElement, const wxString& pName, const wxString& pValue,
               TFuzzInput& pInput) {
    if (pInput.Byte() % 16 != 0)
        pElement->AddAttribute(pName, pValue);
}

void Sequences(wxXmlNode* pList, TFuzzInput& pInput) {
    long time = 0;
    for (unsigned count = pInput.Byte() % 6; count > 0; --count) {
        wxXmlNode* seg = Element(pInput.Byte() % 8 ? L"seg" : L"key", pList);
        const wxString begin = Number(pInput, time);
        begin.ToLong(&time);
        Attribute(seg, L"begin", begin, pInput);
        const wxString end = Number(pInput, time + 10);
        end.ToLong(&time);
        Attribute(seg, L"end", end, pInput);
    }
}

void Setups(wxXmlNode* pList, TFuzzInput& pInput) {
    for (unsigned count = pInput.Byte() % 3; count > 0; --count) {
        wxXmlNode* setup = Element(L"setup", pList);
        const unsigned form = pInput.Byte() % 3;
        if (form == 1)
            setup->AddAttribute(L"undef", wxString());
        else if (form == 2)
            NSXml::AppendChild(setup, new wxXmlNode(wxXML_TEXT_NODE, wxString(), Text(pInput, 8)));
    }
}

// The "type" of parameter pIndex; for the composite stream mostly the one its control table
// makes there, else any parameter kind.
wxString ParamType(TFuzzInput& pInput, unsigned pForm, unsigned pIndex, bool pComposite) {
    static const wchar_t* const theMade[] = {L"Color",    L"ColorComp", L"ColorComp",
                                             L"ColorComp", L"Font",      L"FontComp",
                                             L"FontComp",  L"FontComp",  L"FontComp"};
    static const wchar_t* const theKinds[] = {L"Standard", L"Color",    L"ColorComp",
                                              L"Font",     L"FontComp", L"Odd"};
    if (!pComposite)
        return pForm % 16 ? L"Standard" : L"Odd";
    const unsigned pick = pInput.Byte();
    return pick < 160 && pIndex < 9 ? theMade[pIndex] : theKinds[pick % 6];
}

void Params(wxXmlNode* pList, TFuzzInput& pInput, bool pComposite) {
    static const wchar_t* const theShown[] = {L"0", L"1", L"2", L"-1", L"x", L"4294967297"};
    Attribute(pList, L"shown", pInput.Pick(theShown), pInput);
    const unsigned count = pComposite ? 6 + pInput.Byte() % 6 : pInput.Byte() % 4;
    for (unsigned index = 0; index < count; ++index) {
        const unsigned form = pInput.Byte();
        wxXmlNode* param = Element(form % 8 ? L"param" : L"other", pList);
        Attribute(param, L"type", ParamType(pInput, form, index, pComposite), pInput);
        Attribute(param, L"name", Text(pInput, 6), pInput);
        if (form & 32)
            param->AddAttribute(L"disabled", wxString());
        wxXmlNode* value = Element(L"value", param);
        if (form & 64) {
            NSXml::AppendChild(value, new wxXmlNode(wxXML_TEXT_NODE, wxString(), Text(pInput, 12)));
            continue;
        }
        long time = 0;
        for (unsigned keys = pInput.Byte() % 4; keys > 0; --keys) {
            wxXmlNode* key = Element(L"key", value);
            const wxString begin = Number(pInput, time);
            begin.ToLong(&time);
            key->AddAttribute(L"time", begin);
            key->AddAttribute(L"to", Number(pInput, time + 10));
            key->AddAttribute(L"kind", std::to_string(pInput.Byte() % 4));
        }
    }
}

std::unique_ptr<wxXmlNode> RowElement(TFuzzInput& pInput, bool pComposite) {
    std::unique_ptr<wxXmlNode> row(new wxXmlNode(wxXML_ELEMENT_NODE, L"source"));
    row->AddAttribute(L"type", L"test");
    row->AddAttribute(L"name", L"Clip");
    if (pInput.Byte() % 4 == 0)
        row->AddAttribute(L"render", pInput.Byte() % 2 ? L"0" : L"1");
    for (unsigned count = pInput.Byte() % 6; count > 0 && !pInput.Empty(); --count) {
        switch (pInput.Byte() % 6) {
        case 0:
            Sequences(Element(L"seq-list", row.get()), pInput);
            break;
        case 1:
            Setups(Element(L"setup-list", row.get()), pInput);
            break;
        case 2:
            Params(Element(L"param-list", row.get()), pInput, pComposite);
            break;
        case 3:
            NSXml::AppendChild(row.get(),
                               new wxXmlNode(wxXML_COMMENT_NODE, wxString(), Text(pInput, 6)));
            break;
        default:
            Element(Text(pInput, 5) + L"x", row.get());
            break;
        }
    }
    return row;
}

template <class TRow>
TRow* Read(const wxXmlNode* pElement) {
    std::unique_ptr<TRow> row(new TRow);
    row->CompleteCreate();
    row->aName = L"Clip";
    try {
        row->CreateChildren(pElement);
    } catch (const TError&) {
        return nullptr;
    }
    return row.release();
}

bool Listens(const TZVParamRow& pListener, const TZVParamRow& pRow) {
    for (const TParamListener& entry : pRow.aListenerList)
        if (entry.aListener == &pListener && entry.aOnValue)
            return true;
    return false;
}

// Each composite is followed by its components, each linked to it under its number with the
// composite listening; the composites and the stream count the keys of their rows.
bool Consistent(const TZVStreamRow& pRow) {
    for (const TZVParamRow* param : pRow.aParamTab) {
        const auto* composite = dynamic_cast<const TZVSuperParamRow*>(param);
        if (!composite)
            continue;
        for (int number = 0; number < composite->aSubCount; ++number) {
            const auto* component =
                dynamic_cast<const TZVSubParamRow*>(composite->GetSubParam(number));
            if (!component || !component->aIsLinked || component->aSubNumber != number ||
                !Listens(*composite, *component))
                return false;
        }
        if (KeyText(composite->aKeyList) != KeyText(CompositeKeys(*composite)))
            return false;
    }
    return KeyText(pRow.aKeyList) == KeyText(ParamKeys(pRow));
}

template <class TRow>
void ReadWriteRead(const wxXmlNode* pElement) {
    const std::unique_ptr<TRow> row(Read<TRow>(pElement));
    if (!row)
        return;
    Require(Consistent(*row));
    const std::unique_ptr<wxXmlNode> image(row->GetXmlImage());
    const std::unique_ptr<TRow> again(Read<TRow>(image.get()));
    Require(again != nullptr && Consistent(*again));
    const std::unique_ptr<wxXmlNode> second(again->GetXmlImage());
    Require(SameXml(image.get(), second.get()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    TFuzzInput input(pData, pSize);
    const bool composite = input.Byte() % 2 != 0;
    const std::unique_ptr<wxXmlNode> element = RowElement(input, composite);
    if (composite)
        ReadWriteRead<TCompositeStream>(element.get());
    else
        ReadWriteRead<TTestStreamRow>(element.get());
    return 0;
}
