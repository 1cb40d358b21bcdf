#include "ALL/Variant.h"

#include "support/AssertCapture.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>

namespace {

constexpr uint64_t ALL_ONES = ~0ull;

std::unique_ptr<wxXmlNode> Element(const wxString& pXml) {
    return std::unique_ptr<wxXmlNode>(ParseXml(pXml));
}

std::unique_ptr<wxXmlNode> Written(const TVariant& pValue) {
    auto element = std::make_unique<wxXmlNode>(wxXML_ELEMENT_NODE, wxT("value"));
    TVariant::MakeXmlNode(pValue, element.get());
    return element;
}

TVariant Text(const wxString& pText) {
    return TVariant(pText);
}

} // namespace

TEST(NumberImage, WritesTheDocumentedExamples) {
    const struct {
        double aValue;
        const char* aImage;
    } cases[] = {{0.0, ""},
                 {-0.0, "O"},
                 {1.0, "F~_"},
                 {-1.0, "V~_"},
                 {0.5, "F~"},
                 {2.0, "G"},
                 {50.0, "GAQ"},
                 {100.0, "GAq"},
                 {16777215.0, "GJ^~~~"},
                 {0.1, "F|rKrKrKrKY"},
                 {std::nextafter(1.0, 0.0), "f~_"}};
    for (const auto& c : cases) {
        EXPECT_EQ(IEEE754Image(c.aValue), wxString(c.aImage)) << c.aValue;
        uint64_t bits = 12345;
        ASSERT_TRUE(GetIEEE754Value(c.aImage, &bits));
        EXPECT_EQ(bits, DoubleToBits(c.aValue)) << c.aImage;
    }
}

TEST(NumberImage, RoundTripsEveryPatternButAllOnes) {
    std::vector<uint64_t> patterns = {0,
                                      DoubleToBits(-0.0),
                                      DoubleToBits(std::numeric_limits<double>::denorm_min()),
                                      DoubleToBits(-std::numeric_limits<double>::denorm_min()),
                                      DoubleToBits(std::numeric_limits<double>::min() / 3),
                                      DoubleToBits(std::numeric_limits<double>::infinity()),
                                      DoubleToBits(-std::numeric_limits<double>::infinity()),
                                      DoubleToBits(std::numeric_limits<double>::quiet_NaN()),
                                      DoubleToBits(std::numeric_limits<double>::max()),
                                      0xFFFFFFFF00000000ull,
                                      0xFFFFFFFFFFFFFFFEull,
                                      1,
                                      0x7FFFFFFFFFFFFFFFull};
    std::mt19937_64 random(20261206);
    while (patterns.size() < 120000) {
        const uint64_t bits = random();
        patterns.push_back(bits);
        patterns.push_back(bits & ~((1ull << (random() % 64)) - 1)); // trailing zero digits
    }
    for (uint64_t bits : patterns) {
        if (bits == ALL_ONES)
            continue;
        const wxString image = IEEE754Image(BitsToDouble(bits));
        ASSERT_LE(image.length(), 11u);
        uint64_t decoded = 0;
        ASSERT_TRUE(GetIEEE754Value(image, &decoded)) << image;
        ASSERT_EQ(decoded, bits) << image;
    }
}

TEST(NumberImage, DecodesItsEdgeCases) {
    uint64_t bits = 99;
    EXPECT_TRUE(GetIEEE754Value(wxString(), &bits));
    EXPECT_EQ(bits, 0u);
    bits = 99;
    EXPECT_TRUE(GetIEEE754Value(wxT("?"), &bits));
    EXPECT_EQ(bits, 0u);
    EXPECT_TRUE(GetIEEE754Value(wxT("~~~~~~~~~~~"), &bits));
    EXPECT_EQ(bits, 0xFFFFFFFFFFFFFFFEull) << "the flag subtracts one";
    EXPECT_TRUE(GetIEEE754Value(wxT("_"), &bits));
    EXPECT_EQ(bits, ALL_ONES);
    // Longer texts are not refused: the top bits shift out.
    EXPECT_TRUE(GetIEEE754Value(wxT("F~_????????G"), &bits));
    EXPECT_EQ(bits, 0xFC00000000000008ull);

    bits = 7;
    EXPECT_FALSE(GetIEEE754Value(wxT("F>"), &bits));
    EXPECT_FALSE(GetIEEE754Value(wxT("F\x7F"), &bits));
    EXPECT_FALSE(GetIEEE754Value(wxString(L"F\u00e9"), &bits));
    EXPECT_EQ(bits, 7u) << "a failed read leaves the output alone";
}

