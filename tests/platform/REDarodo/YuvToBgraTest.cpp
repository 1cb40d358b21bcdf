#include "YuvToBgra.h"
#include "MediaIndex.h"
#include "PictureConverter.h"
#include "support/SwsReference.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

// The direct converter's colours are the exact values of each matrix and range rounded to the
// nearest level (a value within 1/4096 of a half may go either way); its 4:2:0 chroma is
// libswscale's. The pictures left to libswscale get their colours from it, with the same
// matrix and range.

namespace {

typedef std::vector<uint8_t> TBytes;
typedef std::function<int(int pPlane, int pX, int pY)> TContent;

// How far from the exact value a level may lie: half a level, and where the exact value is
// that close to a half, the rounding error of single precision.
constexpr double theRounding = 0.5 + 1.0 / 4096;

// The matrices, each with both ranges.
std::vector<TYuvColours> EveryColours() {
    std::vector<TYuvColours> colours;
    for (AVColorSpace matrix : {AVCOL_SPC_BT709, AVCOL_SPC_BT470BG, AVCOL_SPC_SMPTE170M,
                                AVCOL_SPC_SMPTE240M, AVCOL_SPC_BT2020_NCL, AVCOL_SPC_FCC})
        for (bool full : {false, true})
            colours.push_back(TYuvColours{matrix, full});
    return colours;
}

std::string Name(const TYuvColours& pColours) {
    return std::string(av_color_space_name(pColours.aMatrix)) +
           (pColours.aFullRange ? " full" : " limited");
}

// A pFormat picture of pWidth x pHeight whose plane rows are pPadding samples longer than
// their samples (the padding holds junk), with the samples pContent gives, tagged with
// pColours.
TFramePtr Picture(AVPixelFormat pFormat, int pWidth, int pHeight, const TContent& pContent,
                  const TYuvColours& pColours = TYuvColours(), int pPadding = 0) {
    TFramePtr frame(av_frame_alloc());
    frame->format = pFormat;
    frame->width = pWidth;
    frame->height = pHeight;
    frame->colorspace = pColours.aMatrix;
    frame->color_range = pColours.aFullRange ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(pFormat);
    const int bytes = desc->comp[0].step;
    for (int plane = 0; plane < desc->nb_components; ++plane) {
        const int width = plane ? -(-pWidth >> desc->log2_chroma_w) : pWidth;
        const int height = plane ? -(-pHeight >> desc->log2_chroma_h) : pHeight;
        frame->linesize[plane] = (width + pPadding) * bytes;
        frame->buf[plane] = av_buffer_alloc(size_t(frame->linesize[plane]) * height);
        frame->data[plane] = frame->buf[plane]->data;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width + pPadding; ++x) {
                const int value = x < width ? pContent(plane, x, y) : 0xA5 ^ x;
                uint8_t* sample = frame->data[plane] + y * frame->linesize[plane] + x * bytes;
                if (bytes == 2)
                    sample[1] = uint8_t(value >> 8);
                sample[0] = uint8_t(value);
            }
    }
    return frame;
}

TBytes Packed(const uint8_t* pData, ptrdiff_t pRowBytes, int pWidth, int pHeight) {
    TBytes pixels;
    for (int y = 0; y < pHeight; ++y)
        pixels.insert(pixels.end(), pData + y * pRowBytes, pData + y * pRowBytes + 4 * pWidth);
    return pixels;
}

