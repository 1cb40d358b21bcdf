// The picture reader: decodes with libavcodec, converts (TPictureConverter) and keeps the
// last image.
#pragma once

#include "MediaIndex.h"
#include "PictureConverter.h"
#include "REDarodo/Media.h"

#include <climits>

class TReaderVideoFF : public IReaderVideo {
public:
    TReaderVideoFF(std::shared_ptr<const TMediaSource> pSource,
                   std::shared_ptr<const TVideoIndex> pIndex);
    ~TReaderVideoFF() override;

    const TBitmap& GetImage(long pImage) override;
    TImageFormat GetFormat() const override;
    bool HasAlpha() const override;
    long GetImageCount() const override;
    // The decoded picture that image pImage shows, not converted (a reader that converts on
    // another thread); null where GetImage gives no image. Valid until the next call.
    const AVFrame* Decode(long pImage);
    // The log of the medium read, for what converters of its pictures report.
    TMediaLog& GetLog() const { return aSource->aLog; }

private:
    // Decoded picture pImage (of the index's times), converted.
    const TBitmap& GetPicture(long pImage);
    // Decodes picture pImage into aShown; null when it cannot.
    const AVFrame* DecodePicture(long pImage);
    // Positions the decoder before image pImage: at its keyframe, pBack keyframes further
    // back, or at the start when there is none that far. False when the file fails.
    bool SeekBefore(long pImage, int pBack);
    // Decodes on to the next image; false at the end. Sets aLast to its position.
    bool DecodeNext();
    // Decodes on until picture pImage, into aShown; false when it is not met. A picture the
    // decoder does not give shows as the one before it.
    bool DecodeUntil(long pImage);
    // Makes aShown hold pFrame.
    bool Show(const AVFrame* pFrame);

    std::shared_ptr<const TMediaSource> aSource;
    std::shared_ptr<const TVideoIndex> aIndex;
    TDecoding aDecoding;
    TPictureConverter aConverter;
    // The position of the last image decoded; -1 at the start, -2 unknown after a seek.
    long aLast = -1;
    long aCached = -1;
    // Whether the first picture after a seek is still to come, and whether it came damaged.
    bool aStarting = false;
    bool aStartDamaged = false;
    // The first picture lost where the file was found cut short: it and those after are not
    // looked for again, since no read could reach them.
    long aLostFrom = LONG_MAX;
    // The last picture decoded before the wanted one, and the one to show.
    TFramePtr aHeld;
    TFramePtr aShown;
    TAllocBitmap aImage;
    TBitmap aNone;
};
