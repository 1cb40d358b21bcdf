#include "DLL/Ctl/DragHelper.h"

#include "ALL/Assert.h"
#include "ALL/Variant.h"
#include "DLL/Ctl/MostRecentFileList.h"

#include <wx/scrolwin.h>
#include <wx/window.h>

#include <cstdint>

namespace {

// The pointer must move farther than this along an axis before a drag starts.
constexpr int theDragThreshold = 3;
constexpr int theScrollInterval = 200; // milliseconds

// Auto-scroll speed for a client coordinate pPos of a window pSize pixels long: 1 in the
// 4-pixel band before the window, 4 farther out, and the same negated past its end.
int ScrollSpeed(int pPos, int pSize) {
    if (pPos < -4)
        return 4;
    if (pPos < 0)
        return 1;
    if (pPos < pSize)
        return 0;
    return int64_t(pPos) - pSize <= 3 ? -1 : -4;
}

bool IsWithinThreshold(int pDelta) {
    return pDelta >= -theDragThreshold && pDelta <= theDragThreshold;
}

} // namespace

IDragCallback::~IDragCallback() = default;

TDragHelper::TDragEventHandler::TDragEventHandler(TDragHelper* pOwner) : aOwner(pOwner) {
    Bind(wxEVT_MOUSE_CAPTURE_LOST,
         [this](wxMouseCaptureLostEvent& pEvent) { aOwner->onMouseCaptureLost(pEvent); });
    Bind(wxEVT_MOTION, [this](wxMouseEvent& pEvent) { aOwner->onMouseMove(pEvent); });
    Bind(wxEVT_TIMER, [this](wxTimerEvent& pEvent) { aOwner->onScrollTimer(pEvent); });
}

TDragHelper::TDragEventHandler::~TDragEventHandler() = default;

TDragHelper::TDragHelper(wxWindow* pScrollWindow, int pAutoScrollX, int pAutoScrollY)
    : aScrollWindow(pScrollWindow), aOrigin(0, 0), aAutoScrollX(pAutoScrollX),
      aAutoScrollY(pAutoScrollY), aScrollX(0), aScrollY(0), aDragOper(-1), aDragData(nullptr),
      aMoved(false), aTimerOn(false), aLastEvent(wxEVT_NULL), aEventHandler(this),
      aScrollTimer(&aEventHandler, wxID_ANY) {}

TDragHelper::~TDragHelper() {
    endDrag(dragEndCANCEL);
}

void TDragHelper::DoDragOper(int, const wxSize&, const wxMouseEvent&, void*) {}

void TDragHelper::DoEndDragOper(int) {}

void TDragHelper::OriginDrag(const wxMouseEvent& pEvent, int pDragOper, void* pData) {
    if (!ZV_ASSERT(pDragOper >= 0))
        return;
    // A second start would push the handler and take the capture twice.
    CancelDrag();
    aDragOper = pDragOper;
    aMoved = false;
    aOrigin = pEvent.GetPosition();
    ToUnscrollPos(aOrigin);
    aDragData = pData;
    aScrollWindow->PushEventHandler(&aEventHandler);
    aScrollWindow->CaptureMouse();
}

void TDragHelper::EndDrag(const wxMouseEvent& pEvent) {
    if (aMoved)
        DoDragOper(aDragOper, getOffsetFromEvent(pEvent), pEvent, aDragData);
    endDrag(dragEndNORMAL);
}

void TDragHelper::CancelDrag() {
    endDrag(dragEndCANCEL);
}

void TDragHelper::ChangeOper(int pDragOper) {
    const bool valid = ZV_ASSERT(pDragOper >= 0);
    if (ZV_ASSERT(aDragOper >= 0) && valid)
        aDragOper = pDragOper;
}

wxSize TDragHelper::getOffsetFromEvent(const wxMouseEvent& pEvent) {
    wxPoint position = pEvent.GetPosition();
    ToUnscrollPos(position);
    return wxSize(SaturateToInt(int64_t(position.x) - aOrigin.x),
                  SaturateToInt(int64_t(position.y) - aOrigin.y));
}

