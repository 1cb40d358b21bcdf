#include "DLL/Ctl/2DSizeHandle.h"

#include "ALL/Assert.h"
#include "DLL/Ctl/RasterHelper.h"

#include <wx/intl.h>

using namespace NSSizeHandleGrid;

TZV2DSizeHandle::TData::TData(int pParamIndex, T32BoolArray pFlags)
    : TData(pParamIndex, pFlags, 9) {}

TZV2DSizeHandle::TData::TData(int pParamIndex, T32BoolArray pFlags, int pCapacity)
    : TSizeData(pParamIndex, pFlags, pCapacity) {}

TSizeData* TZV2DSizeHandle::TData::Clone() const {
    return new TData(*this);
}

TZV2DSizeHandle::TScaler::~TScaler() = default;

TSizeData* TZV2DSizeHandle::CreateSizeData(int pParamIndex, T32BoolArray pFlags) {
    return new TData(pParamIndex, pFlags);
}

void TZV2DSizeHandle::RefreshHandle(wxDC& pDC, const wxPoint& pOrigin) const {
    TZVSizeHandleBase::RefreshHandle(pDC, pOrigin);
    // A frame dragged past its opposite edge has no area, and the helper draws nothing of it.
    const wxRect* frame = aSizeData ? aSizeData->GetFrame() : nullptr;
    if (!frame)
        return;
    // Always in the normal look: the frame takes no part in hovering, so a refresh that
    // erases it must draw it in the same colour whatever is hovered by then.
    SetDrawOper(pDC, operNORMAL);
    pDC.SetBrush(*wxTRANSPARENT_BRUSH);
    TRasterHelper(pDC).DrawRectangle(frame->x + pOrigin.x, frame->y + pOrigin.y, frame->width,
                                     frame->height);
}

wxString TZV2DSizeHandle::GetPixelInfo() const {
    if (!ZV_ASSERT(aSizeData != NULL))
        return wxString();
    const wxRect* frame = aSizeData->GetFrame();
    if (!frame)
        return wxString();
    return wxString::Format(wxGetTranslation("Size: w=%4dpx, h=%4dpx"), frame->width - 2,
                            frame->height - 2);
}

NSSizeHandleGrid::ECursor TZV2DSizeHandle::GetHandleCursor(int pIndex) const {
    if (!aSizeData)
        return cursorNONE;
    const int handleCase = aSizeData->aFlags.GetBits() & 3;
    if (handleCase == 1)
        return cursorHORI;
    if (handleCase == 2)
        return cursorVERT;
    return IdListCursor(Ids2D(handleCase), pIndex);
}

NSSizeHandleGrid::ECursor TZV2DSizeHandle::IdListCursor(const TIdList& pIds, int pIndex) {
    return pIds.Has(pIndex) ? IdCursor(pIds[pIndex]) : cursorNONE;
}

void TZV2DSizeHandle::DoDrawHandle(int pIndex, EDrawOper, wxDC& pDC, const wxPoint& pOrigin) const {
    if (!ZV_ASSERT(aSizeData != NULL) || !aSizeData->HasHandle(pIndex))
        return;
    const wxRect& Box = aSizeData->aRect[pIndex];
    ZV_ASSERT(Box.width == handleSizeFULL_SQUARE_WIDTH);
    ZV_ASSERT(Box.height == handleSizeFULL_SQUARE_WIDTH);
    TRasterHelper(pDC).DrawRectangle(pOrigin.x + Box.x, pOrigin.y + Box.y,
                                     handleSizeFULL_SQUARE_WIDTH, handleSizeFULL_SQUARE_WIDTH);
}

void TZV2DSizeHandle::FillSizeHandle(TSizeData* pData, const wxSize& pSize, bool pSingle) {
    TData* data = dynamic_cast<TData*>(pData);
    if (!ZV_ASSERT(data != NULL))
        return;
    int handleCase = data->aFlags.GetBits() & 3;
    if (pSingle) {
        if (!data->aFlags.Test(0))
            return;
        data->aFlags = T32BoolArray(0);
        handleCase = 0;
    }
    PlaceHandles(*data, pSize, Ids2D(handleCase));
}

void TZV2DSizeHandle::PlaceHandles(TSizeData& pData, const wxSize& pSize, const TIdList& pIds) {
    const int hw = pSize.x / 2, hh = pSize.y / 2;
    // The squares' left and top edges per column and row; a corner square is centred on the
    // frame's corner.
    const int columns[3] = {pData.aCenterX - hw - 3, pData.aCenterX - 2, pData.aCenterX + hw - 2};
    const int rows[3] = {pData.aCenterY - hh - 3, pData.aCenterY - 2, pData.aCenterY + hh - 2};
    pData.aRectCount = pIds.aCount;
    for (int i = 0; i < pIds.aCount; ++i)
        pData.aRect[i] = wxRect(columns[Column(pIds[i])], rows[Row(pIds[i])],
                                handleSizeFULL_SQUARE_WIDTH, handleSizeFULL_SQUARE_WIDTH);
    pData.aRect[pIds.aCount] =
        wxRect(columns[0] + 2, rows[0] + 2, columns[2] + 1 - columns[0], rows[2] + 1 - rows[0]);
}

TParamUpdate* TZV2DSizeHandle::ComputeUpdate(const IZVVideoStream::TUpdateData& pData,
                                             const TScaler& pScaler) {
    const TSizeData* data = pData.SizeData;
    const int handleCase = data ? data->aFlags.GetBits() & 3 : 0;
    const TIdList ids = Ids2D(handleCase);
    if (!data || !ids.Has(pData.HandleIndex) || !data->HasHandle(pData.HandleIndex))
        return MakeParamUpdates(0, pData.ParamCount);
    const int id = ids[pData.HandleIndex];
    const wxRect& rect = data->aRect[pData.HandleIndex];
    const bool x = handleCase != 2 && !(Column(id) == 1 && data->aFlags.Test(0)) && pData.MovedX();
    const bool y = data->aFlags.Test(1) && Row(id) != 1 && pData.MovedY();
    TParamUpdate* result = MakeParamUpdates(int(x) + int(y), pData.ParamCount);
    if (!result)
        return nullptr;
    if (x) {
        const int v = rect.x + rect.width / 2 + pData.Delta.x - data->aCenterX;
        result[0].ParamIndex = data->aParamIndex;
        result[0].Value = pScaler.Scale(Column(id) == 0 ? -v : v, data->aFullWidth);
    }
    if (y || handleCase == 0) {
        const int v = rect.y + rect.height / 2 + pData.Delta.y - data->aCenterY;
        const TVariant value = pScaler.Scale(Row(id) == 0 ? -v : v, data->aFullHeight);
        if (handleCase == 0) {
            // One size: the mean of what the two axes ask for.
            result[0].Value = TVariant((result[0].Value.GetDouble() + value.GetDouble()) * 0.5);
        } else {
            result[int(x)].ParamIndex = data->aParamIndex + 1;
            result[int(x)].Value = value;
        }
    }
    return result;
}

ISizeHandle* TZV2DSizeHandleFactory::DoCreateSizeHandle() const {
    return new TZV2DSizeHandle();
}
