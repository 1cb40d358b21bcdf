// The host's undo round of a parameter row's key edit, without the undo buffer and without
// test checks: the row's image is taken into an element, stored as an undo record and read
// back from it, then applied with the opposite image recorded. Header only, so that fuzz
// targets can use it too.
#pragma once

#include "DLL/Bas/ABCFormulaSortList.h"
#include "DLL/Edt/XmlUndoData.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVFormula.h"

#include <wx/xml/xml.h>

#include <memory>

// The row's undo image after a trip through a stored record; the record is cleared. Null
// when the record cannot be stored.
inline std::unique_ptr<wxXmlNode> StoredUndoImage(TZVParamRow& pRow) {
    wxXmlNode element(wxXML_ELEMENT_NODE, L"param");
    pRow.MakeUndoImage(&element);
    TXmlUndoData* record = TXmlUndoData::Create(nullptr, 0, &element, false);
    if (!record)
        return nullptr;
    std::unique_ptr<wxXmlNode> tree(record->GetTree());
    TXmlUndoData::Release(record);
    return tree;
}

// Applies the key list or the formula text of pImage to pRow, recording the opposite; false
// (nothing applied) when the image does not read.
inline bool ApplyStoredImage(TZVParamRow& pRow, const wxXmlNode& pImage) {
    const wxXmlNode* child = pImage.GetChildren();
    if (child && child->GetType() == wxXML_TEXT_NODE) {
        std::unique_ptr<TZVFormula> formula(new TZVFormula(&pRow));
        if (!formula->ValueFromXml(&pImage, pRow.aTypeDef))
            return false;
        pRow.ApplyUndo(formula.release());
        return true;
    }
    TABCFormulaList keys;
    if (!keys.ValueFromXml(&pImage, pRow.aTypeDef))
        return false;
    pRow.ApplyUndo(keys, true);
    return true;
}
