// IZVOutput: one file (or file series) that the rendered frames go into. A file appears
// under its name only once it is complete: it is written beside it first and renamed
// (TZVPartFile). Every failure names the file and the reason.
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
    virtual bool AddFrame(long pFrame, const TBitmap* pPicture, const int16_t* pSound, int pCount,
                          std::string& pError) = 0;
    // Completes the output and gives it its name; false with pError set on failure.
    virtual bool Finish(std::string& pError) = 0;
    // Work on frame pFrame that may run before AddFrame takes it, on any thread, frames side
    // by side and in any order (a conversion); AddFrame does it when it was not done. None by
    // default.
    virtual void Prepare(long pFrame, const TBitmap* pPicture);

    // FFmpeg's text for its error code pCode.
    static std::string FFmpegReason(int pCode);
    // Whether pictures of pWidth x pHeight fit in memory as the outputs copy them (4 bytes
    // a pixel, at most 2 GiB); false with pError saying so otherwise.
    static bool CheckPictureSize(int pWidth, int pHeight, std::string& pError);
    // Row pY of pPicture's premultiplied colours as they are (the picture over black), as
    // pWidth pixels of 3 (R, G, B) or 4 (B, G, R, unused) bytes into pTarget; what the
    // picture does not cover is black.
    static void CopyPictureRow(const TBitmap* pPicture, int pWidth, int pY, bool pRgb,
                               uint8_t* pTarget);
};