// pFrame converted by libswscale as the picture converter asks it to for the pictures the
// direct converter leaves (bicubic, bit-exact, accurate rounding, full chroma interpolation,
// with pFrame's matrix and range, at pContrast in 1/65536), to pWidth x pHeight pixels of
// pFormat; rows packed.
TBytes Swscale(const AVFrame& pFrame, int pWidth, int pHeight, AVPixelFormat pFormat,
               int pContrast = 1 << 16) {
    const TYuvColours colours = TYuvColours::Of(pFrame);
    const TSwsPtr scale = SwsReference(
        pFrame.width, pFrame.height, TYuvColours::PlainFormat(pFrame.format), pWidth, pHeight,
        pFormat, SWS_BICUBIC | SWS_BITEXACT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, 4);
    EXPECT_TRUE(scale);
    const int* matrix = sws_getCoefficients(colours.aMatrix);
    EXPECT_GE(sws_setColorspaceDetails(scale.get(), matrix, colours.aFullRange, matrix, 1, 0,
                                       pContrast, 1 << 16),
              0);
    TFramePtr source(av_frame_clone(&pFrame));
    source->format = TYuvColours::PlainFormat(pFrame.format);
    TFramePtr target(av_frame_alloc());
    target->format = pFormat;
    target->width = pWidth;
    target->height = pHeight;
    EXPECT_GE(av_frame_get_buffer(target.get(), 0), 0);
    EXPECT_GE(sws_scale_frame(scale.get(), target.get(), source.get()), 0);
    const int bytes = av_get_padded_bits_per_pixel(av_pix_fmt_desc_get(pFormat)) / 8;
    return Packed(target->data[0], target->linesize[0], pWidth * bytes / 4, pHeight);
}

// pFrame converted by libswscale to BGRA as Swscale, to pWidth x pHeight (by default its own
// size), saturated: its arithmetic wraps a colour beyond 511 levels to 0 and one below -511
// to 255, which its 16-bit conversion at a quarter of the contrast (room for every colour)
// tells from black and white.
TBytes Saturated(const AVFrame& pFrame, int pWidth = 0, int pHeight = 0) {
    pWidth = pWidth ? pWidth : pFrame.width;
    pHeight = pHeight ? pHeight : pFrame.height;
    TBytes pixels = Swscale(pFrame, pWidth, pHeight, AV_PIX_FMT_BGRA);
    const TBytes quarter = Swscale(pFrame, pWidth, pHeight, AV_PIX_FMT_BGRA64LE, 1 << 14);
    for (size_t i = 0; i < pixels.size(); ++i)
        if (i % 4 != 3 && (pixels[i] == 0 || pixels[i] == 255))
            pixels[i] = quarter[2 * i + 1] >= 32 ? 255 : 0;
    return pixels;
}

// pFrame converted directly with its tags' colours, into rows pPadding bytes longer than the
// pixels, which must stay as they were; rows packed.
TBytes Direct(const AVFrame& pFrame, int pPadding = 0) {
    TYuvToBgra direct;
    EXPECT_TRUE(
        direct.Prepare(pFrame.format, pFrame.width, pFrame.height, TYuvColours::Of(pFrame)));
    const ptrdiff_t rowBytes = 4 * pFrame.width + pPadding;
    TBytes target(size_t(rowBytes) * pFrame.height, 0x3C);
    direct.Convert(pFrame, target.data(), rowBytes);
    for (int y = 0; y < pFrame.height; ++y) {
        const uint8_t* row = target.data() + y * rowBytes;
        EXPECT_EQ(TBytes(row + 4 * pFrame.width, row + rowBytes), TBytes(size_t(pPadding), 0x3C))
            << "row " << y;
    }
    return Packed(target.data(), rowBytes, pFrame.width, pFrame.height);
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
    return Packed(static_cast<const uint8_t*>(image.GetRawData()), image.GetRowBytes(),
                  index.aWidth, index.aHeight);
}

// pFrame converted by a converter of its own, which has nothing to report: libswscale takes
// full-range (JPEG) formats under their plain names, of which it would warn.
TBytes Converted(const AVFrame& pFrame) {
    TMediaLog log;
    TPictureConverter converter(log);
    const TBytes pixels = Converted(pFrame, converter);
    EXPECT_TRUE(log.GetProblems().empty()) << av_get_pix_fmt_name(AVPixelFormat(pFrame.format));
    return pixels;
}

