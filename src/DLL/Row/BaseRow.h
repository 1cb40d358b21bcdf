// TZVBaseRow: the node of the row tree. Every row of the timeline derives from it.
#pragma once

class TZVStreamRow;

// Told where keys are drawn over a row.
class IZVKeyMarker {
public:
    // pX: the unscrolled pixel x of a key that has just been drawn.
    virtual void MarkKeyAt(int pX) const = 0;

protected:
    ~IZVKeyMarker() = default;
};

class TZVBaseRow : public IZVKeyMarker {
public:
    TZVBaseRow();
    TZVBaseRow(const TZVBaseRow&) = delete;
    TZVBaseRow& operator=(const TZVBaseRow&) = delete;
    virtual ~TZVBaseRow();

    // The row whose band holds pY (row-tree pixels) in the current project, or null: null for
    // a negative pY and when the project has no root row; otherwise the root's GetRow(pY).
    static TZVBaseRow* GetRowAt(int pY);

    // Does nothing: only rows that keep bookkeeping under their keys care.
    void MarkKeyAt(int pX) const override;
    // This row when pY < aTop + aHeight, else null. No test against aTop: callers walk the
    // rows from the top down.
    virtual TZVBaseRow* GetRow(int pY);
    // The row shown directly below this one in the timeline, or null when there is none.
    virtual TZVBaseRow* GetNextRow() const;

    // Pixel y of the row's top in row-tree coordinates.
    int aTop;
    // The stream row the row hangs under; null for the root and for a detached row.
    TZVStreamRow* aParent;
    // Pixel height of the row: the next shown row starts at aTop + aHeight.
    int aHeight;
};
