// Sequence edits on a small tree read from the input: a mixer holding a clip whose filter has
// a clip as its mask, and a second clip, all with the same sequences (gaps or touching) and
// keyed clip parameters. Shift and copy-shift drags at the mixer, the clip or the filter,
// resize drags on either edge, splits, joins, deletes, duration edits and parameter resize
// drags, each ended, then undone and redone through the rows' records: the whole tree's XML
// equals the snapshots, the sequences stay sorted and apart, as after scaling, and every row's
// keys equal a recount. Distances stay within the limits the
// rows give, as the host keeps them.
#include "DLL/Row/FilterRow.h"
#include "DLL/Row/MixerRow.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/SourceRow.h"

#include "DLL/Ctl/TimeSelection.h"
#include "FuzzInput.h"
#include "support/FakeRows.h"
#include "support/ParamUndoRound.h"
#include "support/SegmentCheck.h"
#include "support/TestContainerRows.h"

#include <wx/sstream.h>
#include <wx/xml/xml.h>

#include <algorithm>
#include <list>
#include <memory>
#include <string>
#include <vector>

namespace {

// A key drag that finds nothing to lift.
const TExpectedAsserts theExpected{"!TempList.empty()"};

wxXmlNode* Parse(const wxString& pText) {
    wxStringInputStream input(pText);
    wxXmlDocument document(input);
    return document.DetachRoot();
}

bool Inside(const TRangeList& pRanges, long pDistance) {
    for (const TRange& range : pRanges)
        if (range.aBegin <= pDistance && pDistance < range.aEnd)
            return true;
    return false;
}

class TTree {
public:
    explicit TTree(TFuzzInput& pInput) : aRoot(MakeTestRoot()) {
        wxString sequences = L"<seq-list>";
        long begin = 0;
        for (int i = 0, count = 1 + pInput.Byte() % 3; i < count; ++i) {
            const long end = begin + 1 + long(pInput.Byte() % 60);
            sequences += wxString::Format(L"<seg begin=\"%ld\" end=\"%ld\"/>", begin, end);
            begin = end + long(pInput.Byte() % 3) * long(pInput.Byte() % 20);
        }
        sequences += L"</seq-list>";
        const std::unique_ptr<wxXmlNode> node(
            Parse(FilteredMixerXml(sequences, ClipXml(L"B", sequences))));
        const wxXmlNode* element = node.get();
        aMixer = static_cast<TZVMixerRow*>(TZVStreamRow::Create(element, aRoot.get(), nullptr));
        TZVSourceRow* const a = aMixer->aSourceChildList.front();
        TZVFilterRow* const f = a->aFilterChildList.front();
        aRows = {aMixer, a, f, f->aMask, aMixer->aSourceChildList.back()};
        // A few bytes shape every row's keys, so that most of the input goes to the edits.
        const uint64_t shape = pInput.Take<uint64_t>();
        unsigned turn = 0;
        for (TZVStreamRow* row : aRows)
            for (TZVParamRow* param : row->aParamTab)
                Key(shape, turn, *param, row->aSequenceList);
    }
    // Each sequence in one or two touching segments, straight or curved.
    static void Key(uint64_t pShape, unsigned& pTurn, TZVParamRow& pParam,
                    const TRangeList& pSequences) {
        const auto byte = [&] { return unsigned(pShape >> (8 * (pTurn++ % 8))) & 0xFF; };
        for (const TRange& sequence : pSequences) {
            const long cut = sequence.aBegin + long(byte()) % (sequence.aEnd - sequence.aBegin);
            for (const TRange& piece : {TRange(sequence.aBegin, cut), TRange(cut, sequence.aEnd)}) {
                if (piece.IsEmpty())
                    continue;
                TABCFormula segment(piece.aBegin, TVariant(double(byte() % 8)), piece.aEnd);
                segment.c = double(int(byte()) - 128) / 256.0;
                segment.b = byte() % 4 == 0 ? 1e-3 : 0.0;
                pParam.insertFormula(segment, nullptr, false);
            }
        }
    }
    wxXmlNode* Xml() const { return aMixer->GetXmlImage(); }
    // The row's keys as fresh rows holding the same segments count them: its own, those of
    // its filters and those of a filter's mask.
    static void AddKeys(const TZVStreamRow& pRow, TFakeStreamRow& pCount) {
        for (const TZVParamRow* param : pRow.aParamTab)
            AddSegmentCopy(pCount, *param, param->aIsEnabled);
        if (const TZVSourceRow* source = dynamic_cast<const TZVSourceRow*>(&pRow))
            for (const TZVFilterRow* filter : source->aFilterChildList)
                AddKeys(*filter, pCount);
        if (const TZVFilterRow* filter = dynamic_cast<const TZVFilterRow*>(&pRow))
            if (filter->aMask)
                AddKeys(*filter->aMask, pCount);
    }
    static std::string Recount(const TZVStreamRow& pRow) {
        TFakeStreamRow count;
        AddKeys(pRow, count);
        return KeyText(count.aKeyList);
    }
    // Nor does it leave a row without sequences, which a drag at a filter could make possible.
    bool KeepsASequence(const TRange& pSelection) const {
        for (TZVStreamRow* row : aRows)
            if (std::all_of(row->aSequenceList.begin(), row->aSequenceList.end(),
                            [&](const TRange& pSequence) {
                                return pSelection.aBegin <= pSequence.aBegin &&
                                       pSequence.aEnd <= pSelection.aEnd;
                            }))
                return false;
        return true;
    }
    void CheckSequences() const {
        for (TZVStreamRow* row : aRows) {
            long end = -2147483647L - 1;
            for (const TRange& sequence : row->aSequenceList) {
                Require(sequence.aBegin < sequence.aEnd && sequence.aBegin >= end);
                end = sequence.aEnd;
            }
            for (TZVParamRow* param : row->aParamTab)
                Require(SegmentFault(*param).empty());
            Require(KeyText(row->aKeyList) == Recount(*row));
        }
    }

