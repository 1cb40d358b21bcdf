#include "DLL/Bas/StreamInt.h"

#include "support/AssertCapture.h"
#include "support/FakeRenderContext.h"

#include <gtest/gtest.h>

TEST(StreamInt, CastsGiveTheStreamOfTheirKindElseNullWithTheirOwnReports) {
    TFakeVideoStream video;
    TFakeAudioStream audio;
    EXPECT_EQ(IZVVideoStream::Cast(&video), &video);
    EXPECT_EQ(IZVAudioStream::Cast(&audio), &audio);
    TAssertCapture capture;
    EXPECT_EQ(IZVVideoStream::Cast(nullptr), nullptr); // null needs no report
    EXPECT_EQ(IZVAudioStream::Cast(nullptr), nullptr);
    EXPECT_EQ(IZVVideoStream::Cast(&audio), nullptr);
    EXPECT_EQ(IZVAudioStream::Cast(&video), nullptr);
    // The two texts differ by one blank, as the stored ones do.
    EXPECT_EQ(capture.Conditions(),
              (std::vector<wxString>{"dynamic_cast<IZVVideoStream*>(pStream) returned NULL",
                                     "dynamic_cast<IZVAudioStream *>(pStream) returned NULL"}));
    for (const TAssertReport& report : capture.Reports())
        EXPECT_EQ(report.aFile + " " + report.aFunction, "src/DLL/Bas/StreamInt.cpp Cast");
}
