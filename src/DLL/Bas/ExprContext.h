// The names an expression may use: variables with their values and functions. A formula is
// bound to a context once; its owner then changes variable values in place between
// evaluations, and every bound tree sees the change.
#pragma once

#include "ALL/Variant.h"

#include <wx/string.h>

#include <map>

namespace NSExpression {

class IFunction;

class TContext {
public:
    // Selector of LoadPredefined.
    enum EPredefined : int {
        predALL = 0, // every row below
        predROUND,   // function "round"
        predFLOOR,   // function "floor"
        predSIN,     // function "sin"
        predCOS,     // function "cos"
        predTAN,     // function "tan"
        predLOG,     // function "log"
        predEXP,     // function "exp"
        predPI,      // variable "pi", the double nearest to pi
        predE,       // variable "e", the double nearest to e
        predBASE_LAST
    };
    // Second argument of LoadPredefined; predefined names are always registered in lower case.
    enum ENameCase : int { caseLOWER = 0, caseUPPER };

    TContext();
    TContext(const TContext&) = delete;
    TContext& operator=(const TContext&) = delete;
    // Clears the functions, then the variables.
    virtual ~TContext();

    // Sets the selected predefined functions and constants (replacing entries of the same
    // names in place). A selector outside predALL..predE is reported and loads nothing.
    virtual void LoadPredefined(EPredefined pPredefined, ENameCase pCase);

    // The stored value of a variable, null when absent. Writing through it changes the
    // variable for every tree bound to it; the address stays valid as long as the context.
    TVariant* GetValue(const wxString& pName);
    // Whether the variable exists; when it does and pValue is not null, *pValue receives the
    // stored value's address.
    bool GetValue(const wxString& pName, const TVariant** pValue) const;
    // Whether the function exists; when it does and pFunction is not null, *pFunction
    // receives it.
    bool GetFunction(const wxString& pName, const IFunction** pFunction) const;
    // Inserts a copy of pValue and answers true, or assigns it to the existing entry (same
    // address) and answers false. Names are case-sensitive.
    bool SetValue(const wxString& pName, TVariant pValue);
    // Inserts and answers true, or replaces the existing entry's function and answers false.
    // The context does not own the function, which must outlive it.
    bool SetFunction(const wxString& pName, const IFunction* pFunction);

    // 0 when binding looks names up; any other value makes the built-in nodes accept without
    // looking up (derived contexts set it around walks of their own).
    int GetCheckMode() const { return aCheckMode; }

protected:
    std::map<wxString, TVariant> aValues;
    std::map<wxString, const IFunction*> aFunctions;
    int aCheckMode;
};

} // namespace NSExpression
