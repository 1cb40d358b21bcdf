// TZVXScale: the horizontal time axis of a timeline view. A time t lies at view pixel
// t x aScale - aOrig. The scale also chooses the spacing of the ruler's minor ticks (aUnit) and
// major ticks (every tenth minor tick) for the zoom, and keeps the origin on a multiple of 16
// pixels when the zoom changes. The host draws the ruler from the tick fields after updateUnit.
#pragma once

class TZVXScale {
public:
    // pScale pixels per time unit, time 0 at the left edge; an unusable scale (see SetScale)
    // is reported and scale 1 is taken instead.
    explicit TZVXScale(double pScale = 1.0);

    // Takes pScale pixels per time unit. pPos is a time that comes to the left edge
    // (pPosIsTime) or a view pixel whose time stays under it; either way the origin is then
    // aligned down to a multiple of 16. Returns false, with nothing changed, when pScale is
    // the current scale, and when it is not a positive finite number with a finite inverse
    // (reported).
    bool SetScale(double pScale, int pPos, bool pPosIsTime);
    // Recomputes the tick placement (aFirstMajor, aFirstIndex, aFirstPixel, aMajorPixel) for
    // the current origin and clears aDirty; the host calls it before drawing while aDirty.
    void updateUnit() const;
    // Moves the origin by pDelta pixels (not aligned; saturated to the int range).
    void Scroll(int pDelta);

    int aOrig;           // pixel origin: time t is at view pixel t x aScale - aOrig
    double aScale;       // pixels per time unit
    double aInvScale;    // time units per pixel, 1 / aScale
    double aCenter;      // pixels from a time unit's first pixel to its middle (0 at scale <= 1)
    int aZoom;           // aScale when it is exactly 2, 4 or 8, else 0
    int aUnit;           // time units between two minor ticks; 1 to 200000000
    mutable bool aDirty; // the tick placement is out of date
    int aMajor;          // time units between two major ticks, 10 x aUnit
    double aUnitWidth;   // pixels between two minor ticks, aUnit x aScale
    mutable int aFirstMajor;    // time of the major tick at or before the first visible tick
    mutable int aFirstIndex;    // place of the first visible tick in its group of ten (0: major)
    mutable double aFirstPixel; // view pixel of the first visible tick
    mutable int aMajorPixel;    // view pixel of aFirstMajor
};
