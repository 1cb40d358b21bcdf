// TZVPointSizeHandle: the cross over a point parameter pair (x, y), and the operations with
// which a video stream fills its record and turns a drag into the pair's new values.
#pragma once

#include "DLL/Ctl/SizeHandle.h"

class TZVPointSizeHandle : public TZVSizeHandleBase {
public:
    // One rectangle: the 13 x 13 box of the cross. Flag bit 0: x (parameter aParamIndex),
    // bit 1: y (aParamIndex + 1).
    class TData : public TSizeData {
    public:
        TData(int pParamIndex, T32BoolArray pFlags);
        TSizeData* Clone() const override;
    };

    // The stream's conversion of pixels into parameter values.
    class TScaler {
    public:
        virtual ~TScaler();
        // The value of pPixels (from the reference point) on an axis pExtent pixels long.
        virtual TVariant Scale(int pPixels, int pExtent) const = 0;
    };

    TSizeData* CreateSizeData(int pParamIndex, T32BoolArray pFlags) override;
    // "Offset: x=..px,  y=..px", the point's position.
    wxString GetPixelInfo() const override;
    // By the flags: x alone horizontal, y alone vertical, both all ways; none without either.
    NSSizeHandleGrid::ECursor GetHandleCursor(int pIndex) const override;
    // The cross: a 5 x 5 square and two 13-pixel lines through its middle, each XORed on its
    // own, so their overlaps show the background. Handle 0 is the only one.
    void DoDrawHandle(int pHandleID, EDrawOper pOper, wxDC& pDC,
                      const wxPoint& pOrigin) const override;

    // Centres the cross on pPoint (x, y in pixels) in a point record.
    static void FillSizeHandle(TSizeData* pData, const wxSize& pPoint);
    // The point moved by the drag: x, then y, each when its flag allows it and it moved; null,
    // with ParamCount 0, when none (or without data).
    static TParamUpdate* ComputeUpdate(const IZVVideoStream::TUpdateData& pData,
                                       const TScaler& pScaler);
};

class TZVPointSizeHandleFactory : public TSizeHandleFactoryBase {
protected:
    ISizeHandle* DoCreateSizeHandle() const override;
};
