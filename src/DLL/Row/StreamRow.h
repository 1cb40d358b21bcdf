// TZVStreamRow: the abstract row of one media stream, the base of source, filter, mixer and
// main rows. It owns its parameter rows and setup values, holds one reference to its render
// stream, lays out its parameter block and counts the key times that climb up to it. Its
// children are its subclasses' business: they extend the walks.
#pragma once

#include "ALL/Range.h"
#include "ALL/Variant.h"
#include "DLL/Row/BaseRow.h"

#include <list>
#include <vector>

class ISizeHandleFactory;
class IZVRenderStream;
class IZVStreamDisplayInfo;
class T32BoolArray;
class TZVSourceRow;
class TZVSuperParamRow;
struct TControlInfo;

class TZVStreamRow : public TZVBaseRow {
public:
    // An operation on each stream row of a subtree, from ApplyOperation.
    class IStreamTreeOperation {
    public:
        // True goes on into the row's children.
        virtual bool Apply(TZVStreamRow* pRow) = 0;
        virtual ~IStreamTreeOperation();
    };

    // The host's collector of ListSubStream.
    class ISubStreamList {
    public:
        virtual void Add(TZVStreamRow* pRow) = 0;

    protected:
        ~ISubStreamList() = default;
    };

    // What UpdateKeyList passes on: the target row, whether the counts are added (else
    // withdrawn), whether they go on to the target's ancestors, and whether their source is
    // shown (a shown source's keys are not counted by its parent, only above it).
    struct TUpdateKeyParam {
        TZVStreamRow* aRow;
        bool aAdd;
        bool aPropagate;
        bool aShown;
    };

    typedef void (*TOnDestroy)(TZVStreamRow* pRow);

    TZVStreamRow()
        : aRenderStream(nullptr), aParamHeight(0), aOnDestroy(nullptr), aSuperParam(nullptr),
          aIsRendered(true), aIsParamShown(false) {}
    // destroy(), then the members; the render stream is released.
    ~TZVStreamRow() override;

    int GetBottom() const override;
    TZVStreamRow* GetOwnerStream() override;
    const ITimeList& GetKeyTimeList() const override;
    const TRangeList& GetSequenceList() const override;
    void VShift(int pDelta) override;
    void HShift(int pDelta) override;
    void ShowAt(int pTop) override;
    void ListParam(std::list<TZVParamRow*>& pList) override;
    // Applies pOperation to this row and, when it answers true and the block is open, to
    // each enabled parameter (their answers are ignored); returns the row's answer.
    bool ApplyOnVisible(IVisibleRowOperation& pOperation) const override;
    // The row or the shown parameter under pY; null at or below the bottom.
    TZVBaseRow* GetRow(int pY) override;
    // The stream part of the row element: "render"="0" for a row kept out of rendering, then
    // "seq-list", "setup-list" (only when the class has setups) and "param-list". Owned by
    // the caller; containers append their own lists after it.
    wxXmlNode* GetXmlImage() const override;
    // The first shown parameter, or null.
    TZVBaseRow* GetNextRow() const override;
    bool IsLastSibling() const override;

