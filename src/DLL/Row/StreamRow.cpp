#include "DLL/Row/StreamRow.h"

#include "ALL/Assert.h"
#include "ALL/Error.h"
#include "ALL/Number.h"
#include "ALL/XmlTree.h"
#include "DLL/Bas/StreamInt.h"
#include "DLL/Ctl/SizeHandleFactory.h"
#include "DLL/Edt/EditorListener.h"
#include "DLL/Row/ColorParamRow.h"
#include "DLL/Row/FilterRow.h"
#include "DLL/Row/FontParamRow.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/SimpleParamRow.h"
#include "DLL/Row/SourceRow.h"
#include "DLL/Row/StreamFactory.h"
#include "DLL/Row/ZVFormula.h"

#include <wx/intl.h>
#include <wx/xml/xml.h>

#include <algorithm>
#include <memory>

TZVStreamRow::IStreamTreeOperation::~IStreamTreeOperation() = default;

TZVStreamRow::~TZVStreamRow() {
    destroy();
    if (aRenderStream)
        aRenderStream->Release();
}

int TZVStreamRow::GetBottom() const {
    return aTop + aHeight + aParamHeight;
}

TZVStreamRow* TZVStreamRow::GetOwnerStream() {
    return this;
}

const ITimeList& TZVStreamRow::GetKeyTimeList() const {
    return aKeyList;
}

const TRangeList& TZVStreamRow::GetSequenceList() const {
    return aSequenceList;
}

void TZVStreamRow::VShift(int pDelta) {
    TZVBaseRow::VShift(pDelta);
    if (aIsParamShown)
        for (TZVParamRow* param : aParamTab)
            if (param)
                param->VShift(pDelta);
}

void TZVStreamRow::HShift(int pDelta) {
    TZVBaseRow::HShift(pDelta);
    for (TZVParamRow* param : aParamTab)
        if (param)
            param->HShift(pDelta);
}

void TZVStreamRow::ShowAt(int pTop) {
    TZVBaseRow::ShowAt(pTop);
    if (!aIsParamShown || aParamTab.empty() || !aParamTab.front())
        return;
    const int delta = pTop + aHeight - aParamTab.front()->aTop;
    if (delta != 0)
        for (TZVParamRow* param : aParamTab)
            if (param)
                param->VShift(delta);
}

void TZVStreamRow::ListParam(std::list<TZVParamRow*>& pList) {
    for (TZVParamRow* param : aParamTab)
        if (param)
            param->ListParam(pList);
}

void TZVStreamRow::deleteKey(long pTime, IUndoCompiler& pUndo) {
    // A component is reached through its composite: asked twice, it would lose a key that
    // the first deletion's refill put back.
    for (TZVParamRow* param : aParamTab)
        if (param && !dynamic_cast<TZVSubParamRow*>(param))
            param->DeleteKey(pTime, pUndo);
}

bool TZVStreamRow::ApplyOnVisible(IVisibleRowOperation& pOperation) const {
    const bool result = pOperation.Apply(this);
    if (result && aIsParamShown)
        for (size_t i = 0; i < aParamTab.size(); ++i)
            if (const TZVParamRow* param = EnabledParamAt(i))
                pOperation.Apply(param);
    return result;
}

TZVBaseRow* TZVStreamRow::GetRow(int pY) {
    if (pY >= GetBottom())
        return nullptr;
    if (TZVBaseRow* row = TZVBaseRow::GetRow(pY))
        return row;
    ZV_ASSERT(aIsParamShown);
    for (size_t i = 0; i < ParamLimit(); ++i)
        if (TZVParamRow* param = EnabledParamAt(i))
            if (TZVBaseRow* row = param->GetRow(pY))
                return row;
    ZV_FAIL("false");
    return nullptr;
}

wxXmlNode* TZVStreamRow::GetXmlImage() const {
    wxXmlNode* element = TZVBaseRow::GetXmlImage();
    if (!aIsRendered)
        element->AddAttribute(L"render", L"0");
    NSXml::TChildAppender lists(element);
    aSequenceList.MakeXmlImage(lists.Append(new wxXmlNode(wxXML_ELEMENT_NODE, L"seq-list")));
    if (!aSetupTab.empty()) {
        NSXml::TChildAppender setups(
            lists.Append(new wxXmlNode(wxXML_ELEMENT_NODE, L"setup-list")));
        for (const TVariant& value : aSetupTab) {
            wxXmlNode* setup = setups.Append(new wxXmlNode(wxXML_ELEMENT_NODE, L"setup"));
            TVariant::MakeXmlNode(value, setup);
        }
    }
    wxXmlNode* params = lists.Append(new wxXmlNode(wxXML_ELEMENT_NODE, L"param-list"));
    params->AddAttribute(L"shown", FormatLong(aIsParamShown));
    NSXml::TChildAppender paramImages(params);
    for (const TZVParamRow* param : aParamTab)
        if (param)
            paramImages.Append(param->GetXmlImage());
    return element;
}

