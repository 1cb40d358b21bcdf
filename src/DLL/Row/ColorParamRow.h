// Colour parameters ("Color"): a composite of "Red", "Green" and "Blue" components
// ("ColorComp", whole numbers 0 to 255) whose value is the number 0xRRGGBB.
#pragma once

#include "DLL/Row/SuperParamRow.h"

class TZVColorParamRow : public TZVSuperParamRow {
public:
    // Reports a type that is not a colour type, but builds the row all the same.
    explicit TZVColorParamRow(const TTypeDef& pTypeDef);
    ~TZVColorParamRow() override;

    const wxString& GetSubType() const override;
    wxIcon* GetTypeIcon() const override;
    TSubParamCombine GetFormulaMethod() const override;
    // Sets the components at the key pTime to the bytes of pValue rounded (blue the lowest),
    // blue first, as one edit of the composite. A value that is no finite number is reported
    // and changes nothing.
    void EditKeyValue(long pTime, bool pLeftSide, const TVariant& pValue,
                      TZVBaseRow::IUndoCompiler* pUndo) override;

    // (R x 256 + G) x 256 + B, each component limited to 0..255 and rounded.
    static TVariant Compute(const TVariant* pComponents);

    // "Color".
    static wxString theSubType;

    typedef TCompositeFactory<TZVColorParamRow> Factory;
};

class TZVColorCompParamRow : public TZVSubParamRow {
public:
    explicit TZVColorCompParamRow(const TTypeDef& pTypeDef) : TZVSubParamRow(pTypeDef) {}
    ~TZVColorCompParamRow() override;

    const wxString& GetSubType() const override;
    const std::vector<const wchar_t*>& GetSubParamNameTab() const override;
    wxIcon* GetSubParamIcon(int pNumber) const override;

    // The type of a component: integer 0 to 255, default 0 (for control tables; Compute
    // applies it inline).
    static const TTypeDef& ComponentType();

    // "ColorComp".
    static wxString theSubType;

    typedef TCompositeFactory<TZVColorCompParamRow> Factory;
};
