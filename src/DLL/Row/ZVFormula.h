// Expression value sources of parameter rows: IDependFormula (a value source that depends on
// other parameters), TZVFormula (an expression bound to the row that owns it, stored as text,
// copied into frozen snapshots for rendering) and the one process-wide evaluation context
// every formula reads "time" and "image" from.
#pragma once

#include "ALL/Assert.h"
#include "DLL/Bas/ExprContext.h"
#include "DLL/Bas/ExprFormula.h"
#include "DLL/Bas/Formula.h"

#include <wx/string.h>

#include <memory>
#include <vector>

class TZVBaseRow;
class TZVParamRow;
class TZVReadChain;

// A parameter's value source that is not a plain key list. It has no key segments, so the
// curve queries find nothing.
class IDependFormula : public IClonableFormula {
public:
    ~IDependFormula() override;

    // Never reached: an expression keeps no look-up to drop. Reports "false".
    void Touch() override { ZV_FAIL("false"); }
    // Null: no segment at any time.
    const TABCFormula* GetCurveAt(long pTime) const override;
    // Both sides null, and the joined segment too when asked for.
    void GetCurvesAt(long pTime, const TABCFormula*& pLeft, const TABCFormula*& pRight,
                     const TABCFormula** pNextJoined) const override;

    // Told that pRow changed (pAll: its keys or sequences, not only its value). True when
    // this value source depends on the change, so the caller re-evaluates and passes it on.
    virtual bool OnParamChanged(const TZVParamRow* pRow, bool pAll) = 0;
    // Enters the owner row as listener of the rows the value source reads (pRemove false),
    // or takes it out again (true).
    virtual void AddListeners(bool pRemove) = 0;
};

// What the next check pass over a formula tree does; reference nodes act on it, every other
// node ignores it.
enum ECheckMode : int {
    modeRESOLVE = 0,       // bind names and references to the context and the rows
    modeADD_LISTENERS = 1, // register the owner row with each referenced row
    modeREM_LISTENERS = 2, // take the registrations out again
    modeCLONE_VALUES = 3,  // point value references of a snapshot at the host's frame table
    modeCLONE_ATTRS = 4    // freeze the other attribute references of a snapshot
};

// The attributes a reference may read.
enum EAttrKind : int {
    attrVALUE = 0,
    attrDEFAULT_RATE,
    attrBEGIN,
    attrEND,
    attrIS_DEFINED,
    attrIS_IN_SEQUENCE,
    attrBEGIN_SEQUENCE,
    attrEND_SEQUENCE
};

// The variables "time" (milliseconds) and "image" (whole frame number) and the state of the
// check pass in progress. Every formula work writes it: no two may overlap.
class TZVExpressionContext : public NSExpression::TContext {
public:
    TZVExpressionContext();

    // Makes pTime the time of evaluation. "time" and "image" are written in place, and only
    // when the time (for "image" the frame number) changes; true when the frame number
    // changed. A variable that holds a text is left alone.
    bool SetCurrent(double pTime) {
        // Every evaluation passes here: the unchanged time is answered inline.
        if (pTime == aCurTime && aRate != 0)
            return false;
        return ChangeCurrent(pTime);
    }
    // Frames per second. A new rate makes "time" and "image" read 0 until the next time is
    // set; the same rate changes nothing. 0 is reported and stored.
    void SetFrameRate(long pRate);

    ECheckMode GetMode() const { return ECheckMode(aCheckMode); }
    void SetMode(ECheckMode pMode) { aCheckMode = pMode; }
    // The time last given to SetCurrent (NaN right after a change of rate).
    double GetCurTime() const { return aCurTime; }
    // Where the current time is kept, for references that read it at every evaluation.
    const double* GetCurTimePlace() const { return &aCurTime; }
    // The frame number of the current time.
    int GetCurImage() const { return aCurImage; }
    long GetRate() const { return aRate; }
    // The host's frame table and flag of the snapshot being made; null outside one.
    const IEvaluateContext* GetEvalContext() const { return aEvalContext; }
    bool GetEvalFlag() const { return aEvalFlag; }
    void SetEvalContext(const IEvaluateContext* pContext, bool pFlag) {
        aEvalContext = pContext;
        aEvalFlag = pFlag;
    }

private:
    bool ChangeCurrent(double pTime);

    int aCurImage;
    double aCurTime;
    long aRate;
    // Milliseconds per frame.
    double aTimeFactor;
    // The stored cells of "time" and "image"; entries of a map, so their addresses last.
    TVariant* aTimeVar;
    TVariant* aImageVar;
    const IEvaluateContext* aEvalContext;
    bool aEvalFlag;
};

// The one context of the process, built on first use.
TZVExpressionContext& GetFormulaContext();

class TZVFormula : public NSExpression::TFormula, public IDependFormula {
public:
    // A bound reference to another row's value: the row, and how deep below the root the
    // reference lies.
    struct TValueRead {
        const TZVParamRow* aRow;
        int aDepth;
    };

