#include "YuvPicture.h"

#include "Output.h"

#include "REDarodo/Bitmap.h"
#include "support/SwsReference.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

// The planes of a frame, each row followed by a margin that the converter must leave alone.
struct TPlanes {
    static constexpr int theMargin = 3;
    static constexpr uint8_t theUntouched = 0xEE;

    TPlanes(int pWidth, int pHeight) : aWidth(pWidth), aHeight(pHeight) {
        for (int plane = 0; plane < 3; ++plane) {
            const int shift = plane ? 1 : 0;
            aStrides[plane] = (pWidth >> shift) + theMargin;
            aBytes[plane].assign(size_t(aStrides[plane]) * (pHeight >> shift), theUntouched);
            aData[plane] = aBytes[plane].data();
        }
    }

    int At(int pPlane, int pX, int pY) const { return aData[pPlane][pY * aStrides[pPlane] + pX]; }
    int Y(int pX, int pY) const { return At(0, pX, pY); }
    // The chroma of the block at pixel pX, pY.
    int Cb(int pX, int pY) const { return At(1, pX / 2, pY / 2); }
    int Cr(int pX, int pY) const { return At(2, pX / 2, pY / 2); }

    bool MarginsUntouched() const {
        for (int plane = 0; plane < 3; ++plane)
            for (size_t row = 0; row < aBytes[plane].size(); row += size_t(aStrides[plane]))
                for (int x = aStrides[plane] - theMargin; x < aStrides[plane]; ++x)
                    if (aBytes[plane][row + x] != theUntouched)
                        return false;
        return true;
    }

    int aWidth;
    int aHeight;
    std::vector<uint8_t> aBytes[3];
    uint8_t* aData[3];
    int aStrides[3];
};

// An opaque colour as the picture holds it: B, G, R, A in memory.
uint32_t Rgb(int pR, int pG, int pB) {
    return 0xFF000000u | uint32_t(pR) << 16 | uint32_t(pG) << 8 | uint32_t(pB);
}

TPlanes Convert(const TBitmap* pPicture, int pWidth, int pHeight) {
    TPlanes planes(pWidth, pHeight);
    TZVYuvPicture(pWidth, pHeight).Convert(pPicture, planes.aData, planes.aStrides);
    return planes;
}

// The exact values of the colour's luma and chroma, in the limited range, with BT.709's
// weights (pHd) or BT.601's.
struct TExact {
    TExact(double pR, double pG, double pB, bool pHd) {
        const double red = pHd ? 0.2126 : 0.299, blue = pHd ? 0.0722 : 0.114;
        const double luma = red * pR + (1 - red - blue) * pG + blue * pB;
        aY = 16 + 219.0 / 255 * luma;
        aCb = 128 + 224.0 / 255 * (pB - luma) / (2 * (1 - blue));
        aCr = 128 + 224.0 / 255 * (pR - luma) / (2 * (1 - red));
    }
    double aY, aCb, aCr;
};

int Channel(uint32_t pPixel, int pShift) {
    return int(pPixel >> pShift & 0xFF);
}

// The converter's rounding: the exactly rounded value, or, within 1/128 of a half, either
// neighbour.
::testing::AssertionResult Rounded(int pValue, double pExact) {
    if (std::fabs(pValue - pExact) <= 0.5 + 1.0 / 128)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << pValue << " for " << pExact;
}

// Checks every pixel's luma and every block's chroma of pPixels (pWidth x pHeight, even)
// against the exact values of the weights of its size.
void ExpectRounded(const std::vector<uint32_t>& pPixels, int pWidth, int pHeight) {
    const TBitmap picture(const_cast<uint32_t*>(pPixels.data()), pWidth, pHeight);
    const TPlanes planes = Convert(&picture, pWidth, pHeight);
    const bool hd = TZVYuvPicture::IsHd(pWidth, pHeight);
    for (int y = 0; y < pHeight; ++y)
        for (int x = 0; x < pWidth; ++x) {
            const uint32_t pixel = pPixels[size_t(y) * pWidth + x];
            ASSERT_TRUE(
                Rounded(planes.Y(x, y),
                        TExact(Channel(pixel, 16), Channel(pixel, 8), Channel(pixel, 0), hd).aY))
                << x << ", " << y;
        }
    for (int y = 0; y < pHeight; y += 2)
        for (int x = 0; x < pWidth; x += 2) {
            double mean[3] = {};
            for (int pixel : {0, 1, pWidth, pWidth + 1})
                for (int channel = 0; channel < 3; ++channel)
                    mean[channel] +=
                        Channel(pPixels[size_t(y) * pWidth + x + pixel], 16 - 8 * channel) / 4.0;
            const TExact exact(mean[0], mean[1], mean[2], hd);
            ASSERT_TRUE(Rounded(planes.Cb(x, y), exact.aCb)) << x << ", " << y;
            ASSERT_TRUE(Rounded(planes.Cr(x, y), exact.aCr)) << x << ", " << y;
        }
}