    // Reads the stream part of the row element pNode (and "render"), then SetDefault(); on
    // return pNode is the first child after "param-list", or null. Throws TError and leaves
    // the row partly filled (the caller deletes it) when the part does not read.
    virtual void CreateChildren(const wxXmlNode*& pNode);
    virtual void AttachParent(TZVStreamRow* pParent, const TZVStreamRow* pAfter) = 0;
    virtual bool HasVideo() const = 0;
    // The host's parameter panel of the row's class.
    virtual IZVStreamDisplayInfo* GetDisplayInfo() const = 0;
    virtual int GetParamCount() const = 0;
    virtual int GetSetupCount() const = 0;
    virtual int GetControlCount() const = 0;
    // Position in the control table of the entry of parameter pIndex.
    virtual int GetParamControl(int pIndex) const = 0;
    // Position in the control table of the entry of setup pIndex.
    virtual int GetSetupControl(int pIndex) const = 0;
    // The class's control table, GetControlCount() entries.
    virtual const TControlInfo* GetControlTab() const = 0;
    virtual wxIcon* GetParamTypeIcon(int pIndex) const = 0;
    virtual wxIcon* GetSrcRoleIcon(const TZVSourceRow* pSource) const = 0;
    // One step of a row path below this row: a null step gives this row, a "param" step the
    // parameter numbered (from 1) by its "path". Containers resolve their own kinds first.
    // Throws TError for a step the row cannot have or a number it has no parameter for.
    virtual TZVBaseRow* GetRow(const wxXmlNode* pStep);
    // The row shown after the whole parameter block.
    virtual TZVBaseRow* GetRowAfterParam() const = 0;
    virtual TZVBaseRow* GetTopRow() const = 0;
    virtual TZVBaseRow* GetRowAfter() const = 0;
    virtual TZVStreamRow* GetNextSibling() = 0;
    virtual void Detach() = 0;
    // Rows that hold no sources report these as misuse ("false") and do nothing.
    virtual void ChildSourceGrow(TZVSourceRow* pSource, int pDelta, bool pShown);
    virtual void RemoveSource(TZVSourceRow* pSource);
    virtual TZVBaseRow* GetRowAfterSource(const TZVSourceRow* pSource) const;
    virtual void InsertSource(TZVSourceRow* pSource, const TZVSourceRow* pAfter);
    // pOperation on this row; containers go on into their children when it answers true.
    virtual bool ApplyOperation(IStreamTreeOperation& pOperation);
    virtual void ListSubStream(ISubStreamList& pList) = 0;
    virtual bool MustKeep() const;
    virtual void OnParamUpdate(const TZVParamRow* pParam) const;
    virtual void OnSetupUpdate(int pIndex);
    // The size-handle factory of the row's geometry parameters, their first index and flags;
    // here none (index -1).
    virtual ISizeHandleFactory* GetSizeHandleFactory(int& pIndex, T32BoolArray& pFlags) const;
    virtual void SetDefault();
    // Told that the parameter block grew by pDelta pixels; containers move the rows below.
    virtual void ParamGrow(int pDelta);
    // Passes every key of this row's own list to pParam.aRow (and, when asked, its
    // ancestors); containers add their children's keys.
    virtual void UpdateKeyList(TUpdateKeyParam& pParam) const;

    // Reads "seq-list" at pNode and moves pNode past it. The stored sequences must be sorted
    // and must not overlap; touching ones are accepted.
    void createSequence(const wxXmlNode*& pNode);
    // Reads "setup-list" (exactly when the class has setups) and "param-list" at pNode and
    // moves pNode past them. Children beyond the class's counts are ignored.
    void createParamList(const wxXmlNode*& pNode);