    // An evaluation in progress. While one lives, each formula is computed once for each
    // time it is asked at and then answered with what it gave, the formula context left as
    // that computation left it: a row read along many paths costs one computation.
    // Evaluations opened inside it join it; the values are forgotten when the outermost one
    // ends, when a formula dies and when the frame rate changes. Nothing else that a formula
    // has read may change while one lives (rows, their keys, formulas and sequences, the
    // snapshots it read in the host's frame table, the context's variables). Each evaluation
    // of a formula and each snapshot's attribute pass opens one; a host may open one around
    // the snapshots and the rendering of a frame.
    class TEvaluation {
    public:
        TEvaluation();
        ~TEvaluation();
        TEvaluation(const TEvaluation&) = delete;
        TEvaluation& operator=(const TEvaluation&) = delete;
    };

    // The id of the formula made last; each new formula (not a snapshot) takes the next one.
    static int theLastId;

    // An empty formula with the next id, giving pOwnerRow's value.
    explicit TZVFormula(TZVParamRow* pOwnerRow);
    ~TZVFormula() override;

    // Makes pTime the time of evaluation of every formula.
    static void SetCurTime(long pTime);
    static void SetFrameRate(long pRate);
    // The word of an attribute kind (pKind must be one of EAttrKind).
    static const wxString& GetAttrName(EAttrKind pKind);
    // "kind:name" of pRow as a reference element writes it: a parameter as "number - name",
    // each "]" of the name doubled.
    static wxString GetRowQualName(const TZVBaseRow* pRow);
    // The elements of pRow and its ancestors below the root, top-down; empty for the root.
    static wxString GetRowName(const TZVBaseRow* pRow);

    // Binds the tree to the formula context and the rows; false when a name or reference
    // failed (the text is in the error list). A reference that would close a cycle or nest
    // the rows' evaluations too deep stays unbound. A formula that is not yet the owner's
    // value source must fit under the rows that read the owner (see FitUnderReaders).
    bool Resolve();
    // Measures the formula under the rows that read the owner's value, before it becomes the
    // owner's value source: one that would nest their evaluations too deep records why and
    // drops its tree (it gives no value; its text is kept). False then.
    bool FitUnderReaders();
    void AddListeners(bool pRemove) override;
    // Noted by the references while they bind: the formula reads pKind of another parameter.
    void MarkUses(EAttrKind pKind);
    // Throws TError when reading pRow's value with a reference pDepth levels below the root
    // would close a cycle or nest the evaluations too deep (see TZVReadChain); noted as read
    // otherwise. For the references while they bind.
    void BindValueRead(const TZVParamRow* pRow, int pDepth);
    // Notes a reference bound before as read again.
    void KeepValueRead(const TZVParamRow* pRow, int pDepth);
    // The references to other rows' values bound by the last Resolve.
    const std::vector<TValueRead>& GetValueReads() const { return aValueReads; }

    // The text that stands for the formula: the cached image, the text as stored when it did
    // not parse cleanly, else the image of the tree.
    wxString GetImage() const override;
    // Freezes the image of the tree as it prints now (a formula without a tree keeps its
    // stored text).
    void CacheImage() const;

    // Reads the text content of pValue. A text that does not parse cleanly is kept as it
    // stands, to be written back unchanged, and the formula has no value; false then.
    bool ValueFromXml(const wxXmlNode* pValue, const TTypeDef& pType) override;
    // Appends one text node holding GetImage() to pValue.
    void MakeXmlImage(wxXmlNode* pValue, const TTypeDef& pType) const override;

    // The value of the tree at pTime; undefined without a tree. Inside an evaluation, what
    // the formula gave at pTime before in it.
    TVariant ComputePointAt(double pTime) const override;
    // The value at pTime with contNO_KEY; pFlag is not written.
    TVariant GetValueNSlope(long pTime, bool pLeft, EContinuity& pCont, bool& pFlag) const override;
    bool IsFlatFormula(long pTime) const override;
    int HasKey(long pTime) const override;
    // A snapshot for rendering at pTime. pReuse is returned when it is the snapshot of this
    // formula (same id), else deleted. The snapshot keeps this formula's id and image.
    IFormula* CloneFormulaAt(long pTime, IFormula* pReuse, const IEvaluateContext& pContext,
                             bool pFlag) const override;
    // Reports "!aIsClone" on a snapshot. True when the formula reads "value" of another
    // parameter, or (with pAll) any other attribute.
    bool OnParamChanged(const TZVParamRow* pRow, bool pAll) override;

    int GetId() const { return aId; }
    TZVParamRow* GetOwnerRow() const { return aOwnerRow; }
    bool IsClone() const { return aIsClone; }

protected:
    // Reads a parameter reference at "[".
    NSExpression::IToken* GetExtendedToken() override;

private:
    // The snapshot copy: tree, errors, id, owner, flags and image; marked as a snapshot.
    TZVFormula(const TZVFormula& pSource);

    // One check pass over the tree in pMode.
    bool CheckPass(ECheckMode pMode);
    wxString TreeImage() const;

    int aId;
    TZVParamRow* aOwnerRow;
    bool aUsesValue;
    bool aUsesAttr;
    bool aIsClone;
    // For a snapshot: the frame whose attributes it holds.
    int aAttrFrame;
    mutable wxString aImage;
    std::vector<TValueRead> aValueReads;
    // The rows around the owner, measured while Resolve binds.
    std::unique_ptr<TZVReadChain> aReadChain;
};
