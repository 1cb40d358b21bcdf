#include "DLL/Bas/ABCFormulaSortList.h"

#include "ALL/XmlTree.h"

#include <wx/xml/xml.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <type_traits>

// A position is the node iterator's own bits with the side in bit 0: one word, no look-up.
static_assert(sizeof(TABCFormulaSortList::const_iterator) == sizeof(ITimeList::TPosition),
              "a key position must fit one word");
static_assert(std::is_trivially_copyable<TABCFormulaSortList::const_iterator>::value,
              "a key position must be copyable as bits");

namespace {

// Appends the "key" elements of pSegments in their order, each behind the one before.
template <class TSegments>
void AppendKeys(const TSegments& pSegments, wxXmlNode* pParent, const TTypeDef& pType) {
    NSXml::TChildAppender keys(pParent);
    for (const TABCFormula& segment : pSegments)
        keys.Append(segment.GetXmlImage(pType));
}

// Reads every child of pParent into one scratch segment and hands each to pAdd; a key with
// "time" alone keeps the value read before it. False at the first bad child.
template <class TAdd>
bool ReadKeys(const wxXmlNode* pParent, const TTypeDef& pType, TAdd pAdd) {
    TABCFormula scratch(0, UNDEFINED_VARIANT, 0);
    for (const wxXmlNode* child = pParent->GetChildren(); child; child = child->GetNext()) {
        if (!scratch.ValueFromXml(child, pType))
            return false;
        pAdd(scratch);
    }
    return true;
}

} // namespace

void TABCFormulaList::MakeXmlImage(wxXmlNode* pParent, const TTypeDef& pType) const {
    AppendKeys(*this, pParent, pType);
}

bool TABCFormulaList::ValueFromXml(const wxXmlNode* pParent, const TTypeDef& pType) {
    return ReadKeys(pParent, pType, [this](const TABCFormula& pSegment) { push_back(pSegment); });
}

TABCFormulaSortList::TABCFormulaSortList()
    : aCacheValid(false), aCachedTime(0), aCachedRight(nullptr), aCachedLeft(nullptr),
      aIndexValid(false), aLastEntry(0) {}

TABCFormulaSortList::TABCFormulaSortList(const TABCFormulaSortList& pSource)
    : TSet(pSource), IClonableFormula(), ITimeList(), aCacheValid(false), aCachedTime(0),
      aCachedRight(nullptr), aCachedLeft(nullptr), aIndexValid(false), aLastEntry(0) {}

TABCFormulaSortList& TABCFormulaSortList::operator=(const TABCFormulaSortList& pSource) {
    TSet::operator=(pSource);
    Touch();
    return *this;
}

TABCFormulaSortList::~TABCFormulaSortList() = default;

std::pair<TABCFormulaSortList::iterator, bool>
TABCFormulaSortList::Insert(const TABCFormula& pSegment) {
    Touch();
    return TSet::insert(pSegment);
}

TABCFormulaSortList::iterator TABCFormulaSortList::Insert(const_iterator pHint,
                                                          const TABCFormula& pSegment) {
    Touch();
    return TSet::insert(pHint, pSegment);
}

TABCFormulaSortList::iterator TABCFormulaSortList::Erase(const_iterator pPos) {
    Touch();
    return TSet::erase(pPos);
}

void TABCFormulaSortList::Clear() {
    Touch();
    TSet::clear();
}

TABCFormula& TABCFormulaSortList::Modify(const_iterator pPos) {
    Touch();
    // The order depends on aBegin alone, which the caller keeps in place.
    return const_cast<TABCFormula&>(*pPos);
}

void TABCFormulaSortList::BuildIndex() const {
    aIndex.clear();
    aSummary.clear();
    aIndex.reserve(size());
    aSummary.reserve(size() / SUMMARY_STEP + 1);
    for (const_iterator segment = begin(); segment != end(); ++segment) {
        if (aIndex.size() % SUMMARY_STEP == 0)
            aSummary.push_back(segment->aBegin);
        aIndex.push_back({segment->aBegin, segment});
    }
    aIndexValid = true;
    aLastEntry = 0;
}

