// References from a formula to attributes of other parameter rows: the parsed reference, the
// tree node that reads it, and the two frozen variants a render snapshot holds.
#pragma once

#include "ALL/TypeDef.h"
#include "ALL/Variant.h"
#include "DLL/Bas/ExprNode.h"
#include "DLL/Row/ZVFormula.h"

class IFormula;
class TZVParamRow;
class wxXmlNode;

// One parsed reference: its row path ("p" element, owned by the holder; null when the parse
// gave up) and the attribute read.
struct TParamAttrSpec {
    wxXmlNode* Path;
    EAttrKind Attr;
};

// Reads the reference at pParser's cursor (which stands on "[") and moves the cursor past
// it, never past the end of the text. Errors go to pParser.
TParamAttrSpec ParseParamReference(NSExpression::TParser& pParser);

// A reference in a formula tree. Until resolved it holds the path; afterwards the row.
class TZVParamAttribute : public NSExpression::IExprNode {
public:
    // Takes pSpec's path; pText is the reference as written.
    TZVParamAttribute(const TParamAttrSpec& pSpec, const wxString& pText);
    ~TZVParamAttribute() override;

    // The attribute of the row at the formula time; undefined while unresolved.
    TVariant GetValue() const override;
    // Acts on the formula context's check mode; pParser must be the owning TZVFormula.
    bool CheckSemantic(const NSExpression::TContext& pContext,
                       NSExpression::TParser& pParser) override;
    // The row's reference text and the attribute word; the text as written while no row is
    // bound.
    void AppendImage(wxString& pImage) const override;
    // The snapshot variant for rendering.
    IExprNode* Clone() const override;

    TZVParamRow* GetParamRow() const { return aParamRow; }
    EAttrKind GetAttr() const { return aSpec.Attr; }

protected:
    TZVParamAttribute(const TZVParamAttribute& pSource);

    // For a snapshot: reports a path still set and a pass that only live references take.
    bool CheckSnapshot(ECheckMode pMode) const;

    TParamAttrSpec aSpec;
    TZVParamRow* aParamRow;
    const double* aTime;

private:
    bool Resolve(TZVFormula& pFormula);
    // Binds the path's row or throws the formula error.
    TZVParamRow* LookUp(TZVFormula& pFormula) const;
    // How deep below the root of its tree the node lies.
    int Depth() const;

    wxString aText;
};

// The snapshot of a "value" reference: reads the host's frame table at every evaluation, so
// snapshots may be made in any order.
class TZVClonedParamValue : public TZVParamAttribute {
public:
    explicit TZVClonedParamValue(const TZVParamAttribute& pSource);

    TVariant GetValue() const override;
    bool CheckSemantic(const NSExpression::TContext& pContext,
                       NSExpression::TParser& pParser) override;
    // Reports "false": a snapshot is not copied again.
    IExprNode* Clone() const override;

private:
    IFormula** aSlot;
    TTypeDef aTypeDef;
};

// The snapshot of any other reference: the attribute frozen by the attribute pass.
class TZVClonedParamAttr : public TZVParamAttribute {
public:
    explicit TZVClonedParamAttr(const TZVParamAttribute& pSource);

    TVariant GetValue() const override;
    bool CheckSemantic(const NSExpression::TContext& pContext,
                       NSExpression::TParser& pParser) override;
    // Reports "false": a snapshot is not copied again.
    IExprNode* Clone() const override;

private:
    TVariant aValue;
};
