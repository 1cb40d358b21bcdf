#include "DLL/Ctl/PointSizeHandle.h"

#include "ALL/Assert.h"
#include "DLL/Ctl/RasterHelper.h"

#include <wx/intl.h>

TZVPointSizeHandle::TData::TData(int pParamIndex, T32BoolArray pFlags)
    : TSizeData(pParamIndex, pFlags, 1) {}

TSizeData* TZVPointSizeHandle::TData::Clone() const {
    return new TData(*this);
}

TZVPointSizeHandle::TScaler::~TScaler() = default;

TSizeData* TZVPointSizeHandle::CreateSizeData(int pParamIndex, T32BoolArray pFlags) {
    return new TData(pParamIndex, pFlags);
}

wxString TZVPointSizeHandle::GetPixelInfo() const {
    if (!ZV_ASSERT(aSizeData != NULL))
        return wxString();
    const wxRect& box = aSizeData->aRect[0];
    return wxString::Format(wxGetTranslation("Offset: x=%3dpx,  y=%3dpx"), box.x + box.width / 2,
                            box.y + box.height / 2);
}

NSSizeHandleGrid::ECursor TZVPointSizeHandle::GetHandleCursor(int) const {
    using namespace NSSizeHandleGrid;
    static const ECursor theCursors[4] = {cursorNONE, cursorHORI, cursorVERT, cursorALL};
    return aSizeData ? theCursors[aSizeData->aFlags.GetBits() & 3] : cursorNONE;
}

void TZVPointSizeHandle::DoDrawHandle(int pHandleID, EDrawOper, wxDC& pDC,
                                      const wxPoint& pOrigin) const {
    if (!ZV_ASSERT(aSizeData != NULL) || !ZV_ASSERT(pHandleID == 0) ||
        !aSizeData->HasHandle(pHandleID))
        return;
    const wxRect& Box = aSizeData->aRect[pHandleID];
    ZV_ASSERT(Box.width == handleSizeFULL_CROSS_WIDTH);
    ZV_ASSERT(Box.height == handleSizeFULL_CROSS_WIDTH);
    const int x = pOrigin.x + Box.x, y = pOrigin.y + Box.y;
    const TRasterHelper raster(pDC);
    raster.DrawRectangle(x + 4, y + 4, 5, 5);
    raster.DrawLine(x, y + 6, x + 13, y + 6);
    raster.DrawLine(x + 6, y, x + 6, y + 13);
}

void TZVPointSizeHandle::FillSizeHandle(TSizeData* pData, const wxSize& pPoint) {
    TData* data = dynamic_cast<TData*>(pData);
    if (!ZV_ASSERT(data != NULL))
        return;
    data->aRect[0] = wxRect(pPoint.x - 6, pPoint.y - 6, 13, 13);
}

TParamUpdate* TZVPointSizeHandle::ComputeUpdate(const IZVVideoStream::TUpdateData& pData,
                                                const TScaler& pScaler) {
    const TSizeData* data = pData.SizeData;
    if (!data)
        return MakeParamUpdates(0, pData.ParamCount);
    const bool x = data->aFlags.Test(0) && pData.MovedX();
    const bool y = data->aFlags.Test(1) && pData.MovedY();
    TParamUpdate* result = MakeParamUpdates(int(x) + int(y), pData.ParamCount);
    const wxRect& box = data->aRect[0];
    TParamUpdate* entry = result;
    if (x) {
        entry->ParamIndex = data->aParamIndex;
        entry->Value =
            pScaler.Scale(box.x + box.width / 2 + pData.Delta.x - data->aCenterX, data->aFullWidth);
        ++entry;
    }
    if (y) {
        entry->ParamIndex = data->aParamIndex + 1;
        entry->Value = pScaler.Scale(box.y + box.height / 2 + pData.Delta.y - data->aCenterY,
                                     data->aFullHeight);
    }
    return result;
}

ISizeHandle* TZVPointSizeHandleFactory::DoCreateSizeHandle() const {
    return new TZVPointSizeHandle();
}
