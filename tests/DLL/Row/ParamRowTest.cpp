#include "DLL/Row/ParamRow.h"

#include "ALL/Error.h"
#include "DLL/Row/ColorParamRow.h"
#include "DLL/Row/FontParamRow.h"
#include "DLL/Row/SimpleParamRow.h"
#include "DLL/Row/ZVFormula.h"

#include "support/AssertCapture.h"
#include "support/FakeHost.h"
#include "support/FakeRows.h"
#include "support/RowText.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

// A "param" element of type Standard named Opacity with the given attributes and content.
wxString Param(const wchar_t* pContent, const wchar_t* pAttributes = L"") {
    return wxString(L"<param type=\"Standard\" name=\"Opacity\"") + pAttributes + L">" + pContent +
           L"</param>";
}

class TParamRowTest : public testing::Test {
protected:
    TParamRowTest() : aStream(rowKindSOURCE, L"Clip") { TZVFormula::SetFrameRate(25); }

    // The row read from pXml (owned by the caller), or null with the message in aError.
    TZVParamRow* Read(const wxString& pXml) {
        std::unique_ptr<wxXmlNode> element(ParseXml(pXml));
        aError.clear();
        try {
            return TZVParamRow::Create(element.get(), &aStream, 0, TTypeDef(paramTypeREAL));
        } catch (const TError& error) {
            aError = error;
            return nullptr;
        }
    }

    TFakeProject aProject;
    TFakeStreamRow aStream;
    wxString aError;
};

// Deleting the factories forgot the composites' type names: later tests of this process
// expect what start-up registered.
void RestoreCompositeFactories() {
    TZVColorParamRow::theSubType = L"Color";
    TZVColorCompParamRow::theSubType = L"ColorComp";
    TZVFontParamRow::theSubType = L"Font";
    TZVFontSubParamRow::theSubType = L"FontComp";
    TZVParamRow::RegisterFactory(new TZVColorParamRow::Factory);
    TZVParamRow::RegisterFactory(new TZVColorCompParamRow::Factory);
    TZVParamRow::RegisterFactory(new TZVFontParamRow::Factory);
    TZVParamRow::RegisterFactory(new TZVFontSubParamRow::Factory);
}

const wchar_t* const BAD_KEYS = L"Invalid key list for Param. Standard Opacity of fake Clip";

} // namespace

TEST_F(TParamRowTest, ParamElementsAreWrittenAsReadOrFailWithTheirMessage) {
    const wchar_t* const keys = L"<value><key time=\"0\" to=\"100\" kind=\"1\"/>"
                                L"<key time=\"100\" to=\"2147483647\" kind=\"0\">GAq</key></value>";
    // {element, error message (empty: read, and written as it was), keys the stream
    //  counts, new formula ids, assertion}
    struct TCase {
        wxString aXml;
        const wchar_t* aError;
        std::string aKeys;
        int aNewIds;
        const wchar_t* aAssert;
    } cases[] = {
        {Param(keys), L"", "0:1 100:2 ", 0, nullptr},
        {Param(keys, L" disabled=\"\""), L"", "", 0, nullptr},
        {Param(L"<value>time * 2</value>"), L"", "", 1, nullptr},
        {Param(L"<value/>"), L"", "", 0, nullptr},
        // A text that does not parse is kept, its errors with it, without a report.
        {Param(L"<value>1 +</value>"), L"", "", 1, nullptr},
        {Param(L"<value><key time=\"0\" to=\"100\" kind=\"1\"/><key time=\"x\"/></value>"),
         BAD_KEYS, "", 0, nullptr},
        {Param(L"<value><key time=\"0\" to=\"100\" kind=\"1\"/><key time=\"50\" to=\"200\" "
               L"kind=\"1\"/></value>"),
         BAD_KEYS, "", 0, nullptr},
        {Param(L"<value><key time=\"0\" to=\"100\" kind=\"1\"/><key time=\"0\" to=\"50\" "
               L"kind=\"1\"/></value>"),
         BAD_KEYS, "", 0, nullptr},
        {Param(L"<value><key time=\"10\"/></value>"), BAD_KEYS, "", 0, nullptr},
        {Param(L"<value><key time=\"0\" to=\"100\" kind=\"1\"/>time</value>"), BAD_KEYS, "", 0,
         nullptr},
        {Param(L""), L"Missing formula list for Param. Standard Opacity of fake Clip", "", 0,
         nullptr},
        {Param(L"<seg/><value/>"), L"Missing formula list for Param. Standard Opacity of fake Clip",
         "", 0, nullptr},
        {L"<param type=\"Nope\" name=\"O\"><value/></param>",
         L"No parameter factory is registered for type Nope of Source fake Clip parameter", "", 0,
         nullptr},
        {L"<param type=\"Standard\"><value/></param>",
         L"The property name does not exist for Param. Standard  of fake Clip", "", 0, nullptr},
    };
    for (const TCase& c : cases) {
        const std::vector<wxString> asserts =
            c.aAssert ? std::vector<wxString>{c.aAssert} : std::vector<wxString>{};
        const int lastId = TZVFormula::theLastId;
        std::unique_ptr<TZVParamRow> row;
        EXPECT_ASSERTS(row.reset(Read(c.aXml)), asserts);
        EXPECT_EQ(aError, c.aError);
        EXPECT_EQ(KeyText(aStream.aKeyList), c.aKeys) << c.aXml;
        EXPECT_EQ(TZVFormula::theLastId, lastId + c.aNewIds) << c.aXml;
        if (!row)
            continue;
        const std::unique_ptr<wxXmlNode> image(row->GetXmlImage());
        EXPECT_EQ(XmlText(*image), c.aXml);
        if (row->aIsEnabled)
            row->PropagateAll(false);
    }
}

