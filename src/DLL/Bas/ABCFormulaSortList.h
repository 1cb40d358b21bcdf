// The key segment lists: TABCFormulaList, a plain list of segments (pieces of a key chain cut
// out and put back), and TABCFormulaSortList, the time-ordered segments of one parameter,
// which is both its value source and its list of key times. Both store each segment as one
// "key" element.
#pragma once

#include "ALL/KeyList.h"
#include "DLL/Bas/ABCFormula.h"
#include "DLL/Bas/Formula.h"

#include <list>
#include <set>
#include <utility>
#include <vector>

// Segments in insertion order.
class TABCFormulaList : public std::list<TABCFormula> {
public:
    // Appends one "key" element per segment to pParent, in list order, after any children
    // it has.
    void MakeXmlImage(wxXmlNode* pParent, const TTypeDef& pType) const;
    // Appends one segment per child of pParent, in document order, without emptying the list
    // first. False at the first child that is not a valid "key"; the segments read before it
    // stay. True for a parent without children.
    bool ValueFromXml(const wxXmlNode* pParent, const TTypeDef& pType);
};

// Orders segments by aBegin, and lets a set of them be searched by a time: a whole time
// (long) or a fractional one (double), a segment at or before the time being one whose
// aBegin is at or before it.
struct TABCFormulaOrder {
    typedef void is_transparent;
    bool operator()(const TABCFormula& p1, const TABCFormula& p2) const {
        return p1.aBegin < p2.aBegin;
    }
    bool operator()(const TABCFormula& pSegment, long pTime) const {
        return pSegment.aBegin < pTime;
    }
    bool operator()(long pTime, const TABCFormula& pSegment) const {
        return pTime < pSegment.aBegin;
    }
    bool operator()(const TABCFormula& pSegment, double pTime) const {
        return double(pSegment.aBegin) < pTime;
    }
    bool operator()(double pTime, const TABCFormula& pSegment) const {
        return pTime < double(pSegment.aBegin);
    }
};

