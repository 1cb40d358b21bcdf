#include "DLL/Row/FontParamRow.h"

#include "ALL/Assert.h"
#include "ALL/Number.h"
#include "DLL/Bas/Formula.h"
#include "DLL/Bas/RenderContext.h"
#include "DLL/Ctl/FontImage.h"
#include "DLL/Res/DrawingResources.h"

#include <climits>
#include <cstdlib>

wxString TZVFontParamRow::theSubType = L"Font";
wxString TZVFontSubParamRow::theSubType = L"FontComp";

namespace {

// Registers the factories when the library is loaded, font first.
const bool theRegistered = (TZVParamRow::RegisterFactory(new TZVFontParamRow::Factory),
                            TZVParamRow::RegisterFactory(new TZVFontSubParamRow::Factory), true);

bool SameTypes(const TTypeDef& pLeft, const TTypeDef& pRight) {
    return pLeft.aType == pRight.aType && pLeft.aRangeCheck == pRight.aRangeCheck &&
           pLeft.aDefault == pRight.aDefault && pLeft.aMin == pRight.aMin &&
           pLeft.aMax == pRight.aMax && pLeft.aSlope == pRight.aSlope;
}

// A defined number rounded to the nearest integer; texts count 0.
int Rounded(const TVariant& pValue) {
    return pValue.IsNumeric() ? RoundToInt(pValue.GetDouble(), roundNEAREST) : 0;
}

bool IsSet(const TVariant& pValue) {
    return Rounded(FLAG_PARAM_TYPE().Constrain(pValue)) != 0;
}

// The value of component pOffset (counted from the font row) for the frame; undefined when
// the host has no formula for it.
TVariant ComponentAt(const IZVRenderContext& pContext, int pParam, int pOffset) {
    IFormula* const* formula = pContext.GetParams(pParam + pOffset, 1);
    if (!formula || !*formula)
        return TVariant();
    return (*formula)->ComputePointAt(double(pContext.GetFrame(1)));
}

bool MakeNull(wxFont& pFont) {
    if (!pFont.IsOk())
        return false;
    if (&pFont != &wxNullFont)
        pFont = wxNullFont;
    return true;
}

} // namespace

TZVFontParamRow::TZVFontParamRow(const TTypeDef& pTypeDef) : TZVSuperParamRow(pTypeDef, 4) {
    if (!SameTypes(pTypeDef, FONT_PARAM_TYPE()))
        ZV_FAIL("pTypeDef==FONT_PARAM_TYPE");
}

TZVFontParamRow::~TZVFontParamRow() = default;

const wxString& TZVFontParamRow::GetSubType() const {
    return theSubType;
}

wxIcon* TZVFontParamRow::GetTypeIcon() const {
    return GetFontIcon();
}

TSubParamCombine TZVFontParamRow::GetFormulaMethod() const {
    return &Compute;
}

TVariant TZVFontParamRow::Compute(const TVariant* pComponents) {
    const wxString face = pComponents[0].IsText() ? pComponents[0].GetText() : wxString();
    return TVariant(GetFontImage(face, Rounded(pComponents[1]), IsSet(pComponents[2]),
                                 IsSet(pComponents[3])));
}

void TZVFontParamRow::EditKeyValue(long pTime, bool pLeftSide, const TVariant& pValue,
                                   TZVBaseRow::IUndoCompiler* pUndo) {
    wxString face;
    int size;
    bool bold;
    bool italic;
    GetFontComp(pValue.GetText(), face, size, bold, italic);
    const TVariant values[] = {TVariant(face), TVariant(double(size)), TVariant(bold ? 1.0 : 0.0),
                               TVariant(italic ? 1.0 : 0.0)};
    for (int number = 0; number < 4; ++number) {
        if (TZVParamRow* component = GetSubParam(number))
            component->EditKeyValue(pTime, pLeftSide, values[number], pUndo);
    }
}

bool TZVFontParamRow::UpdateFontValueAtCurTime(const IZVRenderContext* pContext, int pParam,
                                               wxFont& pFont) {
    const TVariant size = TZVFontSubParamRow::SizeType().Constrain(ComponentAt(*pContext, pParam, 2));
    const TVariant name = TZVFontSubParamRow::NameType().Constrain(ComponentAt(*pContext, pParam, 1));
    const TVariant bold = FLAG_PARAM_TYPE().Constrain(ComponentAt(*pContext, pParam, 3));
    const TVariant italic = FLAG_PARAM_TYPE().Constrain(ComponentAt(*pContext, pParam, 4));
    // A size beyond the integers (or not a number) makes no font either.
    const int points = size.IsNumeric() ? RoundToInt(size.GetDouble(), roundNEAREST) : 0;
    if (points == 0 || points == INT_MIN || name.IsUndefined() || bold.IsUndefined() ||
        italic.IsUndefined())
        return MakeNull(pFont);
    const wxString face = name.IsText() ? name.GetText() : wxString();
    return UpdateFontValue(face, std::abs(points), Rounded(bold) != 0, Rounded(italic) != 0, pFont);
}

// Components.

TZVFontSubParamRow::~TZVFontSubParamRow() = default;

const wxString& TZVFontSubParamRow::GetSubType() const {
    return theSubType;
}

const std::vector<const wchar_t*>& TZVFontSubParamRow::GetSubParamNameTab() const {
    static const std::vector<const wchar_t*> theNames = {L"Name", L"Size", L"Bold", L"Italic"};
    return theNames;
}

wxIcon* TZVFontSubParamRow::GetSubParamIcon(int pNumber) const {
    return theFontComponentIcons[pNumber]();
}

const TTypeDef& TZVFontSubParamRow::NameType() {
    static const TTypeDef theType = [] {
        TTypeDef type(paramTypeTEXT);
        type.aInteger = false;
        type.aRangeCheck = false;
        type.aDefault = TVariant(wxString(L"Arial"));
        type.aMin = TVariant();
        type.aMax = TVariant();
        type.aSlope = 0;
        return type;
    }();
    return theType;
}

const TTypeDef& TZVFontSubParamRow::SizeType() {
    static const TTypeDef theType = [] {
        TTypeDef type(paramTypeINTEGER);
        type.aInteger = true;
        type.aRangeCheck = false;
        type.aDefault = TVariant(12.0);
        type.aMin = TVariant(6.0);
        type.aMax = TVariant(72.0);
        type.aSlope = 0;
        return type;
    }();
    return theType;
}
