#include "DLL/Row/StreamRow.h"

#include "ALL/Error.h"

#include "support/RowText.h"
#include "support/TestStreamRow.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

const wxString SEQ = L"<seq-list><seg begin=\"0\" end=\"10\"/></seq-list>";
const wxString SETUPS = L"<setup-list><setup>Hi</setup></setup-list>";
const wxString LEVEL = L"<param type=\"Standard\" name=\"Level\"><value><key time=\"0\" to=\"10\" "
                       L"kind=\"1\"/></value></param>";
const wxString GAIN = L"<param type=\"Standard\" name=\"Gain\" disabled=\"\"><value/></param>";
const wxString OF = L" for Source test Clip";

wxString Row(const wxString& pChildren, const wxString& pAttributes = wxString()) {
    return L"<source type=\"test\" name=\"Clip\"" + pAttributes + L">" + pChildren + L"</source>";
}

wxString Segs(const wxString& pSegments) {
    return L"<seq-list>" + pSegments + L"</seq-list>" + SETUPS;
}

wxString Params(const wxString& pShown, const wxString& pParams = LEVEL + GAIN) {
    return L"<param-list shown=\"" + pShown + L"\">" + pParams + L"</param-list>";
}

// The row read from pXml (the factory makes it), or null with the message in pError.
std::unique_ptr<TTestStreamRow> Read(const wxString& pXml, wxString& pError) {
    TTestStreamRow::Register();
    const std::unique_ptr<wxXmlNode> element(ParseXml(pXml));
    pError.clear();
    try {
        return std::unique_ptr<TTestStreamRow>(TTestStreamRow::Read(element.get()));
    } catch (const TError& error) {
        pError = error;
        return nullptr;
    }
}

wxString Image(const TZVStreamRow& pRow) {
    const std::unique_ptr<wxXmlNode> image(pRow.GetXmlImage());
    return XmlText(*image);
}

} // namespace

TEST(StreamRowXml, StreamPartsReadBackAsWrittenOrFailWithTheirMessage) {
    const wxString valid = SEQ + SETUPS + Params(L"0");
    // {element, message (empty: read), image (empty: the element), sequences}
    struct TCase {
        wxString aXml, aError, aImage = wxString();
        const char* aSequences = "";
    };
    const TCase cases[] = {
        {Row(valid), L"", L"", "(0,10)"},
        {Row(valid, L" render=\"0\""), L"", L"", "(0,10)"},
        {Row(L"<seq-list/>" + SETUPS + Params(L"1")), L""},
        {Row(Segs(L"<seg begin=\"0\" end=\"10\"/><seg begin=\"10\" end=\"20\"/>") + Params(L"0")),
         L"", L"", "(0,10)(10,20)"},
        // Children beyond the class's setups and parameters, and after the lists, are left.
        {Row(SEQ + L"<setup-list><setup>Hi</setup><setup/></setup-list>" +
             Params(L"0", LEVEL + GAIN + L"<x/>") + L"<fltr-list/>"),
         L"", Row(valid), "(0,10)"},
        {Row(SETUPS + Params(L"0")), L"Missing sequence list for Clip"},
        {Row(L"<!-- c -->" + valid), L"Missing sequence list for Clip"},
        {Row(Segs(L"<seg begin=\"0\" end=\"10\"/><seg begin=\"5\" end=\"20\"/>") + Params(L"0")),
         L"Overlapping or unsorted sequences found (5,20) / (0,10) for Clip"},
        {Row(Segs(L"<seg begin=\"7\" end=\"7\"/>") + Params(L"0")),
         L"Null length sequence definition for Clip"},
        {Row(Segs(L"<seg begin=\"1e3\" end=\"2000\"/>") + Params(L"0")),
         L"Invalid sequence definition syntax for Clip"},
        {Row(Segs(L"<seg begin=\"3000000000\" end=\"3000000001\"/>") + Params(L"0")),
         L"Invalid sequence definition syntax for Clip"},
        {Row(Segs(L"<seg begin=\"0\"/>") + Params(L"0")),
         L"The property end does not exist for Source test Clip"},
        {Row(SEQ + Params(L"0")), L"Missing setup list" + OF},
        {Row(SEQ + L"<setup-list/>" + Params(L"0")),
         L"Missing setup" + OF + L" (need: 1, found 0)"},
        {Row(SEQ + SETUPS), L"Missing parameter list" + OF},
        {Row(SEQ + SETUPS + Params(L"0", LEVEL)),
         L"Missing parameter" + OF + L" (need: 2, found 1)"},
        // The parameters are read when "shown" fails: the partly filled row is freed.
        {Row(SEQ + SETUPS + Params(L"2")), L"Invalid parameter show value" + OF},
        {Row(SEQ + SETUPS + Params(L"-1")), L"Invalid parameter show value" + OF},
        {Row(SEQ + SETUPS + Params(L"x")), L"Invalid parameter show value" + OF},
    };
    for (const TCase& c : cases) {
        wxString error;
        const std::unique_ptr<TTestStreamRow> row = Read(c.aXml, error);
        EXPECT_EQ(error, c.aError) << c.aXml;
        if (!row)
            continue;
        EXPECT_EQ(RangeText(row->aSequenceList), c.aSequences) << c.aXml;
        EXPECT_EQ(Image(*row), c.aImage.empty() ? c.aXml : c.aImage);
    }
}

TEST(StreamRowXml, ClassesWithoutSetupsWriteNoSetupListAndRefuseOne) {
    TFakeStreamRow row(rowKindMIXER, L"Mix");
    row.CompleteCreate();
    EXPECT_EQ(Image(row),
              L"<mixer type=\"fake\" name=\"Mix\"><seq-list/><param-list shown=\"0\"/></mixer>");
    const std::unique_ptr<wxXmlNode> refused(
        ParseXml(L"<mixer><seq-list/><setup-list/><param-list shown=\"0\"/></mixer>"));
    const wxXmlNode* node = refused.get();
    try {
        row.CreateChildren(node);
        ADD_FAILURE() << "read";
    } catch (const TError& error) {
        EXPECT_EQ(error, L"Missing parameter list for Mixer fake Mix");
    }
    const std::unique_ptr<wxXmlNode> mixer(
        ParseXml(L"<mixer><seq-list/><param-list shown=\"0\"/><src-list/></mixer>"));
    node = mixer.get();
    row.CreateChildren(node);
    EXPECT_EQ(node, mixer->GetChildren()->GetNext()->GetNext()) << "where the container goes on";
}