void TZVStreamRow::CreateChildren(const wxXmlNode*& pNode) {
    // Older files do not carry the mark: their rows are rendered.
    aIsRendered = pNode->GetAttribute(L"render", L"1") != L"0";
    pNode = pNode->GetChildren();
    createSequence(pNode);
    createParamList(pNode);
    SetDefault();
}

namespace {

// The node's name when it is an element, else empty: comments and texts name no list.
wxString ElementName(const wxXmlNode* pNode) {
    return pNode && pNode->GetType() == wxXML_ELEMENT_NODE ? pNode->GetName() : wxString();
}

// The pIndex-th child of pList (any node type), or null.
const wxXmlNode* NthChild(const wxXmlNode* pList, int pIndex) {
    const wxXmlNode* child = pList->GetChildren();
    for (; child && pIndex > 0; --pIndex)
        child = child->GetNext();
    return child;
}

} // namespace

void TZVStreamRow::createSequence(const wxXmlNode*& pNode) {
    if (ElementName(pNode) != L"seq-list")
        throw TError(wxGetTranslation(L"Missing sequence list for %s"), aName);
    for (const wxXmlNode* seg = pNode->GetChildren(); seg; seg = seg->GetNext()) {
        long begin = 0;
        long end = 0;
        if (!ParseLong32(GetPropValue(seg, L"begin"), begin) ||
            !ParseLong32(GetPropValue(seg, L"end"), end))
            throw TError(wxGetTranslation(L"Invalid sequence definition syntax for %s"), aName);
        if (begin >= end)
            throw TError(wxGetTranslation(L"Null length sequence definition for %s"), aName);
        if (!aSequenceList.empty() && begin < aSequenceList.back().aEnd)
            throw TError(
                wxGetTranslation(
                    L"Overlapping or unsorted sequences found (%ld,%ld) / (%ld,%ld) for %ls"),
                begin, end, aSequenceList.back().aBegin, aSequenceList.back().aEnd, aName);
        aSequenceList.push_back(TRange(begin, end));
    }
    pNode = pNode->GetNext();
}

void TZVStreamRow::createParamList(const wxXmlNode*& pNode) {
    const TControlInfo* table = GetControlTab();
    const int setupCount = GetSetupCount();
    if (setupCount > 0) {
        if (ElementName(pNode) != L"setup-list")
            throw TError(wxGetTranslation(L"Missing setup list for %s"), GetRowDesignation());
        for (int i = 0; i < setupCount; ++i) {
            const wxXmlNode* setup = NthChild(pNode, i);
            if (!setup)
                throw TError(wxGetTranslation(L"Missing setup for %s (need: %d, found %d)"),
                             GetRowDesignation(), setupCount, i);
            // A damaged value reads as undefined, which its consumer takes as the default.
            if (size_t(i) < aSetupTab.size())
                TVariant::ReadXml(aSetupTab[size_t(i)], table[GetSetupControl(i)].aTypeDef.aType,
                                  setup);
        }
        pNode = pNode->GetNext();
    }
    if (ElementName(pNode) != L"param-list")
        throw TError(wxGetTranslation(L"Missing parameter list for %s"), GetRowDesignation());
    int subCount = 0;
    int superType = 0;
    for (int i = 0; i < int(ParamLimit()); ++i) {
        const wxXmlNode* param = NthChild(pNode, i);
        if (!param)
            throw TError(wxGetTranslation(L"Missing parameter for %s (need: %d, found %d)"),
                         GetRowDesignation(), GetParamCount(), i);
        const TTypeDef& type = table[GetParamControl(i)].aTypeDef;
        checkParamType(param, i, NextParamRole(type.aType, subCount, superType));
        aParamTab[size_t(i)] = TZVParamRow::Create(param, this, i, type);
    }
    long shown = 0;
    if (!ParseLong32(GetPropValue(pNode, L"shown"), shown) || (unsigned long)shown > 1)
        throw TError(wxGetTranslation(L"Invalid parameter show value for %s"), GetRowDesignation());
    if (shown)
        ShowParam(true);
    pNode = pNode->GetNext();
}

