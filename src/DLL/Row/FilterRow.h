// TZVFilterRow: one link of a source row's filter chain. It may hold a mask, a whole source
// row, shown in a block directly above the filter's own row. Concrete filters come from other
// modules: they derive from TZVAudioFilterRow or TZVVideoFilterRow and register a factory.
#pragma once

#include "DLL/Row/RowRegistry.h"
#include "DLL/Row/StreamRow.h"

#include <list>

class TZVSourceRow;

class TZVFilterRow : public TZVStreamRow, public TRowRegistry<TZVFilterRow> {
public:
    TZVFilterRow() : aMask(nullptr), aMaskHeight(0), aIsMaskShown(false) {}
    // Leaves the parent source (its keys withdrawn), then deletes the mask.
    ~TZVFilterRow() override;

    wxIcon* GetRoleIcon() const override;
    // The stream part, then "mask" with "shown" and the mask's element when there is one.
    wxXmlNode* GetXmlImage() const override;
    void VShift(int pDelta) override;
    // A shift of 0 does nothing at all.
    void HShift(int pDelta) override;
    // pTop is the top of the filter's block: the shown mask first, then the filter's row.
    void ShowAt(int pTop) override;
    void ListParam(std::list<TZVParamRow*>& pList) override;
    bool ApplyOnVisible(IVisibleRowOperation& pOperation) const override;
    TZVBaseRow* GetRow(int pY) override;
    TZVBaseRow* GetNextRow() const override;
    TZVBaseRow* GetPrevModRow() const override;
    void DeconflictName() override;
    ERowKind retrieveRowKind() const override;
    // The stream part, then "mask"; throws TError for a missing or bad mask element.
    void CreateChildren(const wxXmlNode*& pNode) override;
    // Inserts the filter into pParent's chain, in front of pBefore when it is a filter there.
    // A parent that is not a source row is reported and left alone.
    void AttachParent(TZVStreamRow* pParent, const TZVStreamRow* pBefore) override;
    wxIcon* GetSrcRoleIcon(const TZVSourceRow* pSource) const override;
    // A null step gives the filter, "param" its parameter, any other step names the mask.
    TZVBaseRow* GetRow(const wxXmlNode* pStep) override;
    TZVBaseRow* GetRowAfterParam() const override;
    using TZVStreamRow::GetRowAfterParam;
    TZVBaseRow* GetTopRow() const override;
    TZVBaseRow* GetRowAfter() const override;
    TZVStreamRow* GetNextSibling() override;
    // Withdraws the filter's keys from its parent and unlinks it; the mask stays.
    void Detach() override;
    // The mask slots: only the mask, only at the end.
    void ChildSourceGrow(TZVSourceRow* pSource, int pDelta, bool pFromSource) override;
    void RemoveSource(TZVSourceRow* pSource) override;
    TZVBaseRow* GetRowAfterSource(const TZVSourceRow* pSource) const override;
    void InsertSource(TZVSourceRow* pSource, const TZVSourceRow* pBefore) override;
    // This filter, then the mask when the filter answered true.
    bool ApplyOperation(IStreamTreeOperation& pOperation) override;
    // The sequence edits go on into the mask; a split or join whatever this row answered.
    bool SplitJoinAt(long pTime, IUndoCompiler* pUndo, bool pSplit) override;
    bool BeginShift(std::list<TZVStreamRow*>& pRows, TRangeList* pFree,
                    TRangeList* pAll) override;
    bool BeginResize(long pTime, bool pLeft, TRange& pLimits,
                     std::list<TZVStreamRow*>* pRows) override;
    void DeleteSequence(const TRangeList& pSel, TRangeList& pDeleted,
                        IUndoCompiler& pUndo) override;
    // The filter's input (the filter before it, or the source), then the mask's output.
    void ListSubStream(ISubStreamList& pList) override;
    void ParamGrow(int pDelta) override;
    void UpdateKeyList(TUpdateKeyParam& pParam) const override;
    // The registry's reader, not the stream rows' one.
    using TRowRegistry<TZVFilterRow>::Create;
    // Whether the filter takes a mask.
    virtual bool AllowMask() const = 0;

    // Reads the filter's children from its element pElement; on a throw the filter deletes
    // itself and the exception goes on.
    TZVFilterRow* CreateAllChildren(const wxXmlNode* pElement);
    void ShowMask(bool pState);
    // The source whose chain holds the filter; null when unlinked.
    TZVSourceRow* GetParentSource() const;
    static bool isParentShowFilter(const TZVSourceRow* pParent);

    // Height of the whole block: mask, row and parameters.
    int GetBlockHeight() const { return aMaskHeight + aHeight + aParamHeight; }

    // The mask, owned; null when none.
    TZVSourceRow* aMask;
    // Pixel height of the shown mask block; 0 while hidden or without a mask.
    int aMaskHeight;
    bool aIsMaskShown;
    // The filter's place in its source's chain, set by the source.
    std::list<TZVFilterRow*>::iterator aListPos;
};

template <>
const wchar_t* const TRowRegistry<TZVFilterRow>::theNoFactoryFormat;
extern template class TRowRegistry<TZVFilterRow>;

class TZVAudioFilterRow : public TZVFilterRow {
public:
    ~TZVAudioFilterRow() override;
    // False: a sound filter takes no mask.
    bool AllowMask() const override;
};

class TZVVideoFilterRow : public TZVFilterRow {
public:
    ~TZVVideoFilterRow() override;
    bool AllowMask() const override;
};
