// TStreamEditList: the key edits of one user action, grouped by stream row and parameter row,
// as the host hands them to the editor listener. Newest entries come first.
#pragma once

#include "ALL/Range.h"
#include "DLL/Bas/ABCFormulaSortList.h"

#include <list>

class TZVParamRow;
class TZVStreamRow;

// The keys edited on one parameter row.
struct TParamEdit {
    // Not owned.
    TZVParamRow* aParam;
    // One key: a copy of the first key edited, its range widened over every later one.
    TABCFormulaList aKeys;
    // The host's; 0.
    int aFlags;
};

// The key edits of one stream row.
struct TStreamEdit {
    // Not owned.
    TZVStreamRow* aStream;
    // The host's; left empty.
    TRangeList aRanges;
    // Newest first.
    std::list<TParamEdit> aParamEdits;
};

class TStreamEditList : public std::list<TStreamEdit> {
public:
    // Records that pKey of pParam (a parameter of pStream) was edited: a new stream or
    // parameter goes in front with a copy of the key; otherwise the recorded key's range
    // grows to cover pKey.
    void AddKey(TZVStreamRow* pStream, TZVParamRow* pParam, const TABCFormula& pKey);
};
