#include "ALL/Variant.h"

#include "support/AssertCapture.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <tuple>

namespace {

constexpr uint64_t ALL_ONES = ~0ull;
const double NaN = std::numeric_limits<double>::quiet_NaN();

std::unique_ptr<wxXmlNode> Element(const wxString& pXml) {
    return std::unique_ptr<wxXmlNode>(ParseXml(pXml));
}

wxString Written(const TVariant& pValue) {
    wxXmlNode element(wxXML_ELEMENT_NODE, wxT("v"));
    TVariant::MakeXmlNode(pValue, &element);
    return XmlText(element);
}

TVariant Text(const wxString& pText) {
    return TVariant(pText);
}

} // namespace

TEST(NumberImage, WritesAndReadsTheDocumentedExamples) {
    wxString images;
    for (double value :
         {0.0, -0.0, 1.0, -1.0, 0.5, 2.0, 50.0, 100.0, 16777215.0, 0.1, std::nextafter(1.0, 0.0)}) {
        images << IEEE754Image(value) << ' ';
        uint64_t bits = 12345;
        EXPECT_TRUE(GetIEEE754Value(IEEE754Image(value), &bits));
        EXPECT_EQ(bits, DoubleToBits(value)) << value;
    }
    EXPECT_EQ(images, " O F~_ V~_ F~ G GAQ GAq GJ^~~~ F|rKrKrKrKY f~_ ");
}

TEST(NumberImage, RoundTripsEveryPatternButAllOnes) {
    std::vector<uint64_t> patterns = {0,
                                      1,
                                      0x7FFFFFFFFFFFFFFFull,
                                      0xFFFFFFFF00000000ull,
                                      0xFFFFFFFFFFFFFFFEull,
                                      DoubleToBits(-0.0),
                                      DoubleToBits(std::numeric_limits<double>::denorm_min()),
                                      DoubleToBits(-std::numeric_limits<double>::min() / 3),
                                      DoubleToBits(std::numeric_limits<double>::infinity()),
                                      DoubleToBits(-std::numeric_limits<double>::infinity()),
                                      DoubleToBits(NaN)};
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
        uint64_t decoded = 0;
        ASSERT_LE(image.length(), 11u) << image;
        ASSERT_TRUE(GetIEEE754Value(image, &decoded)) << image;
        ASSERT_EQ(decoded, bits) << image;
    }
}

TEST(NumberImage, DecodesItsEdgeCases) {
    const std::pair<const char*, uint64_t> decoded[] = {
        {"", 0},
        {"?", 0},
        {"~~~~~~~~~~~", 0xFFFFFFFFFFFFFFFEull},
        {"_", ALL_ONES},
        {"F~_????????G", 0xFC00000000000008ull}}; // longer texts shift the top bits out
    for (const auto& [image, pattern] : decoded) {
        uint64_t bits = 99;
        EXPECT_TRUE(GetIEEE754Value(image, &bits));
        EXPECT_EQ(bits, pattern) << image;
    }
    uint64_t bits = 7;
    for (const wchar_t* bad : {L"F>", L"F\x7F", L"F\u00e9"})
        EXPECT_FALSE(GetIEEE754Value(bad, &bits));
    EXPECT_EQ(bits, 7u) << "a failed read leaves the output alone";

    bool result = true;
    EXPECT_ASSERTS(result = GetIEEE754Value(wxT("F~_"), nullptr), "pValue != __null");
    EXPECT_FALSE(result);
    wxString image = wxT("x");
    EXPECT_ASSERTS(image = IEEE754Image(BitsToDouble(ALL_ONES)), "Started");
    EXPECT_EQ(image, wxString());
}

