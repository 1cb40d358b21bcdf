// The drag automaton driven by scripts of synthesised events (each script's log compared
// whole) and by a long seeded random run checked against its invariants after every step.
#include "DLL/Ctl/DragAutomaton.h"

#include "DLL/Res/DrawingResources.h"
#include "support/AssertCapture.h"
#include "support/MouseTestWindow.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <sstream>

namespace {

using EHoverStatus = IDragAutomaton::IActionee::EHoverStatus;

// Items by x: [20, 40) item 0 and [40, 60) item 1 with the horizontal size cursor, [60, 80)
// item 2 with the vertical one, [80, 100) item 3 with no cursor of its own; nothing elsewhere,
// but left of -100 the answer "nothing" wrongly comes with a cursor. Notifications are logged
// as "hover index status cursor".
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
        Record(wxString::Format("hover %d %s %s", pIndex, statuses[pStatus], CursorName(pCursor)));
    }

private:
    static const char* CursorName(const wxCursor* pCursor) {
        if (!pCursor)
            return "-";
        if (pCursor == &wxNullCursor)
            return "nocursor";
        if (pCursor == GetHoriSizeCursor())
            return "hori";
        if (pCursor == GetVertSizeCursor())
            return "vert";
        return pCursor == GetInvalidCursor() ? "invalid" : "other";
    }
};

// An automaton on a 100 x 50 window with its actionee; one step at a time, each step's calls
// (with the window's "capture" and "release" and any assertion report) left in Calls().
class TAutomatonRig {
public:
    explicit TAutomatonRig(bool pEnabled)
        : aActionee(aCalls),
          aAutomaton(IDragAutomaton::Create(aActionee, aWindow.Window(), pEnabled)),
          aEnabled(pEnabled) {
        aWindow.RecordCaptureInto(&aCalls);
    }
    ~TAutomatonRig() { aWindow.RecordCaptureInto(nullptr); }

    // Steps: "e x y" enter, "l" leave, "m x y" motion, "d x y" left down, "u x y" left up,
    // "x" capture loss, "t" timer tick, "on" and "off" Enable, "del" delete the automaton.
    void Step(const std::string& pCommand, int pX, int pY) {
        aCalls.clear();
        TAssertCapture capture;
        if (pCommand == "e")
            aWindow.Send(wxEVT_ENTER_WINDOW, pX, pY);
        else if (pCommand == "l")
            aWindow.Send(wxEVT_LEAVE_WINDOW, pX, pY);
        else if (pCommand == "m")
            aWindow.Send(wxEVT_MOTION, pX, pY);
        else if (pCommand == "d")
            aWindow.Send(wxEVT_LEFT_DOWN, pX, pY);
        else if (pCommand == "u")
            aWindow.Send(wxEVT_LEFT_UP, pX, pY);
        else if (pCommand == "x")
            aWindow.LoseCapture();
        else if (pCommand == "t")
            aWindow.Tick();
        else if (pCommand == "on" || pCommand == "off")
            aAutomaton->Enable(aEnabled = pCommand == "on");
        else if (pCommand == "del") {
            aAutomaton.reset();
            aEnabled = false;
        } else
            ADD_FAILURE() << "unknown step " << pCommand;
        for (const wxString& condition : capture.Conditions())
            aCalls.push_back("assert " + condition.ToStdString());
    }
    const std::vector<std::string>& Calls() const { return aCalls; }

    // Checks the window's handler stack (the automaton while enabled, the tracker's handler
    // over it) and the capture (held exactly while the tracker's handler is pushed); returns
    // whether a drag runs.
    bool CheckWindow(const std::string& pAfter) const {
        const std::vector<wxEvtHandler*> handlers = aWindow.PushedHandlers();
        wxEvtHandler* const automaton = dynamic_cast<wxEvtHandler*>(aAutomaton.get());
        const bool dragging = aEnabled && handlers.size() == 2;
        if (aEnabled) {
            EXPECT_TRUE(!handlers.empty() && handlers.size() <= 2 && handlers.back() == automaton &&
                        handlers.front() != aWindow.Window())
                << "after " << pAfter;
        } else {
            EXPECT_TRUE(handlers.empty()) << "after " << pAfter;
        }
        EXPECT_EQ(aWindow.Window()->HasCapture(), dragging) << "after " << pAfter;
        return dragging;
    }

private:
    TMouseTestWindow aWindow;
    std::vector<std::string> aCalls;
    TActionee aActionee;
    std::unique_ptr<IDragAutomaton> aAutomaton;
    bool aEnabled;
};

