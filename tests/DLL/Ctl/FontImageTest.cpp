// Font image strings as text; the fonts themselves are in FontImageGuiTest.
#include "DLL/Ctl/FontImage.h"

#include "ALL/Error.h"

#include "support/WxPrint.h"

#include <gtest/gtest.h>

#include <climits>

TEST(FontImage, ComponentsAndImagesConvertBothWays) {
    struct TCase {
        const wchar_t* aFace;
        int aSize;
        bool aBold, aItalic;
        const wchar_t* aImage;
    };
    const TCase cases[] = {
        {L"Arial", 12, true, false, L"Bi12\tArial"},
        {L"Arial", -3, false, true, L"bI-3\tArial"},
        {L"A\tB", 9, false, false, L"bi9\tA\tB"}, // the face runs to the end, tabs and all
        {L"", 0, true, true, L"BI0\t"},
        {L"%s", INT_MAX, false, false, L"bi2147483647\t%s"},
        {L"x", INT_MIN, false, false, L"bi-2147483648\tx"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(GetFontImage(c.aFace, c.aSize, c.aBold, c.aItalic), c.aImage);
        wxString face;
        int size = 77;
        bool bold = !c.aBold, italic = !c.aItalic;
        GetFontComp(c.aImage, face, size, bold, italic);
        EXPECT_EQ(face, c.aFace);
        EXPECT_EQ(size, c.aSize);
        EXPECT_EQ(bold, c.aBold);
        EXPECT_EQ(italic, c.aItalic);
    }
}

TEST(FontImage, MalformedImagesThrowTheirMessageAndKeepFaceAndSize) {
    const wxString tab = L"Tab not found", boldText = L"Invalid Bold character",
                   italicText = L"Invalid Italic character",
                   sizeText = L"Font size is not a number";
    struct TCase {
        const wchar_t* aImage;
        const wxString& aMessage;
        int aFlagsWritten; // 0 none, 1 bold, 2 bold and italic
    };
    const TCase cases[] = {
        {L"Bi12 Arial", tab, 0},
        {L"", tab, 0},
        {L"xi12\tArial", boldText, 0},
        {L"\tArial", boldText, 0},
        {L"Bx12\tArial", italicText, 1},
        {L"B\t", italicText, 1},
        {L"BI\tArial", sizeText, 2},
        {L"BI1x\tA", sizeText, 2},
        {L"BI12 \tA", sizeText, 2},
        {L"BI99999999999\tArial", sizeText, 2}, // never truncated
        {L"BI2147483648\tA", sizeText, 2},
        {L"BI-2147483649\tA", sizeText, 2},
    };
    for (const TCase& c : cases) {
        wxString face = L"old", message;
        int size = 77;
        bool bold = false, italic = false;
        try {
            GetFontComp(c.aImage, face, size, bold, italic);
        } catch (const TError& error) {
            message = error;
        }
        EXPECT_EQ(message, c.aMessage + L" in font image string: \"" + c.aImage + L"\"");
        EXPECT_EQ(face, L"old");
        EXPECT_EQ(size, 77);
        EXPECT_EQ(bold, c.aFlagsWritten >= 1);
        EXPECT_EQ(italic, c.aFlagsWritten >= 2);
    }
    EXPECT_THROW(GetFontValue(L"Bi99999999999\tArial"), TError);
}
