// The drag tracker driven by scripts of synthesised events on a 100 x 50 window; each script's
// log of callbacks is compared whole.
#include "DLL/Ctl/DragHelper.h"

#include "support/AssertCapture.h"
#include "support/MouseTestWindow.h"

#include <wx/scrolwin.h>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace {

class TTracker : public TDragRecorder<TDragHelper> {
public:
    using TDragRecorder::TDragRecorder;
    bool IsDragging() const { return aDragOper >= 0; }
    bool IsTimerRunning() const { return aScrollTimer.IsRunning(); }
    bool IsTimerFlagSet() const { return aTimerOn; }
    wxEvtHandler* Handler() { return &aEventHandler; }
};

wxMouseEvent MouseEvent(wxEventType pType, int pX, int pY) {
    wxMouseEvent event(pType);
    event.SetPosition(wxPoint(pX, pY));
    return event;
}

// Runs pScript on a tracker of a 100 x 50 window (auto-scroll on x, and on y when
// pAutoScrollY) and returns its log: one line per step with the callbacks, the assertion
// reports ("assert <text>"), the window's "capture" and "release", and the timer's start or
// stop ("timer on", "timer off"). Steps:
//   p x y oper  OriginDrag with a press at (x, y) and data;  o oper  ChangeOper
//   m x y  motion;  r x y  EndDrag with a release;  c  CancelDrag;  l  capture loss
//   t  timer tick;  f  push a foreign handler on the window;  d  delete the tracker
// After every step the window holds the capture exactly while a drag runs and has the
// tracker's handler pushed (under the foreign one) only then.
std::string RunScript(const std::string& pScript, int pAutoScrollY = 1) {
    TMouseTestWindow window;
    std::vector<std::string> calls;
    window.RecordCaptureInto(&calls);
    auto tracker = std::make_unique<TTracker>(calls, window.Window(), 1, pAutoScrollY);
    wxEvtHandler* const trackerHandler = tracker->Handler();
    wxEvtHandler foreign;
    bool foreignPushed = false;
    int data = 0;
    std::istringstream steps(pScript);
    std::string log;
    for (std::string command; steps >> command;) {
        std::string step = command;
        auto arg = [&] {
            int value = 0;
            steps >> value;
            step += " " + std::to_string(value);
            return value;
        };
        const bool timerWasOn = tracker->IsTimerRunning();
        {
            TAssertCapture capture;
            if (command == "p") {
                const int x = arg(), y = arg(), oper = arg();
                tracker->OriginDrag(MouseEvent(wxEVT_LEFT_DOWN, x, y), oper, &data);
            } else if (command == "m") {
                const int x = arg(), y = arg();
                window.Send(wxEVT_MOTION, x, y);
            } else if (command == "r") {
                const int x = arg(), y = arg();
                tracker->EndDrag(MouseEvent(wxEVT_LEFT_UP, x, y));
            } else if (command == "o") {
                tracker->ChangeOper(arg());
            } else if (command == "c") {
                tracker->CancelDrag();
            } else if (command == "l") {
                window.LoseCapture();
            } else if (command == "t") {
                window.Tick();
            } else if (command == "f") {
                window.Window()->PushEventHandler(&foreign);
                foreignPushed = true;
            } else if (command == "d") {
                // A fresh tracker stands in for the deleted one in the checks below.
                tracker.reset(new TTracker(calls, window.Window(), 1, 1));
            } else {
                ADD_FAILURE() << "unknown step " << command;
            }
            for (const wxString& condition : capture.Conditions())
                calls.push_back("assert " + condition.ToStdString());
        }
        if (tracker->IsTimerRunning() != timerWasOn)
            calls.push_back(timerWasOn ? "timer off" : "timer on");
        log += LogLine(step, calls);
        calls.clear();

        std::vector<wxEvtHandler*> handlers;
        if (foreignPushed)
            handlers.push_back(&foreign);
        if (tracker->IsDragging())
            handlers.push_back(trackerHandler);
        EXPECT_EQ(window.PushedHandlers(), handlers) << "after " << step;
        EXPECT_EQ(window.Window()->HasCapture(), tracker->IsDragging()) << "after " << step;
        EXPECT_EQ(tracker->IsTimerFlagSet(), tracker->IsTimerRunning()) << "after " << step;
    }
    EXPECT_FALSE(tracker->IsDragging()) << "the script must end every drag";
    if (foreignPushed)
        window.Window()->RemoveEventHandler(&foreign);
    return log;
}