    TFakeProject aProject;
    std::unique_ptr<TTestMixerRow> aRoot;
    TZVMixerRow* aMixer;
    std::vector<TZVStreamRow*> aRows;
    TTreeUndo aUndo;
};

void ShiftDrag(TFuzzInput& pInput, TTree& pTree, TFakeTimeSelection& pSelection) {
    TZVStreamRow* start = pTree.aRows[pInput.Byte() % 3];
    const long begin = long(pInput.Byte() % 200);
    pSelection.aRanges.assign({TRange(begin, begin + 1 + long(pInput.Byte() % 200))});
    const bool copy = pInput.Byte() % 2;
    std::list<TZVStreamRow*> rows;
    TRangeList free, all;
    if (!start->BeginShift(rows, &free, &all))
        return;
    for (unsigned steps = 1 + pInput.Byte() % 4; steps; --steps) {
        const long distance = long(int(pInput.Byte()) - 128);
        if (!Inside(copy ? all : free, distance))
            for (TZVStreamRow* row : rows)
                row->Shift(int(distance), copy);
    }
    for (TZVStreamRow* row : rows)
        row->EndShift(pTree.aUndo);
}

void ResizeDrag(TFuzzInput& pInput, TTree& pTree) {
    const TRangeList& sequences = pTree.aMixer->aSequenceList;
    std::vector<long> edges;
    for (const TRange& sequence : sequences)
        edges.insert(edges.end(), {sequence.aBegin, sequence.aEnd});
    // Scaling may have shrunk every sequence away.
    if (edges.empty())
        return;
    const long time = edges[pInput.Byte() % edges.size()];
    std::list<TZVStreamRow*> rows;
    TRange limits(-100000, 100000);
    if (!pTree.aMixer->BeginResize(time, pInput.Byte() % 2, limits, &rows))
        return;
    long last = 0;
    for (unsigned steps = 1 + pInput.Byte() % 4; steps; --steps) {
        const long distance = long(int(pInput.Byte()) - 128);
        if (distance != last && limits.aBegin <= distance && distance <= limits.aEnd) {
            for (TZVStreamRow* row : rows)
                row->Resize(distance);
            last = distance;
        }
    }
    for (TZVStreamRow* row : rows)
        row->EndShift(pTree.aUndo);
}

void ParamResizeDrag(TFuzzInput& pInput, TTree& pTree) {
    TZVParamRow& param = *pTree.aRows[1]->aParamTab[pInput.Byte() % 3];
    const bool end = pInput.Byte() % 2;
    param.BeginResize(end, long(pInput.Byte() % 200));
    long last = 0;
    for (unsigned steps = 1 + pInput.Byte() % 4; steps; --steps) {
        const long distance = long(int(pInput.Byte()) - 128);
        if (distance != last)
            param.Resize(distance, last);
        last = distance;
    }
    if (last < 0)
        param.EndLeftResize();
    pTree.aUndo.AddParamRow(&param);
}

// Scaling is undone by the host's own means, not by the records: only its result is checked.
void Scale(TFuzzInput& pInput, TTree& pTree) {
    const double factors[] = {0.5, 2.0, 0.3, 1.7};
    const double factor = pInput.Pick(factors);
    for (TZVStreamRow* row : pTree.aRows)
        row->ScaleTime(factor, pTree.aUndo);
}

// The host sets a duration only while a row holds one sequence from 0.
void Duration(TFuzzInput& pInput, TTree& pTree) {
    const long duration = 1 + long(pInput.Byte() % 250);
    for (TZVStreamRow* row : pTree.aRows)
        if (row->aSequenceList.size() == 1 && row->aSequenceList.front().aBegin == 0)
            row->SetDuration(duration, pTree.aUndo);
}

// False for an edit whose records are not replayed.
bool Edit(TFuzzInput& pInput, TTree& pTree, TFakeTimeSelection& pSelection) {
    switch (pInput.Byte() % 8) {
    case 0:
        ShiftDrag(pInput, pTree, pSelection);
        break;
    case 1:
        ResizeDrag(pInput, pTree);
        break;
    case 2:
    case 3:
        pTree.aMixer->SplitJoinAt(long(pInput.Byte() % 250), &pTree.aUndo, pInput.Byte() % 2);
        break;
    case 4: {
        // The host keeps one sequence: the first is never selected.
        if (pTree.aMixer->aSequenceList.empty())
            break;
        const long begin = pTree.aMixer->aSequenceList.front().aEnd;
        TRangeList selection, deleted;
        selection.push_back(TRange(begin, begin + long(pInput.Byte() % 250)));
        if (pTree.KeepsASequence(selection.front()))
            pTree.aMixer->DeleteSequence(selection, deleted, pTree.aUndo);
        break;
    }
    case 5:
        ParamResizeDrag(pInput, pTree);
        break;
    case 6:
        Duration(pInput, pTree);
        break;
    default:
        Scale(pInput, pTree);
        return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    TFuzzInput input(pData, pSize);
    TTree tree(input);
    TFakeTimeSelection selection;
    for (int edits = 0; edits < 4 && !input.Empty(); ++edits) {
        const std::unique_ptr<wxXmlNode> before(tree.Xml());
        const bool replayed = Edit(input, tree, selection);
        tree.CheckSequences();
        if (replayed) {
            const std::unique_ptr<wxXmlNode> after(tree.Xml());
            Require(tree.aUndo.Replay());
            tree.CheckSequences();
            Require(SameXml(std::unique_ptr<wxXmlNode>(tree.Xml()).get(), before.get()));
            Require(tree.aUndo.Replay());
            Require(SameXml(std::unique_ptr<wxXmlNode>(tree.Xml()).get(), after.get()));
        }
        tree.aUndo = TTreeUndo();
        // The rows' records of the redo are the host's to keep: dropped here.
        for (TZVStreamRow* row : tree.aRows) {
            delete row->MakeUndoList();
            for (TZVParamRow* param : row->aParamTab) {
                wxXmlNode element(wxXML_ELEMENT_NODE, L"param");
                param->MakeUndoImage(&element);
            }
        }
    }
    return 0;
}
