// Driving mouse and drag code in GUI tests: a shown window of a known client size that takes
// synthesised events through its handler stack and records its capture, a recorder of the drag
// callbacks, and a runner of step scripts that logs what each step caused.
#pragma once

#include "DLL/Ctl/DragHelper.h"
#include "support/AssertCapture.h"

#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

class TMouseTestWindow {
public:
    // On a panel, so that the frame does not stretch the window to its own size.
    explicit TMouseTestWindow(const wxSize& pClientSize = wxSize(100, 50))
        : aFrame(new wxFrame(nullptr, wxID_ANY, "mouse")),
          aWindow(new TCaptureWindow(new wxPanel(aFrame.get()), pClientSize)) {
        aFrame->Show();
    }

    wxWindow* Window() const { return aWindow; }
    // From now on the window records "capture" and "release" into pCalls (null: no more).
    void RecordCaptureInto(std::vector<std::string>* pCalls) { aWindow->aCalls = pCalls; }
    // A mouse event of pType at client position (pX, pY), through the handler stack.
    void Send(wxEventType pType, int pX, int pY) const {
        wxMouseEvent event(pType);
        event.SetPosition(wxPoint(pX, pY));
        event.SetEventObject(aWindow);
        aWindow->GetEventHandler()->ProcessEvent(event);
    }
    // A timer tick through the handler stack, as the auto-scroll timer delivers it.
    void Tick() const {
        wxTimer timer;
        wxTimerEvent event(timer);
        aWindow->GetEventHandler()->ProcessEvent(event);
    }
    // The window system takes the capture away: the grab ends, then wxWidgets tells the
    // holder, as on a real loss.
    void LoseCapture() const {
        if (aWindow->HasCapture())
            aWindow->EndGrab();
        TCaptureWindow::NotifyCaptureLost();
    }
    // The handlers pushed on the window, top first.
    std::vector<wxEvtHandler*> PushedHandlers() const {
        std::vector<wxEvtHandler*> handlers;
        for (wxEvtHandler* handler = aWindow->GetEventHandler(); handler && handler != aWindow;
             handler = handler->GetNextHandler())
            handlers.push_back(handler);
        return handlers;
    }

private:
    // Records the grabs that wxWidgets asks of the display.
    class TCaptureWindow : public wxWindow {
    public:
        TCaptureWindow(wxWindow* pParent, const wxSize& pSize)
            : wxWindow(pParent, wxID_ANY, wxPoint(0, 0), pSize) {}
        using wxWindow::NotifyCaptureLost;
        void EndGrab() { wxWindow::DoReleaseMouse(); }

        std::vector<std::string>* aCalls = nullptr;

    protected:
        void DoCaptureMouse() override {
            Record("capture");
            wxWindow::DoCaptureMouse();
        }
        void DoReleaseMouse() override {
            Record("release");
            wxWindow::DoReleaseMouse();
        }

    private:
        void Record(const char* pCall) {
            if (aCalls)
                aCalls->push_back(pCall);
        }
    };

    std::unique_ptr<wxFrame> aFrame; // owns the window
    TCaptureWindow* aWindow;
};

// The drag callbacks of TBase recorded into a list that the test owns: "scroll dx,dy",
// "drag oper dx,dy @x,y" (with " data" when the data pointer is set) and "end oper". The
// content lies under the window at a scroll position that starts at (1000, 2000) and moves
// back 10 pixels per unit of a DoScroll speed.
template <class TBase>
class TDragRecorder : public TBase {
public:
    template <class... TArgs>
    explicit TDragRecorder(std::vector<std::string>& pCalls, TArgs&&... pArgs)
        : TBase(std::forward<TArgs>(pArgs)...), aCalls(pCalls), aScroll(1000, 2000) {}

    void DoScroll(int pDx, int pDy) override {
        Record(wxString::Format("scroll %d,%d", pDx, pDy));
        aScroll -= wxPoint(10 * pDx, 10 * pDy);
    }
    void ToUnscrollPos(wxPoint& pPos) override { pPos += aScroll; }
    void DoDragOper(int pOper, const wxSize& pOffset, const wxMouseEvent& pEvent,
                    void* pData) override {
        Record(wxString::Format("drag %d %d,%d @%d,%d%s", pOper, pOffset.x, pOffset.y,
                                pEvent.GetX(), pEvent.GetY(), pData ? " data" : ""));
    }
    void DoEndDragOper(int pOper) override { Record(wxString::Format("end %d", pOper)); }

protected:
    void Record(const wxString& pCall) { aCalls.push_back(pCall.ToStdString()); }

private:
    std::vector<std::string>& aCalls;
    wxPoint aScroll;
};

// Runs the comma-separated steps of pScript, each a command and up to three numbers, through
// pStep(command, numbers) and returns the log, one line per step: the step, a colon and what
// pStep left in pCalls followed by any assertion report ("assert <text>"), joined by "; ".
template <class TStep>
std::string RunSteps(const std::string& pScript, std::vector<std::string>& pCalls, TStep pStep) {
    std::istringstream steps(pScript);
    std::string log;
    for (std::string step; std::getline(steps >> std::ws, step, ',');) {
        std::istringstream words(step);
        std::string command;
        int numbers[3] = {0, 0, 0};
        words >> command >> numbers[0] >> numbers[1] >> numbers[2];
        pCalls.clear();
        TAssertCapture capture;
        pStep(command, numbers);
        for (const wxString& condition : capture.Conditions())
            pCalls.push_back("assert " + condition.ToStdString());
        log += step + ":";
        for (size_t i = 0; i < pCalls.size(); ++i)
            log += (i == 0 ? " " : "; ") + pCalls[i];
        log += "\n";
    }
    return log;
}
