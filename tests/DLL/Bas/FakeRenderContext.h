// Test doubles of the render pipeline: a configurable IZVRenderContext that records the
// source contexts and shown flags asked of it, and minimal video and audio streams.
#pragma once

#include "DLL/Bas/BufferAllocator.h"
#include "DLL/Bas/RenderContext.h"
#include "DLL/Bas/StreamBase.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

class TFakeRenderContext : public IZVRenderContext {
public:
    struct TSourceCall {
        int aIndex, aPhase, aStereo;
        double aSampleCount;
        bool operator==(const TSourceCall& pOther) const {
            return aIndex == pOther.aIndex && aPhase == pOther.aPhase &&
                   aStereo == pOther.aStereo && aSampleCount == pOther.aSampleCount;
        }
    };

    int GetSourceCount() const override { return aSourceCount; }
    int GetParamCount() const override { return 0; }
    int GetWidth() const override { return 0; }
    int GetHeight() const override { return 0; }
    bool IsSourceShown(int pIndex) const override {
        aShownAsked.push_back(pIndex);
        return aHidden.count(pIndex) == 0;
    }
    int IsStereo() const override { return 0; }
    double GetFrameSampleCount() const override { return 0.0; }
    int GetSampleCount() const override { return 0; }
    uint32_t GetStamp() const override { return aStamp; }
    IFormula* const* GetParams(int, int) const override { return nullptr; }
    IZVRenderStream* GetStream() const override { return aStream; }
    long GetFrame(int) const override { return 0; }
    const IZVRenderContext* GetSourceContext(int pIndex, int pPhase, int pStereo,
                                             double pSampleCount) const override {
        aSourceCalls.push_back({pIndex, pPhase, pStereo, pSampleCount});
        const auto source = aSources.find(pIndex);
        return source == aSources.end() ? nullptr : source->second;
    }

    int aSourceCount = 0;
    uint32_t aStamp = 1;
    IZVRenderStream* aStream = nullptr;              // this context's stream
    std::map<int, const IZVRenderContext*> aSources; // absent: no context
    std::set<int> aHidden;                           // sources not shown
    mutable std::vector<TSourceCall> aSourceCalls;   // GetSourceContext, in order
    mutable std::vector<int> aShownAsked;            // IsSourceShown, in order
};

// A video stream whose fields the test sets.
class TFakeVideoStream : public TZVVideoFilterStream {
public:
    int32_t SetRenderContext(const IZVRenderContext*) override { return 0; }
    void Update(const IZVRenderContext*) override {}

    // A frame of pWidth x pHeight pixels, all pPixel (bytes B, G, R, A), at pOffset.
    void SetFrame(int pWidth, int pHeight, uint32_t pPixel, wxPoint pOffset = wxPoint(0, 0)) {
        aBitmap.Resize(pWidth, pHeight);
        aBitmap.Allocate();
        std::fill_n(static_cast<uint32_t*>(aBitmap.GetRawData()), pWidth * pHeight, pPixel);
        aSize = wxPoint(pWidth, pHeight);
        aOffset = pOffset;
    }

    using TZVVideoFilterStream::aBitmap;
    using TZVVideoFilterStream::aChangeStamp;
    using TZVVideoFilterStream::aHasMask;
    using TZVVideoFilterStream::aNoAlpha;
};

class TFakeAudioStream : public TZVAudioBufferStream {
public:
    int32_t SetRenderContext(const IZVRenderContext*) override { return 0; }
    void Update(const IZVRenderContext*) override {}

    using TZVAudioBufferStream::aBuffer;
    using TZVAudioBufferStream::aBufferSize;
};
