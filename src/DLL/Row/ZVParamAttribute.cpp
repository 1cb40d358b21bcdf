#include "DLL/Row/ZVParamAttribute.h"

#include "ALL/Assert.h"
#include "ALL/Error.h"
#include "DLL/Bas/EvaluateContext.h"
#include "DLL/Bas/Formula.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/StreamRow.h"

#include <wx/intl.h>
#include <wx/xml/xml.h>

#include <cmath>
#include <cwchar>

namespace {

constexpr int ATTR_COUNT = 8;
const EAttrKind ATTR_UNKNOWN = EAttrKind(ATTR_COUNT);

// "isDefined" computes the value too: it follows value changes and would recurse without end
// through a cycle, so it counts as a value read.
bool ReadsValue(EAttrKind pKind) {
    return pKind == attrVALUE || pKind == attrIS_DEFINED;
}

void Report(NSExpression::TParser& pParser, const wchar_t* pText) {
    pParser.AddError(wxGetTranslation(pText).wc_str());
}

// The kind a prefix of pLength characters names; an unknown prefix is reported and read as a
// source.
ERowKind KindOfPrefix(NSExpression::TParser& pParser, const wchar_t* pPrefix, size_t pLength) {
    static const ERowKind theOrder[] = {rowKindPARAM, rowKindFILTER, rowKindSOURCE, rowKindMIXER};
    for (ERowKind kind : theOrder)
        if (std::wcsncmp(TZVBaseRow::GetRowKindName(kind).wc_str(), pPrefix, pLength) == 0)
            return kind;
    Report(pParser, L"Invalid parameter reference element type prefix");
    return rowKindSOURCE;
}

// A parameter's number ends at its first blank; other names have "]]" for each "]".
wxString ElementName(const wchar_t* pBegin, const wchar_t* pEnd, bool pIsParam) {
    const wxString raw(pBegin, size_t(pEnd - pBegin));
    if (pIsParam)
        return raw.substr(0, raw.find(L' '));
    wxString name = raw;
    name.Replace(L"]]", L"]");
    return name;
}

bool IsAttrChar(wchar_t pChar) {
    return (pChar >= L'a' && pChar <= L'z') || (pChar >= L'A' && pChar <= L'Z') ||
           (pChar >= L'0' && pChar <= L'9') || pChar == L'_';
}

// The first attribute word that begins with the run at the cursor; the cursor ends after it.
EAttrKind ReadAttribute(NSExpression::TParser& pParser) {
    const wchar_t* const start = pParser.GetCursor();
    const wchar_t* end = start;
    while (IsAttrChar(*end))
        ++end;
    pParser.SetCursor(end);
    const wxString run(start, size_t(end - start));
    for (int kind = 0; kind < ATTR_COUNT; ++kind)
        if (TZVFormula::GetAttrName(EAttrKind(kind)).compare(0, run.length(), run) == 0)
            return EAttrKind(kind);
    Report(pParser, L"Unknown parameter reference attribute");
    return ATTR_UNKNOWN;
}

// The range of pList holding the time truncated towards zero; null when none does.
const TRange* SequenceAt(const TRangeList& pList, double pTime) {
    const double whole = std::trunc(pTime);
    for (const TRange& range : pList) {
        if (double(range.aBegin) > whole)
            break;
        if (whole < double(range.aEnd))
            return &range;
    }
    return nullptr;
}

TVariant AttributeOf(const TZVParamRow& pRow, EAttrKind pKind, double pTime) {
    const TRangeList& sequences = const_cast<TZVParamRow&>(pRow).GetSequenceList();
    const TRange* sequence = nullptr;
    if (pKind >= attrIS_IN_SEQUENCE && pKind <= attrEND_SEQUENCE)
        sequence = SequenceAt(sequences, pTime);
    switch (pKind) {
    case attrVALUE:
        return pRow.GetValueAt(pTime);
    case attrDEFAULT_RATE:
        return TVariant(1000.0 * pRow.aTypeDef.aSlope);
    case attrBEGIN:
        return sequences.empty() ? TVariant() : TVariant(double(sequences.front().aBegin));
    case attrEND:
        return sequences.empty() ? TVariant() : TVariant(double(sequences.back().aEnd));
    case attrIS_DEFINED:
        return TVariant(pRow.GetValueAt(pTime).IsUndefined() ? 0.0 : 1.0);
    case attrIS_IN_SEQUENCE:
        return TVariant(sequence ? 1.0 : 0.0);
    case attrBEGIN_SEQUENCE:
        return TVariant(sequence ? double(sequence->aBegin) : pTime);
    case attrEND_SEQUENCE:
        return TVariant(sequence ? double(sequence->aEnd) : pTime);
    }
    ZV_FAIL("false");
    return TVariant(0.0);
}

} // namespace

