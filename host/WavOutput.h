// TZVWavOutput: the sound as a 16-bit PCM WAV file, written through libavformat. Into a file
// that cannot seek back (a FIFO, a terminal) the header goes with the sizes of the sound that
// is announced, since it cannot be completed at the end: a reader gets the same bytes as a
// file holds.
#pragma once

#include "Output.h"

#include <memory>

struct AVFormatContext;
class TZVFileIo;
class TZVPartFile;

class TZVWavOutput : public IZVOutput {
public:
    // pSampleFrames: how many sound frames will be added.
    TZVWavOutput(const std::string& pPath, int64_t pSampleFrames);
    // An unfinished file is removed.
    ~TZVWavOutput() override;

    bool Begin(const TMediaFormat& pFormat, std::string& pError) override;
    bool AddFrame(long pFrame, const TBitmap* pPicture, const int16_t* pSound, int pCount,
                  std::string& pError) override;
    bool Finish(std::string& pError) override;

private:
    // Writes what is buffered and lets the muxer go; FFmpeg's error code when that or an
    // earlier write failed, else 0.
    int Close();
    // Sets pError to the file's failure, with pReason when it is not empty; false.
    bool Failed(std::string& pError, const std::string& pReason);

    const std::string aPath;
    const int64_t aAnnounced;
    std::unique_ptr<TZVPartFile> aFile;
    std::unique_ptr<TZVFileIo> aIo;
    AVFormatContext* aOutput = nullptr;
    int aChannels = 0;
    int64_t aWritten = 0;
};
