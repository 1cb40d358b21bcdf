#include "ALL/TypeDef.h"

#include <wx/intl.h>

#include <cmath>

namespace {

// A 0..100 type of the given code with its default and range check.
TTypeDef Percent(int pType, double pDefault, bool pRangeCheck) {
    TTypeDef type(pType);
    type.aRangeCheck = pRangeCheck;
    type.aDefault = pDefault;
    type.aMin = 0.0;
    type.aMax = 100.0;
    return type;
}

bool IsAbove(const TVariant& pValue, const TVariant& pBound) {
    return pBound.IsNumeric() && pValue.GetDouble() > pBound.GetDouble();
}

bool IsBelow(const TVariant& pValue, const TVariant& pBound) {
    return pBound.IsNumeric() && pValue.GetDouble() < pBound.GetDouble();
}

} // namespace

TTypeDef::TTypeDef(int pType) : aType(pType), aInteger(false), aRangeCheck(false), aSlope(0.0) {
    InitDefault();
}

TTypeDef TTypeDef::CopyFrom(const TTypeDef& pSource) {
    TTypeDef copy(pSource);
    copy.aInteger = copy.aType != 0;
    return copy;
}

void TTypeDef::InitDefault() {
    switch (aType) {
    case paramTypeREAL:
    case paramTypeREAL_ALT:
        aInteger = false;
        aDefault = 0.0;
        break;
    case paramTypeCOLOR:
        aInteger = true;
        aMin = 0.0;
        aMax = 16777215.0;
        aRangeCheck = true;
        break;
    case paramTypeFONT:
        aInteger = false;
        aDefault.SetText(wxT("ib12\t0\tArial"));
        break;
    case paramTypeTEXT:
        aInteger = false;
        aDefault.SetText(wxGetTranslation(wxT("Text")));
        break;
    default:
        aInteger = true;
        aDefault = 0.0;
        break;
    }
}

TVariant TTypeDef::Constrain(const TVariant& pValue) const {
    if (pValue.IsUndefined())
        return aDefault;
    if (aType > paramTypeCOLOR || !pValue.IsNumeric())
        return pValue;
    TVariant result(pValue);
    if (aRangeCheck) {
        if (IsAbove(result, aMax))
            result = aMax;
        else if (IsBelow(result, aMin))
            result = aMin;
    }
    if (aInteger && result.IsNumeric())
        result = std::round(result.GetDouble());
    return result;
}

const TTypeDef& INT_0_100_PARAM_TYPE() {
    static const TTypeDef theType = Percent(paramTypeINTEGER, 0.0, false);
    return theType;
}

const TTypeDef& REAL_0_100_D0_PARAM_TYPE() {
    static const TTypeDef theType = Percent(paramTypeREAL, 0.0, false);
    return theType;
}

const TTypeDef& REAL_0_100_D50_PARAM_TYPE() {
    static const TTypeDef theType = Percent(paramTypeREAL, 50.0, false);
    return theType;
}

const TTypeDef& REAL_0_100_D100_PARAM_TYPE() {
    static const TTypeDef theType = Percent(paramTypeREAL, 100.0, false);
    return theType;
}

const TTypeDef& REAL_0_100_D0_CLAMP_PARAM_TYPE() {
    static const TTypeDef theType = Percent(paramTypeREAL, 0.0, true);
    return theType;
}

const TTypeDef& REAL_0_100_D50_CLAMP_PARAM_TYPE() {
    static const TTypeDef theType = Percent(paramTypeREAL, 50.0, true);
    return theType;
}

const TTypeDef& REAL_0_100_D100_CLAMP_PARAM_TYPE() {
    static const TTypeDef theType = Percent(paramTypeREAL, 100.0, true);
    return theType;
}

const TTypeDef& COLOR_PARAM_TYPE() {
    static const TTypeDef theType(paramTypeCOLOR);
    return theType;
}

const TTypeDef& WHITE_COLOR_PARAM_TYPE() {
    static const TTypeDef theType = [] {
        TTypeDef type(paramTypeCOLOR);
        type.aDefault = 16777215.0;
        return type;
    }();
    return theType;
}

const TTypeDef& FONT_PARAM_TYPE() {
    static const TTypeDef theType(paramTypeFONT);
    return theType;
}

const TTypeDef& FLAG_PARAM_TYPE() {
    static const TTypeDef theType(paramTypeFLAG);
    return theType;
}

const TTypeDef& TEXT_PARAM_TYPE() {
    static const TTypeDef theType(paramTypeTEXT);
    return theType;
}
