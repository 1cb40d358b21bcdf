// Font parameters ("Font"): a composite of "Name", "Size", "Bold" and "Italic" components
// ("FontComp") whose value is a font image string.
#pragma once

#include "DLL/Row/SuperParamRow.h"

class IZVRenderContext;
class wxFont;

class TZVFontParamRow : public TZVSuperParamRow {
public:
    // Reports a type that differs from the built-in font type, but builds the row.
    explicit TZVFontParamRow(const TTypeDef& pTypeDef);
    ~TZVFontParamRow() override;

    const wxString& GetSubType() const override;
    wxIcon* GetTypeIcon() const override;
    TSubParamCombine GetFormulaMethod() const override;
    // Sets the components at the key pTime, in component order, to the parts of the font
    // image string pValue (a value that is no text counts as the empty text); each edit is
    // reported as the composite's. Throws GetFontComp's TError, before any change, on a
    // malformed image.
    void EditKeyValue(long pTime, bool pLeftSide, const TVariant& pValue,
                      TZVBaseRow::IUndoCompiler* pUndo) override;

    // The font image string of face (a text, else empty), size (rounded, no range), bold and
    // italic (on/off values, not 0 when set).
    static TVariant Compute(const TVariant* pComponents);
    // Brings pFont to the value for the frame being rendered of the font parameter at pParam
    // of pContext's parameter formulas; returns whether pFont changed. When no font can be
    // made (an undefined component or formula, a size of 0) a valid font becomes the null
    // font (true) and an invalid one is left alone (false).
    static bool UpdateFontValueAtCurTime(const IZVRenderContext* pContext, int pParam,
                                         wxFont& pFont);

    // "Font".
    static wxString theSubType;

    typedef TCompositeFactory<TZVFontParamRow> Factory;
};

class TZVFontSubParamRow : public TZVSubParamRow {
public:
    explicit TZVFontSubParamRow(const TTypeDef& pTypeDef) : TZVSubParamRow(pTypeDef) {}
    ~TZVFontSubParamRow() override;

    const wxString& GetSubType() const override;
    const std::vector<const wchar_t*>& GetSubParamNameTab() const override;
    wxIcon* GetSubParamIcon(int pNumber) const override;

    // The type the face is read with: a text, default "Arial".
    static const TTypeDef& NameType();
    // The type the size is read with: integer, default 12, 6 to 72 unchecked.
    static const TTypeDef& SizeType();

    // "FontComp".
    static wxString theSubType;

    typedef TCompositeFactory<TZVFontSubParamRow> Factory;
};
