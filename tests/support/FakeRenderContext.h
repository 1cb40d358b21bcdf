// Test doubles of the render pipeline: a configurable IZVRenderContext that logs the source
// contexts and shown flags asked of it, a value source of parameters, and minimal video and
// audio streams.
#pragma once

#include "DLL/Bas/BufferAllocator.h"
#include "DLL/Bas/Formula.h"
#include "DLL/Bas/RenderContext.h"
#include "DLL/Bas/StreamBase.h"

#include <wx/string.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <vector>

class TFakeRenderContext : public IZVRenderContext {
public:
    // Virtual: the sub-contexts are deleted through this class, and tests derive from it.
    virtual ~TFakeRenderContext() = default;

    int GetSourceCount() const override { return aSourceCount; }
    int GetParamCount() const override { return aParamCount; }
    int GetWidth() const override { return aWidth; }
    int GetHeight() const override { return aHeight; }
    bool IsSourceShown(int pIndex) const override {
        if (!aQuiet)
            aLog << wxString::Format("shown %d; ", pIndex);
        return aShown && aHidden.count(pIndex) == 0;
    }
    int IsStereo() const override { return aStereo; }
    double GetFrameSampleCount() const override { return aFrameSampleCount; }
    int GetSampleCount() const override { return aSampleCount; }
    uint32_t GetStamp() const override { return aStamp; }
    IFormula* const* GetParams(int, int) const override {
        return aFormulas.empty() ? nullptr : aFormulas.data();
    }
    IZVRenderStream* GetStream() const override { return aStream; }
    long GetFrame(int) const override { return aFrame; }
    const IZVRenderContext* GetSourceContext(int pIndex, int pPhase, int pStereo,
                                             double pSampleCount) const override {
        if (!aQuiet)
            aLog << wxString::Format("source %d %d %d %g; ", pIndex, pPhase, pStereo, pSampleCount);
        if (pIndex >= 0 && size_t(pIndex) < aSubs.size())
            return aSubs[pIndex].get();
        return aSource;
    }

    // Adds a source holding pStream (may be null) in a sub-context of its own.
    TFakeRenderContext& AddSource(IZVRenderStream* pStream) {
        aSubs.push_back(std::make_unique<TFakeRenderContext>());
        aSubs.back()->aStream = pStream;
        aSourceCount = int(aSubs.size());
        return *aSubs.back();
    }
    // Starts a new render pass: the next stamp, and an empty log.
    void NextPass() {
        ++aStamp;
        aLog.clear();
    }

    int aSourceCount = 0;
    int aParamCount = 0;
    int aWidth = 0;
    int aHeight = 0;
    int aStereo = 0;
    double aFrameSampleCount = 0.0;
    int aSampleCount = 0;
    long aFrame = 0;
    uint32_t aStamp = 1;
    bool aShown = true;                        // every source
    std::set<int> aHidden;                     // sources not shown
    std::vector<IFormula*> aFormulas;          // the parameters' value sources
    IZVRenderStream* aStream = nullptr;        // this context's stream
    const IZVRenderContext* aSource = nullptr; // the context of every source not added
    bool aQuiet = false;                       // nothing logged (benchmarks)
    mutable wxString aLog;                     // what was asked, in order

private:
    std::vector<std::unique_ptr<TFakeRenderContext>> aSubs;
};

// A parameter's value source: the value a function gives at each time, flat or not; it logs
// the times asked ("%g ") when a log is given.
class TFakeValueFormula : public IFormula {
public:
    explicit TFakeValueFormula(std::function<TVariant(double)> pValue, bool pFlat = false)
        : aValue(std::move(pValue)), aFlat(pFlat) {}
    // A constant value, flat.
    static TFakeValueFormula Constant(const TVariant& pValue) {
        return TFakeValueFormula([pValue](double) { return pValue; }, true);
    }
    // pAt0 + pSlope x time.
    static TFakeValueFormula Line(double pAt0, double pSlope) {
        return TFakeValueFormula([=](double pTime) { return TVariant(pAt0 + pSlope * pTime); },
                                 pSlope == 0.0);
    }

    TVariant ComputePointAt(double pTime) const override {
        if (aLog)
            *aLog << wxString::Format("%g ", pTime);
        return aValue(pTime);
    }
    bool IsFlatFormula(long) const override { return aFlat; }

    std::function<TVariant(double)> aValue;
    bool aFlat;
    wxString* aLog = nullptr;
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
