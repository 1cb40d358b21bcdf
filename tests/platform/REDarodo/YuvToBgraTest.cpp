#include "YuvToBgra.h"
#include "MediaIndex.h"
#include "PictureConverter.h"
#include "support/SwsReference.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
}

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

// Every conversion is compared byte for byte with libswscale under the picture converter's
// settings, which gave the pixels users and golden files know.

namespace {

typedef std::vector<uint8_t> TBytes;
typedef std::function<uint8_t(int pPlane, int pX, int pY)> TContent;

// A pFormat picture of pWidth x pHeight whose plane rows are pPadding bytes longer than their
// samples (the padding holds junk), with the samples pContent gives.
TFramePtr Picture(AVPixelFormat pFormat, int pWidth, int pHeight, const TContent& pContent,
               int pPadding = 0) {
    TFramePtr frame(av_frame_alloc());
    frame->format = pFormat;
    frame->width = pWidth;
    frame->height = pHeight;
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(pFormat);
    for (int plane = 0; plane < 3; ++plane) {
        const int width = plane ? -(-pWidth >> desc->log2_chroma_w) : pWidth;
        const int height = plane ? -(-pHeight >> desc->log2_chroma_h) : pHeight;
        frame->linesize[plane] = width + pPadding;
        frame->buf[plane] = av_buffer_alloc(size_t(frame->linesize[plane]) * height);
        frame->data[plane] = frame->buf[plane]->data;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < frame->linesize[plane]; ++x)
                frame->data[plane][y * frame->linesize[plane] + x] =
                    x < width ? pContent(plane, x, y) : uint8_t(0xA5 ^ x);
    }
    return frame;
}

// pFrame converted by libswscale as the picture converter has always asked it to, to
// pWidth x pHeight (by default its own size), rows packed.
TBytes Swscale(const AVFrame& pFrame, int pWidth = 0, int pHeight = 0) {
    pWidth = pWidth ? pWidth : pFrame.width;
    pHeight = pHeight ? pHeight : pFrame.height;
    // Full-range formats draw a warning each time; errors still show.
    const int level = av_log_get_level();
    av_log_set_level(AV_LOG_ERROR);
    const TSwsPtr scale =
        SwsReference(pFrame.width, pFrame.height, pFrame.format, pWidth, pHeight, AV_PIX_FMT_BGRA,
                     SWS_BICUBIC | SWS_BITEXACT | SWS_ACCURATE_RND, 4);
    EXPECT_TRUE(scale);
    TFramePtr target(av_frame_alloc());
    target->format = AV_PIX_FMT_BGRA;
    target->width = pWidth;
    target->height = pHeight;
    EXPECT_GE(av_frame_get_buffer(target.get(), 0), 0);
    EXPECT_GE(sws_scale_frame(scale.get(), target.get(), &pFrame), 0);
    av_log_set_level(level);
    TBytes pixels;
    for (int y = 0; y < pHeight; ++y) {
        const uint8_t* row = target->data[0] + ptrdiff_t(y) * target->linesize[0];
        pixels.insert(pixels.end(), row, row + 4 * pWidth);
    }
    return pixels;
}

// pFrame converted directly, into rows pPadding bytes longer than the pixels, which must stay
// as they were; rows packed.
TBytes Direct(const AVFrame& pFrame, int pPadding = 0) {
    TYuvToBgra direct;
    EXPECT_TRUE(direct.Prepare(pFrame.format, pFrame.width, pFrame.height));
    const ptrdiff_t rowBytes = 4 * pFrame.width + pPadding;
    TBytes target(size_t(rowBytes) * pFrame.height, 0x3C);
    direct.Convert(pFrame, target.data(), rowBytes);
    TBytes pixels;
    for (int y = 0; y < pFrame.height; ++y) {
        const uint8_t* row = target.data() + y * rowBytes;
        pixels.insert(pixels.end(), row, row + 4 * pFrame.width);
        EXPECT_EQ(TBytes(row + 4 * pFrame.width, row + rowBytes), TBytes(size_t(pPadding), 0x3C))
            << "row " << y;
    }
    return pixels;
}

