// Drives TRangeList::Add (from the start, from hints found with Find and LowerBound, and
// appending at the end) and Erase from the input, and checks the list after every step
// against a plain interval set: sorted, disjoint, not touching, covering the same union.
// Every few steps the list also goes through its XML form and back.
#include "ALL/Range.h"

#include "FuzzInput.h"

#include <wx/xml/xml.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>

namespace {

typedef std::map<long, long> TModel; // begin -> end, canonical: no overlap, no touching

void ModelAdd(TModel& pModel, long pBegin, long pEnd) {
    auto it = pModel.upper_bound(pBegin);
    if (it != pModel.begin() && std::prev(it)->second >= pBegin)
        --it;
    while (it != pModel.end() && it->first <= pEnd) {
        pBegin = std::min(pBegin, it->first);
        pEnd = std::max(pEnd, it->second);
        it = pModel.erase(it);
    }
    pModel[pBegin] = pEnd;
}

bool Same(const TRange& p1, const TRange& p2) {
    return p1.aBegin == p2.aBegin && p1.aEnd == p2.aEnd;
}

bool Same(const TRangeList& p1, const TRangeList& p2) {
    return std::equal(p1.begin(), p1.end(), p2.begin(), p2.end(),
                      [](const TRange& pA, const TRange& pB) { return Same(pA, pB); });
}

void CheckSame(const TRangeList& pList, const TModel& pModel) {
    Require(pList.size() == pModel.size());
    auto model = pModel.begin();
    const TRange* before = nullptr;
    for (const TRange& range : pList) {
        Require(range.aBegin < range.aEnd);
        Require(!before || before->aEnd < range.aBegin);
        Require(range.aBegin == model->first && range.aEnd == model->second);
        before = &range;
        ++model;
    }
}

// Times in steps of 3 around 0, so that ranges meet, touch and overlap often.
long Time(TFuzzInput& pInput) {
    return pInput.Take<int16_t>() * 3L;
}

// A hint at or before the first range that ends at or after pBegin.
TRangeList::iterator Hint(TRangeList& pList, unsigned pKind, long pBegin, long pProbe) {
    TRangeList::iterator pos;
    switch (pKind) {
    case 0:
        return pList.begin();
    case 1:
        // The last range beginning at or before pBegin; none: the start.
        pList.Find(pBegin, pos);
        return pos == pList.end() ? pList.begin() : pos;
    default:
        // A lower bound anywhere, moved back over the ranges that reach pBegin.
        pos = pList.LowerBound(pProbe);
        while (pos != pList.begin() && TRangeList::Prev(pos)->aEnd >= pBegin)
            pos = TRangeList::Prev(pos);
        return pos;
    }
}

void RoundTrip(const TRangeList& pList) {
    wxXmlNode parent(wxXML_ELEMENT_NODE, L"seq-list");
    pList.MakeXmlImage(&parent);
    TRangeList read;
    Require(read.ValueFromXml(&parent));
    Require(Same(read, pList));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    TFuzzInput input(pData, pSize);
    TRangeList list;
    TModel model;
    for (int step = 0; !input.Empty() && step < 400; ++step) {
        const unsigned op = input.Byte();
        if (op % 8 == 7) {
            if (list.empty())
                continue;
            const size_t index = input.Byte() % list.size();
            auto erased = std::next(list.begin(), long(index));
            model.erase(erased->aBegin);
            const auto next = list.Erase(erased);
            Require(next == std::next(list.begin(), long(index)));
        } else if (op % 8 == 6) {
            // Appending needs a range beyond the last one's end.
            const long begin = (list.empty() ? 0 : list.back().aEnd) + 1 + long(input.Byte());
            const long end = begin + 1 + long(input.Byte());
            Require(Same(*list.Add(begin, end, list.end()), TRange(begin, end)));
            ModelAdd(model, begin, end);
        } else {
            const long begin = Time(input);
            const long end = begin + 1 + long(input.Byte() % 64) * long(input.Byte() % 8 + 1);
            const long probe = Time(input);
            const auto pos = list.Add(begin, end, Hint(list, op % 3, begin, probe));
            Require(pos != list.end() && pos->aBegin <= begin && end <= pos->aEnd);
            ModelAdd(model, begin, end);
        }
        CheckSame(list, model);
        if (step % 16 == 15)
            RoundTrip(list);
    }
    RoundTrip(list);
    return 0;
}
