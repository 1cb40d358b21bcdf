#include "DLL/Row/ZVParamAttrParser.h"

#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVParamAttribute.h"

#include <wx/intl.h>
#include <wx/xml/xml.h>

#include <cwchar>
#include <memory>

TZVParamAttrParser::TZVParamAttrParser(const wchar_t* pText, int pCursor)
    : aRow(nullptr), aAttr(attrVALUE) {
    const int length = int(std::wcslen(pText));
    const wchar_t* const end = pText + (pCursor < 0 ? 0 : pCursor > length ? length : pCursor);
    aCursor = pText;
    std::unique_ptr<wxXmlNode> path;
    TParamAttrSpec ref{nullptr, attrVALUE};
    do {
        const wchar_t* const open = std::wcschr(aCursor, L'[');
        if (!open)
            return;
        aCursor = open;
        // Only the errors of the reference at the cursor matter.
        aError.clear();
        ref = ParseParamReference(*this);
        path.reset(ref.Path);
    } while (aCursor < end);
    if (!path)
        aError = wxGetTranslation(L"There is no parameter attribute at cursor place");
    else if (aError.empty()) {
        aRow = TZVBaseRow::GetRowFromPath(path.get(), nullptr);
        aAttr = ref.Attr;
    }
}

void TZVParamAttrParser::AddError(const wchar_t* pText) {
    aError = pText ? pText : L"";
}

TZVParamRow* TZVParamAttrParser::GetRow() const {
    return aRow && aRow->aRowKind == rowKindPARAM ? static_cast<TZVParamRow*>(aRow) : nullptr;
}
