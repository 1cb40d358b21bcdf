#include "YuvToBgra.h"

extern "C" {
#include <libavutil/pixfmt.h>
}

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <future>
#include <system_error>

// How libswscale takes the chroma of an unscaled planar YUV picture under bicubic, bit-exact,
// accurate-rounding settings, which the converter keeps: chroma keeps its horizontal
// resolution, one sample for two pixels, and 4:2:0 chroma is brought to the picture's rows by
// a bicubic filter of 12-bit weights (below), rounded as (2048 + sum of weight * sample) >> 12
// and clipped to 0..255. Other cases (odd widths, full-resolution chroma, very short pictures)
// take other paths.

namespace {

// The threads that convert one picture, and the fewest rows worth a thread of their own.
constexpr int theThreads = 4;
constexpr int theBandRows = 64;
// The most chroma rows weighed into a picture row: five, padded to an even count.
constexpr int theMostTaps = 6;

// The colour arithmetic of one matrix and range, in single precision: with luma
// L = aLuma * Y + aLumaBase and chroma u = U - 128, v = V - 128, a pixel's red is
// L + aRedV * v, its green L + (aGreenU * u + aGreenV * v), its blue L + aBlueU * u, each
// rounded to the nearest level (ties to even) and clipped to 0..255.
struct TColours {
    float aLuma, aLumaBase;
    float aRedV, aGreenU, aGreenV, aBlueU;

