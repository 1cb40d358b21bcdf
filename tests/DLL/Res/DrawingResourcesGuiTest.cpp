#include "DLL/Res/DrawingResources.h"

#include "DLL/Res/CursorResource.h"

#include <wx/settings.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

struct TIconCase {
    const char* aName;
    wxIcon* (*aGetter)();
};

const TIconCase theIcons[] = {
    {"AudioMixer", GetAudioMixerIcon},
    {"BoldFont", GetBoldFontIcon},
    {"FontName", GetFontNameIcon},
    {"FontSize", GetFontSizeIcon},
    {"Italic", GetItalicIcon},
    {"MainAmplif", GetMainAmplifIcon},
    {"Mask", GetMaskIcon},
    {"TimeLine", GetTimeLineIcon},
    {"VideoMixer", GetVideoMixerIcon},
    {"AudioStream", GetAudioStreamIcon},
    {"Filter", GetFilterIcon},
    {"Param", GetParamIcon},
    {"Unknown", GetUnknownIcon},
    {"VideoStream", GetVideoStreamIcon},
    {"ColorBlue", GetColorBlueIcon},
    {"ColorGreen", GetColorGreenIcon},
    {"ColorRed", GetColorRedIcon},
    {"ColorWheel", GetColorWheelIcon},
    {"Font", GetFontIcon},
    {"SourceMix", GetSourceMixIcon},
};

struct TCursorCase {
    const char* aName;
    wxCursor* (*aGetter)();
};

const TCursorCase theCursors[] = {
    {"HoriSize", GetHoriSizeCursor}, {"VertSize", GetVertSizeCursor},
    {"AllSize", GetAllSizeCursor},   {"SlashSize", GetSlashSizeCursor},
    {"BackSize", GetBackSizeCursor}, {"Invalid", GetInvalidCursor},
    {"RotSize", GetRotSizeCursor},
};

struct TPenCase {
    const char* aName;
    wxPen* (*aGetter)();
    wxColour aColour;
};

const TPenCase thePens[] = {
    {"Red", GetRedPen, wxColour(255, 0, 0)},
    {"Blue", GetBluePen, wxColour(0, 64, 255)},
    {"Orange", GetOrangePen, wxColour(255, 192, 63)},
    {"Olive", GetOlivePen, wxColour(128, 128, 0)},
    {"Grey", GetGreyPen, wxColour(128, 128, 128)},
    {"Teal", GetTealPen, wxColour(0, 128, 128)},
    {"Navy", GetNavyPen, wxColour(0, 0, 128)},
    {"Purple", GetPurplePen, wxColour(128, 0, 128)},
    {"Maroon", GetMaroonPen, wxColour(128, 0, 0)},
    {"SeqTick", GetSeqTickPen, wxColour(224, 255, 224)},
    {"SeqBorder", GetSeqBorderPen, wxColour(0, 218, 0)},
};

struct TBrushCase {
    const char* aName;
    wxBrush* (*aGetter)();
    wxColour aColour;
    wxBrushStyle aStyle;
};

// The two button-face brushes depend on the system colour and are checked on their own.
const TBrushCase theBrushes[] = {
    {"Blue", GetBlueBrush, wxColour(0, 64, 255), wxBRUSHSTYLE_SOLID},
    {"Hatch", GetHatchBrush, wxColour(128, 128, 128), wxBRUSHSTYLE_CROSSDIAG_HATCH},
    {"Olive", GetOliveBrush, wxColour(128, 128, 0), wxBRUSHSTYLE_SOLID},
    {"Grey", GetGreyBrush, wxColour(128, 128, 128), wxBRUSHSTYLE_SOLID},
    {"Teal", GetTealBrush, wxColour(0, 128, 128), wxBRUSHSTYLE_SOLID},
    {"Navy", GetNavyBrush, wxColour(0, 0, 128), wxBRUSHSTYLE_SOLID},
    {"Purple", GetPurpleBrush, wxColour(128, 0, 128), wxBRUSHSTYLE_SOLID},
    {"Maroon", GetMaroonBrush, wxColour(128, 0, 0), wxBRUSHSTYLE_SOLID},
    {"Seq", GetSeqBrush, wxColour(194, 255, 181), wxBRUSHSTYLE_SOLID},
};

struct TColourCase {
    const char* aName;
    const wxColour& (*aGetter)();
    wxColour aColour;
};