TEST_F(TParamRowTest, ValuesComeFromTheSegmentAtTheTruncatedTimeOrTheFormula) {
    TFakeParamRow row;
    TABCFormula rising(100, TVariant(5.0), 200);
    rising.c = 0.5;
    row.insertFormula(rising, nullptr, false);
    row.insertFormula(TABCFormula(-10, TVariant(1.0), 0), nullptr, false);
    row.insertFormula(TABCFormula(300, TVariant(7.0), TZVParamRow::OPEN_END), nullptr, false);
    // {time, value (NaN: undefined)}
    const double cases[][2] = {{99.9, NAN},       {100, 5},          {199.9, 5 + 0.5 * 99.9},
                               {200, NAN},        {-0.5, NAN},       {-1, 1},
                               {2147483646.5, 7}, {2147483647, NAN}, {NAN, NAN}};
    for (const auto& c : cases)
        EXPECT_EQ(row.GetValueAt(c[0]), std::isnan(c[1]) ? TVariant() : TVariant(c[1])) << c[0];
    row.insertFormula(TABCFormula(0, TVariant(3.0), 50), nullptr, false);
    EXPECT_EQ(row.GetValueAt(-0.5), TVariant(3.0));

    // A formula installed on a row with segments is reported, then takes over.
    TZVFormula* formula = new TZVFormula(&row);
    formula->Parse(L"time * 3");
    formula->Resolve();
    EXPECT_ASSERTS(row.InitFormula(formula), L"aFormulaList.empty()");
    EXPECT_EQ(row.GetValueAt(1), TVariant(120.0));
    // A text bound stays, a number bound is set, and the range is checked from then on.
    row.aTypeDef.aMin = TVariant(wxString(L"low"));
    row.SetRange(-1, 9);
    EXPECT_EQ(row.aTypeDef.aMin.GetText() + FormatVariant(row.aTypeDef.aMax, paramTypeREAL),
              L"low9");
    EXPECT_TRUE(row.aTypeDef.aRangeCheck);
}

TEST_F(TParamRowTest, DefaultSegmentsFillEachSequenceWithFillersWhereTheSlopeEnds) {
    aStream.aSequenceList.Add(0, 100, aStream.aSequenceList.end());
    aStream.aSequenceList.Add(200, 300, aStream.aSequenceList.end());
    TTypeDef type(paramTypeREAL);
    type.aDefault = 50.0;
    type.aMax = 100.0;
    type.aRangeCheck = true;
    type.aSlope = 50;
    TFakeParamRow* row = aStream.AddParam(true);
    row->aTypeDef = type;
    row->InitDefaultFormulaList();
    std::unique_ptr<wxXmlNode> image(row->GetXmlImage());
    // From the default 50 rising 2 a time unit (50 a second at 25 frames) up to the maximum
    // at 25, flat (ANGLE) from there; the second sequence goes on from the first one's end.
    EXPECT_EQ(XmlText(*image),
              L"<param type=\"Standard\" name=\"p0\"><value>"
              L"<key time=\"0\" to=\"25\" kind=\"1\" c=\"G\">GAQ</key>"
              L"<key time=\"25\" to=\"100\" kind=\"2\">GAq</key>"
              L"<key time=\"200\" to=\"300\" kind=\"2\">GAq</key></value></param>");
    EXPECT_EQ(KeyText(aStream.aKeyList), "0:1 25:2 100:1 200:1 300:1 ");
    EXPECT_TRUE(row->aUndoList.empty());
}

TEST_F(TParamRowTest, TheFirstFactoryOfANameStaysAndDeletingAllStartsANewRegistry) {
    const wxString xml = Param(L"<value/>");
    EXPECT_ASSERTS(TZVParamRow::RegisterFactory(new TZVSimpleParamRow::Factory),
                   L"InsertResult.second");
    std::unique_ptr<TZVParamRow> first(Read(xml));
    ASSERT_TRUE(dynamic_cast<TZVSimpleParamRow*>(first.get()));
    TZVParamRow::DeleteAllFactories();
    TZVParamRow::DeleteAllFactories();
    EXPECT_FALSE(Read(xml));
    EXPECT_EQ(aError, L"No parameter factory is registered for type Standard of Source fake Clip "
                      L"parameter");
    // Rows made before still name their type, and a new registration starts over.
    EXPECT_EQ(first->GetSubType(), L"Standard");
    TZVParamRow::RegisterFactory(new TZVSimpleParamRow::Factory);
    std::unique_ptr<TZVParamRow> again(Read(xml));
    EXPECT_TRUE(again);
    RestoreCompositeFactories();
}
