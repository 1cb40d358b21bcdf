#include "DLL/Row/StreamRow.h"

#include "ALL/Error.h"

#include "support/FakeRows.h"
#include "support/RowText.h"
#include "support/TestStreamRow.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

const wchar_t* const SEQ = L"<seq-list><seg begin=\"0\" end=\"10\"/></seq-list>";
const wchar_t* const SETUPS = L"<setup-list><setup>Hi</setup></setup-list>";
const wchar_t* const PARAMS =
    L"<param-list shown=\"0\"><param type=\"Standard\" name=\"Level\"><value><key time=\"0\" "
    L"to=\"10\" kind=\"1\"/></value></param><param type=\"Standard\" name=\"Gain\" "
    L"disabled=\"\"><value/></param></param-list>";
const wchar_t* const DESIGNATION = L"Source test Clip";

// A row element of the test class named Clip.
wxString Row(const wxString& pChildren, const wxString& pAttributes = wxString()) {
    return L"<source type=\"test\" name=\"Clip\"" + pAttributes + L">" + pChildren + L"</source>";
}

wxString Seq(const wxString& pSegments) {
    return pSegments.empty() ? wxString(L"<seq-list/>")
                             : L"<seq-list>" + pSegments + L"</seq-list>";
}

wxString Seg(const wxString& pBegin, const wxString& pEnd) {
    return L"<seg begin=\"" + pBegin + L"\" end=\"" + pEnd + L"\"/>";
}

wxString Params(const wxString& pShown) {
    wxString params = PARAMS;
    params.Replace(L"shown=\"0\"", L"shown=\"" + pShown + L"\"");
    return params;
}

// The row read from pXml, or null with the message in pError.
std::unique_ptr<TTestStreamRow> Read(const wxString& pXml, wxString& pError) {
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

class StreamRowXml : public testing::Test {
protected:
    StreamRowXml() { TTestStreamRow::Register(); }
};

} // namespace

TEST_F(StreamRowXml, StreamPartsReadBackAsWrittenOrFailWithTheirMessage) {
    // {element, message (empty: the row reads), its image (empty: the element itself),
    //  sequences read}
    struct TCase {
        wxString aXml;
        wxString aError;
        wxString aImage = wxString();
        const char* aSequences = "";
    };
    const TCase cases[] = {
        {Row(wxString(SEQ) + SETUPS + PARAMS), L"", L"", "(0,10)"},
        {Row(Seq(L"") + SETUPS + PARAMS), L"", L"", ""},
        {Row(Seq(Seg(L"0", L"10") + Seg(L"10", L"20")) + SETUPS + PARAMS), L"", L"",
         "(0,10)(10,20)"},
        {Row(wxString(SEQ) + SETUPS + Params(L"1")), L"", L"", "(0,10)"},
        {Row(wxString(SEQ) + SETUPS + PARAMS, L" render=\"0\""), L"", L"", "(0,10)"},
        // Only "0" keeps a row out of rendering.
        {Row(wxString(SEQ) + SETUPS + PARAMS, L" render=\"1\""), L"",
         Row(wxString(SEQ) + SETUPS + PARAMS), "(0,10)"},
        // Children beyond the class's setups and parameters, and after the lists, are left.
        {Row(wxString(SEQ) + L"<setup-list><setup>Hi</setup><setup>More</setup></setup-list>" +
             L"<param-list shown=\"0\"><param type=\"Standard\" name=\"Level\"><value/></param>"
             L"<param type=\"Standard\" name=\"Gain\"><value/></param><x/></param-list><extra/>"),
         L"",
         Row(wxString(SEQ) + SETUPS +
             L"<param-list shown=\"0\"><param type=\"Standard\" name=\"Level\"><value/></param>"
             L"<param type=\"Standard\" name=\"Gain\"><value/></param></param-list>"),
         "(0,10)"},

        {Row(wxString(SETUPS) + PARAMS), L"Missing sequence list for Clip"},
        {Row(L"<!-- list -->" + wxString(SEQ) + SETUPS + PARAMS),
         L"Missing sequence list for Clip"},
        {Row(Seq(Seg(L"0", L"10") + Seg(L"5", L"20")) + SETUPS + PARAMS),
         L"Overlapping or unsorted sequences found (5,20) / (0,10) for Clip"},
        {Row(Seq(Seg(L"7", L"7")) + SETUPS + PARAMS), L"Null length sequence definition for Clip"},
        {Row(Seq(Seg(L"1e3", L"2000")) + SETUPS + PARAMS),
         L"Invalid sequence definition syntax for Clip"},
        {Row(Seq(Seg(L"3000000000", L"3000000001")) + SETUPS + PARAMS),
         L"Invalid sequence definition syntax for Clip"},
        {Row(Seq(Seg(L"0", L"-2147483649")) + SETUPS + PARAMS),
         L"Invalid sequence definition syntax for Clip"},
        {Row(Seq(L"<seg begin=\"0\"/>") + SETUPS + PARAMS),
         L"The property end does not exist for Source test Clip"},
        {Row(wxString(SEQ) + PARAMS), wxString(L"Missing setup list for ") + DESIGNATION},
        {Row(wxString(SEQ) + L"<setup-list/>" + PARAMS),
         wxString(L"Missing setup for ") + DESIGNATION + L" (need: 1, found 0)"},
        {Row(wxString(SEQ) + SETUPS), wxString(L"Missing parameter list for ") + DESIGNATION},
        {Row(wxString(SEQ) + SETUPS +
             L"<param-list shown=\"0\"><param type=\"Standard\" name=\"Level\"><value/></param>"
             L"</param-list>"),
         wxString(L"Missing parameter for ") + DESIGNATION + L" (need: 2, found 1)"},
        // The parameters are read when "shown" fails: the partly filled row is freed.
        {Row(wxString(SEQ) + SETUPS + Params(L"2")),
         wxString(L"Invalid parameter show value for ") + DESIGNATION},
        {Row(wxString(SEQ) + SETUPS + Params(L"-1")),
         wxString(L"Invalid parameter show value for ") + DESIGNATION},
        {Row(wxString(SEQ) + SETUPS + Params(L"x")),
         wxString(L"Invalid parameter show value for ") + DESIGNATION},
        {Row(wxString(SEQ) + SETUPS + Params(L"4294967297")),
         wxString(L"Invalid parameter show value for ") + DESIGNATION},
    };
    for (const auto& c : cases) {
        wxString error;
        const std::unique_ptr<TTestStreamRow> row = Read(c.aXml, error);
        EXPECT_EQ(error, c.aError) << c.aXml;
        if (!row)
            continue;
        EXPECT_EQ(RangeText(row->aSequenceList), c.aSequences) << c.aXml;
        const wxString image = Image(*row);
        EXPECT_EQ(image, c.aImage.empty() ? c.aXml : c.aImage);
        const std::unique_ptr<TTestStreamRow> again = Read(image, error);
        ASSERT_TRUE(again) << error;
        EXPECT_EQ(Image(*again), image);
    }
}