// The log of a script of steps (see TAutomatonRig::Step), one line per step.
std::string RunScript(const std::string& pScript, bool pEnabled) {
    TAutomatonRig rig(pEnabled);
    std::istringstream steps(pScript);
    std::string log;
    for (std::string command; steps >> command;) {
        std::string step = command;
        int x = 0, y = 0;
        if (command.size() == 1 && command != "l" && command != "x" && command != "t") {
            steps >> x >> y;
            step += " " + std::to_string(x) + " " + std::to_string(y);
        }
        rig.Step(command, x, y);
        rig.CheckWindow(step);
        log += LogLine(step, rig.Calls());
    }
    return log;
}

struct TScript {
    const char* aScript;
    const char* aLog;
    bool aEnabled;
};

const TScript theScripts[] = {
    // The first notification carries its cursor, even no cursor; the same cursor again is
    // null. Leaving from Off says nothing, from Hover it says "none" with no cursor (null
    // when that was the last one). Outside, only entering counts.
    {"e 10 5  m 12 5  l  m 30 5  d 30 5  u 30 5  e 30 5  m 31 5  m 45 5  m 65 5  m 85 5  m 86 5  m "
     "10 5  l"
     "  e 30 5  l  e 85 5  l",
     "e 10 5: hover -1 none nocursor\n"
     "m 12 5: hover -1 none -\n"
     "l:\n"
     "m 30 5:\n"
     "d 30 5:\n"
     "u 30 5:\n"
     "e 30 5: hover 0 over hori\n"
     "m 31 5: hover 0 over -\n"
     "m 45 5: hover 1 over -\n"
     "m 65 5: hover 2 over vert\n"
     "m 85 5: hover 3 over nocursor\n"
     "m 86 5: hover 3 over -\n"
     "m 10 5: hover -1 none -\n"
     "l:\n"
     "e 30 5: hover 0 over hori\n"
     "l: hover -1 none nocursor\n"
     "e 85 5: hover 3 over -\n"
     "l: hover -1 none -\n",
     true},
    // A press over nothing digs, silently until the release or the leave.
    {"e 10 5  d 10 5  m 30 5  d 30 5  u 30 5  m 10 5  d 10 5  m 50 5  l  e 10 5",
     "e 10 5: hover -1 none nocursor\n"
     "d 10 5: hover -1 dig invalid\n"
     "m 30 5:\n"
     "d 30 5:\n"
     "u 30 5: hover 0 over hori\n"
     "m 10 5: hover -1 none nocursor\n"
     "d 10 5: hover -1 dig invalid\n"
     "m 50 5:\n"
     "l: hover -1 none nocursor\n"
     "e 10 5: hover -1 none -\n",
     true},
    // A drag carries the item's index and no data; motion reaches only the tracker, which
    // scrolls and converts through the actionee. After the release, motion is back, once.
    {"e 65 5  d 65 5  m 68 8  m 75 5  l  m 120 5  t  u 120 5  m 76 5",
     "e 65 5: hover 2 over vert\n"
     "d 65 5: capture\n"
     "m 68 8:\n"
     "m 75 5: drag 2 10,0 @75,5\n"
     "l:\n"
     "m 120 5: drag 2 55,0 @120,5\n"
     "t: scroll -4,0; drag 2 95,0 @120,5\n"
     "u 120 5: drag 2 95,0 @120,5; release; end 2; hover -1 none nocursor\n"
     "m 76 5: hover 2 over vert\n",
     true},
    // Press and release over an item without moving: no drag callback, one position test.
    {"e 30 5  d 30 5  u 31 5  m 32 5",
     "e 30 5: hover 0 over hori\n"
     "d 30 5: capture\n"
     "u 31 5: release; hover 0 over -\n"
     "m 32 5: hover 0 over -\n",
     true},
    // A capture loss ends the drag; the automaton waits for the release.
    {"e 30 5  d 30 5  m 40 5  x  m 50 5  d 50 5  u 50 5  m 51 5",
     "e 30 5: hover 0 over hori\n"
     "d 30 5: capture\n"
     "m 40 5: drag 0 10,0 @40,5\n"
     "x: end 0\n"
     "m 50 5:\n"
     "d 50 5:\n"
     "u 50 5: hover 1 over -\n"
     "m 51 5: hover 1 over -\n",
     true},
    // Created disabled, the window stays unbound until enabled; Enable with the current value
    // does nothing. Disabling tests the position (0, 0) once more.
    {"e 30 5  m 31 5  on  on  e 30 5  m 31 5  off  off  m 32 5  on  m 33 5",
     "e 30 5:\n"
     "m 31 5:\n"
     "on:\n"
     "on:\n"
     "e 30 5: hover 0 over hori\n"
     "m 31 5: hover 0 over -\n"
     "off: hover -1 none nocursor\n"
     "off:\n"
     "m 32 5:\n"
     "on:\n"
     "m 33 5: hover 0 over hori\n",
     false},
    // Disabling during a drag ends it without a step to (0, 0); motion is bound once again
    // when enabled. The same through deletion.
    {"e 30 5  d 30 5  m 40 5  off  m 50 5  on  m 45 5  d 45 5  m 55 5  del",
     "e 30 5: hover 0 over hori\n"
     "d 30 5: capture\n"
     "m 40 5: drag 0 10,0 @40,5\n"
     "off: release; end 0; hover -1 none nocursor\n"
     "m 50 5:\n"
     "on:\n"
     "m 45 5: hover 1 over hori\n"
     "d 45 5: capture\n"
     "m 55 5: drag 1 10,0 @55,5\n"
     "del: release; end 1; hover -1 none nocursor\n",
     true},
    // An actionee that answers "nothing" with a cursor is reported; the cursor goes on.
    {"e -200 5", "e -200 5: hover -1 none hori; assert Cursor == &wxNullCursor\n", true},
};

} // namespace

