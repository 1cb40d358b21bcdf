#include "ALL/Range.h"

#include "ALL/Number.h"
#include "ALL/XmlTree.h"

#include <wx/xml/xml.h>

#include <algorithm>

const TRange EMPTY_RANGE;

void TRange::Extend(const TRange& pOther) {
    if (!pOther.IsEmpty())
        ExtendUnchecked(pOther.aBegin, pOther.aEnd);
}

void TRange::Extend(long pTime1, long pTime2) {
    if (pTime1 != pTime2)
        ExtendUnchecked(std::min(pTime1, pTime2), std::max(pTime1, pTime2));
}

TRange& TRange::ExtendUnchecked(long pBegin, long pEnd) {
    if (IsEmpty()) {
        aBegin = pBegin;
        aEnd = pEnd;
    } else {
        aBegin = std::min(aBegin, pBegin);
        aEnd = std::max(aEnd, pEnd);
    }
    return *this;
}

bool TRange::Overlaps(const TRange& pOther) const {
    return !IsEmpty() && !pOther.IsEmpty() && aBegin < pOther.aEnd && pOther.aBegin < aEnd;
}

wxXmlNode* TRange::GetXmlImage() const {
    wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, L"seg");
    element->AddAttribute(L"begin", FormatLong(aBegin));
    if (aEnd > aBegin)
        element->AddAttribute(L"end", FormatLong(aEnd));
    return element;
}

bool TRange::ValueFromXml(const wxXmlNode* pElement) {
    long begin;
    if (!GetXmlLongAttribute(pElement, L"begin", begin))
        return false;
    aBegin = begin;
    if (!GetXmlLongAttribute(pElement, L"end", aEnd))
        aEnd = aBegin;
    return true;
}

TRange TRangeList::GetSpan() const {
    if (empty())
        return TRange();
    return TRange(front().aBegin, back().aEnd);
}

TRangeList::iterator TRangeList::FindBegin(long pTime) {
    const iterator pos = LowerBound(pTime);
    return pos != end() && pos->aBegin == pTime ? pos : end();
}

TRangeList::iterator TRangeList::LowerBound(long pTime) {
    return std::find_if(begin(), end(), [pTime](const TRange& r) { return r.aBegin >= pTime; });
}

TRangeList::iterator TRangeList::UpperBound(long pTime) {
    return std::find_if(begin(), end(), [pTime](const TRange& r) { return r.aBegin > pTime; });
}

bool TRangeList::Find(long pTime, iterator& pPos) {
    const iterator after = UpperBound(pTime);
    pPos = after == begin() ? end() : Prev(after);
    return pPos != end() && pTime < pPos->aEnd;
}

bool TRangeList::Find(long pTime, iterator* pPos) {
    iterator pos;
    const bool found = Find(pTime, pos);
    if (pPos)
        *pPos = pos;
    return found;
}

TRangeList::iterator TRangeList::Add(long pBegin, long pEnd, iterator pHint) {
    iterator pos = pHint;
    while (pos != end() && pos->aEnd < pBegin)
        ++pos;
    if (pos == end() || pos->aBegin > pEnd)
        return insert(pos, TRange(pBegin, pEnd));
    pos->aBegin = std::min(pos->aBegin, pBegin);
    if (pos->aEnd >= pEnd)
        return pos;
    pos->aEnd = pEnd;
    iterator next = Next(pos);
    while (next != end() && next->aBegin <= pEnd) {
        pos->aEnd = std::max(pos->aEnd, next->aEnd);
        next = erase(next);
    }
    return pos;
}

TRangeList::iterator TRangeList::EraseBack(iterator pPos) {
    const bool first = pPos == begin();
    const iterator after = erase(pPos);
    return first ? end() : Prev(after);
}

void TRangeList::MakeXmlImage(wxXmlNode* pParent) const {
    NSXml::TChildAppender children(pParent);
    for (const TRange& range : *this)
        children.Append(range.GetXmlImage());
}

bool TRangeList::ValueFromXml(const wxXmlNode* pParent) {
    for (const wxXmlNode* child = pParent->GetChildren(); child; child = child->GetNext()) {
        TRange range;
        if (!range.ValueFromXml(child))
            return false;
        push_back(range);
    }
    return true;
}
