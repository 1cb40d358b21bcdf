#include "DLL/Ctl/4DSizeHandle.h"

#include "ALL/Assert.h"
#include "DLL/Ctl/4DUpdateBuilder.h"

#include <wx/intl.h>

using namespace NSSizeHandleGrid;

namespace {

const uint32_t the4DLayout = 1u << TZV4DSizeHandle::flag4D_LAYOUT;
const uint32_t thePosAndSize = 1u << TZV4DSizeHandle::flagPOS_AND_SIZE;

// By id, plus one in position-and-size mode: the flags that let a corner or the centre move
// along x, and along y.
const uint32_t theHoriFlags[10] = {1, 1, 4, 1, 5, 4, 1, 1, 4, 1};
const uint32_t theVertFlags[10] = {2, 1, 2, 1, 10, 8, 8, 1, 8, 1};

} // namespace

TZV4DSizeHandle::TData::TData(int pParamIndex, T32BoolArray pFlags)
    : TZV2DSizeHandle::TData(pParamIndex, pFlags, 10), aOffsetX(0), aOffsetY(0) {}

TSizeData* TZV4DSizeHandle::TData::Clone() const {
    return new TData(*this);
}

TZV4DSizeHandle::TScaler::~TScaler() = default;

TSizeData* TZV4DSizeHandle::CreateSizeData(int pParamIndex, T32BoolArray pFlags) {
    return new TData(pParamIndex, pFlags);
}

bool TZV4DSizeHandle::IsBadCase(const TSizeData& pData) {
    const uint32_t flags = pData.aFlags.GetBits();
    if ((flags & (the4DLayout | thePosAndSize)) != the4DLayout || (flags & 15) != 0)
        return false;
    ZV_FAIL("HandleCase < sizeof(theRectHandleCountFor)");
    return true;
}

int TZV4DSizeHandle::FindHandleAt(const wxPoint& pPoint, const wxCursor*& pCursor) const {
    const int index = TZV2DSizeHandle::FindHandleAt(pPoint, pCursor);
    return index >= 0 && IsBadCase(*aSizeData) ? -1 : index;
}

wxString TZV4DSizeHandle::GetPixelInfo() const {
    if (!ZV_ASSERT(aSizeData != NULL))
        return wxString();
    const TData* data = dynamic_cast<const TData*>(aSizeData);
    if (!data) {
        ZV_FAIL("dynamic_cast<TZV4DSizeHandle::TData*>(aSizeData) returned NULL");
        return wxString();
    }
    const wxRect* frame = data->GetFrame();
    if (!frame)
        return wxString();
    const int w = frame->width - 2, h = frame->height - 2, x = data->aOffsetX, y = data->aOffsetY;
    const int W = data->aFullWidth, H = data->aFullHeight;
    // Each border's distance from the image's edge and from the image's centre.
    const int l2 = w / 2 - x, l1 = W / 2 - l2, r1 = w - l2, r2 = (W - W / 2) - r1;
    const int t2 = h / 2 - y, t1 = H / 2 - t2, b1 = h - t2, b2 = (H - H / 2) - b1;
    return wxString::Format(wxGetTranslation("Size: w=%3dpx, h=%3dpx, Offset: x=%3dpx, "
                                             "y=%3dpx, Border: l=%3d/%3dpx, r=%3d/%3dpx, "
                                             "t=%3d/%3dpx, b=%3d/%3dpx"),
                            w, h, x, y, l1, l2, r1, r2, t1, t2, b1, b2);
}

NSSizeHandleGrid::ECursor TZV4DSizeHandle::GetHandleCursor(int pIndex) const {
    if (!aSizeData)
        return cursorNONE;
    const uint32_t flags = aSizeData->aFlags.GetBits();
    if (!(flags & the4DLayout))
        return TZV2DSizeHandle::GetHandleCursor(pIndex);
    const bool posAndSize = flags & thePosAndSize;
    int id = 4;
    if (!posAndSize) {
        const TIdList ids = Ids4D(int(flags & 15) - 1);
        if (!ids.Has(pIndex))
            return cursorNONE;
        id = ids[pIndex];
    } else if (flags & 1) {
        // All nine ids in order.
        if (!AllIds().Has(pIndex))
            return cursorNONE;
        id = pIndex;
    }
    const ECursor cursor = IdCursor(id);
    if (cursor == cursorHORI || cursor == cursorVERT)
        return cursor;
    if (!(theHoriFlags[id + posAndSize] & flags))
        return cursorVERT;
    if (!(theVertFlags[id + posAndSize] & flags))
        return cursorHORI;
    return cursor;
}

