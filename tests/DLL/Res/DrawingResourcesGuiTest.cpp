#include "DLL/Res/DrawingResources.h"

#include "DLL/Res/CursorResource.h"

#include <wx/settings.h>

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

namespace {

#define ZV_ICON(pName) Get##pName##Icon,
const TIconGetter theIcons[] = {
#include "DLL/Res/IconList"

#include "DLL/Res/IconCmnList"

#include "Lib/Res/IconCmnDllList"
};
#undef ZV_ICON

// A colour with its pen, brush and shared colour object, where it has them.
const std::tuple<wxColour, wxPen* (*)(), wxBrush* (*)(), const wxColour& (*)()> theColours[] = {
    {wxColour(255, 0, 0), GetRedPen, nullptr, nullptr},
    {wxColour(0, 64, 255), GetBluePen, GetBlueBrush, nullptr},
    {wxColour(255, 192, 63), GetOrangePen, nullptr, nullptr},
    {wxColour(224, 255, 224), GetSeqTickPen, nullptr, nullptr},
    {wxColour(0, 218, 0), GetSeqBorderPen, nullptr, nullptr},
    {wxColour(194, 255, 181), nullptr, GetSeqBrush, nullptr},
    {wxColour(128, 128, 0), GetOlivePen, GetOliveBrush, GetOliveColour},
    {wxColour(128, 128, 128), GetGreyPen, GetGreyBrush, GetGreyColour},
    {wxColour(0, 128, 128), GetTealPen, GetTealBrush, GetTealColour},
    {wxColour(0, 0, 128), GetNavyPen, GetNavyBrush, GetNavyColour},
    {wxColour(128, 0, 128), GetPurplePen, GetPurpleBrush, GetPurpleColour},
    {wxColour(128, 0, 0), GetMaroonPen, GetMaroonBrush, GetMaroonColour},
};

} // namespace

TEST(DrawingResources, IconsAndCursorsAreValidAndTheSameObjectOnEachCall) {
    EXPECT_EQ(std::size(theIcons), 20u);
    for (TIconGetter icon : theIcons)
        EXPECT_TRUE(icon()->IsOk() && icon()->GetSize() == wxSize(16, 16) && icon() == icon());
    std::set<wxCursor*> cursors;
    for (wxCursor* (*cursor)() :
         {GetHoriSizeCursor, GetVertSizeCursor, GetAllSizeCursor, GetSlashSizeCursor,
          GetBackSizeCursor, GetInvalidCursor, GetRotSizeCursor}) {
        EXPECT_TRUE(cursor()->IsOk() && cursor() == cursor());
        cursors.insert(cursor());
    }
    EXPECT_EQ(cursors.size(), 7u);
    // Resource names compare without case.
    EXPECT_TRUE(std::unique_ptr<wxCursor>(NSCursorResource::Load("horisize"))->IsOk());
    EXPECT_FALSE(std::unique_ptr<wxCursor>(NSCursorResource::Load("NoSuchCursor"))->IsOk());
}

// Pens are 1 pixel wide and solid, brushes solid unless stated.
TEST(DrawingResources, PensBrushesAndColoursHaveTheirValuesAndAreShared) {
    for (const auto& [colour, pen, brush, shared] : theColours) {
        SCOPED_TRACE(colour.GetAsString().utf8_string());
        EXPECT_TRUE(!pen || (pen() == pen() && *pen() == wxPen(colour, 1, wxPENSTYLE_SOLID)));
        EXPECT_TRUE(!brush || (brush() == brush() && *brush() == wxBrush(colour)));
        EXPECT_TRUE(!shared || (&shared() == &shared() && shared() == colour));
    }
    EXPECT_EQ(*GetHatchBrush(), wxBrush(wxColour(128, 128, 128), wxBRUSHSTYLE_CROSSDIAG_HATCH));
    EXPECT_EQ(GetWhitePen(), wxWHITE_PEN);
    EXPECT_EQ(GetBlackPen(), wxBLACK_PEN);
}

TEST(DrawingResources, ButtonFaceIsTheSystemColourAndShadeExchangesRedAndBlue) {
    const wxColour system = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    const wxColour& face = GetButtonFaceColour();
    EXPECT_EQ(&GetButtonFaceColour(), &face);
    EXPECT_EQ(face, wxColour(system.Red(), system.Green(), system.Blue()));
    EXPECT_EQ(*GetButtonFaceBrush(), wxBrush(face));
    EXPECT_EQ(*GetShadeBrush(), wxBrush(wxColour(face.Blue(), face.Green(), face.Red())));
    EXPECT_EQ(GetShadeBrush(), GetShadeBrush());
}

TEST(DrawingResources, ComponentIconTablesFollowTheComponentNumbers) {
    using TIcons = std::vector<TIconGetter>;
    EXPECT_EQ(TIcons(std::begin(theColorComponentIcons), std::end(theColorComponentIcons)),
              (TIcons{GetColorRedIcon, GetColorGreenIcon, GetColorBlueIcon}));
    EXPECT_EQ(TIcons(std::begin(theFontComponentIcons), std::end(theFontComponentIcons)),
              (TIcons{GetFontNameIcon, GetFontSizeIcon, GetBoldFontIcon, GetItalicIcon}));
}

// 20 icons, 7 cursors, 11 brushes and 11 pens, each built when missing and deleted; getters
// build again afterwards; colours stay.
TEST(DrawingResources, FreeDeletesAll49ObjectsAndGettersBuildAgain) {
    const wxColour* olive = &GetOliveColour();
    FreeDrawingResources();
    const TDrawingResourceCounts start = GetDrawingResourceCounts();
    GetRedPen();
    GetInvalidCursor();
    FreeDrawingResources();
    const TDrawingResourceCounts freed = GetDrawingResourceCounts();
    EXPECT_EQ(freed.aBuilt - start.aBuilt, 49);
    EXPECT_EQ(freed.aFreed - start.aFreed, 49);
    EXPECT_TRUE(GetTealPen()->IsOk() && GetFontIcon()->IsOk() && GetRotSizeCursor()->IsOk());
    EXPECT_EQ(GetTealPen()->GetColour(), wxColour(0, 128, 128));
    EXPECT_EQ(GetDrawingResourceCounts().aBuilt - freed.aBuilt, 3);
    EXPECT_EQ(&GetOliveColour(), olive);
}