    explicit TColours(const TYuvColours& pColours);
    float Luma(int pValue) const { return float(pValue) * aLuma + aLumaBase; }
};

TColours::TColours(const TYuvColours& pColours) {
    const double red = pColours.RedWeight(), blue = pColours.BlueWeight();
    const double green = 1 - red - blue;
    // Limited range: black at luma 16 and white at 235, chroma over 16..240.
    const double luma = pColours.aFullRange ? 1 : 255.0 / 219;
    const double chroma = pColours.aFullRange ? 1 : 255.0 / 224;
    aLuma = float(luma);
    aLumaBase = float(pColours.aFullRange ? 0 : -16 * luma);
    aRedV = float(chroma * 2 * (1 - red));
    aBlueU = float(chroma * 2 * (1 - blue));
    aGreenU = float(-chroma * 2 * blue * (1 - blue) / green);
    aGreenV = float(-chroma * 2 * red * (1 - red) / green);
}

// The level of pValue: rounded as the vector units round (to the nearest, ties to even) and
// clipped.
uint8_t Level(float pValue) {
    return uint8_t(std::clamp(std::nearbyint(pValue), 0.0f, 255.0f));
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

// Drops the near-zero weights on the left of each of the pTarget rows of pSize weights in
// pRaw (moving its first source row in pFirst, which must keep rising); returns how many
// weights the rows need at most, near-zero ones on the right left out.
int TrimWeights(std::vector<int64_t>& pRaw, int pSize, int pTarget, std::vector<int>& pFirst) {
    const double cutOff = 0.002 * double(int64_t(1) << 54);
    int kept = 0;
    for (int row = pTarget - 1; row >= 0; --row) {
        int64_t* weights = &pRaw[size_t(row) * pSize];
        int64_t sum = 0;
        for (int j = 0; j < pSize; ++j) {
            sum += std::llabs(weights[0]);
            if (double(sum) > cutOff || (row < pTarget - 1 && pFirst[row] >= pFirst[row + 1]))
                break;
            std::copy(weights + 1, weights + pSize, weights);
            weights[pSize - 1] = 0;
            ++pFirst[row];
        }
        int count = pSize;
        sum = 0;
        for (int j = pSize - 1; j > 0; --j) {
            sum += std::llabs(weights[j]);
            if (double(sum) > cutOff)
                break;
            --count;
        }
        kept = std::max(kept, count);
    }
    return kept;
}

// Gives the weights of rows above the picture to its first row, and those of rows below it
// to its last (pSource rows), moving the pTaps weights pWeights and their first row pFirst.
void FitEdges(int pSource, int pTaps, int64_t* pWeights, int& pFirst) {
    if (pFirst < 0) {
        for (int j = 1; j < pTaps; ++j) {
            const int left = std::max(j + pFirst, 0);
            pWeights[left] += pWeights[j];
            pWeights[j] = 0;
        }
        pFirst = 0;
    }
    if (pFirst + pTaps > pSource) {
        const int shift = pFirst + std::min(pTaps - pSource, 0);
        int64_t outside = 0;
        for (int j = pTaps - 1; j >= 0; --j)
            if (pFirst + j >= pSource) {
                outside += pWeights[j];
                pWeights[j] = 0;
            }
        for (int j = pTaps - 1; j >= 0; --j)
            pWeights[j] = j < shift ? 0 : pWeights[j - shift];
        pFirst -= shift;
        pWeights[pSource - 1 - pFirst] += outside;
    }
}

// Scales the pTaps weights pRaw to sum to 4096 into pWeights, each rounded with the error of
// those before it carried.
void NormaliseWeights(const int64_t* pRaw, int pTaps, int16_t* pWeights) {
    int64_t sum = 0;
    for (int j = 0; j < pTaps; ++j)
        sum += pRaw[j];
    sum = std::max<int64_t>((sum + 2048) / 4096, 1);
    int64_t error = 0;
    for (int j = 0; j < pTaps; ++j) {
        const int64_t value = pRaw[j] + error;
        const int64_t weight = RoundedDivide(value, sum);
        pWeights[j] = int16_t(weight);
        error = value - weight * sum;
    }
}

// The vertical chroma filter that brings pSource chroma rows (centred between two picture
// rows) to pTarget rows: for each target row, its first source row in pFirst and pTaps weights
// in 1/4096 in pWeights.
void ChromaFilter(int pSource, int pTarget, int& pTaps, std::vector<int>& pFirst,
                  std::vector<int16_t>& pWeights) {
    const int64_t step = ((int64_t(pSource) << 16) + (pTarget >> 1)) / pTarget;
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
    const int kept = TrimWeights(raw, size, pTarget, pFirst);
    // Padded to an even count, as the vector units want, beyond one.
    pTaps = kept == 1 ? 1 : (kept + 1) & ~1;
    std::vector<int64_t> weights(static_cast<size_t>(pTaps));
    pWeights.assign(size_t(pTarget) * pTaps, 0);
    for (int row = 0; row < pTarget; ++row) {
        std::fill(weights.begin(), weights.end(), 0);
        std::copy_n(&raw[size_t(row) * size], kept, weights.begin());
        FitEdges(pSource, pTaps, weights.data(), pFirst[row]);
        NormaliseWeights(weights.data(), pTaps, &pWeights[size_t(row) * pTaps]);
    }
}

// Row pRow of plane pPlane of pFrame.
const uint8_t* Row(const AVFrame& pFrame, int pPlane, int pRow) {
    return pFrame.data[pPlane] + ptrdiff_t(pRow) * pFrame.linesize[pPlane];
}

#ifdef __SSE2__
// TColours in the lanes of vector units, kept in registers (the targets' bytes could alias
// them in memory).
struct TVectorColours {
    __m128 aLuma, aLumaBase, aRedV, aGreenU, aGreenV, aBlueU;

    explicit TVectorColours(const TColours& pColours)
        : aLuma(_mm_set1_ps(pColours.aLuma)), aLumaBase(_mm_set1_ps(pColours.aLumaBase)),
          aRedV(_mm_set1_ps(pColours.aRedV)), aGreenU(_mm_set1_ps(pColours.aGreenU)),
          aGreenV(_mm_set1_ps(pColours.aGreenV)), aBlueU(_mm_set1_ps(pColours.aBlueU)) {}
    // The luma of the 4 samples pValue (32-bit lanes).
    __m128 Luma(__m128i pValue) const {
        return _mm_add_ps(_mm_mul_ps(_mm_cvtepi32_ps(pValue), aLuma), aLumaBase);
    }
};

// The 4 signed 16-bit lanes of pValue from pHigh on (0 or 4) as floats.
template <int pHigh>
__m128 Floats(__m128i pValue) {
    const __m128i doubled =
        pHigh ? _mm_unpackhi_epi16(pValue, pValue) : _mm_unpacklo_epi16(pValue, pValue);
    return _mm_cvtepi32_ps(_mm_srai_epi32(doubled, 16));
}

// The 16 levels of one colour for 16 pixels of luma pLuma under the 8 chroma terms pLow,
// pHigh (4 each), one for two pixels.
__m128i Colour(const __m128 (&pLuma)[4], __m128 pLow, __m128 pHigh) {
    const __m128i first = _mm_cvtps_epi32(_mm_add_ps(pLuma[0], _mm_unpacklo_ps(pLow, pLow)));
    const __m128i second = _mm_cvtps_epi32(_mm_add_ps(pLuma[1], _mm_unpackhi_ps(pLow, pLow)));
    const __m128i third = _mm_cvtps_epi32(_mm_add_ps(pLuma[2], _mm_unpacklo_ps(pHigh, pHigh)));
    const __m128i fourth = _mm_cvtps_epi32(_mm_add_ps(pLuma[3], _mm_unpackhi_ps(pHigh, pHigh)));
    return _mm_packus_epi16(_mm_packs_epi32(first, second), _mm_packs_epi32(third, fourth));
}

// Converts the first pixels of a row 16 at a time, as ConvertRow; returns how many.
int ConvertVectors(const TColours& pColours, const uint8_t* pLuma, const uint8_t* pU,
                   const uint8_t* pV, int pWidth, uint8_t* pTarget) {
    const TVectorColours colours(pColours);
    const __m128i zero = _mm_setzero_si128(), opaque = _mm_set1_epi8(-1);
    const __m128i middle = _mm_set1_epi16(128);
    int x = 0;
    for (; x + 16 <= pWidth; x += 16) {
        const __m128i u = _mm_sub_epi16(
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pU + x / 2)), zero),
            middle);
        const __m128i v = _mm_sub_epi16(
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pV + x / 2)), zero),
            middle);
        const __m128 uLow = Floats<0>(u), uHigh = Floats<4>(u);
        const __m128 vLow = Floats<0>(v), vHigh = Floats<4>(v);
        const __m128i luma = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pLuma + x));
        const __m128i low = _mm_unpacklo_epi8(luma, zero), high = _mm_unpackhi_epi8(luma, zero);
        const __m128 levels[4] = {colours.Luma(_mm_unpacklo_epi16(low, zero)),
                                  colours.Luma(_mm_unpackhi_epi16(low, zero)),
                                  colours.Luma(_mm_unpacklo_epi16(high, zero)),
                                  colours.Luma(_mm_unpackhi_epi16(high, zero))};
        const __m128i red =
            Colour(levels, _mm_mul_ps(vLow, colours.aRedV), _mm_mul_ps(vHigh, colours.aRedV));
        const __m128i green = Colour(
            levels,
            _mm_add_ps(_mm_mul_ps(uLow, colours.aGreenU), _mm_mul_ps(vLow, colours.aGreenV)),
            _mm_add_ps(_mm_mul_ps(uHigh, colours.aGreenU), _mm_mul_ps(vHigh, colours.aGreenV)));
        const __m128i blue =
            Colour(levels, _mm_mul_ps(uLow, colours.aBlueU), _mm_mul_ps(uHigh, colours.aBlueU));
        // B, G, R, A in memory.
        const __m128i blueGreenLow = _mm_unpacklo_epi8(blue, green);
        const __m128i blueGreenHigh = _mm_unpackhi_epi8(blue, green);
        const __m128i redAlphaLow = _mm_unpacklo_epi8(red, opaque);
        const __m128i redAlphaHigh = _mm_unpackhi_epi8(red, opaque);
        __m128i* target = reinterpret_cast<__m128i*>(pTarget + 4 * x);
        _mm_storeu_si128(target, _mm_unpacklo_epi16(blueGreenLow, redAlphaLow));
        _mm_storeu_si128(target + 1, _mm_unpackhi_epi16(blueGreenLow, redAlphaLow));
        _mm_storeu_si128(target + 2, _mm_unpacklo_epi16(blueGreenHigh, redAlphaHigh));
        _mm_storeu_si128(target + 3, _mm_unpackhi_epi16(blueGreenHigh, redAlphaHigh));
    }
    return x;
}

