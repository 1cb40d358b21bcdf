// The drag automaton driven by scripts of synthesised events, each script's log compared
// whole; the window's handler stack and capture are checked after every step.
#include "DLL/Ctl/DragAutomaton.h"

#include "DLL/Res/DrawingResources.h"
#include "support/MouseTestWindow.h"

#include <gtest/gtest.h>

namespace {

using EHoverStatus = IDragAutomaton::IActionee::EHoverStatus;

// Items by x: [20, 40) item 0 and [40, 60) item 1 with the horizontal size cursor, [60, 80)
// item 2 with the vertical one, [80, 100) item 3 with no cursor of its own; nothing elsewhere,
// but left of -100 the answer "nothing" wrongly comes with a cursor. Notifications are logged
// as "hover index status cursor" ("-" for null).
class TActionee : public TDragRecorder<IDragAutomaton::IActionee> {
public:
    using TDragRecorder::TDragRecorder;

    int GetIndexFromPosition(const wxMouseEvent& pEvent, const wxCursor*& pCursor) override {
        const int x = pEvent.GetX();
        if (x < -100)
            pCursor = GetHoriSizeCursor();
        if (x < 20 || x >= 100)
            return -1;
        const int index = (x - 20) / 20;
        if (index < 3)
            pCursor = index < 2 ? GetHoriSizeCursor() : GetVertSizeCursor();
        return index;
    }
    void SetHoverStatus(int pIndex, EHoverStatus pStatus, const wxCursor* pCursor) override {
        const char* const statuses[] = {"none", "dig", "over"};
        const char* cursor = pCursor == &wxNullCursor ? "nocursor" : pCursor ? "other" : "-";
        if (pCursor == GetHoriSizeCursor() || pCursor == GetVertSizeCursor())
            cursor = pCursor == GetHoriSizeCursor() ? "hori" : "vert";
        else if (pCursor == GetInvalidCursor())
            cursor = "invalid";
        Record(wxString::Format("hover %d %s %s", pIndex, statuses[pStatus], cursor));
    }
};

// An automaton on a 100 x 50 window. Steps: "e x y" enter, "l" leave, "m x y" motion, "d x y"
// left down, "u x y" left up, "x" capture loss, "t" timer tick, "on" and "off" Enable, "del"
// the automaton deleted. After each step the window's handler stack is the automaton while
// enabled, with the tracker's handler over it exactly while the window holds the capture.
class TAutomatonRig {
public:
    explicit TAutomatonRig(bool pEnabled)
        : aActionee(aCalls),
          aAutomaton(IDragAutomaton::Create(aActionee, aWindow.Window(), pEnabled)),
          aEnabled(pEnabled) {
        aWindow.RecordCaptureInto(&aCalls);
    }
    ~TAutomatonRig() { aWindow.RecordCaptureInto(nullptr); }

    std::string Run(const std::string& pScript) {
        return RunSteps(pScript, aCalls, [this](const std::string& pCommand, int* pN) {
            Step(pCommand, pN[0], pN[1]);
        });
    }

private:
    void Step(const std::string& pCommand, int pX, int pY) {
        // The mouse event types by their step letters.
        const std::string letters = "elmdu";
        const wxEventType types[] = {wxEVT_ENTER_WINDOW, wxEVT_LEAVE_WINDOW, wxEVT_MOTION,
                                     wxEVT_LEFT_DOWN, wxEVT_LEFT_UP};
        if (pCommand.size() == 1 && letters.find(pCommand[0]) != std::string::npos) {
            aWindow.Send(types[letters.find(pCommand[0])], pX, pY);
        } else if (pCommand == "x") {
            aWindow.LoseCapture();
        } else if (pCommand == "t") {
            aWindow.Tick();
        } else if (pCommand == "del") {
            aAutomaton.reset();
            aEnabled = false;
        } else {
            aEnabled = pCommand == "on";
            aAutomaton->Enable(aEnabled);
        }
        const std::vector<wxEvtHandler*> handlers = aWindow.PushedHandlers();
        wxEvtHandler* const automaton = dynamic_cast<wxEvtHandler*>(aAutomaton.get());
        EXPECT_TRUE(aEnabled
                        ? !handlers.empty() && handlers.size() <= 2 && handlers.back() == automaton
                        : handlers.empty())
            << "after " << pCommand;
        EXPECT_EQ(aWindow.Window()->HasCapture(), aEnabled && handlers.size() == 2)
            << "after " << pCommand;
    }

