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

TEST(ErrorTexts, EachTableAnswersItsCodesAndItsUnknownText) {
    const std::pair<uint32_t, const wchar_t*> avi[] = {{0x80044065, L"unsupported"},
                                                       {0x80044066, L"bad format"},
                                                       {0x80044075, L"can't compress (?)"},
                                                       {0x80044076, L"(Unknown)"},
                                                       {0x800440C6, L"aborted by user"},
                                                       {0x800440C7, L"error (?)"},
                                                       {0x800440C8, L"(Unknown)"},
                                                       {0x80044064, L"(Unknown)"},
                                                       {0, L"(Unknown)"}};
    for (const auto& [code, text] : avi)
        EXPECT_EQ(wxString(AVIFileErrorText(int32_t(code))), wxString(text)) << code;
    const std::pair<long, const wchar_t*> codec[] = {
        {0, L"The operation completed successfully."},
        {-1, L"The operation is not supported."},
        {-8, L"The handle is invalid."},
        {-10, L"The operation was aborted by the user."},
        {-11, L"(unknown)"},
        {-100, L"An unknown error occurred (may be corrupt data)."},
        {-200, L"The source colour depth is not acceptable."},
        {-201, L"The source image size is not acceptable."},
        {-300, L"(unknown)"},
        {-399, L"(unknown)"},
        {-400, L"A codec-specific error occurred."},
        {-1000, L"A codec-specific error occurred."},
        {1, L"(unknown)"}};
    for (const auto& [code, text] : codec)
        EXPECT_EQ(wxString(CodecErrorText(code)), wxString(text)) << code;
    const std::pair<unsigned, const wchar_t*> mmio[] = {
        {256, L"(unknown)"},    {257, L"file not found"}, {266, L"unbuffered"},
        {272, L"invalid file"}, {273, L"(unknown)"},      {0, L"(unknown)"}};
    for (const auto& [code, text] : mmio)
        EXPECT_EQ(wxString(MMIOErrorText(code)), wxString(text)) << code;
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
