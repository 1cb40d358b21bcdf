// The drag tracker driven by scripts of synthesised events on a 100 x 50 window; each
// script's log is compared whole.
#include "DLL/Ctl/DragHelper.h"

#include "support/MouseTestWindow.h"

#include <wx/scrolwin.h>

#include <gtest/gtest.h>

namespace {

class TTracker : public TDragRecorder<TDragHelper> {
public:
    using TDragRecorder::TDragRecorder;
    bool IsDragging() const { return aDragOper >= 0; }
    bool IsTimerRunning() const { return aScrollTimer.IsRunning(); }
    wxEvtHandler* Handler() { return &aEventHandler; }
};

wxMouseEvent MouseEvent(wxEventType pType, int pX, int pY) {
    wxMouseEvent event(pType);
    event.SetPosition(wxPoint(pX, pY));
    return event;
}

// Runs pScript on a tracker that auto-scrolls along x and, when pAutoScrollY, along y. Steps:
// "p x y oper" OriginDrag with a press and data, "m x y" motion, "r x y" EndDrag with a
// release, "c" CancelDrag, "l" capture loss, "t" timer tick, "o oper" ChangeOper, "f" a
// foreign handler pushed, "d" the tracker deleted (a fresh one stands in). The log adds the
// timer's start and stop. After every step the window holds the capture, and the tracker's
// handler under the foreign one, exactly while a drag runs.
std::string RunScript(const std::string& pScript, int pAutoScrollY = 1) {
    TMouseTestWindow window;
    std::vector<std::string> calls;
    window.RecordCaptureInto(&calls);
    auto tracker = std::make_unique<TTracker>(calls, window.Window(), 1, pAutoScrollY);
    wxEvtHandler* trackerHandler = tracker->Handler();
    wxEvtHandler foreign;
    std::vector<wxEvtHandler*> foreigners;
    int data = 0;
    const std::string log = RunSteps(pScript, calls, [&](const std::string& pCommand, int* pN) {
        const bool timerWasOn = tracker->IsTimerRunning();
        switch (pCommand[0]) {
        case 'p':
            tracker->OriginDrag(MouseEvent(wxEVT_LEFT_DOWN, pN[0], pN[1]), pN[2], &data);
            break;
        case 'm':
            window.Send(wxEVT_MOTION, pN[0], pN[1]);
            break;
        case 'r':
            tracker->EndDrag(MouseEvent(wxEVT_LEFT_UP, pN[0], pN[1]));
            break;
        case 'c':
            tracker->CancelDrag();
            break;
        case 'l':
            window.LoseCapture();
            break;
        case 't':
            window.Tick();
            break;
        case 'o':
            tracker->ChangeOper(pN[0]);
            break;
        case 'f':
            window.Window()->PushEventHandler(&foreign);
            foreigners.push_back(&foreign);
            break;
        case 'd':
            tracker.reset(new TTracker(calls, window.Window(), 1, 1));
            trackerHandler = tracker->Handler();
            break;
        }
        if (tracker->IsTimerRunning() != timerWasOn)
            calls.push_back(timerWasOn ? "timer off" : "timer on");
        std::vector<wxEvtHandler*> handlers = foreigners;
        if (tracker->IsDragging())
            handlers.push_back(trackerHandler);
        EXPECT_EQ(window.PushedHandlers(), handlers) << "after " << pCommand;
        EXPECT_EQ(window.Window()->HasCapture(), tracker->IsDragging()) << "after " << pCommand;
    });
    for (wxEvtHandler* handler : foreigners)
        window.Window()->RemoveEventHandler(handler);
    return log;
}

// The recorder's content starts scrolled by (1000, 2000), which each tick moves back by 10
// pixels a unit of speed: a press at (50, 25) lies at (1050, 2025) in the content.
const std::pair<const char*, const char*> theScripts[] = {
    // 3 pixels along both axes start nothing, 4 along one axis do; once started, every motion
    // is a step. A drag that never started ends without a callback.
    {"p 50 25 1, m 53 28, m 47 22, m 50 29, m 50 25, r 60 30, p 50 25 1, m 46 25, c,"
     "p 50 25 1, m 53 28, r 52 27",
     "p 50 25 1: capture\nm 53 28:\nm 47 22:\n"
     "m 50 29: drag 1 0,4 @50,29 data\nm 50 25: drag 1 0,0 @50,25 data\n"
     "r 60 30: drag 1 10,5 @60,30 data; release; end 1\n"
     "p 50 25 1: capture\nm 46 25: drag 1 -4,0 @46,25 data\nc: release; end -1\n"
     "p 50 25 1: capture\nm 53 28:\nr 52 27: release\n"},
    // Speeds along x, then y, then both; a tick scrolls first and converts after. A new drag
    // that leaves the window starts the timer again.
    {"p 50 25 1, m -1 25, t, m -4 25, t, m -5 25, t, m 100 25, t, m 103 25, t, m 104 25, t,"
     "m 99 25, m 50 -5, t, m 50 54, t, m 50 49,"
     "m -5 60, t, r -5 60, p 50 25 2, m 120 25, l",
     "p 50 25 1: capture\n"
     "m -1 25: drag 1 -51,0 @-1,25 data; timer on\nt: scroll 1,0; drag 1 -61,0 @-1,25 data\n"
     "m -4 25: drag 1 -64,0 @-4,25 data\nt: scroll 1,0; drag 1 -74,0 @-4,25 data\n"
     "m -5 25: drag 1 -75,0 @-5,25 data\nt: scroll 4,0; drag 1 -115,0 @-5,25 data\n"
     "m 100 25: drag 1 -10,0 @100,25 data\nt: scroll -1,0; drag 1 0,0 @100,25 data\n"
     "m 103 25: drag 1 3,0 @103,25 data\nt: scroll -1,0; drag 1 13,0 @103,25 data\n"
     "m 104 25: drag 1 14,0 @104,25 data\nt: scroll -4,0; drag 1 54,0 @104,25 data\n"
     "m 99 25: drag 1 49,0 @99,25 data; timer off\n"
     "m 50 -5: drag 1 0,-30 @50,-5 data; timer on\nt: scroll 0,4; drag 1 0,-70 @50,-5 data\n"
     "m 50 54: drag 1 0,-11 @50,54 data\nt: scroll 0,-4; drag 1 0,29 @50,54 data\n"
     "m 50 49: drag 1 0,24 @50,49 data; timer off\n"
     "m -5 60: drag 1 -55,35 @-5,60 data; timer on\nt: scroll 4,-4; drag 1 -95,75 @-5,60 data\n"
     "r -5 60: drag 1 -95,75 @-5,60 data; release; end 1; timer off\n"
     "p 50 25 2: capture\nm 120 25: drag 2 70,0 @120,25 data; timer on\nl: end 2; timer off\n"},
    // A changed operation is reported by both callbacks; a bad one, or one without a drag, is
    // refused. A refused start leaves no drag; a start during a drag cancels that one first.
    {"p 50 25 1, m 60 25, o -2, o 5, r 61 25, o 3, p 50 25 -1, m 60 25, p 50 25 1, m 60 25,"
     "p 0 0 2, r 10 0",
     "p 50 25 1: capture\nm 60 25: drag 1 10,0 @60,25 data\no -2: assert pDragOper >= 0\n"
     "o 5:\nr 61 25: drag 5 11,0 @61,25 data; release; end 5\no 3: assert aDragOper >= 0\n"
     "p 50 25 -1: assert pDragOper >= 0\nm 60 25:\n"
     "p 50 25 1: capture\nm 60 25: drag 1 10,0 @60,25 data\n"
     "p 0 0 2: release; end -1; capture\nr 10 0: release\n"},
    // A tracker deleted during a drag tells the owner nothing and leaves the window clean. A
    // handler pushed over the tracker's stays; the tracker's is taken out all the same.
    {"p 50 25 1, m 120 25, d, p 50 25 1, m 60 25, f, r 60 25",
     "p 50 25 1: capture\nm 120 25: drag 1 70,0 @120,25 data; timer on\nd: release; timer off\n"
     "p 50 25 1: capture\nm 60 25: drag 1 10,0 @60,25 data\nf:\n"
     "r 60 25: drag 1 10,0 @60,25 data; release; end 1; "
     "assert aScrollWindow->PopEventHandler() != (wxEvtHandler*)&aEventHandler\n"},
};

} // namespace

