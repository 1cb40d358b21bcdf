#include "REDarodo/Bitmap.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <immintrin.h>

namespace {

// One premultiplied byte scaled by an alpha, rounded to nearest: 255 keeps it, 0 clears it.
inline uint8_t Scale(uint8_t pByte, unsigned pAlpha) {
    return static_cast<uint8_t>((pByte * pAlpha + 127) / 255);
}

// Row pY of pBitmap, or null when the bitmap has no pixels there.
inline uint8_t* RowAt(const TBitmap& pBitmap, long long pY) {
    if (!pBitmap.GetRawData() || pY < 0 || pY >= pBitmap.GetHeight())
        return nullptr;
    return static_cast<uint8_t*>(pBitmap.GetRawData()) +
           static_cast<size_t>(pY) * static_cast<size_t>(pBitmap.GetWidth()) * 4;
}

// x / 255 rounded to nearest, exact for every product of two bytes.
inline unsigned Div255(unsigned pValue) {
    pValue += 128;
    return (pValue + (pValue >> 8)) >> 8;
}

// The part of a rectangle that lies inside both the target and the source: (aX, aY) in the
// target, (aSrcX, aSrcY) in the source, empty when aWidth or aHeight is 0. In 64 bits so
// that coordinates near the int limits do not wrap.
struct TClip {
    long long aX, aY, aSrcX, aSrcY, aWidth = 0, aHeight = 0;

    // Shortens one axis so that both starts are at 0 or more and both ends inside.
    static bool Axis(long long& pStart, long long& pSrcStart, long long& pLength, long long pSize,
                     long long pSrcSize) {
        const long long skip = std::max({0LL, -pStart, -pSrcStart});
        pStart += skip;
        pSrcStart += skip;
        pLength = std::min({pLength - skip, pSize - pStart, pSrcSize - pSrcStart});
        return pLength > 0;
    }

    TClip(const TBitmap& pTarget, const TBitmap& pSource, long long pX, long long pY,
          long long pSrcX, long long pSrcY, long long pWidth, long long pHeight)
        : aX(pX), aY(pY), aSrcX(pSrcX), aSrcY(pSrcY) {
        if (!pTarget.GetRawData() || !pSource.GetRawData() ||
            !Axis(aX, aSrcX, pWidth, pTarget.GetWidth(), pSource.GetWidth()) ||
            !Axis(aY, aSrcY, pHeight, pTarget.GetHeight(), pSource.GetHeight()))
            return;
        aWidth = pWidth;
        aHeight = pHeight;
    }
};

// Pixel (pX, pY) of pBitmap, which must have it.
inline uint8_t* PixelAt(const TBitmap& pBitmap, long long pX, long long pY) {
    return RowAt(pBitmap, pY) + pX * 4;
}

// Blend of one pixel: d + s x (255 - d alpha) / 255, capped for pixels that are not
// properly premultiplied.
inline void BlendPixel(uint8_t* pTarget, const uint8_t* pSource) {
    const unsigned cover = 255u - pTarget[3];
    for (int byte = 0; byte < 4; ++byte) {
        const unsigned sum = pTarget[byte] + Div255(pSource[byte] * cover);
        pTarget[byte] = static_cast<uint8_t>(std::min(sum, 255u));
    }
}

// BlendPixel on pixels widened to 16 bits a byte. (t x 257) >> 16 with t = x + 128 is
// Div255's rounding; the sum saturates at 255 when the halves are packed.
inline __m128i BlendHalf(__m128i pTarget, __m128i pSource) {
    const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(pTarget, 0xFF), 0xFF);
    const __m128i cover = _mm_sub_epi16(_mm_set1_epi16(255), alpha);
    const __m128i product = _mm_add_epi16(_mm_mullo_epi16(pSource, cover), _mm_set1_epi16(128));
    return _mm_add_epi16(pTarget, _mm_mulhi_epu16(product, _mm_set1_epi16(257)));
}

__attribute__((target("avx2"))) inline __m256i BlendHalf(__m256i pTarget, __m256i pSource) {
    const __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(pTarget, 0xFF), 0xFF);
    const __m256i cover = _mm256_sub_epi16(_mm256_set1_epi16(255), alpha);
    const __m256i product =
        _mm256_add_epi16(_mm256_mullo_epi16(pSource, cover), _mm256_set1_epi16(128));
    return _mm256_add_epi16(pTarget, _mm256_mulhi_epu16(product, _mm256_set1_epi16(257)));
}