TEST(Variant, CellsFollowTheNumericStoreRuleAndOwnTheirTexts) {
    TVariant cell;
    cell.SetText(wxT("abc"));
    cell = 7.0; // a text cell ignores a number
    TVariant copy(cell);
    cell.SetText(wxT("def")); // copies are deep
    copy = copy;
    TVariant moved(std::move(copy));
    wxString state = moved.GetText() + (copy.IsUndefined() ? " moved " : " kept ");
    cell.Clear();
    cell = 7.0;
    state << cell.GetDouble() << ' ' << TVariant().GetImage() << TVariant(100.0).GetImage()
          << Text(wxT("x")).GetImage();
    EXPECT_EQ(state, "abc moved 7 GAqx");
}

TEST(Variant, ComparesPatternsOrTextsAndTagPatternsAreUndefined) {
    const TVariant a = Text(wxT("a")), undefined;
    const std::tuple<TVariant, TVariant, bool> cases[] = {
        {0.0, -0.0, false},
        {undefined, undefined, true},
        {a, Text(wxT("a")), true},
        {a, Text(wxT("ab")), false},
        {Text(wxString()), undefined, false},
        {1.0, Text(wxT("1")), false},
        {NaN, NaN, true}, // numbers compare by pattern
        {NaN, undefined, false},
        {BitsToDouble(0xFFFFFFFF00000000ull), undefined, true},
        {BitsToDouble(0xFFFFFFFF12345678ull), undefined, true},
        {BitsToDouble(ALL_ONES), undefined, true}};
    for (const auto& [first, second, equal] : cases)
        EXPECT_EQ(first == second, equal) << first.GetImage() << " " << second.GetImage();
    for (uint64_t bits : {0xFFFFFFFF00000000ull, 0xFFFFFFFF12345678ull, ~0ull}) {
        TVariant stored(1.0);
        stored = BitsToDouble(bits);
        EXPECT_TRUE(stored.IsUndefined()) << bits;
    }
}

TEST(VariantXml, WritesEachKindOfCell) {
    wxString written; // an empty text keeps one empty text child
    for (const TVariant& cell : {TVariant(), TVariant(0.0), TVariant(-0.0), TVariant(1.0),
                                 Text(wxT("a<b")), Text(wxString())})
        written += Written(cell);
    EXPECT_EQ(written, wxT("<v undef=\"\"/><v/><v/><v>F~_</v><v>a&lt;b</v><v></v>"));
}

TEST(VariantXml, ReadsElementsAttributesAndTextsByTypeCode) {
    const struct {
        const char* aXml;
        int aType;
        bool aResult;
        TVariant aCell;
    } cases[] = {{"<v undef=\"\" a=\"\">GAQ</v>", 0, true, TVariant()},
                 {"<v a=\"\"/>", 7, true, Text(wxString())},
                 {"<v a=\"\"/>", 2, true, TVariant(0.0)},
                 {"<v a=\"GAQ\">GAQ</v>", 0, true, TVariant(50.0)},
                 {"<v a=\"GAQ\">GAQ</v>", 7, true, Text(wxT("GAQ"))},
                 {"<v a=\"G A\">G A</v>", 0, false, TVariant()},
                 // Tag patterns: the undefined pattern itself, then non-zero low words.
                 {"<v a=\"^~~~~w\">^~~~~w</v>", 0, true, TVariant()},
                 {"<v a=\"_\">_</v>", 0, false, TVariant()},
                 {"<v a=\"~~~~~~~~~~~\">~~~~~~~~~~~</v>", 3, false, TVariant()},
                 {"<v a=\"~~~~~w????A\">~~~~~w????A</v>", 0, false, TVariant()}};
    for (const auto& c : cases) {
        const auto element = Element(c.aXml);
        TVariant cell(Text(wxT("old")));
        EXPECT_EQ(TVariant::ReadXml(cell, c.aType, element.get()), c.aResult) << c.aXml;
        EXPECT_TRUE(cell == c.aCell) << c.aXml;
        // The attribute forms know no undef marker.
        const bool undef = element->HasAttribute(wxT("undef"));
        cell = 1.0;
        EXPECT_EQ(TVariant::ReadXmlAttribute(cell, c.aType, element.get(), wxT("a")), c.aResult);
        EXPECT_TRUE(undef || cell == c.aCell) << c.aXml;
        EXPECT_EQ(TVariant::FromImage(cell, c.aType, element->GetAttribute(wxT("a"))), c.aResult);
        EXPECT_TRUE(undef || cell == c.aCell) << c.aXml;
    }
    TVariant cell(1.0);
    EXPECT_TRUE(TVariant::ReadXmlAttribute(cell, 0, Element(wxT("<v/>")).get(), wxT("a")));
    EXPECT_TRUE(cell.IsUndefined()) << "an absent attribute";
}

