#include "DLL/Edt/XmlUndoData.h"

#include "ALL/Assert.h"
#include "ALL/Error.h"
#include "DLL/Edt/UndoBuffer.h"
#include "DLL/Edt/XmlBinaryStream.h"

#include <wx/xml/xml.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

static_assert(sizeof(TXmlUndoData) == 20, "the payload starts at offset 20");

namespace {

const wchar_t* const INFO_ATTRIBUTE = L"i";

struct TReleaser {
    void operator()(TXmlUndoData* pRecord) const { TXmlUndoData::Release(pRecord); }
};
typedef std::unique_ptr<TXmlUndoData, TReleaser> TRecordPtr;

bool IsCurrentRecord(const TUndoBuffer& pBuffer, const TUndoer::TUndoData* pRecord) {
    return pBuffer.GetCurrent() != TUndoBuffer::NO_POSITION &&
           pBuffer.GetBlock() + pBuffer.GetCurrent() == reinterpret_cast<const uint8_t*>(pRecord);
}

} // namespace

TXmlUndoData::TXmlUndoData(TUndoer* pOwner, int pAction, const void* pPayload, unsigned int pSize,
                           bool pNeutral) {
    const uint32_t length = uint32_t(sizeof(TXmlUndoData) + pSize);
    aAllocSize = (length + 3) & ~3u;
    aLength = (length & TUndoer::UNDO_LENGTH_MASK) | (pNeutral ? TUndoer::UNDO_NEUTRAL_BIT : 0);
    aBackLink = 0;
    SetUndoer(pOwner);
    aAction = pAction;
    if (pSize != 0)
        std::memcpy(this + 1, pPayload, pSize);
}

TXmlUndoData* TXmlUndoData::Create(TUndoer* pOwner, int pAction, const wxXmlNode* pNode,
                                   bool pNeutral) {
    TXmlNodeToBinaryStream stream;
    stream.convertNode(pNode);
    return Create(pOwner, pAction, stream, pNeutral);
}

TXmlUndoData* TXmlUndoData::Create(TUndoer* pOwner, int pAction,
                                   const TXmlNodeToBinaryStream& pStream, bool pNeutral) {
    if (!IsStorable(pStream))
        return nullptr;
    void* block = std::malloc(sizeof(TXmlUndoData) + pStream.GetSize());
    if (!block)
        return nullptr;
    return new (block) TXmlUndoData(pOwner, pAction, pStream.GetData(),
                                    static_cast<unsigned int>(pStream.GetSize()), pNeutral);
}

void TXmlUndoData::Release(TXmlUndoData* pRecord) {
    std::free(pRecord);
}

bool TXmlUndoData::IsStorable(const TXmlNodeToBinaryStream& pStream) {
    return pStream.IsOk() && pStream.GetSize() <= TUndoer::UNDO_LENGTH_MASK - sizeof(TXmlUndoData);
}

bool TXmlUndoData::Rewrite(TUndoer::TUndoData* pRecord, TUndoBuffer* pBuffer, int pAction,
                           const TXmlNodeToBinaryStream& pStream) {
    // Any other record would be written past the room the buffer has made.
    if (!ZV_ASSERT(IsCurrentRecord(*pBuffer, pRecord)))
        return false;
    if (!pBuffer->Resize(sizeof(TXmlUndoData) + pStream.GetSize()))
        return false;
    // Written in place: a copy made first would be as large as the record.
    TXmlUndoData* record = static_cast<TXmlUndoData*>(pRecord);
    record->aAction = pAction;
    if (pStream.GetSize() != 0)
        std::memcpy(record + 1, pStream.GetData(), pStream.GetSize());
    return true;
}

bool TXmlUndoData::Update(TUndoer*, TUndoBuffer* pBuffer, int pAction, const wxXmlNode* pNode) {
    if (!pBuffer)
        return true;
    TXmlNodeToBinaryStream stream;
    stream.convertNode(pNode);
    return IsStorable(stream) && Rewrite(this, pBuffer, pAction, stream);
}

size_t TXmlUndoData::GetPayloadSize() const {
    return GetLength() < sizeof(TXmlUndoData) ? 0 : GetLength() - sizeof(TXmlUndoData);
}

wxXmlNode* TXmlUndoData::GetRoot() const {
    if (GetLength() < sizeof(TXmlUndoData))
        return nullptr;
    const TBinaryStreamToXmlNode reader(GetPayload(), GetPayloadSize());
    if (reader.getNextMarker() != markerNODE)
        return nullptr;
    wxXmlNode* root = reader.getNodeContent(true);
    if (reader.IsEndOfData()) {
        delete root;
        return nullptr;
    }
    return root;
}

wxXmlNode* TXmlUndoData::GetTree() const {
    if (GetLength() < sizeof(TXmlUndoData))
        return nullptr;
    const TBinaryStreamToXmlNode reader(GetPayload(), GetPayloadSize());
    return reader.getNextTextOrNode(reader.getNextMarker());
}

void TXmlUndoData::SetInfo(wxXmlNode* pNode, const wxString& pInfo) {
    pNode->AddAttribute(INFO_ATTRIBUTE, pInfo);
}

wxString TXmlUndoData::GetInfo(const wxXmlNode* pNode) {
    return pNode ? pNode->GetAttribute(INFO_ATTRIBUTE, wxEmptyString) : wxString();
}

bool TXmlUndoData::RecordAndFreeUndoData(TUndoer* pOwner, TUndoBuffer* pBuffer, int pAction,
                                         bool pNeutral, wxXmlNode* pNode, const wchar_t* pInfo,
                                         TUndoer::TUndoData* pRecord, bool pRecover) {
    if (!pNode)
        return true;
    std::unique_ptr<wxXmlNode> node(pNode);
    if (!pBuffer)
        return true;
    if (pInfo)
        SetInfo(pNode, pInfo);
    if (!pRecord) {
        ZV_ASSERT(!pBuffer->IsUndoing());
        // On failure the node stays the caller's.
        const TRecordPtr record(Create(pOwner, pAction, pNode, pNeutral));
        try {
            if (!record)
                throw TOutOfMemoryError();
            pBuffer->StoreData(*record);
        } catch (...) {
            node.release();
            throw;
        }
        return true;
    }
    TXmlNodeToBinaryStream stream;
    stream.convertNode(pNode);
    return RewriteRecord(pOwner, pBuffer, pAction, stream, pRecord, pRecover);
}

bool TXmlUndoData::RewriteRecord(TUndoer* pOwner, TUndoBuffer* pBuffer, int pAction,
                                 const TXmlNodeToBinaryStream& pStream, TUndoer::TUndoData* pRecord,
                                 bool pRecover) {
    if (!pBuffer)
        return true;
    ZV_ASSERT(pBuffer->IsUndoing());
    if (!IsStorable(pStream))
        return false;
    if (Rewrite(pRecord, pBuffer, pAction, pStream))
        return true;
    if (pRecover)
        if (const TRecordPtr record{Create(pOwner, pAction, pStream, false)})
            TUndoBuffer::Recover(*record);
    return false;
}
