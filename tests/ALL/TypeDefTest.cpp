#include "ALL/TypeDef.h"

#include "support/WxPrint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const TVariant UNDEFINED;

TVariant Text(const wxString& pText) {
    return TVariant(pText);
}

void ExpectFields(const TTypeDef& pType, int pCode, bool pInteger, bool pRangeCheck,
                  const TVariant& pDefault, const TVariant& pMin, const TVariant& pMax) {
    EXPECT_EQ(pType.aType, pCode);
    EXPECT_EQ(pType.aInteger, pInteger);
    EXPECT_EQ(pType.aRangeCheck, pRangeCheck);
    EXPECT_TRUE(pType.aDefault == pDefault) << pType.aDefault.GetImage();
    EXPECT_TRUE(pType.aMin == pMin) << pType.aMin.GetImage();
    EXPECT_TRUE(pType.aMax == pMax) << pType.aMax.GetImage();
    EXPECT_EQ(pType.aSlope, 0.0);
}

double Constrained(const TTypeDef& pType, double pValue) {
    return pType.Constrain(TVariant(pValue)).GetDouble();
}

} // namespace

TEST(TypeDef, BuiltInTypesHaveTheirFields) {
    const TVariant zero(0.0), fifty(50.0), hundred(100.0), white(16777215.0);
    ExpectFields(INT_0_100_PARAM_TYPE(), 2, true, false, zero, zero, hundred);
    ExpectFields(REAL_0_100_D0_PARAM_TYPE(), 0, false, false, zero, zero, hundred);
    ExpectFields(REAL_0_100_D50_PARAM_TYPE(), 0, false, false, fifty, zero, hundred);
    ExpectFields(REAL_0_100_D100_PARAM_TYPE(), 0, false, false, hundred, zero, hundred);
    ExpectFields(REAL_0_100_D0_CLAMP_PARAM_TYPE(), 0, false, true, zero, zero, hundred);
    ExpectFields(REAL_0_100_D50_CLAMP_PARAM_TYPE(), 0, false, true, fifty, zero, hundred);
    ExpectFields(REAL_0_100_D100_CLAMP_PARAM_TYPE(), 0, false, true, hundred, zero, hundred);
    ExpectFields(COLOR_PARAM_TYPE(), paramTypeCOLOR, true, true, UNDEFINED, zero, white);
    ExpectFields(WHITE_COLOR_PARAM_TYPE(), paramTypeCOLOR, true, true, white, zero, white);
    ExpectFields(FONT_PARAM_TYPE(), 6, false, false, Text(wxT("ib12\t0\tArial")), UNDEFINED,
                 UNDEFINED);
    ExpectFields(FLAG_PARAM_TYPE(), 3, true, false, zero, UNDEFINED, UNDEFINED);
    ExpectFields(TEXT_PARAM_TYPE(), 7, false, false, Text(wxT("Text")), UNDEFINED, UNDEFINED);
    EXPECT_EQ(&FONT_PARAM_TYPE(), &FONT_PARAM_TYPE()) << "one shared object";
}

TEST(TypeDef, InitDefaultByCode) {
    const struct {
        int aCode;
        bool aInteger;
        TVariant aDefault;
    } cases[] = {{0, false, TVariant(0.0)},
                 {1, false, TVariant(0.0)},
                 {2, true, TVariant(0.0)},
                 {3, true, TVariant(0.0)},
                 {4, true, TVariant(0.0)},
                 {5, true, UNDEFINED},
                 {6, false, Text(wxT("ib12\t0\tArial"))},
                 {7, false, Text(wxT("Text"))},
                 {8, true, TVariant(0.0)},
                 {-1, true, TVariant(0.0)}};
    for (const auto& c : cases) {
        const TTypeDef type(c.aCode);
        EXPECT_EQ(type.aInteger, c.aInteger) << c.aCode;
        EXPECT_TRUE(type.aDefault == c.aDefault) << c.aCode;
        EXPECT_EQ(type.aRangeCheck, c.aCode == 5) << c.aCode;
    }

    // A numeric code keeps a default that holds a text; only colours touch the range.
    TTypeDef type(2);
    type.aDefault.SetText(wxT("kept"));
    type.aRangeCheck = true;
    type.aMin = -4.0;
    type.aSlope = 2.0;
    type.InitDefault();
    EXPECT_EQ(type.aDefault.GetText(), wxT("kept"));
    EXPECT_TRUE(type.aRangeCheck);
    EXPECT_EQ(type.aMin.GetDouble(), -4.0);
    EXPECT_EQ(type.aSlope, 2.0);
}

