#include "DLL/Row/ZVFormula.h"

#include "ALL/Number.h"
#include "ALL/XmlTree.h"
#include "DLL/Bas/ExprNode.h"
#include "DLL/Bas/ExprToken.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/StreamRow.h"
#include "DLL/Row/ZVParamAttribute.h"
#include "DLL/Row/ZVReadChain.h"
#include "DLL/Row/ZVValueMemo.h"

#include <wx/xml/xml.h>

#include <algorithm>
#include <limits>

namespace {

const wchar_t* const TIME_VARIABLE = L"time";
const wchar_t* const IMAGE_VARIABLE = L"image";

// Evaluations open, one inside the other (see TZVFormula::TEvaluation): a plain number, which
// a formula that dies after the statics at exit can still read.
int theEvaluations = 0;

// What the formulas gave in the evaluation in progress; process-wide like the context, and
// touched only where an evaluation writes the context anyway.
TZVValueMemo& Memo() {
    static TZVValueMemo theMemo;
    return theMemo;
}

} // namespace

IDependFormula::~IDependFormula() = default;

const TABCFormula* IDependFormula::GetCurveAt(long) const {
    return nullptr;
}

void IDependFormula::GetCurvesAt(long, const TABCFormula*& pLeft, const TABCFormula*& pRight,
                                 const TABCFormula** pNextJoined) const {
    pLeft = nullptr;
    pRight = nullptr;
    if (pNextJoined)
        *pNextJoined = nullptr;
}

TZVExpressionContext::TZVExpressionContext()
    : aCurImage(0), aCurTime(0.0), aRate(0), aTimeFactor(0.0), aTimeVar(nullptr),
      aImageVar(nullptr), aEvalContext(nullptr), aEvalFlag(false) {
    LoadPredefined(predALL, caseLOWER);
    SetValue(TIME_VARIABLE, TVariant(0.0));
    SetValue(IMAGE_VARIABLE, TVariant(0.0));
    aTimeVar = GetValue(TIME_VARIABLE);
    aImageVar = GetValue(IMAGE_VARIABLE);
}

bool TZVExpressionContext::ChangeCurrent(double pTime) {
    ZV_ASSERT(aRate != 0);
    if (pTime == aCurTime)
        return false;
    aCurTime = pTime;
    if (!aTimeVar->IsText())
        *aTimeVar = aTimeFactor * pTime;
    const int frame = RoundToInt(pTime, roundFLOOR);
    if (frame == aCurImage)
        return false;
    if (!aImageVar->IsText())
        *aImageVar = double(frame);
    aCurImage = frame;
    return true;
}

void TZVExpressionContext::SetFrameRate(long pRate) {
    if (pRate == aRate)
        return;
    aRate = pRate;
    aTimeFactor = 1000.0 / double(pRate);
    // "time" is another number at every time now.
    if (theEvaluations > 0)
        Memo().Clear();
    // Forces the next SetCurrent to write "time".
    aCurTime = std::numeric_limits<double>::quiet_NaN();
    SetCurrent(0.0);
}

namespace {

// The context under internal linkage: every evaluation asks for it, and a call through the
// library's exported symbol could not be inlined.
TZVExpressionContext& Context() {
    static TZVExpressionContext theContext;
    return theContext;
}

} // namespace

TZVExpressionContext& GetFormulaContext() {
    return Context();
}

int TZVFormula::theLastId = 0;

TZVFormula::TZVFormula(TZVParamRow* pOwnerRow)
    : aId(++theLastId), aOwnerRow(pOwnerRow), aUsesValue(false), aUsesAttr(false), aIsClone(false),
      aAttrFrame(std::numeric_limits<int>::min()) {}

TZVFormula::TZVFormula(const TZVFormula& pSource)
    : NSExpression::TFormula(pSource), IDependFormula(), aId(pSource.aId),
      aOwnerRow(pSource.aOwnerRow), aUsesValue(pSource.aUsesValue), aUsesAttr(pSource.aUsesAttr),
      aIsClone(true), aAttrFrame(std::numeric_limits<int>::min()), aImage(pSource.aImage) {}

