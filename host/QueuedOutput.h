// TZVQueuedOutput: an output whose frames are written on threads of their own, so that
// encoding and writing never hold up the render. The render thread hands each frame over as
// a copy and goes on; at most a few frames wait, so memory stays bounded. With one worker the
// frames reach the output in order (a movie, a sound file); with several, an output whose
// frames are independent (one picture file each) takes several at once.
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
    // Writes through pOutput with pWorkers threads (several only when pOutput takes frames
    // from several threads at once); at most pDepth frames wait.
    TZVQueuedOutput(std::unique_ptr<IZVOutput> pOutput, int pWorkers, int pDepth);
    // Stops the workers; frames not written yet are dropped, and the output removes what it
    // did not finish.
    ~TZVQueuedOutput() override;

    bool Begin(const TMediaFormat& pFormat, std::string& pError) override;
    // Copies the frame for a worker; false with the first worker's failure, once there is one.
    bool AddFrame(long pFrame, const TBitmap* pPicture, const int16_t* pSound, int pCount,
                  std::string& pError) override;
    // Waits for every frame to be written, then completes the output.
    bool Finish(std::string& pError) override;

private:
    struct TFrame;

    void Work();
    // Stops the workers and waits for them.
    void Stop();
    // The failure of a worker, if any, into pError; false then.
    bool Healthy(std::string& pError);

    std::unique_ptr<IZVOutput> aOutput;
    const int aWorkerCount;
    const size_t aDepth;
    int aChannels = 1;
    std::vector<std::thread> aWorkers;
    std::mutex aMutex;
    std::condition_variable aChanged;
    std::deque<std::unique_ptr<TFrame>> aQueue;
    // Frames written, kept for the next ones: a new frame's memory would be cleared by the
    // system at every frame.
    std::vector<std::unique_ptr<TFrame>> aSpare;
    int aBusy = 0;
    bool aStopping = false;
    std::string aError;
};
