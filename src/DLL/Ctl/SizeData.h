// The records of a size-handle drag: TSizeData (where a handle kind's rectangles lie, filled by
// the video stream), IZVVideoStream::TUpdateData (one drag step, passed to the stream's
// ComputeUpdate) and TParamUpdate (one new parameter value of the answer).
#pragma once

#include "ALL/Variant.h"
#include "DLL/Bas/StreamInt.h"
#include "DLL/Ctl/SizeHandleFactory.h"

#include <wx/gdicmn.h>

#include <cstdint>

class TSizeData {
public:
    virtual ~TSizeData();
    // A deep copy of the record's own kind.
    virtual TSizeData* Clone() const = 0;

    TSizeData& operator=(const TSizeData&) = delete;

    // Rectangles the record can hold: the handles and, for the kinds that have one, the frame.
    int GetCapacity() const { return aCapacity; }
    // The frame rectangle aRect[aRectCount] of the kinds that have one; null when the count
    // leaves no room for it (a record that was never filled). A frame dragged past its
    // opposite edge is given as it is, with a width or height of 0 or below.
    const wxRect* GetFrame() const;
    // Whether pIndex names one of the handle rectangles in use.
    bool HasHandle(int pIndex) const;
    // The handles in use that the array really holds: aRectCount, kept within 0 and the
    // capacity.
    int GetHandleCount() const;

    int aFullWidth; // pixels of the whole image
    int aFullHeight;
    int aCenterX; // the handles' reference point (the edited rectangle's centre), pixels
    int aCenterY;
    int aParamIndex;     // first parameter of the edited group
    T32BoolArray aFlags; // bit k: parameter aParamIndex + k may be edited; kinds add mode bits
    int aRectCount;      // handle rectangles in use
    wxRect* aRect;       // owned: the handles, then the frame at aRectCount for the kinds with one

    // High 16 bits: the handle generation, advanced by every new handle; a record made for
    // another generation is refused. The low 16 bits are the host's.
    static uint32_t theCurSerial;

protected:
    // An empty record: pCapacity zeroed rectangles, all of them counted as in use.
    TSizeData(int pParamIndex, T32BoolArray pFlags, int pCapacity);
    // Member-wise, with an array of its own.
    TSizeData(const TSizeData& pSource);

private:
    // Gives a member-wise copy its own array of pRectCount rectangles.
    void cloneRect(int pRectCount);

    int aCapacity;
};

// One drag step as the host passes it to the stream.
struct IZVVideoStream::TUpdateData {
    int& ParamCount;          // out: entries of the returned array
    int HandleIndex;          // the dragged handle: an index into SizeData's rectangles
    const wxPoint& Delta;     // mouse displacement since the drag began, pixels
    const wxPoint& LastDelta; // the previous step's; an axis equal to Delta did not move
    TSizeData* SizeData;      // the drag data (the handle's GetDragData)
    uintptr_t StreamWord;     // for the stream; the size handles never read it
    bool Force;               // every axis counts as moved

    // Whether the step counts as a move along x (or y).
    bool MovedX() const { return Force || Delta.x != LastDelta.x; }
    bool MovedY() const { return Force || Delta.y != LastDelta.y; }
};

// One new parameter value. Answers are arrays made with new[]; the caller deletes them with
// delete[].
class TParamUpdate {
public:
    int ParamIndex = 0; // absolute parameter index
    TVariant Value;     // undefined until set
};

// A new answer of pCount entries, pCount written to pParamCount; null for none.
TParamUpdate* MakeParamUpdates(int pCount, int& pParamCount);
