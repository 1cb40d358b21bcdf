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
#include <tuple>
#include <vector>

namespace {

wxFont Font(wxFontWeight pWeight = wxFONTWEIGHT_NORMAL, wxFontStyle pStyle = wxFONTSTYLE_NORMAL) {
    return wxFont(12, wxFONTFAMILY_DEFAULT, pStyle, pWeight, false, L"DejaVu Sans");
}

} // namespace

TEST(FontImageGui, ImagesMakeFontsAndFontsTheirImages) {
    for (const wchar_t* image : {L"Bi12\tDejaVu Sans", L"BI7\tA\tB"})
        EXPECT_EQ(GetFontImage(GetFontValue(image)), image);
    EXPECT_FALSE(GetFontValue(L"bi0\tDejaVu Sans").IsOk());
    // Bold and italic only in exactly that weight and style.
    EXPECT_EQ(GetFontImage(Font(wxFONTWEIGHT_EXTRABOLD, wxFONTSTYLE_SLANT)), L"bi12\tDejaVu Sans");
    EXPECT_ASSERTS(EXPECT_EQ(GetFontImage(wxNullFont), L"bi0\t"), "pFont.IsOk()");
}

// One font updated step by step: whether each step changed it, and its image. A negative size
// sets its magnitude, a huge one the most the font takes; size 0 is reported and leaves the
// size alone. A light weight reads as not bold and stays while bold is not asked.
TEST(FontImageGui, UpdatesSetOnlyWhatDiffersAndSayWhetherTheFontChanged) {
    const std::tuple<const wchar_t*, int, bool, bool> steps[] = {
        {L"DejaVu Sans", 12, false, false}, {L"DejaVu Sans", 12, false, true},
        {L"DejaVu Serif", 20, true, true},  {L"Arial", -3, false, false},
        {L"Arial", -3, false, false},       {L"Arial", INT_MIN, false, false},
        {L"Arial", 5000000, false, false},  {L"Arial", 0, true, false}};
    TAssertCapture capture;
    wxFont font = Font(wxFONTWEIGHT_LIGHT), invalid, stillInvalid;
    wxString log;
    for (const auto& [face, size, bold, italic] : steps)
        log << UpdateFontValue(face, size, bold, italic, font) << " " << GetFontImage(font)
            << (font.GetWeight() == wxFONTWEIGHT_LIGHT ? " light" : "") << "\n";
    log << UpdateFontValue(L"DejaVu Sans", -14, true, false, invalid) << " "
        << GetFontImage(invalid) << "\n";
    UpdateFontValue(L"Arial", 0, true, false, stillInvalid);
    EXPECT_FALSE(stillInvalid.IsOk());
    EXPECT_EQ(log, "0 bi12\tDejaVu Sans light\n1 bI12\tDejaVu Sans light\n1 BI20\tDejaVu Serif\n"
                   "1 bi3\tArial\n0 bi3\tArial\n1 bi2097151\tArial\n0 bi2097151\tArial\n"
                   "1 Bi2097151\tArial\n1 Bi14\tDejaVu Sans\n");
    EXPECT_EQ(capture.Conditions(), std::vector<wxString>(2, "pFontSize != 0"));
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
