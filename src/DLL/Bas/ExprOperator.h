// The operator nodes of the expression tree: root, parenthesis, negation, the binary
// arithmetic operators and comparisons, the conditional and the function call.
//
// Values: undefined propagates through every operator; a text on the left of a binary
// operator is the result whatever the operator; a text on the right passes through "+", "-",
// "*" and "/" and compares as a NaN (so a comparison gives 0).
//
// A node may hold more operands than it takes (a conditional with four, the value after a
// "," that ended an inner call, or after parse errors): it uses its first, a binary operator
// also its last, a conditional also its second and its last, and prints only those. A
// missing operand (after parse errors) is undefined and prints as nothing.
#pragma once

#include "DLL/Bas/ExprNode.h"

#include <memory>

namespace NSExpression {

class IFunction;
class TExprProgram;

// An operator of one operand; binds and evaluates through it.
class IUnaryOper : public IOperNode {
public:
    int GetOperandCount() const override;
    bool CheckSemantic(const TContext& pContext, TParser& pParser) override;
    // "Missing operand": the negation or parenthesis was closed without its operand.
    wxString MissingArgError() const override;
};

// A unary operator whose value is its operand's.
class IIdentityOper : public IUnaryOper {
public:
    bool GetNumber(double& pNumber, TVariant& pOther) const override;
};

// The root of every parsed tree; prints as its operand. An empty text gives a root without
// operand, which is undefined and prints as nothing.
//
// Binding flattens the tree into a program (TExprProgram) kept here for its evaluations (a
// copy compiles at its first evaluation); binding again or changing the tree's operands
// drops it. Evaluations of one tree must not overlap.
class TRootNode final : public IIdentityOper {
public:
    TRootNode();
    // The copy compiles a program of its own.
    TRootNode(const TRootNode& pSource);
    ~TRootNode() override;
    TRootNode* Clone() const override;
    int GetPriority() const override;
    // Binds the operand and compiles the tree.
    bool CheckSemantic(const TContext& pContext, TParser& pParser) override;
    // From the program when the tree compiles and its variables hold numbers, else from the
    // tree; the same value either way.
    bool GetNumber(double& pNumber, TVariant& pOther) const override;
    void AppendImage(wxString& pImage) const override;

    // Drops the program; the next evaluation compiles again.
    void ForgetProgram() const;
    // Whether the tree is compiled: only trees of numbers, bound variables, the operators and
    // the predefined functions are.
    bool IsCompiled() const { return aProgram != nullptr; }

private:
    void Compile() const;

    mutable std::unique_ptr<TExprProgram> aProgram;
    mutable bool aCompileTried;
};

// "(" operand ")".
class TParenthesisOper final : public IIdentityOper {
public:
    TParenthesisOper() = default;
    TParenthesisOper* Clone() const override;
    int GetPriority() const override;
    void AppendImage(wxString& pImage) const override;
};

// "-" operand: a number changes sign (0 gives -0); a text or undefined value is kept.
class TNegateOper final : public IUnaryOper {
public:
    TNegateOper() = default;
    TNegateOper* Clone() const override;
    int GetPriority() const override;
    bool GetNumber(double& pNumber, TVariant& pOther) const override;
    void AppendImage(wxString& pImage) const override;
};

// An operator of several operands; binds every operand, even after one failed.
class INAryOper : public IOperNode {
public:
    int GetOperandCount() const override;
    bool CheckSemantic(const TContext& pContext, TParser& pParser) override;
};

// A binary operator: first operand, operator text, last operand.
class IBinaryOper : public INAryOper {
public:
    void AppendImage(wxString& pImage) const override;
    // "Missing operand in binary operator".
    wxString MissingArgError() const override;

