#include "REDarodo/Bitmap.h"

#include <gtest/gtest.h>

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
