// TSwsToBgra: converts the pictures the direct converter leaves to BGRA through libswscale's
// exact path (bicubic, bit-exact, accurate rounding, full chroma interpolation) with the
// colours TYuvColours names, saturated. That path's arithmetic wraps a colour beyond 511
// levels to 0, which only samples beyond the legal range reach (luma above white with chroma
// at its ends, or chroma that the bicubic filter carries past them), and in scaled pictures of
// the most extreme content one below -511 to 255. Such channels are mended; every other pixel
// stays as libswscale gives it, bit for bit. While libswscale converts, the picture's samples
// say in which blocks a colour could wrap (their chroma, and the luma the pixels there would
// need); the rows where such a block then holds a channel at 0 (or 255) are converted again
// at half the contrast, whose arithmetic has room for every colour, and tell which are
// wrapped. What libswscale logs goes to the medium's log.
#pragma once

#include "FFmpeg.h"
#include "REDarodo/Bitmap.h"
#include "YuvColours.h"

#include <array>
#include <memory>
#include <vector>

// The lumas with which a picture's blue, green and red (memory order) could wrap in
// libswscale's arithmetic: from aAbove on past 511 levels (none when beyond every sample), up
// to aBelow below -511 (none when -1).
struct TSwsWraps {
    std::array<int, 3> aAbove, aBelow;

    // Whether lumas between pLeast and pMost could wrap a channel.
    bool Reach(int pLeast, int pMost) const;
};

class TSwsToBgra {
public:
    // pLog: the medium's, which must outlive the converter.
    explicit TSwsToBgra(TMediaLog& pLog) : aLog(pLog) {}

    // Prepares the conversion of pictures of pFrame's format and size to pWidth x pHeight
    // with pColours, on pThreads threads; false when libswscale cannot (threads that do not
    // start included).
    bool Prepare(const AVFrame& pFrame, int pWidth, int pHeight, const TYuvColours& pColours,
                 int pThreads);
    // Forgets the conversion prepared.
    void Reset();
    // Whether a conversion is prepared.
    bool IsPrepared() const { return bool(aScale); }
    // Converts pFrame, of the prepared format and size, into pTarget, of the prepared size;
    // false when it fails.
    bool Convert(const AVFrame& pFrame, TAllocBitmap& pTarget);

private:
    // Makes pScale, with its log pLog, do the prepared conversion at pContrast (in 1/65536)
    // on pThreads threads; false when libswscale cannot.
    bool Make(TScalePtr& pScale, std::unique_ptr<TMediaLogContext>& pLog, int pContrast,
              int pThreads);
    // Lists in aCandidates the blocks of pSource's conversion where a colour could wrap, as
    // its samples say; it reads nothing else, while libswscale converts.
    void FindCandidates(const AVFrame& pSource);
    // Marks in aRows the rows of pTarget, the conversion of pSource, that hold a channel a
    // candidate could have wrapped, at 0 or 255; false when there is none.
    bool MarkRows(const AVFrame& pSource, const uint8_t* pTarget, ptrdiff_t pRowBytes);
    // Saturates the wrapped channels of the rows marked in aRows; false when it fails.
    bool MendWraps(const AVFrame& pSource, uint8_t* pTarget, ptrdiff_t pRowBytes);

    TMediaLog& aLog;
    TScalePtr aScale;
    // aScale's messages go to aLog; gone before aScale.
    std::unique_ptr<TMediaLogContext> aScaleLog;
    // The same conversion at half the contrast, made when a picture first needs it, and the
    // picture it converts to.
    TScalePtr aHalf;
    std::unique_ptr<TMediaLogContext> aHalfLog;
    TFramePtr aHalfTarget;
    // The conversion prepared: the pictures' format and size, the target's size, colours and
    // threads; whether its colours can wrap (YUV pictures), and whether it takes their range
    // (YUV and grey pictures).
    int aFormat = -1, aWidth = 0, aHeight = 0, aToWidth = 0, aToHeight = 0, aThreads = 1;
    TYuvColours aColours;
    bool aYuv = false;
    bool aRanged = false;
    // A block of pixels where a colour could wrap, and with which lumas.
    struct TCandidate {
        int aX, aY, aWidth, aHeight;
        TSwsWraps aWraps;
    };
    std::vector<TCandidate> aCandidates;
    // The target's rows that MarkRows marks.
    std::vector<char> aRows;
};
