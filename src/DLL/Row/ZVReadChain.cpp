#include "DLL/Row/ZVReadChain.h"

#include "ALL/Error.h"
#include "DLL/Row/ParamFormula.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVFormula.h"

#include <wx/intl.h>

#include <algorithm>
#include <cstdint>

namespace {

const TZVFormula* ExpressionOf(const TZVParamRow& pRow) {
    return pRow.aIsExpression ? dynamic_cast<const TZVFormula*>(pRow.aFormula) : nullptr;
}

// The levels below pReader's root of its deepest reference to pRow's value: its whole height
// when none is known (a reader registered without binding).
int ReadLevels(const TZVParamRow& pReader, const TZVParamRow& pRow) {
    const TZVFormula* formula = ExpressionOf(pReader);
    // A composite reads its components' values directly.
    if (!formula)
        return 0;
    int levels = -1;
    for (const TZVFormula::TValueRead& read : formula->GetValueReads())
        if (read.aRow == &pRow)
            levels = std::max(levels, read.aDepth);
    return levels < 0 ? formula->GetHeight() : levels;
}

TError TooDeep(const TZVParamRow* pRead, const TZVParamRow* pReader) {
    return TError(wxGetTranslation(L"Referring to value of parameter %s in parameter %s formula "
                                   L"nests formulas deeper than %d levels"),
                  TZVFormula::GetRowName(pRead), TZVFormula::GetRowName(pReader),
                  TZVReadChain::MAX_LEVELS);
}

} // namespace

// One row on the walk's path: where its steps lie in the shared step stack, the next one to
// take, and the longest chain found from it so far.
struct TZVReadChain::TWalk {
    const TZVParamRow* aRow;
    int aLevelsIn;
    size_t aFirstStep;
    size_t aNextStep;
    TDepth aBest;
    const TZVParamRow* aVia;
};

TZVReadChain::TZVReadChain(const TZVParamRow* pOwner)
    : aOwner(pOwner), aAboveMeasured(false), aAboveDepth{0, 0}, aFirstReader(nullptr) {}

void TZVReadChain::CheckHeight(int pHeight) {
    // The readers measured the owner's value source: one as high fits where it fits.
    if (aOwner && pHeight <= HeightOf(*aOwner))
        return;
    MeasureAbove();
    if (aAboveDepth.aLevels + pHeight > MAX_LEVELS)
        throw TooDeep(aOwner, aFirstReader);
}

void TZVReadChain::CheckRead(const TZVParamRow* pRow, int pDepth) {
    MeasureAbove();
    if (pRow == aOwner || aAbove.Find(pRow))
        throw TError(wxGetTranslation(L"Referring to value of parameter %s in parameter %s "
                                      L"formula causes a circular reference"),
                     TZVFormula::GetRowName(pRow), TZVFormula::GetRowName(aOwner));
    const TDepth below = Measure(pRow, false, aBelow);
    if (aAboveDepth.aReferences + 1 + below.aReferences > MAX_REFERENCES)
        throw TError(wxGetTranslation(L"Referring to value of parameter %s in parameter %s "
                                      L"formula makes a chain of more than %d references"),
                     TZVFormula::GetRowName(pRow), TZVFormula::GetRowName(aOwner), MAX_REFERENCES);
    if (aAboveDepth.aLevels + pDepth + below.aLevels > MAX_LEVELS)
        throw TooDeep(pRow, aOwner);
}

void TZVReadChain::MeasureAbove() {
    if (aAboveMeasured)
        return;
    aAboveMeasured = true;
    if (aOwner)
        aAboveDepth = Measure(aOwner, true, aAbove, &aFirstReader);
}

