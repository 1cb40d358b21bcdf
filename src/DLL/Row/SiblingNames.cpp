#include "DLL/Row/SiblingNames.h"

#include "DLL/Row/StreamRow.h"

#include <algorithm>
#include <iterator>

namespace {

// pNumber + 1.
std::string NextNumber(std::string pNumber) {
    size_t i = pNumber.size();
    while (i > 0 && pNumber[i - 1] == '9')
        pNumber[--i] = '0';
    if (i == 0)
        return '1' + pNumber;
    ++pNumber[i - 1];
    return pNumber;
}

// pNumber - 1, for a number above 0.
std::string PrevNumber(std::string pNumber) {
    size_t i = pNumber.size();
    while (pNumber[i - 1] == '0')
        pNumber[--i] = '9';
    --pNumber[i - 1];
    if (pNumber.size() > 1 && pNumber[0] == '0')
        pNumber.erase(0, 1);
    return pNumber;
}

// pNumber written with at least pWidth digits.
wxString Padded(const std::string& pNumber, size_t pWidth) {
    const size_t zeros = pWidth > pNumber.size() ? pWidth - pNumber.size() : 0;
    return wxString(L'0', zeros) + wxString::FromAscii(pNumber.c_str());
}

// A name taken apart at its trailing digit run.
struct TNumberedName {
    wxString aPrefix;
    // The run's width and the number it spells, without leading zeros.
    size_t aWidth;
    std::string aNumber;

    // False when the name ends in no digit.
    bool Read(const wxString& pName) {
        const size_t start = TSiblingNames::DigitRunStart(pName);
        if (start == pName.length())
            return false;
        aPrefix = pName.Left(start);
        aWidth = pName.length() - start;
        size_t first = start;
        while (first + 1 < pName.length() && pName[first] == '0')
            ++first;
        aNumber.clear();
        for (size_t i = first; i < pName.length(); ++i)
            aNumber += char(pName[i].GetValue());
        return true;
    }
    // The run has a leading zero: only a base of that very width makes it.
    bool IsPadded() const { return aNumber.size() < aWidth; }
};

} // namespace

void TSiblingNames::File(TZVStreamRow* pRow) {
    pRow->aIndexedName = pRow->aName;
    std::vector<TZVStreamRow*>& bearers = aBearers[pRow->aIndexedName];
    bearers.push_back(pRow);
    if (bearers.size() == 1)
        TakeNumber(pRow->aIndexedName);
}

void TSiblingNames::Unfile(TZVStreamRow* pRow) {
    const auto named = aBearers.find(pRow->aIndexedName);
    if (named == aBearers.end())
        return;
    std::vector<TZVStreamRow*>& bearers = named->second;
    bearers.erase(std::remove(bearers.begin(), bearers.end(), pRow), bearers.end());
    if (!bearers.empty())
        return;
    aBearers.erase(named);
    FreeNumber(pRow->aIndexedName);
}

void TSiblingNames::Refile(TZVStreamRow* pRow) {
    if (pRow->aIndexedName == pRow->aName)
        return;
    Unfile(pRow);
    File(pRow);
}

const std::vector<TZVStreamRow*>* TSiblingNames::Find(const wxString& pName) const {
    const auto named = aBearers.find(pName);
    return named == aBearers.end() ? nullptr : &named->second;
}

void TSiblingNames::Deconflict(TZVStreamRow* pRow) {
    if (theIsRenaming)
        return;
    const std::vector<TZVStreamRow*>* bearers = Find(pRow->aName);
    if (!bearers || (bearers->size() == 1 && bearers->front() == pRow))
        return;
    const wxString name = FirstFree(pRow->aName);
    // The rename asks again; the name is free, so that pass is skipped.
    theIsRenaming = true;
    pRow->Rename(name);
    theIsRenaming = false;
    // A row not yet linked to its list is not refiled by its rename.
    Refile(pRow);
}