struct TScript {
    const char* aScript;
    const char* aLog;
    int aAutoScrollY;
};

// The recorder's content starts scrolled by (1000, 2000), which each scroll tick moves back by
// 10 pixels a unit of speed: a press at (50, 25) lies at (1050, 2025) in the content.
const TScript theScripts[] = {
    // 3 pixels along both axes start nothing, 4 along one axis do; once started, every motion
    // is a step.
    {"p 50 25 1  m 53 28  m 47 22  m 50 29  m 50 25  m 99 49  r 60 30",
     "p 50 25 1: capture\n"
     "m 53 28:\n"
     "m 47 22:\n"
     "m 50 29: drag 1 0,4 @50,29 data\n"
     "m 50 25: drag 1 0,0 @50,25 data\n"
     "m 99 49: drag 1 49,24 @99,49 data\n"
     "r 60 30: drag 1 10,5 @60,30 data; release; end 1\n",
     1},
    {"p 50 25 1  m 46 25  c",
     "p 50 25 1: capture\n"
     "m 46 25: drag 1 -4,0 @46,25 data\n"
     "c: release; end -1\n",
     1},
    // A press and a release within the threshold: no callback at all.
    {"p 50 25 1  m 53 28  r 52 27  p 50 25 1  c",
     "p 50 25 1: capture\nm 53 28:\nr 52 27: release\np 50 25 1: capture\nc: release\n", 1},
    // Speeds along x, then y, then both; a tick scrolls first and converts after. A new drag
    // that leaves the window starts the timer again.
    {"p 50 25 1  m -1 25 t  m -4 25 t  m -5 25 t  m 100 25 t  m 103 25 t  m 104 25 t  m 99 25"
     "  m 50 -1 t  m 50 -5 t  m 50 50 t  m 50 53 t  m 50 54 t  m 50 49"
     "  m -5 60 t  r -5 60  p 50 25 2  m 120 25  l",
     "p 50 25 1: capture\n"
     "m -1 25: drag 1 -51,0 @-1,25 data; timer on\n"
     "t: scroll 1,0; drag 1 -61,0 @-1,25 data\n"
     "m -4 25: drag 1 -64,0 @-4,25 data\n"
     "t: scroll 1,0; drag 1 -74,0 @-4,25 data\n"
     "m -5 25: drag 1 -75,0 @-5,25 data\n"
     "t: scroll 4,0; drag 1 -115,0 @-5,25 data\n"
     "m 100 25: drag 1 -10,0 @100,25 data\n"
     "t: scroll -1,0; drag 1 0,0 @100,25 data\n"
     "m 103 25: drag 1 3,0 @103,25 data\n"
     "t: scroll -1,0; drag 1 13,0 @103,25 data\n"
     "m 104 25: drag 1 14,0 @104,25 data\n"
     "t: scroll -4,0; drag 1 54,0 @104,25 data\n"
     "m 99 25: drag 1 49,0 @99,25 data; timer off\n"
     "m 50 -1: drag 1 0,-26 @50,-1 data; timer on\n"
     "t: scroll 0,1; drag 1 0,-36 @50,-1 data\n"
     "m 50 -5: drag 1 0,-40 @50,-5 data\n"
     "t: scroll 0,4; drag 1 0,-80 @50,-5 data\n"
     "m 50 50: drag 1 0,-25 @50,50 data\n"
     "t: scroll 0,-1; drag 1 0,-15 @50,50 data\n"
     "m 50 53: drag 1 0,-12 @50,53 data\n"
     "t: scroll 0,-1; drag 1 0,-2 @50,53 data\n"
     "m 50 54: drag 1 0,-1 @50,54 data\n"
     "t: scroll 0,-4; drag 1 0,39 @50,54 data\n"
     "m 50 49: drag 1 0,34 @50,49 data; timer off\n"
     "m -5 60: drag 1 -55,45 @-5,60 data; timer on\n"
     "t: scroll 4,-4; drag 1 -95,85 @-5,60 data\n"
     "r -5 60: drag 1 -95,85 @-5,60 data; release; end 1; timer off\n"
     "p 50 25 2: capture\n"
     "m 120 25: drag 2 70,0 @120,25 data; timer on\n"
     "l: end 2; timer off\n",
     1},
    // Without auto-scroll along y, only x counts.
    {"p 50 25 1  m 50 -10  m -10 -10 t  c",
     "p 50 25 1: capture\n"
     "m 50 -10: drag 1 0,-35 @50,-10 data\n"
     "m -10 -10: drag 1 -60,-35 @-10,-10 data; timer on\n"
     "t: scroll 4,0; drag 1 -100,-35 @-10,-10 data\n"
     "c: release; end -1; timer off\n",
     0},
    // A changed operation is reported by both callbacks; a bad one is refused.
    {"p 50 25 1  m 60 25  o -2  o 5  r 61 25  o 3",
     "p 50 25 1: capture\n"
     "m 60 25: drag 1 10,0 @60,25 data\n"
     "o -2: assert pDragOper >= 0\n"
     "o 5:\n"
     "r 61 25: drag 5 11,0 @61,25 data; release; end 5\n"
     "o 3: assert aDragOper >= 0\n",
     1},
    // A refused start leaves no drag; a start during a drag cancels that drag first.
    {"p 50 25 -1  m 60 25  p 50 25 1  m 60 25  p 0 0 2  m 10 0  r 10 0",
     "p 50 25 -1: assert pDragOper >= 0\n"
     "m 60 25:\n"
     "p 50 25 1: capture\n"
     "m 60 25: drag 1 10,0 @60,25 data\n"
     "p 0 0 2: release; end -1; capture\n"
     "m 10 0: drag 2 10,0 @10,0 data\n"
     "r 10 0: drag 2 10,0 @10,0 data; release; end 2\n",
     1},
    // A handler pushed over the tracker's stays; the tracker's is taken out all the same.
    {"p 50 25 1  m 60 25  f  r 60 25",
     "p 50 25 1: capture\n"
     "m 60 25: drag 1 10,0 @60,25 data\n"
     "f:\n"
     "r 60 25: drag 1 10,0 @60,25 data; release; end 1; "
     "assert aScrollWindow->PopEventHandler() != (wxEvtHandler*)&aEventHandler\n",
     1},
    // A tracker deleted during a drag tells the owner nothing and leaves the window clean.
    {"p 50 25 1  m 120 25  d",
     "p 50 25 1: capture\nm 120 25: drag 1 70,0 @120,25 data; timer on\nd: release; timer off\n",
     1},
};

} // namespace