TZVBaseRow* TZVStreamRow::GetRow(const wxXmlNode* pStep) {
    if (!pStep)
        return this;
    if (pStep->GetName() != GetRowKindName(rowKindPARAM))
        throw TError(wxGetTranslation(L"%s %s cannot have a %s"), GetRowTransName(aRowKind), aName,
                     pStep->GetName());
    const wxString path = pStep->GetAttribute(L"path", wxEmptyString);
    long number = 0;
    if (!ParseLong32(path, number) || number < 1 || size_t(number) > aParamTab.size() ||
        !aParamTab[size_t(number - 1)])
        throw TError(wxGetTranslation(L"'%s' is not a valid parameter number of %s"), path, aName);
    return aParamTab[size_t(number - 1)];
}

TZVBaseRow* TZVStreamRow::GetNextRow() const {
    return GetFirstParam();
}

bool TZVStreamRow::IsLastSibling() const {
    // The sibling query is not const in the row classes; it changes nothing.
    return const_cast<TZVStreamRow*>(this)->GetNextSibling() == nullptr;
}

void TZVStreamRow::ChildSourceGrow(TZVSourceRow*, int, bool) {
    ZV_FAIL("false");
}

void TZVStreamRow::RemoveSource(TZVSourceRow*) {
    ZV_FAIL("false");
}

TZVBaseRow* TZVStreamRow::GetRowAfterSource(const TZVSourceRow*) const {
    ZV_FAIL("false");
    return nullptr;
}

void TZVStreamRow::InsertSource(TZVSourceRow*, const TZVSourceRow*) {
    ZV_FAIL("false");
}

bool TZVStreamRow::ApplyOperation(IStreamTreeOperation& pOperation) {
    return pOperation.Apply(this);
}

bool TZVStreamRow::MustKeep() const {
    return false;
}

void TZVStreamRow::OnParamUpdate(const TZVParamRow*) const {}

void TZVStreamRow::OnSetupUpdate(int) {}

ISizeHandleFactory* TZVStreamRow::GetSizeHandleFactory(int& pIndex, T32BoolArray&) const {
    pIndex = -1;
    return nullptr;
}

void TZVStreamRow::SetDefault() {}

void TZVStreamRow::ParamGrow(int) {}

void TZVStreamRow::UpdateKeyList(TUpdateKeyParam& pParam) const {
    PassOwnKeys(pParam);
}

void TZVStreamRow::CompleteCreate() {
    setRowKind();
    checkParamAndSetupIndex();
    aParamTab.assign(size_t(std::max(GetParamCount(), 0)), nullptr);
    aSetupTab.assign(size_t(std::max(GetSetupCount(), 0)), TVariant());
    if ((int)(aParamTab.size()) != GetParamCount())
        ZV_FAIL("(int)(aParamTab.size())==GetParamCount()");
    if ((int)(aSetupTab.size()) != GetSetupCount())
        ZV_FAIL("(int)(aSetupTab.size())==GetSetupCount()");
}

void TZVStreamRow::CreateStreamParam(bool pNoDefaultKeys) {
    int paramCount = 0;
    int setupCount = 0;
    int subCount = 0;
    int superType = 0;
    const TControlInfo* table = GetControlTab();
    for (int i = 0; i < GetControlCount(); ++i) {
        const TControlInfo& info = table[i];
        const int category = TControlInfo::Category(info.aKind);
        if (category == TControlInfo::categoryPARAM) {
            CreateOneParam(info, paramCount, subCount, superType, pNoDefaultKeys);
        } else if (category == TControlInfo::categorySETUP) {
            if (setupCount != info.aIndex || size_t(setupCount) >= aSetupTab.size()) {
                ZV_FAIL("SetupCount == ControlInfo->index");
                continue;
            }
            aSetupTab[size_t(setupCount++)] = info.aTypeDef.aDefault;
        }
    }
    if (setupCount != GetSetupCount())
        ZV_FAIL("SetupCount == GetSetupCount()");
    if (paramCount != GetParamCount())
        ZV_FAIL("ParamCount == GetParamCount()");
}