// Weighs the first samples 8 at a time, as FilterChroma; returns how many.
int FilterVectors(const uint8_t* const* pRows, const int16_t* pWeights, int pTaps, int pWidth,
                  uint8_t* pTarget) {
    // Two rows at a time: their samples side by side, multiplied by their two weights and
    // added in pairs.
    __m128i weights[theMostTaps / 2];
    const uint8_t* rows[theMostTaps];
    for (int j = 0; j < pTaps; j += 2) {
        weights[j / 2] = _mm_set1_epi32(
            int32_t(uint32_t(uint16_t(pWeights[j])) | uint32_t(uint16_t(pWeights[j + 1])) << 16));
        rows[j] = pRows[j];
        rows[j + 1] = pRows[j + 1];
    }
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi32(2048);
    int x = 0;
    for (; x + 8 <= pWidth; x += 8) {
        __m128i low = half, high = half;
        for (int j = 0; j < pTaps; j += 2) {
            const __m128i first = _mm_unpacklo_epi8(
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(rows[j] + x)), zero);
            const __m128i second = _mm_unpacklo_epi8(
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(rows[j + 1] + x)), zero);
            low = _mm_add_epi32(low,
                                _mm_madd_epi16(_mm_unpacklo_epi16(first, second), weights[j / 2]));
            high = _mm_add_epi32(high,
                                 _mm_madd_epi16(_mm_unpackhi_epi16(first, second), weights[j / 2]));
        }
        const __m128i sums = _mm_packs_epi32(_mm_srai_epi32(low, 12), _mm_srai_epi32(high, 12));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(pTarget + x), _mm_packus_epi16(sums, zero));
    }
    return x;
}
#endif

