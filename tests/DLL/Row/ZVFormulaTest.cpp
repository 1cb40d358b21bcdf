#include "DLL/Row/ZVFormula.h"

#include "ALL/TypeDef.h"
#include "DLL/Bas/ABCFormulaSortList.h"

#include "support/AssertCapture.h"
#include "support/FakeHost.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <tuple>
#include <vector>

namespace {

double Variable(const wchar_t* pName) {
    return GetFormulaContext().GetValue(pName)->GetDouble();
}

// A formula read from a "value" element holding pText, and bound.
std::unique_ptr<TZVFormula> ReadFormula(const wxString& pText, bool* pParsed = nullptr) {
    std::unique_ptr<TZVFormula> formula(new TZVFormula(nullptr));
    std::unique_ptr<wxXmlNode> value(ParseXml(L"<value>" + pText + L"</value>"));
    const bool parsed = formula->ValueFromXml(value.get(), TTypeDef(paramTypeREAL));
    if (pParsed)
        *pParsed = parsed;
    formula->Resolve();
    return formula;
}

} // namespace

TEST(ZVFormula, TimeAndImageAreWrittenOncePerChangeOfTimeAndFrame) {
    // A change of rate starts from time 0, whatever earlier tests left.
    TZVFormula::SetFrameRate(1);
    TZVFormula::SetFrameRate(25);
    // {time set, "time", "image", whether the frame number changed}
    const double cases[][4] = {
        {1, 40, 1, 1}, {1.9, 76, 1, 0}, {-0.5, -20, -1, 1}, {-1, -40, -1, 0}, {2.5, 100, 2, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(GetFormulaContext().SetCurrent(c[0]), c[3] != 0) << c[0];
        EXPECT_EQ(Variable(L"time"), c[1]) << c[0];
        EXPECT_EQ(Variable(L"image"), c[2]) << c[0];
    }
    std::unique_ptr<TZVFormula> formula = ReadFormula(L"time * 2 + image");
    EXPECT_EQ(formula->ComputePointAt(1).GetDouble(), 81);
    // A value planted in "time" survives an evaluation at the same time.
    *GetFormulaContext().GetValue(L"time") = 5.0;
    EXPECT_EQ(formula->ComputePointAt(1).GetDouble(), 11);
    // The same rate changes nothing; another reads 0 until a time is set; 0 is reported.
    TZVFormula::SetFrameRate(25);
    EXPECT_EQ(Variable(L"time"), 5);
    TZVFormula::SetFrameRate(50);
    EXPECT_EQ(Variable(L"time") + Variable(L"image"), 0);
    EXPECT_ASSERTS(TZVFormula::SetFrameRate(0), L"aRate != 0");
    EXPECT_ASSERTS(TZVFormula::SetCurTime(4), L"aRate != 0");
    TZVFormula::SetFrameRate(25);
}

TEST(ZVFormula, TextsThatDoNotParseAreKeptAsStoredWithoutValue) {
    TZVFormula::SetFrameRate(25);
    // {stored text, parses, written back, value at time 1 (NaN: undefined)}
    struct TCase {
        const wchar_t* aText;
        bool aParsed;
        const wchar_t* aWritten;
        double aValue;
    } cases[] = {{L"time*2", true, L"time * 2", 80},
                 {L"1 +", false, L"1 +", NAN},
                 // Saved with its leading blanks, the text would come back with fewer.
                 {L"\n \t 1 +\n", false, L"1 +\n", NAN},
                 {L"[param 3].value * 2", false, L"[param 3].value * 2", NAN}};
    for (const TCase& c : cases) {
        bool parsed = false;
        std::unique_ptr<TZVFormula> formula = ReadFormula(c.aText, &parsed);
        EXPECT_EQ(parsed, c.aParsed) << c.aText;
        const TVariant value = formula->ComputePointAt(1);
        EXPECT_EQ(value, std::isnan(c.aValue) ? TVariant() : TVariant(c.aValue)) << c.aText;
        formula->CacheImage();
        wxXmlNode written(wxXML_ELEMENT_NODE, L"value");
        formula->MakeXmlImage(&written, TTypeDef(paramTypeREAL));
        EXPECT_EQ(XmlText(written), L"<value>" + wxString(c.aWritten) + L"</value>");
    }
}

// The text of a formula is every text and CDATA piece of its "value", in order.
TEST(ZVFormula, TheTextIsEveryPieceOfTheValue) {
    TZVFormula::SetFrameRate(25);
    // {stored value, written back, value at time 1}
    const std::tuple<const wchar_t*, const wchar_t*, double> cases[] = {
        {L"100 - <![CDATA[2 * image]]>", L"100 - 2 * image", 98},
        {L"<![CDATA[100]]> - 2 * image", L"100 - 2 * image", 98},
        {L"1<![CDATA[0]]>0 - <![CDATA[2]]> * image", L"100 - 2 * image", 98},
        {L"image <![CDATA[<]]> 5 ? 1 : 2", L"image &lt; 5 ? 1 : 2", 1},
        {L"image<!-- a comment --> * 3", L"image * 3", 3},
        // Kept as stored when it does not parse, pieces joined.
        {L"1 +<![CDATA[ *]]>", L"1 + *", NAN}};
    for (const auto& [stored, written, value] : cases) {
        std::unique_ptr<TZVFormula> formula = ReadFormula(stored);
        EXPECT_EQ(formula->ComputePointAt(1), std::isnan(value) ? TVariant() : TVariant(value))
            << stored;
        formula->CacheImage();
        wxXmlNode element(wxXML_ELEMENT_NODE, L"value");
        formula->MakeXmlImage(&element, TTypeDef(paramTypeREAL));
        EXPECT_EQ(XmlText(element), L"<value>" + wxString(written) + L"</value>") << stored;
    }
}

TEST(ZVFormula, AnExpressionHasNoKeysAndDependsOnWhatItReads) {
    TZVFormula::SetFrameRate(25);
    std::unique_ptr<TZVFormula> formula = ReadFormula(L"3");
    EContinuity cont = contFLAT;
    bool flag = true;
    EXPECT_EQ(formula->GetValueNSlope(7, true, cont, flag), TVariant(3.0));
    EXPECT_EQ(cont, contNO_KEY);
    EXPECT_TRUE(flag);
    EXPECT_ASSERTS(formula->Touch(), L"false");
    // {attribute read, told of a value change, of a key or sequence change}
    for (const auto& c : {std::make_tuple(-1, false, false), std::make_tuple(0, true, true),
                          std::make_tuple(2, false, true), std::make_tuple(7, false, true)}) {
        TZVFormula reader(nullptr);
        if (std::get<0>(c) >= 0)
            reader.MarkUses(EAttrKind(std::get<0>(c)));
        EXPECT_EQ(reader.OnParamChanged(nullptr, false), std::get<1>(c));
        EXPECT_EQ(reader.OnParamChanged(nullptr, true), std::get<2>(c));
    }
    EXPECT_EQ(TZVFormula::GetAttrName(attrEND_SEQUENCE), L"endSequence");
}

TEST(ZVFormula, SnapshotsAreReusedByIdAndOthersAreDeleted) {
    TZVFormula::SetFrameRate(25);
    TFakeEvaluateContext slots;
    const int firstId = TZVFormula::theLastId + 1;
    std::unique_ptr<TZVFormula> formula = ReadFormula(L"image * 10");
    std::unique_ptr<TZVFormula> other = ReadFormula(L"image");
    EXPECT_EQ(other->GetId(), firstId + 1);

    IFormula* snapshot = formula->CloneFormulaAt(3, nullptr, slots, false);
    EXPECT_EQ(formula->CloneFormulaAt(5, snapshot, slots, false), snapshot);
    EXPECT_EQ(snapshot->ComputePointAt(4), TVariant(40.0));
    TZVFormula* copy = dynamic_cast<TZVFormula*>(snapshot);
    ASSERT_TRUE(copy && copy->IsClone());
    EXPECT_EQ(copy->GetId(), firstId);
    EXPECT_EQ(copy->GetImage(), L"image * 10");
    EXPECT_ASSERTS(copy->OnParamChanged(nullptr, false), L"!aIsClone");

    // Another formula's snapshot and a key segment are deleted (ASan sees a leak otherwise),
    // whichever value source is asked.
    IFormula* replaced = other->CloneFormulaAt(5, snapshot, slots, false);
    EXPECT_EQ(dynamic_cast<TZVFormula*>(replaced)->GetId(), firstId + 1);
    TABCFormulaSortList keys;
    keys.Insert(TABCFormula(0, TVariant(1.0), 10));
    IFormula* segment = keys.CloneFormulaAt(2, replaced, slots, false);
    std::unique_ptr<IFormula> back(formula->CloneFormulaAt(2, segment, slots, false));
    EXPECT_EQ(back->ComputePointAt(2), TVariant(20.0));
    EXPECT_EQ(TZVFormula::theLastId, firstId + 1);
    EXPECT_EQ(slots.aLog, "");
}

// A reference cut by the end of the text leaves no node behind: its error is recorded, and the
// lexer reports the place it could not read.
TEST(ZVFormula, AReferenceTheParserGaveUpOnGivesNoNode) {
    TZVFormula formula(nullptr);
    EXPECT_FALSE(formula.Parse(L"[mixer:M][source:S"));
    std::vector<wxString> errors;
    for (const auto& error : formula.GetErrors())
        errors.push_back(error.aMessage);
    EXPECT_EQ(errors, (std::vector<wxString>{L"End of expression found inside parameter reference",
                                             L"Invalid operator"}));
    EXPECT_EQ(formula.GetImage(), L"");
}
