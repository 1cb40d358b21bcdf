#include "support/ParamUndoDriver.h"

#include "DLL/Bas/ABCFormulaSortList.h"
#include "DLL/Edt/XmlUndoData.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVFormula.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

std::unique_ptr<wxXmlNode> TakeUndoImage(TZVParamRow& pRow) {
    wxXmlNode element(wxXML_ELEMENT_NODE, L"param");
    pRow.MakeUndoImage(&element);
    TXmlUndoData* record = TXmlUndoData::Create(nullptr, 0, &element, false);
    EXPECT_NE(record, nullptr);
    std::unique_ptr<wxXmlNode> tree(record ? record->GetTree() : nullptr);
    TXmlUndoData::Release(record);
    EXPECT_NE(tree, nullptr);
    return tree;
}

void ApplyUndoImage(TZVParamRow& pRow, const wxXmlNode& pImage) {
    const wxXmlNode* child = pImage.GetChildren();
    if (child && child->GetType() == wxXML_TEXT_NODE) {
        TZVFormula* formula = new TZVFormula(&pRow);
        EXPECT_TRUE(formula->ValueFromXml(&pImage, pRow.aTypeDef));
        pRow.ApplyUndo(formula);
        return;
    }
    TABCFormulaList keys;
    EXPECT_TRUE(keys.ValueFromXml(&pImage, pRow.aTypeDef));
    pRow.ApplyUndo(keys, true);
}

void UndoParamEdit(TZVParamRow& pRow) {
    const std::unique_ptr<wxXmlNode> image = TakeUndoImage(pRow);
    if (image)
        ApplyUndoImage(pRow, *image);
}