TEST(VariantXml, SwapExchangesValues) {
    auto element = Element(wxT("<v>GAQ</v>"));
    // Each cell swapped in, the cell that comes out and the element after.
    const std::tuple<TVariant, TVariant, const char*> steps[] = {
        {TVariant(-1.0), TVariant(50.0), "<v>V~_</v>"},
        {TVariant(), TVariant(-1.0), "<v undef=\"\"/>"},
        {TVariant(), TVariant(), "<v undef=\"\"/>"},
        {TVariant(2.0), TVariant(), "<v>G</v>"},
        {TVariant(0.0), TVariant(2.0), "<v></v>"}};
    for (const auto& [in, out, xml] : steps) {
        TVariant cell(in);
        EXPECT_TRUE(TVariant::SwapXmlNode(cell, 0, element.get()));
        EXPECT_TRUE(cell == out) << xml;
        EXPECT_EQ(XmlText(*element), wxString(xml));
    }
    // No content is the stored 0.0, or the empty text of a text value.
    TVariant forText(Text(wxT("x"))), forNumber(3.0);
    EXPECT_TRUE(TVariant::SwapXmlNode(forText, 7, Element(wxT("<v/>")).get()));
    EXPECT_TRUE(forText == Text(wxString()));
    element = Element(wxT("<v/>"));
    EXPECT_TRUE(TVariant::SwapXmlNode(forNumber, 0, element.get()));
    EXPECT_TRUE(forNumber == TVariant(0.0));
    EXPECT_EQ(XmlText(*element), wxT("<v>G?O</v>"));
}

// A value written in text and CDATA pieces is their whole text; a swap leaves one piece.
TEST(VariantXml, ReadsAndSwapsTheWholeTextOfItsPieces) {
    TVariant cell;
    EXPECT_TRUE(TVariant::ReadXml(cell, 0, Element(wxT("<v>G<![CDATA[Aq]]></v>")).get()));
    EXPECT_TRUE(cell == TVariant(100.0));
    EXPECT_TRUE(
        TVariant::ReadXml(cell, 7, Element(wxT("<v>a<![CDATA[<b>]]>c<!-- d --></v>")).get()));
    EXPECT_TRUE(cell == Text(wxT("a<b>c")));
    EXPECT_FALSE(TVariant::ReadXml(cell, 0, Element(wxT("<v>G<![CDATA[ Aq]]></v>")).get()));
    EXPECT_TRUE(cell.IsUndefined());

    auto element = Element(wxT("<v>G<![CDATA[A]]>q</v>"));
    cell = 5.0;
    EXPECT_TRUE(TVariant::SwapXmlNode(cell, 0, element.get()));
    EXPECT_TRUE(cell == TVariant(100.0));
    EXPECT_EQ(XmlText(*element), wxT("<v>G?g</v>"));
    EXPECT_TRUE(TVariant::SwapXmlNode(cell, 0, element.get()));
    EXPECT_TRUE(cell == TVariant(5.0));
    EXPECT_EQ(XmlText(*element), wxT("<v>GAq</v>"));
    element = Element(wxT("<v><![CDATA[a]]>b</v>"));
    cell = TVariant();
    EXPECT_TRUE(TVariant::SwapXmlNode(cell, 7, element.get()));
    EXPECT_TRUE(cell == Text(wxT("ab")));
    EXPECT_EQ(XmlText(*element), wxT("<v undef=\"\"/>"));
}

