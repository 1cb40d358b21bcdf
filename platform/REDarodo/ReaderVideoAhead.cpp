#include "ReaderVideoAhead.h"

#include <cstring>
#include <new>
#include <pthread.h>

namespace {

// Images decoded ahead at most: enough to cover the time a frame's decoding varies by.
constexpr size_t theDepth = 3;

} // namespace

TReaderVideoAhead::TReaderVideoAhead(std::unique_ptr<IReaderVideo> pReader)
    : aReader(std::move(pReader)) {}

TReaderVideoAhead::~TReaderVideoAhead() {
    Stop();
}

const TBitmap& TReaderVideoAhead::GetImage(long pImage) {
    const bool next = pImage == aLastAsked + 1;
    aLastAsked = pImage;
    if (aThread.joinable()) {
        if (next) {
            std::unique_lock<std::mutex> lock(aMutex);
            aChanged.wait(lock, [this] { return !aReady.empty() || aDone; });
            if (!aReady.empty() && aReady.front().aNumber == pImage) {
                aSpare.push_back(std::move(aShown));
                aShown = std::move(aReady.front());
                aReady.pop_front();
                aChanged.notify_all();
                return Show(aShown);
            }
        }
        Stop();
    }
    const TBitmap& image = aReader->GetImage(pImage);
    // Read in order: from now on the reader belongs to the thread, so the image is kept.
    if (!next || !image.GetRawData())
        return image;
    Keep(image, pImage, aShown);
    Start(pImage + 1);
    return Show(aShown);
}

TImageFormat TReaderVideoAhead::GetFormat() const {
    return aReader->GetFormat();
}

bool TReaderVideoAhead::HasAlpha() const {
    return aReader->HasAlpha();
}

long TReaderVideoAhead::GetImageCount() const {
    return aReader->GetImageCount();
}

void TReaderVideoAhead::Keep(const TBitmap& pSource, long pNumber, TImage& pImage) {
    pImage.aNumber = pNumber;
    pImage.aWidth = pSource.GetRawData() ? pSource.GetWidth() : 0;
    pImage.aHeight = pSource.GetRawData() ? pSource.GetHeight() : 0;
    const size_t bytes = size_t(pImage.aWidth) * size_t(pImage.aHeight) * 4;
    pImage.aPixels.resize(bytes);
    if (bytes > 0)
        std::memcpy(pImage.aPixels.data(), pSource.GetRawData(), bytes);
}

void TReaderVideoAhead::Start(long pNext) {
    aStopping = false;
    aDone = false;
    aThread = std::thread(&TReaderVideoAhead::Work, this, pNext);
}

void TReaderVideoAhead::Stop() {
    if (!aThread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(aMutex);
        aStopping = true;
        aChanged.notify_all();
    }
    aThread.join();
    for (TImage& image : aReady)
        aSpare.push_back(std::move(image));
    aReady.clear();
}

void TReaderVideoAhead::Work(long pNext) {
    pthread_setname_np(pthread_self(), "zv-read-ahead");
    for (long number = pNext;; ++number) {
        TImage image;
        {
            std::unique_lock<std::mutex> lock(aMutex);
            aChanged.wait(lock, [this] { return aReady.size() < theDepth || aStopping; });
            if (aStopping)
                return;
            if (!aSpare.empty()) {
                image = std::move(aSpare.back());
                aSpare.pop_back();
            }
        }
        try {
            Keep(aReader->GetImage(number), number, image);
        } catch (const std::bad_alloc&) {
            // Without memory for a copy, the image is asked again directly.
            image.aNumber = -1;
            image.aPixels.clear();
        }
        const bool last = image.aPixels.empty();
        std::lock_guard<std::mutex> lock(aMutex);
        aReady.push_back(std::move(image));
        // Past the end, or an image that does not decode: what follows is asked directly.
        aDone = last;
        aChanged.notify_all();
        if (last)
            return;
    }
}

const TBitmap& TReaderVideoAhead::Show(TImage& pImage) {
    aView = pImage.aPixels.empty() ? TBitmap()
                                   : TBitmap(pImage.aPixels.data(), pImage.aWidth, pImage.aHeight);
    return aView;
}
