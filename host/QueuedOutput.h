// TZVQueuedOutput: an output whose frames are written on threads of their own, so that
// encoding and writing never hold up the render. The render thread hands each frame over as
// a copy and goes on; at most a few frames wait, so memory stays bounded. An output whose
// frames are independent (one picture file each) takes several at once; an ordered one (a
// movie, a sound file) takes them in order, while the workers prepare the next ones side by
// side (IZVOutput::Prepare).
#pragma once

#include "Output.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TZVQueuedOutput : public IZVOutput {
public:
    // Writes through pOutput with pWorkers threads, or as many as the system lets start; pOrdered:
    // its frames are added in order (else pOutput takes frames from several threads at once); at
    // most pDepth frames wait.
    TZVQueuedOutput(std::unique_ptr<IZVOutput> pOutput, int pWorkers, int pDepth, bool pOrdered);
    // Stops the workers; frames not written yet are dropped, and the output removes what it
    // did not finish.
    ~TZVQueuedOutput() override;

    // Starts the first worker, unless it runs; false with pError set when it cannot start. Under
    // a limit of processes, outputs that each start one before any begins have one each.
    bool StartWorker(std::string& pError);
    // Starts the first worker unless it runs, the others, as many as the system lets start, and
    // then the output, whose own threads (an encoder's) make do with the ones that are left;
    // false with pError set when the first worker or the output fails.
    bool Begin(const TMediaFormat& pFormat, std::string& pError) override;
    // Copies the frame for a worker; false with the first worker's failure, once there is one.
    bool AddFrame(long pFrame, const TBitmap* pPicture, const int16_t* pSound, int pCount,
                  std::string& pError) override;
    // Waits for every frame to be written, then completes the output.
    bool Finish(std::string& pError) override;

private:
    struct TFrame;

    void Work();
    // Prepares and adds pFrame through the output; false with pError set, or with
    // pOutOfMemory when memory ran out.
    bool Write(TFrame& pFrame, std::string& pError, bool& pOutOfMemory);
    // For an ordered output, waits until the frame handed over pNumber-th is the next to add;
    // false when the output stops or failed meanwhile.
    bool WaitForTurn(long pNumber);
    // Stops the workers and waits for them.
    void Stop();
    // The failure of a worker, if any, into pError; false then.
    bool Healthy(std::string& pError);
    // The failure of a worker into pError, made on the calling thread: it may need memory that
    // the worker did not have. False. Called with aMutex held.
    bool Failure(std::string& pError) const;

    std::unique_ptr<IZVOutput> aOutput;
    const int aWorkerCount; // asked for
    const size_t aDepth;
    const bool aOrdered;
    int aChannels = 1;
    // The number the next frame handed over gets, and that of the next one to add.
    long aNextNumber = 0;
    long aNextAdded = 0;
    std::vector<std::thread> aWorkers;
    std::mutex aMutex;
    std::condition_variable aChanged;
    std::deque<std::unique_ptr<TFrame>> aQueue;
    // Frames written, kept for the next ones: a new frame's memory would be cleared by the
    // system at every frame.
    std::vector<std::unique_ptr<TFrame>> aSpare;
    int aBusy = 0;
    bool aStopping = false;
    // A worker failed: with aError, or for want of memory while it wrote frame aLostFrame.
    bool aFailed = false;
    std::string aError;
    long aLostFrame = -1;
};