    // The result for the double images of the two operands.
    virtual double Compute(double pLeft, double pRight) const = 0;
    // The operator as printed, one blank on each side (" + ").
    virtual const wchar_t* GetOperatorImage() const = 0;
    // Whether a text on the right is the result (true for "+", "-", "*" and "/").
    virtual bool KeepsRightText() const;

protected:
    // GetNumber of a concrete operator, which calls its own Compute without dispatch.
    template <class TOper>
    static bool ComputeNumber(const TOper& pOper, double& pNumber, TVariant& pOther);

private:
    void KeepTextOnLeft(TVariant& pText) const;
};

// "+" and "-".
class IAddOper : public IBinaryOper {
public:
    int GetPriority() const override;
};

class TPlusOper final : public IAddOper {
public:
    TPlusOper() = default;
    TPlusOper* Clone() const override;
    bool GetNumber(double& pNumber, TVariant& pOther) const override;
    double Compute(double pLeft, double pRight) const override { return pLeft + pRight; }
    const wchar_t* GetOperatorImage() const override;
};

class TSubOper final : public IAddOper {
public:
    TSubOper() = default;
    TSubOper* Clone() const override;
    bool GetNumber(double& pNumber, TVariant& pOther) const override;
    double Compute(double pLeft, double pRight) const override { return pLeft - pRight; }
    const wchar_t* GetOperatorImage() const override;
};

// "*", "/" and "%".
class IMultOper : public IBinaryOper {
public:
    int GetPriority() const override;
};

class TTimesOper final : public IMultOper {
public:
    TTimesOper() = default;
    TTimesOper* Clone() const override;
    bool GetNumber(double& pNumber, TVariant& pOther) const override;
    double Compute(double pLeft, double pRight) const override { return pLeft * pRight; }
    const wchar_t* GetOperatorImage() const override;
};

class TDivOper final : public IMultOper {
public:
    TDivOper() = default;
    TDivOper* Clone() const override;
    bool GetNumber(double& pNumber, TVariant& pOther) const override;
    double Compute(double pLeft, double pRight) const override { return pLeft / pRight; }
    const wchar_t* GetOperatorImage() const override;
};

// Remainder of the two operands truncated toward zero to 32-bit integers, with the sign of
// the first. NaN when an operand is not a finite number whose truncation fits 32 bits or
// when the divisor truncates to 0.
class TModOper final : public IMultOper {
public:
    TModOper() = default;
    TModOper* Clone() const override;
    bool GetNumber(double& pNumber, TVariant& pOther) const override;
    double Compute(double pLeft, double pRight) const override;
    const wchar_t* GetOperatorImage() const override;
    bool KeepsRightText() const override;
};

// A comparison: 1 when Compare holds, else 0; every comparison with a NaN is false.
class ICompareOper : public IBinaryOper {
public:
    int GetPriority() const override;
    double Compute(double pLeft, double pRight) const override {
        return Compare(pLeft, pRight) ? 1.0 : 0.0;
    }
    bool KeepsRightText() const override;

    virtual bool Compare(double pLeft, double pRight) const = 0;
};

class TEqualOper final : public ICompareOper {
public:
    TEqualOper() = default;
    TEqualOper* Clone() const override;
    bool GetNumber(double& pNumber, TVariant& pOther) const override;
    bool Compare(double pLeft, double pRight) const override { return pLeft == pRight; }
    const wchar_t* GetOperatorImage() const override;
};

class TLessThanOper final : public ICompareOper {
public:
    TLessThanOper() = default;
    TLessThanOper* Clone() const override;
    bool GetNumber(double& pNumber, TVariant& pOther) const override;
    bool Compare(double pLeft, double pRight) const override { return pLeft < pRight; }
    const wchar_t* GetOperatorImage() const override;
};

class TLessEqualOper final : public ICompareOper {
public:
    TLessEqualOper() = default;
    TLessEqualOper* Clone() const override;
    bool GetNumber(double& pNumber, TVariant& pOther) const override;
    bool Compare(double pLeft, double pRight) const override { return pLeft <= pRight; }
    const wchar_t* GetOperatorImage() const override;
};

class TGreaterThanOper final : public ICompareOper {
public:
    TGreaterThanOper() = default;
    TGreaterThanOper* Clone() const override;
    bool GetNumber(double& pNumber, TVariant& pOther) const override;
    bool Compare(double pLeft, double pRight) const override { return pLeft > pRight; }
    const wchar_t* GetOperatorImage() const override;
};

class TGreaterEqualOper final : public ICompareOper {
public:
    TGreaterEqualOper() = default;
    TGreaterEqualOper* Clone() const override;
    bool GetNumber(double& pNumber, TVariant& pOther) const override;
    bool Compare(double pLeft, double pRight) const override { return pLeft >= pRight; }
    const wchar_t* GetOperatorImage() const override;
};

// condition " ? " second " : " last. An undefined condition or a number equal to 0 selects
// the last operand, anything else (other numbers, NaN, a text) the second; only the chosen
// alternative is evaluated.
class TConditionalOper final : public INAryOper {
public:
    TConditionalOper() = default;
    TConditionalOper* Clone() const override;
    int GetPriority() const override;
    int GetOperandCount() const override;
    // Binds the first, second and last operands.
    bool CheckSemantic(const TContext& pContext, TParser& pParser) override;
    bool GetNumber(double& pNumber, TVariant& pOther) const override;
    void AppendImage(wxString& pImage) const override;
    // "Missing alternative in conditional expression".
    wxString MissingArgError() const override;
};

// A call: name "(" argument ")". A "," ends the call, so it takes one argument; a value that
// reaches it after an inner call ended by "," ("f(g(a, b") is passed to the function but
// neither printed nor used by the one-number functions. Binding finds the function by name
// (an unknown function fails without a message); the argument count is not checked.
// Undefined while unbound.
class TFunctionOper final : public INAryOper {
public:
    // pName as written.
    explicit TFunctionOper(const wxString& pName);
    TFunctionOper* Clone() const override;
    int GetPriority() const override;
    // 0, any number: a "," ends the call, so a second argument never reaches it, and a call
    // without an argument ("f()") is no parse error; it evaluates as undefined.
    int GetOperandCount() const override;
    bool CheckSemantic(const TContext& pContext, TParser& pParser) override;
    bool GetNumber(double& pNumber, TVariant& pOther) const override;
    void AppendImage(wxString& pImage) const override;

private:
    friend class TExprProgram;
    wxString aName;
    const IFunction* aFunction;
};

} // namespace NSExpression
