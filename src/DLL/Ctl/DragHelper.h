// Drag tracking on one window. A press that the owner hands to OriginDrag, the motion that
// follows and the release become drag callbacks: the drag starts once the pointer has moved 4
// pixels along either axis, holds the mouse capture, auto-scrolls every 200 ms while the
// pointer is outside the window along an enabled axis, and ends normally, by a capture loss
// or by a cancel. The owner derives from TDragHelper (or TDragScrollHelper on a
// wxScrolledWindow) and implements the callbacks; all of it runs on the GUI thread. Files
// dropped on a window open through the most-recent-file list with TFileDropTarget.
#pragma once

#include <wx/dnd.h>
#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/timer.h>

class TMostRecentFileList;
class wxWindow;

// The callbacks of a drag, implemented by the owner of the window dragged over.
class IDragCallback {
public:
    virtual ~IDragCallback();
    // Scrolls the view by the auto-scroll speeds of one timer tick: positive when the pointer
    // lies before the window's start (left of it or above it), negative past its end.
    virtual void DoScroll(int pDx, int pDy) = 0;
    // Converts a client position of the window, in place, into content coordinates.
    virtual void ToUnscrollPos(wxPoint& pPos) = 0;
    // One drag step: pOffset is the pointer's offset from the press in content coordinates
    // (width = dx, height = dy); pData is the data the drag was started with.
    virtual void DoDragOper(int pOper, const wxSize& pOffset, const wxMouseEvent& pEvent,
                            void* pData) = 0;
    // The drag has ended; pOper is -1 when it was cancelled. Only a drag that passed the start
    // threshold ends with this call, and exactly once.
    virtual void DoEndDragOper(int pOper) = 0;
};

class TDragHelper : public IDragCallback {
public:
    enum EDragEndMode { dragEndNORMAL, dragEndCAPTURE_LOST, dragEndCANCEL };

    // Tracks drags on pScrollWindow (not owned; it must outlive the tracker); a non-zero
    // pAutoScrollX or pAutoScrollY enables auto-scrolling along that axis.
    TDragHelper(wxWindow* pScrollWindow, int pAutoScrollX, int pAutoScrollY);
    // Ends a running drag as a cancel; the derived class is gone by then, so it is not told.
    ~TDragHelper() override;
    TDragHelper(const TDragHelper&) = delete;
    TDragHelper& operator=(const TDragHelper&) = delete;

    // Do nothing: an owner overrides the steps it wants.
    void DoDragOper(int pOper, const wxSize& pOffset, const wxMouseEvent& pEvent,
                    void* pData) override;
    void DoEndDragOper(int pOper) override;

    // Starts a drag of operation pDragOper (>= 0) with pData (not owned) from the press
    // pEvent: takes the mouse capture and sees the window's events first until the drag ends.
    // A drag that is still running is cancelled first.
    void OriginDrag(const wxMouseEvent& pEvent, int pDragOper, void* pData);
    // Ends the drag with the release pEvent: a drag that had moved gets a last DoDragOper at
    // the release position, then DoEndDragOper with its operation.
    void EndDrag(const wxMouseEvent& pEvent);
    // Ends the drag with DoEndDragOper(-1) when it had moved.
    void CancelDrag();
    // Replaces the operation of the running drag (pDragOper >= 0); the following callbacks
    // carry it.
    void ChangeOper(int pDragOper);
    // The position of pEvent in content coordinates minus the press position.
    wxSize getOffsetFromEvent(const wxMouseEvent& pEvent);

    // The event entry points, reached through the handler pushed during a drag.
    void onMouseMove(wxMouseEvent& pEvent);
    void onScrollTimer(wxTimerEvent& pEvent);
    void onMouseCaptureLost(wxMouseCaptureLostEvent& pEvent);
    // Ends a running drag: releases the capture (unless it was lost), stops auto-scrolling,
    // tells the owner when the drag had moved (-1 for a cancel) and takes the handler off the
    // window. Nothing when no drag runs.
    void endDrag(EDragEndMode pMode);

protected:
    // Pushed on the window while a drag runs; forwards motion, timer ticks and the capture
    // loss to its tracker.
    class TDragEventHandler : public wxEvtHandler {
    public:
        explicit TDragEventHandler(TDragHelper* pOwner);
        ~TDragEventHandler() override;

        TDragHelper* aOwner;
    };

    wxWindow* aScrollWindow; // the window dragged over, not owned
    wxPoint aOrigin;         // press position in content coordinates
    int aAutoScrollX;        // non-zero: auto-scroll along x
    int aAutoScrollY;        // non-zero: auto-scroll along y
    int aScrollX;            // auto-scroll speed along x: -4, -1, 0, 1 or 4
    int aScrollY;            // auto-scroll speed along y, same values
    int aDragOper;           // operation of the running drag; -1 while none runs
    void* aDragData;         // data of the running drag, not owned
    bool aMoved;             // the running drag has passed the start threshold
    bool aTimerOn;           // aScrollTimer runs
    wxMouseEvent aLastEvent; // the last motion seen while the timer runs, replayed by a tick
    TDragEventHandler aEventHandler;
    wxTimer aScrollTimer; // the auto-scroll timer, delivering to aEventHandler

private:
    // Sets the auto-scroll speeds from the client position of pEvent and starts or stops the
    // timer to match.
    void UpdateAutoScroll(const wxMouseEvent& pEvent);
    // Takes aEventHandler off the window, which must have it on top.
    void PopDragHandler();
    bool IsDragHandlerPushed() const;
};

// The tracker on a wxScrolledWindow: content coordinates come from the window's scroll
// position. Auto-scrolling moves nothing unless the owner overrides DoScroll.
class TDragScrollHelper : public TDragHelper {
public:
    using TDragHelper::TDragHelper;

    void DoScroll(int pDx, int pDy) override;
    // Unscrolls pPos by the window's scroll position; leaves it as it is (reported) when the
    // window is not a wxScrolledWindow.
    void ToUnscrollPos(wxPoint& pPos) override;
};

// Opens the files dropped on a window through a most-recent-file list, which keeps those that
// opened.
class TFileDropTarget : public wxFileDropTarget {
public:
    // pFileList is not owned; it must outlive the target.
    explicit TFileDropTarget(TMostRecentFileList* pFileList);

    // Opens the dropped files in order; the drop position is not used. True exactly when the
    // list answers openOK, so that a drag source never takes a refused or aborted drop for
    // accepted (a move would delete the files).
    bool OnDropFiles(wxCoord pX, wxCoord pY, const wxArrayString& pFileNames) override;

    TMostRecentFileList* aFileList; // the list that opens and keeps the files, not owned
};