const TColourCase theColours[] = {
    {"Olive", GetOliveColour, wxColour(128, 128, 0)},
    {"Grey", GetGreyColour, wxColour(128, 128, 128)},
    {"Teal", GetTealColour, wxColour(0, 128, 128)},
    {"Navy", GetNavyColour, wxColour(0, 0, 128)},
    {"Purple", GetPurpleColour, wxColour(128, 0, 128)},
    {"Maroon", GetMaroonColour, wxColour(128, 0, 0)},
};

} // namespace

TEST(DrawingResources, EveryIconIsAValid16By16IconReturnedAgainOnEachCall) {
    for (const TIconCase& icon : theIcons) {
        SCOPED_TRACE(icon.aName);
        wxIcon* first = icon.aGetter();
        ASSERT_NE(first, nullptr);
        EXPECT_TRUE(first->IsOk());
        EXPECT_EQ(first->GetWidth(), 16);
        EXPECT_EQ(first->GetHeight(), 16);
        EXPECT_EQ(icon.aGetter(), first);
    }
}

TEST(DrawingResources, EveryCursorIsValidAndReturnedAgainOnEachCall) {
    std::set<wxCursor*> seen;
    for (const TCursorCase& cursor : theCursors) {
        SCOPED_TRACE(cursor.aName);
        wxCursor* first = cursor.aGetter();
        ASSERT_NE(first, nullptr);
        EXPECT_TRUE(first->IsOk());
        EXPECT_EQ(cursor.aGetter(), first);
        EXPECT_TRUE(seen.insert(first).second);
    }
}

TEST(DrawingResources, CursorResourcesAreFoundByNameWithoutCase) {
    for (const char* name : {"HoriSize", "VertSize", "AllSize", "SlashSize", "BackSize", "Invalid",
                             "RotSize", "horisize"}) {
        std::unique_ptr<wxCursor> cursor(NSCursorResource::Load(name));
        EXPECT_TRUE(cursor->IsOk()) << name;
    }
    std::unique_ptr<wxCursor> missing(NSCursorResource::Load("NoSuchCursor"));
    EXPECT_FALSE(missing->IsOk());
}

TEST(DrawingResources, PensHaveTheirColoursWidthOneAndSolid) {
    for (const TPenCase& pen : thePens) {
        SCOPED_TRACE(pen.aName);
        wxPen* first = pen.aGetter();
        EXPECT_EQ(pen.aGetter(), first);
        EXPECT_EQ(first->GetColour(), pen.aColour);
        EXPECT_EQ(first->GetColour().Alpha(), 255);
        EXPECT_EQ(first->GetWidth(), 1);
        EXPECT_EQ(first->GetStyle(), wxPENSTYLE_SOLID);
    }
    EXPECT_EQ(GetWhitePen(), wxWHITE_PEN);
    EXPECT_EQ(GetBlackPen(), wxBLACK_PEN);
}

TEST(DrawingResources, BrushesHaveTheirColoursAndStyles) {
    for (const TBrushCase& brush : theBrushes) {
        SCOPED_TRACE(brush.aName);
        wxBrush* first = brush.aGetter();
        EXPECT_EQ(brush.aGetter(), first);
        EXPECT_EQ(first->GetColour(), brush.aColour);
        EXPECT_EQ(first->GetColour().Alpha(), 255);
        EXPECT_EQ(first->GetStyle(), brush.aStyle);
    }
}

TEST(DrawingResources, ColoursAreSharedStaticsOfTheirValues) {
    for (const TColourCase& colour : theColours) {
        SCOPED_TRACE(colour.aName);
        EXPECT_EQ(&colour.aGetter(), &colour.aGetter());
        EXPECT_EQ(colour.aGetter(), colour.aColour);
        EXPECT_EQ(colour.aGetter().Alpha(), 255);
    }
}

TEST(DrawingResources, PensAndBrushesOfANamedColourAreTwoObjectsOfThatColour) {
    EXPECT_NE(static_cast<void*>(GetOlivePen()), static_cast<void*>(GetOliveBrush()));
    EXPECT_EQ(GetOlivePen()->GetColour(), GetOliveColour());
    EXPECT_EQ(GetOliveBrush()->GetColour(), GetOliveColour());
}

