// Key edits of a parameter row (key deletion, split, key editing and key values) with their
// undo image stored as an undo record, against storing the whole edited row instead (its XML
// image in the compact stream form). The row sits in a stream three levels deep, so every key
// change climbs two ancestors.
#include "DLL/Edt/XmlUndoData.h"

#include "SegmentedParam.h"

#include <wx/xml/xml.h>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

class TNoUndo : public TZVBaseRow::IUndoCompiler {
public:
    void AddStreamRow(TZVStreamRow*) override {}
    void AddParamRow(TZVParamRow*) override {}
};

class TDeepRow {
public:
    explicit TDeepRow(long pSegments) {
        aTop.MakeRoot();
        aMiddle.SetParent(&aTop, false);
        aLeaf.SetParent(&aMiddle, false);
        aRow = AddSegmentedParam(aLeaf, pSegments, 0.01,
                                 [](long pIndex) { return double(pIndex % 7); });
        aMiddleKey = pSegments / 2 * 10;
    }
    // The image of the edit, stored; the record's size keeps the work observable.
    size_t StoreImage() {
        wxXmlNode element(wxXML_ELEMENT_NODE, L"param");
        aRow->MakeUndoImage(&element);
        TXmlUndoData* record = TXmlUndoData::Create(nullptr, 0, &element, false);
        const size_t size = record ? 1 : 0;
        TXmlUndoData::Release(record);
        return size;
    }
    size_t StoreRow() {
        const std::unique_ptr<wxXmlNode> image(aRow->GetXmlImage());
        TXmlUndoData* record = TXmlUndoData::Create(nullptr, 0, image.get(), false);
        const size_t size = record ? 1 : 0;
        TXmlUndoData::Release(record);
        aRow->aUndoList.clear();
        return size;
    }
    // Puts the edited segments back, unrecorded.
    void Restore(const TABCFormulaList& pRecord) { aRow->ApplyUndo(pRecord, false); }

    TFakeProject aProject;
    TFakeStreamRow aTop{rowKindMIXER};
    TFakeStreamRow aMiddle{rowKindMIXER};
    TFakeStreamRow aLeaf;
    TFakeParamRow* aRow;
    long aMiddleKey;
    TNoUndo aUndo;
};

// One edit in the middle of the row, then its image stored (or the whole row instead); the
// edit is undone, untimed, before the next one.
template <class TEdit>
void RunEdit(benchmark::State& pState, bool pWholeRow, TEdit pEdit) {
    TDeepRow deep(pState.range(0));
    for (auto _ : pState) {
        pEdit(deep);
        const TABCFormulaList record = deep.aRow->aUndoList;
        benchmark::DoNotOptimize(pWholeRow ? deep.StoreRow() : deep.StoreImage());
        pState.PauseTiming();
        deep.Restore(record);
        pState.ResumeTiming();
    }
}

template <bool pWholeRow>
void DeleteKey(benchmark::State& pState) {
    RunEdit(pState, pWholeRow,
            [](TDeepRow& pDeep) { pDeep.aRow->DeleteKey(pDeep.aMiddleKey, pDeep.aUndo); });
}

template <bool pWholeRow>
void SplitAt(benchmark::State& pState) {
    RunEdit(pState, pWholeRow,
            [](TDeepRow& pDeep) { pDeep.aRow->SplitAt(pDeep.aMiddleKey + 5, pDeep.aUndo); });
}

// A new ANGLE key inside the middle segment.
template <bool pWholeRow>
void EditKeySplit(benchmark::State& pState) {
    RunEdit(pState, pWholeRow, [](TDeepRow& pDeep) {
        pDeep.aRow->EditKey(pDeep.aMiddleKey + 5, false, false, contANGLE, pDeep.aUndo);
    });
}

// The middle key becomes an eased ANGLE key: the segment after it is recomputed.
template <bool pWholeRow>
void EditKeyChange(benchmark::State& pState) {
    RunEdit(pState, pWholeRow, [](TDeepRow& pDeep) {
        pDeep.aRow->EditKey(pDeep.aMiddleKey, false, true, contANGLE, pDeep.aUndo);
    });
}

template <bool pWholeRow>
void EditKeyValue(benchmark::State& pState) {
    RunEdit(pState, pWholeRow, [](TDeepRow& pDeep) {
        pDeep.aRow->EditKeyValue(pDeep.aMiddleKey, false, TVariant(3.5), &pDeep.aUndo);
    });
}

} // namespace

BENCHMARK_TEMPLATE(DeleteKey, false)->Arg(100)->Arg(10000);
BENCHMARK_TEMPLATE(DeleteKey, true)->Arg(100)->Arg(10000);
BENCHMARK_TEMPLATE(SplitAt, false)->Arg(100)->Arg(10000);
BENCHMARK_TEMPLATE(SplitAt, true)->Arg(100)->Arg(10000);
BENCHMARK_TEMPLATE(EditKeySplit, false)->Arg(100)->Arg(10000)->Arg(100000);
BENCHMARK_TEMPLATE(EditKeySplit, true)->Arg(10000);
BENCHMARK_TEMPLATE(EditKeyChange, false)->Arg(100)->Arg(10000)->Arg(100000);
BENCHMARK_TEMPLATE(EditKeyChange, true)->Arg(10000);
BENCHMARK_TEMPLATE(EditKeyValue, false)->Arg(100)->Arg(10000)->Arg(100000);
BENCHMARK_TEMPLATE(EditKeyValue, true)->Arg(10000);
