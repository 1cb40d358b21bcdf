// Fonts and the blank bitmap. "DejaVu Sans" is installed on the test machines, "Arial" is not:
// a stored project names the faces of the machine it was made on.
#include "DLL/Ctl/FontImage.h"

#include "support/AssertCapture.h"

#include <wx/bitmap.h>
#include <wx/image.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace {

wxFont Font(wxFontWeight pWeight = wxFONTWEIGHT_NORMAL, wxFontStyle pStyle = wxFONTSTYLE_NORMAL) {
    return wxFont(12, wxFONTFAMILY_DEFAULT, pStyle, pWeight, false, L"DejaVu Sans");
}

} // namespace

TEST(FontImageGui, ImagesMakeFontsAndFontsTheirImages) {
    for (const wchar_t* image : {L"Bi12\tDejaVu Sans", L"bI9\tArial", L"BI7\tA\tB"}) {
        const wxFont font = GetFontValue(image);
        EXPECT_TRUE(font.IsOk());
        EXPECT_FALSE(font.GetUnderlined());
        EXPECT_EQ(GetFontImage(font), image);
    }
    EXPECT_EQ(GetFontValue(L"bi-3\tArial").GetPointSize(), 3);
    EXPECT_EQ(GetFontValue(L"", INT_MIN, false, false).GetPointSize(), 2097151); // the most
    EXPECT_FALSE(GetFontValue(L"bi0\tDejaVu Sans").IsOk());
    // Bold and italic only in exactly that weight and style.
    EXPECT_EQ(GetFontImage(Font(wxFONTWEIGHT_LIGHT)), L"bi12\tDejaVu Sans");
    EXPECT_EQ(GetFontImage(Font(wxFONTWEIGHT_EXTRABOLD, wxFONTSTYLE_SLANT)), L"bi12\tDejaVu Sans");
    EXPECT_ASSERTS(EXPECT_EQ(GetFontImage(wxNullFont), L"bi0\t"), "pFont.IsOk()");
}

TEST(FontImageGui, UpdateSetsOnlyWhatDiffersAndSaysWhetherItChangedTheFont) {
    wxFont font = Font(wxFONTWEIGHT_LIGHT);
    EXPECT_FALSE(UpdateFontValue(L"DejaVu Sans", 12, false, false, font));
    EXPECT_TRUE(UpdateFontValue(L"DejaVu Sans", 12, false, true, font));
    EXPECT_EQ(GetFontImage(font), L"bI12\tDejaVu Sans");
    EXPECT_EQ(font.GetWeight(), wxFONTWEIGHT_LIGHT);
    EXPECT_TRUE(UpdateFontValue(L"DejaVu Serif", 20, true, true, font));
    EXPECT_EQ(GetFontImage(font), L"BI20\tDejaVu Serif");

    wxFont invalid;
    EXPECT_TRUE(UpdateFontValue(L"DejaVu Sans", -14, true, false, invalid));
    EXPECT_EQ(GetFontImage(invalid), L"Bi14\tDejaVu Sans");
}

// "bi-3\tArial" sets its magnitude once and then reports no change; size 0 is reported and
// leaves a valid font's size alone.
TEST(FontImageGui, NegativeHugeAndZeroSizes) {
    wxFont font = Font();
    EXPECT_TRUE(UpdateFontValue(L"Arial", -3, false, false, font));
    EXPECT_EQ(GetFontImage(font), L"bi3\tArial");
    EXPECT_FALSE(UpdateFontValue(L"Arial", -3, false, false, font));
    EXPECT_TRUE(UpdateFontValue(L"Arial", INT_MIN, false, false, font));
    EXPECT_FALSE(UpdateFontValue(L"Arial", 5000000, false, false, font));
    EXPECT_ASSERTS(EXPECT_TRUE(UpdateFontValue(L"Arial", 0, true, false, font)), "pFontSize != 0");
    EXPECT_EQ(GetFontImage(font), L"Bi2097151\tArial");
    wxFont invalid;
    EXPECT_ASSERTS(UpdateFontValue(L"Arial", 0, true, false, invalid), "pFontSize != 0");
    EXPECT_FALSE(invalid.IsOk());
}

// A face missing here leaves the font another face; a second update must not report a change.
TEST(FontImageGui, MissingAndEmptyFacesSettleAfterOneUpdate) {
    for (const wxString& face : {wxString(L"Arial"), wxString(L"A\tB"), wxString()}) {
        wxFont font = Font();
        EXPECT_TRUE(UpdateFontValue(face, 12, false, false, font));
        EXPECT_EQ(font.GetFaceName(), GetFontValue(face, 12, false, false).GetFaceName());
        EXPECT_FALSE(UpdateFontValue(face, 12, false, false, font));
    }
}

TEST(FontImageGui, TheBlankBitmapIsOpaqueBlackUnderAGreyHatch) {
    const std::unique_ptr<wxBitmap> bitmap(CreateBlankBitmap(24, 10));
    EXPECT_TRUE(bitmap->IsOk());
    EXPECT_EQ(bitmap->GetSize(), wxSize(24, 10));
    EXPECT_EQ(bitmap->GetDepth(), 32);
    const wxImage image = bitmap->ConvertToImage();
    EXPECT_TRUE(!image.HasAlpha() ||
                std::count(image.GetAlpha(), image.GetAlpha() + 240, 255) == 240);
    const long black = std::count(image.GetData(), image.GetData() + 720, 0);
    // Black under a hatch.
    EXPECT_GT(black, 0);
    EXPECT_LT(black, 720);
    std::unique_ptr<wxBitmap> empty;
    EXPECT_ASSERTS(empty.reset(CreateBlankBitmap(0, 5)), "pWidth > 0 && pHeight > 0");
    EXPECT_FALSE(empty->IsOk());
}
