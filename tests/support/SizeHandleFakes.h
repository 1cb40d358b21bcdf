// Size-handle test helpers: a scaler of every handle kind that logs its calls and answers the
// pixel value, and a drag-step runner that gives a compute's calls and entries as one line.
// Header only, so that fuzz targets and benchmarks can use them too.
#pragma once

#include "DLL/Ctl/4DSizeHandle.h"
#include "DLL/Ctl/PointSizeHandle.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

class TRecordingScaler : public TZVPointSizeHandle::TScaler,
                         public TZV2DSizeHandle::TScaler,
                         public TZV4DSizeHandle::TScaler {
public:
    // "S(pixels,extent)".
    TVariant Scale(int pPixels, int pExtent) const override {
        Log("S(%d,%d)", pPixels, pExtent);
        return TVariant(double(pPixels));
    }
    // "S(pixels,extent,F)" for a far edge, N for a near one.
    double Scale(int pPixels, int pExtent, bool pFar) const override {
        Log("S(%d,%d,%c)", pPixels, pExtent, pFar ? 'F' : 'N');
        return pPixels;
    }
    // "Z(pixels,extent)".
    double ScaleSize(int pPixels, int pExtent) const override {
        Log("Z(%d,%d)", pPixels, pExtent);
        return pPixels;
    }
    // "L(value,limit)"; the value becomes at most the limit.
    void LimitSize(double& pValue, double pLimit) const override {
        Log("L(%g,%g)", pValue, pLimit);
        pValue = std::min(pValue, pLimit);
    }

    mutable std::string aLog; // the calls, space-separated

private:
    template <typename... TArgs>
    void Log(const char* pFormat, TArgs... pArgs) const {
        char text[64];
        std::snprintf(text, sizeof text, pFormat, pArgs...);
        aLog += (aLog.empty() ? "" : " ") + std::string(text);
    }
};

// One drag step: the dragged handle, the displacement and the previous one, Force.
struct TDragStep {
    int aHandle;
    wxPoint aDelta;
    wxPoint aLast;
    bool aForce;
};

using TComputeCall =
    std::function<TParamUpdate*(const IZVVideoStream::TUpdateData&, const TRecordingScaler&)>;

// "<scaler calls> | <entries>", entries as "index=value" in order, "-" for a null answer;
// "count mismatch" when ParamCount does not say how many entries came (0 for null).
inline std::string RunDrag(const TComputeCall& pCompute, TSizeData* pData, const TDragStep& pStep) {
    int count = -1;
    const IZVVideoStream::TUpdateData update{count, pStep.aHandle, pStep.aDelta, pStep.aLast, pData,
                                             0,     pStep.aForce};
    const TRecordingScaler scaler;
    TParamUpdate* result = pCompute(update, scaler);
    std::string entries;
    for (int i = 0; result && i < count; ++i) {
        char text[48];
        std::snprintf(text, sizeof text, "%s%d=%g", i ? " " : "", result[i].ParamIndex,
                      result[i].Value.GetDouble());
        entries += text;
    }
    const bool answered = result != nullptr;
    delete[] result;
    if (answered ? count <= 0 : count != 0)
        return "count mismatch";
    return scaler.aLog + " | " + (answered ? entries : "-");
}
