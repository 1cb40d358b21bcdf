// The drag automaton: hover feedback and item dragging on one host window. It follows the
// mouse over the window, asks the host which item lies under the pointer and which cursor to
// show, tells the host the hover status, and runs a drag (see TDragHelper) when the left
// button goes down over an item. The host implements IActionee and sees the automaton only
// through IDragAutomaton; all of it runs on the GUI thread.
#pragma once

#include "DLL/Ctl/DragHelper.h"

#include <wx/cursor.h>

class wxWindow;

class IDragAutomaton {
public:
    // The host's side. The drag callbacks carry the dragged item's index as the operation
    // and null data.
    class IActionee : public IDragCallback {
    public:
        enum EHoverStatus {
            hoverNONE, // nothing under the mouse, or the mouse left the window
            hoverDIG,  // the left button went down over nothing
            hoverOVER  // the mouse is over the item
        };

        ~IActionee() override;
        // Item pIndex (or -1) is in pStatus; pCursor is the cursor to show, or null when it
        // is the one of the previous call. Sent on every position test, changed or not.
        virtual void SetHoverStatus(int pIndex, EHoverStatus pStatus, const wxCursor* pCursor) = 0;
        // The index of the item under pEvent's position, or a negative value for none.
        // pCursor arrives as &wxNullCursor; the host may point it at the item's cursor, and
        // must leave it when it answers none.
        virtual int GetIndexFromPosition(const wxMouseEvent& pEvent, const wxCursor*& pCursor) = 0;
    };

    // Disables the automaton first.
    virtual ~IDragAutomaton();
    // Binds the automaton to its window's mouse events, or unbinds it. Disabling ends a
    // running drag as completed but without a further step (DoEndDragOper with the index when
    // it had moved) and then tests the position (0, 0) once more. Nothing when pEnable is the
    // current state.
    virtual void Enable(bool pEnable) = 0;

    // A new automaton on pWindow (not owned; it must outlive the automaton) for pActionee
    // (not owned), enabled when pEnable. The caller deletes it.
    static IDragAutomaton* Create(IActionee& pActionee, wxWindow* pWindow, bool pEnable);
};