TEST_F(StreamRowXml, ReadRowsHoldTheirValuesAndKeys) {
    wxString error;
    const std::unique_ptr<TTestStreamRow> row =
        Read(Row(wxString(SEQ) + SETUPS + Params(L"1"), L" render=\"0\""), error);
    ASSERT_TRUE(row) << error;
    EXPECT_FALSE(row->aIsRendered);
    EXPECT_EQ(row->aSetupTab[0], TVariant(wxString(L"Hi")));
    EXPECT_TRUE(row->aIsParamShown);
    EXPECT_EQ(row->aParamHeight, 24) << "only the enabled parameter takes room";
    EXPECT_EQ(row->aParamTab[1]->aIndex, 1);
    EXPECT_EQ(row->aParamTab[1]->aParent, row.get());
    EXPECT_EQ(KeyText(row->aKeyList), "0:1 10:1 ");

    const std::unique_ptr<TTestStreamRow> older = Read(Row(wxString(SEQ) + SETUPS + PARAMS), error);
    ASSERT_TRUE(older) << error;
    EXPECT_TRUE(older->aIsRendered);
}

TEST(StreamRowXmlPlain, ClassesWithoutSetupsWriteNoSetupListAndRefuseOne) {
    TFakeStreamRow row(rowKindMIXER, L"Mix");
    row.CompleteCreate();
    EXPECT_EQ(Image(row), L"<mixer type=\"fake\" name=\"Mix\"><seq-list/>"
                          L"<param-list shown=\"0\"/></mixer>");

    const std::unique_ptr<wxXmlNode> element(
        ParseXml(L"<mixer type=\"fake\" name=\"Mix\"><seq-list/><setup-list/>"
                 L"<param-list shown=\"0\"/></mixer>"));
    const wxXmlNode* node = element.get();
    try {
        row.CreateChildren(node);
        ADD_FAILURE() << "read";
    } catch (const TError& error) {
        EXPECT_EQ(error, L"Missing parameter list for Mixer fake Mix");
    }
    const std::unique_ptr<wxXmlNode> mixer(
        ParseXml(L"<mixer type=\"fake\" name=\"Mix\"><seq-list/><param-list shown=\"0\"/>"
                 L"<src-list/></mixer>"));
    node = mixer.get();
    row.CreateChildren(node);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetName(), L"src-list") << "the container goes on after the stream part";
}
