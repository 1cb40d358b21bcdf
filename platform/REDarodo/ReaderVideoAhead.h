// TReaderVideoAhead: a picture reader that, while its track is read in order, decodes the
// next images on a thread of its own, so that the next GetImage finds its image ready. A
// request out of order (a seek, a jump, a repeat) stops the read-ahead, drops what it held,
// and is answered by the decoding reader itself: every image is the one that reader gives.
#pragma once

#include "REDarodo/Bitmap.h"
#include "REDarodo/Media.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TReaderVideoAhead : public IReaderVideo {
public:
    explicit TReaderVideoAhead(std::unique_ptr<IReaderVideo> pReader);
    ~TReaderVideoAhead() override;

    const TBitmap& GetImage(long pImage) override;
    TImageFormat GetFormat() const override;
    bool HasAlpha() const override;
    long GetImageCount() const override;

private:
    // An image decoded ahead: its number and its own copy of the pixels (none: empty).
    struct TImage {
        long aNumber = -1;
        int aWidth = 0;
        int aHeight = 0;
        std::vector<uint8_t> aPixels;
    };

    // Copies pSource as image pNumber into pImage.
    static void Keep(const TBitmap& pSource, long pNumber, TImage& pImage);
    // Starts decoding from image pNext on.
    void Start(long pNext);
    // Stops the thread and drops what it decoded.
    void Stop();
    void Work(long pNext);
    // The shown image made of pImage.
    const TBitmap& Show(TImage& pImage);

    std::unique_ptr<IReaderVideo> aReader;
    std::thread aThread;
    std::mutex aMutex;
    std::condition_variable aChanged;
    std::deque<TImage> aReady;
    std::vector<TImage> aSpare;
    bool aStopping = false;
    bool aDone = false;
    long aLastAsked = -1;
    // The image last given, kept while the thread uses the reader.
    TImage aShown;
    TBitmap aView;
};