// The exact blue, green and red (unrounded, unclipped, in levels) of the samples pY, pU, pV
// of pDepth bits under pColours.
std::array<double, 3> Exact(int pY, int pU, int pV, const TYuvColours& pColours, int pDepth = 8) {
    const double scale = 1 << (pDepth - 8);
    const bool full = pColours.aFullRange;
    const double luma = full ? pY / (255 * scale) : (pY - 16 * scale) / (219 * scale);
    const double chroma = full ? 255 * scale : 224 * scale;
    const double u = (pU - 128 * scale) / chroma, v = (pV - 128 * scale) / chroma;
    const double red = pColours.RedWeight(), blue = pColours.BlueWeight();
    const double r = luma + 2 * (1 - red) * v, b = luma + 2 * (1 - blue) * u;
    const double g = (luma - red * r - blue * b) / (1 - red - blue);
    return {255 * b, 255 * g, 255 * r};
}

// How far pLevel lies from pExact clipped to the levels.
double Distance(int pLevel, double pExact) {
    return std::fabs(pLevel - std::clamp(pExact, 0.0, 255.0));
}

// Checks each pixel of pPixels (pWidth wide, BGRA) against the exact colours of its samples,
// which pSamples gives (Y, U, V of the pixel at x, y), and for opacity; fails once with the
// count and the first.
void ExpectExact(const TBytes& pPixels, int pWidth, const TYuvColours& pColours,
                 const std::function<std::array<int, 3>(int pX, int pY)>& pSamples) {
    long wrong = 0;
    std::string first;
    for (size_t i = 0; i < pPixels.size(); i += 4) {
        const int x = int(i / 4 % pWidth), y = int(i / 4 / pWidth);
        const auto [luma, u, v] = pSamples(x, y);
        const auto exact = Exact(luma, u, v, pColours);
        for (int channel = 0; channel < 4; ++channel) {
            const int level = pPixels[i + channel];
            if ((channel < 3 ? Distance(level, exact[channel]) > theRounding : level != 255) &&
                !wrong++)
                first = "first at " + std::to_string(x) + ", " + std::to_string(y) + ": " +
                        std::to_string(level) + " for " +
                        std::to_string(channel < 3 ? exact[channel] : 255);
        }
    }
    EXPECT_EQ(wrong, 0) << Name(pColours) << ": " << first;
}

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

// The 8-bit sample pValue in pDepth bits, its top bits repeated: 255 is the greatest.
int Widened(int pValue, int pDepth) {
    return pValue << (pDepth - 8) | pValue >> (16 - pDepth);
}

// The sample at pX, pY of plane pPlane of pFrame (8 bits).
int Sample(const AVFrame& pFrame, int pPlane, int pX, int pY) {
    return pFrame.data[pPlane][pY * pFrame.linesize[pPlane] + pX];
}

} // namespace

// Every chroma pair (chroma constant down each column, which the chroma filter keeps exactly)
// under 8 lumas, and so every luma under every value of each chroma sample, under every
// matrix and range.
TEST(YuvToBgra, EveryColourIsTheExactValueRoundedToTheNearest) {
    // Column c has U = c % 256, V = c / 256.
    const auto luma = [](int pX, int pY) {
        return (pX / 2 % 256 * 7 + pX / 512 * 13 + pY * 64 + pX % 2 * 32) % 256;
    };
    const TContent content = [&luma](int pPlane, int pX, int pY) {
        return pPlane == 1 ? pX % 256 : pPlane == 2 ? pX / 256 : luma(pX, pY);
    };
    for (const TYuvColours& colours : EveryColours()) {
        const TFramePtr frame = Picture(AV_PIX_FMT_YUV422P, 2 * 65536, 4, content, colours);
        ExpectExact(Direct(*frame), 2 * 65536, colours, [&luma](int pX, int pY) {
            return std::array<int, 3>{luma(pX, pY), pX / 2 % 256, pX / 512};
        });
    }
}

