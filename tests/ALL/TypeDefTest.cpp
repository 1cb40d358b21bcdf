#include "ALL/TypeDef.h"

#include "support/WxPrint.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

const TVariant UNDEFINED;

TVariant Text(const wxString& pText) {
    return TVariant(pText);
}

// Every field in one comparable text.
wxString Fields(const TTypeDef& pType) {
    return wxString::Format(wxT("%d %d %d [%s] [%s] [%s] %g"), pType.aType, int(pType.aInteger),
                            int(pType.aRangeCheck), FormatVariant(pType.aDefault, 1),
                            FormatVariant(pType.aMin, 1), FormatVariant(pType.aMax, 1),
                            pType.aSlope);
}

TTypeDef Ranged(const TVariant& pMin, const TVariant& pMax) {
    TTypeDef type(0);
    type.aRangeCheck = true;
    type.aMin = pMin;
    type.aMax = pMax;
    return type;
}

} // namespace

TEST(TypeDef, BuiltInTypesHaveTheirFields) {
    wxString fields;
    for (const TTypeDef* type :
         {&INT_0_100_PARAM_TYPE(), &REAL_0_100_D0_PARAM_TYPE(), &REAL_0_100_D50_PARAM_TYPE(),
          &REAL_0_100_D100_PARAM_TYPE(), &REAL_0_100_D0_CLAMP_PARAM_TYPE(),
          &REAL_0_100_D50_CLAMP_PARAM_TYPE(), &REAL_0_100_D100_CLAMP_PARAM_TYPE(),
          &COLOR_PARAM_TYPE(), &WHITE_COLOR_PARAM_TYPE(), &FONT_PARAM_TYPE(), &FLAG_PARAM_TYPE(),
          &TEXT_PARAM_TYPE()})
        fields << Fields(*type) << '|';
    EXPECT_EQ(fields, "2 1 0 [0] [0] [100] 0|0 0 0 [0] [0] [100] 0|0 0 0 [50] [0] [100] 0|"
                      "0 0 0 [100] [0] [100] 0|0 0 1 [0] [0] [100] 0|0 0 1 [50] [0] [100] 0|"
                      "0 0 1 [100] [0] [100] 0|5 1 1 [] [0] [1.67772e+07] 0|"
                      "5 1 1 [1.67772e+07] [0] [1.67772e+07] 0|6 0 0 [ib12\t0\tArial] [] [] 0|"
                      "3 1 0 [0] [] [] 0|7 0 0 [Text] [] [] 0|");
    EXPECT_TRUE(COLOR_PARAM_TYPE().aDefault.IsUndefined());
}

TEST(TypeDef, InitDefaultByCode) {
    wxString fields;
    for (int code : {0, 1, 2, 3, 4, 5, 6, 7, 8, -1})
        fields << Fields(TTypeDef(code)) << '|';
    EXPECT_EQ(fields,
              "0 0 0 [0] [] [] 0|1 0 0 [0] [] [] 0|2 1 0 [0] [] [] 0|3 1 0 [0] [] [] 0|"
              "4 1 0 [0] [] [] 0|5 1 1 [] [0] [1.67772e+07] 0|6 0 0 [ib12\t0\tArial] [] [] 0|"
              "7 0 0 [Text] [] [] 0|8 1 0 [0] [] [] 0|-1 1 0 [0] [] [] 0|");

    // A numeric code keeps a default that holds a text; only colours touch the range.
    TTypeDef type = Ranged(-4.0, UNDEFINED);
    type.aType = 2;
    type.aDefault.SetText(wxT("kept"));
    type.aSlope = 2.0;
    type.InitDefault();
    EXPECT_EQ(Fields(type), wxT("2 1 1 [kept] [-4] [] 2"));
}

TEST(TypeDef, ConstrainReplacesUndefinedLimitsNumbersRoundsIntegersAndPassesTexts) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const TVariant x = Text(wxT("x"));
    // Each type with pairs of value and result.
    const std::pair<TTypeDef, std::vector<std::pair<TVariant, TVariant>>> cases[] = {
        {COLOR_PARAM_TYPE(), {{UNDEFINED, UNDEFINED}, {2e7, 16777215.0}, {x, x}}},
        {WHITE_COLOR_PARAM_TYPE(), {{UNDEFINED, 16777215.0}}},
        {REAL_0_100_D50_CLAMP_PARAM_TYPE(), {{UNDEFINED, 50.0}, {150.0, 100.0}, {-3.0, 0.0}}},
        {REAL_0_100_D50_CLAMP_PARAM_TYPE(), {{42.7, 42.7}, {nan, nan}, {x, x}}},
        {REAL_0_100_D50_PARAM_TYPE(), {{150.0, 150.0}, {-3.0, -3.0}}},
        // Integers round half away from zero, without a range check here.
        {INT_0_100_PARAM_TYPE(), {{42.5, 43.0}, {-0.5, -1.0}, {1e300, 1e300}, {x, x}}},
        // A bound that is not a number imposes no limit; crossed bounds test the maximum first.
        {Ranged(0.0, UNDEFINED), {{1e9, 1e9}, {-1.0, 0.0}}},
        {Ranged(UNDEFINED, 10.0), {{-5.0, -5.0}}},
        {Ranged(Text(wxT("no bound")), 10.0), {{-5.0, -5.0}}},
        {Ranged(10.0, 5.0), {{7.0, 5.0}, {3.0, 10.0}}},
        {TTypeDef(6), {{3.7, 3.7}, {x, x}}},
        {TTypeDef(7), {{3.7, 3.7}, {UNDEFINED, Text(wxT("Text"))}}},
    };
    for (const auto& [type, pairs] : cases)
        for (const auto& [value, result] : pairs)
            EXPECT_TRUE(type.Constrain(value) == result) << Fields(type) << " " << value.GetImage();
}

TEST(TypeDef, CopyFromMakesEveryNonRealCodeInteger) {
    TTypeDef source = Ranged(Text(wxT("min text")), 9.0);
    source.aType = 1;
    source.aDefault = 4.0;
    source.aSlope = 1.5;
    const TTypeDef copy(source);
    const TTypeDef copied = TTypeDef::CopyFrom(source);
    EXPECT_EQ(Fields(copy), wxT("1 0 1 [4] [min text] [9] 1.5"));
    EXPECT_EQ(Fields(copied), wxT("1 1 1 [4] [min text] [9] 1.5")) << "code 1 becomes integer";

    TTypeDef handInteger(0);
    handInteger.aInteger = true;
    EXPECT_TRUE(TTypeDef(handInteger).aInteger);
    EXPECT_FALSE(TTypeDef::CopyFrom(handInteger).aInteger);
    EXPECT_TRUE(TTypeDef::CopyFrom(TTypeDef(6)).aInteger);
}
