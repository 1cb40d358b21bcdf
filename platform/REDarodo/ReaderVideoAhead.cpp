#include "ReaderVideoAhead.h"

#include <new>
#include <pthread.h>
#include <system_error>

namespace {

// Pictures decoded and images converted ahead at most: enough to cover the time a frame's
// decoding varies by (more only hold memory: a 1080p image is 8 MB).
constexpr size_t theDecodedDepth = 2;
constexpr size_t theReadyDepth = 2;

} // namespace

TReaderVideoAhead::TReaderVideoAhead(std::unique_ptr<TReaderVideoFF> pReader,
                                     std::shared_ptr<const TVideoIndex> pIndex)
    : aReader(std::move(pReader)), aIndex(std::move(pIndex)), aConverter(aReader->GetLog()) {}

TReaderVideoAhead::~TReaderVideoAhead() {
    Stop();
}

const TBitmap& TReaderVideoAhead::GetImage(long pImage) {
    const bool next = pImage == aLastAsked + 1;
    aLastAsked = pImage;
    if (aDecoder.joinable()) {
        if (next) {
            std::unique_lock<std::mutex> lock(aMutex);
            aChanged.wait(lock, [this] { return !aReady.empty() || aDone || aOutOfMemory; });
            if (!aReady.empty() && aReady.front()->aNumber == pImage) {
                if (aShown)
                    aSpare.push_back(std::move(aShown));
                aShown = std::move(aReady.front());
                aReady.pop_front();
                aChanged.notify_all();
                return aShown->aBitmap;
            }
        }
        Stop();
        // The reader ran out of memory midway through a picture, on the decoding thread: the
        // caller is told so here, where it can be said.
        if (aOutOfMemory)
            throw std::bad_alloc();
    }
    const TBitmap& image = aReader->GetImage(pImage);
    // Read in order: the next pictures are decoded ahead. The reader's own image stays as it
    // is while they are, for they are converted apart.
    if (next && image.GetRawData())
        Start(pImage + 1);
    return image;
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

void TReaderVideoAhead::Start(long pNext) {
    aStopping = false;
    aDone = false;
    aOutOfMemory = false;
    try {
        aDecoder = std::thread(&TReaderVideoAhead::Decode, this, pNext);
        aConverterThread = std::thread(&TReaderVideoAhead::Convert, this);
    } catch (const std::system_error&) {
        // No thread to spare (a limit of processes): the images are read directly, and the
        // next image in order tries again.
        Stop();
    }
}

void TReaderVideoAhead::Stop() {
    if (!aDecoder.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(aMutex);
        aStopping = true;
        aChanged.notify_all();
    }
    aDecoder.join();
    // The converter did not start when the system let no more threads start.
    if (aConverterThread.joinable())
        aConverterThread.join();
    aDecoded.clear();
    for (std::unique_ptr<TImage>& image : aReady)
        aSpare.push_back(std::move(image));
    aReady.clear();
}

void TReaderVideoAhead::Decode(long pNext) {
    pthread_setname_np(pthread_self(), "zv-decode");
    try {
        DecodeFrom(pNext);
    } catch (const std::bad_alloc&) {
        std::lock_guard<std::mutex> lock(aMutex);
        aOutOfMemory = true;
        aChanged.notify_all();
    }
}

void TReaderVideoAhead::DecodeFrom(long pNext) {
    for (long number = pNext;; ++number) {
        {
            std::unique_lock<std::mutex> lock(aMutex);
            aChanged.wait(lock, [this] { return aDecoded.size() < theDecodedDepth || aStopping; });
            if (aStopping)
                return;
        }
        const AVFrame* frame = aReader->Decode(number);
        TDecoded decoded{number, TFramePtr(frame ? av_frame_clone(frame) : nullptr)};
        // Past the end, an image that does not decode, or no memory for a copy: the rest is
        // asked directly.
        const bool last = !decoded.aFrame;
        std::lock_guard<std::mutex> lock(aMutex);
        aDecoded.push_back(std::move(decoded));
        aChanged.notify_all();
        if (last)
            return;
    }
}

void TReaderVideoAhead::Convert() {
    pthread_setname_np(pthread_self(), "zv-convert");
    for (;;) {
        TDecoded decoded;
        std::unique_ptr<TImage> image;
        {
            std::unique_lock<std::mutex> lock(aMutex);
            aChanged.wait(lock, [this] {
                return (!aDecoded.empty() && aReady.size() < theReadyDepth) || aStopping;
            });
            if (aStopping)
                return;
            decoded = std::move(aDecoded.front());
            aDecoded.pop_front();
            if (!aSpare.empty()) {
                image = std::move(aSpare.back());
                aSpare.pop_back();
            }
            aChanged.notify_all();
        }
        bool converted = false;
        try {
            if (!image)
                image = std::make_unique<TImage>();
            converted =
                decoded.aFrame && aConverter.Convert(*decoded.aFrame, *aIndex, image->aBitmap);
        } catch (const std::bad_alloc&) {
            converted = false;
        }
        std::lock_guard<std::mutex> lock(aMutex);
        // Whatever did not convert (the end, a picture that does not decode, no memory) is
        // asked of the reader directly, which answers it as it always does.
        if (converted) {
            image->aNumber = decoded.aNumber;
            try {
                aReady.push_back(std::move(image));
            } catch (const std::bad_alloc&) {
                converted = false;
            }
        }
        aDone = !converted;
        aChanged.notify_all();
        if (!converted)
            return;
    }
}
