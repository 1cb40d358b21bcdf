// Stand-ins for what the waveform cache meets: an audio media row, a "Seconds" formula
// (seconds = time x factor / 1000), the host's render contexts and chunk notification, and
// in-memory media built from sample values. Header only, so that benchmarks and fuzz targets
// can use them too.
#pragma once

#include "ALL/Range.h"
#include "ALL/Variant.h"
#include "DLL/Bas/Formula.h"
#include "DLL/Ctl/WaveformBitmap.h"
#include "DLL/Row/MediaSourceRow.h"
#include "REDarodo/Media.h"
#include "support/FakeRenderContext.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

// The format block of PCM with pChannels channels of pBits bits at pRate frames a second.
inline TZVWaveFormatEx PcmFormat(int pChannels, int pBits, uint32_t pRate) {
    TZVWaveFormatEx format = {};
    format.aFormatTag = 1;
    format.aChannels = uint16_t(pChannels);
    format.aSamplesPerSec = pRate;
    format.aBitsPerSample = uint16_t(pBits);
    format.aBlockAlign = uint16_t(pChannels * (pBits > 8 ? 2 : 1));
    format.aAvgBytesPerSec = pRate * format.aBlockAlign;
    return format;
}

// An in-memory sound of 16-bit samples (interleaved), lasting pSeconds.
inline std::shared_ptr<TZVMemorySound>
Sound16(int pChannels, uint32_t pRate, const std::vector<int16_t>& pSamples, double pSeconds) {
    auto sound = std::make_shared<TZVMemorySound>();
    sound->aFormat = PcmFormat(pChannels, 16, pRate);
    sound->aDuration = pSeconds;
    sound->aData.resize(pSamples.size() * 2);
    if (!pSamples.empty())
        std::memcpy(sound->aData.data(), pSamples.data(), sound->aData.size());
    return sound;
}

// A medium at 250 frames a second, one frame a level: each sample value (mono) or pair
// (stereo) becomes one level, and the medium lasts as long as its frames.
inline std::unique_ptr<TZVMedia> LevelMedium(int pChannels, const std::vector<int16_t>& pSamples) {
    const double seconds = double(pSamples.size() / size_t(pChannels)) / 250.0;
    return std::unique_ptr<TZVMedia>(
        TZVMedia::OpenMemory(Sound16(pChannels, 250, pSamples, seconds)));
}

// A 16-bit sample whose magnitude codes to pLevel (0 to 15).
inline int16_t SampleOfLevel(int pLevel) {
    static const int theMagnitudes[16] = {0,  1,  2,  3,  5,  7,  9,   13,
                                          17, 25, 33, 49, 65, 97, 129, 193};
    return int16_t(theMagnitudes[pLevel] * 128 - 64);
}

// The medium time in seconds at timeline time t: t x aFactor / 1000, or the values a test
// sets by time.
class TSecondsFormula : public IFormula {
public:
    explicit TSecondsFormula(double pFactor = 1.0) : aFactor(pFactor) {}

    TVariant ComputePointAt(double pTime) const override {
        if (aUndefined)
            return TVariant();
        return TVariant(pTime * aFactor / 1000.0);
    }
    bool IsFlatFormula(long) const override { return false; }

    double aFactor;
    bool aUndefined = false;
};

// One row's render context: hands out the row's formula table.
class TWaveRenderContext final : public TFakeRenderContext {
public:
    IFormula* const* GetParams(int, int) const override { return aParams; }

    IFormula* aParams[1] = {nullptr};
};

// The host's render contexts, indexed by render key; absent keys give null.
class TFakeContextSet : public IZVRenderContextSet {
public:
    const IZVRenderContext* GetContext(int pIndex) const override {
        return pIndex >= 0 && size_t(pIndex) < aContexts.size() ? aContexts[size_t(pIndex)].get()
                                                                : nullptr;
    }
    // A context for render key pIndex reading pFormula.
    void Set(int pIndex, IFormula* pFormula) {
        if (aContexts.size() <= size_t(pIndex))
            aContexts.resize(size_t(pIndex) + 1);
        aContexts[size_t(pIndex)] = std::make_unique<TWaveRenderContext>();
        aContexts[size_t(pIndex)]->aParams[0] = pFormula;
    }

    std::vector<std::unique_ptr<TWaveRenderContext>> aContexts;
};

// Logs "ready(<chunk>) " for every chunk told complete.
class TChunkLog : public TZVWaveformBitmap::INotify {
public:
    void OnChunkReady(int pChunk) override { aLog += "ready(" + std::to_string(pChunk) + ") "; }

    std::string aLog;
};

// An audio media row shown at (top, height) with the given medium and render key, attached to
// no library entry.
class TFakeAudioRow : public TZVAudioMediaSourceRow {
public:
    explicit TFakeAudioRow(TZVMedia* pMedia = nullptr, int pRenderKey = 0, int pTop = 0,
                           int pHeight = 24) {
        CompleteCreate();
        aMedia = pMedia;
        aRenderKey = pRenderKey;
        aTop = pTop;
        aHeight = pHeight;
        aIsShown = true;
    }
};
