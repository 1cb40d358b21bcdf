// TXmlUndoData: the undo record of the editors: a TUndoer::TUndoData header, the owner's
// action code and an XML subtree in the compact form of XmlBinaryStream.h. The root element
// carries the record's info text (the description given when the action was recorded) in the
// attribute "i".
#pragma once

#include "DLL/Edt/Undoer.h"

#include <wx/string.h>

class TUndoBuffer;
class TXmlNodeToBinaryStream;
class wxXmlNode;

class TXmlUndoData : public TUndoer::TUndoData {
public:
    // Action code chosen by the owner; the payload follows it.
    int32_t aAction;

    // Fills a raw block of exactly sizeof(TXmlUndoData) + pSize bytes: the header (length
    // 20 + pSize, which must fit in 27 bits; allocation rounded up to 4), the action and a
    // copy of the payload.
    TXmlUndoData(TUndoer* pOwner, int pAction, const void* pPayload, unsigned int pSize,
                 bool pNeutral);

    // A new record holding pNode's tree (released by the caller with Release); null when the
    // block cannot be allocated or the record would exceed the 27-bit length.
    static TXmlUndoData* Create(TUndoer* pOwner, int pAction, const wxXmlNode* pNode,
                                bool pNeutral);
    // The same with the tree already written to pStream; null too when pStream is in error.
    static TXmlUndoData* Create(TUndoer* pOwner, int pAction, const TXmlNodeToBinaryStream& pStream,
                                bool pNeutral);
    // Releases a record made by Create; null is allowed.
    static void Release(TXmlUndoData* pRecord);

    // Rewrites this record, the one pBuffer is applying, with pNode's tree; the header keeps
    // its neutral bit and links. False, with the record unchanged, when it no longer fits
    // (pBuffer then may have dropped it with every older record). True without change when
    // pBuffer is null (the record is being recovered).
    bool Update(TUndoer* pOwner, TUndoBuffer* pBuffer, int pAction, const wxXmlNode* pNode);

    // The root element with its attributes and no children (owned by the caller); null when
    // the payload does not start with a complete element head.
    wxXmlNode* GetRoot() const;
    // The whole stored tree (owned by the caller); null when the payload is incomplete.
    wxXmlNode* GetTree() const;
    // The stored tree's bytes, for a reader that takes it in parts.
    const uint8_t* GetPayload() const { return reinterpret_cast<const uint8_t*>(this + 1); }
    size_t GetPayloadSize() const;

    // Adds the attribute "i" (an add, not a replace).
    static void SetInfo(wxXmlNode* pNode, const wxString& pInfo);
    // The attribute "i"; empty when absent.
    static wxString GetInfo(const wxXmlNode* pNode);

    // Records pNode and destroys it. Without a record: stores a new record in pBuffer and
    // returns true (TError from the store propagates, and pNode stays the caller's). With
    // pRecord, the record pBuffer is applying: rewrites it as Update does; when it no longer
    // fits returns false and, with pRecover, has the owner redo the new tree at once through
    // TUndoBuffer::Recover. A null pNode does nothing; a null pBuffer only destroys pNode.
    // pInfo (may be null) is added to pNode as "i" first.
    static bool RecordAndFreeUndoData(TUndoer* pOwner, TUndoBuffer* pBuffer, int pAction,
                                      bool pNeutral, wxXmlNode* pNode, const wchar_t* pInfo,
                                      TUndoer::TUndoData* pRecord, bool pRecover);
    // The rewrite of pRecord that RecordAndFreeUndoData makes, from a tree already written
    // (with its "i") to pStream; false too when pStream is in error.
    static bool RewriteRecord(TUndoer* pOwner, TUndoBuffer* pBuffer, int pAction,
                              const TXmlNodeToBinaryStream& pStream, TUndoer::TUndoData* pRecord,
                              bool pRecover);

private:
    // Whether pStream makes a record: not in error, its length within 27 bits.
    static bool IsStorable(const TXmlNodeToBinaryStream& pStream);
    // Resizes pBuffer's current record, which must be pRecord, to pStream and writes pAction
    // and pStream's bytes into it.
    static bool Rewrite(TUndoer::TUndoData* pRecord, TUndoBuffer* pBuffer, int pAction,
                        const TXmlNodeToBinaryStream& pStream);
};
