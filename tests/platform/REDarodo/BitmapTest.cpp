#include "REDarodo/Bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

namespace {

typedef std::vector<uint8_t> TBytes; // B, G, R, A per pixel

// A bitmap over pBytes (not owned), pWidth pixels wide.
TBitmap View(TBytes& pBytes, int pWidth) {
    return TBitmap(pBytes.data(), pWidth, int(pBytes.size() / 4) / pWidth);
}

TBytes Repeat(const TBytes& pPixel, int pCount) {
    TBytes bytes;
    for (int i = 0; i < pCount; ++i)
        bytes.insert(bytes.end(), pPixel.begin(), pPixel.end());
    return bytes;
}

} // namespace

// Each premultiplied byte becomes byte x alpha / 255, rounded to nearest.
TEST(Bitmap, ApplyMaskScalesEveryByteByTheMaskAlpha) {
    const struct {
        uint8_t aAlpha;
        TBytes aPixel, aAfter;
    } cases[] = {{255, {200, 100, 50, 255}, {200, 100, 50, 255}},
                 {0, {200, 100, 50, 255}, {0, 0, 0, 0}},
                 {128, {200, 100, 50, 255}, {100, 50, 25, 128}},
                 {1, {255, 128, 127, 255}, {1, 1, 0, 1}}}; // 128/255 rounds up, 127/255 down
    for (const auto& c : cases) {
        TBytes image = c.aPixel, mask = {9, 9, 9, c.aAlpha}, target(4, 0xEE);
        View(target, 1).ApplyMask(View(image, 1), View(mask, 1), 0, 0);
        EXPECT_EQ(target, c.aAfter) << int(c.aAlpha);
    }
}

// A 3 x 2 image under a 2 x 2 mask whose left column is opaque and right column clear:
// "#" where the image stays, "." where it is cleared.
TEST(Bitmap, ApplyMaskPlacesTheMaskAtTheOffsetAndClearsWhatItDoesNotCover) {
    const TBytes on = {10, 20, 30, 255};
    const struct {
        int aX, aY;
        const char* aAfter;
    } cases[] = {{0, 0, "#..#.."},  {1, 0, ".#..#."},       {2, 1, ".....#"},
                 {-1, 0, "......"}, {1, -1, ".#...."},      {3, 0, "......"},
                 {0, 2, "......"},  {INT_MIN, 0, "......"}, {INT_MAX, INT_MAX, "......"}};
    for (const auto& c : cases) {
        TBytes image = Repeat(on, 6), target(24, 0xEE), mask = Repeat({0, 0, 0, 255}, 4);
        mask[7] = mask[15] = 0;
        View(target, 3).ApplyMask(View(image, 3), View(mask, 2), c.aX, c.aY);
        std::string after;
        for (size_t i = 0; i < 24; i += 4)
            after += TBytes(&target[i], &target[i + 4]) == on ? '#' : target[i + 3] ? '?' : '.';
        EXPECT_EQ(after, c.aAfter) << c.aX << "," << c.aY;
    }
}

TEST(Bitmap, ApplyMaskWorksInPlaceAndOnlyWhereImageAndTargetHavePixels) {
    TBytes image = Repeat({100, 100, 100, 200}, 4), mask = Repeat({0, 0, 0, 51}, 4);
    TBitmap bitmap = View(image, 2);
    bitmap.ApplyMask(bitmap, View(mask, 2), 0, 0);
    EXPECT_EQ(image, Repeat({20, 20, 20, 40}, 4));
    TBytes narrow = Repeat({1, 2, 3, 4}, 2), target(16, 0xEE), full = Repeat({0, 0, 0, 255}, 4);
    View(target, 2).ApplyMask(View(narrow, 1), View(full, 2), 0, 0);
    EXPECT_EQ(target, Repeat({1, 2, 3, 4, 0, 0, 0, 0}, 2));
    View(target, 2).ApplyMask(TBitmap(), View(full, 2), 0, 0);
    EXPECT_EQ(target, TBytes(16, 0));
    TBitmap().ApplyMask(View(full, 2), View(full, 2), 0, 0); // no pixels: nothing to do
    EXPECT_EQ(TBitmap(nullptr, 2, 2).GetWidth(), 0);
}

