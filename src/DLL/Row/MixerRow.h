// TZVMixerRow: a source row that combines an ordered list of sources (empty and media
// sources, further mixers) into one stream. Its sources' blocks stand below its parameter
// block, front to back. A host-supplied namer may fix the first sources and limit the count.
#pragma once

#include "DLL/Row/SourceRow.h"

class TZVMixerRow : public TZVSourceRow, public TRowRegistry<TZVMixerRow> {
public:
    // The host's rules for a mixer's sources; it must outlive the mixer.
    class TSourceNamer {
    public:
        // The name of the pIndex-th fixed source.
        virtual const wxString& GetSourceName(int pIndex) const = 0;
        // The number of fixed sources at the front of the list.
        virtual int GetSourceCount() const = 0;
        // The most sources the mixer may hold.
        virtual int GetMaxSourceCount() const = 0;

    protected:
        ~TSourceNamer() = default;
    };

    TZVMixerRow() : aIsSourceShown(false), aSourceListHeight(0), aSourceNamer(nullptr) {}
    // Leaves the parent (keys withdrawn), then deletes the sources front to back.
    ~TZVMixerRow() override;

    // The registry's reader, not the stream rows' one.
    using TRowRegistry<TZVMixerRow>::Create;
    int GetBottom() const override;
    // The source part, then "src-list" with "shown" and each source's element.
    wxXmlNode* GetXmlImage() const override;
    void VShift(int pDelta) override;
    void HShift(int pDelta) override;
    void ShowAt(int pTop) override;
    void ListParam(std::list<TZVParamRow*>& pList) override;
    bool ApplyOnVisible(IVisibleRowOperation& pOperation) const override;
    TZVBaseRow* GetRow(int pY) override;
    TZVBaseRow* GetNextRow() const override;
    ERowKind retrieveRowKind() const override;
    // The source part, then "src-list"; throws TError.
    void CreateChildren(const wxXmlNode*& pNode) override;
    // A "source" or "mixer" step names a source; other steps go to the source part.
    TZVBaseRow* GetRow(const wxXmlNode* pStep) override;
    TZVBaseRow* GetRowAfterParam() const override;
    using TZVStreamRow::GetRowAfterParam;
    // pSource's block changed its height by pDelta: the sources after it (from it when
    // pFromSource) move, and the change climbs to the root.
    void ChildSourceGrow(TZVSourceRow* pSource, int pDelta, bool pFromSource) override;
    // Unlinks pSource without deleting it.
    void RemoveSource(TZVSourceRow* pSource) override;
    TZVBaseRow* GetRowAfterSource(const TZVSourceRow* pSource) const override;
    // Inserts pSource before pBefore (at the end for null or a foreign row), shown as the
    // sources are, under a unique name.
    void InsertSource(TZVSourceRow* pSource, const TZVSourceRow* pBefore) override;
    // The AND of this row's answer and every source's; the root skips itself, and a false
    // from the mixer itself stops the walk.
    bool ApplyOperation(IStreamTreeOperation& pOperation) override;
    // The sequence edits go on from the source part into the sources.
    bool SplitJoinAt(long pTime, IUndoCompiler* pUndo, bool pSplit) override;
    bool BeginShift(std::list<TZVStreamRow*>& pRows, TRangeList* pFree, TRangeList* pAll) override;
    bool BeginResize(long pTime, bool pLeft, TRange& pLimits,
                     std::list<TZVStreamRow*>* pRows) override;
    void DeleteSequence(const TRangeList& pSel, TRangeList& pDeleted,
                        IUndoCompiler& pUndo) override;
    // Each source's output: its last filter, else the source.
    void ListSubStream(ISubStreamList& pList) override;
    void ParamGrow(int pDelta) override;
    void UpdateKeyList(TUpdateKeyParam& pParam) const override;
    int GetSourceHeight() const override;
    int GetMaxSourceLevel() const override;
    virtual bool MayInsertSource(const TZVSourceRow* pBefore) const;
    virtual bool MayRemoveSource(const TZVSourceRow* pSource) const;
    // Renames pSource (never the others) to the first free name incName makes from its own.
    virtual void DeconflictSource(TZVSourceRow* pSource);

    // The source after pSource (the first for null); null after the last.
    TZVSourceRow* GetNextSource(const TZVSourceRow* pSource) const;
    // The source before pSource (the last for null); null before the first.
    TZVSourceRow* GetPrevSource(const TZVSourceRow* pSource) const;
    // The position of pSource; the count for null; -1 for a row that is not a source here.
    int GetSourceIndex(const TZVSourceRow* pSource) const;
    // The first source other than pExcept named exactly pName; null when none. Looked up by
    // name, as a walk of the list would answer: between sources of one name, list order.
    TZVSourceRow* findSource(const wxString& pName, const TZVSourceRow* pExcept) const;
    // pSource, a source of this mixer, may bear a new name: files it under that name.
    void RefileSource(TZVSourceRow* pSource);
    // Installs pNamer and creates its fixed empty sources, on a fresh mixer.
    void CreateMinSource(const TSourceNamer* pNamer);
    void ShowSource(bool pState);
    void UpdateSourceKeyList(TUpdateKeyParam& pParam) const;
    void createSourceList(const wxXmlNode* pNode);

    bool aIsSourceShown;
    // The sources front to back; owned.
    std::list<TZVSourceRow*> aSourceChildList;
    // Every source of the list filed under its name, so that finding a source by name, which
    // paths, references and the name rule do for each source, costs no walk of the list. Kept
    // by InsertSource, RemoveSource and the sources' renames (Rename and SetProperties tell
    // the mixer; a name written into aName directly is not seen).
    TSiblingNames aSourceNames;
    // Pixel height of the shown source blocks; 0 while hidden.
    int aSourceListHeight;
    // Not owned; null unless CreateMinSource installed one.
    const TSourceNamer* aSourceNamer;

private:
    bool IsOwnSource(const TZVSourceRow* pSource) const;
};

template <>
const wchar_t* const TRowRegistry<TZVMixerRow>::theNoFactoryFormat;
extern template class TRowRegistry<TZVMixerRow>;