// Black and white of the limited range are 0 and 255, every level between its nearest value
// (128 is 130.4); full range keeps the levels. Under every matrix: grey has no chroma.
TEST(YuvToBgra, LimitedRangeGreysTakeTheirNearestLevels) {
    const int luma[] = {0, 15, 16, 17, 18, 64, 127, 128, 129, 200, 233, 234, 235, 236, 255, 255};
    const int limited[] = {0, 0, 0, 1, 2, 56, 129, 130, 132, 214, 253, 254, 255, 255, 255, 255};
    const int count = int(std::size(luma));
    for (const TYuvColours& colours : EveryColours())
        for (AVPixelFormat format : {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV422P}) {
            const TFramePtr frame = Picture(
                format, count, 10,
                [&luma](int pPlane, int pX, int) { return pPlane ? 128 : luma[pX]; }, colours);
            const TBytes pixels = Direct(*frame);
            for (int x = 0; x < count; ++x)
                EXPECT_EQ(TBytes(&pixels[4 * size_t(x)], &pixels[4 * size_t(x) + 3]),
                          TBytes(3, uint8_t(colours.aFullRange ? luma[x] : limited[x])))
                    << Name(colours) << " luma " << luma[x];
        }
}

// Random pictures at every size: 4:2:2 ones (chroma as it is) at the exact colours of their
// samples; 4:2:0 ones as the same picture with its chroma brought to every row by libswscale
// (its bicubic filter, in 4:2:2), converted directly.
TEST(YuvToBgra, RandomPicturesAreTheExactColoursOfLibswscalesChroma) {
    std::vector<std::pair<int, int>> sizes = {{2, 1},     {2, 9},       {4, 10},  {18, 9},
                                              {320, 240}, {1920, 1080}, {2, 301}, {302, 2},
                                              {34, 64},   {1282, 721}};
    for (int height = 9; height <= 40; ++height)
        sizes.emplace_back(2 * height + 4, height);
    unsigned seed = 1;
    for (const auto& [width, height] : sizes)
        for (bool full : {false, true})
            for (bool edges : {false, true}) {
                // One kind of each large picture.
                if (width * height > 100000 && (full || edges))
                    continue;
                const TYuvColours colours{seed % 3 ? AVCOL_SPC_BT709 : AVCOL_SPC_BT470BG, full};
                SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) +
                             (edges ? " edges" : ""));
                const TFramePtr both =
                    Picture(AV_PIX_FMT_YUV422P, width, height, Random(seed++, edges), colours);
                ExpectExact(Converted(*both), width, colours, [&both](int pX, int pY) {
                    return std::array<int, 3>{Sample(*both, 0, pX, pY),
                                              Sample(*both, 1, pX / 2, pY),
                                              Sample(*both, 2, pX / 2, pY)};
                });
                if (height < 9)
                    continue;
                const TFramePtr half =
                    Picture(AV_PIX_FMT_YUV420P, width, height, Random(seed++, edges), colours);
                TFramePtr filtered(av_frame_alloc());
                filtered->format = AV_PIX_FMT_YUV422P;
                filtered->width = width;
                filtered->height = height;
                ASSERT_GE(av_frame_get_buffer(filtered.get(), 0), 0);
                ASSERT_GE(av_frame_copy_props(filtered.get(), half.get()), 0);
                const TSwsPtr scale =
                    SwsReference(width, height, AV_PIX_FMT_YUV420P, width, height,
                                 AV_PIX_FMT_YUV422P, SWS_BICUBIC | SWS_BITEXACT | SWS_ACCURATE_RND);
                ASSERT_GE(sws_scale_frame(scale.get(), filtered.get(), half.get()), 0);
                EXPECT_TRUE(Converted(*half) == Direct(*filtered));
            }
}

