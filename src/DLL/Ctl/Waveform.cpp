#include "DLL/Ctl/Waveform.h"

#include "REDarodo/AudioStream.h"
#include "REDarodo/Media.h"

#include <wx/bitmap.h>
#include <wx/image.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace {

// The reader fills one 64 KiB block at a time, whatever the format.
constexpr int64_t READ_BYTES = 65536;
// Longer sound would need a level array beyond what a summary may take.
constexpr double MAX_LENGTH_MS = 2147483648.0;

struct TFreeLevels {
    void operator()(uint8_t* pLevels) const { std::free(pLevels); }
};

// nint(1000 x seconds); nothing for a negative or undefined length.
int64_t LengthMs(double pSeconds) {
    const double ms = std::nearbyint(1000.0 * pSeconds);
    if (!(ms > 0.0))
        return 0;
    if (ms > MAX_LENGTH_MS)
        throw std::bad_alloc();
    return int64_t(ms);
}

// The larger low nibble and the larger high nibble of [pBegin, pEnd).
uint8_t MaxNibbles(const uint8_t* pBegin, const uint8_t* pEnd) {
    uint8_t low = 0;
    uint8_t high = 0;
    for (const uint8_t* byte = pBegin; byte != pEnd; ++byte) {
        low = std::max<uint8_t>(low, *byte & 0x0F);
        high = std::max<uint8_t>(high, *byte & 0xF0);
    }
    return uint8_t(low | high);
}

int64_t CeilDiv(__int128 pValue, int64_t pDivisor) {
    return int64_t((pValue + pDivisor - 1) / pDivisor);
}

// The system's bitmaps keep blue in the lowest byte where the packed colour has red: the
// image shows the colour with red and blue exchanged.
wxColour Exchanged(const wxColour& pColour) {
    return wxColour(pColour.Blue(), pColour.Green(), pColour.Red());
}

} // namespace

// The state of one build: the step counter, the running extremes of each channel and the
// write position. A step's peak magnitude is that of its largest or smallest sample (the
// magnitude grows with the distance from silence), so the frames of a step are scanned for
// extremes alone.
class TZVWaveform::TBuilder {
public:
    TBuilder(TZVWaveform& pWave, uint8_t* pLevels, int64_t pSteps, int64_t pRate, bool pWide)
        : aWave(pWave), aLevels(pLevels), aSteps(pSteps), aRate(pRate), aWide(pWide) {
        ClearExtremes();
    }

    bool IsFull() const { return aStep >= aSteps; }

    // Feeds pFrames frames of samples of type T, pStride samples a frame; the first two
    // samples are the channels.
    template <bool STEREO, int STRIDE, typename T>
    void Feed(const T* pData, int pFrames, int pStride) {
        const int stride = STRIDE ? STRIDE : pStride;
        while (pFrames > 0 && !IsFull()) {
            // The frames up to the one that ends the step.
            const int64_t toEnd = aCounter + 250 >= aRate ? 1 : (aRate - aCounter + 249) / 250;
            const int run = int(std::min<int64_t>(toEnd, pFrames));
            Scan<STEREO>(pData, run, stride);
            pData += int64_t(run) * stride;
            pFrames -= run;
            aCounter += 250 * int64_t(run);
            if (aCounter >= aRate) {
                aCounter -= aRate;
                EndStep();
            }
        }
    }

    // Stores the peaks as the next step and starts a new one.
    void EndStep() {
        const uint8_t level = CodeLevel(Peak(aLow[0], aHigh[0]));
        if (aWave.IsStereo())
            aLevels[aStep] = uint8_t(CodeLevel(Peak(aLow[1], aHigh[1])) << 4 | level);
        else
            aLevels[aStep >> 1] |= uint8_t(aStep & 1 ? level << 4 : level);
        ++aStep;
        ClearExtremes();
    }

private:
    template <bool STEREO, typename T>
    void Scan(const T* pData, int pFrames, int pStride) {
        int low0 = aLow[0], high0 = aHigh[0], low1 = aLow[1], high1 = aHigh[1];
        for (int frame = 0; frame < pFrames; ++frame, pData += pStride) {
            low0 = std::min<int>(low0, pData[0]);
            high0 = std::max<int>(high0, pData[0]);
            if (STEREO) {
                low1 = std::min<int>(low1, pData[1]);
                high1 = std::max<int>(high1, pData[1]);
            }
        }
        aLow[0] = low0, aHigh[0] = high0, aLow[1] = low1, aHigh[1] = high1;
    }

