// TZVSimpleAudioMixerStream: the render stream of the audio mixer row. It sums its sources'
// samples under the gain "Master Amplif (db)", taken once per block of 32 frames (once per
// frame when the gain is flat), and clamps the result to 16 bits.
#pragma once

#include "DLL/Bas/BufferAllocator.h"

#include <vector>

class IFormula;
class TTypeDef;

class TZVSimpleAudioMixerStream : public TZVAudioBufferStream {
public:
    TZVSimpleAudioMixerStream();
    ~TZVSimpleAudioMixerStream() override;

    // 2 (silent) when the gain is undefined, flat below -90 dB, or no source has an audio
    // stream; 0 otherwise. Counts the sources with an audio stream for Update.
    int32_t SetRenderContext(const IZVRenderContext* pContext) override;
    // Mixes GetSampleCount frames of the counted sources; a source without samples is
    // silence.
    void Update(const IZVRenderContext* pContext) override;

    // The linear gain of pFormula at pTime: its level in dB (undefined as 0 dB) as a factor.
    static float GainAt(const IFormula* pFormula, double pTime);
    // The type of the gain parameter: real, default 0 dB, range -100 to 50 dB not enforced.
    static const TTypeDef& GainType();

private:
    // One source's samples for the current Update: aLength values at aData.
    struct TSourceData {
        const int16_t* aData;
        int64_t aLength;
    };

    // Fills the gain table's aBlockCount entries from pFormula, from pFrame on.
    void FillGains(const IFormula* pFormula, long pFrame);
    // Takes the samples of the counted sources, in source order, each limited to pValues
    // values and to what its buffer holds; a source without samples is left out (silence).
    void CollectSources(const IZVRenderContext& pContext, int64_t pValues);
    // Mixes pValues values (pPerBlock to a block) into the buffer.
    void Mix(int64_t pValues, int pPerBlock);

    int aSourceCount; // sources with an audio stream
    // One linear gain per block of 32 frames; only grows.
    std::vector<float> aGainTab;
    int aSampleCount; // frames produced by the last Update
    unsigned aBlockCount;
    double aGainStep; // one block as a fraction of the frame
    // The counted sources' samples for the current Update; only grows.
    std::vector<TSourceData> aSources;
    // The sums of the frame's values: in 32 bits for a batch of sources, in all.
    std::vector<int32_t> aSums;
    std::vector<double> aTotals;
};
