// Size-handle records of every kind, filled or not, with flags 0-63, screen-sized coordinates
// and counts the host may have changed, through the hit test, the cursor rules, the texts, the
// drag copy and every compute: no access out of bounds, and every answer names parameters of
// the edited group, once each, as many as ParamCount says.
#include "DLL/Ctl/4DSizeHandle.h"
#include "DLL/Ctl/PointSizeHandle.h"
#include "FuzzInput.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

// A record of a 4D layout without sides, records handed to the compute of another kind, and
// counts beyond the array are the host's doing; the module reports them and goes on.
const TExpectedAsserts theExpected{
    "HandleCase < sizeof(theRectHandleCountFor)",
    "(unsigned)HandleCase < sizeof(theRectHandleCountFor)",
    "dynamic_cast<TZV4DSizeHandle::TData*>(pData.SizeData) returned NULL",
    "pRectCount >= aRectCount"};

// Answers the pixels.
class TScaler : public TZVPointSizeHandle::TScaler,
                public TZV2DSizeHandle::TScaler,
                public TZV4DSizeHandle::TScaler {
public:
    TVariant Scale(int pPixels, int) const override { return TVariant(double(pPixels)); }
    double Scale(int pPixels, int, bool) const override { return pPixels; }
    double ScaleSize(int pPixels, int) const override { return pPixels; }
    void LimitSize(double& pValue, double pLimit) const override {
        pValue = std::min(pValue, pLimit);
    }
};

// Kinds: 0 point, 1 2D, 2 2D one size, 3 four borders, 4 four borders as 2D, 5 four borders
// with position and size, 6 position and size.
std::unique_ptr<ISizeHandle> MakeHandle(int pKind) {
    if (pKind == 0)
        return std::unique_ptr<ISizeHandle>(new TZVPointSizeHandle());
    if (pKind <= 2)
        return std::unique_ptr<ISizeHandle>(new TZV2DSizeHandle());
    return std::unique_ptr<ISizeHandle>(new TZV4DSizeHandle());
}

void Fill(int pKind, TSizeData* pData, const wxSize& pSize) {
    switch (pKind) {
    case 0:
        TZVPointSizeHandle::FillSizeHandle(pData, pSize);
        break;
    case 1:
    case 2:
        TZV2DSizeHandle::FillSizeHandle(pData, pSize, pKind == 2);
        break;
    case 6:
        TZVPosAndSizeHandle::FillSizeHandle(pData, pSize, false, true);
        break;
    default:
        TZV4DSizeHandle::FillSizeHandle(pData, pSize, pKind == 4, pKind == 5);
    }
}

TParamUpdate* Compute(int pKind, const IZVVideoStream::TUpdateData& pData, bool pKeepInside) {
    const TScaler scaler;
    switch (pKind) {
    case 0:
        return TZVPointSizeHandle::ComputeUpdate(pData, scaler);
    case 1:
        return TZV2DSizeHandle::ComputeUpdate(pData, scaler);
    case 2:
        return TZV4DSizeHandle::ComputeUpdate(pData, scaler, pKeepInside);
    default:
        return TZVPosAndSizeHandle::ComputeUpdate(pData, scaler, pKeepInside);
    }
}

// A screen-sized coordinate.
int Coordinate(TFuzzInput& pInput) {
    return pInput.Take<int16_t>();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    TFuzzInput input(pData, pSize);
    const unsigned choice = input.Byte();
    const int kind = int(choice & 0x3F) % 7;
    const std::unique_ptr<ISizeHandle> handle = MakeHandle(kind);
    TSizeData* data = handle->CreateSizeData(int(input.Byte()), T32BoolArray(input.Byte() & 63));
    data->aFullWidth = Coordinate(input);
    data->aFullHeight = Coordinate(input);
    data->aCenterX = Coordinate(input);
    data->aCenterY = Coordinate(input);
    if (auto* data4D = dynamic_cast<TZV4DSizeHandle::TData*>(data)) {
        data4D->aOffsetX = Coordinate(input);
        data4D->aOffsetY = Coordinate(input);
    }
    const int width = Coordinate(input);
    if (choice & 0x80)
        Fill(kind, data, wxSize(width, Coordinate(input)));
    if (choice & 0x40)
        data->aRectCount = int(input.Byte() % 16) - 3;
    const int paramIndex = data->aParamIndex;
    handle->UpdateHandle(data, int(TSizeData::theCurSerial));

    const int x = Coordinate(input);
    const int index = TZVSizeHandleBase::FindRectAt(*data, wxPoint(x, Coordinate(input)));
    Require(index >= -1 && index < std::min(std::max(data->aRectCount, 0), data->GetCapacity()));
    if (index >= 0)
        static_cast<TZVSizeHandleBase*>(handle.get())->GetHandleCursor(index);
    handle->GetPixelInfo();

    handle->StartDrag();
    const int handleIndex = int(input.Byte() % 21) - 5;
    const int dx = Coordinate(input), dy = Coordinate(input);
    const int lastX = Coordinate(input), lastY = Coordinate(input);
    const unsigned mode = input.Byte();
    const wxPoint delta(dx, dy), lastDelta(lastX, lastY);
    int count = -1;
    const IZVVideoStream::TUpdateData update{
        count, handleIndex, delta, lastDelta, handle->GetDragData(), 0, (mode & 1) != 0};
    TParamUpdate* result = Compute(int(mode >> 1) % 4, update, (mode & 8) != 0);
    Require(result ? count > 0 && count <= 4 : count == 0);
    unsigned seen = 0;
    for (int i = 0; i < count; ++i) {
        const int k = result[i].ParamIndex - paramIndex;
        Require(k >= 0 && k <= 3 && !(seen & (1u << k)));
        seen |= 1u << k;
    }
    delete[] result;
    handle->EndDrag();
    return 0;
}