void TDragHelper::onMouseMove(wxMouseEvent& pEvent) {
    // The window's own handlers still see every motion.
    pEvent.Skip();
    const wxSize offset = getOffsetFromEvent(pEvent);
    if (!aMoved && IsWithinThreshold(offset.x) && IsWithinThreshold(offset.y))
        return;
    DoDragOper(aDragOper, offset, pEvent, aDragData);
    // The owner may have ended the drag from its callback.
    if (aDragOper < 0)
        return;
    aMoved = true;
    UpdateAutoScroll(pEvent);
}

void TDragHelper::UpdateAutoScroll(const wxMouseEvent& pEvent) {
    int width = 0;
    int height = 0;
    aScrollWindow->GetClientSize(&width, &height);
    aScrollX = aAutoScrollX ? ScrollSpeed(pEvent.GetX(), width) : 0;
    aScrollY = aAutoScrollY ? ScrollSpeed(pEvent.GetY(), height) : 0;
    const bool needed = aScrollX != 0 || aScrollY != 0;
    if (needed != aTimerOn) {
        aTimerOn = needed;
        if (needed)
            aScrollTimer.Start(theScrollInterval, wxTIMER_CONTINUOUS);
        else
            aScrollTimer.Stop();
    }
    if (aTimerOn && &pEvent != &aLastEvent)
        aLastEvent = pEvent;
}

void TDragHelper::onScrollTimer(wxTimerEvent&) {
    DoScroll(aScrollX, aScrollY);
    // Converted after the scroll: the same window position now lies elsewhere in the content.
    DoDragOper(aDragOper, getOffsetFromEvent(aLastEvent), aLastEvent, aDragData);
}

void TDragHelper::onMouseCaptureLost(wxMouseCaptureLostEvent&) {
    endDrag(dragEndCAPTURE_LOST);
}

void TDragHelper::endDrag(EDragEndMode pMode) {
    if (aDragOper < 0)
        return;
    if (pMode != dragEndCAPTURE_LOST)
        aScrollWindow->ReleaseMouse();
    aScrollTimer.Stop();
    aTimerOn = false;
    const int oper = aDragOper;
    aDragOper = -1;
    if (aMoved) {
        aMoved = false;
        DoEndDragOper(pMode == dragEndCANCEL ? -1 : oper);
    }
    PopDragHandler();
}

void TDragHelper::PopDragHandler() {
    if (aScrollWindow->GetEventHandler() == &aEventHandler) {
        aScrollWindow->PopEventHandler(false);
        return;
    }
    // Someone pushed a handler over ours: theirs stays, ours must not be left behind.
    ZV_FAIL("aScrollWindow->PopEventHandler() != (wxEvtHandler*)&aEventHandler");
    if (IsDragHandlerPushed())
        aScrollWindow->RemoveEventHandler(&aEventHandler);
}

bool TDragHelper::IsDragHandlerPushed() const {
    for (wxEvtHandler* handler = aScrollWindow->GetEventHandler();
         handler && handler != aScrollWindow; handler = handler->GetNextHandler())
        if (handler == &aEventHandler)
            return true;
    return false;
}

void TDragScrollHelper::DoScroll(int, int) {}

void TDragScrollHelper::ToUnscrollPos(wxPoint& pPos) {
    const wxScrolledWindow* window = dynamic_cast<const wxScrolledWindow*>(aScrollWindow);
    if (!window) {
        ZV_FAIL("dynamic_cast<const wxScrolledWindow*>(aScrollWindow) returned NULL");
        return;
    }
    pPos = window->CalcUnscrolledPosition(pPos);
}

TFileDropTarget::TFileDropTarget(TMostRecentFileList* pFileList) : aFileList(pFileList) {}

bool TFileDropTarget::OnDropFiles(wxCoord, wxCoord, const wxArrayString& pFileNames) {
    return aFileList->OpenFileList(pFileNames) == TMostRecentFileList::openOK;
}
