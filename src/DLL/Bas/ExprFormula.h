// The expression parser and the formula that owns the parsed tree. Parsing goes on past an
// error: every problem is recorded with its position and the rest of the text is read, but
// for nesting deeper than the limit, which is said once and ends the reading.
//
// Precedence, loosest first; equal precedence groups to the right ("a - b - c" is
// a - (b - c)), and a ")" missing at the end of the text is not required:
//   <conditional> = <comparison> ["?" <comparison> ":" <conditional>]
//   <comparison>  = <sum> [("=" | "==" | "<" | "<=" | ">" | ">=") <comparison>]
//   <sum>         = <product> [("+" | "-") <sum>]
//   <product>     = <unary> [("*" | "/" | "%") <product>]
//   <unary>       = "-" <unary> | <number> | <name> | <name> "(" <conditional> ")"
//                 | "(" <conditional> ")" | <extension>
// A conditional may take a fourth operand in place of its third ("c ? a : b : d").
#pragma once

#include "DLL/Bas/ExprToken.h"

#include <wx/string.h>

#include <cstdint>
#include <vector>

namespace NSExpression {

class IExprNode;
class IOperNode;
class TContext;

// An error sink with the parse cursor; node checks and extensions report through it.
class TParser {
public:
    // Records one error message (null is recorded as the empty text).
    virtual void AddError(const wchar_t* pText) = 0;

    // The character being read; null outside a parse.
    const wchar_t* GetCursor() const { return aCursor; }
    // Moves the cursor: an extension steps over what it has read, never past the end.
    void SetCursor(const wchar_t* pCursor) { aCursor = pCursor; }

protected:
    TParser() : aCursor(nullptr) {}
    TParser(const TParser&) : aCursor(nullptr) {}
    TParser& operator=(const TParser&) = delete;
    ~TParser() = default;

    const wchar_t* aCursor;
};

// One recorded error: the 1-based character position of the cursor at the report (-1 when
// reported outside a parse) and the message.
struct TParseError {
    int32_t aPosition;
    wxString aMessage;
};

class TFormula : public TParser {
public:
    // The deepest a node may lie below the root. An operator that would nest deeper ends the
    // parse with "Expression nested deeper than 10000 levels", so every walk of a tree stays
    // within the stack.
    static constexpr int MAX_DEPTH = 10000;
    // The most errors one parse records; the parse goes on past them.
    static constexpr size_t MAX_ERRORS = 1000;

    // No tree, no errors.
    TFormula();
    // A deep copy of a finished parse: the tree, the errors and whether an operator was
    // expected.
    TFormula(const TFormula& pSrcFormula);
    TFormula& operator=(const TFormula&) = delete;
    // Deletes the tree.
    virtual ~TFormula();

    // Appends the error with the cursor's position.
    void AddError(const wchar_t* pText) override;
    // The print image of the tree (empty without a tree).
    virtual wxString GetImage() const;
    // The lexer's hook for a character it does not know: an override reads at the cursor,
    // moves the cursor past what it took and returns a new token, or returns null and leaves
    // the cursor alone. The formula's own returns null.
    virtual IToken* GetExtendedToken();

    // Replaces the tree by the tree of pText (which must live until the call returns). True
    // when no error has been recorded, counting the errors of earlier parses and bindings,
    // which are kept.
    bool Parse(const wchar_t* pText);
    // Binds the tree to pContext, which must outlive it; unknown variables are recorded with
    // position -1. False when a variable or a function is unknown.
    bool SetContext(const TContext& pContext);
    // Deletes the whole tree; afterwards the formula holds none.
    void deleteNode();

    // Errors in the order of their report.
    const std::vector<TParseError>& GetErrors() const { return aErrors; }
    // The open node that receives the next operand; after a parse, the root of the tree
    // (whose value is the formula's value). Null without a tree.
    IOperNode* GetCurNode() const { return aCurNode; }
    // Whether a complete operand has just been read, so an operator or separator comes next.
    bool IsExpectingOperator() const { return aExpectOperator != 0; }
    // How deep below the root the deepest node lies (0 without a tree or operand): the levels
    // an evaluation of the tree nests.
    int GetHeight() const { return aHeight; }

    // Tree-building steps, for tokens and extensions during a parse.
    // Appends pNode (which becomes owned) to the open node.
    void InsertLeaf(IExprNode* pNode);
    // Appends pNode to the open node and opens it. False, with pNode not taken, when it would
    // lie too deep: the formula has then said so and reads no further (see TooDeep).
    [[nodiscard]] bool AddOperator(IOperNode* pNode);
    // Closes the open nodes of higher precedence than pNode's, moves the last operand of the
    // open node under pNode, appends pNode and opens it. False, with pNode not taken (the
    // closing done), when the tree would nest too deep: as AddOperator.
    [[nodiscard]] bool InsertOperator(IOperNode* pNode);
    // Records the node's missing-operand message when it holds fewer operands than it takes,
    // then makes its parent (if any) the open node.
    void closeCurNode();
    // For ")", ",", ":" and the end of the text: closes the nodes of higher precedence than
    // pLevel; 2 when the open node is then not of that level, 1 when it holds more operands
    // than it takes, else 0 (a parenthesis or call is then finished).
    int ProcessNext(ETokenLevel pLevel);
    // As ProcessNext, but the node of the level is closed and never over-full.
    int ProcessCloser(ETokenLevel pLevel);

protected:
    // First character of the text being parsed; null outside a parse.
    const wchar_t* aText;
    IOperNode* aCurNode;
    int aExpectOperator;
    std::vector<TParseError> aErrors;
    int aHeight;

private:
    // The open node's place in the tree being built: the height of its tallest and of its
    // last operand (a leaf is 0, an operator 1 more than its tallest operand).
    struct TLevel {
        int aMaxHeight;
        int aLastHeight;
    };

    void ReadAndInsertToken();
    IToken* ReadToken();
    IToken* ReadNumber();
    IToken* ReadName();
    IToken* ReadExtension();
    void SkipBlanks();
    void SkipOneCharacter();
    // Closes open nodes while their precedence is above pPriority.
    void CloseAbove(int pPriority);
    // Records that the text nests deeper than MAX_DEPTH, where the cursor stands, and ends the
    // reading: the open nodes are closed as they are (what they miss is no news), the cursor
    // goes to the end. False, for the tree-building steps to return.
    bool TooDeep();
    // Finishes the open node and opens its parent.
    void FinishCurNode();
    int GetDepth() const { return static_cast<int>(aLevels.size()) - 1; }

    // One entry per open node, from the root to aCurNode.
    std::vector<TLevel> aLevels;
};

} // namespace NSExpression
