// TZVYuvPicture: the movie output's pictures (premultiplied BGRA: the colours over black, the
// fourth byte unread) as the encoder's 4:2:0 YUV planes, in the limited range that players
// expect of H.264 (Y 16..235, Cb and Cr 16..240) with the BT.601 weights, as FFmpeg's own
// converter makes them by default. Each chroma sample is the mean of its 2 x 2 block.
#pragma once

#include <cstdint>
#include <vector>

class TBitmap;

class TZVYuvPicture {
public:
    // pWidth x pHeight: the frame's size, even.
    TZVYuvPicture(int pWidth, int pHeight);

    // Fills the planes (Y, Cb, Cr, pStrides bytes a row) from pPicture laid at the frame's top
    // left corner: what it does not cover is black, what lies beyond the frame is left out; a
    // null picture, or one without pixels, gives a black frame. Not to be called on two threads
    // at once: it pads rows in a buffer of its own.
    void Convert(const TBitmap* pPicture, uint8_t* const pPlanes[3], const int pStrides[3]);

private:
    const int aWidth;
    const int aHeight;
    std::vector<uint8_t> aRows; // two rows of a picture narrower or shorter than the frame
};
