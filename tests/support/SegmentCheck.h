// Checks of a parameter row's segments after an edit, as short texts: what is unsound in the
// set, its shape, and its keys as a fresh row counts them. Header only, for fuzz targets too.
#pragma once

#include "DLL/Row/ParamRow.h"

#include "support/FakeRows.h"
#include "support/RowText.h"

#include <cmath>
#include <cstdio>
#include <string>

// "" when every segment is non-empty, apart from the one before and free of NaN
// coefficients; else the first segment that is not, as "begin-end".
inline std::string SegmentFault(const TZVParamRow& pRow) {
    long previousEnd = 0;
    bool first = true;
    for (const TABCFormula& segment : pRow.aFormulaList) {
        if (segment.aBegin >= segment.aEnd || (!first && previousEnd > segment.aBegin) ||
            std::isnan(segment.a) || std::isnan(segment.b) || std::isnan(segment.c))
            return std::to_string(segment.aBegin) + "-" + std::to_string(segment.aEnd);
        previousEnd = segment.aEnd;
        first = false;
    }
    return "";
}

// "begin-end K start>end" for each segment, K the continuity's letter (F, N, A, S), the
// values at both ends to 6 digits (a text as itself, "undef"), then " a" and " d" for the
// easing flags; "|" between.
inline std::string ShapeText(const TZVParamRow& pRow) {
    std::string text;
    for (const TABCFormula& segment : pRow.aFormulaList) {
        char values[64];
        if (segment.aValue.IsNumeric())
            std::snprintf(values, sizeof values, " %g>%g",
                          segment.ComputeAt(double(segment.aBegin)),
                          segment.ComputeAt(double(segment.aEnd)));
        else
            std::snprintf(values, sizeof values, " %s",
                          segment.aValue.IsText() ? segment.aValue.GetText().utf8_str().data()
                                                  : "undef");
        text += (text.empty() ? "" : "|") + std::to_string(segment.aBegin) + "-" +
                std::to_string(segment.aEnd) + " " + "FNAS"[segment.aCont & 3] + values +
                (segment.aAccel ? " a" : "") + (segment.aDecel ? " d" : "");
    }
    return text;
}

// A fresh row of pStream, enabled or not, holding pRow's segments: pStream counts its keys.
inline TFakeParamRow* AddSegmentCopy(TFakeStreamRow& pStream, const TZVParamRow& pRow,
                                     bool pEnabled) {
    TFakeParamRow* row = pStream.AddParam(pEnabled);
    for (const TABCFormula& segment : pRow.aFormulaList)
        row->insertFormula(segment, nullptr, false);
    return row;
}

// The stream keys of a fresh row, enabled as pRow is, holding the same segments.
inline std::string RecountKeys(const TZVParamRow& pRow) {
    TFakeStreamRow stream;
    AddSegmentCopy(stream, pRow, pRow.aIsEnabled);
    return KeyText(stream.aKeyList);
}

// A check of the segment invariants that key editing reports when its caller asks for easing
// the continuity excludes (an eased SMOOTH or FLAT piece, an ease out before a SMOOTH key).
inline bool IsEasingCheck(const wxString& pCondition) {
    for (const wchar_t* start :
         {L"!aAccel||", L"!aDecel||", L"!(aAccel|aDecel)", L"!pLeftFormula.aDecel"})
        if (pCondition.StartsWith(start))
            return true;
    return false;
}