    // Silence: 0 for 16-bit samples, 128 for 8-bit ones.
    void ClearExtremes() { aLow[0] = aHigh[0] = aLow[1] = aHigh[1] = aWide ? 0 : 128; }

    int Magnitude(int pSample) const {
        return aWide ? std::abs((pSample + 64) >> 7) : std::abs(2 * pSample - 256);
    }

    int Peak(int pLow, int pHigh) const { return std::max(Magnitude(pLow), Magnitude(pHigh)); }

    TZVWaveform& aWave;
    uint8_t* aLevels;
    int64_t aSteps;
    int64_t aRate;
    bool aWide;
    int64_t aStep = 0;
    int64_t aCounter = 0;
    int aLow[2];
    int aHigh[2];
};

TZVWaveform::TZVWaveform(TZVMedia* pMedia)
    : aLevelBegin(nullptr), aLevelEnd(nullptr), aMedia(pMedia), aChannels(0), aBitsPerSample(0),
      aSampleRate(0), aLengthMs(0), aStreamCount(0) {
    TZVAudioStream stream(pMedia);
    const TZVWaveFormatEx& format = stream.GetFormat();
    aChannels = format.aChannels;
    aSampleRate = int(std::min<uint32_t>(format.aSamplesPerSec, INT_MAX));
    aBitsPerSample = format.aBitsPerSample;
    aStreamCount = stream.GetSampleCount();
    aLengthMs = LengthMs(stream.GetDuration());

    const int64_t levels = (aLengthMs + 3) >> 2;
    const int64_t bytes = IsStereo() ? levels : (levels + 1) >> 1;
    std::unique_ptr<uint8_t, TFreeLevels> array(
        static_cast<uint8_t*>(std::calloc(size_t(std::max<int64_t>(bytes, 1)), 1)));
    if (!array)
        throw std::bad_alloc();
    const bool wide = aBitsPerSample > 8;
    const int64_t frameBytes = int64_t(aChannels) * (wide ? 2 : 1);
    const int frames = frameBytes ? int(READ_BYTES / frameBytes) : 0;
    // Zeroed: a reader that answers more than it wrote leaves silence, not stale memory.
    std::unique_ptr<int16_t[]> buffer(new int16_t[READ_BYTES / 2]());
    const uint8_t* bytesRead = reinterpret_cast<const uint8_t*>(buffer.get());

    TBuilder builder(*this, array.get(), IsStereo() ? bytes : 2 * bytes, format.aSamplesPerSec,
                     wide);
    while (frames > 0 && !builder.IsFull()) {
        const int read = std::min(stream.Read(buffer.get(), frames), frames);
        if (read <= 0)
            break;
        if (wide && aChannels == 2)
            builder.Feed<true, 2>(buffer.get(), read, 2);
        else if (wide && aChannels == 1)
            builder.Feed<false, 1>(buffer.get(), read, 1);
        else if (wide)
            builder.Feed<true, 0>(buffer.get(), read, aChannels);
        else if (aChannels == 1)
            builder.Feed<false, 1>(bytesRead, read, 1);
        else
            builder.Feed<true, 0>(bytesRead, read, aChannels);
    }
    if (!builder.IsFull())
        builder.EndStep();
    aLevelBegin = array.release();
    aLevelEnd = aLevelBegin + bytes;
}

uint8_t TZVWaveform::CodeLevel(int pMagnitude) {
    if (pMagnitude < 4)
        return uint8_t(pMagnitude);
    int w = pMagnitude - 1;
    int h = 0;
    while (w > 3) {
        w >>= 1;
        ++h;
    }
    return uint8_t(2 * h + w);
}

int64_t TZVWaveform::GetLevelCount() const {
    const int64_t bytes = aLevelEnd - aLevelBegin;
    return IsStereo() ? bytes : 2 * bytes;
}

uint8_t TZVWaveform::GetIntervalLevel(int64_t pBegin, int64_t pEnd) const {
    const int64_t begin = std::clamp<int64_t>(pBegin, 0, aLengthMs);
    const int64_t end = std::clamp<int64_t>(pEnd, 0, aLengthMs);
    return GetMaxLevel(begin >> 2, (end - begin) >> 2);
}

