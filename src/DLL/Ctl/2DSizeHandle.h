// TZV2DSizeHandle: square handles on the corners and sides of a rectangle whose width and
// height a stream edits (or one size through the four corners), with a frame one pixel outside
// the rectangle; and the operations with which a video stream fills its record and turns a
// drag into new values.
#pragma once

#include "DLL/Ctl/SizeHandle.h"

class TZV2DSizeHandle : public TZVSizeHandleBase {
public:
    // Up to eight squares and the frame after them. Flag bit 0: width (parameter
    // aParamIndex), bit 1: height (aParamIndex + 1); neither: one size (aParamIndex) through
    // the four corners.
    class TData : public TSizeData {
    public:
        TData(int pParamIndex, T32BoolArray pFlags);
        TSizeData* Clone() const override;

    protected:
        TData(int pParamIndex, T32BoolArray pFlags, int pCapacity);
    };

    // The stream's conversion of pixels into parameter values.
    class TScaler {
    public:
        virtual ~TScaler();
        // The value of pPixels (a half size) on an axis pExtent pixels long.
        virtual TVariant Scale(int pPixels, int pExtent) const = 0;
    };

    TSizeData* CreateSizeData(int pParamIndex, T32BoolArray pFlags) override;
    // The handles, then the frame in the normal look's pen with a transparent brush.
    void RefreshHandle(wxDC& pDC, const wxPoint& pOrigin) const override;
    // "Size: w=..px, h=..px", the rectangle's size; empty without a frame.
    wxString GetPixelInfo() const override;
    // Width alone horizontal, height alone vertical; otherwise the grid's cursor of the id.
    NSSizeHandleGrid::ECursor GetHandleCursor(int pIndex) const override;
    // A 5 x 5 square.
    void DoDrawHandle(int pIndex, EDrawOper pOper, wxDC& pDC,
                      const wxPoint& pOrigin) const override;

    // Places the handles around the record's centre for a rectangle of pSize. With pSingle
    // the record edits one size: when flag bit 0 is set every flag is cleared and the four
    // corners are shown, otherwise nothing changes.
    static void FillSizeHandle(TSizeData* pData, const wxSize& pSize, bool pSingle);
    // The half width (parameter aParamIndex) and half height (aParamIndex + 1) that the
    // dragged handle sets, each when the handle and the flags allow it and it moved; for one
    // size, the mean of both, when x moved. Null, with ParamCount 0, when none, without data
    // or for a handle the record does not show.
    static TParamUpdate* ComputeUpdate(const IZVVideoStream::TUpdateData& pData,
                                       const TScaler& pScaler);

protected:
    // The squares of pIds, for a rectangle of pSize around the record's centre, and the frame
    // after them; pData holds room for them.
    static void PlaceHandles(TSizeData& pData, const wxSize& pSize,
                             const NSSizeHandleGrid::TIdList& pIds);
    // The grid cursor of handle pIndex of pIds; none when pIds has no such handle.
    static NSSizeHandleGrid::ECursor IdListCursor(const NSSizeHandleGrid::TIdList& pIds,
                                                  int pIndex);
};

class TZV2DSizeHandleFactory : public TSizeHandleFactoryBase {
protected:
    ISizeHandle* DoCreateSizeHandle() const override;
};
