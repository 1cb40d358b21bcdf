// IZVRenderContext: the host's description of one row's rendering for one frame. The host
// builds one per row and frame and hands it to the row's render stream; the streams only
// read it.
#pragma once

#include <cstdint>

class IFormula;
class IZVRenderStream;

class IZVRenderContext {
public:
    // Number of the row's sources (a filter's input is source 0, its mask source 1).
    virtual int GetSourceCount() const = 0;
    // Number of the row's parameters for the frame.
    virtual int GetParamCount() const = 0;
    // Frame size in pixels.
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    // True when source pIndex is shown; a hidden source counts as changed.
    virtual bool IsSourceShown(int pIndex) const = 0;
    // Not 0 for two interleaved channels, 0 for one.
    virtual int IsStereo() const = 0;
    // Samples per channel in this frame; may have a fraction.
    virtual double GetFrameSampleCount() const = 0;
    // Samples per channel to produce now.
    virtual int GetSampleCount() const = 0;
    // Serial of the current render pass: never 0, larger for every later pass.
    virtual uint32_t GetStamp() const = 0;
    // The row's parameter formulas for the frame, from parameter pFirst; pKind says which
    // frame they are for (1 video, 0 audio).
    virtual IFormula* const* GetParams(int pFirst, int pKind) const = 0;
    // On a source's context: that source's render stream, or null when it has none for the
    // frame.
    virtual IZVRenderStream* GetStream() const = 0;
    // The frame at which the parameters are evaluated; pKind as for GetParams.
    virtual long GetFrame(int pKind) const = 0;
    // The context of source pIndex, or null. pPhase is 0 when preparing the frame and 1 when
    // producing it; audio streams pass their stereo flag and frame sample count when
    // preparing (0 and 0.0 otherwise).
    virtual const IZVRenderContext* GetSourceContext(int pIndex, int pPhase, int pStereo,
                                                     double pSampleCount) const = 0;

protected:
    // The host owns its contexts; streams never delete them.
    ~IZVRenderContext() = default;
};