TEST(DrawingResources, ButtonFaceIsTheSystemColourAndShadeExchangesRedAndBlue) {
    const wxColour system = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    const wxColour& face = GetButtonFaceColour();
    EXPECT_EQ(&GetButtonFaceColour(), &face);
    EXPECT_EQ(face, wxColour(system.Red(), system.Green(), system.Blue()));
    EXPECT_EQ(face.Alpha(), 255);
    EXPECT_EQ(GetButtonFaceBrush()->GetColour(), face);
    EXPECT_EQ(GetButtonFaceBrush()->GetStyle(), wxBRUSHSTYLE_SOLID);
    EXPECT_EQ(GetShadeBrush()->GetColour(), wxColour(face.Blue(), face.Green(), face.Red()));
    EXPECT_EQ(GetShadeBrush()->GetStyle(), wxBRUSHSTYLE_SOLID);
    EXPECT_EQ(GetButtonFaceBrush(), GetButtonFaceBrush());
    EXPECT_EQ(GetShadeBrush(), GetShadeBrush());
}

TEST(DrawingResources, ComponentIconTablesFollowTheComponentNumbers) {
    EXPECT_EQ(theColorComponentIcons[0], &GetColorRedIcon);
    EXPECT_EQ(theColorComponentIcons[1], &GetColorGreenIcon);
    EXPECT_EQ(theColorComponentIcons[2], &GetColorBlueIcon);
    EXPECT_EQ(std::size(theColorComponentIcons), 3u);
    EXPECT_EQ(theFontComponentIcons[0], &GetFontNameIcon);
    EXPECT_EQ(theFontComponentIcons[1], &GetFontSizeIcon);
    EXPECT_EQ(theFontComponentIcons[2], &GetBoldFontIcon);
    EXPECT_EQ(theFontComponentIcons[3], &GetItalicIcon);
    EXPECT_EQ(std::size(theFontComponentIcons), 4u);
}

// 20 icons, 7 cursors, 11 brushes and 11 pens.
TEST(DrawingResources, FreeBuildsWhatIsMissingAndDeletesAll49Objects) {
    FreeDrawingResources();
    const TDrawingResourceCounts start = GetDrawingResourceCounts();
    FreeDrawingResources();
    const TDrawingResourceCounts emptied = GetDrawingResourceCounts();
    EXPECT_EQ(emptied.aBuilt - start.aBuilt, 49);
    EXPECT_EQ(emptied.aFreed - start.aFreed, 49);

    GetRedPen();
    GetInvalidCursor();
    GetMaskIcon();
    FreeDrawingResources();
    const TDrawingResourceCounts partly = GetDrawingResourceCounts();
    EXPECT_EQ(partly.aBuilt - emptied.aBuilt, 49);
    EXPECT_EQ(partly.aFreed - emptied.aFreed, 49);
}

TEST(DrawingResources, GettersBuildAgainAfterFree) {
    FreeDrawingResources();
    const TDrawingResourceCounts freed = GetDrawingResourceCounts();
    wxPen* pen = GetTealPen();
    wxIcon* icon = GetFontIcon();
    wxCursor* cursor = GetRotSizeCursor();
    EXPECT_EQ(GetDrawingResourceCounts().aBuilt - freed.aBuilt, 3);
    EXPECT_EQ(pen->GetColour(), wxColour(0, 128, 128));
    EXPECT_TRUE(icon->IsOk());
    EXPECT_TRUE(cursor->IsOk());
    EXPECT_EQ(GetTealPen(), pen);
    EXPECT_EQ(GetDrawingResourceCounts().aBuilt - freed.aBuilt, 3);
}

TEST(DrawingResources, FreeLeavesColoursAndStockPensAlone) {
    const wxColour* olive = &GetOliveColour();
    const wxColour* face = &GetButtonFaceColour();
    const wxColour faceValue = *face;
    FreeDrawingResources();
    EXPECT_EQ(&GetOliveColour(), olive);
    EXPECT_EQ(*olive, wxColour(128, 128, 0));
    EXPECT_EQ(&GetButtonFaceColour(), face);
    EXPECT_EQ(*face, faceValue);
    EXPECT_TRUE(GetWhitePen()->IsOk());
    EXPECT_EQ(GetWhitePen()->GetColour(), *wxWHITE);
    EXPECT_EQ(GetBlackPen()->GetColour(), *wxBLACK);
}
