// TZVWaveform: the 4-bit peak summary of a medium's sound, 250 levels a second (one per 4 ms),
// built once from the sibling library's sound reader; and TZVWaveformFactory, through which
// the sibling library makes and frees one summary per medium.
#pragma once

#include "REDarodo/WaveformFactory.h"

#include <cstdint>

class wxBitmap;
class wxColour;
class wxImage;

// A level byte: one channel in the low nibble; with two channels the second in the high one.
class TZVWaveform {
public:
    // Reads pMedia's sound through a TZVAudioStream and builds the summary. Throws
    // std::bad_alloc for sound longer than 2^31 ms or when memory runs out; what the reader
    // throws passes on.
    explicit TZVWaveform(TZVMedia* pMedia);

    // Draws the whole medium into pBitmap: pWidth columns, 31 rows with two channels (the
    // second channel hangs from the middle row, the first rises from it), else 15 (the bar
    // rises from the bottom). Red and blue come out exchanged, as the system's bitmaps
    // store them.
    void FillPreviewImage(wxBitmap& pBitmap, int pWidth, const wxColour& pWave,
                          const wxColour& pBack, const wxColour& pMiddle) const;
    // The image FillPreviewImage copies into its bitmap.
    wxImage MakePreviewImage(int pWidth, const wxColour& pWave, const wxColour& pBack,
                             const wxColour& pMiddle) const;
    // The peak level byte of the medium stretch [pBegin, pEnd) in ms, both clamped to the
    // sound: levels pBegin / 4 on, (pEnd - pBegin) / 4 of them; 0 when there are none.
    uint8_t GetIntervalLevel(int64_t pBegin, int64_t pEnd) const;
    // The peak of pCount levels from level pFirst, nibble by nibble; levels outside the
    // summary count as 0.
    uint8_t GetMaxLevel(int64_t pFirst, int64_t pCount) const;
    // Levels the array holds: with one channel, two a byte (so one more when L is odd).
    int64_t GetLevelCount() const;
    bool IsStereo() const { return aChannels > 1; }

    // The level of a peak magnitude 0 to 256.
    static uint8_t CodeLevel(int pMagnitude);

    uint8_t* aLevelBegin;
    uint8_t* aLevelEnd;
    TZVMedia* aMedia;
    int aChannels;
    int aBitsPerSample;
    int aSampleRate;
    int64_t aLengthMs;
    int64_t aStreamCount;

private:
    class TBuilder;
};

// Column pColumn's share of pLevels levels spread over pColumns columns: [first, end) from the
// start of the stretch. With at least as many levels as columns each level lands on one
// column; with fewer, each column takes the levels that fall on it.
struct TLevelShare {
    int64_t aFirst;
    int64_t aEnd;
};
TLevelShare ShareLevels(int64_t pLevels, int64_t pColumns, int64_t pColumn);

class TZVWaveformFactory : public IZVWaveformFactory {
public:
    // A new summary of pMedia; when the build throws, nothing is left allocated.
    TZVWaveform* Create(TZVMedia* pMedia) override;
    // Frees the level array and the summary; null is accepted.
    void Destroy(TZVWaveform* pWaveform) override;
};