// Owned pixels go with Empty, a Resize that changes the size and the bitmap (the leak check
// would see otherwise).
TEST(Bitmap, AnAllocBitmapOwnsWhatItAllocatesUntilItsSizeChangesOrItIsEmptied) {
    TAllocBitmap bitmap;
    EXPECT_FALSE(bitmap.Allocate()); // 0 x 0
    bitmap.Resize(3, 2);
    EXPECT_EQ(bitmap.GetRawData(), nullptr); // sized, not yet allocated
    ASSERT_TRUE(bitmap.Allocate());
    EXPECT_TRUE(bitmap.IsOwned());
    uint8_t* pixels = static_cast<uint8_t*>(bitmap.GetRawData());
    EXPECT_EQ(TBytes(pixels, pixels + 24), TBytes(24, 0)); // transparent
    pixels[5] = 7;
    EXPECT_TRUE(bitmap.Allocate());
    bitmap.Resize(3, 2);
    EXPECT_EQ(bitmap.GetRawData(), pixels); // same size: pixels and contents stay
    EXPECT_EQ(pixels[5], 7);
    bitmap.Resize(2, 3);
    EXPECT_EQ(bitmap.GetRawData(), nullptr);
    EXPECT_FALSE(bitmap.IsOwned());
    ASSERT_TRUE(bitmap.Allocate());
    bitmap.Empty();
    EXPECT_EQ(bitmap.GetWidth() + bitmap.GetHeight() + bitmap.IsOwned(), 0);
    EXPECT_EQ(bitmap.GetRawData(), nullptr);
    bitmap.Resize(-1, 5);
    EXPECT_EQ(bitmap.GetWidth() + bitmap.GetHeight(), 0);
    bitmap.Resize(4, 4);
    ASSERT_TRUE(bitmap.Allocate()); // freed with the bitmap
}

namespace {

const TBytes HALF_RED = {0, 0, 128, 128}, BLUE = {255, 0, 0, 255}, CLEAR = {0, 0, 0, 0};

enum EOperation { operBITBLT, operBLEND, operFILL, operBACKGROUND };

// Applies pOperation to the whole of pTarget, from a source of pSource's pixels or with
// pColour.
void Apply(EOperation pOperation, TBitmap pTarget, TBitmap pSource, uint32_t pColour) {
    const int w = pTarget.GetWidth(), h = pTarget.GetHeight();
    switch (pOperation) {
    case operBITBLT:
        return pTarget.BitBlt(0, 0, pSource, 0, 0, w, h);
    case operBLEND:
        return pTarget.Blend(0, 0, pSource, 0, 0, w, h);
    case operFILL:
        return pTarget.FillRectangle(0, 0, w, h, pColour);
    case operBACKGROUND:
        return pTarget.BlendBackground(pColour);
    }
}

} // namespace

TEST(Bitmap, DrawingOperationsGiveExactPixels) {
    const struct {
        EOperation aOperation;
        TBytes aTarget, aSource;
        uint32_t aColour;
        TBytes aAfter;
    } cases[] = {
        {operBITBLT, BLUE, HALF_RED, 0, HALF_RED},          // alpha copied too
        {operBLEND, HALF_RED, BLUE, 0, {127, 0, 128, 255}}, // 255 x 127 / 255
        {operBLEND, CLEAR, HALF_RED, 0, HALF_RED},
        {operBLEND, BLUE, HALF_RED, 0, BLUE},
        {operBLEND, {0, 0, 1, 1}, {255, 255, 255, 255}, 0, {254, 254, 255, 255}}, // 254.0
        {operBLEND, {0, 0, 128, 127}, {0, 0, 255, 255}, 0, {0, 0, 255, 255}},     // capped at 255
        {operFILL, BLUE, {}, 0, CLEAR},
        {operFILL, CLEAR, {}, 0x123456, {0x56, 0x34, 0x12, 255}},
        {operBACKGROUND, HALF_RED, {}, 0x0000FF, {127, 0, 128, 255}},
        {operBACKGROUND, CLEAR, {}, 0, {0, 0, 0, 255}}, // black is opaque too
        {operBACKGROUND, BLUE, {}, 0xFFFFFF, BLUE},
    };
    // 13 pixels a row: Blend takes them 8, then 4, then 1 at a time.
    for (const auto& c : cases) {
        TBytes target = Repeat(c.aTarget, 13);
        TBytes source = Repeat(c.aSource.empty() ? CLEAR : c.aSource, 13);
        Apply(c.aOperation, View(target, 13), View(source, 13), c.aColour);
        EXPECT_EQ(target, Repeat(c.aAfter, 13))
            << "operation " << c.aOperation << ", colour " << c.aColour;
    }
}

