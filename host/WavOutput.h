// TZVWavOutput: the sound as a 16-bit PCM WAV file, written through libavformat.
#pragma once

#include "Output.h"

#include <memory>

struct AVFormatContext;
class TZVPartFile;

class TZVWavOutput : public IZVOutput {
public:
    explicit TZVWavOutput(const std::string& pPath);
    // An unfinished file is removed.
    ~TZVWavOutput() override;

    bool Begin(const TMediaFormat& pFormat, std::string& pError) override;
    bool AddFrame(long pFrame, const TBitmap* pPicture, const int16_t* pSound, int pCount,
                  std::string& pError) override;
    bool Finish(std::string& pError) override;

private:
    // Closes the file; FFmpeg's error code when that or an earlier write failed, else 0.
    int Close();
    // Sets pError to the file's failure, with pReason when it is not empty; false.
    bool Failed(std::string& pError, const std::string& pReason);

    const std::string aPath;
    std::unique_ptr<TZVPartFile> aFile;
    AVFormatContext* aOutput = nullptr;
    int aChannels = 0;
    int64_t aWritten = 0;
};
