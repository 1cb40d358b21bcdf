// TSiblingNames: the rows of one list (a mixer's sources, a source's filters) filed under
// their names, so that finding a row by name and the name rule cost no walk of the list.
#pragma once

#include <wx/string.h>

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

class TZVStreamRow;

class TSiblingNames {
public:
    // Files pRow under its name and remembers that name in the row (aIndexedName).
    void File(TZVStreamRow* pRow);
    // Takes pRow out of the name it is filed under.
    void Unfile(TZVStreamRow* pRow);
    // pRow, filed here, may bear a new name: files it under that one.
    void Refile(TZVStreamRow* pRow);
    // The rows filed under pName, in filing order; null when none.
    const std::vector<TZVStreamRow*>* Find(const wxString& pName) const;
    // The name rule: when another row bears pRow's name, pRow (never the other) is renamed to
    // FirstFree of its name and filed under it.
    void Deconflict(TZVStreamRow* pRow);
    // TZVSourceRow::incName(pBase, k) for the smallest k from 1 that no filed row bears.
    wxString FirstFree(const wxString& pBase) const;

    // Where the trailing run of '0' to '9' of pName begins; its length when there is none.
    static size_t DigitRunStart(const wxString& pName);

private:
    // Decimal numbers without leading zeros ("0" for zero), in the order of their values.
    struct TNumberLess {
        bool operator()(const std::string& pLeft, const std::string& pRight) const;
    };
    // A set of numbers kept as runs of consecutive ones, so that the first number missing
    // from a point on is found in one look-up however many follow each other.
    class TNumberRuns {
    public:
        void Take(const std::string& pNumber);
        void Free(const std::string& pNumber);
        // The smallest number from pFrom on that is not taken.
        std::string FirstFreeFrom(const std::string& pFrom) const;
        bool IsEmpty() const { return aRuns.empty(); }

    private:
        // First number of each run to its last; runs neither overlap nor touch.
        std::map<std::string, std::string, TNumberLess> aRuns;
    };
    // The names that end in a digit run after one prefix, by the number the run spells: runs
    // without a leading zero, and zero-padded runs by their width. The name rule's candidates
    // from one base are the prefix with the base's number plus k, padded to the base's run.
    struct TNumbered {
        TNumberRuns aPlain;
        std::map<size_t, TNumberRuns> aPadded;
    };

    // The number of pName, when it ends in a digit run, enters or leaves its set.
    void TakeNumber(const wxString& pName);
    void FreeNumber(const wxString& pName);

    std::unordered_map<wxString, std::vector<TZVStreamRow*>> aBearers;
    // By the part of the name before its digit run.
    std::unordered_map<wxString, TNumbered> aNumbered;

    // Deconflict is renaming a row: the rename's own pass is skipped.
    inline static bool theIsRenaming = false;
};
