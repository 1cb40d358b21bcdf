// The picture reader: decodes with libavcodec, converts with libswscale (bit-exact, so the
// pixels do not depend on the processor) and keeps the last image.
#pragma once

#include "MediaIndex.h"
#include "REDarodo/Media.h"

class TReaderVideoFF : public IReaderVideo {
public:
    TReaderVideoFF(std::shared_ptr<const TMediaSource> pSource,
                   std::shared_ptr<const TVideoIndex> pIndex);
    ~TReaderVideoFF() override;

    const TBitmap& GetImage(long pImage) override;
    TImageFormat GetFormat() const override;
    bool HasAlpha() const override;
    long GetImageCount() const override;

private:
    // Decoded picture pImage (of the index's times), converted.
    const TBitmap& GetPicture(long pImage);
    // Positions the decoder before image pImage: at its keyframe, pBack keyframes further
    // back, or at the start when there is none that far. False when the file fails.
    bool SeekBefore(long pImage, int pBack);
    // Decodes on to the next image; false at the end. Sets aLast to its position.
    bool DecodeNext();
    // Decodes on until picture pImage, into aImage; false when it is not met. A picture the
    // decoder does not give shows as the one before it.
    bool DecodeUntil(long pImage);
    // Converts pFrame into aImage as picture pImage, turned as it shows.
    bool Convert(const AVFrame* pFrame, long pImage);
    // Turns aUnturned into aImage.
    bool Turn();

    std::shared_ptr<const TMediaSource> aSource;
    std::shared_ptr<const TVideoIndex> aIndex;
    TDecoding aDecoding;
    TScalePtr aScale;
    // The position of the last image decoded; -1 at the start, -2 unknown after a seek.
    long aLast = -1;
    long aCached = -1;
    // Whether the first picture after a seek is still to come, and whether it came damaged.
    bool aStarting = false;
    bool aStartDamaged = false;
    // The last picture decoded before the wanted one.
    TFramePtr aHeld;
    TAllocBitmap aImage;
    // The decoded picture before it is turned, for turned tracks.
    TAllocBitmap aUnturned;
    TBitmap aNone;
};
