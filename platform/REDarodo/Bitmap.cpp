#include "REDarodo/Bitmap.h"

#include <cstddef>
#include <cstdlib>

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

void TAllocBitmap::Release() {
    if (aOwned)
        std::free(aData);
    aData = nullptr;
    aOwned = false;
}
