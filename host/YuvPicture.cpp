#include "YuvPicture.h"

#include "Output.h"

#include "REDarodo/Bitmap.h"

#include <algorithm>
#include <cstring>

namespace {

// Weights in 16-bit fixed point. Each weighted channel is the high half of a 16 x 16-bit
// product, rounded down, so that the compiler keeps 8 values in each SSE2 register: the sum,
// in 8.8 fixed point, is within 3/256 of the exact value, and the rounding constants centre
// that error, so a result differs from the exactly rounded one only within 1/128 of a half.
constexpr uint16_t Fixed(double pWeight) {
    return uint16_t(pWeight * 65536 + 0.5);
}

constexpr double theLumaScale = 219.0 / 255;   // 0..255 to 16..235
constexpr double theChromaScale = 224.0 / 255; // -127.5..127.5 to 16..240

// Y = 16 + theLumaScale (0.299 R + 0.587 G + 0.114 B); green takes the rest of the sum, so
// that white is 235 exactly.
constexpr uint16_t theYR = Fixed(0.299 * theLumaScale);
constexpr uint16_t theYB = Fixed(0.114 * theLumaScale);
constexpr uint16_t theYG = Fixed(theLumaScale) - theYR - theYB;
constexpr int theYRound = 16 * 256 + 129;

// Cb = 128 + theChromaScale (B - L) / 1.772 and Cr = 128 + theChromaScale (R - L) / 1.402,
// L the luma's weighted sum: the weights' sizes, signs in the formulas. The middle weight
// takes the rest, so that greys are 128 exactly.
constexpr uint16_t theUB = Fixed(0.5 * theChromaScale);
constexpr uint16_t theUR = Fixed(0.299 / 1.772 * theChromaScale);
constexpr uint16_t theUG = theUB - theUR;
constexpr uint16_t theVR = Fixed(0.5 * theChromaScale);
constexpr uint16_t theVB = Fixed(0.114 / 1.402 * theChromaScale);
constexpr uint16_t theVG = theVR - theVB;
constexpr int theCRound = 128 * 256 + 127;

inline uint16_t High(uint16_t pValue, uint16_t pWeight) {
    return uint16_t(uint32_t(pValue) * pWeight >> 16);
}

// One row of pWidth BGRA pixels into its luma. Read as two 16-bit words a pixel (B and G, R
// and A), which the compiler takes apart faster than four bytes.
void LumaRow(const uint8_t* pPixels, int pWidth, uint8_t* pLuma) {
    for (int x = 0; x < pWidth; ++x) {
        uint16_t low, high;
        std::memcpy(&low, pPixels + 4 * x, 2);
        std::memcpy(&high, pPixels + 4 * x + 2, 2);
        const uint16_t sum = High(uint16_t(low << 8), theYB) + High(uint16_t(low & 0xFF00), theYG) +
                             High(uint16_t(high << 8), theYR);
        pLuma[x] = uint8_t(uint16_t(sum + theYRound) >> 8);
    }
}

// Two rows of pWidth BGRA pixels (even) into a row of each chroma plane.
void ChromaRows(const uint8_t* pTop, const uint8_t* pBottom, int pWidth, uint8_t* pCb,
                uint8_t* pCr) {
    for (int x = 0; x < pWidth / 2; ++x) {
        const uint8_t* top = pTop + 8 * x;
        const uint8_t* bottom = pBottom + 8 * x;
        // The sums of the block's four pixels (1020 at most) times 64: the mean in 8.8 fixed
        // point is the high half of the product with the weight.
        const uint16_t b = uint16_t((top[0] + top[4] + bottom[0] + bottom[4]) << 6);
        const uint16_t g = uint16_t((top[1] + top[5] + bottom[1] + bottom[5]) << 6);
        const uint16_t r = uint16_t((top[2] + top[6] + bottom[2] + bottom[6]) << 6);
        pCb[x] =
            uint8_t(uint16_t(theCRound + High(b, theUB) - High(g, theUG) - High(r, theUR)) >> 8);
        pCr[x] =
            uint8_t(uint16_t(theCRound + High(r, theVR) - High(g, theVG) - High(b, theVB)) >> 8);
    }
}

} // namespace

TZVYuvPicture::TZVYuvPicture(int pWidth, int pHeight)
    : aWidth(pWidth), aHeight(pHeight), aRows(size_t(pWidth) * 8) {}

void TZVYuvPicture::Convert(const TBitmap* pPicture, uint8_t* const pPlanes[3],
                            const int pStrides[3]) {
    const uint8_t* pixels =
        pPicture ? static_cast<const uint8_t*>(pPicture->GetRawData()) : nullptr;
    const int width = pixels ? std::min(aWidth, pPicture->GetWidth()) : 0;
    const int height = pixels ? std::min(aHeight, pPicture->GetHeight()) : 0;
    const long rowBytes = pixels ? pPicture->GetRowBytes() : 0;
    for (int y = 0; y < aHeight; y += 2) {
        const uint8_t* rows[2];
        for (int row = 0; row < 2; ++row) {
            if (width == aWidth && y + row < height) {
                rows[row] = pixels + (y + row) * rowBytes;
                continue;
            }
            // Padded with black on the right, or all black below the picture.
            uint8_t* padded = aRows.data() + size_t(aWidth) * 4 * row;
            IZVOutput::CopyPictureRow(pPicture, aWidth, y + row, false, padded);
            rows[row] = padded;
        }
        for (int row = 0; row < 2; ++row)
            LumaRow(rows[row], aWidth, pPlanes[0] + long(y + row) * pStrides[0]);
        ChromaRows(rows[0], rows[1], aWidth, pPlanes[1] + long(y / 2) * pStrides[1],
                   pPlanes[2] + long(y / 2) * pStrides[2]);
    }
}