TZVStreamRow::EParamRole TZVStreamRow::NextParamRole(int pType, int& pSubCount, int& pSuperType) {
    if (pType == paramTypeCOLOR || pType == paramTypeFONT) {
        pSuperType = pType;
        pSubCount = pType == paramTypeCOLOR ? 3 : 4;
        return pType == paramTypeCOLOR ? paramRoleCOLOR : paramRoleFONT;
    }
    if (pType < paramTypeREAL || pType > paramTypeTEXT)
        return paramRoleNONE;
    if (pSubCount == 0)
        return paramRolePLAIN;
    --pSubCount;
    return pSuperType == paramTypeCOLOR ? paramRoleCOLOR_COMP : paramRoleFONT_COMP;
}

TZVParamRow* TZVStreamRow::NewParamRow(const TControlInfo& pInfo, int& pSubCount, int& pSuperType) {
    const int type = pInfo.aTypeDef.aType;
    if ((type == paramTypeCOLOR || type == paramTypeFONT) && pSubCount != 0)
        ZV_FAIL("SubCount==0");
    switch (NextParamRole(type, pSubCount, pSuperType)) {
    case paramRolePLAIN:
        return new TZVSimpleParamRow(pInfo.aTypeDef);
    case paramRoleCOLOR:
        return new TZVColorParamRow(pInfo.aTypeDef);
    case paramRoleFONT:
        return new TZVFontParamRow(FONT_PARAM_TYPE());
    case paramRoleCOLOR_COMP:
        return new TZVColorCompParamRow(pInfo.aTypeDef);
    case paramRoleFONT_COMP:
        return new TZVFontSubParamRow(pInfo.aTypeDef);
    case paramRoleNONE:
        break;
    }
    ZV_FAIL("false");
    return nullptr;
}

void TZVStreamRow::checkParamType(const wxXmlNode* pParam, int pIndex, EParamRole pRole) const {
    // The sub-type each role needs, by role; a plain row may be of any sub-type but these.
    const wxString* const needed[] = {nullptr,
                                      &TZVColorParamRow::theSubType,
                                      &TZVFontParamRow::theSubType,
                                      &TZVColorCompParamRow::theSubType,
                                      &TZVFontSubParamRow::theSubType,
                                      nullptr};
    const wxString type = GetPropValue(pParam, L"type");
    bool fits = true;
    for (const wxString* name : needed)
        fits = fits && (!name || *name != type);
    if (needed[pRole])
        fits = type == *needed[pRole];
    if (!fits)
        throw TError(wxGetTranslation(L"Parameter %d of %s cannot be of type %s"), pIndex + 1,
                     GetRowDesignation(), type);
}

void TZVStreamRow::CreateOneParam(const TControlInfo& pInfo, int& pCount, int& pSubCount,
                                  int& pSuperType, bool pNoDefaultKeys) {
    if (pCount != pInfo.aIndex || size_t(pCount) >= aParamTab.size()) {
        ZV_FAIL("ParamCount == ControlInfo->index");
        return;
    }
    TZVParamRow* param = NewParamRow(pInfo, pSubCount, pSuperType);
    if (!param)
        return;
    aParamTab[size_t(pCount++)] = param;
    param->Rename(pInfo.aLabel);
    param->SetDefault(pInfo.aIndex, pInfo.aKind == TControlInfo::categoryPARAM);
    param->SetParent(this, false);
    if (!pNoDefaultKeys)
        param->InitDefaultFormulaList();
}

void TZVStreamRow::CreateDefault(const wxString& pName) {
    CompleteCreate();
    CreateStreamParam(false);
    Rename(pName);
    SetDefault();
}

void TZVStreamRow::SetStreamParent(TZVStreamRow* pParent, bool pShown) {
    if (!ZV_ASSERT(pParent != NULL))
        return;
    SetParent(pParent, pShown);
    if (aParent != pParent)
        return;
    TUpdateKeyParam keys{pParent, true, true, pShown};
    UpdateKeyList(keys);
    if (aSequenceList.empty())
        CopySequenceToTree();
}

bool TZVStreamRow::CopyParentSequence() {
    if (!aParent) {
        ZV_FAIL("GetParent()!=__null");
        return false;
    }
    if (!aSequenceList.empty())
        return false;
    aSequenceList = aParent->aSequenceList;
    for (TZVParamRow* param : aParamTab) {
        if (param)
            param->InitDefaultFormulaList();
    }
    return true;
}