TZVFormula::~TZVFormula() {
    // Another formula may be made at the same address in the evaluation.
    if (theEvaluations > 0)
        Memo().Clear();
}

TZVFormula::TEvaluation::TEvaluation() {
    ++theEvaluations;
}

TZVFormula::TEvaluation::~TEvaluation() {
    if (--theEvaluations == 0)
        Memo().Clear();
}

void TZVFormula::SetCurTime(long pTime) {
    Context().SetCurrent(double(pTime));
}

void TZVFormula::SetFrameRate(long pRate) {
    Context().SetFrameRate(pRate);
}

const wxString& TZVFormula::GetAttrName(EAttrKind pKind) {
    static const wxString theNames[] = {L"value",         L"defaultRate", L"begin",
                                        L"end",           L"isDefined",   L"isInSequence",
                                        L"beginSequence", L"endSequence"};
    return theNames[pKind];
}

wxString TZVFormula::GetRowQualName(const TZVBaseRow* pRow) {
    wxString name = TZVBaseRow::GetRowKindName(pRow->aRowKind) + L":";
    if (pRow->aRowKind == rowKindPARAM)
        name += wxString::Format(L"%d - ", static_cast<const TZVParamRow*>(pRow)->aIndex + 1);
    wxString own = pRow->aName;
    own.Replace(L"]", L"]]");
    return name + own;
}

wxString TZVFormula::GetRowName(const TZVBaseRow* pRow) {
    wxString name;
    for (; pRow && pRow->aParent; pRow = pRow->aParent)
        name.insert(0, L"[" + GetRowQualName(pRow) + L"]");
    return name;
}

NSExpression::IToken* TZVFormula::GetExtendedToken() {
    const wchar_t* const start = GetCursor();
    if (*start != L'[')
        return nullptr;
    const TParamAttrSpec ref = ParseParamReference(*this);
    // A reference the parser gave up on has recorded its error and gives no token.
    if (!ref.Path)
        return nullptr;
    const wxString text(start, size_t(GetCursor() - start));
    return new NSExpression::TLeafToken(new TZVParamAttribute(ref, text));
}

bool TZVFormula::CheckPass(ECheckMode pMode) {
    TZVExpressionContext& context = Context();
    context.SetMode(pMode);
    return SetContext(context);
}

bool TZVFormula::Resolve() {
    aValueReads.clear();
    aReadChain = std::make_unique<TZVReadChain>(aOwnerRow);
    // The rows that read the owner measured its value source when they bound: only another
    // formula, about to replace it, is measured against them.
    const bool resolved =
        (!aOwnerRow || aOwnerRow->aFormula == static_cast<const IDependFormula*>(this) ||
         FitUnderReaders()) &&
        CheckPass(modeRESOLVE);
    aReadChain.reset();
    return resolved;
}

bool TZVFormula::FitUnderReaders() {
    TZVReadChain own(aOwnerRow);
    try {
        (aReadChain ? *aReadChain : own).CheckHeight(GetHeight());
        return true;
    } catch (const wxString& error) {
        AddError(error.wc_str());
        // It gives no value, as a text that does not parse gives none.
        aImage = TreeImage();
        deleteNode();
        return false;
    }
}

void TZVFormula::AddListeners(bool pRemove) {
    CheckPass(pRemove ? modeREM_LISTENERS : modeADD_LISTENERS);
    Context().SetMode(modeRESOLVE);
}

void TZVFormula::MarkUses(EAttrKind pKind) {
    if (pKind == attrVALUE)
        aUsesValue = true;
    else
        aUsesAttr = true;
}

void TZVFormula::BindValueRead(const TZVParamRow* pRow, int pDepth) {
    if (aReadChain)
        aReadChain->CheckRead(pRow, pDepth);
    else
        TZVReadChain(aOwnerRow).CheckRead(pRow, pDepth);
    KeepValueRead(pRow, pDepth);
}

