// TZV4DSizeHandle: square handles on the corners, sides and centre of a rectangle whose four
// borders a stream edits, or whose position and size it edits (TZVPosAndSizeHandle); it can
// also show the 2D layout. The operations with which a video stream fills its record and
// turns a drag into new values; the border arithmetic is in 4DUpdateBuilder.
#pragma once

#include "DLL/Ctl/2DSizeHandle.h"

class TZV4DSizeHandle : public TZV2DSizeHandle {
public:
    // Flag bit 4, set by the fill: the four-border layout; bit 5: position and size.
    enum EFlag { flag4D_LAYOUT = 4, flagPOS_AND_SIZE = 5 };

    // Up to nine squares and the frame after them. Flag bits 0 to 3: the left, top, right and
    // bottom borders (parameters aParamIndex to aParamIndex + 3); with bit 5: bit 0 the size,
    // bits 2 and 3 the x and y position.
    class TData : public TZV2DSizeHandle::TData {
    public:
        TData(int pParamIndex, T32BoolArray pFlags);
        TSizeData* Clone() const override;

        int aOffsetX; // the rectangle's centre from the image's centre, pixels
        int aOffsetY;
    };

    // The stream's conversion of pixels into parameter values.
    class TScaler {
    public:
        virtual ~TScaler();
        // The value of an edge pPixels from the image's centre on an axis pExtent pixels long;
        // pFar: a right or bottom edge.
        virtual double Scale(int pPixels, int pExtent, bool pFar) const = 0;
        // The size value of a half extent of pPixels.
        virtual double ScaleSize(int pPixels, int pExtent) const = 0;
        // Keeps the size value pValue within pLimit.
        virtual void LimitSize(double& pValue, double pLimit) const = 0;
    };

    TSizeData* CreateSizeData(int pParamIndex, T32BoolArray pFlags) override;
    // A four-border record whose sides name no case (outside 1 to 15) shows no handle:
    // reported, -1.
    int FindHandleAt(const wxPoint& pPoint, const wxCursor*& pCursor) const override;
    // "Size: ..., Offset: ..., Border: ..." with each border's distance from the image's edge
    // and from its centre; empty for a record of another kind or without a frame.
    wxString GetPixelInfo() const override;
    // As 2D in the 2D layout; else the grid's cursor of the id, a corner or centre cursor
    // narrowed to one axis when the other cannot move.
    NSSizeHandleGrid::ECursor GetHandleCursor(int pIndex) const override;

    // Places the handles around the record's centre for a rectangle of pSize: with pAs2D as
    // the 2D fill (pPosAndSize asking for one size); with pPosAndSize the centre alone (no
    // size), all nine (size and a position) or the 2D corners (size alone); otherwise the ids
    // of the side bits' case, none when the flags name no case.
    static void FillSizeHandle(TSizeData* pData, const wxSize& pSize, bool pAs2D, bool pPosAndSize);
    // The new values of the drag (borders, or size and position); with pKeepInside the
    // rectangle stays inside the image. Null, with ParamCount 0, when none, without data or
    // for a handle the record does not show; a record of another kind is reported.
    static TParamUpdate* ComputeUpdate(const IZVVideoStream::TUpdateData& pData,
                                       const TScaler& pScaler, bool pKeepInside);

private:
    // Whether pData's sides name no four-border case (reported).
    static bool IsBadCase(const TSizeData& pData);
};

// A four-border scaler seen as a 2D one: a half size becomes the right edge's value.
class TScale4DTo2DConverter : public TZV2DSizeHandle::TScaler {
public:
    TScale4DTo2DConverter(const TZV4DSizeHandle::TScaler& pScaler, bool pKeepInside)
        : aScaler(pScaler), aKeepInside(pKeepInside) {}

    // The 4D scaler's value of -pPixels as a far edge; with keep-inside pPixels is first
    // kept within half the extent.
    TVariant Scale(int pPixels, int pExtent) const override;

private:
    const TZV4DSizeHandle::TScaler& aScaler;
    bool aKeepInside;
};

// Position and size: the group is 0 size, 1 x position, 2 not edited, 3 y position, while the
// four-border handle places x at 2. The fill and the compute exchange the two.
class TZVPosAndSizeHandle {
public:
    TZVPosAndSizeHandle() = delete;

    // Exchanges flag bits 1 and 2, then the 4D fill.
    static void FillSizeHandle(TSizeData* pData, const wxSize& pSize, bool pAs2D, bool pPosAndSize);
    // The 4D compute, with parameters aParamIndex + 1 and aParamIndex + 2 exchanged.
    static TParamUpdate* ComputeUpdate(const IZVVideoStream::TUpdateData& pData,
                                       const TZV4DSizeHandle::TScaler& pScaler, bool pKeepInside);
};

class TZV4DSizeHandleFactory : public TSizeHandleFactoryBase {
protected:
    ISizeHandle* DoCreateSizeHandle() const override;
};

class TZVPosAndSizeHandleFactory : public TSizeHandleFactoryBase {
protected:
    ISizeHandle* DoCreateSizeHandle() const override;
};
