// TBitmap and TAllocBitmap: bitmaps of 32-bit pixels, bytes B, G, R, A in memory with
// premultiplied alpha, rows top-down and packed (a row is 4 x width bytes). Colours are
// given as 0xRRGGBB. Every drawing operation clips to the bitmaps involved and does nothing
// where a bitmap has no pixels.
#pragma once

#include <cstdint>

class TBitmap {
public:
    // The empty bitmap: 0 x 0, no pixels.
    TBitmap() : aData(nullptr), aWidth(0), aHeight(0) {}
    // A view of pWidth x pHeight pixels owned by someone else; a null pData or a size below 1
    // on either axis gives the empty bitmap.
    TBitmap(void* pData, int pWidth, int pHeight);

    // The pixels, or null when the bitmap has none (empty, or sized but not allocated).
    void* GetRawData() const { return aData; }
    // Width and height in pixels; a sized bitmap keeps them while it has no pixels.
    int GetWidth() const { return aWidth; }
    int GetHeight() const { return aHeight; }
    // Bytes from one row to the next.
    long GetRowBytes() const { return 4L * aWidth; }

    // Copies pSource's pWidth x pHeight rectangle at (pSrcX, pSrcY) to (pX, pY), alpha
    // included.
    void BitBlt(int pX, int pY, const TBitmap& pSource, int pSrcX, int pSrcY, int pWidth,
                int pHeight) const;
    // Lays the same rectangle of pSource behind the pixels already there: each byte becomes
    // d + s x (255 - alpha of d) / 255, rounded.
    void Blend(int pX, int pY, const TBitmap& pSource, int pSrcX, int pSrcY, int pWidth,
               int pHeight) const;
    // Fills the rectangle with pColour, opaque; colour 0 clears it to transparent instead.
    void FillRectangle(int pX, int pY, int pWidth, int pHeight, uint32_t pColour) const;
    // Lays pColour behind the whole bitmap, which is opaque afterwards.
    void BlendBackground(uint32_t pColour) const;
    // Makes the bitmap show pWidth x pHeight pixels at pData, which stay the caller's (the
    // empty bitmap for a null pData or a size below 1).
    void LoadDIB(void* pData, int pWidth, int pHeight);

    // Writes into this bitmap's pixels those of pImage at the same place, each byte scaled by
    // the alpha of the pMask pixel over it (mask's top-left corner at (pX, pY)): alpha 255
    // keeps the pixel, 0 clears it. Pixels the mask or the image does not cover become 0
    // (transparent). pImage may be this bitmap itself. A bitmap without pixels is left as
    // it is.
    void ApplyMask(const TBitmap& pImage, const TBitmap& pMask, int pX, int pY) const;

protected:
    void* aData;
    int aWidth;
    int aHeight;
};

// A bitmap that may own its pixels. Owned pixels are freed by Empty, by a Resize that
// changes the size, and with the bitmap.
class TAllocBitmap : public TBitmap {
public:
    TAllocBitmap() : aOwned(false) {}
    TAllocBitmap(const TAllocBitmap&) = delete;
    TAllocBitmap& operator=(const TAllocBitmap&) = delete;
    ~TAllocBitmap();

    // Gives the bitmap the size pWidth x pHeight (0 x 0 when either is below 1). The pixels
    // stay when the size does not change; otherwise they go, and Allocate provides new ones.
    void Resize(int pWidth, int pHeight);
    // Makes sure the bitmap has pixels for its size: when it has none, allocates them,
    // owned and cleared to transparent. False when the bitmap is 0 x 0 or the memory cannot
    // be had; it then has no pixels.
    bool Allocate();
    // Frees owned pixels; the bitmap becomes empty (0 x 0, no pixels, owning nothing).
    void Empty();
    // True when the pixels belong to this bitmap.
    bool IsOwned() const { return aOwned; }
    // Frees owned pixels first, then shows pData as TBitmap::LoadDIB does: Resize and Empty
    // never free the caller's memory.
    void LoadDIB(void* pData, int pWidth, int pHeight);

private:
    void Release();

    bool aOwned;
};
