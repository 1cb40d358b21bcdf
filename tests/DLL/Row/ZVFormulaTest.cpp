#include "DLL/Row/ZVFormula.h"

#include "ALL/TypeDef.h"
#include "DLL/Bas/ABCFormulaSortList.h"
#include "DLL/Bas/EvaluateContext.h"

#include "support/AssertCapture.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

class TNoSlots : public IEvaluateContext {
public:
    IFormula** GetParamSlot(int, int, bool) const override { return nullptr; }
};

double Variable(const wchar_t* pName) {
    return GetFormulaContext().GetValue(pName)->GetDouble();
}

// A formula read from a "value" element holding pText.
std::unique_ptr<TZVFormula> ReadFormula(const wxString& pText, bool* pParsed = nullptr) {
    std::unique_ptr<TZVFormula> formula(new TZVFormula(nullptr));
    std::unique_ptr<wxXmlNode> value(ParseXml(L"<value>" + pText + L"</value>"));
    const bool parsed = formula->ValueFromXml(value.get(), TTypeDef(paramTypeREAL));
    if (pParsed)
        *pParsed = parsed;
    formula->Resolve();
    return formula;
}

wxString Written(const TZVFormula& pFormula) {
    wxXmlNode value(wxXML_ELEMENT_NODE, L"value");
    pFormula.MakeXmlImage(&value, TTypeDef(paramTypeREAL));
    return XmlText(value);
}

} // namespace

TEST(ZVFormula, TimeAndImageFollowTheFrameRate) {
    TZVFormula::SetFrameRate(25);
    // {time set, "time", "image", whether the frame number changed}
    struct TCase {
        double aTime, aMs, aImage;
        bool aNewFrame;
    } cases[] = {{1, 40, 1, true},     {1.9, 76, 1, false},  {-0.5, -20, -1, true},
                 {-1, -40, -1, false}, {2.5, 100, 2, true}, {0, 0, 0, true}};
    for (const TCase& c : cases) {
        EXPECT_EQ(GetFormulaContext().SetCurrent(c.aTime), c.aNewFrame) << c.aTime;
        EXPECT_EQ(Variable(L"time"), c.aMs) << c.aTime;
        EXPECT_EQ(Variable(L"image"), c.aImage) << c.aTime;
    }
    EXPECT_EQ(ReadFormula(L"time * 2")->ComputePointAt(1).GetDouble(), 80);

    // The same rate again changes nothing; a new one reads 0 until a time is set.
    TZVFormula::SetCurTime(3);
    TZVFormula::SetFrameRate(25);
    EXPECT_EQ(Variable(L"time"), 120);
    TZVFormula::SetFrameRate(50);
    EXPECT_EQ(Variable(L"time"), 0);
    EXPECT_EQ(Variable(L"image"), 0);
    TZVFormula::SetCurTime(3);
    EXPECT_EQ(Variable(L"time"), 60);
    TZVFormula::SetFrameRate(25);
}

TEST(ZVFormula, OneTimeIsWrittenOncePerChange) {
    TZVFormula::SetFrameRate(25);
    std::unique_ptr<TZVFormula> formula = ReadFormula(L"time + image");
    EXPECT_EQ(formula->ComputePointAt(7).GetDouble(), 287);
    // A value planted in "time" survives a second evaluation at the same time.
    *GetFormulaContext().GetValue(L"time") = 5.0;
    EXPECT_EQ(formula->ComputePointAt(7).GetDouble(), 12);
    EXPECT_EQ(formula->ComputePointAt(8).GetDouble(), 328);
}

TEST(ZVFormula, RateZeroIsReportedAndStored) {
    TZVFormula::SetFrameRate(25);
    EXPECT_ASSERTS(TZVFormula::SetFrameRate(0), L"aRate != 0");
    EXPECT_EQ(GetFormulaContext().GetRate(), 0);
    EXPECT_ASSERTS(TZVFormula::SetCurTime(4), L"aRate != 0");
    TZVFormula::SetFrameRate(25);
}

TEST(ZVFormula, StoredTextIsWrittenBackAndBadTextIsKeptAsStored) {
    TZVFormula::SetFrameRate(25);
    // {stored text, parses, written back, value at time 1 (NaN: undefined)}
    struct TCase {
        const wchar_t* aText;
        bool aParsed;
        const wchar_t* aWritten;
        double aValue;
    } cases[] = {
        {L"time*2", true, L"<value>time * 2</value>", 80},
        {L"(image + 3) % 2", true, L"<value>(image + 3) % 2</value>", 0},
        {L"1 +", false, L"<value>1 +</value>", NAN},
        {L"[param 3].value * 2", false, L"<value>[param 3].value * 2</value>", NAN},
        {L"2 3", false, L"<value>2 3</value>", NAN},
        {L"sin(", false, L"<value>sin(</value>", NAN},
    };
    for (const TCase& c : cases) {
        bool parsed = false;
        std::unique_ptr<TZVFormula> formula = ReadFormula(c.aText, &parsed);
        EXPECT_EQ(parsed, c.aParsed) << c.aText;
        EXPECT_EQ(Written(*formula), wxString(c.aWritten)) << c.aText;
        const TVariant value = formula->ComputePointAt(1);
        if (std::isnan(c.aValue))
            EXPECT_TRUE(value.IsUndefined()) << c.aText;
        else
            EXPECT_EQ(value, TVariant(c.aValue)) << c.aText;
        formula->CacheImage();
        EXPECT_EQ(Written(*formula), wxString(c.aWritten)) << c.aText;
    }
}

