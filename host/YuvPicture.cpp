#include "YuvPicture.h"

#include "Output.h"

#include "REDarodo/Bitmap.h"

#include <algorithm>
#include <cstring>

// Weights in 16-bit fixed point. Each weighted channel is the high half of a 16 x 16-bit
// product, rounded down, so that the compiler keeps 8 values in each SSE2 register: the sum,
// in 8.8 fixed point, is within 3/256 of the exact value, and the rounding constants centre
// that error, so a result differs from the exactly rounded one only within 1/128 of a half.
struct TZVYuvPicture::TWeights {
    // Y = 16 + 219/255 (Kr R + Kg G + Kb B); green takes the rest of the sum, so that white is
    // 235 exactly.
    uint16_t aYR, aYG, aYB;
    // Cb = 128 + 224/255 (B - L) / (2 (1 - Kb)) and Cr = 128 + 224/255 (R - L) / (2 (1 - Kr)),
    // L the luma's weighted sum: the weights' sizes, signs in the formulas. The middle weight
    // takes the rest, so that greys are 128 exactly.
    uint16_t aUB, aUG, aUR;
    uint16_t aVR, aVG, aVB;
};

namespace {

constexpr uint16_t Fixed(double pWeight) {
    return uint16_t(pWeight * 65536 + 0.5);
}

constexpr double theLumaScale = 219.0 / 255;   // 0..255 to 16..235
constexpr double theChromaScale = 224.0 / 255; // -127.5..127.5 to 16..240
constexpr int theYRound = 16 * 256 + 129;
constexpr int theCRound = 128 * 256 + 127;

// The weights of a matrix whose luma weighs red pRed and blue pBlue.
constexpr TZVYuvPicture::TWeights Weights(double pRed, double pBlue) {
    const uint16_t yr = Fixed(pRed * theLumaScale), yb = Fixed(pBlue * theLumaScale);
    const uint16_t half = Fixed(0.5 * theChromaScale);
    const uint16_t ur = Fixed(pRed / (2 * (1 - pBlue)) * theChromaScale);
    const uint16_t vb = Fixed(pBlue / (2 * (1 - pRed)) * theChromaScale);
    return {yr,
            uint16_t(Fixed(theLumaScale) - yr - yb),
            yb,
            half,
            uint16_t(half - ur),
            ur,
            half,
            uint16_t(half - vb),
            vb};
}

constexpr TZVYuvPicture::TWeights theBt601 = Weights(0.299, 0.114);
constexpr TZVYuvPicture::TWeights theBt709 = Weights(0.2126, 0.0722);

inline uint16_t High(uint16_t pValue, uint16_t pWeight) {
    return uint16_t(uint32_t(pValue) * pWeight >> 16);
}

// One row of pWidth BGRA pixels into its luma. Read as two 16-bit words a pixel (B and G, R
// and A), which the compiler takes apart faster than four bytes. The weights are copied: the
// bytes written could alias them.
void LumaRow(const TZVYuvPicture::TWeights& pWeights, const uint8_t* pPixels, int pWidth,
             uint8_t* pLuma) {
    const uint16_t yr = pWeights.aYR, yg = pWeights.aYG, yb = pWeights.aYB;
    for (int x = 0; x < pWidth; ++x) {
        uint16_t low, high;
        std::memcpy(&low, pPixels + 4 * x, 2);
        std::memcpy(&high, pPixels + 4 * x + 2, 2);
        const uint16_t sum = High(uint16_t(low << 8), yb) + High(uint16_t(low & 0xFF00), yg) +
                             High(uint16_t(high << 8), yr);
        pLuma[x] = uint8_t(uint16_t(sum + theYRound) >> 8);
    }
}

// Two rows of pWidth BGRA pixels (even) into a row of each chroma plane.
void ChromaRows(const TZVYuvPicture::TWeights& pWeights, const uint8_t* pTop,
                const uint8_t* pBottom, int pWidth, uint8_t* pCb, uint8_t* pCr) {
    const uint16_t ub = pWeights.aUB, ug = pWeights.aUG, ur = pWeights.aUR;
    const uint16_t vr = pWeights.aVR, vg = pWeights.aVG, vb = pWeights.aVB;
    for (int x = 0; x < pWidth / 2; ++x) {
        const uint8_t* top = pTop + 8 * x;
        const uint8_t* bottom = pBottom + 8 * x;
        // The sums of the block's four pixels (1020 at most) times 64: the mean in 8.8 fixed
        // point is the high half of the product with the weight.
        const uint16_t b = uint16_t((top[0] + top[4] + bottom[0] + bottom[4]) << 6);
        const uint16_t g = uint16_t((top[1] + top[5] + bottom[1] + bottom[5]) << 6);
        const uint16_t r = uint16_t((top[2] + top[6] + bottom[2] + bottom[6]) << 6);
        pCb[x] = uint8_t(uint16_t(theCRound + High(b, ub) - High(g, ug) - High(r, ur)) >> 8);
        pCr[x] = uint8_t(uint16_t(theCRound + High(r, vr) - High(g, vg) - High(b, vb)) >> 8);
    }
}

} // namespace

bool TZVYuvPicture::IsHd(int pWidth, int pHeight) {
    return pWidth >= 1280 || pHeight > 576;
}

TZVYuvPicture::TZVYuvPicture(int pWidth, int pHeight)
    : aWidth(pWidth), aHeight(pHeight), aWeights(IsHd(pWidth, pHeight) ? theBt709 : theBt601),
      aRows(size_t(pWidth) * 8) {}

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
            LumaRow(aWeights, rows[row], aWidth, pPlanes[0] + long(y + row) * pStrides[0]);
        ChromaRows(aWeights, rows[0], rows[1], aWidth, pPlanes[1] + long(y / 2) * pStrides[1],
                   pPlanes[2] + long(y / 2) * pStrides[2]);
    }
}