// Opaque colours: diagonal gradients with noise of +-16 on each channel, as in a picture
// of the world.
std::vector<uint32_t> Natural(int pWidth, int pHeight) {
    std::vector<uint32_t> pixels(size_t(pWidth) * pHeight);
    std::minstd_rand random(7);
    for (int y = 0; y < pHeight; ++y)
        for (int x = 0; x < pWidth; ++x) {
            const int base[] = {x * 255 / pWidth, y * 255 / pHeight,
                                (x + y) * 255 / (pWidth + pHeight)};
            int value[3];
            for (int channel = 0; channel < 3; ++channel)
                value[channel] = std::clamp(base[channel] + int(random() % 33) - 16, 0, 255);
            pixels[size_t(y) * pWidth + x] = Rgb(value[0], value[1], value[2]);
        }
    return pixels;
}

} // namespace

// Each colour, over a whole 2 x 2 block, takes the values of its exact luma and chroma
// rounded to the nearest (none of these lies within 1/100 of a half): with BT.601's weights in
// an SD frame, with BT.709's in an HD one (the picture at its top left, black beside it).
TEST(YuvPicture, ColoursTakeTheirLimitedRangeValues) {
    struct TCase {
        uint32_t aColour;
        int aY, aCb, aCr;
    };
    const std::vector<TCase> sd = {
        {Rgb(0, 0, 0), 16, 128, 128},        {Rgb(255, 255, 255), 235, 128, 128},
        {Rgb(255, 0, 0), 81, 90, 240},       {Rgb(0, 255, 0), 145, 54, 34},
        {Rgb(0, 0, 255), 41, 240, 110},      {Rgb(255, 255, 0), 210, 16, 146},
        {Rgb(0, 255, 255), 170, 166, 16},    {Rgb(255, 0, 255), 106, 202, 222},
        {Rgb(128, 128, 128), 126, 128, 128}, {Rgb(1, 1, 1), 17, 128, 128},
        {Rgb(254, 254, 254), 234, 128, 128}, {Rgb(255, 128, 0), 146, 53, 193},
        {Rgb(0, 128, 128), 93, 147, 72},     {Rgb(224, 172, 105), 171, 91, 156},
        {Rgb(20, 40, 90), 50, 153, 116},     {Rgb(100, 150, 200), 137, 157, 102},
    };
    const std::vector<TCase> hd = {
        {Rgb(0, 0, 0), 16, 128, 128},        {Rgb(255, 255, 255), 235, 128, 128},
        {Rgb(255, 0, 0), 63, 102, 240},      {Rgb(0, 255, 0), 173, 42, 26},
        {Rgb(0, 0, 255), 32, 240, 118},      {Rgb(255, 255, 0), 219, 16, 138},
        {Rgb(0, 255, 255), 188, 154, 16},    {Rgb(255, 0, 255), 78, 214, 230},
        {Rgb(128, 128, 128), 126, 128, 128}, {Rgb(1, 1, 1), 17, 128, 128},
        {Rgb(254, 254, 254), 234, 128, 128}, {Rgb(255, 128, 0), 141, 59, 189},
        {Rgb(0, 128, 128), 103, 141, 72},    {Rgb(224, 172, 105), 169, 93, 154},
        {Rgb(20, 40, 90), 50, 152, 117},     {Rgb(100, 150, 200), 139, 155, 104},
    };
    for (const std::vector<TCase>* cases : {&sd, &hd}) {
        const bool isHd = cases == &hd;
        const int count = int(cases->size());
        std::vector<uint32_t> pixels(size_t(count) * 4);
        for (int i = 0; i < count; ++i)
            for (int pixel : {0, 1, 2 * count, 2 * count + 1})
                pixels[size_t(2 * i + pixel)] = (*cases)[size_t(i)].aColour;
        const TBitmap picture(pixels.data(), 2 * count, 2);
        const TPlanes planes = Convert(&picture, isHd ? 1280 : 2 * count, 2);
        for (int i = 0; i < count; ++i) {
            const TCase& c = (*cases)[size_t(i)];
            const TExact exact(Channel(c.aColour, 16), Channel(c.aColour, 8), Channel(c.aColour, 0),
                               isHd);
            SCOPED_TRACE(::testing::Message() << (isHd ? "HD " : "SD ") << i);
            EXPECT_EQ(std::lround(exact.aY), c.aY);
            EXPECT_EQ(std::lround(exact.aCb), c.aCb);
            EXPECT_EQ(std::lround(exact.aCr), c.aCr);
            for (int y = 0; y < 2; ++y)
                for (int x = 2 * i; x < 2 * i + 2; ++x)
                    EXPECT_EQ(planes.Y(x, y), c.aY) << x << ", " << y;
            EXPECT_EQ(planes.Cb(2 * i, 0), c.aCb);
            EXPECT_EQ(planes.Cr(2 * i, 0), c.aCr);
        }
        EXPECT_TRUE(planes.MarginsUntouched());
    }
}