TEST(TypeDef, ConstrainReplacesLimitsAndRounds) {
    EXPECT_TRUE(COLOR_PARAM_TYPE().Constrain(UNDEFINED).IsUndefined());
    EXPECT_EQ(WHITE_COLOR_PARAM_TYPE().Constrain(UNDEFINED).GetDouble(), 16777215.0);
    EXPECT_EQ(Constrained(COLOR_PARAM_TYPE(), 2e7), 16777215.0);

    const TTypeDef& clamp = REAL_0_100_D50_CLAMP_PARAM_TYPE();
    EXPECT_EQ(Constrained(clamp, 150.0), 100.0);
    EXPECT_EQ(Constrained(clamp, -3.0), 0.0);
    EXPECT_EQ(Constrained(clamp, 42.7), 42.7);
    EXPECT_EQ(clamp.Constrain(UNDEFINED).GetDouble(), 50.0);
    const TTypeDef& free = REAL_0_100_D50_PARAM_TYPE();
    EXPECT_EQ(Constrained(free, 150.0), 150.0);
    EXPECT_EQ(Constrained(free, -3.0), -3.0);
    EXPECT_EQ(Constrained(free, 42.7), 42.7);

    EXPECT_EQ(Constrained(INT_0_100_PARAM_TYPE(), 42.5), 43.0);
    EXPECT_EQ(Constrained(INT_0_100_PARAM_TYPE(), -0.5), -1.0);
    EXPECT_EQ(Constrained(INT_0_100_PARAM_TYPE(), -2.5), -3.0);
    EXPECT_EQ(Constrained(INT_0_100_PARAM_TYPE(), 1e300), 1e300);
    EXPECT_TRUE(std::isnan(Constrained(clamp, std::numeric_limits<double>::quiet_NaN())));
}

TEST(TypeDef, ConstrainWithMissingBounds) {
    TTypeDef floorOnly(0);
    floorOnly.aRangeCheck = true;
    floorOnly.aMin = 0.0;
    EXPECT_EQ(Constrained(floorOnly, 1e9), 1e9);
    EXPECT_EQ(Constrained(floorOnly, -1.0), 0.0);

    TTypeDef noFloor(0);
    noFloor.aRangeCheck = true;
    noFloor.aMax = 10.0;
    EXPECT_EQ(Constrained(noFloor, -5.0), -5.0);
    noFloor.aMin.SetText(wxT("text bounds impose nothing"));
    EXPECT_EQ(Constrained(noFloor, -5.0), -5.0);

    // The maximum is tested first when the bounds cross.
    TTypeDef crossed(0);
    crossed.aRangeCheck = true;
    crossed.aMin = 10.0;
    crossed.aMax = 5.0;
    EXPECT_EQ(Constrained(crossed, 7.0), 5.0);
    EXPECT_EQ(Constrained(crossed, 3.0), 10.0);
}

TEST(TypeDef, ConstrainLeavesTextsAlone) {
    for (int code : {6, 7}) {
        const TTypeDef type(code);
        EXPECT_EQ(type.Constrain(TVariant(3.7)).GetDouble(), 3.7) << code;
        EXPECT_EQ(type.Constrain(Text(wxT("x"))).GetText(), wxT("x")) << code;
        EXPECT_TRUE(type.Constrain(UNDEFINED) == type.aDefault) << code;
    }
    EXPECT_EQ(INT_0_100_PARAM_TYPE().Constrain(Text(wxT("x"))).GetText(), wxT("x"));
    EXPECT_EQ(REAL_0_100_D0_CLAMP_PARAM_TYPE().Constrain(Text(wxT("y"))).GetText(), wxT("y"));
}

TEST(TypeDef, CopyFromMakesEveryNonRealCodeInteger) {
    TTypeDef source(1);
    source.aRangeCheck = true;
    source.aDefault = 4.0;
    source.aMin.SetText(wxT("min text"));
    source.aMax = 9.0;
    source.aSlope = 1.5;

    const TTypeDef copy(source);
    const TTypeDef copied = TTypeDef::CopyFrom(source);
    EXPECT_FALSE(copy.aInteger);
    EXPECT_TRUE(copied.aInteger) << "code 1 becomes integer";
    for (const TTypeDef* type : {&copy, &copied}) {
        EXPECT_EQ(type->aType, 1);
        EXPECT_TRUE(type->aRangeCheck);
        EXPECT_TRUE(type->aDefault == source.aDefault);
        EXPECT_TRUE(type->aMin == source.aMin);
        EXPECT_NE(&type->aMin.GetText(), &source.aMin.GetText()) << "texts are deep copies";
        EXPECT_TRUE(type->aMax == source.aMax);
        EXPECT_EQ(type->aSlope, 1.5);
    }

    TTypeDef handInteger(0);
    handInteger.aInteger = true;
    EXPECT_TRUE(TTypeDef(handInteger).aInteger);
    EXPECT_FALSE(TTypeDef::CopyFrom(handInteger).aInteger);
    EXPECT_TRUE(TTypeDef::CopyFrom(TTypeDef(6)).aInteger);
}
