// The key marks of the timeline: one short vertical line per key of a row, red when the key
// lies in the host's time selection and highlighting is asked for, blue otherwise.
// TZVKeyWalk decides which keys are drawn at which pixel and how, without a DC;
// TZVKeyDrawingContext draws them. The owner sets the context up for the part of the timeline
// being painted (UpdateRange), then draws each row's keys (Draw).
#pragma once

#include "ALL/Range.h"

class ITimeList;
class IZVKeyMarker;
class TZVXScale;
class wxDC;

class TZVKeyWalk {
public:
    // Told each key to draw, in time order.
    class IVisitor {
    public:
        // pX: the key's view pixel; pHighlighted: drawn as selected.
        virtual void OnKey(int pX, bool pHighlighted) = 0;

    protected:
        ~IVisitor() = default;
    };

    // Keys between view pixels pMinX and pMaxX on pScale, which must outlive the walk; with
    // pSelOnly only the keys inside the time selection.
    TZVKeyWalk(const TZVXScale& pScale, int pMinX, int pMaxX, bool pSelOnly);

    // Sets the walk up for pRange, given in view pixels (pInPixels) or in times, clipped to
    // [aMinX, aMaxX]. Takes positions in the host's selection list, which must not change
    // until the last Walk or Draw that follows.
    void UpdateRange(const TRange& pRange, bool pInPixels);
    // Hands pVisitor the keys of pKeys from aFirstTime up to the first one beyond aLastX. A key
    // is in a selected range when begin <= t <= end, or begin <= t < end when the host selects
    // keys. pHighlight asks for the keys in the selection to be highlighted.
    void Walk(const ITimeList& pKeys, bool pHighlight, IVisitor& pVisitor) const;

    // The view pixel of time pTime and the time under view pixel pX, each rounded to the
    // nearest (ties to even) and saturated to the 32-bit range.
    int PixelOf(long pTime) const;
    long TimeOf(int pX) const;

    const TZVXScale* aScale;              // not owned
    TRangeList::const_iterator aSelFirst; // first selected range that can hold a drawn key
    TRangeList::const_iterator aSelEnd;   // end of the selected ranges to consult
    int aMinX;                            // leftmost pixel of the drawing area
    int aMaxX;                            // rightmost pixel of the drawing area
    long aFirstTime;                      // keys are drawn from this time on
    int aLastX;                           // keys whose pixel lies beyond this are not drawn
    int aFirstX;                          // first pixel of the updated range, for the owner
    bool aSelOnly;                        // only keys inside the time selection
    bool aNoKeys;                         // UpdateRange found nothing to draw

private:
    // Whether time pTime lies in a selected range; pSel moves forwards only.
    bool IsSelected(long pTime, TRangeList::const_iterator& pSel, bool pKeySelMode) const;
};

class TZVKeyDrawingContext : public TZVKeyWalk {
public:
    // Draws on pDC, which must outlive the context.
    TZVKeyDrawingContext(wxDC& pDC, const TZVXScale& pScale, int pMinX, int pMaxX, bool pSelOnly);

    // The keys of pKeys as lines from pTop + 4 to pBottom - 3 (end excluded), in the blue pen
    // or, highlighted, the red one, whichever is needed last stays set. pMarker, never null,
    // is told each key's unscrolled pixel (view pixel + the scale's origin) after its line.
    void Draw(const ITimeList& pKeys, int pTop, int pBottom, bool pHighlight,
              const IZVKeyMarker* pMarker) const;

    wxDC* aDC; // not owned
};
