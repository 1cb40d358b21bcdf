// Feeds "param" elements built from the input (keys in any order with any kind, bad and
// undefined values, expression texts, text beside the keys, odd or missing "value" and
// "type") to the parameter row reader under a test stream. Each must give a TError, or a
// row whose image reads back to a row that writes the same image again.
#include "DLL/Row/ParamRow.h"

#include "ALL/Error.h"
#include "DLL/Row/StreamRow.h"
#include "FuzzInput.h"

#include <wx/xml/xml.h>

#include <memory>
#include <string>

namespace {

// The only report an input may cause: an expression text that does not parse.
const TExpectedAsserts theExpected{"false"};

// A stream row that only holds parameters.
class TFuzzStream : public TZVStreamRow {
public:
    TFuzzStream() { setRowKind(); }
    ~TFuzzStream() override { destroy(); }
    const wxString& GetSubType() const override { return aName; }
    wxIcon* GetRoleIcon() const override { return nullptr; }
    wxIcon* GetTypeIcon() const override { return nullptr; }
    TZVBaseRow* GetPrevModRow() const override { return nullptr; }
    void DeconflictName() override {}
    ERowKind retrieveRowKind() const override { return rowKindSOURCE; }
    void AttachParent(TZVStreamRow*, const TZVStreamRow*) override {}
    bool HasVideo() const override { return false; }
    IZVStreamDisplayInfo* GetDisplayInfo() const override { return nullptr; }
    int GetParamCount() const override { return 0; }
    int GetSetupCount() const override { return 0; }
    int GetControlCount() const override { return 0; }
    int GetParamControl(int) const override { return 0; }
    int GetSetupControl(int) const override { return 0; }
    const TControlInfo* GetControlTab() const override { return nullptr; }
    wxIcon* GetParamTypeIcon(int) const override { return nullptr; }
    wxIcon* GetSrcRoleIcon(const TZVSourceRow*) const override { return nullptr; }
    TZVBaseRow* GetRowAfterParam() const override { return nullptr; }
    TZVBaseRow* GetTopRow() const override { return nullptr; }
    TZVBaseRow* GetRowAfter() const override { return nullptr; }
    TZVStreamRow* GetNextSibling() override { return nullptr; }
    void Detach() override {}
    void ListSubStream(ISubStreamList&) override {}
};

// A time near pNear, or anywhere, or not a time.
wxString Time(TFuzzInput& pInput, long pNear) {
    const unsigned choice = pInput.Byte();
    if (choice < 200)
        return std::to_string(pNear + long(choice % 50) - 10);
    if (choice < 250)
        return std::to_string(long(pInput.Take<int32_t>()));
    return choice % 2 ? wxT("2147483648") : wxT("q");
}

wxString Text(TFuzzInput& pInput, size_t pMost) {
    std::string bytes;
    for (size_t length = pInput.Byte() % pMost; length > 0; --length)
        bytes += char(32 + pInput.Byte() % 95);
    return wxString(bytes);
}

wxXmlNode* Key(TFuzzInput& pInput, long& pTime) {
    wxXmlNode* key = new wxXmlNode(wxXML_ELEMENT_NODE, wxT("key"));
    const unsigned form = pInput.Byte();
    const wxString time = Time(pInput, pTime);
    time.ToLong(&pTime);
    key->AddAttribute(wxT("time"), time);
    if (form & 1)
        key->AddAttribute(wxT("to"), Time(pInput, pTime + 30));
    if (form & 2)
        key->AddAttribute(wxT("kind"), std::to_string(pInput.Byte()));
    if (form & 4)
        key->AddAttribute(wxT("undef"), wxString());
    else if (form & 8)
        key->AddChild(new wxXmlNode(wxXML_TEXT_NODE, wxString(), Text(pInput, 8)));
    if (form & 16)
        key->AddAttribute(wxT("c"), Text(pInput, 6));
    return key;
}

// The content of "value": nothing, keys, an expression, or keys with text beside them.
void Fill(wxXmlNode* pValue, TFuzzInput& pInput) {
    const unsigned form = pInput.Byte() % 4;
    if (form == 0)
        return;
    if (form == 2) {
        pValue->AddChild(new wxXmlNode(wxXML_TEXT_NODE, wxString(), Text(pInput, 40)));
        return;
    }
    long time = 0;
    wxXmlNode* last = nullptr;
    for (unsigned count = 1 + pInput.Byte() % 12; count > 0 && !pInput.Empty(); --count) {
        wxXmlNode* child = form == 3 && pInput.Byte() % 4 == 0
                               ? new wxXmlNode(wxXML_TEXT_NODE, wxString(), Text(pInput, 8))
                               : Key(pInput, time);
        pValue->InsertChildAfter(child, last);
        last = child;
    }
}

std::unique_ptr<wxXmlNode> Element(TFuzzInput& pInput) {
    std::unique_ptr<wxXmlNode> element(new wxXmlNode(wxXML_ELEMENT_NODE, wxT("param")));
    const unsigned form = pInput.Byte();
    element->AddAttribute(wxT("type"), form % 16 ? wxT("Standard") : wxT("Other"));
    if (form & 16)
        element->AddAttribute(wxT("name"), Text(pInput, 6));
    if (form & 32)
        element->AddAttribute(wxT("disabled"), wxString());
    if (form & 64)
        return element;
    wxXmlNode* value = new wxXmlNode(wxXML_ELEMENT_NODE, form & 128 ? wxT("key") : wxT("value"));
    element->AddChild(value);
    Fill(value, pInput);
    return element;
}

TZVParamRow* Read(const wxXmlNode* pElement, TZVStreamRow& pStream, int pType) {
    try {
        return TZVParamRow::Create(pElement, &pStream, 0, TTypeDef(pType));
    } catch (const TError&) {
        return nullptr;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    static const int theTypes[] = {0, 2, 3, 5, 6, 7};
    TFuzzInput input(pData, pSize);
    const int type = input.Pick(theTypes);
    std::unique_ptr<wxXmlNode> element = Element(input);
    TFuzzStream stream;
    std::unique_ptr<TZVParamRow> row(Read(element.get(), stream, type));
    if (!row)
        return 0;
    std::unique_ptr<wxXmlNode> image(row->GetXmlImage());
    std::unique_ptr<TZVParamRow> again(Read(image.get(), stream, type));
    Require(again != nullptr);
    std::unique_ptr<wxXmlNode> second(again->GetXmlImage());
    Require(SameXml(image.get(), second.get()));
    return 0;
}
