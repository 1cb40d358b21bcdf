#include "DLL/Row/ColorParamRow.h"

#include "ALL/Assert.h"
#include "ALL/Number.h"
#include "DLL/Res/DrawingResources.h"

#include <cmath>

wxString TZVColorParamRow::theSubType = L"Color";
wxString TZVColorCompParamRow::theSubType = L"ColorComp";

namespace {

// Registers the factories when the library is loaded, colour first.
const bool theRegistered = (TZVParamRow::RegisterFactory(new TZVColorParamRow::Factory),
                            TZVParamRow::RegisterFactory(new TZVColorCompParamRow::Factory), true);

// A component value as the component type makes it (limited to 0..255, rounded half away
// from zero; undefined takes the default 0), inline: it runs three times a frame. A value
// that is no number, NaN included, counts 0.
int Level(const TVariant& pValue) {
    if (!pValue.IsNumeric())
        return 0;
    const double value = pValue.GetDouble();
    if (value > 255)
        return 255;
    return value >= 0 ? int(std::round(value)) : 0;
}

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

namespace {

// Gives each component the low byte of the colour, then moves on to the next byte.
class TColorKeyValue : public TSubParamMethod {
public:
    TColorKeyValue(long pTime, bool pLeftSide, unsigned pColor, TZVBaseRow::IUndoCompiler* pUndo)
        : aTime(pTime), aLeftSide(pLeftSide), aColor(pColor), aUndo(pUndo) {}
    void Apply(TZVParamRow* pComponent) override {
        pComponent->EditKeyValue(aTime, aLeftSide, TVariant(double(aColor & 255)), aUndo);
        aColor >>= 8;
    }

private:
    long aTime;
    bool aLeftSide;
    unsigned aColor;
    TZVBaseRow::IUndoCompiler* aUndo;
};

} // namespace

void TZVColorParamRow::EditKeyValue(long pTime, bool pLeftSide, const TVariant& pValue,
                                    TZVBaseRow::IUndoCompiler* pUndo) {
    // NaN would round to the smallest integer: black.
    if (!ZV_ASSERT(IsKeyValue(pValue)))
        return;
    TColorKeyValue setter(pTime, pLeftSide, unsigned(RoundToInt(pValue.GetDouble(), roundNEAREST)),
                          pUndo);
    ApplyToSubParam(setter);
}

TVariant TZVColorParamRow::Compute(const TVariant* pComponents) {
    double color = 0;
    for (int i = 0; i < 3; ++i)
        color = color * 256 + Level(pComponents[i]);
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
