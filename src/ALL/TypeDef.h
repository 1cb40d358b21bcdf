// TTypeDef: the type of a parameter or setup value (kind, default, range, whole numbers,
// extrapolation slope), and the built-in type definitions.
#pragma once

#include "ALL/Variant.h"

// Type codes. 0 and 1 are real, 2 to 4 integer (3 for on/off values), 5 a 24-bit colour,
// 6 a font image text, 7 a text; the module treats 0/1 and 2/3/4 alike.
enum EParamType {
    paramTypeREAL = 0,
    paramTypeREAL_ALT = 1,
    paramTypeINTEGER = 2,
    paramTypeFLAG = 3,
    paramTypeINTEGER_ALT = 4,
    paramTypeCOLOR = 5,
    paramTypeFONT = 6,
    paramTypeTEXT = 7
};

class TTypeDef {
public:
    // aType = pType, no range check, slope 0.0, undefined values, then InitDefault.
    explicit TTypeDef(int pType);

    // Like the copy constructor, but aInteger becomes (aType != 0).
    static TTypeDef CopyFrom(const TTypeDef& pSource);

    // Sets aInteger and the default (and for colours the range) by type code. A default that
    // holds a text keeps it under a numeric code.
    void InitDefault();
    // The value made valid for the type: undefined gives the default; numeric codes (0..5)
    // are limited to aMin..aMax when aRangeCheck is set (a bound that is not a number imposes
    // no limit; the maximum is tested first) and rounded half away from zero when aInteger
    // is set. Texts pass unchanged.
    TVariant Constrain(const TVariant& pValue) const;

    int aType;
    bool aInteger;
    bool aRangeCheck;
    TVariant aDefault;
    TVariant aMin;
    TVariant aMax;
    // Extrapolation slope of key curves of this type (per second); 0.0 means none.
    double aSlope;
};

// Built-in type definitions, built on first use and kept until unload.
const TTypeDef& INT_0_100_PARAM_TYPE();
const TTypeDef& REAL_0_100_D0_PARAM_TYPE();
const TTypeDef& REAL_0_100_D50_PARAM_TYPE();
const TTypeDef& REAL_0_100_D100_PARAM_TYPE();
const TTypeDef& REAL_0_100_D0_CLAMP_PARAM_TYPE();
const TTypeDef& REAL_0_100_D50_CLAMP_PARAM_TYPE();
const TTypeDef& REAL_0_100_D100_CLAMP_PARAM_TYPE();
const TTypeDef& COLOR_PARAM_TYPE();
const TTypeDef& WHITE_COLOR_PARAM_TYPE();
const TTypeDef& FONT_PARAM_TYPE();
const TTypeDef& FLAG_PARAM_TYPE();
const TTypeDef& TEXT_PARAM_TYPE();