// pFrame converted by pConverter for a track of pWidth x pHeight (by default the picture's
// size), as a reader does; rows packed.
TBytes Converted(const AVFrame& pFrame, TPictureConverter& pConverter, int pWidth = 0,
                 int pHeight = 0) {
    TVideoIndex index;
    index.aWidth = pWidth ? pWidth : pFrame.width;
    index.aHeight = pHeight ? pHeight : pFrame.height;
    TAllocBitmap image;
    EXPECT_TRUE(pConverter.Convert(pFrame, index, image));
    const uint8_t* data = static_cast<const uint8_t*>(image.GetRawData());
    TBytes pixels;
    for (int y = 0; y < index.aHeight; ++y) {
        const uint8_t* row = data + y * image.GetRowBytes();
        pixels.insert(pixels.end(), row, row + 4 * index.aWidth);
    }
    return pixels;
}

TBytes Converted(const AVFrame& pFrame) {
    TPictureConverter converter;
    return Converted(pFrame, converter);
}

// The position of the first pixel where pActual and pExpected differ, for messages.
std::string FirstDifference(const TBytes& pActual, const TBytes& pExpected, int pWidth) {
    for (size_t i = 0; i < std::min(pActual.size(), pExpected.size()); ++i)
        if (pActual[i] != pExpected[i])
            return "first difference at x " + std::to_string(i / 4 % pWidth) + ", y " +
                   std::to_string(i / 4 / pWidth) + ", byte " + std::to_string(i % 4);
    return pActual.size() == pExpected.size() ? "none" : "sizes differ";
}

const AVPixelFormat theCovered[] = {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUV422P,
                                    AV_PIX_FMT_YUVJ422P};

// Samples from pSeed: uniform bytes, or only the extremes and the limited range's edges,
// whose sharp steps make the chroma filter overshoot most.
TContent Random(unsigned pSeed, bool pEdges) {
    auto engine = std::make_shared<std::mt19937>(pSeed);
    return [engine, pEdges](int, int, int) {
        static const uint8_t theEdges[] = {0, 255, 16, 235, 240, 0, 255};
        const unsigned value = (*engine)();
        return pEdges ? theEdges[value % 7] : uint8_t(value);
    };
}

} // namespace

TEST(YuvToBgra, EveryColourMatchesLibswscale) {
    // Chroma constant down each column (so the chroma filter keeps it exactly): column c has
    // U = c % 256, V = c / 256, and its two pixels take every luma over the 128 rows.
    const TContent content = [](int pPlane, int pX, int pY) {
        if (pPlane == 1)
            return uint8_t(pX);
        if (pPlane == 2)
            return uint8_t(pX >> 8);
        return uint8_t(2 * pY + pX % 2 + pX / 2);
    };
    for (AVPixelFormat format : theCovered) {
        const TFramePtr frame = Picture(format, 2 * 65536, 128, content);
        const TBytes expected = Swscale(*frame);
        const TBytes actual = Direct(*frame);
        EXPECT_TRUE(actual == expected)
            << av_get_pix_fmt_name(format) << ": " << FirstDifference(actual, expected, 131072);
    }
}

TEST(YuvToBgra, RandomPicturesMatchLibswscaleAtEverySize) {
    std::vector<std::pair<int, int>> sizes = {{1, 1},     {2, 2},       {3, 3},   {17, 9},
                                              {320, 240}, {1920, 1080}, {2, 301}, {301, 2},
                                              {33, 64},   {1282, 721}};
    for (int height = 1; height <= 40; ++height)
        sizes.emplace_back(2 * height + 4, height);
    unsigned seed = 1;
    for (const auto& [width, height] : sizes)
        for (AVPixelFormat format : theCovered)
            for (bool edges : {false, true}) {
                const TFramePtr frame = Picture(format, width, height, Random(seed++, edges));
                const TBytes expected = Swscale(*frame);
                const TBytes actual = Converted(*frame);
                EXPECT_TRUE(actual == expected)
                    << av_get_pix_fmt_name(format) << " " << width << "x" << height
                    << (edges ? " edges: " : ": ") << FirstDifference(actual, expected, width);
            }
}