// A depth-first walk with a stack of its own: the chains it measures are as long as those
// that would not fit the stack.
TZVReadChain::TDepth TZVReadChain::Measure(const TZVParamRow* pStart, bool pUp, TKnownMap& pKnown,
                                           const TZVParamRow** pVia) {
    if (const TKnown* known = pKnown.Find(pStart))
        return known->aDepth;
    std::vector<TWalk> path;
    std::vector<TStep> steps;
    int pathLevels = 0;
    const auto enter = [&](const TZVParamRow* pRow, int pLevelsIn) {
        const size_t first = steps.size();
        AppendSteps(*pRow, pUp, steps);
        path.push_back({pRow, pLevelsIn, first, first, {0, pUp ? 0 : HeightOf(*pRow)}, nullptr});
        pKnown[pRow] = {{0, 0}, false};
        pathLevels += pLevelsIn;
    };
    // pWalk's longest chain, through pStep to a row measured pDepth.
    const auto raise = [](TWalk& pWalk, const TStep& pStep, const TDepth& pDepth) {
        pWalk.aBest.aReferences = std::max(pWalk.aBest.aReferences, pDepth.aReferences + 1);
        const int levels = pDepth.aLevels + pStep.aLevels;
        if (!pWalk.aVia || levels > pWalk.aBest.aLevels)
            pWalk.aVia = pStep.aRow;
        pWalk.aBest.aLevels = std::max(pWalk.aBest.aLevels, levels);
    };
    // A chain past a limit (or a cycle already there, which no binding lets in): the walk
    // ends, and what it left half measured is forgotten.
    const auto beyond = [&](bool pLevels) {
        if (pVia)
            *pVia = path.size() > 1 ? path[1].aRow : nullptr;
        pKnown.Clear();
        return pLevels ? TDepth{0, MAX_LEVELS + 1} : TDepth{MAX_REFERENCES + 1, 0};
    };
    enter(pStart, 0);
    while (!path.empty()) {
        TWalk& top = path.back();
        if (top.aNextStep < steps.size()) {
            const TStep step = steps[top.aNextStep++];
            if (const TKnown* seen = pKnown.Find(step.aRow)) {
                if (!seen->aDone)
                    return beyond(false);
                raise(top, step, seen->aDepth);
                continue;
            }
            if (int(path.size()) > MAX_REFERENCES)
                return beyond(false);
            if (pathLevels + step.aLevels > MAX_LEVELS)
                return beyond(true);
            enter(step.aRow, step.aLevels);
            continue;
        }
        const TWalk done = top;
        path.pop_back();
        steps.resize(done.aFirstStep);
        pathLevels -= done.aLevelsIn;
        pKnown[done.aRow] = {done.aBest, true};
        if (path.empty() && pVia)
            *pVia = done.aVia;
        if (!path.empty())
            raise(path.back(), {done.aRow, done.aLevelsIn}, done.aBest);
    }
    return pKnown[pStart].aDepth;
}

void TZVReadChain::AppendSteps(const TZVParamRow& pRow, bool pUp, std::vector<TStep>& pSteps) {
    if (pUp) {
        for (const TParamListener& entry : pRow.aListenerList)
            if (entry.aOnValue)
                pSteps.push_back({entry.aListener, ReadLevels(*entry.aListener, pRow)});
    } else if (const TZVFormula* formula = ExpressionOf(pRow)) {
        for (const TZVFormula::TValueRead& read : formula->GetValueReads())
            pSteps.push_back({read.aRow, read.aDepth});
    } else if (const auto* composite =
                   pRow.aFormula ? dynamic_cast<const TZVParamFormula*>(pRow.aFormula) : nullptr) {
        for (int number = 0; number < composite->aSuperRow->aSubCount; ++number)
            if (const TZVParamRow* component = composite->aSuperRow->GetSubParam(number))
                pSteps.push_back({component, 0});
    }
}

int TZVReadChain::HeightOf(const TZVParamRow& pRow) {
    const TZVFormula* formula = ExpressionOf(pRow);
    return formula ? formula->GetHeight() : 0;
}

TZVReadChain::TKnown* TZVReadChain::TKnownMap::Find(const TZVParamRow* pRow) {
    if (aSlots.empty())
        return nullptr;
    TSlot& slot = aSlots[SlotOf(pRow)];
    return slot.aRow ? &slot.aKnown : nullptr;
}

TZVReadChain::TKnown& TZVReadChain::TKnownMap::operator[](const TZVParamRow* pRow) {
    if (TKnown* known = Find(pRow))
        return *known;
    // At most half full, so that a search soon meets an empty slot.
    if (2 * (aCount + 1) > aSlots.size()) {
        std::vector<TSlot> old(std::max<size_t>(64, 2 * aSlots.size()), TSlot{});
        old.swap(aSlots);
        for (const TSlot& slot : old)
            if (slot.aRow)
                aSlots[SlotOf(slot.aRow)] = slot;
    }
    ++aCount;
    TSlot& slot = aSlots[SlotOf(pRow)];
    slot = {pRow, {{0, 0}, false}};
    return slot.aKnown;
}

void TZVReadChain::TKnownMap::Clear() {
    aSlots.clear();
    aCount = 0;
}

// The slot of pRow, or the empty one where it would go: from its hash on, linearly.
size_t TZVReadChain::TKnownMap::SlotOf(const TZVParamRow* pRow) const {
    const size_t mask = aSlots.size() - 1;
    // The product's top bits mix every bit of the address.
    size_t slot = size_t((uint64_t(uintptr_t(pRow)) * 0x9E3779B97F4A7C15ull) >> 40) & mask;
    while (aSlots[slot].aRow && aSlots[slot].aRow != pRow)
        slot = (slot + 1) & mask;
    return slot;
}