// A 3 x 3 source of distinct opaque pixels drawn onto a 4 x 3 target at every kind of
// offset, compared with a per-pixel model: a target pixel changes exactly when the
// rectangle covers it and the matching source pixel exists.
TEST(Bitmap, DrawingClipsToBothBitmapsAtEveryEdge) {
    const int tw = 4, th = 3, sw = 3, sh = 3;
    // x, y, source x, source y, width, height
    const int cases[][6] = {{-1, 0, 0, 0, 3, 3},
                            {2, 0, 0, 0, 3, 3},
                            {0, -2, 0, 0, 3, 3},
                            {0, 1, 0, 0, 3, 3},
                            {0, 0, -1, -1, 4, 4},
                            {1, 1, 2, 2, 9, 9},
                            {4, 0, 0, 0, 3, 3},
                            {0, 0, 3, 0, 3, 3},
                            {0, 0, 0, 0, -2, 3},
                            {1, 1, 0, 0, 0, 2},
                            {INT_MAX, 0, 0, 0, 3, 3},
                            {INT_MIN, INT_MIN, 0, 0, INT_MAX, INT_MAX},
                            {0, 0, INT_MIN, 0, INT_MAX, 3}};
    TBytes source;
    for (int i = 0; i < sw * sh; ++i)
        source.insert(source.end(), {uint8_t(i), uint8_t(10 * i), 7, 255});
    for (const auto& [left, top, srcX, srcY, width, height] : cases)
        for (EOperation operation : {operBITBLT, operBLEND, operFILL}) {
            TBytes target(tw * th * 4, 0), expected = target;
            for (int y = 0; y < th; ++y)
                for (int x = 0; x < tw; ++x) {
                    const long long dx = x - (long long)left, dy = y - (long long)top;
                    const long long sx = srcX + dx, sy = srcY + dy;
                    const bool inRect = dx >= 0 && dy >= 0 && dx < width && dy < height;
                    if (operation == operFILL && inRect)
                        std::fill_n(&expected[(y * tw + x) * 4], 4, 255);
                    else if (inRect && sx >= 0 && sy >= 0 && sx < sw && sy < sh)
                        std::copy_n(&source[(sy * sw + sx) * 4], 4, &expected[(y * tw + x) * 4]);
                }
            const TBitmap view = View(target, tw);
            if (operation == operBITBLT)
                view.BitBlt(left, top, View(source, sw), srcX, srcY, width, height);
            else if (operation == operBLEND)
                view.Blend(left, top, View(source, sw), srcX, srcY, width, height);
            else
                view.FillRectangle(left, top, width, height, 0xFFFFFF);
            EXPECT_EQ(target, expected) << "operation " << operation << " at " << left << "," << top
                                        << " from " << srcX << "," << srcY;
        }
}

TEST(Bitmap, BitBltWithinOneBitmapCopiesOverlappingRowsIntact) {
    TBytes pixels;
    for (uint8_t i = 0; i < 9; ++i)
        pixels.insert(pixels.end(), {i, i, i, 255});
    const TBytes before = pixels;
    View(pixels, 3).BitBlt(0, 1, View(pixels, 3), 0, 0, 3, 2); // down one row
    EXPECT_EQ(TBytes(pixels.begin() + 12, pixels.end()), TBytes(before.begin(), before.end() - 12));
}

// The host's buffer is shown, never freed: the owned pixels go at LoadDIB (the leak check
// would see them otherwise), and a later Resize or Empty leaves the host's memory alone
// (AddressSanitizer would report a bad free).
TEST(Bitmap, LoadDIBShowsHostMemoryThatResizeAndEmptyNeverFree) {
    TBytes host(16, 9);
    TAllocBitmap bitmap;
    bitmap.Resize(5, 5);
    ASSERT_TRUE(bitmap.Allocate());
    bitmap.LoadDIB(host.data(), 2, 2);
    EXPECT_EQ(bitmap.GetRawData(), host.data());
    EXPECT_FALSE(bitmap.IsOwned());
    EXPECT_EQ(bitmap.GetWidth() * 10 + bitmap.GetHeight(), 22);
    EXPECT_TRUE(bitmap.Allocate()); // has pixels already
    bitmap.Resize(3, 3);
    EXPECT_EQ(bitmap.GetRawData(), nullptr);
    bitmap.LoadDIB(host.data(), 2, 2);
    bitmap.Empty();
    EXPECT_EQ(bitmap.GetRawData(), nullptr);
    bitmap.LoadDIB(nullptr, 2, 2);
    EXPECT_EQ(bitmap.GetWidth(), 0);
    EXPECT_EQ(host, TBytes(16, 9));
}
