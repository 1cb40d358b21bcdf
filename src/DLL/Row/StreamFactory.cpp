#include "DLL/Row/StreamFactory.h"

#include "ALL/Assert.h"
#include "DLL/Ctl/SizeHandleFactory.h"
#include "DLL/Row/StreamRow.h"

#include <cstdint>
#include <memory>

IDialogBuilder* IStreamFactory::theDialogBuilder = nullptr;

TControlInfo::TControlInfo(int pIndex, const TTypeDef& pTypeDef, const wchar_t* pLabel,
                           bool pEnabled)
    : aKind(pEnabled ? 0 : kindDISABLED), aIndex(pIndex), aTypeDef(pTypeDef),
      aLabel(pLabel ? pLabel : L"") {}

IStreamFactory::IStreamFactory(int pOrder)
    : aOrder(pOrder), aParamControlInfoTab(nullptr), aControlCount(0), aParamCount(0) {}

IStreamFactory::~IStreamFactory() = default;

IZVStreamDisplayInfo* IStreamFactory::BuildDialogPanel(wxScrolledWindow* pWindow) {
    return theDialogBuilder->BuildPanel(pWindow, -1, aParamControlInfoTab, aControlCount,
                                        aParamCount);
}

void IStreamFactory::destroyDisplayInfo(IZVStreamDisplayInfo* pPanel) {
    theDialogBuilder->DestroyPanel(pPanel);
}

void IStreamFactory::Store(std::vector<TFactoryInfo>& pTable, int& pCount) {
    if (aOrder < 0)
        return;
    if (!ZV_ASSERT(pCount >= 0))
        return;
    // Filter modules' tables come from outside: make room rather than write past the end.
    if (size_t(pCount) >= pTable.size())
        pTable.resize(size_t(pCount) + 1, TFactoryInfo{nullptr, 0});
    pTable[size_t(pCount)].aFactory = this;
    ++pCount;
}

void IStreamFactory::fillControlInfo(int* pParamIndexTab, int* pSetupIndexTab) {
    const std::unique_ptr<TZVStreamRow> StreamRow(Create());
    if (!ZV_ASSERT(StreamRow != NULL))
        return;
    aParamControlInfoTab = StreamRow->GetControlTab();
    aControlCount = StreamRow->GetControlCount();
    aParamCount = StreamRow->GetParamCount();
    for (int i = 0; i < aControlCount; ++i) {
        const TControlInfo& info = aParamControlInfoTab[i];
        switch (TControlInfo::Category(info.aKind)) {
        case TControlInfo::categoryPARAM:
            if (info.aIndex >= 0 && info.aIndex < StreamRow->GetParamCount())
                pParamIndexTab[info.aIndex] = i;
            else
                ZV_FAIL("aParamControlInfoTab[i].index < StreamRow->GetParamCount()");
            break;
        case TControlInfo::categorySETUP:
            if (info.aIndex >= 0 && info.aIndex < StreamRow->GetSetupCount())
                pSetupIndexTab[info.aIndex] = i;
            else
                ZV_FAIL("aParamControlInfoTab[i].index < StreamRow->GetSetupCount()");
            break;
        default:
            break;
        }
    }
}

namespace {

// The low pCount flags.
uint32_t LowFlags(int pCount) {
    if (pCount <= 0)
        return 0;
    return pCount >= 32 ? ~uint32_t(0) : (uint32_t(1) << pCount) - 1;
}

ISizeHandleFactory* TakeItem(const TSizeHandleFactoryItem& pItem, int& pIndex,
                             T32BoolArray& pFlags) {
    pIndex = pItem.aFirst;
    pFlags |= LowFlags(pItem.aCount);
    return pItem.aFactory;
}

} // namespace

ISizeHandleFactory* GetSizeHandleFactory(TSizeHandleFactoryItem* pItems, unsigned int pCount,
                                         int& pIndex, T32BoolArray& pFlags) {
    if (pCount == 0) {
        pIndex = -1;
        return nullptr;
    }
    if (pCount == 1)
        return TakeItem(pItems[0], pIndex, pFlags);
    for (unsigned int i = 0; i < pCount; ++i) {
        const TSizeHandleFactoryItem& item = pItems[i];
        if (pIndex >= item.aFirst && int64_t(pIndex) < int64_t(item.aFirst) + item.aCount)
            return TakeItem(item, pIndex, pFlags);
    }
    pIndex = 0;
    return nullptr;
}
