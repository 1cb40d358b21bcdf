#include "ALL/Error.h"

#include "ALL/Assert.h"
#include "support/AssertCapture.h"

#include <gtest/gtest.h>

TEST(Error, BuildsItsMessage) {
    EXPECT_EQ(wxString(TError(static_cast<const wchar_t*>(nullptr))), wxString());
    EXPECT_EQ(wxString(TError(static_cast<const wchar_t*>(nullptr), 5)), wxString());
    EXPECT_EQ(wxString(TError(L"100% plain")), wxT("100% plain")) << "a ready text is not a format";
    const wxString row = wxT("[mixer:Main]");
    EXPECT_EQ(
        wxString(TError(L"The property %ls does not exist for %ls", wxString(wxT("type")), row)),
        wxT("The property type does not exist for [mixer:Main]"));
    EXPECT_EQ(wxString(TError(wxString(wxT("%ld of %d")), 12L, 3)), wxT("12 of 3"));
    // A percent sign in an argument is text, never a format.
    EXPECT_EQ(wxString(TError(L"file %ls", wxString(wxT("100%s%n.avi")))), wxT("file 100%s%n.avi"));
}

TEST(Error, IsCaughtAsAString) {
    try {
        throw TError(L"Row %ls is missing", wxString(wxT("A")));
    } catch (const wxString& message) {
        EXPECT_EQ(message, wxT("Row A is missing"));
    }
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
}

TEST(ErrorTexts, SystemMessagesEndWithTheirLine) {
    EXPECT_EQ(SystemErrorText(2), wxT("No such file or directory\r\n"));
    EXPECT_EQ(SystemErrorText(0xFFFFFFF0u), wxString());
}

TEST(ErrorObjects, CombineTheCallersMessageWithTheServiceText) {
    EXPECT_EQ(wxString(TOutOfMemoryError()), wxT("Out of memory"));
    EXPECT_EQ(wxString(TCodecCallError(L"Decompressor", -8)),
              wxT("Decompressor error: The handle is invalid. (error code -8)"));
    EXPECT_EQ(wxString(TAVIFileError(L"Cannot open: %s", int32_t(0x8004406F))),
              wxT("Cannot open: file open error"));
    EXPECT_EQ(wxString(TAVIFileError(nullptr, 0)), wxString());
    EXPECT_EQ(wxString(TCodecError(-3, "Frame %d: %%s", 7)), wxT("Frame 7: Not enough memory."));
    EXPECT_EQ(wxString(TCodecError(-3, nullptr)), wxString());
    EXPECT_EQ(wxString(TCodecError(-3, "%%s at 50%%%%")), wxT("Not enough memory. at 50%"));
    EXPECT_EQ(wxString(TSystemError("Cannot read %s (%%s)", 2, "a.wav")),
              wxT("Cannot read a.wav (No such file or directory\r\n)"));
}

TEST(ErrorObjects, CallerTextIsNeverReadAsAFormat) {
    // File names with directives used to be formatted a second time.
    EXPECT_EQ(wxString(TSystemError("Cannot open %s: %%s", 2, "50%s%n%d.wav")),
              wxT("Cannot open 50%s%n%d.wav: No such file or directory\r\n"));
    EXPECT_EQ(wxString(TCodecError(-1, "%ls failed: %%s", L"100%% %s")),
              wxT("100%% %s failed: The operation is not supported."));
    EXPECT_EQ(wxString(TCodecError(-1, "%d missing %%s %s", 4)),
              wxT("4 missing The operation is not supported. %s"));
}

TEST(Assertions, CheckAssertReportsANullValueThroughTheHandler) {
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
}

TEST(Assertions, ModuleCheckReportsTheExpandedConditionAndGoesOn) {
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
