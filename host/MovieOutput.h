// TZVMovieOutput: picture and sound as an MP4 file (H.264 and AAC), encoded through
// FFmpeg's libraries. A frame size that H.264 cannot take (odd: in 4:2:0 it crops only whole
// pairs of pixels away) is padded with black, and a note says so. NTSC rates are written as
// players know them (30000/1001, not 2997/100). The file must be able to seek: a FIFO or a
// terminal is refused. The stream's tags say its colours: the matrix TZVYuvPicture converts
// with, the limited range, BT.709's primaries and transfer.
#pragma once

#include "Output.h"

#include <iostream>
#include <memory>

class TZVFileIo;
class TZVPartFile;

class TZVMovieOutput : public IZVOutput {
public:
    // pThreads: the encoders' own threads, 0 for as many as the machine has (fewer where no
    // more can start); 1 also keeps x264 to its plain code, which gives the same bytes at
    // every run. Notes (the padding of an odd size) go to pNotes.
    explicit TZVMovieOutput(const std::string& pPath, int pThreads = 0,
                            std::ostream& pNotes = std::cerr);
    // An unfinished file is removed.
    ~TZVMovieOutput() override;

    bool Begin(const TMediaFormat& pFormat, std::string& pError) override;
    // Converts the picture to the encoder's format; frames may be prepared side by side.
    void Prepare(long pFrame, const TBitmap* pPicture) override;
    bool AddFrame(long pFrame, const TBitmap* pPicture, const int16_t* pSound, int pCount,
                  std::string& pError) override;
    bool Finish(std::string& pError) override;

    // Whether the encoders take pictures of pWidth x pHeight (padded to even sizes); false
    // with pError giving their limit otherwise.
    static bool CheckEncoderSize(int pWidth, int pHeight, std::string& pError);

private:
    struct TState;
    // True when pResult (FFmpeg's code) is no failure and the file is open; else false with
    // pError naming the file and the reason.
    bool Check(int pResult, std::string& pError);

    const std::string aPath;
    const int aThreads;
    std::ostream& aNotes;
    std::unique_ptr<TZVPartFile> aFile;
    std::unique_ptr<TZVFileIo> aIo;
    std::unique_ptr<TState> aState;
};