TEST(YuvToBgra, PaddedRowsConvertAsPackedOnes) {
    // Rows of the planes and of the target longer than the pixels, by odd amounts.
    unsigned seed = 100;
    for (AVPixelFormat format :
         {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUV422P, AV_PIX_FMT_YUVJ422P})
        for (const auto& [width, height] : {std::make_pair(320, 240), std::make_pair(66, 37)}) {
            const TYuvColours colours{AVCOL_SPC_BT709, false};
            const TFramePtr padded =
                Picture(format, width, height, Random(seed, false), colours, 37);
            const TFramePtr packed = Picture(format, width, height, Random(seed++, false), colours);
            EXPECT_TRUE(Direct(*padded, 12) == Direct(*packed))
                << av_get_pix_fmt_name(format) << " " << width << "x" << height;
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
        EXPECT_EQ(direct.Prepare(test.aFormat, test.aWidth, test.aHeight, TYuvColours()),
                  test.aCovered)
            << av_get_pix_fmt_name(test.aFormat) << " " << test.aWidth << "x" << test.aHeight;
    }
    // Those left to libswscale convert as it converts them, saturated, sharp steps of the
    // extremes (which its chroma filter carries furthest past them) too.
    unsigned seed = 200;
    for (AVPixelFormat format :
         {AV_PIX_FMT_YUV444P, AV_PIX_FMT_YUVJ444P, AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUV420P10LE})
        for (const auto& [width, height] : {std::make_pair(321, 17), std::make_pair(64, 8)})
            for (bool edges : {false, true}) {
                const int depth = av_pix_fmt_desc_get(format)->comp[0].depth;
                const TContent random = Random(seed++, edges);
                const TFramePtr frame = Picture(
                    format, width, height,
                    [&](int pPlane, int pX, int pY) {
                        return Widened(random(pPlane, pX, pY), depth);
                    },
                    TYuvColours{AVCOL_SPC_BT2020_NCL, false});
                EXPECT_TRUE(Converted(*frame) == Saturated(*frame))
                    << av_get_pix_fmt_name(format) << " " << width << "x" << height
                    << (edges ? " edges" : "");
            }
    // Scaled up, a picture of the extremes at random, whose filters carry a few colours below
    // -511 levels too.
    std::mt19937 engine(84);
    const TFramePtr extremes = Picture(
        AV_PIX_FMT_YUV444P, 32, 24, [&engine](int, int, int) { return engine() % 2 ? 255 : 0; },
        TYuvColours{AVCOL_SPC_BT2020_NCL, false});
    TMediaLog log;
    TPictureConverter converter(log);
    EXPECT_TRUE(Converted(*extremes, converter, 97, 61) == Saturated(*extremes, 97, 61));
}