TParamAttrSpec ParseParamReference(NSExpression::TParser& pParser) {
    const wchar_t* cursor = pParser.GetCursor() + 1;
    wxXmlNode* const root =
        new wxXmlNode(nullptr, wxXML_ELEMENT_NODE, L"p", wxEmptyString, nullptr, nullptr, -1);
    wxXmlNode* step = nullptr;
    for (;;) {
        const wchar_t* const start = cursor;
        const wchar_t* name = nullptr;
        ERowKind kind = rowKindSOURCE;
        for (; *cursor != L']' || cursor[1] == L']'; ++cursor) {
            pParser.SetCursor(cursor);
            if (*cursor == 0) {
                Report(pParser, L"End of expression found inside parameter reference");
                delete root;
                return TParamAttrSpec{nullptr, attrVALUE};
            }
            if (*cursor == L']') {
                ++cursor;
            } else if (*cursor == L':' && !name) {
                kind = KindOfPrefix(pParser, start, size_t(cursor - start));
                if (step == nullptr && kind != rowKindMIXER && kind != rowKindSOURCE)
                    Report(pParser, L"First element of parameter reference is not a mixer");
                name = cursor + 1;
            }
        }
        pParser.SetCursor(cursor);
        if (!name) {
            Report(pParser, L"Element type prefix missing ([param|filter|source]:)");
            name = start;
        }
        const bool isParam = kind == rowKindPARAM;
        step = TZVBaseRow::AddPathNode(TZVBaseRow::GetRowKindName(kind),
                                       ElementName(name, cursor, isParam), root, step);
        ++cursor;
        pParser.SetCursor(cursor);
        if (*cursor == L'[') {
            if (isParam)
                Report(
                    pParser,
                    L"The parameter element inside parameter reference must be the last element");
            ++cursor;
            continue;
        }
        EAttrKind attr = attrVALUE;
        if (*cursor == L'.') {
            pParser.SetCursor(cursor + 1);
            attr = ReadAttribute(pParser);
        } else {
            Report(pParser, L"No attribute requested for parameter reference");
            if (*cursor)
                pParser.SetCursor(cursor + 1);
        }
        if (!isParam)
            Report(pParser, L"The last element of parameter reference is not a parameter element");
        return TParamAttrSpec{root, attr};
    }
}

TZVParamAttribute::TZVParamAttribute(const TParamAttrSpec& pSpec, const wxString& pText)
    : aSpec(pSpec), aParamRow(nullptr), aTime(nullptr), aText(pText) {}

TZVParamAttribute::TZVParamAttribute(const TZVParamAttribute& pSource)
    : IExprNode(pSource), aSpec(pSource.aSpec), aParamRow(pSource.aParamRow), aTime(pSource.aTime),
      aText(pSource.aText) {
    // A snapshot of a reference that did not bind reads as undefined, as its source does; it
    // takes no path, which it could only report each frame.
    aSpec.Path = nullptr;
}

TZVParamAttribute::~TZVParamAttribute() {
    delete aSpec.Path;
}

TVariant TZVParamAttribute::GetValue() const {
    // An unresolved reference is reachable (a failed resolution), and so is an unknown
    // attribute in the tree of a text that did not parse; both read as undefined.
    if (!aParamRow || !aTime || aSpec.Attr >= ATTR_UNKNOWN)
        return TVariant();
    return AttributeOf(*aParamRow, aSpec.Attr, *aTime);
}

bool TZVParamAttribute::CheckSemantic(const NSExpression::TContext&,
                                      NSExpression::TParser& pParser) {
    TZVFormula* formula = dynamic_cast<TZVFormula*>(&pParser);
    if (!formula) {
        ZV_FAIL("dynamic_cast<TZVFormula*>(&pParser) returned NULL");
        return false;
    }
    TZVParamRow* owner = formula->GetOwnerRow();
    switch (GetFormulaContext().GetMode()) {
    case modeRESOLVE:
        return Resolve(*formula);
    case modeADD_LISTENERS:
        if (aParamRow && owner)
            aParamRow->AddListener(owner, ReadsValue(aSpec.Attr));
        return true;
    case modeREM_LISTENERS:
        if (aParamRow && owner)
            aParamRow->RemListener(owner);
        return true;
    case modeCLONE_VALUES:
    case modeCLONE_ATTRS:
        ZV_FAIL("false");
        return true;
    }
    return true;
}

