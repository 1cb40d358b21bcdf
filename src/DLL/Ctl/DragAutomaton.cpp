#include "DLL/Ctl/DragAutomaton.h"

#include "ALL/Assert.h"
#include "DLL/Res/DrawingResources.h"

#include <wx/window.h>

#include <memory>

namespace {

using EHoverStatus = IDragAutomaton::IActionee::EHoverStatus;

enum EDragState { dragStateOUT, dragStateOFF, dragStateDIG, dragStateHOVER, dragStateDRAG };
constexpr int theStateCount = 5;

// One state of the automaton: takes a mouse event and returns the index of the next state.
class IDragAutomatonState {
public:
    virtual int ProcessMouseEvent(wxMouseEvent& pEvent, IDragAutomaton* pAutomaton) = 0;
    virtual ~IDragAutomatonState() = default;
};

class TDragAutomaton : public wxEvtHandler, public IDragAutomaton, public TDragHelper {
public:
    TDragAutomaton(IActionee& pActionee, wxWindow* pWindow, bool pEnable);
    ~TDragAutomaton() override;

    void DoScroll(int pDx, int pDy) override { aActionee->DoScroll(pDx, pDy); }
    void DoDragOper(int, const wxSize& pOffset, const wxMouseEvent& pEvent, void* pData) override {
        aActionee->DoDragOper(aIndex, pOffset, pEvent, pData);
    }
    void DoEndDragOper(int pOper) override { aActionee->DoEndDragOper(pOper); }
    void ToUnscrollPos(wxPoint& pPos) override { aActionee->ToUnscrollPos(pPos); }
    void Enable(bool pEnable) override;

    // The dispatcher bound to the window's five mouse events.
    void onMouseEvent(wxMouseEvent& pEvent);
    // Asks the actionee for the item under pEvent, tells it the hover status and returns the
    // next state (Off or Hover).
    int GetStateFromPosition(const wxMouseEvent& pEvent);
    // Tells the actionee; a cursor equal to the last one passed goes out as null.
    void Notify(int pIndex, EHoverStatus pStatus, const wxCursor* pCursor);
    // Starts dragging the item under the press pEvent; motion then reaches only the tracker.
    void StartDrag(const wxMouseEvent& pEvent);
    // Finishes the drag with the release pEvent and takes motion back.
    void FinishDrag(const wxMouseEvent& pEvent);

private:
    // Binds the five mouse events to onMouseEvent (in the order enter, leave, left up, left
    // down, motion), or unbinds them.
    void BindMouseEvents(bool pBind);
    void BindMouseEvent(const wxEventTypeTag<wxMouseEvent>& pType, bool pBind);