// Every layout of samples that libswscale reads, interleaved (NV12, NV21, P010), packed
// (YUYV), big-endian or with alpha: grey with a band of highlights (luma 240, blue at its end)
// whose blue wraps, which a sample read in the wrong place, order or shift would miss. Each
// converts as libswscale does, saturated, at its own size (a thread of its own finds where
// colours could wrap in a picture that tall) and scaled.
TEST(YuvToBgra, EveryLayoutOfSamplesSaturates) {
    for (AVPixelFormat format :
         {AV_PIX_FMT_NV12, AV_PIX_FMT_NV21, AV_PIX_FMT_P010LE, AV_PIX_FMT_YUYV422,
          AV_PIX_FMT_UYVY422, AV_PIX_FMT_YUV420P12BE, AV_PIX_FMT_YUVA444P, AV_PIX_FMT_YUV440P})
        for (const auto& [width, height] : {std::make_pair(33, 70), std::make_pair(49, 61)}) {
            const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
            TFramePtr frame(av_frame_alloc());
            frame->format = format;
            frame->width = 33;
            frame->height = 70;
            frame->colorspace = AVCOL_SPC_BT2020_NCL;
            ASSERT_GE(av_frame_get_buffer(frame.get(), 0), 0);
            // The samples are written into cleared words.
            for (int plane = 0; plane < 4 && frame->buf[plane]; ++plane)
                std::fill_n(frame->buf[plane]->data, frame->buf[plane]->size, 0);
            for (int component = 0; component < desc->nb_components; ++component) {
                const bool chroma = component == 1 || component == 2;
                const int shiftX = chroma ? desc->log2_chroma_w : 0;
                const int shiftY = chroma ? desc->log2_chroma_h : 0;
                std::vector<uint16_t> row(size_t(-(-33 >> shiftX)));
                for (int y = 0; y < -(-70 >> shiftY); ++y) {
                    for (size_t x = 0; x < row.size(); ++x) {
                        const bool highlight =
                            (int(x) << shiftX) >= 16 && (y << shiftY) >= 24 && (y << shiftY) < 40;
                        const int grey[] = {128, 128, 128, 255}, bright[] = {240, 255, 0, 255};
                        row[x] = uint16_t((highlight ? bright : grey)[component]
                                          << (desc->comp[0].depth - 8));
                    }
                    av_write_image_line2(row.data(), frame->data, frame->linesize, desc, 0, y,
                                         component, int(row.size()), 2);
                }
            }
            TMediaLog log;
            TPictureConverter converter(log);
            const TBytes pixels = Converted(*frame, converter, width, height);
            EXPECT_TRUE(pixels == Saturated(*frame, width, height))
                << av_get_pix_fmt_name(format) << " as " << width << "x" << height;
            EXPECT_EQ(pixels[(size_t(30) * width + 30) * 4], 255) << av_get_pix_fmt_name(format);
        }
}

// What libswscale converts gets the same colours: the exact values, within a level where its
// fixed point (or rounding twice, in its 10-bit path) misses the half; white 255 and black 0.
// Chroma is the same over each picture, which its chroma interpolation keeps. The samples stay
// within the nominal range but for neutral chroma; those beyond it are the next test's.
TEST(YuvToBgra, LibswscaleGivesThePicturesItConvertsTheSameColours) {
    const struct {
        AVPixelFormat aFormat;
        int aWidth, aHeight;
        TYuvColours aColours;
    } cases[] = {
        {AV_PIX_FMT_YUV444P, 256, 4, {AVCOL_SPC_BT709, false}},
        {AV_PIX_FMT_YUVJ444P, 256, 4, {AVCOL_SPC_BT470BG, true}},
        {AV_PIX_FMT_YUV420P, 256, 8, {AVCOL_SPC_BT470BG, false}},
        {AV_PIX_FMT_YUV422P, 255, 4, {AVCOL_SPC_SMPTE240M, false}},
        {AV_PIX_FMT_YUV420P10LE, 256, 4, {AVCOL_SPC_BT2020_NCL, false}},
        {AV_PIX_FMT_YUV420P10LE, 256, 4, {AVCOL_SPC_BT709, true}},
        {AV_PIX_FMT_YUV444P, 256, 4, {AVCOL_SPC_FCC, false}},
    };
    std::mt19937 random(7);
    for (const auto& c : cases) {
        const int depth = av_pix_fmt_desc_get(c.aFormat)->comp[0].depth;
        const int scale = 1 << (depth - 8);
        const bool full = c.aColours.aFullRange;
        long missed = 0, count = 0;
        for (int chroma = 0; chroma < 12; ++chroma) {
            // Neutral first, then at random; luma along the columns. Samples of 10 bits stand
            // for those of 8.
            const int u = chroma ? int(full ? random() % 256 : 16 + random() % 225) : 128;
            const int v = chroma ? int(full ? random() % 256 : 16 + random() % 225) : 128;
            const auto luma = [&](int pX) {
                return chroma && !full ? std::clamp(pX, 16, 235) : pX;
            };
            const TFramePtr frame = Picture(
                c.aFormat, c.aWidth, c.aHeight,
                [&](int pPlane, int pX, int) {
                    return (pPlane == 0 ? luma(pX) : pPlane == 1 ? u : v) * scale;
                },
                c.aColours);
            const TBytes pixels = Converted(*frame);
            for (size_t i = 0; i < pixels.size(); i += 4) {
                const int x = int(i / 4 % c.aWidth);
                const auto exact = Exact(luma(x) * scale, u * scale, v * scale, c.aColours, depth);
                for (int channel = 0; channel < 3; ++channel) {
                    const double distance = Distance(pixels[i + channel], exact[channel]);
                    ASSERT_LT(distance, 1.5) << Name(c.aColours) << " " << luma(x) << ", " << u
                                             << ", " << v << ": " << int(pixels[i + channel]);
                    missed += distance > theRounding;
                    ++count;
                }
                const int white = full ? 255 : 235, black = full ? 0 : 16;
                if (!chroma && (x == white || x == black)) {
                    EXPECT_EQ(TBytes(&pixels[i], &pixels[i + 3]), TBytes(3, x == white ? 255 : 0))
                        << av_get_pix_fmt_name(c.aFormat) << " " << Name(c.aColours);
                }
            }
        }
        // Measured: up to 0.5% a level off the nearest in the limited range, none in full.
        EXPECT_LT(double(missed) / double(count), 0.01)
            << av_get_pix_fmt_name(c.aFormat) << " " << Name(c.aColours) << ": " << missed;
    }
}

