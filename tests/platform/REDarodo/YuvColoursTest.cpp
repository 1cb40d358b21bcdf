#include "YuvColours.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <gtest/gtest.h>

#include <string>

// The matrix and range a picture's colours are worked out with: the tags where they name a
// matrix of luma weights; else BT.709 from 1280 wide or 577 high on (HD), BT.601 below; full
// range by the range tag or a JPEG format, and for grey unless tagged limited.
TEST(YuvColours, TagsAndSizesChooseTheMatrixAndRange) {
    const struct {
        AVColorSpace aTag;
        AVColorRange aRange;
        AVPixelFormat aFormat;
        int aWidth, aHeight;
        AVColorSpace aMatrix;
        bool aFullRange;
        double aRed, aBlue;
    } cases[] = {
        {AVCOL_SPC_BT709, AVCOL_RANGE_MPEG, AV_PIX_FMT_YUV420P, 320, 240, AVCOL_SPC_BT709, false,
         0.2126, 0.0722},
        {AVCOL_SPC_BT470BG, AVCOL_RANGE_UNSPECIFIED, AV_PIX_FMT_YUV420P, 1920, 1080,
         AVCOL_SPC_BT470BG, false, 0.299, 0.114},
        {AVCOL_SPC_SMPTE170M, AVCOL_RANGE_MPEG, AV_PIX_FMT_YUV422P, 1920, 1080, AVCOL_SPC_SMPTE170M,
         false, 0.299, 0.114},
        {AVCOL_SPC_SMPTE240M, AVCOL_RANGE_MPEG, AV_PIX_FMT_YUV420P, 1920, 1035, AVCOL_SPC_SMPTE240M,
         false, 0.212, 0.087},
        {AVCOL_SPC_BT2020_NCL, AVCOL_RANGE_MPEG, AV_PIX_FMT_YUV420P10LE, 3840, 2160,
         AVCOL_SPC_BT2020_NCL, false, 0.2627, 0.0593},
        {AVCOL_SPC_FCC, AVCOL_RANGE_MPEG, AV_PIX_FMT_YUV420P, 640, 480, AVCOL_SPC_FCC, false, 0.30,
         0.11},
        // Untagged, or tagged with what is no matrix of luma weights: by the size.
        {AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_UNSPECIFIED, AV_PIX_FMT_YUV420P, 1280, 720,
         AVCOL_SPC_BT709, false, 0.2126, 0.0722},
        {AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_UNSPECIFIED, AV_PIX_FMT_YUV420P, 1280, 16,
         AVCOL_SPC_BT709, false, 0.2126, 0.0722},
        {AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_UNSPECIFIED, AV_PIX_FMT_YUV420P, 1278, 576,
         AVCOL_SPC_BT470BG, false, 0.299, 0.114},
        {AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_UNSPECIFIED, AV_PIX_FMT_YUV420P, 720, 576,
         AVCOL_SPC_BT470BG, false, 0.299, 0.114},
        {AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_UNSPECIFIED, AV_PIX_FMT_YUV420P, 720, 578,
         AVCOL_SPC_BT709, false, 0.2126, 0.0722},
        {AVCOL_SPC_RESERVED, AVCOL_RANGE_UNSPECIFIED, AV_PIX_FMT_YUV420P, 1080, 1920,
         AVCOL_SPC_BT709, false, 0.2126, 0.0722},
        {AVCOL_SPC_RGB, AVCOL_RANGE_UNSPECIFIED, AV_PIX_FMT_YUV444P, 64, 48, AVCOL_SPC_BT470BG,
         false, 0.299, 0.114},
        {AVCOL_SPC_YCGCO, AVCOL_RANGE_UNSPECIFIED, AV_PIX_FMT_YUV420P, 1920, 1080, AVCOL_SPC_BT709,
         false, 0.2126, 0.0722},
        // The range: by its tag, or by a JPEG format (which FFmpeg's H.264 decoder gives for a
        // full-range stream).
        {AVCOL_SPC_BT709, AVCOL_RANGE_JPEG, AV_PIX_FMT_YUV420P, 1920, 1080, AVCOL_SPC_BT709, true,
         0.2126, 0.0722},
        {AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_UNSPECIFIED, AV_PIX_FMT_YUVJ420P, 640, 480,
         AVCOL_SPC_BT470BG, true, 0.299, 0.114},
        {AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_UNSPECIFIED, AV_PIX_FMT_YUVJ444P, 4000, 3000,
         AVCOL_SPC_BT709, true, 0.2126, 0.0722},
        {AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_MPEG, AV_PIX_FMT_YUVJ422P, 64, 48, AVCOL_SPC_BT470BG,
         true, 0.299, 0.114},
        {AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_JPEG, AV_PIX_FMT_YUV420P, 64, 48, AVCOL_SPC_BT470BG,
         true, 0.299, 0.114},
        // Grey of whole numbers is full range unless tagged limited, as libswscale takes it.
        {AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_MPEG, AV_PIX_FMT_GRAY10LE, 64, 48, AVCOL_SPC_BT470BG,
         false, 0.299, 0.114},
        {AVCOL_SPC_BT709, AVCOL_RANGE_UNSPECIFIED, AV_PIX_FMT_GRAY16BE, 64, 48, AVCOL_SPC_BT709,
         true, 0.2126, 0.0722},
        {AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_UNSPECIFIED, AV_PIX_FMT_YA8, 64, 48, AVCOL_SPC_BT470BG,
         true, 0.299, 0.114},
        {AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_JPEG, AV_PIX_FMT_GRAY8, 64, 48, AVCOL_SPC_BT470BG, true,
         0.299, 0.114},
        {AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_UNSPECIFIED, AV_PIX_FMT_GRAYF32LE, 64, 48,
         AVCOL_SPC_BT470BG, false, 0.299, 0.114},
    };
    for (const auto& c : cases) {
        AVFrame frame{};
        frame.colorspace = c.aTag;
        frame.color_range = c.aRange;
        frame.format = c.aFormat;
        frame.width = c.aWidth;
        frame.height = c.aHeight;
        const TYuvColours colours = TYuvColours::Of(frame);
        SCOPED_TRACE(std::string(av_color_space_name(c.aTag)) + " " +
                     av_color_range_name(c.aRange) + " " + av_get_pix_fmt_name(c.aFormat) + " " +
                     std::to_string(c.aWidth) + "x" + std::to_string(c.aHeight));
        EXPECT_STREQ(av_color_space_name(colours.aMatrix), av_color_space_name(c.aMatrix));
        EXPECT_EQ(colours.aFullRange, c.aFullRange);
        EXPECT_DOUBLE_EQ(colours.RedWeight(), c.aRed);
        EXPECT_DOUBLE_EQ(colours.BlueWeight(), c.aBlue);
    }
}