    // A row read from pElement with its children: a "filter" goes into pParent's chain (a
    // source row) after pAfter, a "source" or "mixer" into pParent's sources before pAfter.
    // Throws TError, a wrong parent included; nothing half-built is left.
    static TZVStreamRow* Create(const wxXmlNode*& pElement, TZVStreamRow* pParent,
                                TZVStreamRow* pAfter);
    // Completes a row made by a factory: kind, index check, tables sized (null parameters,
    // undefined setups).
    void CompleteCreate();
    // Makes one parameter row per parameter entry of the control table (linked, hidden,
    // enabled for kind word 0; with default segments unless pNoDefaultKeys) and one setup
    // value per setup entry (its type's default). An entry whose index is not the next one
    // is reported and skipped.
    void CreateStreamParam(bool pNoDefaultKeys);
    // A fresh row without XML: tables, parameters with default segments, the name, then
    // SetDefault().
    void CreateDefault(const wxString& pName);
    // Links the row under pParent, counts its keys there and above and, when it has no
    // sequences of its own, gives it (and its subtree) the parent's.
    void SetStreamParent(TZVStreamRow* pParent, bool pShown);
    // A row without sequences takes a copy of its parent's and default segments for its
    // parameters: true. A row with sequences keeps them: false.
    virtual bool CopyParentSequence();
    // CopyParentSequence down the subtree; a row with sequences of its own stops the walk.
    void CopySequenceToTree();
    // pInherit: the row drops its own sequences; otherwise a row without sequences takes a
    // copy of its parent's.
    void Inherit(bool pInherit);
    // The only sequence becomes pDuration long from the parent's first sequence begin (0
    // without a parent or when the parent has none).
    void SetInitSequence(long pDuration);
    // Sequence edits: the host's timeline drags, cuts and deletes sequences. Each saves what
    // it replaced in aUndoList for the host's record (MakeUndoList), tells the undo compiler
    // which rows changed and moves the parameters' keys along.
    // True when some, not all, sequences lie inside the time selection's ranges.
    bool CountSelSeq() const;
    // The sequence holding pTime, else null; the second also null for a row with fewer than
    // two sequences.
    const TRange* UniqueSelSeq(long pTime) const;
    const TRange* UniqueSelManySeq(long pTime) const;
    // Adds to pOut, for each range of pList, the distances by which pMoving, shifted, would
    // overlap it.
    static void mergeRangeList(const TRange& pMoving, const TRangeList& pList, TRangeList* pOut);
    // Splits the sequence holding pTime inside it there (pSplit), or joins the two touching
    // at pTime; false when impossible. A null pUndo only asks.
    virtual bool SplitJoinAt(long pTime, IUndoCompiler* pUndo, bool pSplit);
    bool splitAt(long pTime, IUndoCompiler* pUndo);
    bool joinAt(long pTime, IUndoCompiler* pUndo);
    // The reports of a split or join, then pMethod on the parameters.
    void completeSplitJoin(long pTime, IUndoCompiler& pUndo,
                           bool (TZVParamRow::*pMethod)(long, IUndoCompiler&));
    // Starts a shift of the sequences the time selection holds: this row joins pRows, pAll
    // and pFree get the distances at which a moving sequence would overlap any sequence, or
    // a staying one. A null pFree only asks whether a sequence is selected.
    virtual bool BeginShift(std::list<TZVStreamRow*>& pRows, TRangeList* pFree,
                            TRangeList* pAll);
    // Moves (or, with pCopy, copies) the selected sequences pDistance from where they began.
    void Shift(int pDistance, bool pCopy);
    // Ends a shift or a resize: the record gets its marks and the rows are told.
    void EndShift(IUndoCompiler& pUndo);
    // Starts a drag of the sequence edge at pTime (pLeft: the end of the sequence left of a
    // touching pair, else the begin of the right one): this row joins pRows and narrows
    // pLimits to the distances that keep the sequence one unit long and clear of its
    // neighbours. A null pRows only asks.
    virtual bool BeginResize(long pTime, bool pLeft, TRange& pLimits,
                             std::list<TZVStreamRow*>* pRows);
    // Moves the dragged edge pDistance from where it began.
    void Resize(long pDistance);
    // Deletes the sequences inside pSel's ranges and the keys in them; pDeleted gets them.
    virtual void DeleteSequence(const TRangeList& pSel, TRangeList& pDeleted,
                                IUndoCompiler& pUndo);
    // Multiplies every time by pFactor, a finite number above 0; sequences it empties go.
    void ScaleTime(double pFactor, IUndoCompiler& pUndo);
    // Where ScaleTime puts time pTime: to the nearest time, saturated.
    static long ScaledTime(long pTime, double pFactor);
    // The only sequence, from 0, ends at pDuration; grown, the parameters fill it.
    void SetDuration(long pDuration, IUndoCompiler& pUndo);
    // Replays one range of a record ("s"), its opposite put at the front of aUndoList. A
    // range that would overlap a neighbour, or a mark where no sequence begins, is reported
    // and skipped.
    void SetSequence(const TRange& pSequence);
    // notifyOther(true) on every parameter.
    void notifySeqChange() const;
    // The record of the last edit as an "s" element of "seg" ranges, owned by the caller;
    // null when there is none. The record is emptied.
    wxXmlNode* MakeUndoList();

