#include "DLL/Row/ColorParamRow.h"

#include "ALL/Assert.h"
#include "ALL/Number.h"
#include "DLL/Res/DrawingResources.h"

wxString TZVColorParamRow::theSubType = L"Color";
wxString TZVColorCompParamRow::theSubType = L"ColorComp";

namespace {

// Registers the factories when the library is loaded, colour first.
const bool theRegistered = (TZVParamRow::RegisterFactory(new TZVColorParamRow::Factory),
                            TZVParamRow::RegisterFactory(new TZVColorCompParamRow::Factory), true);

} // namespace

TZVColorParamRow::TZVColorParamRow(const TTypeDef& pTypeDef) : TZVSuperParamRow(pTypeDef, 3) {
    if (pTypeDef.aType != paramTypeCOLOR)
        ZV_FAIL("pTypeDef.aType==paramTypeCOLOR");
}

TZVColorParamRow::~TZVColorParamRow() = default;

const wxString& TZVColorParamRow::GetSubType() const {
    return theSubType;
}

wxIcon* TZVColorParamRow::GetTypeIcon() const {
    return GetColorWheelIcon();
}

TSubParamCombine TZVColorParamRow::GetFormulaMethod() const {
    return &Compute;
}

TVariant TZVColorParamRow::Compute(const TVariant* pComponents) {
    const TTypeDef& type = TZVColorCompParamRow::ComponentType();
    double color = 0;
    for (int i = 0; i < 3; ++i) {
        const TVariant component = type.Constrain(pComponents[i]);
        const int level = component.IsNumeric() ? RoundToInt(component.GetDouble(), roundNEAREST) : 0;
        color = color * 256 + level;
    }
    return TVariant(color);
}

// Components.

TZVColorCompParamRow::~TZVColorCompParamRow() = default;

const wxString& TZVColorCompParamRow::GetSubType() const {
    return theSubType;
}

const std::vector<const wchar_t*>& TZVColorCompParamRow::GetSubParamNameTab() const {
    static const std::vector<const wchar_t*> theNames = {L"Red", L"Green", L"Blue"};
    return theNames;
}

wxIcon* TZVColorCompParamRow::GetSubParamIcon(int pNumber) const {
    return theColorComponentIcons[pNumber]();
}

const TTypeDef& TZVColorCompParamRow::ComponentType() {
    static const TTypeDef theType = [] {
        TTypeDef type(paramTypeINTEGER);
        type.aInteger = true;
        type.aRangeCheck = true;
        type.aDefault = TVariant(0.0);
        type.aMin = TVariant(0.0);
        type.aMax = TVariant(255.0);
        type.aSlope = 0;
        return type;
    }();
    return theType;
}
