// Font image strings as text; the fonts themselves are in FontImageGuiTest.
#include "DLL/Ctl/FontImage.h"

#include "ALL/Error.h"

#include "support/WxPrint.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

// Formatting is checked against the text, parsing by formatting its components again.
TEST(FontImage, ComponentsAndImagesConvertBothWays) {
    // face, size, bold, italic, image; the face runs to the end, tabs and all
    const std::tuple<const wchar_t*, int, bool, bool, const wchar_t*> cases[] = {
        {L"Arial", 12, true, false, L"Bi12\tArial"},
        {L"Arial", -3, false, true, L"bI-3\tArial"},
        {L"A\tB", 9, false, false, L"bi9\tA\tB"},
        {L"", 0, true, true, L"BI0\t"},
        {L"%s", INT_MAX, false, false, L"bi2147483647\t%s"},
        {L"x", INT_MIN, false, false, L"bi-2147483648\tx"},
    };
    for (const auto& [face, size, bold, italic, image] : cases) {
        EXPECT_EQ(GetFontImage(face, size, bold, italic), image);
        wxString parsedFace;
        int parsedSize = 77;
        bool parsedBold = !bold, parsedItalic = !italic;
        GetFontComp(image, parsedFace, parsedSize, parsedBold, parsedItalic);
        EXPECT_EQ(GetFontImage(parsedFace, parsedSize, parsedBold, parsedItalic), image);
    }
}

// Bold and italic may be written before a later check fails, face and size never.
TEST(FontImage, MalformedImagesThrowTheirMessageAndKeepFaceAndSize) {
    const wxString tab = L"Tab not found", boldText = L"Invalid Bold character",
                   italicText = L"Invalid Italic character",
                   sizeText = L"Font size is not a number";
    // image, message, how many of bold and italic were set before the failure
    const std::tuple<const wchar_t*, const wxString&, int> cases[] = {
        {L"Bi12 Arial", tab, 0},
        {L"xi12\tArial", boldText, 0},
        {L"Bx12\tArial", italicText, 1},
        {L"BI\tArial", sizeText, 2},
        {L"BI99999999999\tArial", sizeText, 2}, // never truncated
        {L"BI2147483648\tA", sizeText, 2},
    };
    for (const auto& [image, text, flagsRead] : cases) {
        wxString face = L"old", message;
        int size = 77;
        bool bold = false, italic = false;
        try {
            GetFontComp(image, face, size, bold, italic);
        } catch (const TError& error) {
            message = error;
        }
        EXPECT_EQ(message, text + L" in font image string: \"" + image + L"\"");
        EXPECT_EQ(face, L"old") << image;
        EXPECT_EQ(size, 77) << image;
        EXPECT_EQ(bold + italic, flagsRead) << image;
    }
    EXPECT_THROW(GetFontValue(L"Bi99999999999\tArial"), TError);
}