    IActionee* aActionee;
    int aState;
    std::unique_ptr<IDragAutomatonState> aStates[theStateCount];
    const wxCursor* aLastCursor; // null until the first notification
    int aIndex;                  // item of the last position test
    bool aEnabled;
};

// The states share the conversion back to the automaton; a state that gets another
// automaton stays where it is.
template <int tState>
class TDragState : public IDragAutomatonState {
public:
    int ProcessMouseEvent(wxMouseEvent& pEvent, IDragAutomaton* pAutomaton) override {
        TDragAutomaton* automaton = dynamic_cast<TDragAutomaton*>(pAutomaton);
        if (!automaton) {
            ZV_FAIL("dynamic_cast<TDragAutomaton*>(pAutomaton) returned NULL");
            return tState;
        }
        return Next(pEvent, *automaton);
    }

private:
    virtual int Next(wxMouseEvent& pEvent, TDragAutomaton& pAutomaton) = 0;
};

// The mouse is outside the window.
class TDragStateOut : public TDragState<dragStateOUT> {
    int Next(wxMouseEvent& pEvent, TDragAutomaton& pAutomaton) override {
        return pEvent.Entering() ? pAutomaton.GetStateFromPosition(pEvent) : dragStateOUT;
    }
};

// Inside, over nothing.
class TDragStateOff : public TDragState<dragStateOFF> {
    int Next(wxMouseEvent& pEvent, TDragAutomaton& pAutomaton) override {
        if (pEvent.Leaving())
            return dragStateOUT;
        if (pEvent.LeftDown()) {
            pAutomaton.Notify(-1, EHoverStatus::hoverDIG, GetInvalidCursor());
            return dragStateDIG;
        }
        return pAutomaton.GetStateFromPosition(pEvent);
    }
};

// The left button went down over nothing and is still down.
class TDragStateDig : public TDragState<dragStateDIG> {
    int Next(wxMouseEvent& pEvent, TDragAutomaton& pAutomaton) override {
        if (pEvent.Leaving()) {
            pAutomaton.Notify(-1, EHoverStatus::hoverNONE, &wxNullCursor);
            return dragStateOUT;
        }
        return pEvent.LeftUp() ? pAutomaton.GetStateFromPosition(pEvent) : dragStateDIG;
    }
};

// Over an item.
class TDragStateHover : public TDragState<dragStateHOVER> {
    int Next(wxMouseEvent& pEvent, TDragAutomaton& pAutomaton) override {
        if (pEvent.Leaving()) {
            pAutomaton.Notify(-1, EHoverStatus::hoverNONE, &wxNullCursor);
            return dragStateOUT;
        }
        if (pEvent.LeftDown()) {
            pAutomaton.StartDrag(pEvent);
            return dragStateDRAG;
        }
        return pAutomaton.GetStateFromPosition(pEvent);
    }
};

// An item is being dragged; after a capture loss the drag is over but the state waits for
// the release.
class TDragStateDrag : public TDragState<dragStateDRAG> {
    int Next(wxMouseEvent& pEvent, TDragAutomaton& pAutomaton) override {
        if (!pEvent.LeftUp())
            return dragStateDRAG;
        pAutomaton.FinishDrag(pEvent);
        return pAutomaton.GetStateFromPosition(pEvent);
    }
};

TDragAutomaton::TDragAutomaton(IActionee& pActionee, wxWindow* pWindow, bool pEnable)
    : TDragHelper(pWindow, 1, 1), aActionee(&pActionee),
      aState(dragStateOUT), aStates{std::make_unique<TDragStateOut>(),
                                    std::make_unique<TDragStateOff>(),
                                    std::make_unique<TDragStateDig>(),
                                    std::make_unique<TDragStateHover>(),
                                    std::make_unique<TDragStateDrag>()},
      aLastCursor(nullptr), aIndex(-1), aEnabled(false) {
    Enable(pEnable);
}

TDragAutomaton::~TDragAutomaton() {
    Enable(false);
}

void TDragAutomaton::Enable(bool pEnable) {
    if (pEnable == aEnabled)
        return;
    if (pEnable) {
        aScrollWindow->PushEventHandler(this);
        BindMouseEvents(true);
        aEnabled = true;
        return;
    }
    // A running drag ends here without a step to a position the user never chose; the
    // release below then only tests the position.
    endDrag(dragEndNORMAL);
    wxMouseEvent release(wxEVT_LEFT_UP);
    onMouseEvent(release);
    // Pops the automaton, or takes it out from under a handler pushed after it.
    aScrollWindow->RemoveEventHandler(this);
    BindMouseEvents(false);
    aEnabled = false;
}

void TDragAutomaton::onMouseEvent(wxMouseEvent& pEvent) {
    const int next = aStates[aState]->ProcessMouseEvent(pEvent, this);
    // The window's own handlers see every mouse event too.
    pEvent.Skip();
    aState = next;
}

int TDragAutomaton::GetStateFromPosition(const wxMouseEvent& pEvent) {
    const wxCursor* Cursor = &wxNullCursor;
    aIndex = aActionee->GetIndexFromPosition(pEvent, Cursor);
    if (aIndex < 0) {
        ZV_ASSERT(Cursor == &wxNullCursor);
        Notify(aIndex, EHoverStatus::hoverNONE, Cursor);
        return dragStateOFF;
    }
    Notify(aIndex, EHoverStatus::hoverOVER, Cursor);
    return dragStateHOVER;
}

void TDragAutomaton::Notify(int pIndex, EHoverStatus pStatus, const wxCursor* pCursor) {
    const wxCursor* passed = nullptr;
    if (pCursor != aLastCursor) {
        aLastCursor = pCursor;
        passed = pCursor;
    }
    aActionee->SetHoverStatus(pIndex, pStatus, passed);
}

void TDragAutomaton::StartDrag(const wxMouseEvent& pEvent) {
    OriginDrag(pEvent, aIndex, nullptr);
    BindMouseEvent(wxEVT_MOTION, false);
}

void TDragAutomaton::FinishDrag(const wxMouseEvent& pEvent) {
    BindMouseEvent(wxEVT_MOTION, true);
    EndDrag(pEvent);
}

void TDragAutomaton::BindMouseEvents(bool pBind) {
    for (const wxEventTypeTag<wxMouseEvent>* type :
         {&wxEVT_ENTER_WINDOW, &wxEVT_LEAVE_WINDOW, &wxEVT_LEFT_UP, &wxEVT_LEFT_DOWN,
          &wxEVT_MOTION})
        BindMouseEvent(*type, pBind);
}

void TDragAutomaton::BindMouseEvent(const wxEventTypeTag<wxMouseEvent>& pType, bool pBind) {
    if (pBind)
        aScrollWindow->Bind(pType, &TDragAutomaton::onMouseEvent, this);
    else
        aScrollWindow->Unbind(pType, &TDragAutomaton::onMouseEvent, this);
}

} // namespace

IDragAutomaton::IActionee::~IActionee() = default;

IDragAutomaton::~IDragAutomaton() = default;

IDragAutomaton* IDragAutomaton::Create(IActionee& pActionee, wxWindow* pWindow, bool pEnable) {
    return new TDragAutomaton(pActionee, pWindow, pEnable);
}