// Samples beyond the legal range, as camera highlights and encoders' overshoot give, on every
// path: the direct converter's, and libswscale's for odd widths, 10 bits, 4:2:2 beyond the
// direct converter, 4:4:4 and grey (neutral chroma), and black, mid-grey and white. Each pixel
// is within 2 levels of its exact colour saturated to 0..255, in every range; libswscale's
// arithmetic wraps a colour beyond 511 levels to 0. Plain 8-bit grey shows at full range
// whatever its tag, as FFmpeg's own conversion shows it.
TEST(YuvToBgra, ColoursBeyondTheRangeSaturateOnEveryPath) {
    const struct {
        const char* aName;
        AVPixelFormat aFormat;
        int aWidth;
        bool aTagged = true;
    } thePaths[] = {
        {"8-bit 4:2:0, even width", AV_PIX_FMT_YUV420P, 10},
        {"8-bit 4:2:0, odd width", AV_PIX_FMT_YUV420P, 9},
        {"10-bit 4:2:0", AV_PIX_FMT_YUV420P10LE, 10},
        {"8-bit 4:2:2, even width", AV_PIX_FMT_YUV422P, 10},
        {"8-bit 4:2:2, odd width", AV_PIX_FMT_YUV422P, 9},
        {"10-bit 4:2:2", AV_PIX_FMT_YUV422P10LE, 10},
        {"8-bit 4:4:4", AV_PIX_FMT_YUV444P, 10},
        {"8-bit grey", AV_PIX_FMT_GRAY8, 10, false},
        {"10-bit grey", AV_PIX_FMT_GRAY10LE, 10},
        {"12-bit grey", AV_PIX_FMT_GRAY12LE, 10},
    };
    const int theLumas[] = {0, 16, 128, 235, 236, 250, 254, 255};
    const std::vector<int> theChromas = {0, 16, 240, 255}, theNeutral = {128};
    for (const auto& path : thePaths)
        for (const TYuvColours colours :
             {TYuvColours{AVCOL_SPC_BT470BG, false}, TYuvColours{AVCOL_SPC_BT2020_NCL, false},
              TYuvColours{AVCOL_SPC_BT709, true}}) {
            const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(path.aFormat);
            const int depth = desc->comp[0].depth;
            const bool grey = desc->nb_components == 1;
            const TYuvColours shown = path.aTagged ? colours : TYuvColours{colours.aMatrix, true};
            TMediaLog log;
            TPictureConverter converter(log);
            for (int luma : theLumas)
                for (int u : grey ? theNeutral : theChromas)
                    for (int v : grey ? theNeutral : theChromas) {
                        // Grey's chroma is neutral, exactly.
                        const int samples[] = {Widened(luma, depth),
                                               grey ? u << (depth - 8) : Widened(u, depth),
                                               grey ? v << (depth - 8) : Widened(v, depth)};
                        const TFramePtr frame = Picture(
                            path.aFormat, path.aWidth, 10,
                            [&samples](int pPlane, int, int) { return samples[pPlane]; }, colours);
                        const TBytes pixels = Converted(*frame, converter);
                        const auto exact = Exact(samples[0], samples[1], samples[2], shown, depth);
                        double worst = 0;
                        for (size_t i = 0; i < pixels.size(); i += 4)
                            for (int channel = 0; channel < 4; ++channel)
                                worst = std::max(worst, channel < 3 ? Distance(pixels[i + channel],
                                                                               exact[channel])
                                                                    : 255.0 - pixels[i + 3]);
                        EXPECT_LE(worst, 2)
                            << path.aName << ", " << Name(colours) << ": " << luma << ", " << u
                            << ", " << v << " shows " << int(pixels[2]) << ", " << int(pixels[1])
                            << ", " << int(pixels[0]) << " for " << exact[2] << ", " << exact[1]
                            << ", " << exact[0];
                    }
        }
}

