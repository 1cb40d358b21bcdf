// TZVGainFilterStream: the sound of the "Gain" filter: its input (source 0) under the gain
// in decibels, clamped to 16 bits.
#pragma once

#include "DLL/Bas/BufferAllocator.h"

class TZVGainFilterStream : public TZVAudioBufferStream {
public:
    TZVGainFilterStream();
    ~TZVGainFilterStream() override;

    // 2 (silent) without an input sound; else 0.
    int32_t SetRenderContext(const IZVRenderContext* pContext) override;
    // GetSampleCount frames of the input times the gain; what the input lacks is silence.
    void Update(const IZVRenderContext* pContext) override;

private:
    double aGain;
};