// Converts one row of pWidth pixels (even) from luma pLuma and chroma pU, pV (one sample for
// two pixels) into pTarget.
void ConvertRow(const TColours& pColours, const uint8_t* pLuma, const uint8_t* pU,
                const uint8_t* pV, int pWidth, uint8_t* pTarget) {
    int x = 0;
#ifdef __SSE2__
    x = ConvertVectors(pColours, pLuma, pU, pV, pWidth, pTarget);
#endif
    for (; x < pWidth; ++x) {
        const float u = float(pU[x / 2] - 128), v = float(pV[x / 2] - 128);
        const float luma = pColours.Luma(pLuma[x]);
        uint8_t* pixel = pTarget + 4 * x;
        pixel[0] = Level(luma + u * pColours.aBlueU);
        pixel[1] = Level(luma + (u * pColours.aGreenU + v * pColours.aGreenV));
        pixel[2] = Level(luma + v * pColours.aRedV);
        pixel[3] = 255;
    }
}

// Weighs the chroma rows of pPlane that pWeights (pTaps of them) apply to from row pFirst
// into pTarget, pWidth samples.
void FilterChroma(const AVFrame& pFrame, int pPlane, int pFirst, const int16_t* pWeights, int pTaps,
                  int pWidth, uint8_t* pTarget) {
    // The rows of weight 0 (past the filter's reach) are left out, then one is added back
    // where the count is odd.
    const uint8_t* rows[theMostTaps];
    int16_t weights[theMostTaps];
    int taps = 0;
    for (int j = 0; j < pTaps; ++j)
        if (pWeights[j]) {
            rows[taps] = Row(pFrame, pPlane, pFirst + j);
            weights[taps++] = pWeights[j];
        }
    if (taps % 2) {
        rows[taps] = rows[0];
        weights[taps++] = 0;
    }
    int x = 0;
#ifdef __SSE2__
    x = FilterVectors(rows, weights, taps, pWidth, pTarget);
#endif
    for (; x < pWidth; ++x) {
        int sum = 2048;
        for (int j = 0; j < taps; ++j)
            sum += weights[j] * rows[j][x];
        pTarget[x] = uint8_t(std::clamp(sum >> 12, 0, 255));
    }
}

} // namespace

