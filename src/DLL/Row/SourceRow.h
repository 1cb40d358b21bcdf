// TZVSourceRow: a stream row that feeds a mixer or, as a mask, a filter. It carries a filter
// chain drawn bottom-up above its own row: the first filter right above the row, the last at
// the top. TZVSimpleSourceRow is every source that is not a mixer, with its registry of
// sub-types; TZVEmptySourceRow ("Empty") is the source without a medium.
#pragma once

#include "DLL/Row/RowRegistry.h"
#include "DLL/Row/SiblingNames.h"
#include "DLL/Row/StreamRow.h"

#include <list>

class TZVFilterRow;
class TZVMixerRow;

class TZVSourceRow : public TZVStreamRow {
public:
    TZVSourceRow() : aIsFilterShown(false), aFilterListHeight(0) {}
    // Leaves the parent (keys withdrawn), then deletes the filters.
    ~TZVSourceRow() override;

    wxIcon* GetRoleIcon() const override;
    // The stream part, then "fltr-list" with "shown" and each filter's element.
    wxXmlNode* GetXmlImage() const override;
    void VShift(int pDelta) override;
    void HShift(int pDelta) override;
    // pTop is the top of the source's block: the shown filters, then the row.
    void ShowAt(int pTop) override;
    void ListParam(std::list<TZVParamRow*>& pList) override;
    bool ApplyOnVisible(IVisibleRowOperation& pOperation) const override;
    TZVBaseRow* GetRow(int pY) override;
    TZVBaseRow* GetNextRow() const override;
    // Only the last source of a mixer answers: its mixer or the source before it.
    TZVBaseRow* GetPrevModRow() const override;
    // Unique among the mixer's sources, which files the row under it; a mask keeps its name.
    void DeconflictName() override;
    // The stream part, then "fltr-list"; throws TError.
    void CreateChildren(const wxXmlNode*& pNode) override;
    void AttachParent(TZVStreamRow* pParent, const TZVStreamRow* pBefore) override;
    // A "filter" step names a filter by its name; other steps go to the stream part.
    TZVBaseRow* GetRow(const wxXmlNode* pStep) override;
    TZVBaseRow* GetRowAfterParam() const override;
    using TZVStreamRow::GetRowAfterParam;
    TZVBaseRow* GetTopRow() const override;
    TZVBaseRow* GetRowAfter() const override;
    TZVStreamRow* GetNextSibling() override;
    void Detach() override;
    // This row, then its filters when it answered true.
    bool ApplyOperation(IStreamTreeOperation& pOperation) override;
    // The sequence edits go on into the filters as the stream part allows; a shift gives
    // each filter the stream-row part alone, so it does not reach a filter's mask.
    bool SplitJoinAt(long pTime, IUndoCompiler* pUndo, bool pSplit) override;
    bool BeginShift(std::list<TZVStreamRow*>& pRows, TRangeList* pFree, TRangeList* pAll) override;
    bool BeginResize(long pTime, bool pLeft, TRange& pLimits,
                     std::list<TZVStreamRow*>* pRows) override;
    void DeleteSequence(const TRangeList& pSel, TRangeList& pDeleted,
                        IUndoCompiler& pUndo) override;
    // A source has no inputs.
    void ListSubStream(ISubStreamList& pList) override;
    bool MustKeep() const override;
    void ParamGrow(int pDelta) override;
    void UpdateKeyList(TUpdateKeyParam& pParam) const override;
    // Height the source takes in its parent: filters, row, parameters (and a mixer's sources).
    virtual int GetSourceHeight() const;
    virtual int GetMaxSourceLevel() const;

