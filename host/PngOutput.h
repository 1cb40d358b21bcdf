// TZVPngOutput: one RGB PNG picture per frame, named by a pattern with the frame number.
#pragma once

#include "Output.h"

#include <functional>

class TZVPngOutput : public IZVOutput {
public:
    // pName gives the file name of a frame.
    explicit TZVPngOutput(std::function<std::string(long)> pName);

    bool Begin(const TMediaFormat& pFormat, std::string& pError) override;
    bool AddFrame(long pFrame, const TBitmap* pPicture, const int16_t* pSound, int pCount,
                  std::string& pError) override;
    bool Finish(std::string& pError) override;

private:
    std::function<std::string(long)> aName;
    int aWidth = 0;
    int aHeight = 0;
};
