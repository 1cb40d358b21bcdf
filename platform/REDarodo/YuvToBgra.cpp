#include "YuvToBgra.h"

extern "C" {
#include <libavutil/pixfmt.h>
}

#include <algorithm>
#include <cstdlib>
#include <system_error>
#include <thread>

// What libswscale does with an unscaled planar YUV picture and packed 32-bit output under
// bicubic, bit-exact, accurate-rounding settings (which rule out its unscaled shortcut):
// - luma goes through unchanged (a one-tap filter of weight 1);
// - chroma keeps its horizontal resolution, one sample for two pixels, and 4:2:0 chroma is
//   brought to the picture's rows by a bicubic filter of 12-bit weights (below), rounded as
//   (2048 + sum of weight * sample) >> 12 and clipped to 0..255;
// - each pixel is then looked up in three tables indexed by luma plus a chroma offset.
// Other cases (odd widths, full-resolution chroma, very short pictures) take other paths.

namespace {

// The threads that convert one picture, and the fewest rows worth a thread of their own.
constexpr int theThreads = 4;
constexpr int theBandRows = 64;

// The colour lookup of one range (limited or full): a pixel is
// aRed[y + aRedV[v]] + aGreen[y + aGreenU[u] + aGreenV[v]] + aBlue[y + aBlueU[u]], each entry
// already in its place of the 32-bit pixel B, G, R, A (alpha opaque, in aRed).
struct TColours {
    static constexpr int theSize = 1024;
    uint32_t aRed[theSize];
    uint32_t aGreen[theSize];
    uint32_t aBlue[theSize];
    int16_t aRedV[256];
    int16_t aGreenU[256];
    int16_t aGreenV[256];
    int16_t aBlueU[256];

