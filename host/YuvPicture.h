// TZVYuvPicture: the movie output's pictures (premultiplied BGRA: the colours over black, the
// fourth byte unread) as the encoder's 4:2:0 YUV planes, in the limited range that players
// expect of H.264 (Y 16..235, Cb and Cr 16..240), with BT.709's weights for HD frames and
// BT.601's for smaller ones, as encoders conventionally choose. Each chroma sample is the
// mean of its 2 x 2 block.
#pragma once

#include <cstdint>
#include <vector>

class TBitmap;

class TZVYuvPicture {
public:
    // Whether a frame of pWidth x pHeight is HD, converted with BT.709's weights: 1280 or more
    // wide, or more than 576 high (players take an untagged picture of that size for BT.709).
    static bool IsHd(int pWidth, int pHeight);

    // pWidth x pHeight: the frame's size, even.
    TZVYuvPicture(int pWidth, int pHeight);

    // Fills the planes (Y, Cb, Cr, pStrides bytes a row) from pPicture laid at the frame's top
    // left corner: what it does not cover is black, what lies beyond the frame is left out; a
    // null picture, or one without pixels, gives a black frame. Not to be called on two threads
    // at once: it pads rows in a buffer of its own.
    void Convert(const TBitmap* pPicture, uint8_t* const pPlanes[3], const int pStrides[3]);

    struct TWeights;

private:
    const int aWidth;
    const int aHeight;
    const TWeights& aWeights;
    std::vector<uint8_t> aRows; // two rows of a picture narrower or shorter than the frame
};
