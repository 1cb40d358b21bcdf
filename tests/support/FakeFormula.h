// A value source standing in for the formulas that read other parameters (references,
// composite rows): it registers its owner row with the rows it reads, answers change notices
// as told, and logs "changed(<name>,<all>) " and "gone(<name>) " into a shared text.
#pragma once

#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVFormula.h"

#include <string>
#include <vector>

class TFakeDependFormula : public IDependFormula {
public:
    TFakeDependFormula(TZVParamRow* pOwner, const std::string& pName, std::string& pLog)
        : aOwner(pOwner), aName(pName), aLog(pLog) {}
    ~TFakeDependFormula() override { aLog += "gone(" + aName + ") "; }

    // Installs a new one as pOwner's combining value source (not an expression).
    static TFakeDependFormula* Install(TZVParamRow* pOwner, const std::string& pName,
                                       std::string& pLog) {
        TFakeDependFormula* formula = new TFakeDependFormula(pOwner, pName, pLog);
        pOwner->aFormula = formula;
        pOwner->aIsExpression = false;
        return formula;
    }
    // Reads pRow: its "value" (pOnValue) or only other attributes.
    void Reads(TZVParamRow* pRow, bool pOnValue) { aSources.push_back({pRow, pOnValue}); }

    TVariant ComputePointAt(double) const override { return TVariant(); }
    bool IsFlatFormula(long) const override { return false; }
    IFormula* CloneFormulaAt(long, IFormula* pReuse, const IEvaluateContext&, bool) const override {
        delete pReuse;
        return nullptr;
    }
    bool ValueFromXml(const wxXmlNode*, const TTypeDef&) override { return true; }
    void MakeXmlImage(wxXmlNode*, const TTypeDef&) const override {}
    int HasKey(long) const override { return 0; }
    TVariant GetValueNSlope(long, bool, EContinuity& pCont, bool&) const override {
        pCont = contNO_KEY;
        return TVariant();
    }
    bool OnParamChanged(const TZVParamRow*, bool pAll) override {
        aLog += "changed(" + aName + "," + std::to_string(pAll) + ") ";
        return aChanged;
    }
    void AddListeners(bool pRemove) override {
        for (const TParamListener& source : aSources) {
            if (pRemove)
                source.aListener->RemListener(aOwner);
            else
                source.aListener->AddListener(aOwner, source.aOnValue);
        }
    }

    // The answer to change notices.
    bool aChanged = true;

private:
    TZVParamRow* aOwner;
    std::string aName;
    std::string& aLog;
    // The rows read, each with whether its value is read.
    std::vector<TParamListener> aSources;
};