template <class TTime>
inline size_t TABCFormulaSortList::FindEntry(TTime pTime) const {
    // Compared as doubles, aBegin <= pTime holds exactly when it holds for floor(pTime), with
    // no conversion of pTime (a NaN finds nothing).
    const size_t count = aIndex.size();
    const TIndexEntry* const entries = aIndex.data();
    // Consecutive times stay in the segment found last or step to the next one.
    for (size_t entry = aLastEntry; entry < count && entry < aLastEntry + 2; ++entry) {
        if (!(entries[entry].aBegin <= pTime))
            break;
        if (entry + 1 == count || !(entries[entry + 1].aBegin <= pTime))
            return entry;
    }
    // First the block of entries from the summary, which stays in the cache, then the entry
    // within the block's few lines.
    const long* const summary = aSummary.data();
    const long* const block = std::upper_bound(summary, summary + aSummary.size(), pTime,
                                               [](TTime pT, long pBegin) { return pT < pBegin; });
    if (block == summary)
        return count;
    const size_t first = size_t(block - summary - 1) * SUMMARY_STEP;
    const TIndexEntry* const after =
        std::upper_bound(entries + first, entries + std::min(count, first + SUMMARY_STEP), pTime,
                         [](TTime pT, const TIndexEntry& pEntry) { return pT < pEntry.aBegin; });
    return size_t(after - entries) - 1;
}

template <class TTime>
inline TABCFormulaSortList::const_iterator TABCFormulaSortList::FindCovering(TTime pTime) const {
    if (!aIndexValid)
        BuildIndex();
    const size_t count = aIndex.size();
    const size_t entry = FindEntry(pTime);
    if (entry < count) {
        aLastEntry = entry;
        const TIndexEntry& found = aIndex[entry];
        if (found.aNode->aBegin == found.aBegin) {
            if (pTime < found.aNode->aEnd)
                return found.aNode;
            // In a gap, unless the next segment was moved into it.
            if (entry + 1 == count || aIndex[entry + 1].aNode->aBegin == aIndex[entry + 1].aBegin)
                return end();
        }
    } else if (count == 0 || aIndex[0].aNode->aBegin == aIndex[0].aBegin) {
        return end();
    }
    return FindCoveringInSet(pTime);
}

template <class TTime>
TABCFormulaSortList::const_iterator TABCFormulaSortList::FindCoveringInSet(TTime pTime) const {
    const_iterator segment = upper_bound(pTime);
    if (segment == begin())
        return end();
    --segment;
    return pTime < segment->aEnd ? segment : end();
}

TVariant TABCFormulaSortList::ComputePointAt(double pTime) const {
    const const_iterator segment = FindCovering(pTime);
    return segment == end() ? TVariant() : segment->TABCFormula::ComputePointAt(pTime);
}

bool TABCFormulaSortList::IsFlatFormula(long pTime) const {
    const const_iterator segment = FindCovering(pTime);
    return segment != end() && segment->IsFlatFormula(pTime);
}

IFormula* TABCFormulaSortList::CloneFormulaAt(long pTime, IFormula* pReuse, const IEvaluateContext&,
                                              bool) const {
    const const_iterator segment = FindCovering(pTime);
    if (segment == end()) {
        delete pReuse;
        return nullptr;
    }
    if (TABCFormula* reused = dynamic_cast<TABCFormula*>(pReuse)) {
        *reused = *segment;
        return reused;
    }
    delete pReuse;
    return new TABCFormula(*segment);
}

bool TABCFormulaSortList::ValueFromXml(const wxXmlNode* pParent, const TTypeDef& pType) {
    if (!pParent->GetChildren())
        return false;
    Touch();
    // Keys are written in time order, so each insertion is at the end.
    return ReadKeys(pParent, pType,
                    [this](const TABCFormula& pSegment) { TSet::insert(end(), pSegment); });
}

void TABCFormulaSortList::MakeXmlImage(wxXmlNode* pParent, const TTypeDef& pType) const {
    AppendKeys(*this, pParent, pType);
}

void TABCFormulaSortList::RefreshKeyCache(long pTime) const {
    if (aCacheValid && aCachedTime == pTime)
        return;
    aCacheValid = true;
    aCachedTime = pTime;
    GetCurvesAt(pTime, aCachedLeft, aCachedRight, nullptr);
}

int TABCFormulaSortList::HasKey(long pTime) const {
    RefreshKeyCache(pTime);
    if (aCachedLeft == aCachedRight)
        return 0;
    return (aCachedRight ? 2 : 0) + (aCachedLeft ? 1 : 0);
}

TVariant TABCFormulaSortList::GetValueNSlope(long pTime, bool pLeft, EContinuity& pCont,
                                             bool& pFlag) const {
    RefreshKeyCache(pTime);
    const TABCFormula* segment = pLeft ? aCachedLeft : aCachedRight;
    if (!segment) {
        pCont = contNO_KEY;
        return TVariant();
    }
    if (aCachedLeft == aCachedRight) {
        pCont = contNO_KEY;
    } else {
        pCont = segment->aCont;
        // The kind of a key belongs to the segment that starts there.
        if (pLeft && pCont != contFLAT)
            pCont =
                aCachedRight && aCachedRight->aCont != contFLAT ? aCachedRight->aCont : contNONE;
    }
    pFlag = pLeft ? segment->aDecel : segment->aAccel;
    return segment->ComputePointAt(double(pTime));
}

