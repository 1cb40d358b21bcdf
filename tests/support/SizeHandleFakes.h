// Size-handle test helpers: records of every kind filled at fixed places, the matching
// handles, a scaler of every kind that logs its calls and answers the pixel value, and a
// drag-step runner that gives a compute's calls and entries as one line. Header only, so
// that fuzz targets and benchmarks can use them too.
#pragma once

#include "DLL/Ctl/4DSizeHandle.h"
#include "DLL/Ctl/PointSizeHandle.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

// Record kinds: P point; 2 2D; 1 2D with one size; 4 four borders; T four borders as 2D;
// X position and size (its own fill); U four borders, never filled; D a 2D record where a 4D
// one belongs. 2D records are centred at (100, 50), 4D ones at (330, 220), which is 10 right
// of and 20 above the centre of the 640 x 480 image; a point's reference point is (5, 8).
inline bool Is2DKind(char pKind) {
    return pKind == '1' || pKind == '2' || pKind == 'D';
}

// The record of pKind, filled for pSize (a point's position): by default (10, 20) for a point,
// 40 x 20 for 2D, 100 x 50 for 4D.
inline std::unique_ptr<TSizeData> MakeRecord(char pKind, uint32_t pFlags, int pParamIndex = 0,
                                             wxSize pSize = wxSize()) {
    const T32BoolArray flags(pFlags);
    std::unique_ptr<TSizeData> data;
    TZV4DSizeHandle::TData* data4D = nullptr;
    if (pKind == 'P')
        data.reset(new TZVPointSizeHandle::TData(pParamIndex, flags));
    else if (Is2DKind(pKind))
        data.reset(new TZV2DSizeHandle::TData(pParamIndex, flags));
    else
        data.reset(data4D = new TZV4DSizeHandle::TData(pParamIndex, flags));
    data->aFullWidth = 640;
    data->aFullHeight = 480;
    data->aCenterX = pKind == 'P' ? 5 : data4D ? 330 : 100;
    data->aCenterY = pKind == 'P' ? 8 : data4D ? 220 : 50;
    if (data4D) {
        data4D->aOffsetX = 10;
        data4D->aOffsetY = -20;
    }
    if (pSize == wxSize())
        pSize = pKind == 'P' ? wxSize(10, 20) : data4D ? wxSize(100, 50) : wxSize(40, 20);
    if (pKind == 'P')
        TZVPointSizeHandle::FillSizeHandle(data.get(), pSize);
    else if (Is2DKind(pKind))
        TZV2DSizeHandle::FillSizeHandle(data.get(), pSize, pKind == '1');
    else if (pKind == 'X')
        TZVPosAndSizeHandle::FillSizeHandle(data.get(), pSize, false, true);
    else if (pKind != 'U')
        TZV4DSizeHandle::FillSizeHandle(data.get(), pSize, pKind == 'T', false);
    return data;
}

// A handle of the kind that shows records of pKind (a 4D one for D), showing pData.
inline std::unique_ptr<TZVSizeHandleBase> ShowingHandle(char pKind,
                                                        std::unique_ptr<TSizeData> pData) {
    std::unique_ptr<TZVSizeHandleBase> handle;
    if (pKind == 'P')
        handle.reset(new TZVPointSizeHandle());
    else if (pKind == '1' || pKind == '2')
        handle.reset(new TZV2DSizeHandle());
    else
        handle.reset(new TZV4DSizeHandle());
    handle->UpdateHandle(pData.release(), int(TSizeData::theCurSerial));
    return handle;
}

class TRecordingScaler : public TZVPointSizeHandle::TScaler,
                         public TZV2DSizeHandle::TScaler,
                         public TZV4DSizeHandle::TScaler {
public:
    // "S(pixels,extent)".
    TVariant Scale(int pPixels, int pExtent) const override {
        Log("S(" + Args(pPixels, pExtent) + ")");
        return TVariant(double(pPixels));
    }
    // "S(pixels,extent,F)" for a far edge, N for a near one.
    double Scale(int pPixels, int pExtent, bool pFar) const override {
        Log("S(" + Args(pPixels, pExtent) + (pFar ? ",F)" : ",N)"));
        return pPixels;
    }
    // "Z(pixels,extent)".
    double ScaleSize(int pPixels, int pExtent) const override {
        Log("Z(" + Args(pPixels, pExtent) + ")");
        return pPixels;
    }
    // "L(value,limit)"; the value becomes at most the limit.
    void LimitSize(double& pValue, double pLimit) const override {
        Log("L(" + Number(pValue) + "," + Number(pLimit) + ")");
        pValue = std::min(pValue, pLimit);
    }

    // "%g".
    static std::string Number(double pValue) { return FormatDouble(pValue).ToStdString(); }

    mutable std::string aLog; // the calls, space-separated

private:
    static std::string Args(int pFirst, int pSecond) {
        return std::to_string(pFirst) + "," + std::to_string(pSecond);
    }
    void Log(const std::string& pCall) const { aLog += (aLog.empty() ? "" : " ") + pCall; }
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
    std::string entries = result ? "" : " -";
    for (int i = 0; result && i < count; ++i)
        entries += " " + std::to_string(result[i].ParamIndex) + "=" +
                   TRecordingScaler::Number(result[i].Value.GetDouble());
    const bool answered = result != nullptr;
    delete[] result;
    if (answered ? count <= 0 : count != 0)
        return "count mismatch";
    return scaler.aLog + " |" + entries;
}