// The segments of one parameter, unique by aBegin. The owner keeps them from overlapping
// (neighbours may touch: a key shared by two touching segments is one key) and calls Touch
// after every change it makes in place.
//
// As an ITimeList, a position is one word: the segment's set node with the side in bit 0
// (0 its begin key, 1 its end key); the end position is the set's end node with side 0. A
// key shared by two touching segments is visited once.
//
// Look-ups by time go through a flat index of the segments' begins, built at the first
// look-up after a change, and start at the segment found last. An entry is trusted only
// while its segment still starts where the index says and still holds the time; otherwise
// the set is searched, so a segment changed in place before Touch is never misread. Like the
// key cache, the index is filled by const queries: one thread at a time.
class TABCFormulaSortList : private std::set<TABCFormula, TABCFormulaOrder>,
                            public IClonableFormula,
                            public ITimeList {
    typedef std::set<TABCFormula, TABCFormulaOrder> TSet;

public:
    using TSet::const_iterator;
    using TSet::const_reverse_iterator;
    using TSet::iterator;
    using TSet::reverse_iterator;
    using TSet::size_type;
    using TSet::value_type;

    // Reading the set; changes go through Insert, Erase, Clear and Modify.
    using TSet::begin;
    using TSet::count;
    using TSet::empty;
    using TSet::end;
    using TSet::find;
    using TSet::lower_bound;
    using TSet::rbegin;
    using TSet::rend;
    using TSet::size;
    using TSet::upper_bound;

    TABCFormulaSortList();
    // Copies the segments; the copy starts with empty caches.
    TABCFormulaSortList(const TABCFormulaSortList& pSource);
    TABCFormulaSortList& operator=(const TABCFormulaSortList& pSource);
    ~TABCFormulaSortList() override;

    // Inserts a copy of pSegment unless a segment with its begin is there: the position of
    // the segment with that begin, and whether it is the new one.
    std::pair<iterator, bool> Insert(const TABCFormula& pSegment);
    // As above with the position the segment goes in front of (or next to) as a hint.
    iterator Insert(const_iterator pHint, const TABCFormula& pSegment);
    // Removes the segment at pPos; the position after it.
    iterator Erase(const_iterator pPos);
    // Removes every segment.
    void Clear();
    // The segment at pPos, for a change in place that keeps its begin between its
    // neighbours' (the order of the set is not checked).
    TABCFormula& Modify(const_iterator pPos);

    // The value of the segment whose [aBegin, aEnd) holds pTime, else undefined.
    TVariant ComputePointAt(double pTime) const override;
    // The covering segment's IsFlatFormula; false where no segment covers pTime.
    bool IsFlatFormula(long pTime) const override;
    // A copy of the segment covering pTime (assigned into pReuse when that is a segment),
    // else null; pReuse is deleted when it is not used. The context and flag are not used.
    IFormula* CloneFormulaAt(long pTime, IFormula* pReuse, const IEvaluateContext& pContext,
                             bool pFlag) const override;
    // Inserts one segment per "key" child of pParent (a begin already present is skipped).
    // False for a parent without children and at the first bad child; the segments read
    // before it stay.
    bool ValueFromXml(const wxXmlNode* pParent, const TTypeDef& pType) override;
    // Appends one "key" element per segment, in time order, after pParent's children.
    void MakeXmlImage(wxXmlNode* pParent, const TTypeDef& pType) const override;
    int HasKey(long pTime) const override;
    // At a key: the value there, the continuity of the key (that of the segment starting
    // there) and the ease out (pLeft) or ease in of the chosen side's segment. Inside a
    // segment contNO_KEY with the value; with no segment on the chosen side contNO_KEY, an
    // undefined value and pFlag untouched.
    TVariant GetValueNSlope(long pTime, bool pLeft, EContinuity& pCont, bool& pFlag) const override;
    // Drops the key cache and the look-up index.
    void Touch() override;
    const TABCFormula* GetCurveAt(long pTime) const override;
    void GetCurvesAt(long pTime, const TABCFormula*& pLeft, const TABCFormula*& pRight,
                     const TABCFormula** pNextJoined) const override;

    TPosition GetFirst() const override;
    TPosition GetEnd() const override;
    // The first key at or after pTime; at a key shared by two touching segments, the end key
    // of the left one.
    TPosition GetFirstFrom(long pTime) const override;
    TPosition GetNext(TPosition& pPos) const override;
    TPosition GetPrev(TPosition& pPos) const override;
    long GetTime(TPosition pPos) const override;

protected:
    // The first key position whose time is at or after pTime.
    TPosition findKeyCursor(long pTime) const;
    // Steps through every key of every segment, a shared key twice.
    static void stepKeyCursor(TPosition& pPos, bool pBackwards);
    // As stepKeyCursor, but a step between touching segments keeps the side, so that the
    // shared key is visited once.
    void stepKeyCursorJoined(TPosition& pPos, bool pBackwards) const;

private:
    // One segment of the look-up index: its begin when the index was built, and its node.
    struct TIndexEntry {
        long aBegin;
        const_iterator aNode;
    };

    static TPosition ToPosition(const_iterator pNode, unsigned pSide);
    static const_iterator NodeOf(TPosition pPos);
    static unsigned SideOf(TPosition pPos) { return unsigned(pPos & 1); }
    // The segment with aBegin <= pTime < aEnd, or end(); pTime a long or a double.
    template <class TTime>
    const_iterator FindCovering(TTime pTime) const;
    // The same from the set alone.
    template <class TTime>
    const_iterator FindCoveringInSet(TTime pTime) const;
    // The index entry whose begin is the last at or before pTime, or the entry count.
    template <class TTime>
    size_t FindEntry(TTime pTime) const;
    void BuildIndex() const;
    // Fills the key cache for pTime unless it already holds it.
    void RefreshKeyCache(long pTime) const;

    // The key cache: the segments on either side of the time of the last key query.
    mutable bool aCacheValid;
    mutable long aCachedTime;
    mutable const TABCFormula* aCachedRight;
    mutable const TABCFormula* aCachedLeft;
    // Entries per block of the index summary: four cache lines.
    static constexpr size_t SUMMARY_STEP = 16;

    // The look-up index, in time order; the begin of every SUMMARY_STEP-th entry; the entry
    // found last.
    mutable bool aIndexValid;
    mutable std::vector<TIndexEntry> aIndex;
    mutable std::vector<long> aSummary;
    mutable size_t aLastEntry;
};