wxString TSiblingNames::FirstFree(const wxString& pBase) const {
    TNumberedName base;
    if (!base.Read(pBase)) {
        // A base without a run counts "-1", "-2", ... after itself.
        base.aPrefix = pBase + L"-";
        base.aWidth = 1;
        base.aNumber = "0";
    }
    std::string number = NextNumber(base.aNumber);
    const auto numbered = aNumbered.find(base.aPrefix);
    if (numbered == aNumbered.end())
        return base.aPrefix + Padded(number, base.aWidth);
    const TNumbered& sets = numbered->second;
    if (number.size() < base.aWidth) {
        // Candidates narrower than the base's run are zero-padded to it.
        const auto padded = sets.aPadded.find(base.aWidth);
        if (padded != sets.aPadded.end())
            number = padded->second.FirstFreeFrom(number);
        if (number.size() < base.aWidth)
            return base.aPrefix + Padded(number, base.aWidth);
    }
    return base.aPrefix + Padded(sets.aPlain.FirstFreeFrom(number), base.aWidth);
}

size_t TSiblingNames::DigitRunStart(const wxString& pName) {
    size_t start = pName.length();
    while (start > 0 && pName[start - 1] >= '0' && pName[start - 1] <= '9')
        --start;
    return start;
}

void TSiblingNames::TakeNumber(const wxString& pName) {
    TNumberedName name;
    if (!name.Read(pName))
        return;
    TNumbered& sets = aNumbered[name.aPrefix];
    (name.IsPadded() ? sets.aPadded[name.aWidth] : sets.aPlain).Take(name.aNumber);
}

void TSiblingNames::FreeNumber(const wxString& pName) {
    TNumberedName name;
    if (!name.Read(pName))
        return;
    const auto numbered = aNumbered.find(name.aPrefix);
    if (numbered == aNumbered.end())
        return;
    TNumbered& sets = numbered->second;
    if (!name.IsPadded()) {
        sets.aPlain.Free(name.aNumber);
    } else if (const auto padded = sets.aPadded.find(name.aWidth); padded != sets.aPadded.end()) {
        padded->second.Free(name.aNumber);
        if (padded->second.IsEmpty())
            sets.aPadded.erase(padded);
    }
    if (sets.aPlain.IsEmpty() && sets.aPadded.empty())
        aNumbered.erase(numbered);
}

bool TSiblingNames::TNumberLess::operator()(const std::string& pLeft,
                                            const std::string& pRight) const {
    return pLeft.size() != pRight.size() ? pLeft.size() < pRight.size() : pLeft < pRight;
}

void TSiblingNames::TNumberRuns::Take(const std::string& pNumber) {
    const auto after = aRuns.upper_bound(pNumber);
    const bool hasBefore = after != aRuns.begin();
    const auto before = hasBefore ? std::prev(after) : aRuns.end();
    if (hasBefore && !TNumberLess()(before->second, pNumber))
        return;
    const std::string next = NextNumber(pNumber);
    const bool joinsBefore = hasBefore && NextNumber(before->second) == pNumber;
    const bool joinsAfter = after != aRuns.end() && after->first == next;
    const std::string last = joinsAfter ? after->second : pNumber;
    if (joinsAfter)
        aRuns.erase(after);
    if (joinsBefore)
        before->second = last;
    else
        aRuns.emplace(pNumber, last);
}

void TSiblingNames::TNumberRuns::Free(const std::string& pNumber) {
    auto run = aRuns.upper_bound(pNumber);
    if (run == aRuns.begin())
        return;
    --run;
    const std::string last = run->second;
    if (TNumberLess()(last, pNumber))
        return;
    if (run->first == pNumber)
        aRuns.erase(run);
    else
        run->second = PrevNumber(pNumber);
    if (last != pNumber)
        aRuns.emplace(NextNumber(pNumber), last);
}

std::string TSiblingNames::TNumberRuns::FirstFreeFrom(const std::string& pFrom) const {
    auto run = aRuns.upper_bound(pFrom);
    if (run == aRuns.begin())
        return pFrom;
    --run;
    return TNumberLess()(run->second, pFrom) ? pFrom : NextNumber(run->second);
}