    explicit TColours(bool pFullRange);
};

// The offset of chroma value pValue in a table of slope pSlope (per 65536).
int16_t ChromaOffset(int64_t pSlope, int pValue) {
    // Arithmetic shifts: the slopes of green are negative and round down.
    return int16_t(-(pSlope >> 9) + ((pValue * pSlope) >> 16));
}

TColours::TColours(bool pFullRange) {
    // The default colour space's coefficients (red from V, blue from U, green from U and V),
    // in 1/65536.
    int64_t redV = 104597, blueU = 132201, greenU = -25675, greenV = -53279;
    int64_t luma = 1 << 16, black = 0;
    if (pFullRange) {
        redV = redV * 224 / 255;
        blueU = blueU * 224 / 255;
        greenU = greenU * 224 / 255;
        greenV = greenV * 224 / 255;
    } else {
        luma = luma * 255 / 219;
        black = 16 << 16;
    }
    // The chroma slopes in luma steps; division truncates towards zero, as the tables' does.
    redV = (redV * 65536 + 0x8000) / luma;
    blueU = (blueU * 65536 + 0x8000) / luma;
    greenU = (greenU * 65536 + 0x8000) / luma;
    greenV = (greenV * 65536 + 0x8000) / luma;
    for (int index = 0; index < theSize; ++index) {
        const int64_t level = (index * luma - (384 << 16) - black + 0x8000) >> 16;
        const uint32_t value = uint32_t(std::clamp<int64_t>(level, 0, 255));
        aRed[index] = 0xFF000000u | value << 16;
        aGreen[index] = value << 8;
        aBlue[index] = value;
    }
    // Where luma 0 with neutral chroma falls in the tables.
    const int start = pFullRange ? 384 : 326;
    for (int value = 0; value < 256; ++value) {
        aRedV[value] = int16_t(start + ChromaOffset(redV, value));
        aGreenU[value] = int16_t(start + ChromaOffset(greenU, value));
        aGreenV[value] = ChromaOffset(greenV, value);
        aBlueU[value] = int16_t(start + ChromaOffset(blueU, value));
    }
}

// The lookup of pFullRange, built on first use.
const TColours& Colours(bool pFullRange) {
    static const TColours theLimited(false);
    static const TColours theFull(true);
    return pFullRange ? theFull : theLimited;
}

// One bicubic weight (B = 0, C = 0.6) at distance pDistance, in 1/2^30 source rows; the
// weight's 1 is 2^54.
int64_t Bicubic(int64_t pDistance) {
    constexpr int64_t theC = 10066329; // 0.6 in 1/2^24, truncated
    constexpr int64_t theOne = int64_t(1) << 24;
    if (pDistance >= int64_t(1) << 31)
        return 0;
    const int64_t square = (pDistance * pDistance) >> 30;
    const int64_t cube = (square * pDistance) >> 30;
    if (pDistance < int64_t(1) << 30)
        return (12 * theOne - 6 * theC) * cube + (-18 * theOne + 6 * theC) * square +
               6 * theOne * (int64_t(1) << 30);
    return -6 * theC * cube + 30 * theC * square - 48 * theC * pDistance +
           24 * theC * (int64_t(1) << 30);
}

// Division rounded half away from zero, by a positive pDivisor.
int64_t RoundedDivide(int64_t pValue, int64_t pDivisor) {
    return (pValue >= 0 ? pValue + pDivisor / 2 : pValue - pDivisor / 2) / pDivisor;
}

// The vertical chroma filter that brings pSource chroma rows (centred between two picture
// rows) to pTarget rows: for each target row, its first source row in pFirst and pTaps weights
// in 1/4096 in pWeights. Weights far from a row are dropped, the edge rows take the weights of
// rows outside the picture, and each row's weights sum to 4096, rounded with the error carried.
void ChromaFilter(int pSource, int pTarget, int& pTaps, std::vector<int>& pFirst,
                  std::vector<int16_t>& pWeights) {
    const int64_t step = ((int64_t(pSource) << 16) + (pTarget >> 1)) / pTarget;
    const double cutOff = 0.002 * double(int64_t(1) << 54);
    const int size = std::max(std::min(5, pSource - 2), 1);
    std::vector<int64_t> raw(size_t(pTarget) * size);
    pFirst.assign(size_t(pTarget), 0);
    // The target row's centre in 1/2^17 source rows, from the first source row's centre.
    int64_t centre = step - 0x10000;
    for (int row = 0; row < pTarget; ++row, centre += 2 * step) {
        int64_t tap = (centre - (size - 2) * (int64_t(1) << 16)) / (1 << 17);
        pFirst[row] = int(tap);
        for (int j = 0; j < size; ++j, ++tap)
            raw[size_t(row) * size + j] = Bicubic(std::llabs(tap * (1 << 17) - centre) << 13);
    }
    // Drop near-zero weights on the left (keeping the first rows rising), count those on the
    // right.
    int kept = 0;
    for (int row = pTarget - 1; row >= 0; --row) {
        int64_t* weights = &raw[size_t(row) * size];
        int64_t sum = 0;
        for (int j = 0; j < size; ++j) {
            sum += std::llabs(weights[0]);
            if (double(sum) > cutOff || (row < pTarget - 1 && pFirst[row] >= pFirst[row + 1]))
                break;
            std::copy(weights + 1, weights + size, weights);
            weights[size - 1] = 0;
            ++pFirst[row];
        }
        int count = size;
        sum = 0;
        for (int j = size - 1; j > 0; --j) {
            sum += std::llabs(weights[j]);
            if (double(sum) > cutOff)
                break;
            --count;
        }
        kept = std::max(kept, count);
    }
    // Padded to an even count, as the vector units want, beyond one.
    pTaps = kept == 1 ? 1 : (kept + 1) & ~1;
    std::vector<int64_t> filter(size_t(pTarget) * pTaps, 0);
    for (int row = 0; row < pTarget; ++row)
        for (int j = 0; j < std::min(kept, size); ++j)
            filter[size_t(row) * pTaps + j] = raw[size_t(row) * size + j];
    pWeights.assign(size_t(pTarget) * pTaps, 0);
    for (int row = 0; row < pTarget; ++row) {
        int64_t* weights = &filter[size_t(row) * pTaps];
        int& first = pFirst[row];
        if (first < 0) {
            for (int j = 1; j < pTaps; ++j) {
                const int left = std::max(j + first, 0);
                weights[left] += weights[j];
                weights[j] = 0;
            }
            first = 0;
        }
        if (first + pTaps > pSource) {
            const int shift = first + std::min(pTaps - pSource, 0);
            int64_t outside = 0;
            for (int j = pTaps - 1; j >= 0; --j)
                if (first + j >= pSource) {
                    outside += weights[j];
                    weights[j] = 0;
                }
            for (int j = pTaps - 1; j >= 0; --j)
                weights[j] = j < shift ? 0 : weights[j - shift];
            first -= shift;
            weights[pSource - 1 - first] += outside;
        }
        int64_t sum = 0;
        for (int j = 0; j < pTaps; ++j)
            sum += weights[j];
        sum = std::max<int64_t>((sum + 2048) / 4096, 1);
        int64_t error = 0;
        for (int j = 0; j < pTaps; ++j) {
            const int64_t value = weights[j] + error;
            const int64_t weight = RoundedDivide(value, sum);
            pWeights[size_t(row) * pTaps + j] = int16_t(weight);
            error = value - weight * sum;
        }
    }
}

// Row pRow of plane pPlane of pFrame.
const uint8_t* Row(const AVFrame& pFrame, int pPlane, int pRow) {
    return pFrame.data[pPlane] + ptrdiff_t(pRow) * pFrame.linesize[pPlane];
}

// Converts one row of pWidth pixels (even) from luma pLuma and chroma pU, pV (one sample for
// two pixels).
void ConvertRow(const TColours& pColours, const uint8_t* pLuma, const uint8_t* pU,
                const uint8_t* pV, int pWidth, uint32_t* pTarget) {
    for (int x = 0; x < pWidth / 2; ++x) {
        const int u = pU[x], v = pV[x];
        const uint32_t* red = pColours.aRed + pColours.aRedV[v];
        const uint32_t* green = pColours.aGreen + pColours.aGreenU[u] + pColours.aGreenV[v];
        const uint32_t* blue = pColours.aBlue + pColours.aBlueU[u];
        const int left = pLuma[2 * x], right = pLuma[2 * x + 1];
        pTarget[2 * x] = red[left] + green[left] + blue[left];
        pTarget[2 * x + 1] = red[right] + green[right] + blue[right];
    }
}

// Weighs the chroma rows of pPlane that pWeights (pTaps of them) apply to from row pFirst
// into pTarget, pWidth samples, through the sums in pSums.
void FilterChroma(const AVFrame& pFrame, int pPlane, int pFirst, const int16_t* pWeights, int pTaps,
                  int pWidth, std::vector<int32_t>& pSums, uint8_t* pTarget) {
    std::fill(pSums.begin(), pSums.end(), 2048);
    int32_t* sums = pSums.data();
    for (int j = 0; j < pTaps; ++j) {
        const int32_t weight = pWeights[j];
        // Rows past the edge have no weight.
        if (!weight)
            continue;
        const uint8_t* source = Row(pFrame, pPlane, pFirst + j);
        for (int x = 0; x < pWidth; ++x)
            sums[x] += weight * source[x];
    }
    for (int x = 0; x < pWidth; ++x)
        pTarget[x] = uint8_t(std::clamp(sums[x] >> 12, 0, 255));
}

} // namespace