TEST(YuvToBgra, OneConverterFollowsPicturesThatChange) {
    // One picture converter for pictures whose size, format or colours change, in turn, as a
    // reader's converter sees a stream that changes: direct, libswscale, direct again, and
    // pictures scaled to the track's size.
    TMediaLog log;
    TPictureConverter converter(log);
    unsigned seed = 300;
    const TYuvColours hd{AVCOL_SPC_BT709, false}, sd{AVCOL_SPC_BT470BG, false};
    const struct {
        AVPixelFormat aFormat;
        int aWidth, aHeight;
        int aTrackWidth, aTrackHeight;
        TYuvColours aColours;
    } theSteps[] = {
        {AV_PIX_FMT_YUV420P, 64, 48, 64, 48, sd},
        {AV_PIX_FMT_YUV420P, 96, 31, 96, 31, sd},
        {AV_PIX_FMT_YUV444P, 96, 31, 96, 31, sd},
        {AV_PIX_FMT_YUVJ422P, 96, 31, 96, 31, sd},
        {AV_PIX_FMT_YUV420P, 64, 48, 64, 48, sd},
        {AV_PIX_FMT_YUV420P, 64, 48, 64, 48, hd},
        {AV_PIX_FMT_YUV420P, 64, 48, 64, 48, TYuvColours{AVCOL_SPC_BT709, true}},
        {AV_PIX_FMT_YUV444P, 96, 31, 96, 31, hd},
        {AV_PIX_FMT_YUV420P, 128, 96, 64, 48, sd},
        {AV_PIX_FMT_YUV420P, 128, 96, 64, 48, hd},
        {AV_PIX_FMT_YUV420P, 64, 48, 64, 48, sd},
    };
    for (const auto& step : theSteps) {
        const TFramePtr frame =
            Picture(step.aFormat, step.aWidth, step.aHeight, Random(seed++, false), step.aColours);
        const bool direct =
            step.aWidth == step.aTrackWidth &&
            TYuvToBgra().Prepare(step.aFormat, step.aWidth, step.aHeight, step.aColours);
        EXPECT_TRUE(
            Converted(*frame, converter, step.aTrackWidth, step.aTrackHeight) ==
            (direct ? Direct(*frame) : Saturated(*frame, step.aTrackWidth, step.aTrackHeight)))
            << av_get_pix_fmt_name(step.aFormat) << " " << step.aWidth << "x" << step.aHeight
            << " as " << step.aTrackWidth << "x" << step.aTrackHeight << " " << Name(step.aColours);
    }
}