TEST(NumberImage, NullOutputIsReportedAndNotWritten) {
    bool result = true;
    EXPECT_ASSERTS(result = GetIEEE754Value(wxT("F~_"), nullptr), "pValue != __null");
    EXPECT_FALSE(result);
}

TEST(NumberImage, AllOnesPatternIsReportedWhenWritten) {
    wxString image = wxT("x");
    EXPECT_ASSERTS(image = IEEE754Image(BitsToDouble(ALL_ONES)), "Started");
    EXPECT_EQ(image, wxString());
}

TEST(Variant, CellStatesAndTheNumericStoreRule) {
    TVariant cell;
    EXPECT_TRUE(cell.IsUndefined());
    EXPECT_FALSE(cell.IsNumeric());
    cell = 2.5;
    EXPECT_TRUE(cell.IsNumeric());
    EXPECT_EQ(cell.GetDouble(), 2.5);
    cell.SetText(wxT("abc"));
    EXPECT_FALSE(cell.IsNumeric());
    EXPECT_FALSE(cell.IsUndefined());
    cell = 7.0;
    EXPECT_EQ(cell.GetText(), wxT("abc")) << "a text cell ignores a number";
    cell.SetText(wxT("def"));
    EXPECT_EQ(cell.GetText(), wxT("def"));
    cell.Clear();
    EXPECT_TRUE(cell.IsUndefined());
    cell = 7.0;
    EXPECT_EQ(cell.GetDouble(), 7.0);
}

TEST(Variant, TagPatternsNeverBecomeTexts) {
    for (uint64_t bits : {0xFFFFFFFF00000000ull, 0xFFFFFFFF12345678ull, 0xFFFFFFFFFFFFFFFFull}) {
        TVariant constructed(BitsToDouble(bits));
        EXPECT_TRUE(constructed.IsUndefined());
        TVariant stored(1.0);
        stored = BitsToDouble(bits);
        EXPECT_TRUE(stored.IsUndefined());
        EXPECT_EQ(stored.GetImage(), wxString());
    }
    const double ordinaryNaN = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(TVariant(ordinaryNaN).IsNumeric());
}

TEST(Variant, CopiesOwnTheirText) {
    TVariant original(Text(wxT("shared?")));
    TVariant copy(original);
    original.SetText(wxT("changed"));
    EXPECT_EQ(copy.GetText(), wxT("shared?"));
    TVariant assigned;
    assigned = copy;
    copy.Clear();
    EXPECT_EQ(assigned.GetText(), wxT("shared?"));
    assigned = assigned;
    EXPECT_EQ(assigned.GetText(), wxT("shared?"));
    TVariant moved(std::move(assigned));
    EXPECT_EQ(moved.GetText(), wxT("shared?"));
    EXPECT_TRUE(assigned.IsUndefined());
}