bool TYuvToBgra::Prepare(int pFormat, int pWidth, int pHeight) {
    const bool planar420 = pFormat == AV_PIX_FMT_YUV420P || pFormat == AV_PIX_FMT_YUVJ420P;
    const bool planar422 = pFormat == AV_PIX_FMT_YUV422P || pFormat == AV_PIX_FMT_YUVJ422P;
    if (!(planar420 || planar422) || pWidth < 2 || pWidth % 2 || pHeight < 1)
        return false;
    if (pFormat == aFormat && pWidth == aWidth && pHeight == aHeight)
        return true;
    aTaps = 0;
    if (planar420) {
        ChromaFilter((pHeight + 1) / 2, pHeight, aTaps, aFirstTap, aWeights);
        // Fewer taps take other output steps, which round otherwise.
        if (aTaps < 3) {
            aFormat = -1;
            return false;
        }
    }
    aFormat = pFormat;
    aWidth = pWidth;
    aHeight = pHeight;
    aFullRange = pFormat == AV_PIX_FMT_YUVJ420P || pFormat == AV_PIX_FMT_YUVJ422P;
    return true;
}

void TYuvToBgra::Convert(const AVFrame& pFrame, uint8_t* pTarget, ptrdiff_t pRowBytes) const {
    const int bands = std::clamp(aHeight / theBandRows, 1, theThreads);
    std::vector<std::thread> threads;
    for (int band = 1; band < bands; ++band) {
        const int first = int(long(aHeight) * band / bands);
        const int end = int(long(aHeight) * (band + 1) / bands);
        try {
            threads.emplace_back(
                [=, &pFrame] { ConvertRows(pFrame, pTarget, pRowBytes, first, end); });
        } catch (const std::system_error&) {
            // No thread to spare: this one converts the band.
            ConvertRows(pFrame, pTarget, pRowBytes, first, end);
        }
    }
    ConvertRows(pFrame, pTarget, pRowBytes, 0, int(long(aHeight) / bands));
    for (std::thread& thread : threads)
        thread.join();
}

void TYuvToBgra::ConvertRows(const AVFrame& pFrame, uint8_t* pTarget, ptrdiff_t pRowBytes,
                             int pFirst, int pEnd) const {
    const TColours& colours = Colours(aFullRange);
    const int chromaWidth = aWidth / 2;
    const size_t samples = static_cast<size_t>(chromaWidth);
    std::vector<int32_t> sums(samples);
    std::vector<uint8_t> u(samples), v(samples);
    for (int row = pFirst; row < pEnd; ++row) {
        uint32_t* target = reinterpret_cast<uint32_t*>(pTarget + ptrdiff_t(row) * pRowBytes);
        if (!aTaps) {
            ConvertRow(colours, Row(pFrame, 0, row), Row(pFrame, 1, row), Row(pFrame, 2, row),
                       aWidth, target);
            continue;
        }
        const int16_t* weights = &aWeights[size_t(row) * aTaps];
        FilterChroma(pFrame, 1, aFirstTap[row], weights, aTaps, chromaWidth, sums, u.data());
        FilterChroma(pFrame, 2, aFirstTap[row], weights, aTaps, chromaWidth, sums, v.data());
        ConvertRow(colours, Row(pFrame, 0, row), u.data(), v.data(), aWidth, target);
    }
}