TEST(DragHelperGui, ScriptsGiveTheirLogs) {
    for (const auto& [script, log] : theScripts)
        EXPECT_EQ(RunScript(script), log) << script;
    // Without auto-scroll along y, only x counts.
    EXPECT_EQ(RunScript("p 50 25 1, m 50 -10, m -10 -10, t, c", 0),
              "p 50 25 1: capture\nm 50 -10: drag 1 0,-35 @50,-10 data\n"
              "m -10 -10: drag 1 -60,-35 @-10,-10 data; timer on\n"
              "t: scroll 4,0; drag 1 -100,-35 @-10,-10 data\nc: release; end -1; timer off\n");
}

namespace {

// A press at (5, 5), then motion and release at pTo after the window scrolled by (40, 20):
// the offsets of the two steps.
std::vector<wxSize> DragOverScroll(wxWindow* pWindow, wxPoint pTo) {
    std::vector<wxSize> offsets;
    struct TScrollTracker : TDragScrollHelper {
        TScrollTracker(wxWindow* pWindow, std::vector<wxSize>& pOffsets)
            : TDragScrollHelper(pWindow, 1, 1), aOffsets(pOffsets) {}
        void DoDragOper(int, const wxSize& pOffset, const wxMouseEvent&, void*) override {
            aOffsets.push_back(pOffset);
        }
        std::vector<wxSize>& aOffsets;
    } tracker(pWindow, offsets);
    tracker.OriginDrag(MouseEvent(wxEVT_LEFT_DOWN, 5, 5), 0, nullptr);
    if (wxScrolledWindow* scrolled = dynamic_cast<wxScrolledWindow*>(pWindow))
        scrolled->Scroll(4, 2);
    wxMouseEvent motion = MouseEvent(wxEVT_MOTION, pTo.x, pTo.y);
    pWindow->GetEventHandler()->ProcessEvent(motion);
    tracker.EndDrag(MouseEvent(wxEVT_LEFT_UP, pTo.x, pTo.y));
    return offsets;
}

} // namespace

TEST(DragHelperGui, ScrollTrackerTakesContentPositionsFromTheScrolledWindow) {
    TMouseTestWindow frame;
    wxScrolledWindow* scrolled =
        new wxScrolledWindow(frame.Window(), wxID_ANY, wxPoint(0, 0), wxSize(100, 50));
    scrolled->SetScrollbars(10, 10, 100, 100);
    EXPECT_EQ(DragOverScroll(scrolled, wxPoint(5, 5)),
              (std::vector<wxSize>{wxSize(40, 20), wxSize(40, 20)}));
    // On any other window positions stay as they are.
    const wxString cast = "dynamic_cast<const wxScrolledWindow*>(aScrollWindow) returned NULL";
    EXPECT_ASSERTS(EXPECT_EQ(DragOverScroll(frame.Window(), wxPoint(15, 5)),
                             (std::vector<wxSize>{wxSize(10, 0), wxSize(10, 0)})),
                   cast, cast, cast);
}
