// The host's undo round of a parameter row's key edit, without the undo buffer and without
// test checks: the row's image is taken into an element, stored as an undo record and read
// back from it, then applied with the opposite image recorded. Likewise the replay of a
// stream row's sequence record, and of a whole tree edit. Header only, so that fuzz
// targets can use it too.
#pragma once

#include "DLL/Bas/ABCFormulaSortList.h"
#include "DLL/Edt/XmlUndoData.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/StreamRow.h"
#include "DLL/Row/ZVFormula.h"
#include "HostUndo.h"

#include <wx/xml/xml.h>

#include <algorithm>
#include <memory>
#include <vector>

// The row's undo image after a trip through a stored record; the record is cleared. Null
// when the record cannot be stored.
inline std::unique_ptr<wxXmlNode> StoredUndoImage(TZVParamRow& pRow) {
    wxXmlNode element(wxXML_ELEMENT_NODE, L"param");
    pRow.MakeUndoImage(&element);
    TXmlUndoData* record = TXmlUndoData::Create(nullptr, 0, &element, false);
    if (!record)
        return nullptr;
    std::unique_ptr<wxXmlNode> tree(record->GetTree());
    TXmlUndoData::Release(record);
    return tree;
}

// Applies the key list or the formula text of pImage to pRow, recording the opposite; false
// (nothing applied) when the image does not read.
inline bool ApplyStoredImage(TZVParamRow& pRow, const wxXmlNode& pImage) {
    const wxXmlNode* child = pImage.GetChildren();
    const bool formula = child && child->GetType() == wxXML_TEXT_NODE;
    if (formula) {
        TZVFormula text(&pRow);
        if (!text.ValueFromXml(&pImage, pRow.aTypeDef))
            return false;
    }
    return THostUndo::ApplyParamImage(pRow, pImage, formula);
}

// The host's replay of a stream row's sequence record ("s"). False, with nothing replayed,
// when the record does not read.
inline bool ReplaySequenceRecord(TZVStreamRow& pRow, const wxXmlNode& pRecord) {
    TRange span;
    return THostUndo::ReplaySequence(pRow, pRecord, span);
}

// The host's undo compiler of a tree edit: the rows told, each once, in the order told.
class TTreeUndo : public TZVBaseRow::IUndoCompiler {
public:
    void AddStreamRow(TZVStreamRow* pRow) override {
        if (std::find(aStreams.begin(), aStreams.end(), pRow) == aStreams.end())
            aStreams.push_back(pRow);
    }
    void AddParamRow(TZVParamRow* pRow) override {
        if (std::find(aParams.begin(), aParams.end(), pRow) == aParams.end())
            aParams.push_back(pRow);
    }

    // Takes every told row's record and replays it, as the host's undoer does: the edit is
    // undone (or an undone one redone) and the rows hold the opposite record. False when a
    // record does not read.
    bool Replay() {
        std::vector<std::unique_ptr<wxXmlNode>> sequences;
        std::vector<std::unique_ptr<wxXmlNode>> keys;
        for (TZVStreamRow* row : aStreams)
            sequences.emplace_back(row->MakeUndoList());
        for (TZVParamRow* row : aParams)
            keys.push_back(StoredUndoImage(*row));
        bool read = true;
        for (size_t i = 0; i < aStreams.size(); ++i)
            if (sequences[i])
                read = ReplaySequenceRecord(*aStreams[i], *sequences[i]) && read;
        for (size_t i = 0; i < aParams.size(); ++i)
            read = keys[i] && ApplyStoredImage(*aParams[i], *keys[i]) && read;
        return read;
    }

    std::vector<TZVStreamRow*> aStreams;
    std::vector<TZVParamRow*> aParams;
};
