// A stream row whose control table holds a colour and a font, and the model of the keys its
// parameters count into it. Header only, so that fuzz targets can use it too.
#pragma once

#include "DLL/Row/SuperParamRow.h"

#include "support/FakeRows.h"

// Controls: a colour "Back" (components 1 to 3, blue labelled "Deep"), a font "Title"
// (components 5 to 8) and one setup "Show".
class TCompositeStream : public TFakeStreamRow {
public:
    TCompositeStream() : TFakeStreamRow(rowKindSOURCE, L"Clip") {
        const TTypeDef integer(paramTypeINTEGER);
        aControls = {Entry(0, 0, TTypeDef(paramTypeCOLOR), L"Back"),
                     Entry(0, 1, integer, L""),
                     Entry(0, 2, integer, L""),
                     Entry(0, 3, integer, L"Deep"),
                     Entry(0, 4, FONT_PARAM_TYPE(), L"Title"),
                     Entry(0, 5, TTypeDef(paramTypeTEXT), L""),
                     Entry(0, 6, integer, L""),
                     Entry(0, 7, FLAG_PARAM_TYPE(), L""),
                     Entry(0, 8, FLAG_PARAM_TYPE(), L""),
                     Entry(2, 0, TTypeDef(paramTypeREAL), L"Show")};
        aParamControls = {0, 1, 2, 3, 4, 5, 6, 7, 8};
        aSetupControls = {9};
        aParamCount = 9;
        aSetupCount = 1;
    }
    TZVSuperParamRow* Super(int pIndex) const {
        return dynamic_cast<TZVSuperParamRow*>(aParamTab[size_t(pIndex)]);
    }

private:
    static TControlInfo Entry(int pKind, int pIndex, const TTypeDef& pType, const wchar_t* pLabel) {
        TControlInfo info(pIndex, pType, pLabel, true);
        info.aKind = pKind;
        return info;
    }
};

// Counts each segment bound of a keyed row (the open end is no key).
inline void AddBounds(const TZVParamRow& pRow, TKeyList& pKeys) {
    if (pRow.aFormula)
        return;
    for (const TABCFormula& segment : pRow.aFormulaList)
        for (long time : {segment.aBegin, segment.aEnd})
            if (time != TZVParamRow::OPEN_END)
                pKeys.AddCount(TStreamKey(time), 1);
}

// The keys of a composite: its components' bounds, enabled or not.
inline TKeyList CompositeKeys(const TZVSuperParamRow& pRow) {
    TKeyList keys;
    for (int number = 0; number < pRow.aSubCount; ++number)
        if (const TZVParamRow* component = pRow.GetSubParam(number))
            AddBounds(*component, keys);
    return keys;
}

// The keys a stream counts from its parameters: each enabled row's own, so a component's key
// counts once for the component and once more for its composite.
inline TKeyList ParamKeys(const TZVStreamRow& pRow) {
    TKeyList keys;
    for (const TZVParamRow* param : pRow.aParamTab) {
        if (!param || !param->aIsEnabled)
            continue;
        AddBounds(*param, keys);
        if (const auto* composite = dynamic_cast<const TZVSuperParamRow*>(param))
            for (const TStreamKey& key : CompositeKeys(*composite))
                keys.AddCount(TStreamKey(key.aTime), key.aCount);
    }
    return keys;
}
