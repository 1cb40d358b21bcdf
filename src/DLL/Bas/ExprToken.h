// The tokens of the expression parser: each lexeme becomes one token that is offered to the
// formula and then deleted. An extension of the language returns its own node wrapped in a
// TLeafToken from TFormula::GetExtendedToken.
#pragma once

#include <wx/string.h>

namespace NSExpression {

class IExprNode;
class IOperNode;
class TFormula;

// The precedence of the node a separator belongs to.
enum ETokenLevel : int {
    levelEND = 0, // the root (end of text)
    levelPAREN,   // a parenthesis or a call ("," and ")")
    levelALT      // a conditional (":")
};

class IToken {
public:
    virtual ~IToken();
    // Puts the token's content into pFormula's tree: null on success, otherwise the message to
    // record (valid while the token lives). Null too for a node too deep to insert, of which
    // the formula has said all.
    virtual const wchar_t* Insert(TFormula& pFormula) = 0;
    // Whether the token may stand here, judged from whether pFormula expects an operator.
    virtual bool IsExpected(const TFormula& pFormula) const = 0;
    // Whether an operator is expected after a successful Insert (0 or 1).
    virtual int OperatorFollows() const = 0;
    // The message recorded when IsExpected is false.
    virtual wxString GetPlaceError() const = 0;
};

// A ready node: a number, a name, or a node of an extension.
class TLeafToken : public IToken {
public:
    // Takes pNode, which it hands to the tree on Insert (or deletes if it never does).
    explicit TLeafToken(IExprNode* pNode);
    ~TLeafToken() override;
    const wchar_t* Insert(TFormula& pFormula) override;
    bool IsExpected(const TFormula& pFormula) const override;
    int OperatorFollows() const override;
    // "A value has been found when expecting an operator".
    wxString GetPlaceError() const override;

private:
    IExprNode* aNode;
};

// A token carrying an operator node, deleted with the token unless it was inserted.
class IOperatorBaseToken : public IToken {
public:
    ~IOperatorBaseToken() override;
    int OperatorFollows() const override;

protected:
    explicit IOperatorBaseToken(IOperNode* pNode);

    IOperNode* aNode;
};

// A binary operator or "?": takes the last operand as its first.
class TNAryOperatorToken : public IOperatorBaseToken {
public:
    explicit TNAryOperatorToken(IOperNode* pNode);
    const wchar_t* Insert(TFormula& pFormula) override;
    bool IsExpected(const TFormula& pFormula) const override;
    // "An operator has been found when expecting a value".
    wxString GetPlaceError() const override;
};

// A negation, "(" or a call: opens a node that receives the following operands.
class TUnaryOperatorToken : public IOperatorBaseToken {
public:
    explicit TUnaryOperatorToken(IOperNode* pNode);
    const wchar_t* Insert(TFormula& pFormula) override;
    bool IsExpected(const TFormula& pFormula) const override;
    // "A unary operator has been found when expecting a binary operator".
    wxString GetPlaceError() const override;
};

// ")", ",", ":" or the end of the text.
class ISeparatorToken : public IToken {
public:
    bool IsExpected(const TFormula& pFormula) const override;
    int OperatorFollows() const override;
    // "A separator has been found when expecting a value".
    wxString GetPlaceError() const override;

protected:
    explicit ISeparatorToken(ETokenLevel pLevel) : aLevel(pLevel) {}

    ETokenLevel aLevel;
};

// ")": finishes the innermost parenthesis or call.
class TCloseToken : public ISeparatorToken {
public:
    TCloseToken();
    // "Cannot find matching opening parenthesis" when there is none at this level; "Too many
    // parameters" when the parenthesis already holds more than its operand.
    const wchar_t* Insert(TFormula& pFormula) override;
    int OperatorFollows() const override;
};

// The end of the text: closes every open node; always accepted.
class TEOFToken : public ISeparatorToken {
public:
    TEOFToken();
    const wchar_t* Insert(TFormula& pFormula) override;
    bool IsExpected(const TFormula& pFormula) const override;
};

// "," or ":".
class INextToken : public ISeparatorToken {
public:
    const wchar_t* Insert(TFormula& pFormula) override;
    // The message when the node of this level already holds more operands than it takes.
    virtual wxString GetTooManyError() const = 0;
    // The message when no node of this level is open.
    virtual wxString GetOutsideError() const = 0;

protected:
    explicit INextToken(ETokenLevel pLevel) : ISeparatorToken(pLevel) {}

private:
    wxString aMessage;
};

// ",": finishes the parenthesis or call it stands in.
class TNextArgToken : public INextToken {
public:
    TNextArgToken();
    // "Too many parameters".
    wxString GetTooManyError() const override;
    // "Found comma (,) outside a parameter list".
    wxString GetOutsideError() const override;
};

// ":": starts the next alternative of a conditional.
class TNextAltToken : public INextToken {
public:
    TNextAltToken();
    // "Too many alternatives".
    wxString GetTooManyError() const override;
    // "Found colon (:) outside conditional expression".
    wxString GetOutsideError() const override;
};

} // namespace NSExpression