// Colours every 5 steps of each channel (0 and 255 among them), over whole blocks, and
// random pixels, in SD frames and HD ones: every value is the exact one of the frame's weights
// rounded, but within 1/128 of a half.
TEST(YuvPicture, EveryColourIsRoundedToTheNearestButNearAHalf) {
    const int steps = 52;
    for (const auto& [width, height] : {std::make_pair(1040, 542), std::make_pair(1280, 440)}) {
        // The colours' blocks row by row, black after the last.
        std::vector<uint32_t> grid(size_t(width) * height, Rgb(0, 0, 0));
        for (int i = 0; i < steps * steps * steps; ++i) {
            const int x = 2 * (i % (width / 2)), y = 2 * (i / (width / 2));
            for (int pixel = 0; pixel < 4; ++pixel)
                grid[size_t(y + pixel / 2) * width + x + pixel % 2] =
                    Rgb(5 * (i / steps / steps), 5 * (i / steps % steps), 5 * (i % steps));
        }
        ExpectRounded(grid, width, height);
    }
    for (const auto& [width, height] : {std::make_pair(256, 256), std::make_pair(1280, 52)}) {
        std::vector<uint32_t> noise(size_t(width) * height);
        std::minstd_rand random(1);
        for (uint32_t& pixel : noise)
            pixel = Rgb(int(random() % 256), int(random() % 256), int(random() % 256));
        ExpectRounded(noise, width, height);
    }
}

// The chroma of a block is that of its four pixels' mean colour: the blocks start at even
// columns and rows.
TEST(YuvPicture, ChromaIsTheMeanOfEachTwoByTwoBlock) {
    const uint32_t red = Rgb(255, 0, 0), green = Rgb(0, 255, 0), blue = Rgb(0, 0, 255),
                   white = Rgb(255, 255, 255), black = Rgb(0, 0, 0);
    // Blocks: red, green, blue and white (mean grey 127.5); red over black (mean 127.5, 0,
    // 0); white beside black (grey); blue under all of them.
    uint32_t pixels[] = {red,  green, red,   red,   white, black, //
                         blue, white, black, black, white, black, //
                         blue, blue,  blue,  blue,  blue,  blue,  //
                         blue, blue,  blue,  blue,  blue,  blue};
    const TBitmap picture(pixels, 6, 4);
    const TPlanes planes = Convert(&picture, 6, 4);
    const int luma[4][6] = {{81, 145, 81, 81, 235, 16},
                            {41, 235, 16, 16, 235, 16},
                            {41, 41, 41, 41, 41, 41},
                            {41, 41, 41, 41, 41, 41}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(planes.Y(x, y), luma[y][x]) << x << ", " << y;
    const int chroma[2][3][2] = {{{128, 128}, {109, 184}, {128, 128}},
                                 {{240, 110}, {240, 110}, {240, 110}}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(planes.Cb(2 * x, 2 * y), chroma[y][x][0]) << x << ", " << y;
            EXPECT_EQ(planes.Cr(2 * x, 2 * y), chroma[y][x][1]) << x << ", " << y;
        }
    EXPECT_TRUE(planes.MarginsUntouched());
}

// A picture of another size is laid over black at the frame's top left corner and cut to
// it, as if copied into a black picture of the frame's size first (a block across its edge
// takes black in its mean); a missing picture is black. The converter is used before on a
// white picture one column narrower than the frame, whose padded rows must not show through.
TEST(YuvPicture, APictureOfAnotherSizeLiesOverBlackAtTheTopLeft) {
    const struct {
        int aWidth, aHeight; // the picture's, 0 for none; -1 for one without pixels
        int aFrameWidth, aFrameHeight;
    } cases[] = {
        {3, 3, 4, 4}, {5, 5, 4, 2},   {7, 1, 4, 4},         {1, 6, 4, 4},         {4, 4, 4, 4},
        {0, 0, 4, 2}, {-1, -1, 4, 2}, {321, 241, 322, 242}, {320, 240, 322, 242},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.aWidth << " x " << c.aHeight << " in "
                                          << c.aFrameWidth << " x " << c.aFrameHeight);
        std::vector<uint32_t> pixels = Natural(std::max(c.aWidth, 1), std::max(c.aHeight, 1));
        const TBitmap picture(c.aWidth < 0 ? nullptr : pixels.data(), std::max(c.aWidth, 0),
                              std::max(c.aHeight, 0));
        const TBitmap* given = c.aWidth == 0 ? nullptr : &picture;

        std::vector<uint32_t> copied(size_t(c.aFrameWidth) * c.aFrameHeight);
        for (int y = 0; y < c.aFrameHeight; ++y)
            IZVOutput::CopyPictureRow(
                given, c.aFrameWidth, y, false,
                reinterpret_cast<uint8_t*>(copied.data() + size_t(y) * c.aFrameWidth));
        const TBitmap whole(copied.data(), c.aFrameWidth, c.aFrameHeight);
        const TPlanes expected = Convert(&whole, c.aFrameWidth, c.aFrameHeight);

        std::vector<uint32_t> white(copied.size(), Rgb(255, 255, 255));
        const TBitmap whitePicture(white.data(), c.aFrameWidth - 1, c.aFrameHeight);
        TPlanes planes(c.aFrameWidth, c.aFrameHeight);
        TZVYuvPicture converter(c.aFrameWidth, c.aFrameHeight);
        converter.Convert(&whitePicture, planes.aData, planes.aStrides);
        converter.Convert(given, planes.aData, planes.aStrides);
        for (int plane = 0; plane < 3; ++plane)
            EXPECT_EQ(planes.aBytes[plane], expected.aBytes[plane]) << plane;
        for (int y = 0; y < c.aFrameHeight; ++y)
            for (int x = std::max(c.aWidth, 0); x < c.aFrameWidth; ++x)
                ASSERT_EQ(planes.Y(x, y), 16) << x << ", " << y;
        for (int y = std::max(c.aHeight, 0); y < c.aFrameHeight; ++y)
            for (int x = 0; x < c.aFrameWidth; ++x)
                ASSERT_EQ(planes.Y(x, y), 16) << x << ", " << y;
        if (c.aWidth <= 0) {
            EXPECT_EQ(planes.Cb(3, 1), 128);
            EXPECT_EQ(planes.Cr(3, 1), 128);
        }
    }
}