TEST(YuvToBgra, PaddedRowsMatchLibswscale) {
    // Rows of the planes and of the target longer than the pixels, by odd amounts.
    unsigned seed = 100;
    for (AVPixelFormat format : theCovered)
        for (const auto& [width, height] : {std::make_pair(320, 240), std::make_pair(66, 37)}) {
            const TFramePtr frame = Picture(format, width, height, Random(seed++, false), 37);
            const TBytes expected = Swscale(*frame);
            const TBytes actual = Direct(*frame, 12);
            EXPECT_TRUE(actual == expected)
                << av_get_pix_fmt_name(format) << " " << width << "x" << height << ": "
                << FirstDifference(actual, expected, width);
        }
}

TEST(YuvToBgra, LeavesToLibswscaleWhatItDoesNotCover) {
    // libswscale takes other paths for these: full-resolution chroma for odd widths and 4:4:4,
    // other output steps for pictures whose chroma filter has under three taps.
    const struct {
        AVPixelFormat aFormat;
        int aWidth, aHeight;
        bool aCovered;
    } theCases[] = {
        {AV_PIX_FMT_YUV420P, 320, 240, true},      {AV_PIX_FMT_YUV420P, 2, 9, true},
        {AV_PIX_FMT_YUV420P, 2, 8, false},         {AV_PIX_FMT_YUV420P, 321, 240, false},
        {AV_PIX_FMT_YUV420P, 1, 240, false},       {AV_PIX_FMT_YUVJ420P, 320, 9, true},
        {AV_PIX_FMT_YUV422P, 2, 1, true},          {AV_PIX_FMT_YUVJ422P, 320, 240, true},
        {AV_PIX_FMT_YUV422P, 319, 240, false},     {AV_PIX_FMT_YUV444P, 320, 240, false},
        {AV_PIX_FMT_YUVJ444P, 320, 240, false},    {AV_PIX_FMT_NV12, 320, 240, false},
        {AV_PIX_FMT_YUV420P10LE, 320, 240, false}, {AV_PIX_FMT_YUVA420P, 320, 240, false},
        {AV_PIX_FMT_RGB24, 320, 240, false},
    };
    for (const auto& test : theCases) {
        TYuvToBgra direct;
        EXPECT_EQ(direct.Prepare(test.aFormat, test.aWidth, test.aHeight), test.aCovered)
            << av_get_pix_fmt_name(test.aFormat) << " " << test.aWidth << "x" << test.aHeight;
    }
    // Those left to libswscale still convert as before.
    unsigned seed = 200;
    for (AVPixelFormat format : {AV_PIX_FMT_YUV444P, AV_PIX_FMT_YUV420P})
        for (const auto& [width, height] : {std::make_pair(321, 17), std::make_pair(64, 8)}) {
            const TFramePtr frame = Picture(format, width, height, Random(seed++, false));
            EXPECT_TRUE(Converted(*frame) == Swscale(*frame))
                << av_get_pix_fmt_name(format) << " " << width << "x" << height;
        }
}

TEST(YuvToBgra, OneConverterFollowsPicturesThatChange) {
    // One picture converter for pictures whose size or format changes, in turn, as a
    // reader's converter sees a stream that changes: direct, libswscale, direct again, and
    // pictures scaled to the track's size.
    TPictureConverter converter;
    unsigned seed = 300;
    const struct {
        AVPixelFormat aFormat;
        int aWidth, aHeight;
        int aTrackWidth, aTrackHeight;
    } theSteps[] = {
        {AV_PIX_FMT_YUV420P, 64, 48, 64, 48}, {AV_PIX_FMT_YUV420P, 96, 31, 96, 31},
        {AV_PIX_FMT_YUV444P, 96, 31, 96, 31}, {AV_PIX_FMT_YUVJ422P, 96, 31, 96, 31},
        {AV_PIX_FMT_YUV420P, 64, 48, 64, 48}, {AV_PIX_FMT_YUV420P, 128, 96, 64, 48},
        {AV_PIX_FMT_YUV420P, 64, 48, 64, 48},
    };
    for (const auto& step : theSteps) {
        const TFramePtr frame =
            Picture(step.aFormat, step.aWidth, step.aHeight, Random(seed++, false));
        EXPECT_TRUE(Converted(*frame, converter, step.aTrackWidth, step.aTrackHeight) ==
                    Swscale(*frame, step.aTrackWidth, step.aTrackHeight))
            << av_get_pix_fmt_name(step.aFormat) << " " << step.aWidth << "x" << step.aHeight
            << " as " << step.aTrackWidth << "x" << step.aTrackHeight;
    }
}
