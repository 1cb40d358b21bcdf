// Test doubles of the render pipeline: a configurable IZVRenderContext that logs the source
// contexts and shown flags asked of it, and minimal video and audio streams.
#pragma once

#include "DLL/Bas/BufferAllocator.h"
#include "DLL/Bas/RenderContext.h"
#include "DLL/Bas/StreamBase.h"

#include <wx/string.h>

#include <algorithm>

class TFakeRenderContext : public IZVRenderContext {
public:
    int GetSourceCount() const override { return aSourceCount; }
    int GetParamCount() const override { return 0; }
    int GetWidth() const override { return 0; }
    int GetHeight() const override { return 0; }
    bool IsSourceShown(int pIndex) const override {
        aLog << "shown " << pIndex << "; ";
        return aShown;
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
        aLog << wxString::Format("source %d %d %d %g; ", pIndex, pPhase, pStereo, pSampleCount);
        return aSource;
    }

    int aSourceCount = 0;
    uint32_t aStamp = 1;
    bool aShown = true;                        // every source
    IZVRenderStream* aStream = nullptr;        // this context's stream
    const IZVRenderContext* aSource = nullptr; // every source's context
    mutable wxString aLog;                     // what was asked, in order
};

// A video stream whose fields the test sets.
class TFakeVideoStream : public TZVVideoFilterStream {
public:
    int32_t SetRenderContext(const IZVRenderContext*) override { return 0; }
    void Update(const IZVRenderContext*) override {}

    // A frame of pWidth x pHeight pixels, all pPixel, at pOffset.
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