TEST(ZVFormula, AnExpressionHasNoKeysAndNoSegments) {
    TZVFormula::SetFrameRate(25);
    std::unique_ptr<TZVFormula> formula = ReadFormula(L"3");
    EContinuity cont = contFLAT;
    bool flag = true;
    const TABCFormula* planted = reinterpret_cast<const TABCFormula*>(formula.get());
    const TABCFormula *left = planted, *right = planted, *next = planted;
    for (long t : {-5L, 0L, 7L, 2147483647L}) {
        EXPECT_EQ(formula->GetValueNSlope(t, true, cont, flag), TVariant(3.0));
        EXPECT_EQ(cont, contNO_KEY);
        EXPECT_TRUE(flag);
        EXPECT_EQ(formula->HasKey(t), 0);
        EXPECT_FALSE(formula->IsFlatFormula(t));
        EXPECT_EQ(formula->GetCurveAt(t), nullptr);
        formula->GetCurvesAt(t, left, right, &next);
        EXPECT_EQ(left, nullptr);
        EXPECT_EQ(right, nullptr);
        EXPECT_EQ(next, nullptr);
    }
    EXPECT_ASSERTS(formula->Touch(), L"false");
}

TEST(ZVFormula, ChangesConcernFormulasThatReadTheChangedAttribute) {
    // {attributes read, told of a value change, told of a key or sequence change}
    struct TCase {
        std::vector<EAttrKind> aReads;
        bool aOnValue, aOnAll;
    } cases[] = {{{}, false, false},
                 {{attrVALUE}, true, true},
                 {{attrBEGIN}, false, true},
                 {{attrEND_SEQUENCE, attrIS_DEFINED}, false, true},
                 {{attrDEFAULT_RATE, attrVALUE}, true, true}};
    for (const TCase& c : cases) {
        TZVFormula formula(nullptr);
        for (EAttrKind kind : c.aReads)
            formula.MarkUses(kind);
        EXPECT_EQ(formula.OnParamChanged(nullptr, false), c.aOnValue) << c.aReads.size();
        EXPECT_EQ(formula.OnParamChanged(nullptr, true), c.aOnAll) << c.aReads.size();
    }
    const wchar_t* const words[] = {L"value",        L"defaultRate",   L"begin",
                                    L"end",          L"isDefined",     L"isInSequence",
                                    L"beginSequence", L"endSequence"};
    for (int kind = attrVALUE; kind <= attrEND_SEQUENCE; ++kind)
        EXPECT_EQ(TZVFormula::GetAttrName(EAttrKind(kind)), words[kind]);
}

TEST(ZVFormula, SnapshotsAreReusedByIdAndOthersAreDeleted) {
    TZVFormula::SetFrameRate(25);
    TNoSlots slots;
    const int firstId = TZVFormula::theLastId + 1;
    std::unique_ptr<TZVFormula> formula = ReadFormula(L"image * 10");
    std::unique_ptr<TZVFormula> other = ReadFormula(L"image");
    EXPECT_EQ(formula->GetId(), firstId);
    EXPECT_EQ(other->GetId(), firstId + 1);

    IFormula* snapshot = formula->CloneFormulaAt(3, nullptr, slots, false);
    EXPECT_EQ(snapshot->ComputePointAt(4), TVariant(40.0));
    EXPECT_EQ(formula->CloneFormulaAt(5, snapshot, slots, false), snapshot);
    TZVFormula* copy = dynamic_cast<TZVFormula*>(snapshot);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->IsClone());
    EXPECT_EQ(copy->GetId(), formula->GetId());
    EXPECT_EQ(copy->GetImage(), L"image * 10");
    EXPECT_ASSERTS(copy->OnParamChanged(nullptr, false), L"!aIsClone");

    // Another formula's snapshot and a key segment are deleted (ASan sees a leak otherwise).
    IFormula* replaced = other->CloneFormulaAt(5, snapshot, slots, false);
    EXPECT_NE(dynamic_cast<TZVFormula*>(replaced)->GetId(), formula->GetId());
    TABCFormulaSortList keys;
    keys.insert(TABCFormula(0, TVariant(1.0), 10));
    IFormula* segment = keys.CloneFormulaAt(2, replaced, slots, false);
    IFormula* back = formula->CloneFormulaAt(2, segment, slots, false);
    EXPECT_EQ(back->ComputePointAt(2), TVariant(20.0));
    delete back;
    EXPECT_EQ(TZVFormula::theLastId, firstId + 1);
}
