// The size handles that the host's frame view draws over the video image so that the user can
// drag a stream's geometry parameters: ISizeHandle (what the host calls), TZVSizeHandleBase
// (hit testing, XOR drawing with hover looks, the record's lifecycle and the drag copy) and
// TSizeHandleFactoryBase (one handle at a time). The kinds are in PointSizeHandle, 2DSizeHandle
// and 4DSizeHandle.
//
// The host makes a handle through a factory, has CreateSizeData make an empty record, lets the
// video stream fill it, hands it over with UpdateHandle, then draws, hit-tests and drags; each
// drag step goes to the stream's ComputeUpdate with the copy that GetDragData holds.
#pragma once

#include "DLL/Ctl/SizeData.h"
#include "DLL/Ctl/SizeHandleFactory.h"
#include "DLL/Ctl/SizeHandleGrid.h"

#include <wx/cursor.h>
#include <wx/dc.h>
#include <wx/string.h>

class TScrollHelper;

class ISizeHandle {
public:
    // Takes the two scroll axes of the view (horizontal, vertical); returns the handle.
    virtual ISizeHandle* CreateHandle(TScrollHelper& pXScroll, TScrollHelper& pYScroll) = 0;
    // A new empty record of the handle's kind for the group that starts at parameter
    // pParamIndex, with the group's flags; the caller owns it until UpdateHandle.
    virtual TSizeData* CreateSizeData(int pParamIndex, T32BoolArray pFlags) = 0;
    // Takes pData over (accepted or not) in place of the shown record. False, with no record
    // shown, for null or for a record of a generation (pSerial >> 16) other than the current
    // one, which is deleted. An accepted record resets the hover state.
    virtual bool UpdateHandle(TSizeData* pData, int pSerial) = 0;
    // Draws every handle, at pOrigin plus its rectangle, in XOR; nothing without a record.
    virtual void RefreshHandle(wxDC& pDC, const wxPoint& pOrigin) const = 0;
    // The handle under pPoint (the one whose centre is nearest, then the smaller one, then the
    // first), and its cursor in pCursor; -1, the cursor untouched, when none.
    virtual int FindHandleAt(const wxPoint& pPoint, const wxCursor*& pCursor) const = 0;
    // Moves the hover look to handle pIndex (-1: none) in status pStatus (a hover status of
    // the drag automaton; 3 has a look of its own), redrawing in XOR only what changes.
    virtual void DrawHandle(int pIndex, int pStatus, wxDC& pDC, const wxPoint& pOrigin) = 0;
    // The status-bar text of the shown record.
    virtual wxString GetPixelInfo() const = 0;
    // Takes the copy of the shown record that the drag steps read.
    virtual void StartDrag() = 0;
    // The drag copy; null outside a drag. The handle owns it.
    virtual TSizeData* GetDragData() const = 0;
    // Deletes the drag copy.
    virtual void EndDrag() = 0;
    // A handle that is the current one stops being it.
    virtual ~ISizeHandle();

    // The handle that exists now, or null.
    static ISizeHandle* theCurrent;
};

class TZVSizeHandleBase : public ISizeHandle {
public:
    // Each drawing operation XORs the difference between two looks: normal handles are olive,
    // the hovered one grey, one in status 3 teal.
    enum EDrawOper {
        operNORMAL = 0,          // olive: draw in the normal look
        operHOVER = 1,           // grey: draw the hovered handle
        operACTIVE = 2,          // teal: draw a handle in status 3
        operHOVER_OFF = 3,       // navy: hovered back to normal
        operACTIVE_OFF = 4,      // purple: status 3 back to normal
        operHOVER_ON = 5,        // navy: normal to hovered
        operACTIVE_TO_HOVER = 6, // maroon: status 3 to hovered
        operACTIVE_ON = 7,       // purple: normal to status 3
        operHOVER_TO_ACTIVE = 8  // maroon: hovered to status 3
    };
    // Pixels across a square handle and across the cross of a point handle.
    enum EHandleSize { handleSizeFULL_SQUARE_WIDTH = 5, handleSizeFULL_CROSS_WIDTH = 13 };

    // No record, no drag, nothing hovered.
    TZVSizeHandleBase();
    // Deletes the shown record and the drag copy.
    ~TZVSizeHandleBase() override;

    ISizeHandle* CreateHandle(TScrollHelper& pXScroll, TScrollHelper& pYScroll) override;
    bool UpdateHandle(TSizeData* pData, int pSerial) override;
    void RefreshHandle(wxDC& pDC, const wxPoint& pOrigin) const override;
    int FindHandleAt(const wxPoint& pPoint, const wxCursor*& pCursor) const override;
    void DrawHandle(int pIndex, int pStatus, wxDC& pDC, const wxPoint& pOrigin) override;
    // Without a record: reported, no drag. During a drag: reported, the drag goes on.
    void StartDrag() override;
    TSizeData* GetDragData() const override;
    // Outside a drag: reported, nothing done.
    void EndDrag() override;

    // The cursor of handle pIndex of the shown record (one of its handles); none here, each
    // kind has its rule.
    virtual NSSizeHandleGrid::ECursor GetHandleCursor(int pIndex) const;
    // Draws handle pIndex with the pen, brush and logical function already set for pOper;
    // a handle the record does not hold is not drawn.
    virtual void DoDrawHandle(int pIndex, EDrawOper pOper, wxDC& pDC,
                              const wxPoint& pOrigin) const = 0;

    // The handle under pPoint in pData, as FindHandleAt scores it; -1 when none.
    static int FindRectAt(const TSizeData& pData, const wxPoint& pPoint);

protected:
    // Sets pOper's pen and brush and wxXOR, then draws handle pIndex.
    void callDrawHandle(int pIndex, EDrawOper pOper, wxDC& pDC, const wxPoint& pOrigin) const;
    // Sets pOper's pen and brush and wxXOR.
    static void SetDrawOper(wxDC& pDC, EDrawOper pOper);

    TScrollHelper* aXScroll; // the view's axes, not owned; the handle itself does not read them
    TScrollHelper* aYScroll;
    TSizeData* aSizeData; // owned: the shown record, or null
    TSizeData* aDragData; // owned: the copy taken by StartDrag, or null
    int aHoverID;         // the hovered handle, -1 none
    int aHoverStatus;     // the hover status it was last drawn in
};

class TSizeHandleFactoryBase : public ISizeHandleFactory {
public:
    // Deletes the current handle, starts a new generation, makes the new handle over the two
    // axes and makes it the current one.
    ISizeHandle* CreateSizeHandle(TScrollHelper& pXScroll, TScrollHelper& pYScroll) const override;

protected:
    ~TSizeHandleFactoryBase() = default;
    // A new handle of the factory's kind, without a record.
    virtual ISizeHandle* DoCreateSizeHandle() const = 0;
};