    // Reports control-table entries that the index tables do not point back to.
    void checkParamAndSetupIndex() const;
    // Opens or closes the parameter block, laying out its rows.
    void ShowParam(bool pState);
    // Parameter pIndex of the open block grew by pDelta pixels.
    void SingleParamGrow(int pIndex, int pDelta);
    // Adds pCount (negative withdraws) for pKey to this row and, when pUp, to each ancestor.
    // A row counts a child's keys only while that child (pChildShown at the first step) is
    // not shown; the root counts all. A key time appearing or disappearing is reported for
    // every row but the root.
    void PropagateKey(const TStreamKey& pKey, int pCount, bool pChildShown, bool pUp);
    // Takes the row's keys out of its ancestors and deletes its parameter rows. Every
    // concrete destructor calls it first, while the row is whole; later calls do nothing.
    void destroy();

    // Setups: constant values of the row, edited with undo. An index outside the setups is
    // reported and changes nothing.
    // Stores a copy of pValue in setup pIndex and returns the undo record, owned by the
    // caller: "r" holding the row's path ("p" with "i" = the index), then an "r" holding the
    // old value. pUpdate: the host must apply the change (kind bit 3 of the setup's control);
    // the row calls no OnSetupUpdate. Null for a bad index.
    wxXmlNode* EditSetup(int pIndex, const TVariant& pValue, bool& pUpdate);
    // Exchanges setup pIndex with the value held by pValue (a record's inner "r"), which
    // then holds the replaced value, ready for the opposite edit. Returns whether the host
    // must apply the change; false for a bad index.
    bool UndoSetup(int pIndex, wxXmlNode* pValue);

    // Subtree walks.
    // Binds (pRemove false) or unbinds the formulas of the subtree's parameters. False when
    // a binding failed; the walk then stops below that row.
    bool AddListeners(bool pRemove);
    // Freezes the texts of the subtree's expressions, skipping pExcluded and its subtree.
    void CacheFormulaImage(const TZVStreamRow* pExcluded);
    // Adds to pOut the parameters outside the subtrees of pStreams that listen to a parameter
    // inside them (a listener of pTop's own, or of no stream, always counts), then sorts
    // pOut by address and keeps each row once, entries held before the call included.
    static void GetDependents(const std::list<TZVStreamRow*>& pStreams,
                              std::list<TZVParamRow*>& pOut, const TZVStreamRow* pTop);

    // Enables or disables parameter pParam of this row: an open block grows or shrinks by its
    // height, its keys are counted or withdrawn, and the change is recorded for
    // EndEnableParam; a closed block left without an enabled parameter is reported.
    void EnableParam(TZVParamRow* pParam, bool pEnable);
    // Reports the parameters changed by the EnableParam calls since the last one.
    static void EndEnableParam();

    // The first enabled parameter of an open block, or null.
    TZVParamRow* GetFirstParam() const;
    // The first enabled parameter, open block or not, or null.
    TZVParamRow* GetFirstEnabParam() const;
    // The nearest enabled parameter after pIndex, or null.
    TZVParamRow* GetNextParam(int pIndex) const;
    // The nearest enabled parameter before pIndex, or null.
    TZVParamRow* GetPrevParam(int pIndex) const;
    // The next enabled parameter after pIndex, else the row after the block.
    TZVBaseRow* GetRowAfterParam(int pIndex) const;
    // Removes the key at pTime from every parameter row, once.
    void deleteKey(long pTime, IUndoCompiler& pUndo);

