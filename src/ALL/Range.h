// TRange, a half-open span of project times, and TRangeList, an ordered list of disjoint
// spans (sequences, the spans of an edit, the spans reported to the editor), with their
// "seg" XML form.
#pragma once

#include <list>

class wxXmlNode;

class TRange {
public:
    // The empty range (0, 0).
    constexpr TRange() : aBegin(0), aEnd(0) {}
    constexpr TRange(long pBegin, long pEnd) : aBegin(pBegin), aEnd(pEnd) {}

    // True when the range holds no time (aBegin >= aEnd).
    bool IsEmpty() const { return aBegin >= aEnd; }

    // Widens this range to cover pOther; an empty pOther changes nothing, an empty range
    // takes pOther's bounds.
    void Extend(const TRange& pOther);
    // Widens this range to cover the times from the smaller to the larger of the two, given
    // in either order; equal times change nothing.
    void Extend(long pTime1, long pTime2);
    // Widens this range by (pBegin, pEnd) without testing that pair for emptiness: a
    // non-empty range takes the smaller begin and the larger end, an empty one becomes
    // (pBegin, pEnd). Returns this range.
    TRange& ExtendUnchecked(long pBegin, long pEnd);

    // True when both ranges are non-empty and share a time; touching ranges do not overlap.
    bool Overlaps(const TRange& pOther) const;

    // A new "seg" element with "begin" and, for a non-empty range, "end"; the caller owns it.
    wxXmlNode* GetXmlImage() const;
    // Reads "begin" and "end" (absent or bad "end" gives an empty range at "begin"). False,
    // with the range untouched, when "begin" is absent or not a 32-bit decimal.
    bool ValueFromXml(const wxXmlNode* pElement);

    long aBegin; // first time inside
    long aEnd;   // first time after
};

// "No range", passed where a time span is expected but none applies.
extern const TRange EMPTY_RANGE;

// Ranges in ascending order of aBegin that do not overlap, as long as every range comes in
// through Add with a proper hint (ValueFromXml appends as read). Positions are list
// iterators; the end position is end().
class TRangeList : public std::list<TRange> {
public:
    // From the first range's begin to the last range's end; (0, 0) for an empty list.
    TRange GetSpan() const;

    // The range that begins exactly at pTime, else end().
    iterator FindBegin(long pTime);
    // The first range with aBegin >= pTime, else end().
    iterator LowerBound(long pTime);
    // The first range with aBegin > pTime, else end().
    iterator UpperBound(long pTime);
    static iterator Prev(iterator pPos) { return --pPos; }
    static iterator Next(iterator pPos) { return ++pPos; }

    // True when a range holds pTime. pPos receives, in every case, the last range with
    // aBegin <= pTime, or end() when there is none.
    bool Find(long pTime, iterator& pPos);
    // As above; the position is stored only when pPos is not null.
    bool Find(long pTime, iterator* pPos = nullptr);

    // Merges (pBegin, pEnd) into the list and returns the range that now covers it. Ranges
    // that overlap or touch it are joined into one. pHint is where the forward search
    // starts: begin(), or a position at or before the first range that ends at or after
    // pBegin (one found with Find or LowerBound); end() appends without merging.
    iterator Add(long pBegin, long pEnd, iterator pHint);

    // Removes the range and returns the position after it.
    iterator Erase(iterator pPos) { return erase(pPos); }
    // Removes the range and returns the position before it (end() for the first range).
    iterator EraseBack(iterator pPos);

    // Appends one "seg" element per range to pParent, in list order.
    void MakeXmlImage(wxXmlNode* pParent) const;
    // Appends one range per child of pParent, in document order, without merging or
    // sorting; the list is not cleared first. False at the first child that is not a valid
    // "seg" (a text child included); the ranges read before it stay.
    bool ValueFromXml(const wxXmlNode* pParent);
};