uint8_t TZVWaveform::GetMaxLevel(int64_t pFirst, int64_t pCount) const {
    const int64_t begin = std::max<int64_t>(pFirst, 0);
    const int64_t end = pCount > 0 ? std::min(pFirst + pCount, GetLevelCount()) : 0;
    if (begin >= end)
        return 0;
    if (IsStereo())
        return MaxNibbles(aLevelBegin + begin, aLevelBegin + end);
    // One channel: the odd first level, the whole bytes, then the even last level.
    uint8_t level = 0;
    int64_t next = begin;
    if (next & 1)
        level = aLevelBegin[next++ >> 1] >> 4;
    const int64_t whole = end & ~int64_t(1);
    if (next < whole) {
        const uint8_t both = MaxNibbles(aLevelBegin + (next >> 1), aLevelBegin + (whole >> 1));
        level = std::max({level, uint8_t(both & 0x0F), uint8_t(both >> 4)});
    }
    if ((end & 1) && end - 1 >= next)
        level = std::max<uint8_t>(level, aLevelBegin[end >> 1] & 0x0F);
    return level;
}

TLevelShare ShareLevels(int64_t pLevels, int64_t pColumns, int64_t pColumn) {
    if (pLevels <= 0 || pColumns <= 0)
        return {0, 0};
    const __int128 begin = __int128(pColumn) * pLevels;
    const int64_t end = CeilDiv(begin + pLevels, pColumns);
    if (pLevels >= pColumns)
        return {CeilDiv(begin, pColumns), end};
    return {int64_t(begin / pColumns), end};
}

wxImage TZVWaveform::MakePreviewImage(int pWidth, const wxColour& pWave, const wxColour& pBack,
                                      const wxColour& pMiddle) const {
    const int height = IsStereo() ? 31 : 15;
    if (pWidth < 1)
        return wxImage();
    wxImage image(pWidth, height, false);
    const double exact = aMedia ? std::nearbyint(250.0 * aMedia->GetDuration()) : 0.0;
    const int64_t levels = exact > 0.0 ? int64_t(std::min(exact, 0x1p62)) : 0;
    const wxColour wave = Exchanged(pWave);
    const wxColour back = Exchanged(pBack);
    const wxColour middle = Exchanged(pMiddle);
    // Row r counts from the bottom: image row height - 1 - r.
    auto paint = [&](int pX, int pFirstRow, int pEndRow, const wxColour& pColour) {
        for (int row = pFirstRow; row < pEndRow; ++row)
            image.SetRGB(pX, height - 1 - row, pColour.Red(), pColour.Green(), pColour.Blue());
    };
    for (int x = 0; x < pWidth; ++x) {
        const TLevelShare share = ShareLevels(levels, pWidth, x);
        const uint8_t level = GetMaxLevel(share.aFirst, share.aEnd - share.aFirst);
        const int low = level & 0x0F;
        if (!IsStereo()) {
            paint(x, 0, low, wave);
            paint(x, low, 15, back);
            continue;
        }
        const int high = level >> 4;
        paint(x, 0, 15 - high, back);
        paint(x, 15 - high, 15, wave);
        paint(x, 15, 16, middle);
        paint(x, 16, 16 + low, wave);
        paint(x, 16 + low, 31, back);
    }
    return image;
}

void TZVWaveform::FillPreviewImage(wxBitmap& pBitmap, int pWidth, const wxColour& pWave,
                                   const wxColour& pBack, const wxColour& pMiddle) const {
    const wxImage image = MakePreviewImage(pWidth, pWave, pBack, pMiddle);
    pBitmap = image.IsOk() ? wxBitmap(image, 32) : wxBitmap();
}

TZVWaveform* TZVWaveformFactory::Create(TZVMedia* pMedia) {
    // A throwing constructor has freed its arrays; the new expression frees the object.
    return new TZVWaveform(pMedia);
}

void TZVWaveformFactory::Destroy(TZVWaveform* pWaveform) {
    if (!pWaveform)
        return;
    std::free(pWaveform->aLevelBegin);
    delete pWaveform;
}