// One row of Blend, 4 pixels a step (SSE2, part of every x86-64 processor), from pFirst on;
// the pixels left over go one by one.
void BlendRow(uint8_t* pTarget, const uint8_t* pSource, long long pPixels, long long pFirst) {
    const __m128i zero = _mm_setzero_si128();
    long long i = pFirst;
    for (; i + 4 <= pPixels; i += 4) {
        __m128i* target = reinterpret_cast<__m128i*>(pTarget + i * 4);
        const __m128i d = _mm_loadu_si128(target);
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pSource + i * 4));
        const __m128i low = BlendHalf(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(s, zero));
        const __m128i high = BlendHalf(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(s, zero));
        _mm_storeu_si128(target, _mm_packus_epi16(low, high));
    }
    for (; i < pPixels; ++i)
        BlendPixel(pTarget + i * 4, pSource + i * 4);
}

// The same, 8 pixels a step, on processors with AVX2: the same integer arithmetic, so the
// same pixels. Unpacking and packing both work within 128-bit lanes, which keeps the order.
__attribute__((target("avx2"))) void BlendRowWide(uint8_t* pTarget, const uint8_t* pSource,
                                                  long long pPixels) {
    const __m256i zero = _mm256_setzero_si256();
    long long i = 0;
    for (; i + 8 <= pPixels; i += 8) {
        __m256i* target = reinterpret_cast<__m256i*>(pTarget + i * 4);
        const __m256i d = _mm256_loadu_si256(target);
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pSource + i * 4));
        const __m256i low = BlendHalf(_mm256_unpacklo_epi8(d, zero), _mm256_unpacklo_epi8(s, zero));
        const __m256i high =
            BlendHalf(_mm256_unpackhi_epi8(d, zero), _mm256_unpackhi_epi8(s, zero));
        _mm256_storeu_si256(target, _mm256_packus_epi16(low, high));
    }
    BlendRow(pTarget, pSource, pPixels, i);
}

void BlendRow(uint8_t* pTarget, const uint8_t* pSource, long long pPixels) {
    static const bool wide = __builtin_cpu_supports("avx2");
    if (wide)
        BlendRowWide(pTarget, pSource, pPixels);
    else
        BlendRow(pTarget, pSource, pPixels, 0);
}

// The four bytes of pColour (0xRRGGBB) in memory order, opaque.
inline void OpaquePixel(uint32_t pColour, uint8_t (&pPixel)[4]) {
    pPixel[0] = static_cast<uint8_t>(pColour);
    pPixel[1] = static_cast<uint8_t>(pColour >> 8);
    pPixel[2] = static_cast<uint8_t>(pColour >> 16);
    pPixel[3] = 255;
}

} // namespace

TBitmap::TBitmap(void* pData, int pWidth, int pHeight) : TBitmap() {
    if (pData && pWidth > 0 && pHeight > 0) {
        aData = pData;
        aWidth = pWidth;
        aHeight = pHeight;
    }
}

void TBitmap::ApplyMask(const TBitmap& pImage, const TBitmap& pMask, int pX, int pY) const {
    if (!aData)
        return;
    for (int y = 0; y < aHeight; ++y) {
        uint8_t* target = RowAt(*this, y);
        const uint8_t* image = RowAt(pImage, y);
        // Mask coordinates in 64 bits: an offset near the int limits must not wrap.
        const uint8_t* mask = RowAt(pMask, static_cast<long long>(y) - pY);
        for (int x = 0; x < aWidth; ++x, target += 4) {
            const long long mx = static_cast<long long>(x) - pX;
            const bool covered = image && mask && x < pImage.aWidth && mx >= 0 && mx < pMask.aWidth;
            const unsigned alpha = covered ? mask[mx * 4 + 3] : 0;
            for (int byte = 0; byte < 4; ++byte)
                target[byte] = alpha ? Scale(image[x * 4 + byte], alpha) : 0;
        }
    }
}