void TZVStreamRow::CopySequenceToTree() {
    class TSequenceListBuilder : public IStreamTreeOperation {
    public:
        bool Apply(TZVStreamRow* pRow) override { return pRow->CopyParentSequence(); }
    } builder;
    ApplyOperation(builder);
}

void TZVStreamRow::Inherit(bool pInherit) {
    if (pInherit)
        aSequenceList.clear();
    else if (aSequenceList.empty() && aParent)
        aSequenceList = aParent->aSequenceList;
}

void TZVStreamRow::SetInitSequence(long pDuration) {
    ZV_ASSERT(aSequenceList.empty());
    const bool fromParent = aParent && !aParent->aSequenceList.empty();
    const long begin = fromParent ? aParent->aSequenceList.front().aBegin : 0;
    aSequenceList.Add(begin, SaturateToInt(int64_t(begin) + pDuration), aSequenceList.end());
}

void TZVStreamRow::checkParamAndSetupIndex() const {
    const TControlInfo* table = GetControlTab();
    for (int i = 0; i < GetControlCount(); ++i) {
        const TControlInfo& info = table[i];
        // An index outside the class's counts cannot point back, and is not looked up.
        switch (TControlInfo::Category(info.aKind)) {
        case TControlInfo::categoryPARAM:
            if (info.aIndex < 0 || info.aIndex >= GetParamCount() ||
                GetParamControl(info.aIndex) != i)
                ZV_FAIL("GetParamControl(ControlInfo->index) == i");
            break;
        case TControlInfo::categorySETUP:
            if (info.aIndex < 0 || info.aIndex >= GetSetupCount() ||
                GetSetupControl(info.aIndex) != i)
                ZV_FAIL("GetSetupControl(ControlInfo->index) == i");
            break;
        default:
            break;
        }
    }
}

void TZVStreamRow::ShowParam(bool pState) {
    ZV_ASSERT(aIsParamShown != pState);
    aIsParamShown = pState;
    if (aParamTab.empty())
        return;
    const int top = aTop + aHeight;
    const int oldHeight = aParamHeight;
    int y = top;
    for (TZVParamRow* param : aParamTab) {
        if (!param)
            continue;
        if (!pState) {
            param->Hide();
            continue;
        }
        param->ShowAt(y);
        if (param->aIsEnabled)
            y = param->aTop + param->aHeight;
    }
    aParamHeight = y - top;
    if (aIsShown)
        ParamGrow(aParamHeight - oldHeight);
}

void TZVStreamRow::SingleParamGrow(int pIndex, int pDelta) {
    // A closed block has no height to change.
    if (!ZV_ASSERT(aIsParamShown))
        return;
    aParamHeight += pDelta;
    for (size_t i = size_t(std::max(pIndex + 1, 0)); i < aParamTab.size(); ++i)
        if (aParamTab[i])
            aParamTab[i]->VShift(pDelta);
    if (aIsShown)
        ParamGrow(pDelta);
}

void TZVStreamRow::PropagateKey(const TStreamKey& pKey, int pCount, bool pChildShown, bool pUp) {
    TZVStreamRow* row = this;
    bool shown = pChildShown;
    for (;;) {
        CountKeyAt(row, pKey, pCount, shown);
        if (!pUp || !row->aParent)
            return;
        shown = row->aIsShown;
        row = row->aParent;
    }
}

void TZVStreamRow::destroy() {
    if (TOnDestroy onDestroy = aOnDestroy) {
        aOnDestroy = nullptr;
        onDestroy(this);
    }
    if (aParent && !aKeyList.empty()) {
        PassOwnKeys({aParent, false, true, aIsShown});
        aKeyList.clear();
    }
    for (TZVParamRow*& param : aParamTab) {
        delete param;
        param = nullptr;
    }
}

wxXmlNode* TZVStreamRow::EditSetup(int pIndex, const TVariant& pValue, bool& pUpdate) {
    pUpdate = false;
    const TControlInfo* control = SetupControl(pIndex);
    if (!control)
        return nullptr;
    wxXmlNode* record = new wxXmlNode(wxXML_ELEMENT_NODE, L"r");
    wxXmlNode* old = new wxXmlNode(wxXML_ELEMENT_NODE, L"r");
    NSXml::AppendChild(record, old);
    TVariant::MakeXmlNode(aSetupTab[size_t(pIndex)], old);
    GetPath(record)->AddAttribute(L"i", FormatLong(pIndex));
    aSetupTab[size_t(pIndex)] = pValue;
    pUpdate = (control->aKind & TControlInfo::kindUPDATE) != 0;
    return record;
}

