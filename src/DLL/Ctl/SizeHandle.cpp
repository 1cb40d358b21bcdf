#include "DLL/Ctl/SizeHandle.h"

#include "ALL/Assert.h"
#include "DLL/Ctl/DragAutomaton.h"
#include "DLL/Res/DrawingResources.h"

#include <cstdint>

ISizeHandle* ISizeHandle::theCurrent = nullptr;

ISizeHandle::~ISizeHandle() {
    // Another handle that is still alive stays the current one.
    if (theCurrent == this)
        theCurrent = nullptr;
}

namespace {

// The status drawn in a look of its own.
const int theActiveStatus = 3;

using TPenGetter = wxPen* (*)();
using TBrushGetter = wxBrush* (*)();
using TCursorGetter = wxCursor* (*)();

// By EDrawOper.
const TPenGetter thePens[9] = {GetOlivePen, GetGreyPen,   GetTealPen,   GetNavyPen,  GetPurplePen,
                               GetNavyPen,  GetMaroonPen, GetPurplePen, GetMaroonPen};
const TBrushGetter theBrushes[9] = {GetOliveBrush,  GetGreyBrush,   GetTealBrush,
                                    GetNavyBrush,   GetPurpleBrush, GetNavyBrush,
                                    GetMaroonBrush, GetPurpleBrush, GetMaroonBrush};
// By NSSizeHandleGrid::ECursor.
const TCursorGetter theCursors[5] = {GetHoriSizeCursor, GetVertSizeCursor, GetAllSizeCursor,
                                     GetSlashSizeCursor, GetBackSizeCursor};

// Four times the squared distance from pPoint to pRect's centre.
int64_t CentreScore(const wxRect& pRect, const wxPoint& pPoint) {
    const int64_t dx = 2 * (int64_t(pRect.x) - pPoint.x) + pRect.width;
    const int64_t dy = 2 * (int64_t(pRect.y) - pPoint.y) + pRect.height;
    return dx * dx + dy * dy;
}

int64_t SizeScore(const wxRect& pRect) {
    return int64_t(pRect.width) * pRect.width + int64_t(pRect.height) * pRect.height;
}

} // namespace

TZVSizeHandleBase::TZVSizeHandleBase()
    : aXScroll(nullptr), aYScroll(nullptr), aSizeData(nullptr), aDragData(nullptr), aHoverID(-1),
      aHoverStatus(0) {}

TZVSizeHandleBase::~TZVSizeHandleBase() {
    delete aSizeData;
    delete aDragData;
}

ISizeHandle* TZVSizeHandleBase::CreateHandle(TScrollHelper& pXScroll, TScrollHelper& pYScroll) {
    aXScroll = &pXScroll;
    aYScroll = &pYScroll;
    return this;
}

bool TZVSizeHandleBase::UpdateHandle(TSizeData* pData, int pSerial) {
    if (aSizeData != pData)
        delete aSizeData;
    aSizeData = nullptr;
    if (!pData)
        return false;
    if (((pSerial >> 16) & 0xFFFF) != int(TSizeData::theCurSerial >> 16)) {
        delete pData;
        return false;
    }
    aSizeData = pData;
    aHoverID = -1;
    aHoverStatus = 0;
    return true;
}

void TZVSizeHandleBase::RefreshHandle(wxDC& pDC, const wxPoint& pOrigin) const {
    if (!aSizeData)
        return;
    SetDrawOper(pDC, operNORMAL);
    const int count = aSizeData->GetHandleCount();
    for (int i = 0; i < count; ++i)
        if (i != aHoverID)
            DoDrawHandle(i, operNORMAL, pDC, pOrigin);
    if (aHoverID < 0)
        return;
    if (aHoverStatus == theActiveStatus) {
        callDrawHandle(aHoverID, operACTIVE, pDC, pOrigin);
        return;
    }
    // Hovered handles come in a status above a press over nothing.
    ZV_ASSERT(aHoverStatus > IDragAutomaton::IActionee::hoverDIG);
    callDrawHandle(aHoverID, operHOVER, pDC, pOrigin);
}

