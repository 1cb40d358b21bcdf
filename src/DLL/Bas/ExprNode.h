// The expression tree: the node interface, the operator node with its operand list, and the
// two leaves (a number as typed, a variable bound to an entry of a context). Operator classes
// are in ExprOperator.h, the parser that builds trees in ExprFormula.h.
#pragma once

#include "ALL/Variant.h"

#include <wx/list.h>
#include <wx/string.h>

namespace NSExpression {

class IExprNode;
class IOperNode;
class TContext;
class TParser;

// The operands of an operator node, in order. The list does not delete its items: the
// operator node owns its operands.
WX_DECLARE_LIST(IExprNode, TExprList);

// A computed double as a node result: false (undefined) when its upper word is all ones,
// since such a pattern is never a number.
inline bool StoreComputed(double pResult, double& pNumber) {
    if (IsTagBits(DoubleToBits(pResult)))
        return false;
    pNumber = pResult;
    return true;
}

class IExprNode {
public:
    IExprNode() : aCell(nullptr), aCompiled(false), aParent(nullptr) {}
    IExprNode& operator=(const IExprNode&) = delete;
    virtual ~IExprNode();

    // The operator node holding this node as an operand; null for a root.
    IOperNode* GetParent() const { return aParent; }

    // The node's value as a new cell (a text is copied).
    virtual TVariant GetValue() const = 0;
    // Binds the node's names to pContext's entries; unknown names are reported to pParser.
    // False when a name is unknown. The context must outlive the bound node.
    virtual bool CheckSemantic(const TContext& pContext, TParser& pParser) = 0;
    // Appends the node's text to pImage (never clears it).
    virtual void AppendImage(wxString& pImage) const = 0;
    // A deep copy without parent, bound to the same context entries.
    virtual IExprNode* Clone() const = 0;

    // The value without building a cell for a number: true with the number in pNumber;
    // false with the text or undefined value in pOther, which must be undefined on entry.
    // Same value as GetValue; by default read from aCell, or else asked through GetValue.
    virtual bool GetNumber(double& pNumber, TVariant& pOther) const;

protected:
    // A copy starts without parent and without cell.
    IExprNode(const IExprNode&) : aCell(nullptr), aCompiled(false), aParent(nullptr) {}

    // pNode's GetNumber, with a stored cell read in place.
    static bool NumberOf(const IExprNode* pNode, double& pNumber, TVariant& pOther) {
        const TVariant* const cell = pNode->aCell;
        if (!cell)
            return pNode->GetNumber(pNumber, pOther);
        if (cell->IsNumeric()) {
            pNumber = cell->GetDouble();
            return true;
        }
        pOther = *cell;
        return false;
    }

    // The cell holding the node's value when the node is nothing more than a stored value (a
    // number as typed, a bound variable); null otherwise. Evaluation reads it without a call.
    const TVariant* aCell;

    // Drops the program compiled from the tree holding this node, before a change of the
    // node's operands or binding.
    void ForgetCompiledTree() const;

private:
    friend class IOperNode;
    friend class TExprProgram;
    // The node is part of a tree whose root holds a compiled program.
    mutable bool aCompiled;
    IOperNode* aParent;
};

// A node with operands; it owns them and deletes them with itself.
class IOperNode : public IExprNode {
public:
    IOperNode() = default;
    ~IOperNode() override;

    // Evaluated through GetNumber.
    TVariant GetValue() const override;
    bool GetNumber(double& pNumber, TVariant& pOther) const override = 0;
    IOperNode* Clone() const override = 0;

    // Precedence of the class: root 0, parenthesis and call 1, conditional 2, comparisons 3,
    // "+" and "-" 4, "*", "/" and "%" 5, negation 6.
    virtual int GetPriority() const = 0;
    // The number of operands the class takes; 0 for any number.
    virtual int GetOperandCount() const = 0;
    // The message recorded when the node is closed with too few operands. The base has no
    // text of its own: it reports an assertion and returns the empty text.
    virtual wxString MissingArgError() const;

    const TExprList& GetOperands() const { return aOperands; }
    // Appends pOperand (which becomes owned) and makes this node its parent.
    void AppendOperand(IExprNode* pOperand);
    // Detaches the last operand and hands it to the caller; null when there is none.
    IExprNode* PopLastOperand();

protected:
    // Deep copy: each operand cloned in order, the copy without parent.
    IOperNode(const IOperNode& pSource);

    // The first and second operands; null when absent.
    IExprNode* GetFirstOperand() const {
        auto node = aOperands.GetFirst();
        return node ? node->GetData() : nullptr;
    }
    IExprNode* GetSecondOperand() const {
        auto node = aOperands.GetFirst();
        return node && node->GetNext() ? node->GetNext()->GetData() : nullptr;
    }
    // The last operand when the node holds at least pPlace operands, else null: a missing
    // right operand or alternative is never taken for an earlier one.
    IExprNode* GetLastOperand(size_t pPlace) const {
        return aOperands.GetCount() >= pPlace ? aOperands.GetLast()->GetData() : nullptr;
    }

private:
    friend class TExprProgram;
    TExprList aOperands;
};

// A number as it was typed.
class TValueNode : public IExprNode {
public:
    // pImage is the text as written ("1.50"), pValue its value.
    TValueNode(const wxString& pImage, const TVariant& pValue);

    TVariant GetValue() const override;
    bool CheckSemantic(const TContext& pContext, TParser& pParser) override;
    void AppendImage(wxString& pImage) const override;
    TValueNode* Clone() const override;

private:
    wxString aImage;
    TVariant aValue;
};

// A name that binding resolves to a variable of a context: the node's cell is then the
// context's entry, read at each evaluation, so a change of the variable shows in every bound
// tree.
class TVariableNode : public IExprNode {
public:
    explicit TVariableNode(const wxString& pName);

    // Undefined until bound.
    TVariant GetValue() const override;
    bool CheckSemantic(const TContext& pContext, TParser& pParser) override;
    void AppendImage(wxString& pImage) const override;
    // The copy stays bound to the same entry.
    TVariableNode* Clone() const override;

private:
    wxString aName;
};

} // namespace NSExpression
