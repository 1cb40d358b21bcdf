// IEvaluateContext: the host's table of per-frame formula snapshots, handed to
// IClonableFormula::CloneFormulaAt while the host builds a frame.
#pragma once

class IFormula;

class IEvaluateContext {
public:
    // The place where the snapshot of parameter pIndex of the stream row with render key
    // pRenderKey is (or will be) stored for the frame being built; null when there is none.
    // pFlag is the one the host gave CloneFormulaAt.
    virtual IFormula** GetParamSlot(int pRenderKey, int pIndex, bool pFlag) const = 0;

protected:
    // The host owns its contexts; they are not deleted through this interface.
    ~IEvaluateContext() = default;
};