// Number images: absent is false; empty and bad are 0.0, told apart by the reporting form
// (its flag starts opposite to the answer); longs refuse what is not a 32-bit number.
TEST(VariantXml, NumberAttributesReadWithTheirOwnRules) {
    const auto element = Element(wxT("<k a=\"F~_\" b=\"\" c=\"bad!\" t=\"-12\" big=\"2147483648\" "
                                     "low=\"-2147483648\" x=\"12x\" sp=\" +5\" "
                                     "huge=\"99999999999999999999\"/>"));
    wxString read;
    for (const char* name : {"none", "a", "b", "c"}) {
        double value = 5.0, reported = 5.0;
        bool bad = name[0] != 'c';
        const bool found = GetXmlIEEE754Attribute(element.get(), name, value);
        EXPECT_EQ(GetXmlIEEE754Attribute(element.get(), name, reported, bad), found) << name;
        EXPECT_EQ(reported, value) << name;
        read << name << ':' << found << ' ' << value << ' ' << bad << ' ';
    }
    long number = 7;
    for (const char* name : {"none", "big", "x", "b", "t", "low", "huge", "sp"})
        read << name << ':' << GetXmlLongAttribute(element.get(), name, number) << ' ' << number
             << ' ';
    EXPECT_EQ(read, "none:0 0 0 a:1 1 0 b:1 0 0 c:1 0 1 none:0 7 big:0 7 x:0 7 b:0 7 t:1 -12 "
                    "low:1 -2147483648 huge:0 -2147483648 sp:1 5 ");
}

TEST(Variant, RoundsInEachMode) {
    const std::pair<double, int> cases[] = {
        {2.5, 0x000},           {3.5, 0x000},           {-2.5, 0x000},
        {-2.5, 0x400},          {2.1, 0x800},           {-2.9, 0xC00},
        {-0.5, 0x800},          {2147483647.4, 0x000},  {2147483647.5, 0x000},
        {-2147483648.5, 0x800}, {-2147483649.0, 0x000}, {1e300, 0x400},
        {NaN, 0xC00},           {2.5, 0x1000},          {-2.5, 0x1000},
        {-0.4, 0x1000},         {2147483647.5, 0x1000}, {NaN, 0x1000}};
    std::string rounded;
    for (const auto& [value, mode] : cases)
        rounded += std::to_string(RoundToInt(value, mode)) + " ";
    const std::string low = "-2147483648 ";
    EXPECT_EQ(rounded,
              "2 4 -2 -3 3 -2 0 2147483647 " + low + low + low + low + low + "3 -3 0 " + low + low);
    EXPECT_EQ(RoundFloatToInt(-2.5f, 0x400), -3);
    EXPECT_EQ(RoundFloatToInt(3e9f, 0x000), -2147483647 - 1);
}

TEST(Variant, FormatsByTypeCode) {
    EXPECT_EQ(FormatLong(-2147483648L) + wxT(" ") + FormatDouble(0.1) + wxT(" ") +
                  FormatDouble(1e20) + wxT(" ") + FormatDouble(1234567.0),
              wxT("-2147483648 0.1 1e+20 1.23457e+06"));
    const TVariant half(2.5), negativeHalf(-2.5), text(Text(wxT("ib12\t0\tArial")));
    EXPECT_EQ(FormatVariant(half, 0) + FormatVariant(half, 1), wxT("2.52.5"));
    for (int type : {2, 3, 4, 5, 6, -1, 99})
        EXPECT_EQ(FormatVariant(half, type) + FormatVariant(negativeHalf, type), wxT("3-3"));
    EXPECT_EQ(FormatVariant(half, 7) + FormatVariant(TVariant(), 7), wxString());
    // Texts and undefined values show as texts under every code, never as a rounded NaN.
    for (int type : {0, 2, 5, 6, 7}) {
        EXPECT_EQ(FormatVariant(text, type), text.GetText()) << type;
        EXPECT_EQ(FormatVariant(TVariant(), type), wxString()) << type;
    }
}
