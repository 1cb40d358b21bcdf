// Control tables from the input for a row class: the factory's reading of the table, the
// row's completion and index check, then the size-handle look-up over items from the input.
// Out-of-range indexes must be reported and skipped, never written or looked up (ASan).
#include "DLL/Ctl/SizeHandleFactory.h"
#include "DLL/Row/StreamFactory.h"
#include "FuzzInput.h"
#include "support/FakeRows.h"

#include <memory>
#include <vector>

namespace {

// A row class whose counts and control table the input gives.
class TFuzzRow : public TFakeStreamRow {
public:
    int GetParamCount() const override { return theParamCount; }
    int GetSetupCount() const override { return theSetupCount; }
    int GetControlCount() const override { return int(theControls->size()); }
    const TControlInfo* GetControlTab() const override { return theControls->data(); }
    int GetParamControl(int pIndex) const override { return theParamControlIndexTab[pIndex]; }
    int GetSetupControl(int pIndex) const override { return theSetupControlIndexTab[pIndex]; }
    static wxIcon* GetIcon() { return nullptr; }

    static int theParamCount, theSetupCount;
    static const std::vector<TControlInfo>* theControls;
    static int* theParamControlIndexTab;
    static int* theSetupControlIndexTab;
    static wxString TheSubType;
    static IZVStreamDisplayInfo* theDisplayInfo;
    static bool theHasVideoFlag;
};

int TFuzzRow::theParamCount = 0, TFuzzRow::theSetupCount = 0;
const std::vector<TControlInfo>* TFuzzRow::theControls = nullptr;
int* TFuzzRow::theParamControlIndexTab = nullptr;
int* TFuzzRow::theSetupControlIndexTab = nullptr;
wxString TFuzzRow::TheSubType = L"fuzz";
IZVStreamDisplayInfo* TFuzzRow::theDisplayInfo = nullptr;
bool TFuzzRow::theHasVideoFlag = false;

class TNoPanels : public IDialogBuilder {
public:
    IZVStreamDisplayInfo* BuildPanel(wxScrolledWindow*, int, const TControlInfo*, int,
                                     int) override {
        return nullptr;
    }
    void DestroyPanel(IZVStreamDisplayInfo*) override {}
};

// The reports a hostile table is expected to cause.
const TExpectedAsserts theExpected{
    "aParamControlInfoTab[i].index < StreamRow->GetParamCount()",
    "aParamControlInfoTab[i].index < StreamRow->GetSetupCount()",
    "GetParamControl(ControlInfo->index) == i",
    "GetSetupControl(ControlInfo->index) == i",
};

// Exactly pCount ints, so that ASan sees any write past them.
std::unique_ptr<int[]> IndexTable(int pCount) {
    std::unique_ptr<int[]> table(new int[size_t(pCount)]);
    for (int i = 0; i < pCount; ++i)
        table[size_t(i)] = -1;
    return table;
}

void CheckSizeHandles(TFuzzInput& pInput) {
    std::vector<TSizeHandleFactoryItem> items(pInput.Byte() % 41);
    static char theFactories[41];
    for (size_t i = 0; i < items.size(); ++i)
        items[i] = {reinterpret_cast<ISizeHandleFactory*>(theFactories + i), pInput.Take<int8_t>(),
                    pInput.Take<int8_t>()};
    int index = pInput.Take<int8_t>();
    T32BoolArray flags(pInput.Take<uint32_t>());
    const uint32_t before = flags.GetBits();
    const ISizeHandleFactory* factory =
        GetSizeHandleFactory(items.data(), unsigned(items.size()), index, flags);
    Require((flags.GetBits() & before) == before);
    Require(!items.empty() || (index == -1 && !factory));
    if (factory) {
        const size_t which = size_t(reinterpret_cast<const char*>(factory) - theFactories);
        Require(which < items.size() && items[which].aFirst == index);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    static TNoPanels thePanels;
    IStreamFactory::theDialogBuilder = &thePanels;
    TFuzzInput input(pData, pSize);
    TFuzzRow::theParamCount = int(input.Byte() % 8);
    TFuzzRow::theSetupCount = int(input.Byte() % 8);
    const int span = std::max(TFuzzRow::theParamCount, TFuzzRow::theSetupCount) + 5;
    std::vector<TControlInfo> controls;
    for (unsigned n = input.Byte() % 16; n > 0; --n) {
        const int kind = int(input.Byte() % 16);
        const int index = int(input.Byte() % unsigned(span)) - 2;
        controls.emplace_back(index, TTypeDef(int(input.Byte() % 10)), L"control", true);
        controls.back().aKind = kind;
    }
    TFuzzRow::theControls = &controls;
    const std::unique_ptr<int[]> params = IndexTable(TFuzzRow::theParamCount);
    const std::unique_ptr<int[]> setups = IndexTable(TFuzzRow::theSetupCount);
    TFuzzRow::theParamControlIndexTab = params.get();
    TFuzzRow::theSetupControlIndexTab = setups.get();

    TObjectFactory<TFuzzRow, TFuzzRow> factory(0);
    factory.fillControlInfo(params.get(), setups.get());
    Require(factory.GetControlCount() == int(controls.size()));
    const std::unique_ptr<TFuzzRow> row(factory.Create());
    row->CompleteCreate();
    row->checkParamAndSetupIndex();
    Require(row->aParamTab.size() == size_t(TFuzzRow::theParamCount));
    Require(row->aSetupTab.size() == size_t(TFuzzRow::theSetupCount));

    CheckSizeHandles(input);
    return 0;
}