    std::vector<std::string> aCalls;
    TMouseTestWindow aWindow;
    TActionee aActionee;
    std::unique_ptr<IDragAutomaton> aAutomaton;
    bool aEnabled;
};

const std::pair<const char*, const char*> theScripts[] = {
    // The first notification carries its cursor, even no cursor; the same cursor again is
    // null. Outside, only entering counts. Leaving from Off says nothing, from Hover it says
    // "none" with no cursor (null when that was the last one).
    {"e 10 5, m 12 5, l, m 30 5, d 30 5, u 30 5, e 30 5, m 31 5, m 45 5, m 65 5, m 85 5, m 86 5,"
     "m 10 5, l, e 30 5, l",
     "e 10 5: hover -1 none nocursor\nm 12 5: hover -1 none -\nl:\nm 30 5:\nd 30 5:\nu 30 5:\n"
     "e 30 5: hover 0 over hori\nm 31 5: hover 0 over -\nm 45 5: hover 1 over -\n"
     "m 65 5: hover 2 over vert\nm 85 5: hover 3 over nocursor\nm 86 5: hover 3 over -\n"
     "m 10 5: hover -1 none -\nl:\ne 30 5: hover 0 over hori\nl: hover -1 none nocursor\n"},
    // A press over nothing digs, silently until the release or the leave.
    {"e 10 5, d 10 5, m 30 5, d 30 5, u 30 5, m 10 5, d 10 5, m 50 5, l, e 10 5",
     "e 10 5: hover -1 none nocursor\nd 10 5: hover -1 dig invalid\nm 30 5:\nd 30 5:\n"
     "u 30 5: hover 0 over hori\nm 10 5: hover -1 none nocursor\nd 10 5: hover -1 dig invalid\n"
     "m 50 5:\nl: hover -1 none nocursor\ne 10 5: hover -1 none -\n"},
    // A drag carries the item's index and no data; motion reaches only the tracker, which
    // scrolls and converts through the actionee. After the release, motion is back, once.
    // Press and release without moving: no drag callback, one position test.
    {"e 65 5, d 65 5, m 68 8, m 75 5, l, m 120 5, t, u 120 5, m 76 5, d 76 5, u 77 5, m 78 5",
     "e 65 5: hover 2 over vert\nd 65 5: capture\nm 68 8:\nm 75 5: drag 2 10,0 @75,5\nl:\n"
     "m 120 5: drag 2 55,0 @120,5\nt: scroll -4,0; drag 2 95,0 @120,5\n"
     "u 120 5: drag 2 95,0 @120,5; release; end 2; hover -1 none nocursor\n"
     "m 76 5: hover 2 over vert\nd 76 5: capture\nu 77 5: release; hover 2 over -\n"
     "m 78 5: hover 2 over -\n"},
    // A capture loss ends the drag; the automaton waits for the release.
    {"e 30 5, d 30 5, m 40 5, x, m 50 5, d 50 5, u 50 5, m 51 5",
     "e 30 5: hover 0 over hori\nd 30 5: capture\nm 40 5: drag 0 10,0 @40,5\nx: end 0\n"
     "m 50 5:\nd 50 5:\nu 50 5: hover 1 over -\nm 51 5: hover 1 over -\n"},
    // Disabling during a drag ends it without a step to (0, 0), then tests (0, 0); motion is
    // bound once again when enabled. The same through deletion.
    {"e 30 5, d 30 5, m 40 5, off, m 50 5, on, m 45 5, d 45 5, m 55 5, del",
     "e 30 5: hover 0 over hori\nd 30 5: capture\nm 40 5: drag 0 10,0 @40,5\n"
     "off: release; end 0; hover -1 none nocursor\nm 50 5:\non:\nm 45 5: hover 1 over hori\n"
     "d 45 5: capture\nm 55 5: drag 1 10,0 @55,5\ndel: release; end 1; hover -1 none nocursor\n"},
    // An actionee that answers "nothing" with a cursor is reported; the cursor goes on.
    {"e -200 5", "e -200 5: hover -1 none hori; assert Cursor == &wxNullCursor\n"},
};

} // namespace

TEST(DragAutomatonGui, ScriptsGiveTheirLogs) {
    for (const auto& [script, log] : theScripts)
        EXPECT_EQ(TAutomatonRig(true).Run(script), log) << script;
    // Created disabled, the window stays unbound until enabled; Enable with the current value
    // does nothing.
    EXPECT_EQ(TAutomatonRig(false).Run("e 30 5, m 31 5, on, on, e 30 5, m 31 5, off, off, m 32 5"),
              "e 30 5:\nm 31 5:\non:\non:\ne 30 5: hover 0 over hori\nm 31 5: hover 0 over -\n"
              "off: hover -1 none nocursor\noff:\nm 32 5:\n");
}
