// Finds the parameter reference at a cursor place of a formula text, for formula editing.
#pragma once

#include "DLL/Bas/ExprFormula.h"
#include "DLL/Row/ZVFormula.h"

#include <wx/string.h>

class TZVBaseRow;
class TZVParamRow;

class TZVParamAttrParser : public NSExpression::TParser {
public:
    // Reads the references of pText up to the one that covers character pCursor (clamped to
    // the text). Throws TError when that reference names no row.
    TZVParamAttrParser(const wchar_t* pText, int pCursor);

    // Keeps the last message; null clears it.
    void AddError(const wchar_t* pText) override;

    // The referenced parameter; null when none was found or the row is no parameter.
    TZVParamRow* GetRow() const;
    EAttrKind GetAttr() const { return aAttr; }
    const wxString& GetError() const { return aError; }

private:
    wxString aError;
    TZVBaseRow* aRow;
    EAttrKind aAttr;
};
