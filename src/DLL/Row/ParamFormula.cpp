#include "DLL/Row/ParamFormula.h"

#include "ALL/Assert.h"
#include "ALL/Number.h"
#include "DLL/Bas/EvaluateContext.h"
#include "DLL/Row/StreamRow.h"


namespace {

// A component's own value source: its formula, else its key list.
const IClonableFormula& ValueSource(const TZVParamRow& pRow) {
    if (pRow.aFormula)
        return *pRow.aFormula;
    return pRow.aFormulaList;
}

class TKeyTester : public TSubParamPredicat {
public:
    TKeyTester(long pTime) : aTime(pTime), aMask(0) {}
    bool Apply(const TZVParamRow* pComponent) override {
        aMask |= ValueSource(*pComponent).HasKey(aTime);
        return aMask == 3;
    }

    long aTime;
    int aMask;
};

class TFlatTester : public TSubParamPredicat {
public:
    explicit TFlatTester(long pTime) : aTime(pTime) {}
    bool Apply(const TZVParamRow* pComponent) override {
        return !pComponent->aFormulaList.IsFlatFormula(aTime);
    }

private:
    long aTime;
};

class TValueNSlopeGetter : public TSubParamPredicat {
public:
    TValueNSlopeGetter(const TZVSuperParamRow& pSuper, long pTime, bool pLeft)
        : aSuper(pSuper), aTime(pTime), aLeft(pLeft), aValues(size_t(pSuper.aSubCount)),
          aCont(contNO_KEY), aFlag(false), aIsNull(false), aFirst(true) {}
    bool Apply(const TZVParamRow* pComponent) override {
        EContinuity cont = contNO_KEY;
        bool flag = false;
        const TVariant value = ValueSource(*pComponent).GetValueNSlope(aTime, aLeft, cont, flag);
        aValues[size_t(pComponent->aIndex - aSuper.aIndex - 1)] = value;
        if (aFirst) {
            aFirst = false;
            aCont = cont;
            aFlag = flag;
            if (value.IsUndefined() && cont != contNO_KEY)
                ZV_FAIL("!aIsNull || (aCont == contNO_KEY)");
        } else if (aCont < contNO_KEY) {
            if (cont != aCont || flag != aFlag)
                aCont = EContinuity(MIXED);
        } else if (cont != contNO_KEY) {
            aCont = EContinuity(MIXED);
        }
        aIsNull = aIsNull || value.IsUndefined();
        return aIsNull && aCont == MIXED;
    }

    // Components keyed with different continuities.
    static constexpr int MIXED = 5;
    const TZVSuperParamRow& aSuper;
    long aTime;
    bool aLeft;
    std::vector<TVariant> aValues;
    EContinuity aCont;
    bool aFlag;
    bool aIsNull;
    bool aFirst;
};

class TListenerAdder : public TSubParamMethod {
public:
    TListenerAdder(TZVSuperParamRow* pSuper, bool pRemove) : aSuper(pSuper), aRemove(pRemove) {}
    void Apply(TZVParamRow* pComponent) override {
        if (aRemove)
            pComponent->RemListener(aSuper);
        else
            ZV_FAIL("false");
    }

private:
    TZVSuperParamRow* aSuper;
    bool aRemove;
};

} // namespace

TZVParamFormula::~TZVParamFormula() = default;

TVariant TZVParamFormula::ComputePointAt(double pTime) const {
    const double time = double(SaturateToInt(pTime));
    std::vector<TVariant> values(size_t(aSuperRow->aSubCount));
    for (int number = 0; number < aSuperRow->aSubCount; ++number) {
        const TZVParamRow* component = aSuperRow->GetSubParam(number);
        if (!component)
            return TVariant();
        values[size_t(number)] = component->GetValueAt(time);
        if (values[size_t(number)].IsUndefined())
            return TVariant();
    }
    return aSuperRow->GetFormulaMethod()(values.data());
}

bool TZVParamFormula::IsFlatFormula(long pTime) const {
    TFlatTester tester(pTime);
    return aSuperRow->ApplyToSubParam(tester);
}

IFormula* TZVParamFormula::CloneFormulaAt(long, IFormula* pReuse, const IEvaluateContext& pContext,
                                          bool pFlag) const {
    if (pReuse)
        return pReuse;
    return new TZVParamFormulaForRendering(aSuperRow, pContext, pFlag);
}

bool TZVParamFormula::ValueFromXml(const wxXmlNode*, const TTypeDef&) {
    ZV_FAIL("false");
    return false;
}

void TZVParamFormula::MakeXmlImage(wxXmlNode*, const TTypeDef&) const {}

int TZVParamFormula::HasKey(long pTime) const {
    TKeyTester tester(pTime);
    aSuperRow->ApplyToSubParam(tester);
    return tester.aMask;
}

TVariant TZVParamFormula::GetValueNSlope(long pTime, bool pLeft, EContinuity& pCont,
                                         bool& pFlag) const {
    TValueNSlopeGetter getter(*aSuperRow, pTime, pLeft);
    aSuperRow->ApplyToSubParam(getter);
    pCont = getter.aCont;
    pFlag = getter.aFlag;
    // A missing component counts as undefined.
    bool complete = true;
    for (int number = 0; number < aSuperRow->aSubCount; ++number)
        complete = complete && aSuperRow->GetSubParam(number);
    if (getter.aIsNull || !complete)
        return TVariant();
    return aSuperRow->GetFormulaMethod()(getter.aValues.data());
}

bool TZVParamFormula::OnParamChanged(const TZVParamRow* pRow, bool pAll) {
    if (pAll)
        return false;
    return aSuperRow->OnCompChanged(pRow);
}

void TZVParamFormula::AddListeners(bool pRemove) {
    TListenerAdder adder(aSuperRow, pRemove);
    aSuperRow->ApplyToSubParam(adder);
}

// Snapshots.

TZVParamFormulaForRendering::TZVParamFormulaForRendering(const TZVSuperParamRow* pSuperRow,
                                                         const IEvaluateContext& pContext,
                                                         bool pFlag)
    : aSlots(size_t(pSuperRow->aSubCount)), aValues(size_t(pSuperRow->aSubCount)),
      aMethod(pSuperRow->GetFormulaMethod()), aMissing(false) {
    const int renderKey = pSuperRow->aParent ? pSuperRow->aParent->aRenderKey : 0;
    for (size_t i = 0; i < aSlots.size(); ++i) {
        aSlots[i] = pContext.GetParamSlot(renderKey, pSuperRow->aIndex + 1 + int(i), pFlag);
        aMissing = aMissing || !aSlots[i];
    }
}

TZVParamFormulaForRendering::~TZVParamFormulaForRendering() = default;

TVariant TZVParamFormulaForRendering::ComputePointAt(double pTime) const {
    if (aMissing)
        return TVariant();
    for (size_t i = 0; i < aSlots.size(); ++i) {
        if (!*aSlots[i])
            return TVariant();
        aValues[i] = (*aSlots[i])->ComputePointAt(pTime);
        if (aValues[i].IsUndefined())
            return TVariant();
    }
    return aMethod(aValues.data());
}

bool TZVParamFormulaForRendering::IsFlatFormula(long pTime) const {
    if (aMissing)
        return true;
    for (IFormula** slot : aSlots) {
        if (!*slot)
            return true;
    }
    for (IFormula** slot : aSlots) {
        if (!(*slot)->IsFlatFormula(pTime))
            return false;
    }
    return true;
}
