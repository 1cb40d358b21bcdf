// TReaderVideoAhead: a picture reader that, while its track is read in order, decodes the
// next pictures on one thread of its own and converts them on another, so that the next
// GetImage finds its image ready. A request out of order (a seek, a jump, a repeat) stops the
// read-ahead, drops what it held, and is answered by the decoding reader itself: every image
// is the one that reader gives. Without threads to spare, every image is read directly.
#pragma once

#include "PictureConverter.h"
#include "ReaderVideoFF.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TReaderVideoAhead : public IReaderVideo {
public:
    // Reads ahead through pReader, the reader of the track pIndex.
    TReaderVideoAhead(std::unique_ptr<TReaderVideoFF> pReader,
                      std::shared_ptr<const TVideoIndex> pIndex);
    ~TReaderVideoAhead() override;

    const TBitmap& GetImage(long pImage) override;
    TImageFormat GetFormat() const override;
    bool HasAlpha() const override;
    long GetImageCount() const override;

private:
    // A decoded picture on its way to conversion; no frame: the reader gave no image.
    struct TDecoded {
        long aNumber;
        TFramePtr aFrame;
    };
    // An image converted ahead.
    struct TImage {
        long aNumber = -1;
        TAllocBitmap aBitmap;
    };

    // Starts decoding and converting from image pNext on.
    void Start(long pNext);
    // Stops the threads and drops what they made.
    void Stop();
    // The decoding thread: decodes from image pNext on (DecodeFrom); memory that runs out
    // there stops it and is said by the next GetImage.
    void Decode(long pNext);
    void DecodeFrom(long pNext);
    void Convert();

    std::unique_ptr<TReaderVideoFF> aReader;
    std::shared_ptr<const TVideoIndex> aIndex;
    TPictureConverter aConverter;
    std::thread aDecoder;
    std::thread aConverterThread;
    std::mutex aMutex;
    std::condition_variable aChanged;
    std::deque<TDecoded> aDecoded;
    std::deque<std::unique_ptr<TImage>> aReady;
    std::vector<std::unique_ptr<TImage>> aSpare;
    bool aStopping = false;
    bool aDone = false;
    bool aOutOfMemory = false;
    long aLastAsked = -1;
    // The image last given from the read-ahead.
    std::unique_ptr<TImage> aShown;
};