void TZVFormula::KeepValueRead(const TZVParamRow* pRow, int pDepth) {
    aValueReads.push_back({pRow, pDepth});
}

wxString TZVFormula::TreeImage() const {
    return NSExpression::TFormula::GetImage();
}

wxString TZVFormula::GetImage() const {
    return aImage.empty() ? TreeImage() : aImage;
}

void TZVFormula::CacheImage() const {
    if (aCurNode)
        aImage = TreeImage();
}

bool TZVFormula::ValueFromXml(const wxXmlNode* pValue, const TTypeDef&) {
    const wxString text = NSXml::GetText(pValue);
    aImage.clear();
    if (Parse(text.wc_str()))
        return true;
    // The partial tree would print another text than the stored one and give a value the
    // user never wrote.
    deleteNode();
    // Leading white space is not kept: the XML reader drops a white-only piece of text where
    // its input happens to break, so it would not come back as it was saved.
    aImage = text.substr(std::min(text.find_first_not_of(L" \t\r\n"), text.length()));
    return false;
}

void TZVFormula::MakeXmlImage(wxXmlNode* pValue, const TTypeDef&) const {
    NSXml::AppendChild(pValue, new wxXmlNode(wxXML_TEXT_NODE, wxEmptyString, GetImage()));
}

TVariant TZVFormula::ComputePointAt(double pTime) const {
    TZVExpressionContext& context = Context();
    // A formula that reads no other row has nothing to share: it only reads the context, as
    // it always did.
    if (!aCurNode || !(aUsesValue || aUsesAttr)) {
        context.SetCurrent(pTime);
        return aCurNode ? aCurNode->GetValue() : TVariant();
    }
    // Outside an evaluation nothing is kept: this one starts it, for the rows it reads.
    const bool inEvaluation = theEvaluations > 0;
    if (inEvaluation) {
        if (const TZVValueMemo::TKnown* known = Memo().Find(this, pTime)) {
            context.SetCurrent(known->aEndTime);
            return known->aValue;
        }
    }
    const TEvaluation evaluation;
    context.SetCurrent(pTime);
    TVariant value = aCurNode->GetValue();
    if (inEvaluation)
        Memo().Keep(this, pTime, value, context.GetCurTime());
    return value;
}

TVariant TZVFormula::GetValueNSlope(long pTime, bool, EContinuity& pCont, bool&) const {
    pCont = contNO_KEY;
    return ComputePointAt(double(pTime));
}

bool TZVFormula::IsFlatFormula(long) const {
    return false;
}

int TZVFormula::HasKey(long) const {
    return 0;
}

IFormula* TZVFormula::CloneFormulaAt(long pTime, IFormula* pReuse, const IEvaluateContext& pContext,
                                     bool pFlag) const {
    TZVFormula* snapshot = dynamic_cast<TZVFormula*>(pReuse);
    if (!snapshot || snapshot->aId != aId) {
        delete pReuse;
        snapshot = new TZVFormula(*this);
        if (aUsesValue) {
            Context().SetEvalContext(&pContext, pFlag);
            snapshot->CheckPass(modeCLONE_VALUES);
        }
    }
    Context().SetCurrent(double(pTime));
    // Each snapshot keeps the frame it froze its attributes at: another snapshot made in the
    // same frame has not seen this one's.
    const int frame = Context().GetCurImage();
    if (aUsesAttr && snapshot->aAttrFrame != frame) {
        // Its references to one row's value ("isDefined") compute that row once.
        const TEvaluation evaluation;
        snapshot->CheckPass(modeCLONE_ATTRS);
        snapshot->aAttrFrame = frame;
    }
    return snapshot;
}

bool TZVFormula::OnParamChanged(const TZVParamRow*, bool pAll) {
    ZV_ASSERT(!aIsClone);
    return (pAll && aUsesAttr) || aUsesValue;
}