TEST(Variant, EqualityComparesPatternsOrTexts) {
    EXPECT_FALSE(TVariant(0.0) == TVariant(-0.0));
    EXPECT_TRUE(TVariant() == TVariant());
    EXPECT_TRUE(Text(wxT("a")) == Text(wxT("a")));
    EXPECT_FALSE(Text(wxT("a")) == Text(wxT("ab")));
    EXPECT_FALSE(Text(wxString()) == TVariant());
    EXPECT_FALSE(TVariant(1.0) == Text(wxT("1")));
    const TVariant nan(std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(nan == nan) << "numbers compare by pattern";
    EXPECT_TRUE(TVariant(1.0) != TVariant(2.0));
}

TEST(VariantXml, WritesEachKindOfCell) {
    EXPECT_EQ(XmlText(*Written(TVariant())), wxT("<value undef=\"\"/>"));
    EXPECT_EQ(XmlText(*Written(TVariant(0.0))), wxT("<value/>"));
    EXPECT_EQ(XmlText(*Written(TVariant(-0.0))), wxT("<value/>"));
    EXPECT_EQ(XmlText(*Written(TVariant(1.0))), wxT("<value>F~_</value>"));
    EXPECT_EQ(XmlText(*Written(Text(wxT("a<b")))), wxT("<value>a&lt;b</value>"));
    const auto empty = Written(Text(wxString()));
    ASSERT_NE(empty->GetChildren(), nullptr) << "an empty text is one empty text child";
    EXPECT_EQ(empty->GetChildren()->GetType(), wxXML_TEXT_NODE);
    EXPECT_EQ(empty->GetChildren()->GetContent(), wxString());
}

TEST(VariantXml, ReadsElementsByTypeCode) {
    TVariant cell(Text(wxT("old")));
    EXPECT_TRUE(TVariant::ReadXml(cell, 0, Element(wxT("<v undef=\"\">GAQ</v>")).get()));
    EXPECT_TRUE(cell.IsUndefined());
    EXPECT_TRUE(TVariant::ReadXml(cell, 7, Element(wxT("<v/>")).get()));
    EXPECT_TRUE(cell.IsText());
    EXPECT_EQ(cell.GetText(), wxString());
    EXPECT_TRUE(TVariant::ReadXml(cell, 2, Element(wxT("<v/>")).get()));
    EXPECT_TRUE(cell == TVariant(0.0));
    EXPECT_TRUE(TVariant::ReadXml(cell, 0, Element(wxT("<v>GAQ</v>")).get()));
    EXPECT_EQ(cell.GetDouble(), 50.0);
    EXPECT_TRUE(TVariant::ReadXml(cell, 7, Element(wxT("<v>GAQ</v>")).get()));
    EXPECT_EQ(cell.GetText(), wxT("GAQ"));
    EXPECT_FALSE(TVariant::ReadXml(cell, 0, Element(wxT("<v>G A</v>")).get()));
    EXPECT_TRUE(cell.IsUndefined());
}

TEST(VariantXml, TagImagesReadAsUndefinedNeverAsTexts) {
    // "^~~~~w" is the undefined pattern itself; "_" and 11 tildes have a non-zero low word.
    const struct {
        const char* aImage;
        bool aResult;
    } cases[] = {{"^~~~~w", true}, {"_", false}, {"~~~~~~~~~~~", false}, {"~~~~~w????A", false}};
    for (const auto& c : cases) {
        TVariant cell(1.0);
        EXPECT_EQ(TVariant::FromImage(cell, 0, c.aImage), c.aResult) << c.aImage;
        EXPECT_TRUE(cell.IsUndefined()) << c.aImage;
        cell = 1.0;
        const auto element =
            Element(wxString::Format(wxT("<v a=\"%s\">%s</v>"), c.aImage, c.aImage));
        EXPECT_EQ(TVariant::ReadXml(cell, 0, element.get()), c.aResult) << c.aImage;
        EXPECT_TRUE(cell.IsUndefined()) << c.aImage;
        cell = 1.0;
        EXPECT_EQ(TVariant::ReadXmlAttribute(cell, 0, element.get(), wxT("a")), c.aResult);
        EXPECT_TRUE(cell.IsUndefined()) << c.aImage;
        cell = 1.0;
        EXPECT_EQ(TVariant::SwapXmlNode(cell, 0, element.get()), c.aResult) << c.aImage;
        EXPECT_TRUE(cell.IsUndefined()) << c.aImage;
    }
}

TEST(VariantXml, ReadsAttributesAndTexts) {
    const auto element = Element(wxT("<v a=\"GAq\" e=\"\" bad=\"!\"/>"));
    TVariant cell(1.0);
    EXPECT_TRUE(TVariant::ReadXmlAttribute(cell, 0, element.get(), wxT("missing")));
    EXPECT_TRUE(cell.IsUndefined());
    EXPECT_TRUE(TVariant::ReadXmlAttribute(cell, 0, element.get(), wxT("a")));
    EXPECT_EQ(cell.GetDouble(), 100.0);
    EXPECT_TRUE(TVariant::ReadXmlAttribute(cell, 0, element.get(), wxT("e")));
    EXPECT_TRUE(cell == TVariant(0.0));
    EXPECT_TRUE(TVariant::ReadXmlAttribute(cell, 7, element.get(), wxT("e")));
    EXPECT_TRUE(cell.IsText());
    EXPECT_FALSE(TVariant::ReadXmlAttribute(cell, 3, element.get(), wxT("bad")));
    EXPECT_TRUE(cell.IsUndefined());

    EXPECT_TRUE(TVariant::FromImage(cell, 7, wxT("F~_")));
    EXPECT_EQ(cell.GetText(), wxT("F~_"));
    EXPECT_TRUE(TVariant::FromImage(cell, 0, wxT("F~_")));
    EXPECT_EQ(cell.GetDouble(), 1.0);
    EXPECT_TRUE(TVariant::FromImage(cell, 0, wxString()));
    EXPECT_TRUE(cell == TVariant(0.0));
}

TEST(VariantXml, SwapAppliedTwiceRestoresBothSides) {
    // Values whose kind matches the type code, as stored by the module.
    const struct {
        int aType;
        std::vector<const char*> aStored;
        std::vector<TVariant> aCells;
    } cases[] = {{0,
                  {"<v undef=\"\"/>", "<v/>", "<v>GAQ</v>", "<v>F|rKrKrKrKY</v>"},
                  {TVariant(), TVariant(0.0), TVariant(-1.0), TVariant(0.1)}},
                 {7,
                  {"<v undef=\"\"/>", "<v>word</v>", "<v>GAQ</v>"},
                  {TVariant(), Text(wxT("text")), Text(wxString())}}};
    for (const auto& c : cases) {
        for (const char* xml : c.aStored) {
            for (const TVariant& original : c.aCells) {
                const auto element = Element(xml);
                TVariant cell(original);
                EXPECT_TRUE(TVariant::SwapXmlNode(cell, c.aType, element.get()));
                EXPECT_TRUE(TVariant::SwapXmlNode(cell, c.aType, element.get()));
                EXPECT_TRUE(cell == original) << xml << " with " << original.GetImage().utf8_str();
                // A number written over the stored 0.0 leaves an empty text child behind.
                TVariant stored, restored;
                TVariant::ReadXml(stored, c.aType, Element(xml).get());
                TVariant::ReadXml(restored, c.aType, element.get());
                EXPECT_TRUE(restored == stored)
                    << xml << " with " << original.GetImage().utf8_str();
            }
        }
    }
}

TEST(VariantXml, SwapExchangesValues) {
    auto element = Element(wxT("<v>GAQ</v>"));
    TVariant cell(-1.0);
    EXPECT_TRUE(TVariant::SwapXmlNode(cell, 0, element.get()));
    EXPECT_EQ(cell.GetDouble(), 50.0);
    EXPECT_EQ(XmlText(*element), wxT("<v>V~_</v>"));

    TVariant undefined;
    EXPECT_TRUE(TVariant::SwapXmlNode(undefined, 0, element.get()));
    EXPECT_EQ(undefined.GetDouble(), -1.0);
    EXPECT_EQ(XmlText(*element), wxT("<v undef=\"\"/>"));

    TVariant number(2.0);
    EXPECT_TRUE(TVariant::SwapXmlNode(number, 0, element.get()));
    EXPECT_TRUE(number.IsUndefined());
    EXPECT_EQ(XmlText(*element), wxT("<v>G</v>"));

    TVariant zero(0.0);
    EXPECT_TRUE(TVariant::SwapXmlNode(zero, 0, element.get()));
    EXPECT_EQ(zero.GetDouble(), 2.0);
    EXPECT_EQ(XmlText(*element), wxT("<v></v>")) << "the child stays, emptied";

    element = Element(wxT("<v>old</v>"));
    TVariant text(Text(wxT("new")));
    EXPECT_TRUE(TVariant::SwapXmlNode(text, 7, element.get()));
    EXPECT_EQ(text.GetText(), wxT("old"));
    EXPECT_EQ(XmlText(*element), wxT("<v>new</v>"));

    // An element without content is 0.0, or the empty text of a text value.
    element = Element(wxT("<v/>"));
    TVariant forText(Text(wxT("x")));
    EXPECT_TRUE(TVariant::SwapXmlNode(forText, 7, element.get()));
    EXPECT_TRUE(forText.IsText());
    EXPECT_EQ(forText.GetText(), wxString());
    EXPECT_EQ(XmlText(*element), wxT("<v>x</v>"));
    element = Element(wxT("<v/>"));
    TVariant forNumber(3.0);
    EXPECT_TRUE(TVariant::SwapXmlNode(forNumber, 0, element.get()));
    EXPECT_TRUE(forNumber == TVariant(0.0));
    EXPECT_EQ(XmlText(*element), wxT("<v>G?O</v>"));
}

TEST(VariantXml, NumberAttributesReadWithTheirOwnRules) {
    const auto element = Element(wxT("<k a=\"F~_\" b=\"\" c=\"bad!\" t=\"-12\" big=\"2147483648\" "
                                     "low=\"-2147483648\" x=\"12x\"/>"));
    double value = 5.0;
    EXPECT_FALSE(GetXmlIEEE754Attribute(element.get(), wxT("none"), value));
    EXPECT_EQ(value, 0.0);
    EXPECT_TRUE(GetXmlIEEE754Attribute(element.get(), wxT("a"), value));
    EXPECT_EQ(value, 1.0);
    EXPECT_TRUE(GetXmlIEEE754Attribute(element.get(), wxT("b"), value));
    EXPECT_EQ(value, 0.0);
    EXPECT_TRUE(GetXmlIEEE754Attribute(element.get(), wxT("c"), value));
    EXPECT_EQ(value, 0.0);

    // The reporting form tells the bad image from the empty one.
    bool badImage = true;
    EXPECT_TRUE(GetXmlIEEE754Attribute(element.get(), wxT("b"), value, badImage));
    EXPECT_FALSE(badImage);
    EXPECT_TRUE(GetXmlIEEE754Attribute(element.get(), wxT("c"), value, badImage));
    EXPECT_TRUE(badImage);
    EXPECT_EQ(value, 0.0);
    EXPECT_FALSE(GetXmlIEEE754Attribute(element.get(), wxT("none"), value, badImage));
    EXPECT_FALSE(badImage);
    value = 5.0;
    EXPECT_TRUE(GetXmlIEEE754Attribute(element.get(), wxT("a"), value, badImage));
    EXPECT_EQ(value, 1.0);
    EXPECT_FALSE(badImage);

    long number = 7;
    EXPECT_FALSE(GetXmlLongAttribute(element.get(), wxT("none"), number));
    EXPECT_EQ(number, 7);
    EXPECT_TRUE(GetXmlLongAttribute(element.get(), wxT("t"), number));
    EXPECT_EQ(number, -12);
    EXPECT_TRUE(GetXmlLongAttribute(element.get(), wxT("low"), number));
    EXPECT_EQ(number, -2147483648L);
    EXPECT_FALSE(GetXmlLongAttribute(element.get(), wxT("big"), number));
    EXPECT_FALSE(GetXmlLongAttribute(element.get(), wxT("x"), number));
    EXPECT_FALSE(GetXmlLongAttribute(element.get(), wxT("b"), number));
}

TEST(Variant, RoundsInEachMode) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const int low = -2147483647 - 1;
    const struct {
        double aValue;
        int aMode;
        int aResult;
    } cases[] = {{2.5, 0x000, 2},
                 {3.5, 0x000, 4},
                 {-2.5, 0x000, -2},
                 {-2.5, 0x400, -3},
                 {2.1, 0x800, 3},
                 {-2.9, 0xC00, -2},
                 {2.9, 0xC00, 2},
                 {-0.5, 0x800, 0},
                 {2147483647.4, 0x000, 2147483647},
                 {2147483647.5, 0x000, low},
                 {-2147483648.0, 0x400, low},
                 {-2147483648.5, 0x800, low},
                 {-2147483649.0, 0x000, low},
                 {1e300, 0x400, low},
                 {nan, 0x000, low},
                 {nan, 0xC00, low}};
    for (const auto& c : cases)
        EXPECT_EQ(RoundToInt(c.aValue, c.aMode), c.aResult) << c.aValue << " mode " << c.aMode;
    EXPECT_EQ(RoundFloatToInt(2.5f, 0x000), 2);
    EXPECT_EQ(RoundFloatToInt(-2.5f, 0x400), -3);
    EXPECT_EQ(RoundFloatToInt(3e9f, 0x000), low);
}