TEST(DragAutomatonGui, ScriptsGiveTheirLogs) {
    for (const TScript& script : theScripts)
        EXPECT_EQ(RunScript(script.aScript, script.aEnabled), script.aLog) << script.aScript;
}

// Random mouse events, capture losses and Enable toggles. After every step the handler stack
// and the capture match (CheckWindow), at most one position test was told, and drag
// callbacks come only in a drag: every drag that moved ends exactly once, with its index.
TEST(DragAutomatonGui, RandomRunKeepsTheWindowAndTheDragsConsistent) {
    TAutomatonRig rig(true);
    std::mt19937 random(29);
    const char* const commands[] = {"m", "m", "m", "m", "d", "d", "d",  "u",
                                    "u", "u", "e", "e", "l", "x", "on", "off"};
    std::uniform_int_distribution<int> pick(0, std::size(commands) - 1);
    std::uniform_int_distribution<int> xs(-20, 119);
    std::uniform_int_distribution<int> ys(-10, 59);
    bool dragging = false;
    bool moved = false;
    int index = -1; // of the running drag, once a callback told it
    int drags = 0;
    int ends = 0;
    for (int i = 0; i < 10000; ++i) {
        const std::string command = commands[pick(random)];
        const int x = xs(random);
        const int y = ys(random);
        const std::string step = std::to_string(i) + ": " + command;
        rig.Step(command, x, y);
        const bool wasDragging = dragging;
        dragging = rig.CheckWindow(step);
        drags += !wasDragging && dragging;
        int hovers = 0;
        int stepEnds = 0;
        for (const std::string& call : rig.Calls()) {
            int oper = -1;
            char data[8] = "";
            hovers += call.rfind("hover ", 0) == 0;
            if (std::sscanf(call.c_str(), "drag %d %*d,%*d @%*d,%*d %7s", &oper, data) >= 1) {
                EXPECT_TRUE(wasDragging && data[0] == 0) << step;
                moved = true;
            } else if (std::sscanf(call.c_str(), "end %d", &oper) == 1) {
                ++stepEnds;
            } else {
                continue;
            }
            EXPECT_TRUE(index < 0 || oper == index) << step;
            index = oper;
        }
        EXPECT_LE(hovers, 1) << step;
        EXPECT_EQ(stepEnds, wasDragging && !dragging && moved ? 1 : 0) << step;
        ends += stepEnds;
        if (!dragging) {
            moved = false;
            index = -1;
        }
    }
    // The run must have exercised both kinds of drag end.
    EXPECT_GT(drags, 100);
    EXPECT_GT(ends, 50);
    EXPECT_LT(ends, drags);
}