int TZVSizeHandleBase::FindHandleAt(const wxPoint& pPoint, const wxCursor*& pCursor) const {
    if (!aSizeData)
        return -1;
    const int index = FindRectAt(*aSizeData, pPoint);
    if (index < 0)
        return -1;
    const NSSizeHandleGrid::ECursor cursor = GetHandleCursor(index);
    if (cursor != NSSizeHandleGrid::cursorNONE)
        pCursor = theCursors[cursor]();
    return index;
}

int TZVSizeHandleBase::FindRectAt(const TSizeData& pData, const wxPoint& pPoint) {
    int best = -1;
    int64_t bestScore = 0, bestSize = 0;
    const int count = pData.GetHandleCount();
    for (int i = 0; i < count; ++i) {
        const wxRect& rect = pData.aRect[i];
        if (!rect.Contains(pPoint))
            continue;
        const int64_t score = CentreScore(rect, pPoint), size = SizeScore(rect);
        if (best < 0 || score < bestScore || (score == bestScore && size < bestSize)) {
            best = i;
            bestScore = score;
            bestSize = size;
        }
    }
    return best;
}

NSSizeHandleGrid::ECursor TZVSizeHandleBase::GetHandleCursor(int) const {
    return NSSizeHandleGrid::cursorNONE;
}

void TZVSizeHandleBase::DrawHandle(int pIndex, int pStatus, wxDC& pDC, const wxPoint& pOrigin) {
    if (!ZV_ASSERT(aSizeData != NULL))
        return;
    const bool active = pStatus == theActiveStatus;
    if (aHoverID >= 0 && aHoverID == pIndex) {
        // Only a change between the two looks is drawn.
        if ((aHoverStatus == theActiveStatus) != active)
            callDrawHandle(pIndex, active ? operHOVER_TO_ACTIVE : operACTIVE_TO_HOVER, pDC,
                           pOrigin);
    } else {
        if (aHoverID >= 0)
            callDrawHandle(aHoverID,
                           aHoverStatus == theActiveStatus ? operACTIVE_OFF : operHOVER_OFF, pDC,
                           pOrigin);
        if (pIndex >= 0)
            callDrawHandle(pIndex, active ? operACTIVE_ON : operHOVER_ON, pDC, pOrigin);
    }
    aHoverID = pIndex;
    aHoverStatus = pStatus;
}

void TZVSizeHandleBase::StartDrag() {
    // Stated texts, so that formatting cannot space them out.
    if (aDragData) {
        ZV_FAIL("aDragData==__null");
        return;
    }
    if (!ZV_ASSERT(aSizeData != NULL))
        return;
    aDragData = aSizeData->Clone();
}

TSizeData* TZVSizeHandleBase::GetDragData() const {
    return aDragData;
}

void TZVSizeHandleBase::EndDrag() {
    if (!aDragData) {
        ZV_FAIL("aDragData!=__null");
        return;
    }
    delete aDragData;
    aDragData = nullptr;
}

void TZVSizeHandleBase::callDrawHandle(int pIndex, EDrawOper pOper, wxDC& pDC,
                                       const wxPoint& pOrigin) const {
    SetDrawOper(pDC, pOper);
    DoDrawHandle(pIndex, pOper, pDC, pOrigin);
}

void TZVSizeHandleBase::SetDrawOper(wxDC& pDC, EDrawOper pOper) {
    pDC.SetPen(*thePens[pOper]());
    pDC.SetBrush(*theBrushes[pOper]());
    pDC.SetLogicalFunction(wxXOR);
}

ISizeHandle* TSizeHandleFactoryBase::CreateSizeHandle(TScrollHelper& pXScroll,
                                                      TScrollHelper& pYScroll) const {
    delete ISizeHandle::theCurrent;
    TSizeData::theCurSerial += 0x10000;
    ISizeHandle* handle = DoCreateSizeHandle();
    handle->CreateHandle(pXScroll, pYScroll);
    ISizeHandle::theCurrent = handle;
    return handle;
}