    // Links pFilter in front of pBefore (at the end for null or a foreign filter) under a
    // unique name; on screen it stands right below pBefore's block, or at the top.
    void InsertFilter(TZVFilterRow* pFilter, const TZVFilterRow* pBefore);
    // Unlinks pFilter without deleting it.
    void RemoveFilter(TZVFilterRow* pFilter);
    void ShowFilter(bool pState);
    // The block of the filter at pPos changed its height by pDelta.
    void FilterGrow(std::list<TZVFilterRow*>::iterator pPos, int pDelta);
    TZVFilterRow* GetNextFilter(const TZVFilterRow* pFilter) const;
    TZVFilterRow* GetPrevFilter(const TZVFilterRow* pFilter) const;
    // The row shown right below the block of the filter at pPos.
    TZVBaseRow* GetRowAfterFilter(std::list<TZVFilterRow*>::const_iterator pPos) const;
    // The first filter other than pExcept named exactly pName; null when none.
    TZVFilterRow* findFilter(const wxString& pName, const TZVFilterRow* pExcept) const;
    // pFilter, a filter of this chain, may bear a new name: files it under that name and
    // renames it (never the others) to the first free name incName makes from its own.
    void DeconflictFilter(TZVFilterRow* pFilter);
    void updateFilterKeyList(TUpdateKeyParam& pParam) const;
    // Reads the row's children from its element pElement; on a throw the row deletes itself
    // and the exception goes on.
    TZVSourceRow* CreateAllChildren(const wxXmlNode* pElement);
    void createFilterList(const wxXmlNode* pNode);
    // The mixer holding the source; null for a mask or an unlinked source.
    TZVMixerRow* GetParentMixer() const;

    // pBase with k added to its trailing digit run (kept at least as wide), or with "-k"
    // appended when it ends in no digit ('0' to '9').
    static wxString incName(const wxString& pBase, int pK);
    static bool isParentShowSource(const TZVMixerRow* pParent);
    // A source read from pElement ("source" or "mixer") with its children, inserted into
    // pParent (when given) before pBefore. Throws TError; nothing half-built is left.
    static TZVSourceRow* Create(const wxXmlNode*& pElement, TZVStreamRow* pParent,
                                TZVSourceRow* pBefore);

    bool aIsFilterShown;
    // Pixel height of the shown filter blocks above the row; 0 while hidden.
    int aFilterListHeight;
    // The filters in chain order; owned.
    std::list<TZVFilterRow*> aFilterChildList;
    // Every filter of the chain filed under its name, for the name rule. Kept by InsertFilter,
    // RemoveFilter and the filters' renames.
    TSiblingNames aFilterNames;
    // The source's place in its mixer's list, set by the mixer.
    std::list<TZVSourceRow*>::iterator aListPos;

protected:
    // Takes the row's keys and its shown children's out of its ancestors and unlinks it from
    // its parent; the first step of every container's destructor, while the row is whole.
    void LeaveParent();

private:
    // Moves the filters from pFrom to the end of the chain by pDelta.
    void ShiftFiltersFrom(std::list<TZVFilterRow*>::iterator pFrom, int pDelta);
    // The parent's ChildSourceGrow for a change of this row's block.
    void TellParentGrow(int pDelta);
};

class TZVSimpleSourceRow : public TZVSourceRow, public TRowRegistry<TZVSimpleSourceRow> {
public:
    // The registry's reader, not the stream rows' one.
    using TRowRegistry<TZVSimpleSourceRow>::Create;
    ~TZVSimpleSourceRow() override;
    ERowKind retrieveRowKind() const override;
    wxIcon* GetSrcRoleIcon(const TZVSourceRow* pSource) const override;
};

template <>
const wchar_t* const TRowRegistry<TZVSimpleSourceRow>::theNoFactoryFormat;
extern template class TRowRegistry<TZVSimpleSourceRow>;

// A source without medium, parameters or setups.
class TZVEmptySourceRow : public TZVSimpleSourceRow {
public:
    // A bare row, for the factory.
    TZVEmptySourceRow() = default;
    // A complete row named pName, inserted into pParent before pBefore.
    TZVEmptySourceRow(const wxString& pName, TZVMixerRow* pParent, const TZVStreamRow* pBefore);
    ~TZVEmptySourceRow() override;

    const wxString& GetSubType() const override;
    wxIcon* GetTypeIcon() const override;
    // As the parent's; false without one.
    bool HasVideo() const override;
    IZVStreamDisplayInfo* GetDisplayInfo() const override;
    int GetParamCount() const override;
    int GetSetupCount() const override;
    int GetControlCount() const override;
    int GetParamControl(int pIndex) const override;
    int GetSetupControl(int pIndex) const override;
    const TControlInfo* GetControlTab() const override;
    wxIcon* GetParamTypeIcon(int pIndex) const override;

    static wxIcon* GetIcon();

    static wxString TheSubType;
    static IZVStreamDisplayInfo* theDisplayInfo;
    static bool theHasVideoFlag;
    // No entries; sized 1 so the factory has somewhere to point.
    static int theParamControlIndexTab[1];
    static int theSetupControlIndexTab[1];
};