void TABCFormulaSortList::Touch() {
    aCacheValid = false;
    aIndexValid = false;
}

const TABCFormula* TABCFormulaSortList::GetCurveAt(long pTime) const {
    const const_iterator segment = FindCovering(pTime);
    return segment == end() ? nullptr : &*segment;
}

void TABCFormulaSortList::GetCurvesAt(long pTime, const TABCFormula*& pLeft,
                                      const TABCFormula*& pRight,
                                      const TABCFormula** pNextJoined) const {
    pLeft = pRight = nullptr;
    if (pNextJoined)
        *pNextJoined = nullptr;
    const const_iterator after = upper_bound(pTime);
    if (after == begin())
        return;
    const const_iterator segment = std::prev(after);
    if (pTime > segment->aEnd)
        return;
    if (pTime == segment->aEnd) {
        pLeft = &*segment;
        return;
    }
    pRight = &*segment;
    if (pNextJoined && after != end() && after->aBegin == segment->aEnd)
        *pNextJoined = &*after;
    if (pTime > segment->aBegin)
        pLeft = &*segment;
    else if (segment != begin() && std::prev(segment)->aEnd == pTime)
        pLeft = &*std::prev(segment);
}

ITimeList::TPosition TABCFormulaSortList::GetFirst() const {
    return ToPosition(begin(), 0);
}

ITimeList::TPosition TABCFormulaSortList::GetEnd() const {
    return ToPosition(end(), 0);
}

ITimeList::TPosition TABCFormulaSortList::GetFirstFrom(long pTime) const {
    return findKeyCursor(pTime);
}

ITimeList::TPosition TABCFormulaSortList::GetNext(TPosition& pPos) const {
    stepKeyCursorJoined(pPos, false);
    return pPos;
}

ITimeList::TPosition TABCFormulaSortList::GetPrev(TPosition& pPos) const {
    stepKeyCursorJoined(pPos, true);
    return pPos;
}

long TABCFormulaSortList::GetTime(TPosition pPos) const {
    const const_iterator segment = NodeOf(pPos);
    return SideOf(pPos) ? segment->aEnd : segment->aBegin;
}

ITimeList::TPosition TABCFormulaSortList::findKeyCursor(long pTime) const {
    const const_iterator next = lower_bound(pTime);
    if (next == begin())
        return ToPosition(next, 0);
    const const_iterator previous = std::prev(next);
    return previous->aEnd >= pTime ? ToPosition(previous, 1) : ToPosition(next, 0);
}

void TABCFormulaSortList::stepKeyCursor(TPosition& pPos, bool pBackwards) {
    const const_iterator segment = NodeOf(pPos);
    if (!pBackwards)
        pPos = SideOf(pPos) ? ToPosition(std::next(segment), 0) : ToPosition(segment, 1);
    else
        pPos = SideOf(pPos) ? ToPosition(segment, 0) : ToPosition(std::prev(segment), 1);
}

void TABCFormulaSortList::stepKeyCursorJoined(TPosition& pPos, bool pBackwards) const {
    const const_iterator segment = NodeOf(pPos);
    if (!pBackwards && SideOf(pPos) == 1) {
        const const_iterator next = std::next(segment);
        const bool touching = next != end() && segment->aEnd == next->aBegin;
        pPos = ToPosition(next, touching ? 1 : 0);
    } else if (pBackwards && SideOf(pPos) == 0 && segment != end()) {
        const const_iterator previous = std::prev(segment);
        const bool touching = previous->aEnd == segment->aBegin;
        pPos = ToPosition(previous, touching ? 0 : 1);
    } else {
        stepKeyCursor(pPos, pBackwards);
    }
}

ITimeList::TPosition TABCFormulaSortList::ToPosition(const_iterator pNode, unsigned pSide) {
    TPosition pos;
    std::memcpy(&pos, &pNode, sizeof pos);
    return pos | pSide;
}

TABCFormulaSortList::const_iterator TABCFormulaSortList::NodeOf(TPosition pPos) {
    const TPosition node = pPos & ~TPosition(1);
    const_iterator it;
    // Trivially copyable (checked above): its bits may be written directly.
    std::memcpy(static_cast<void*>(&it), &node, sizeof it);
    return it;
}