    // The row's render stream, one reference held; null when none.
    IZVRenderStream* aRenderStream;
    // The row's time sequences, sorted and non-overlapping.
    TRangeList aSequenceList;
    // The parameter rows in control order, each at its aIndex; owned. An entry may be null
    // while the row is being built.
    std::vector<TZVParamRow*> aParamTab;
    // The setup values in control order.
    std::vector<TVariant> aSetupTab;
    // Pixel height of the open parameter block (0 when closed).
    int aParamHeight;
    // Called first by destroy() when set.
    TOnDestroy aOnDestroy;
    // The composite parameter made last: the component rows that follow belong to it. Not
    // owned; null before the first one.
    TZVSuperParamRow* aSuperParam;
    // What the sequence edit in progress replaced: ranges to restore and marks (begin =
    // end) of sequences to remove.
    TRangeList aUndoList;
    // The distance of the last shift or resize step.
    long aLastDistance = 0;
    // The sequence a resize drags.
    TRangeList::iterator aEditSeq;
    // 0 no sequence edit, 1 shift, 2 resize.
    int aEditMode = 0;
    // Resize: the end edge moves; shift: the last step copied.
    bool aIsEditEnd = false;
    // The row takes part in rendering.
    bool aIsRendered;
    // The parameter block is open: the enabled parameter rows are shown below the row.
    bool aIsParamShown;
    // The name the list holding the row (a mixer's sources, a source's filters) files it
    // under, set by that list (TSiblingNames).
    wxString aIndexedName;

protected:
    // Takes a reference to pStream (may be null) and drops the one to the previous stream.
    void SetRenderStream(IZVRenderStream* pStream);

private:
    // The control of setup pIndex; null, reported, for an index outside the setups.
    const TControlInfo* SetupControl(int pIndex) const;
    // One parameter row of CreateStreamParam, at *pCount, which moves on. pSubCount and
    // pSuperType: the components still due to the last composite and its type code.
    void CreateOneParam(const TControlInfo& pInfo, int& pCount, int& pSubCount, int& pSuperType,
                        bool pNoDefaultKeys);
    // What the control table makes of the next parameter entry, of type code pType.
    enum EParamRole {
        paramRolePLAIN,
        paramRoleCOLOR,
        paramRoleFONT,
        paramRoleCOLOR_COMP,
        paramRoleFONT_COMP,
        paramRoleNONE
    };
    // The role of an entry of type code pType; pSubCount and pSuperType as above.
    static EParamRole NextParamRole(int pType, int& pSubCount, int& pSuperType);
    // The row class of a parameter entry, as above; null for a type code of no parameter.
    static TZVParamRow* NewParamRow(const TControlInfo& pInfo, int& pSubCount, int& pSuperType);
    // Throws TError unless the "type" of element pParam, read as parameter pIndex, fits the
    // role the control table gives that parameter.
    void checkParamType(const wxXmlNode* pParam, int pIndex, EParamRole pRole) const;
    // The parameter count, limited to the table actually built.
    size_t ParamLimit() const;
    TZVParamRow* EnabledParamAt(size_t pIndex) const;
    // Counts pCount of pKey at pRow, unless its source is shown under a non-root row.
    static void CountKeyAt(TZVStreamRow* pRow, const TStreamKey& pKey, int pCount,
                           bool pSourceShown);
    // pAction on every parameter row, or on the first GetParamCount() ones.
    template <class TAction> void forEveryParam(TAction pAction) const;
    template <class TAction> void forTheParams(TAction pAction) const;
    // The sequence-edit steps of Shift.
    void moveSelected(long pDelta, TRange& pChanged);
    void removeCopies(TRange& pChanged);
    void placeCopies(TRange& pChanged);
    // UpdateKeyList's passing of this row's own keys.
    void PassOwnKeys(const TUpdateKeyParam& pParam) const;
};
