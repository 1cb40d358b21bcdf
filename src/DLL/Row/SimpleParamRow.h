// TZVSimpleParamRow: the plain parameter row ("Standard"), and its factory.
#pragma once

#include "DLL/Row/ParamRow.h"

class TZVSimpleParamRow : public TZVParamRow {
public:
    explicit TZVSimpleParamRow(const TTypeDef& pTypeDef) : TZVParamRow(pTypeDef) {}
    ~TZVSimpleParamRow() override;

    const wxString& GetSubType() const override;

    // "Standard".
    static const wxString theSubType;

    class Factory : public IParamFactory {
    public:
        wxString GetSubType() const override;
        TZVParamRow* Create(const TTypeDef& pTypeDef) const override;
    };
};
