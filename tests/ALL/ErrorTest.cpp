#include "ALL/Error.h"

#include "ALL/Assert.h"
#include "support/AssertCapture.h"

#include <gtest/gtest.h>

TEST(Error, MessagesAreFormattedOnceAndArgumentTextsNeverAsFormats) {
    const std::pair<wxString, const char*> cases[] = {
        {TError(static_cast<const wchar_t*>(nullptr)), ""},
        {TError(static_cast<const wchar_t*>(nullptr), 5), ""},
        {TError(L"100% plain"), "100% plain"}, // a ready text is not a format
        {TError(L"The property %ls does not exist for %ls", wxString(wxT("type")),
                wxString(wxT("[mixer:Main]"))),
         "The property type does not exist for [mixer:Main]"},
        {TError(wxString(wxT("%ld of %d")), 12L, 3), "12 of 3"},
        {TError(L"file %ls", wxString(wxT("100%s%n.avi"))), "file 100%s%n.avi"},
        {TOutOfMemoryError(), "Out of memory"},
        {TCodecCallError(L"Decompressor", -8),
         "Decompressor error: The handle is invalid. (error code -8)"},
        {TAVIFileError(L"Cannot open: %s", int32_t(0x8004406F)), "Cannot open: file open error"},
        {TAVIFileError(nullptr, 0), ""},
        {TCodecError(-3, "Frame %d: %%s", 7), "Frame 7: Not enough memory."},
        {TCodecError(-3, nullptr), ""},
        {TCodecError(-3, "%%s at 50%%%%"), "Not enough memory. at 50%"},
        {TSystemError("Cannot read %s (%%s)", 2, "a.wav"),
         "Cannot read a.wav (No such file or directory\r\n)"},
        // File names with directives used to be formatted a second time.
        {TSystemError("Cannot open %s: %%s", 2, "50%s%n%d.wav"),
         "Cannot open 50%s%n%d.wav: No such file or directory\r\n"},
        {TCodecError(-1, "%ls failed: %%s", L"100%% %s"),
         "100%% %s failed: The operation is not supported."},
        {TCodecError(-1, "%d missing %%s %s", 4), "4 missing The operation is not supported. %s"},
    };
    for (const auto& [message, expected] : cases)
        EXPECT_EQ(message, wxString(expected));
    EXPECT_THROW(throw TError(L"Row"), wxString);
}

// Each table's texts, its first and last codes and the gaps and ends around them.
TEST(ErrorTexts, EachTableAnswersItsCodesAndItsUnknownText) {
    wxString texts;
    for (uint32_t code : {0x80044065u, 0x80044066u, 0x80044075u, 0x80044076u, 0x800440C6u,
                          0x800440C7u, 0x800440C8u, 0x80044064u, 0u})
        texts << AVIFileErrorText(int32_t(code)) << '|';
    EXPECT_EQ(texts,
              "unsupported|bad format|can't compress (?)|(Unknown)|aborted by user|error (?)|"
              "(Unknown)|(Unknown)|(Unknown)|");
    texts.clear();
    for (long code : {0, -1, -8, -10, -11, -100, -200, -201, -300, -399, -400, -1000, 1})
        texts << CodecErrorText(code) << '|';
    EXPECT_EQ(texts,
              "The operation completed successfully.|The operation is not supported.|"
              "The handle is invalid.|The operation was aborted by the user.|(unknown)|"
              "An unknown error occurred (may be corrupt data).|"
              "The source colour depth is not acceptable.|"
              "The source image size is not acceptable.|(unknown)|(unknown)|"
              "A codec-specific error occurred.|A codec-specific error occurred.|(unknown)|");
    texts.clear();
    for (unsigned code : {256, 257, 266, 272, 273, 0})
        texts << MMIOErrorText(code) << '|';
    EXPECT_EQ(texts, "(unknown)|file not found|unbuffered|invalid file|(unknown)|(unknown)|");
    EXPECT_EQ(SystemErrorText(2), wxT("No such file or directory\r\n"));
    EXPECT_EQ(SystemErrorText(0xFFFFFFF0u), wxString());
}

TEST(Assertions, ChecksReportTheirTextThroughTheHandlerAndGoOn) {
    int value = 3;
    int* result = &value;
    EXPECT_ASSERTS(result = CheckAssert(L"src/DLL/Bas/Stream", 12, "Cast",
                                        L"dynamic_cast<IZVVideoStream*>(pStream) returned NULL",
                                        static_cast<int*>(nullptr), wxTheAssertHandler),
                   "dynamic_cast<IZVVideoStream*>(pStream) returned NULL");
    EXPECT_EQ(result, nullptr);
    EXPECT_ASSERTS(result = CheckAssert(L"f", 1, "g", L"c", &value, wxTheAssertHandler));
    EXPECT_EQ(result, &value);
    // No handler installed: nothing is reported.
    EXPECT_ASSERTS(result = CheckAssert(L"f", 1, "g", L"c", static_cast<int*>(nullptr), nullptr));

    const char* pointer = nullptr;
    bool passed = true;
    EXPECT_ASSERTS(passed = ZV_ASSERT(pointer != NULL), "pointer != __null");
    EXPECT_FALSE(passed);
    EXPECT_ASSERTS(passed = ZV_ASSERT(1 + 1 == 2));
    EXPECT_TRUE(passed);
    const wxAssertHandler_t handler = wxSetAssertHandler(nullptr);
    EXPECT_FALSE(ZV_ASSERT(pointer != NULL)) << "no handler: the check still yields false";
    wxSetAssertHandler(handler);
}
