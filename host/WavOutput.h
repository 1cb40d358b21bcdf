// TZVWavOutput: the sound as a 16-bit PCM WAV file, written through libavformat.
#pragma once

#include "Output.h"

#include <memory>

struct AVFormatContext;

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
    // Closes the file; false when that fails.
    bool Close();

    const std::string aPath;
    AVFormatContext* aOutput = nullptr;
    int aChannels = 0;
    int64_t aWritten = 0;
};
