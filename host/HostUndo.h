// THostUndo: the host's undo compiler and the undoer of its records. Each edit command opens
// an action; the rows' reports become one record per action in the undo buffer, a child per
// report naming its row by path, so that undo and redo replay the images through the rows.
#pragma once

#include "DLL/Edt/Undoer.h"
#include "DLL/Edt/XmlBinaryStream.h"
#include "DLL/Row/BaseRow.h"

#include <wx/string.h>

#include <memory>
#include <vector>

class TRange;
class TUndoBuffer;
class wxXmlNode;

class THostUndo : public TUndoer, public TZVBaseRow::IUndoCompiler {
public:
    // The action code of a record, one per kind of edit command.
    enum EUndoAction {
        undoActionKEY = 1,
        undoActionVALUE,
        undoActionFORMULA,
        undoActionDRAG,
        undoActionSPLIT,
        undoActionJOIN,
        undoActionDELETE,
        undoActionSCALE,
        undoActionDURATION,
        undoActionSETUP
    };

    // Records go to pBuffer (not owned); paths are resolved from the project's root.
    explicit THostUndo(TUndoBuffer& pBuffer);
    ~THostUndo() override;

    // Opens an action labelled pInfo, completing the one open before.
    void BeginAction(EUndoAction pAction, const wxString& pInfo);
    void AddStreamRow(TZVStreamRow* pRow) override;
    void AddParamRow(TZVParamRow* pRow) override;
    // Takes the record of TZVStreamRow::EditSetup (owned; null is ignored).
    void AddSetup(wxXmlNode* pRecord);

    // Drops the open action's record: the edit changed nothing, and completes without one.
    void DropRecord();
    void CompleteAction(TUndoBuffer* pBuffer) override;
    // Whether the last action completed stored a record: an edit that changed nothing
    // leaves none.
    bool Stored() const { return aStored; }
    bool ApplyUndo(TUndoData* pData, TUndoBuffer* pBuffer, bool pRedo) override;
    wxString UndoAction(TUndoData* pData, bool pRedo) override;

    // Applies a parameter image to pRow, recording the opposite: the formula text when
    // pFormula, else the key list. False, with nothing applied, when the keys do not read;
    // a formula text that does not parse is restored as it stands.
    static bool ApplyParamImage(TZVParamRow& pRow, const wxXmlNode& pImage, bool pFormula);
    // Replays a sequence record ("s") range by range, in list order, so that the row's next
    // MakeUndoList is the opposite; pSpan gets the times it covers. False, with nothing
    // replayed, when the record does not read.
    static bool ReplaySequence(TZVStreamRow& pRow, const wxXmlNode& pRecord, TRange& pSpan);

private:
    // Each child of a record: where it starts, just after its marker, and its row.
    typedef std::vector<std::pair<size_t, TZVBaseRow*>> TResolved;
    // Appends pChild (owned; null is ignored) to the open record.
    void AddToRecord(wxXmlNode* pChild);
    // Reads the children of a record's root from pReader, pFirst the marker after the root's
    // head, and finds their rows; false when one does not read or its path no longer
    // resolves to a row of the child's kind.
    static bool Resolve(const TBinaryStreamToXmlNode& pReader, EMarkerKind pFirst,
                        TResolved& pRows);
    // Applies one child, freeing it, and returns the opposite one (owned), null when it is
    // empty.
    static wxXmlNode* ApplyChild(std::unique_ptr<wxXmlNode> pChild, TZVBaseRow* pRow);
    static wxXmlNode* ApplyParam(wxXmlNode& pChild, TZVParamRow& pRow);
    static wxXmlNode* ApplyStream(wxXmlNode& pChild, TZVStreamRow& pRow);
    static wxXmlNode* ApplySetup(wxXmlNode* pChild, TZVStreamRow& pRow);
    // The row's undo image as a child holding first pPath, the path an applied child named
    // the row by, or when null the row's path; null when the image is empty.
    static wxXmlNode* TakeParamImage(TZVParamRow& pRow, std::unique_ptr<wxXmlNode> pPath);
    static wxXmlNode* TakeStreamImage(TZVStreamRow& pRow, bool pScaled,
                                      std::unique_ptr<wxXmlNode> pPath);
    static wxXmlNode* MakeChild(const wxString& pName, TZVBaseRow& pRow, wxXmlNode* pImage,
                                std::unique_ptr<wxXmlNode> pPath);
    // Takes the path out of an applied child: it names the row in the opposite one too,
    // which saves building it again.
    static std::unique_ptr<wxXmlNode> TakePath(wxXmlNode& pChild);

    TUndoBuffer& aBuffer;
    std::unique_ptr<wxXmlNode> aRecord;
    // The record's last child, where the next one goes.
    wxXmlNode* aLast = nullptr;
    wxString aInfo;
    EUndoAction aAction = undoActionKEY;
    bool aScaled = false;
    bool aStored = false;
};