void TBitmap::BitBlt(int pX, int pY, const TBitmap& pSource, int pSrcX, int pSrcY, int pWidth,
                     int pHeight) const {
    const TClip clip(*this, pSource, pX, pY, pSrcX, pSrcY, pWidth, pHeight);
    // memmove: the source may be this bitmap, overlapping the target.
    if (clip.aHeight > 0 && clip.aWidth == aWidth && clip.aWidth == pSource.aWidth)
        std::memmove(PixelAt(*this, 0, clip.aY), PixelAt(pSource, 0, clip.aSrcY),
                     clip.aHeight * clip.aWidth * 4);
    else if (clip.aSrcY < clip.aY && pSource.aData == aData)
        for (long long row = clip.aHeight - 1; row >= 0; --row)
            std::memmove(PixelAt(*this, clip.aX, clip.aY + row),
                         PixelAt(pSource, clip.aSrcX, clip.aSrcY + row), clip.aWidth * 4);
    else
        for (long long row = 0; row < clip.aHeight; ++row)
            std::memmove(PixelAt(*this, clip.aX, clip.aY + row),
                         PixelAt(pSource, clip.aSrcX, clip.aSrcY + row), clip.aWidth * 4);
}

void TBitmap::Blend(int pX, int pY, const TBitmap& pSource, int pSrcX, int pSrcY, int pWidth,
                    int pHeight) const {
    const TClip clip(*this, pSource, pX, pY, pSrcX, pSrcY, pWidth, pHeight);
    for (long long row = 0; row < clip.aHeight; ++row)
        BlendRow(PixelAt(*this, clip.aX, clip.aY + row),
                 PixelAt(pSource, clip.aSrcX, clip.aSrcY + row), clip.aWidth);
}

void TBitmap::FillRectangle(int pX, int pY, int pWidth, int pHeight, uint32_t pColour) const {
    const TClip clip(*this, *this, pX, pY, pX, pY, pWidth, pHeight);
    uint8_t pixel[4] = {0, 0, 0, 0};
    if (pColour)
        OpaquePixel(pColour, pixel);
    for (long long row = 0; row < clip.aHeight; ++row) {
        uint8_t* target = PixelAt(*this, clip.aX, clip.aY + row);
        for (long long x = 0; x < clip.aWidth; ++x)
            std::memcpy(target + x * 4, pixel, 4);
    }
}

void TBitmap::BlendBackground(uint32_t pColour) const {
    if (!aData)
        return;
    uint8_t pixel[4];
    OpaquePixel(pColour, pixel);
    // A row of the colour laid behind each row by the row blend: the same arithmetic as one
    // pixel at a time, many pixels a step (a whole frame's background is the common case).
    std::vector<uint8_t> colour(size_t(aWidth) * 4);
    for (size_t x = 0; x < colour.size(); x += 4)
        std::copy_n(pixel, 4, &colour[x]);
    for (int y = 0; y < aHeight; ++y)
        BlendRow(RowAt(*this, y), colour.data(), aWidth);
}

void TBitmap::LoadDIB(void* pData, int pWidth, int pHeight) {
    *this = TBitmap(pData, pWidth, pHeight);
}

TAllocBitmap::~TAllocBitmap() {
    Release();
}

void TAllocBitmap::Resize(int pWidth, int pHeight) {
    if (pWidth < 1 || pHeight < 1)
        pWidth = pHeight = 0;
    if (pWidth == aWidth && pHeight == aHeight)
        return;
    Release();
    aWidth = pWidth;
    aHeight = pHeight;
}

bool TAllocBitmap::Allocate() {
    if (aData)
        return true;
    if (aWidth < 1 || aHeight < 1)
        return false;
    aData = std::calloc(static_cast<size_t>(aWidth) * static_cast<size_t>(aHeight), 4);
    aOwned = aData != nullptr;
    return aOwned;
}

void TAllocBitmap::Empty() {
    Release();
    aWidth = aHeight = 0;
}

void TAllocBitmap::LoadDIB(void* pData, int pWidth, int pHeight) {
    Release();
    TBitmap::LoadDIB(pData, pWidth, pHeight);
}

void TAllocBitmap::Release() {
    if (aOwned)
        std::free(aData);
    aData = nullptr;
    aOwned = false;
}
