// TPictureConverter: turns a decoded picture into the image a track shows: converted to
// premultiplied BGRA (bit-exact, so the pixels do not depend on the processor; bands of a
// picture on a few threads) with the colours its tags name (TYuvColours), turned as its
// display matrix says. Common YUV pictures go through TYuvToBgra, the others through
// libswscale (TSwsToBgra), which works out their colours exactly too; both saturate.
#pragma once

#include "FFmpeg.h"
#include "MediaIndex.h"
#include "REDarodo/Bitmap.h"
#include "SwsToBgra.h"
#include "YuvColours.h"
#include "YuvToBgra.h"

#include <tuple>

class TPictureConverter {
public:
    // pLog: the medium's, which must outlive the converter.
    explicit TPictureConverter(TMediaLog& pLog) : aScale(pLog) {}

    // Converts pFrame, a picture of the track pIndex, into pImage; false when it fails.
    bool Convert(const AVFrame& pFrame, const TVideoIndex& pIndex, TAllocBitmap& pImage);

private:
    // Makes aDirect or else aScale convert pFrame's pictures to pWidth x pHeight BGRA, unless
    // one does.
    bool Scaler(const AVFrame& pFrame, int pWidth, int pHeight);
    // Converts pFrame into pTarget, of that size.
    bool Scale(const AVFrame& pFrame, TAllocBitmap& pTarget);
    // Turns aUnturned into pImage by pTurns quarter turns.
    bool Turn(int pTurns, int pWidth, int pHeight, TAllocBitmap& pImage);

    TYuvToBgra aDirect;
    // Whether aDirect converts, not aScale.
    bool aDirectOn = false;
    TSwsToBgra aScale;
    // The size, format and colours aDirect or aScale converts from.
    std::tuple<int, int, int, TYuvColours> aScaleFrom{-1, -1, -1, TYuvColours()};
    // The decoded picture before it is turned, for turned tracks.
    TAllocBitmap aUnturned;
};
