#include "DLL/Bas/ExprContext.h"

#include "ALL/Assert.h"
#include "DLL/Bas/ExprFunction.h"

namespace NSExpression {

namespace {

struct TPredefinedFunction {
    const wchar_t* aName;
    const IFunction* aFunction;
};

struct TPredefinedValue {
    const wchar_t* aName;
    TVariant aValue;
};

// Indexed by selector - predROUND; one instance of each function for the whole process.
const TPredefinedFunction* PredefinedFunctions() {
    static const TRoundFunc theRound;
    static const TFloorFunc theFloor;
    static const TSinFunc theSin;
    static const TCosFunc theCos;
    static const TTanFunc theTan;
    static const TLogFunc theLog;
    static const TExpFunc theExp;
    static const TPredefinedFunction theFunctions[] = {
        {L"round", &theRound}, {L"floor", &theFloor}, {L"sin", &theSin}, {L"cos", &theCos},
        {L"tan", &theTan},     {L"log", &theLog},     {L"exp", &theExp}};
    return theFunctions;
}

// Indexed by selector - predPI.
const TPredefinedValue* PredefinedValues() {
    static const TPredefinedValue theValues[] = {{L"pi", TVariant(3.141592653589793)},
                                                 {L"e", TVariant(2.718281828459045)}};
    return theValues;
}

} // namespace

TContext::TContext() : aCheckMode(0) {}

TContext::~TContext() {
    aFunctions.clear();
    aValues.clear();
}

void TContext::LoadPredefined(EPredefined pPredefined, ENameCase) {
    const TPredefinedFunction* functions = PredefinedFunctions();
    const TPredefinedValue* values = PredefinedValues();
    if (pPredefined < predALL || pPredefined >= predBASE_LAST) {
        ZV_FAIL("(pPredefined >=0 ) && (pPredefined < predBASE_LAST)");
        return;
    }
    for (int which = predROUND; which < predBASE_LAST; ++which) {
        if (pPredefined != predALL && pPredefined != which)
            continue;
        if (which < predPI)
            SetFunction(functions[which - predROUND].aName, functions[which - predROUND].aFunction);
        else
            SetValue(values[which - predPI].aName, values[which - predPI].aValue);
    }
}

TVariant* TContext::GetValue(const wxString& pName) {
    auto entry = aValues.find(pName);
    return entry == aValues.end() ? nullptr : &entry->second;
}

bool TContext::GetValue(const wxString& pName, const TVariant** pValue) const {
    auto entry = aValues.find(pName);
    if (entry == aValues.end())
        return false;
    if (pValue)
        *pValue = &entry->second;
    return true;
}

bool TContext::GetFunction(const wxString& pName, const IFunction** pFunction) const {
    auto entry = aFunctions.find(pName);
    if (entry == aFunctions.end())
        return false;
    if (pFunction)
        *pFunction = entry->second;
    return true;
}

bool TContext::SetValue(const wxString& pName, TVariant pValue) {
    auto entry = aValues.find(pName);
    if (entry != aValues.end()) {
        entry->second = std::move(pValue);
        return false;
    }
    aValues.emplace(pName, std::move(pValue));
    return true;
}

bool TContext::SetFunction(const wxString& pName, const IFunction* pFunction) {
    auto entry = aFunctions.find(pName);
    if (entry != aFunctions.end()) {
        entry->second = pFunction;
        return false;
    }
    aFunctions.emplace(pName, pFunction);
    return true;
}

} // namespace NSExpression