void TZV4DSizeHandle::FillSizeHandle(TSizeData* pData, const wxSize& pSize, bool pAs2D,
                                     bool pPosAndSize) {
    TData* data = dynamic_cast<TData*>(pData);
    if (!ZV_ASSERT(data != NULL))
        return;
    if (pAs2D) {
        TZV2DSizeHandle::FillSizeHandle(data, pSize, pPosAndSize);
        return;
    }
    const uint32_t sides = data->aFlags.GetBits();
    data->aFlags.Set(flag4D_LAYOUT);
    if (pPosAndSize) {
        data->aFlags.Set(flagPOS_AND_SIZE);
        if (!(sides & 1))
            PlaceHandles(*data, pSize, CentreId());
        else if (sides & 12)
            PlaceHandles(*data, pSize, AllIds());
        else
            TZV2DSizeHandle::FillSizeHandle(data, pSize, true);
        return;
    }
    data->aFlags.Clear(flagPOS_AND_SIZE);
    // A fresh record holds side bits only.
    if (sides - 1 >= uint32_t(CASE_COUNT_4D)) {
        ZV_FAIL("HandleCase < sizeof(theRectHandleCountFor)");
        data->aRectCount = 0;
        data->aRect[0] = wxRect();
        return;
    }
    PlaceHandles(*data, pSize, Ids4D(int(sides) - 1));
}

TParamUpdate* TZV4DSizeHandle::ComputeUpdate(const IZVVideoStream::TUpdateData& pData,
                                             const TScaler& pScaler, bool pKeepInside) {
    if (!pData.SizeData)
        return MakeParamUpdates(0, pData.ParamCount);
    const TData* data = dynamic_cast<const TData*>(pData.SizeData);
    if (!data) {
        ZV_FAIL("dynamic_cast<TZV4DSizeHandle::TData*>(pData.SizeData) returned NULL");
        return MakeParamUpdates(0, pData.ParamCount);
    }
    const uint32_t flags = data->aFlags.GetBits();
    if (!(flags & the4DLayout) || ((flags & thePosAndSize) && (flags & 13) == 1))
        return TZV2DSizeHandle::ComputeUpdate(pData, TScale4DTo2DConverter(pScaler, pKeepInside));
    if (!(flags & thePosAndSize))
        return TNormal4DUpdateBuilder().Compute(pData, *data, pScaler, pKeepInside);
    if (flags & 1)
        return TSize4DUpdateBuilder().Compute(pData, *data, pScaler, pKeepInside);
    return TMove4DUpdateBuilder().Compute(pData, *data, pScaler, pKeepInside);
}

TVariant TScale4DTo2DConverter::Scale(int pPixels, int pExtent) const {
    const int half = (pExtent + 1) / 2;
    if (aKeepInside && pPixels > half)
        pPixels = half;
    return TVariant(aScaler.Scale(-pPixels, pExtent, true));
}

void TZVPosAndSizeHandle::FillSizeHandle(TSizeData* pData, const wxSize& pSize, bool pAs2D,
                                         bool pPosAndSize) {
    if (pData && pData->aFlags.Test(1) != pData->aFlags.Test(2))
        pData->aFlags = T32BoolArray(pData->aFlags.GetBits() ^ 6);
    TZV4DSizeHandle::FillSizeHandle(pData, pSize, pAs2D, pPosAndSize);
}

TParamUpdate* TZVPosAndSizeHandle::ComputeUpdate(const IZVVideoStream::TUpdateData& pData,
                                                 const TZV4DSizeHandle::TScaler& pScaler,
                                                 bool pKeepInside) {
    TParamUpdate* result = TZV4DSizeHandle::ComputeUpdate(pData, pScaler, pKeepInside);
    // The fill exchanged the flag bits relative to the group, so the entries are exchanged
    // relative to it too.
    const int first = result ? pData.SizeData->aParamIndex : 0;
    for (int i = 0; i < (result ? pData.ParamCount : 0); ++i) {
        int& index = result[i].ParamIndex;
        if (index == first + 1 || index == first + 2)
            index = 2 * first + 3 - index;
    }
    return result;
}

ISizeHandle* TZV4DSizeHandleFactory::DoCreateSizeHandle() const {
    return new TZV4DSizeHandle();
}

ISizeHandle* TZVPosAndSizeHandleFactory::DoCreateSizeHandle() const {
    return new TZV4DSizeHandle();
}