bool TZVStreamRow::UndoSetup(int pIndex, wxXmlNode* pValue) {
    const TControlInfo* control = SetupControl(pIndex);
    if (!control)
        return false;
    TVariant::SwapXmlNode(aSetupTab[size_t(pIndex)], control->aTypeDef.aType, pValue);
    return (control->aKind & TControlInfo::kindUPDATE) != 0;
}

bool TZVStreamRow::AddListeners(bool pRemove) {
    class TListenerAdder : public IStreamTreeOperation {
    public:
        explicit TListenerAdder(bool pRemove) : aRemove(pRemove), aAllBound(true) {}
        // Every formula is bound, whatever another did: one that fails must not leave the
        // others after it unbound (reading nothing) and their own faults unseen.
        bool Apply(TZVStreamRow* pRow) override {
            for (size_t i = 0; i < pRow->ParamLimit(); ++i)
                if (pRow->aParamTab[i] && !pRow->aParamTab[i]->AddFormulaListeners(aRemove))
                    aAllBound = false;
            return true;
        }
        bool AllBound() const { return aAllBound; }

    private:
        bool aRemove;
        bool aAllBound;
    } adder(pRemove);
    ApplyOperation(adder);
    return adder.AllBound();
}

void TZVStreamRow::CacheFormulaImage(const TZVStreamRow* pExcluded) {
    class TFormulaCache : public IStreamTreeOperation {
    public:
        explicit TFormulaCache(const TZVStreamRow* pExcluded) : aExcluded(pExcluded) {}
        bool Apply(TZVStreamRow* pRow) override {
            if (pRow == aExcluded)
                return false;
            for (size_t i = 0; i < pRow->ParamLimit(); ++i) {
                const TZVParamRow* param = pRow->aParamTab[i];
                if (param && param->aIsExpression)
                    if (const TZVFormula* formula = dynamic_cast<TZVFormula*>(param->aFormula))
                        formula->CacheImage();
            }
            return true;
        }

    private:
        const TZVStreamRow* aExcluded;
    } cache(pExcluded);
    ApplyOperation(cache);
}

void TZVStreamRow::GetDependents(const std::list<TZVStreamRow*>& pStreams,
                                 std::list<TZVParamRow*>& pOut, const TZVStreamRow* pTop) {
    class TDependantScanner : public IStreamTreeOperation {
    public:
        TDependantScanner(const std::list<TZVStreamRow*>& pStreams, std::list<TZVParamRow*>& pOut,
                          const TZVStreamRow* pTop)
            : aStreams(pStreams), aOut(pOut), aTop(pTop) {}
        bool Apply(TZVStreamRow* pRow) override {
            for (size_t i = 0; i < pRow->ParamLimit(); ++i)
                if (const TZVParamRow* param = pRow->aParamTab[i])
                    for (const TParamListener& entry : param->aListenerList)
                        if (!IsInside(entry.aListener->aParent))
                            aOut.push_back(entry.aListener);
            return true;
        }

    private:
        // Whether pStream lies in a listed subtree, looking no higher than below aTop.
        bool IsInside(const TZVStreamRow* pStream) const {
            if (pStream == aTop)
                return false;
            for (const TZVStreamRow* row = pStream; row && row != aTop; row = row->aParent)
                if (std::find(aStreams.begin(), aStreams.end(), row) != aStreams.end())
                    return true;
            return false;
        }

        const std::list<TZVStreamRow*>& aStreams;
        std::list<TZVParamRow*>& aOut;
        const TZVStreamRow* aTop;
    };
    for (TZVStreamRow* stream : pStreams) {
        TDependantScanner scanner(pStreams, pOut, pTop);
        stream->ApplyOperation(scanner);
    }
    pOut.sort();
    pOut.unique();
}

void TZVStreamRow::EnableParam(TZVParamRow* pParam, bool pEnable) {
    if (!ZV_ASSERT(pParam != NULL) || pParam->aIsEnabled == pEnable)
        return;
    pParam->aIsEnabled = pEnable;
    if (aIsParamShown)
        SingleParamGrow(pParam->aIndex, pEnable ? pParam->aHeight : -pParam->aHeight);
    pParam->PropagateAll(pEnable);
    IEditorListener::ChangeParam(pParam, pEnable);
    if (!aIsParamShown && !GetFirstEnabParam())
        IEditorListener::AllParamDisable(this);
}

