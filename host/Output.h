// IZVOutput: one file (or file series) that the rendered frames go into. A file appears
// under its name only once it is complete: it is written beside it first and renamed.
#pragma once

#include <cstdint>
#include <string>

class TBitmap;
class TMediaFormat;

class IZVOutput {
public:
    virtual ~IZVOutput() = default;

    // Prepares the output for frames of pFormat; false with pError set on failure.
    virtual bool Begin(const TMediaFormat& pFormat, std::string& pError) = 0;
    // Adds frame pFrame: its picture (null: black) and pCount sound frames of interleaved
    // values (null: silence). False with pError set on failure.
    virtual bool AddFrame(long pFrame, const TBitmap* pPicture, const int16_t* pSound,
                          int pCount, std::string& pError) = 0;
    // Completes the output and gives it its name; false with pError set on failure.
    virtual bool Finish(std::string& pError) = 0;

    // The name a file is written under until it is complete.
    static std::string PartName(const std::string& pPath) { return pPath + ".part"; }
    // Renames the complete file pPath.part to pPath; false with pError set on failure.
    static bool Publish(const std::string& pPath, std::string& pError);
    // pPicture's premultiplied colours as they are (the picture over black), as pWidth x
    // pHeight pixels of 3 (R, G, B) or 4 (B, G, R, unused) bytes, rows of pStride bytes;
    // what the picture does not cover stays black.
    static void CopyPicture(const TBitmap* pPicture, int pWidth, int pHeight, bool pRgb,
                            uint8_t* pTarget, long pStride);
};