bool TYuvToBgra::Prepare(int pFormat, int pWidth, int pHeight, const TYuvColours& pColours) {
    const bool planar420 = pFormat == AV_PIX_FMT_YUV420P || pFormat == AV_PIX_FMT_YUVJ420P;
    const bool planar422 = pFormat == AV_PIX_FMT_YUV422P || pFormat == AV_PIX_FMT_YUVJ422P;
    if (!(planar420 || planar422) || pWidth < 2 || pWidth % 2 || pHeight < 1)
        return false;
    aColours = pColours;
    if (pFormat == aFormat && pWidth == aWidth && pHeight == aHeight)
        return true;
    aTaps = 0;
    if (planar420) {
        ChromaFilter((pHeight + 1) / 2, pHeight, aTaps, aFirstTap, aWeights);
        // Fewer taps take other output steps, which round otherwise.
        if (aTaps < 3 || aTaps > theMostTaps) {
            aFormat = -1;
            return false;
        }
    }
    aFormat = pFormat;
    aWidth = pWidth;
    aHeight = pHeight;
    return true;
}

void TYuvToBgra::Convert(const AVFrame& pFrame, uint8_t* pTarget, ptrdiff_t pRowBytes) const {
    const int bands = std::clamp(aHeight / theBandRows, 1, theThreads);
    // Each band's failure (no memory) comes back through its future, which waits for its
    // thread however this one leaves.
    std::vector<std::future<void>> threads;
    threads.reserve(size_t(bands));
    for (int band = 1; band < bands; ++band) {
        const int first = int(long(aHeight) * band / bands);
        const int end = int(long(aHeight) * (band + 1) / bands);
        try {
            threads.push_back(std::async(std::launch::async, [=, &pFrame] {
                ConvertRows(pFrame, pTarget, pRowBytes, first, end);
            }));
        } catch (const std::system_error&) {
            // No thread to spare: this one converts the band.
            ConvertRows(pFrame, pTarget, pRowBytes, first, end);
        }
    }
    ConvertRows(pFrame, pTarget, pRowBytes, 0, int(long(aHeight) / bands));
    for (std::future<void>& thread : threads)
        thread.get();
}

void TYuvToBgra::ConvertRows(const AVFrame& pFrame, uint8_t* pTarget, ptrdiff_t pRowBytes,
                             int pFirst, int pEnd) const {
    const TColours colours(aColours);
    const size_t samples = static_cast<size_t>(aWidth / 2);
    std::vector<uint8_t> u(samples), v(samples);
    for (int row = pFirst; row < pEnd; ++row) {
        uint8_t* target = pTarget + ptrdiff_t(row) * pRowBytes;
        if (!aTaps) {
            ConvertRow(colours, Row(pFrame, 0, row), Row(pFrame, 1, row), Row(pFrame, 2, row),
                       aWidth, target);
            continue;
        }
        const int16_t* weights = &aWeights[size_t(row) * aTaps];
        FilterChroma(pFrame, 1, aFirstTap[row], weights, aTaps, aWidth / 2, u.data());
        FilterChroma(pFrame, 2, aFirstTap[row], weights, aTaps, aWidth / 2, v.data());
        ConvertRow(colours, Row(pFrame, 0, row), u.data(), v.data(), aWidth, target);
    }
}