TEST(DragHelperGui, ScriptsGiveTheirLogs) {
    for (const TScript& script : theScripts)
        EXPECT_EQ(RunScript(script.aScript, script.aAutoScrollY), script.aLog) << script.aScript;
}

namespace {

class TScrollTracker : public TDragScrollHelper {
public:
    TScrollTracker(wxWindow* pWindow, std::vector<wxSize>& pOffsets)
        : TDragScrollHelper(pWindow, 1, 1), aOffsets(pOffsets) {}
    void DoDragOper(int, const wxSize& pOffset, const wxMouseEvent&, void*) override {
        aOffsets.push_back(pOffset);
    }

private:
    std::vector<wxSize>& aOffsets;
};

// A press at (5, 5), a scroll of the window by pScroll pixels, motion and release at pTo.
std::vector<wxSize> DragOverScroll(wxWindow* pWindow, wxPoint pScroll, wxPoint pTo) {
    std::vector<wxSize> offsets;
    TScrollTracker tracker(pWindow, offsets);
    tracker.OriginDrag(MouseEvent(wxEVT_LEFT_DOWN, 5, 5), 0, nullptr);
    if (wxScrolledWindow* scrolled = dynamic_cast<wxScrolledWindow*>(pWindow))
        scrolled->Scroll(pScroll.x / 10, pScroll.y / 10);
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
    EXPECT_EQ(DragOverScroll(scrolled, wxPoint(40, 20), wxPoint(5, 5)),
              (std::vector<wxSize>{wxSize(40, 20), wxSize(40, 20)}));
    // On any other window positions stay as they are.
    const wxString cast = "dynamic_cast<const wxScrolledWindow*>(aScrollWindow) returned NULL";
    EXPECT_ASSERTS(EXPECT_EQ(DragOverScroll(frame.Window(), wxPoint(40, 20), wxPoint(15, 5)),
                             (std::vector<wxSize>{wxSize(10, 0), wxSize(10, 0)})),
                   cast, cast, cast);
}