// Beside FFmpeg's converter, which the movie output used before, on a picture of gradients
// and noise in an SD frame (BT.601) and an HD one (BT.709): the same luma but for its
// rounding, and chroma within a few steps, as FFmpeg weighs four rows around a block with its
// bicubic filter where this takes the block's mean; neither is lighter or darker on the whole.
TEST(YuvPicture, StaysCloseToFFmpegsConverter) {
    for (const auto& [width, height] : {std::make_pair(640, 360), std::make_pair(1280, 720)}) {
        SCOPED_TRACE(width);
        std::vector<uint32_t> pixels = Natural(width, height);
        const TBitmap picture(pixels.data(), width, height);
        const TPlanes planes = Convert(&picture, width, height);

        AVFrame* frame = av_frame_alloc();
        frame->format = AV_PIX_FMT_YUV420P;
        frame->width = width;
        frame->height = height;
        ASSERT_GE(av_frame_get_buffer(frame, 0), 0);
        const TSwsPtr scale = SwsReference(width, height, AV_PIX_FMT_BGR0, width, height,
                                           AV_PIX_FMT_YUV420P, SWS_BICUBIC);
        ASSERT_TRUE(scale);
        const int* matrix = sws_getCoefficients(width < 1280 ? SWS_CS_ITU601 : SWS_CS_ITU709);
        ASSERT_GE(sws_setColorspaceDetails(scale.get(), matrix, 1, matrix, 0, 0, 1 << 16, 1 << 16),
                  0);
        const AVFrame source = BgrFrame(pixels.data(), width, height);
        ASSERT_GE(sws_scale_frame(scale.get(), frame, &source), 0);

        int most[3] = {};
        double sum[3] = {};
        for (int plane = 0; plane < 3; ++plane) {
            const int shift = plane ? 1 : 0;
            for (int y = 0; y < height >> shift; ++y)
                for (int x = 0; x < width >> shift; ++x) {
                    const int difference =
                        planes.At(plane, x, y) - frame->data[plane][y * frame->linesize[plane] + x];
                    most[plane] = std::max(most[plane], std::abs(difference));
                    sum[plane] += difference;
                }
        }
        // Measured: luma 1, chroma 3 (2 in one block of 16, 3 in one of 500), 4 in three of the
        // HD frame's 460,800; no bias.
        for (int plane = 0; plane < 3; ++plane) {
            EXPECT_LE(most[plane], plane ? 4 : 1) << plane;
            EXPECT_LT(std::fabs(sum[plane] / (width * height >> (plane ? 2 : 0))), 0.1) << plane;
        }
        av_frame_free(&frame);
    }
}