TEST(Variant, FormatsByTypeCode) {
    EXPECT_EQ(FormatLong(-2147483648L), wxT("-2147483648"));
    EXPECT_EQ(FormatDouble(0.1), wxT("0.1"));
    EXPECT_EQ(FormatDouble(1e20), wxT("1e+20"));
    EXPECT_EQ(FormatDouble(1234567.0), wxT("1.23457e+06"));

    const TVariant half(2.5), negativeHalf(-2.5), text(Text(wxT("ib12\t0\tArial")));
    EXPECT_EQ(FormatVariant(half, 0), wxT("2.5"));
    EXPECT_EQ(FormatVariant(half, 1), wxT("2.5"));
    for (int type : {2, 3, 4, 5, 6, -1, 99}) {
        EXPECT_EQ(FormatVariant(half, type), wxT("3")) << type;
        EXPECT_EQ(FormatVariant(negativeHalf, type), wxT("-3")) << type;
    }
    EXPECT_EQ(FormatVariant(half, 7), wxString());
    EXPECT_EQ(FormatVariant(TVariant(), 7), wxString());
    EXPECT_EQ(FormatVariant(text, 7), text.GetText());
    // Texts and undefined values under numeric codes show as texts, never as a rounded NaN.
    for (int type : {0, 2, 5, 6}) {
        EXPECT_EQ(FormatVariant(text, type), text.GetText()) << type;
        EXPECT_EQ(FormatVariant(TVariant(), type), wxString()) << type;
    }
}

TEST(Variant, ImageOfEachKindOfCell) {
    EXPECT_EQ(TVariant().GetImage(), wxString());
    EXPECT_EQ(TVariant(100.0).GetImage(), wxT("GAq"));
    EXPECT_EQ(Text(wxT("abc")).GetImage(), wxT("abc"));
    EXPECT_TRUE(UNDEFINED_VARIANT.IsUndefined());
}
