#include "QueuedOutput.h"

#include "DLL/Edt/MediaFormat.h"
#include "REDarodo/Bitmap.h"

#include <cstring>
#include <new>
#include <pthread.h>
#include <system_error>

// A frame as it was handed over: its own copy of the picture and the sound.
struct TZVQueuedOutput::TFrame {
    long aNumber = 0; // in the order frames were handed over
    long aFrame = 0;
    std::vector<uint8_t> aPixels;
    TBitmap aPicture;
    std::vector<int16_t> aSound;
    bool aHasSound = false;
    int aCount = 0;
};

TZVQueuedOutput::TZVQueuedOutput(std::unique_ptr<IZVOutput> pOutput, int pWorkers, int pDepth,
                                 bool pOrdered)
    : aOutput(std::move(pOutput)), aWorkerCount(std::max(pWorkers, 1)),
      aDepth(size_t(std::max(pDepth, 1))), aOrdered(pOrdered) {}

TZVQueuedOutput::~TZVQueuedOutput() {
    Stop();
}

bool TZVQueuedOutput::StartWorker(std::string& pError) {
    if (!aWorkers.empty())
        return true;
    // Room for every frame there can be, so that a worker never needs memory to keep one.
    aSpare.reserve(aDepth + size_t(aWorkerCount) + 1);
    aWorkers.reserve(size_t(aWorkerCount));
    try {
        aWorkers.emplace_back(&TZVQueuedOutput::Work, this);
    } catch (const std::system_error& pFailure) {
        pError = "cannot start a thread: " + pFailure.code().message();
        return false;
    }
    return true;
}

bool TZVQueuedOutput::Begin(const TMediaFormat& pFormat, std::string& pError) {
    aChannels = pFormat.aAudioFormat.aChannels > 1 ? 2 : 1;
    if (!StartWorker(pError))
        return false;
    try {
        while (aWorkers.size() < size_t(aWorkerCount))
            aWorkers.emplace_back(&TZVQueuedOutput::Work, this);
    } catch (const std::system_error&) {
        // The workers that started do the work.
    }
    if (aOutput->Begin(pFormat, pError))
        return true;
    Stop();
    return false;
}

bool TZVQueuedOutput::AddFrame(long pFrame, const TBitmap* pPicture, const int16_t* pSound,
                               int pCount, std::string& pError) {
    std::unique_ptr<TFrame> frame;
    {
        std::unique_lock<std::mutex> lock(aMutex);
        aChanged.wait(lock, [this] { return aQueue.size() < aDepth || aFailed; });
        if (aFailed)
            return Failure(pError);
        if (!aSpare.empty()) {
            frame = std::move(aSpare.back());
            aSpare.pop_back();
        }
    }
    if (!frame)
        frame = std::make_unique<TFrame>();
    frame->aFrame = pFrame;
    frame->aPicture = TBitmap();
    if (pPicture && pPicture->GetRawData()) {
        const size_t bytes = size_t(pPicture->GetRowBytes()) * size_t(pPicture->GetHeight());
        frame->aPixels.resize(bytes);
        std::memcpy(frame->aPixels.data(), pPicture->GetRawData(), bytes);
        frame->aPicture =
            TBitmap(frame->aPixels.data(), pPicture->GetWidth(), pPicture->GetHeight());
    }
    frame->aCount = pCount;
    frame->aHasSound = pSound != nullptr;
    frame->aSound.clear();
    if (pSound && pCount > 0)
        frame->aSound.assign(pSound, pSound + size_t(pCount) * size_t(aChannels));
    std::lock_guard<std::mutex> lock(aMutex);
    frame->aNumber = aNextNumber++;
    aQueue.push_back(std::move(frame));
    aChanged.notify_all();
    return true;
}

bool TZVQueuedOutput::Finish(std::string& pError) {
    {
        std::unique_lock<std::mutex> lock(aMutex);
        aChanged.wait(lock, [this] { return (aQueue.empty() && aBusy == 0) || aFailed; });
    }
    Stop();
    return Healthy(pError) && aOutput->Finish(pError);
}

void TZVQueuedOutput::Work() {
    pthread_setname_np(pthread_self(), "zv-output");
    for (;;) {
        std::unique_ptr<TFrame> frame;
        {
            std::unique_lock<std::mutex> lock(aMutex);
            aChanged.wait(lock, [this] { return !aQueue.empty() || aStopping; });
            if (aStopping || aFailed)
                return;
            frame = std::move(aQueue.front());
            aQueue.pop_front();
            ++aBusy;
            aChanged.notify_all();
        }
        std::string error;
        bool outOfMemory = false;
        const bool written = Write(*frame, error, outOfMemory);
        // Nothing here needs memory: a frame that ran out of it is said by the render thread.
        std::lock_guard<std::mutex> lock(aMutex);
        --aBusy;
        if (aOrdered)
            ++aNextAdded;
        // A frame that waited for its turn while the output stopped failed nothing.
        if (!written && !aFailed && (outOfMemory || !error.empty())) {
            aFailed = true;
            aError = std::move(error);
            aLostFrame = outOfMemory ? frame->aFrame : -1;
        }
        if (aSpare.size() < aSpare.capacity())
            aSpare.push_back(std::move(frame));
        aChanged.notify_all();
    }
}

bool TZVQueuedOutput::Write(TFrame& pFrame, std::string& pError, bool& pOutOfMemory) {
    const TBitmap* picture = pFrame.aPicture.GetRawData() ? &pFrame.aPicture : nullptr;
    try {
        aOutput->Prepare(pFrame.aFrame, picture);
        return WaitForTurn(pFrame.aNumber) &&
               aOutput->AddFrame(pFrame.aFrame, picture,
                                 pFrame.aHasSound ? pFrame.aSound.data() : nullptr, pFrame.aCount,
                                 pError);
    } catch (const std::bad_alloc&) {
        pOutOfMemory = true;
        return false;
    }
}

bool TZVQueuedOutput::WaitForTurn(long pNumber) {
    if (!aOrdered)
        return true;
    std::unique_lock<std::mutex> lock(aMutex);
    aChanged.wait(lock, [this, pNumber] { return aNextAdded == pNumber || aFailed || aStopping; });
    return aNextAdded == pNumber && !aFailed && !aStopping;
}

void TZVQueuedOutput::Stop() {
    {
        std::lock_guard<std::mutex> lock(aMutex);
        aStopping = true;
        aChanged.notify_all();
    }
    for (std::thread& worker : aWorkers)
        worker.join();
    aWorkers.clear();
}

bool TZVQueuedOutput::Healthy(std::string& pError) {
    std::lock_guard<std::mutex> lock(aMutex);
    return !aFailed || Failure(pError);
}

bool TZVQueuedOutput::Failure(std::string& pError) const {
    pError =
        aLostFrame >= 0 ? "not enough memory to write frame " + std::to_string(aLostFrame) : aError;
    return false;
}
