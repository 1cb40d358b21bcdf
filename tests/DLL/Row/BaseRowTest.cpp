#include "DLL/Row/BaseRow.h"

#include "ALL/Error.h"
#include "support/AssertCapture.h"
#include "support/FakeRows.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// "level detached shown parent" of a row; the parent by name, "-" for none.
std::string Link(const TZVBaseRow& pRow) {
    return std::to_string(pRow.aLevel) + (pRow.aIsDetached ? " detached " : " linked ") +
           (pRow.aIsShown ? "shown " : "hidden ") +
           (pRow.aParent ? pRow.aParent->aName.ToStdString() : "-");
}

} // namespace

TEST(BaseRow, LinkingMovesSubtreesUnlinkingKeepsTheLevel) {
    TFakeStreamRow root(rowKindMIXER, L"R"), mixer(rowKindMIXER, L"M");
    TFakeStreamRow source(rowKindSOURCE, L"S"), other(rowKindSOURCE, L"S2");
    root.MakeRoot();
    TZVBaseRow* param = source.AddParam(true);
    struct TStep {
        TZVBaseRow* aRow;
        TZVStreamRow* aParent; // may be a parameter row, taken as a stream row
        bool aShown;
        std::vector<wxString> aAsserts;
        std::string aRowAfter, aParamAfter;
    } steps[] = {
        {&source, &root, true, {}, "0 linked shown R", "2 linked hidden S"},
        {&mixer, &root, true, {}, "0 linked shown R", "2 linked hidden S"},
        // Re-linked one level deeper: the parameter moves with its stream.
        {&source, &mixer, false, {}, "1 linked hidden M", "3 linked hidden S"},
        {&source, nullptr, true, {}, "1 detached shown -", "3 linked hidden S"},
        {&source,
         nullptr,
         false,
         {"(pParent != __null) || (aParent != __null)"},
         "1 detached hidden -",
         "3 linked hidden S"},
        // A parameter is never a parent: reported, the row left as it was.
        {&other,
         reinterpret_cast<TZVStreamRow*>(param),
         true,
         {"pParent->aRowKind > rowKindPARAM"},
         "0 detached hidden -",
         "3 linked hidden S"},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(Link(*step.aRow) + " to " +
                     (step.aParent ? step.aParent->aName.ToStdString() : "-"));
        EXPECT_ASSERTS(step.aRow->SetParent(step.aParent, step.aShown), step.aAsserts);
        EXPECT_EQ(Link(*step.aRow), step.aRowAfter);
        EXPECT_EQ(Link(*param), step.aParamAfter);
    }
    EXPECT_TRUE(root.IsAncestorOf(&mixer));
    EXPECT_FALSE(root.IsAncestorOf(&root));
    EXPECT_FALSE(mixer.IsAncestorOf(&root));
}

TEST(BaseRow, EachPairOfKindsHasItsLevelOffset) {
    // By parent kind (filter, source, mixer), the offsets of param, filter, source and mixer
    // children; 0 is refused and gives the parent's level.
    const int offsets[3][4] = {{2, 0, 1, 1}, {2, 1, 0, 0}, {3, 2, 1, 1}};
    for (int parentKind = rowKindFILTER; parentKind <= rowKindMIXER; ++parentKind)
        for (int childKind = rowKindPARAM; childKind <= rowKindMIXER; ++childKind) {
            TFakeStreamRow parent{ERowKind(parentKind)}, child{ERowKind(childKind)};
            parent.aLevel = 5;
            const int offset = offsets[parentKind - 1][childKind];
            EXPECT_ASSERTS(child.SetParent(&parent, true),
                           offset ? std::vector<wxString>{} : std::vector<wxString>{"Offset!=0"});
            EXPECT_EQ(child.aLevel, 5 + offset) << parentKind << childKind;
        }
}

TEST(BaseRow, ShownAlongTheWayUpDownToLevelZero) {
    TFakeStreamRow root(rowKindMIXER, L"R"), mixer(rowKindMIXER, L"M"), source(rowKindSOURCE);
    root.MakeRoot();
    mixer.SetParent(&root, false);
    source.SetParent(&mixer, true);
    TZVBaseRow* param = source.AddParam(true);
    param->aIsShown = true;
    // The hidden mixer is at level 0, whose flag is not consulted.
    EXPECT_TRUE(param->IsActuallyShown());
    source.aIsShown = false;
    EXPECT_FALSE(param->IsActuallyShown());
    EXPECT_TRUE(mixer.IsActuallyShown());
}

TEST(BaseRow, IntegerAttributesAreDecimalsWithinThirtyTwoBits) {
    TFakeStreamRow row(rowKindSOURCE, L"Clip");
    row.aSubType = L"video-media";
    const std::unique_ptr<wxXmlNode> element(ParseXml(
        L"<source a=\"12\" b=\"12a\" c=\"\" d=\"0x10\" e=\"2147483648\" f=\"-2147483648\"/>"));
    const wxString bad = L"Invalid Integer value for %s of Source video-media Clip";
    struct TCase {
        const wchar_t* aName;
        long aValue;
        wxString aMessage; // empty: aValue is read
    } cases[] = {
        {L"a", 12, L""},
        {L"b", 0, wxString::Format(bad, "b")},
        {L"c", 0, wxString::Format(bad, "c")},
        {L"d", 0, wxString::Format(bad, "d")},
        {L"e", 0, wxString::Format(bad, "e")},
        {L"f", -2147483648L, L""},
        {L"g", 0, L"The property g does not exist for Source video-media Clip"},
    };
    for (const TCase& c : cases) {
        try {
            EXPECT_EQ(row.GetPropIntValue(element.get(), c.aName), c.aValue) << c.aName;
            EXPECT_EQ(c.aMessage, L"") << c.aName;
        } catch (const TError& error) {
            EXPECT_EQ(error, c.aMessage);
        }
    }
}

TEST(BaseRow, ElementAndDesignationsNameTheRowAndItsParent) {
    TFakeStreamRow source(rowKindSOURCE, L"Clip");
    source.aSubType = L"video-media";
    TZVBaseRow* param = source.AddParam(true);
    param->aName = L"Opacity";
    const std::unique_ptr<wxXmlNode> image(param->TZVBaseRow::GetXmlImage());
    EXPECT_EQ(XmlText(*image), L"<param type=\"Standard\" name=\"Opacity\"/>");
    EXPECT_EQ(param->GetRowDesignation(), L"Param. Standard Opacity of video-media Clip");
    EXPECT_EQ(source.GetRowDesignation(), L"Source video-media Clip");
    EXPECT_EQ(param->GetRowFullName(), L"Param. Opacity");
}

TEST(BaseRow, PropertiesReadTheNameOrRefuseTheElement) {
    TFakeStreamRow row(rowKindMIXER);
    const std::unique_ptr<wxXmlNode> named(ParseXml(L"<mixer type=\"t\" name=\"\"/>"));
    const std::unique_ptr<wxXmlNode> unnamed(ParseXml(L"<mixer type=\"t\"/>"));
    row.aName = L"old";
    row.SetProperties(named.get());
    EXPECT_EQ(row.aName, L"");
    EXPECT_EQ(row.aLog, "DeconflictName ");
    EXPECT_THROW(row.SetProperties(unnamed.get()), TError);
}
