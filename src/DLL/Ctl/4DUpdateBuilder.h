// The builders that turn a drag of a four-border handle into new parameter values: which
// borders change, each new edge in pixels from the image's centre, kept inside the image when
// asked, converted by the stream's scaler. Border k (0 left, 1 top, 2 right, 3 bottom) is
// parameter aParamIndex + k; in position-and-size mode 0 is the size, 2 and 3 the position.
// A builder serves one computation and is then dropped.
#pragma once

#include "DLL/Ctl/4DSizeHandle.h"

class T4DUpdateBuilder {
public:
    virtual ~T4DUpdateBuilder();

    // The new values of the drag pData on the record pRecord (pData's drag data): an array
    // made with new[], ParamCount set; null with ParamCount 0 when nothing changes or the
    // dragged handle is not one the record shows.
    TParamUpdate* Compute(const IZVVideoStream::TUpdateData& pData,
                          const TZV4DSizeHandle::TData& pRecord,
                          const TZV4DSizeHandle::TScaler& pScaler, bool pKeepInside);

protected:
    explicit T4DUpdateBuilder(bool pProportional);

    // Sets aCornerID and aFrameIndex; false when the dragged handle is not shown.
    virtual bool DetermineCornerID() = 0;
    // Sets aActiveSides and the changed borders: here the right and bottom ones (the
    // position), each when its side is active and its axis moved.
    virtual void DetermineChangedBorder();
    // Fills aResult.
    virtual void UpdateAllBorder() = 0;
    // One entry per changed border, in border order, from aPosX and aPosY.
    void UpdateChangedBorder();

    // Proportional work: with keep-inside the limits leave room for the frame; then the
    // borders.
    void UpdateProportional();
    // Whether HandleIndex names one of pCount handles that the record holds.
    bool IsShownHandle(int pCount) const;
    // The dragged handle's centre from the reference point, added to aPosX and aPosY.
    void AddHandleCentre();

    // Edge pSide (0 left, 1 top, 2 right, 3 bottom) of pRect moved by pBy; another side is
    // reported and gives 0.
    static int RectSide(int pSide, const wxRect& pRect, const wxPoint& pBy);

    const IZVVideoStream::TUpdateData* aUpdateData;
    const TZV4DSizeHandle::TData* aData;
    const TZV4DSizeHandle::TScaler* aScaler;
    TParamUpdate* aResult;
    int aCornerID;   // grid id of the dragged handle
    int aFrameIndex; // the frame's index in aData->aRect
    bool aChanged[4];
    const wxRect* aFrame;
    int aPosX; // working positions, pixels
    int aPosY;
    int aLimitX; // extents the keep-inside limits use
    int aLimitY;
    int aSides;                 // the side bits of the flags
    unsigned char aActiveSides; // the sides of the dragged handle that may move
    unsigned char aOneSided;    // sides that may move while their opposite may not
    bool aKeepInside;
    bool aProportional; // the rectangle keeps its size: no mirroring, no translation by half
    bool aMovedX;
    bool aMovedY;
    bool aIsCenter; // the centre handle is dragged
};

// Four borders: each handle moves the borders of its sides; the centre moves a border with it
// when the opposite border moves too, and otherwise mirrors it about the new centre.
class TNormal4DUpdateBuilder : public T4DUpdateBuilder {
public:
    TNormal4DUpdateBuilder() : T4DUpdateBuilder(false) {}

protected:
    bool DetermineCornerID() override;
    void DetermineChangedBorder() override;
    void UpdateAllBorder() override;
};

// The base of the builders that keep the rectangle's size while moving it.
class TProportional4DUpdateBuilder : public T4DUpdateBuilder {
protected:
    TProportional4DUpdateBuilder() : T4DUpdateBuilder(true) {}

    void UpdateAllBorder() override;
};

// Position without size: the record shows the centre alone, which moves the position.
class TMove4DUpdateBuilder : public TProportional4DUpdateBuilder {
protected:
    bool DetermineCornerID() override;
};

// Position and size: the centre moves the position, every other handle sets the size.
class TSize4DUpdateBuilder : public TProportional4DUpdateBuilder {
protected:
    bool DetermineCornerID() override;
    void DetermineChangedBorder() override;
    void UpdateAllBorder() override;

private:
    // The size value of the dragged handle's half extent along one axis, and the limit that
    // keeps it inside the image (0 without keep-inside).
    void ScaleHalf(int& pPos, bool pNear, int pExtent, int pOffset, double& pValue,
                   double& pLimit) const;
};