void TZVStreamRow::EndEnableParam() {
    IEditorListener::EndEnableParam();
}

TZVParamRow* TZVStreamRow::GetFirstParam() const {
    return aIsParamShown ? GetFirstEnabParam() : nullptr;
}

TZVParamRow* TZVStreamRow::GetFirstEnabParam() const {
    return GetNextParam(-1);
}

TZVParamRow* TZVStreamRow::GetPrevParam(int pIndex) const {
    // An index beyond the table scans from its end.
    const size_t start = std::min(size_t(std::max(pIndex, 0)), ParamLimit());
    for (size_t i = start; i-- > 0;)
        if (TZVParamRow* param = EnabledParamAt(i))
            return param;
    return nullptr;
}

TZVParamRow* TZVStreamRow::GetNextParam(int pIndex) const {
    // A negative index scans from the table's start.
    for (size_t i = pIndex < 0 ? 0 : size_t(pIndex) + 1; i < ParamLimit(); ++i)
        if (TZVParamRow* param = EnabledParamAt(i))
            return param;
    return nullptr;
}

TZVBaseRow* TZVStreamRow::GetRowAfterParam(int pIndex) const {
    if (TZVParamRow* param = GetNextParam(pIndex))
        return param;
    return GetRowAfterParam();
}

void TZVStreamRow::SetRenderStream(IZVRenderStream* pStream) {
    if (pStream)
        pStream->AddRef();
    if (aRenderStream)
        aRenderStream->Release();
    aRenderStream = pStream;
}

const TControlInfo* TZVStreamRow::SetupControl(int pIndex) const {
    if (!ZV_ASSERT(pIndex >= 0 && pIndex < GetSetupCount() && size_t(pIndex) < aSetupTab.size()))
        return nullptr;
    return &GetControlTab()[GetSetupControl(pIndex)];
}

size_t TZVStreamRow::ParamLimit() const {
    return std::min(size_t(std::max(GetParamCount(), 0)), aParamTab.size());
}

TZVParamRow* TZVStreamRow::EnabledParamAt(size_t pIndex) const {
    TZVParamRow* param = aParamTab[pIndex];
    return param && param->aIsEnabled ? param : nullptr;
}

void TZVStreamRow::CountKeyAt(TZVStreamRow* pRow, const TStreamKey& pKey, int pCount,
                              bool pSourceShown) {
    if (pSourceShown && pRow->aLevel >= 0)
        return;
    if (pRow->aKeyList.AddCount(pKey, pCount) && pRow->aParent)
        IEditorListener::OnKeyToggle(pRow, pKey.aTime);
}

void TZVStreamRow::PassOwnKeys(const TUpdateKeyParam& pParam) const {
    TZVStreamRow* target = pParam.aRow;
    if (!ZV_ASSERT(target != NULL))
        return;
    for (const TStreamKey& key : aKeyList) {
        const int count = pParam.aAdd ? key.aCount : -key.aCount;
        CountKeyAt(target, key, count, pParam.aShown);
        if (pParam.aPropagate && target->aParent)
            target->aParent->PropagateKey(key, count, target->aIsShown, true);
    }
}

TZVStreamRow* TZVStreamRow::Create(const wxXmlNode*& pElement, TZVStreamRow* pParent,
                                   TZVStreamRow* pAfter) {
    if (pElement->GetName() != GetRowKindName(rowKindFILTER))
        return TZVSourceRow::Create(pElement, pParent, dynamic_cast<TZVSourceRow*>(pAfter));
    TZVSourceRow* source = dynamic_cast<TZVSourceRow*>(pParent);
    // A filter hangs only under a source row: checked before anything is read.
    if (pParent && !source)
        throw TError(wxGetTranslation(L"%s %s cannot have a %s"),
                     GetRowTransName(pParent->aRowKind), pParent->aName, pElement->GetName());
    TZVFilterRow* filter = TZVFilterRow::Create(pElement)->CreateAllChildren(pElement);
    if (source)
        source->InsertFilter(filter, dynamic_cast<TZVFilterRow*>(pAfter));
    return filter;
}