bool TZVParamAttribute::Resolve(TZVFormula& pFormula) {
    aTime = GetFormulaContext().GetCurTimePlace();
    pFormula.MarkUses(ReadsValue(aSpec.Attr) ? attrVALUE : aSpec.Attr);
    // Its snapshot freezes it as the other attributes are frozen.
    if (aSpec.Attr == attrIS_DEFINED)
        pFormula.MarkUses(attrIS_DEFINED);
    if (!aSpec.Path) {
        if (aParamRow && ReadsValue(aSpec.Attr))
            pFormula.KeepValueRead(aParamRow, Depth());
        return true;
    }
    try {
        aParamRow = LookUp(pFormula);
    } catch (const wxString& error) {
        pFormula.AddError(error.wc_str());
        return false;
    }
    delete aSpec.Path;
    aSpec.Path = nullptr;
    return true;
}

TZVParamRow* TZVParamAttribute::LookUp(TZVFormula& pFormula) const {
    TZVBaseRow* row = TZVBaseRow::GetRowFromPath(aSpec.Path, nullptr);
    if (!row || row->aRowKind != rowKindPARAM)
        throw TError(wxGetTranslation(
            L"The last element of parameter reference is not a parameter element"));
    TZVParamRow* param = static_cast<TZVParamRow*>(row);
    if (ReadsValue(aSpec.Attr))
        pFormula.BindValueRead(param, Depth());
    return param;
}

int TZVParamAttribute::Depth() const {
    int depth = 0;
    for (const IExprNode* node = this; node->GetParent(); node = node->GetParent())
        ++depth;
    return depth;
}

void TZVParamAttribute::AppendImage(wxString& pImage) const {
    if (!aParamRow || aSpec.Attr >= ATTR_UNKNOWN) {
        pImage += aText;
        return;
    }
    pImage += TZVFormula::GetRowName(aParamRow) + L"." + TZVFormula::GetAttrName(aSpec.Attr);
}

NSExpression::IExprNode* TZVParamAttribute::Clone() const {
    if (aSpec.Attr == attrVALUE)
        return new TZVClonedParamValue(*this);
    return new TZVClonedParamAttr(*this);
}

bool TZVParamAttribute::CheckSnapshot(ECheckMode pMode) const {
    if (aSpec.Path)
        ZV_FAIL("aSpec.Path == __null");
    if (pMode <= modeREM_LISTENERS) {
        ZV_FAIL("false");
        return false;
    }
    return true;
}

TZVClonedParamValue::TZVClonedParamValue(const TZVParamAttribute& pSource)
    : TZVParamAttribute(pSource), aSlot(nullptr), aTypeDef(2) {}

TVariant TZVClonedParamValue::GetValue() const {
    if (!aSlot || !*aSlot || !aTime)
        return TVariant();
    return (*aSlot)->ComputePointAt(*aTime);
}

bool TZVClonedParamValue::CheckSemantic(const NSExpression::TContext& pContext,
                                        NSExpression::TParser&) {
    const ECheckMode mode = GetFormulaContext().GetMode();
    if (!CheckSnapshot(mode))
        return false;
    if (mode != modeCLONE_VALUES)
        return true;
    const TZVExpressionContext* context = dynamic_cast<const TZVExpressionContext*>(&pContext);
    if (!context) {
        ZV_FAIL("dynamic_cast<const TZVExpressionContext*>(&pContext) returned NULL");
        return true;
    }
    if (aParamRow && context->GetEvalContext()) {
        aSlot = context->GetEvalContext()->GetParamSlot(aParamRow->GetOwnerStream()->aRenderKey,
                                                        aParamRow->aIndex, context->GetEvalFlag());
        aTypeDef = aParamRow->aTypeDef;
    }
    aParamRow = nullptr;
    return true;
}

NSExpression::IExprNode* TZVClonedParamValue::Clone() const {
    ZV_FAIL("false");
    return nullptr;
}

TZVClonedParamAttr::TZVClonedParamAttr(const TZVParamAttribute& pSource)
    : TZVParamAttribute(pSource) {}

TVariant TZVClonedParamAttr::GetValue() const {
    return aValue;
}

bool TZVClonedParamAttr::CheckSemantic(const NSExpression::TContext&, NSExpression::TParser&) {
    const ECheckMode mode = GetFormulaContext().GetMode();
    if (!CheckSnapshot(mode))
        return false;
    if (mode == modeCLONE_ATTRS)
        aValue = TZVParamAttribute::GetValue();
    return true;
}

NSExpression::IExprNode* TZVClonedParamAttr::Clone() const {
    ZV_FAIL("false");
    return nullptr;
}
