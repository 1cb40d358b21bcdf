// The factories of stream row classes and what they tell the host: the control table of a
// class (TControlInfo) with its two index tables, the host's factory table (TFactoryInfo,
// StoreFactories) and the size-handle factory look-up that filter modules use.
#pragma once

#include "ALL/TypeDef.h"

#include <wx/string.h>

#include <algorithm>
#include <vector>

class ISizeHandleFactory;
class IZVStreamDisplayInfo;
class T32BoolArray;
class TZVStreamRow;
class wxIcon;
class wxScrolledWindow;

// One control of a row class: a parameter or a setup of the row, as the host's panel shows it.
struct TControlInfo {
    // Bits 0-1 of the kind word.
    enum ECategory { categoryPARAM = 0, categorySETUP = 2 };
    // Bit 2: the parameter starts disabled.
    static const int kindDISABLED = 4;
    // Bit 3: passed to the host's panel; set on setups whose change the host must apply.
    static const int kindUPDATE = 8;

    // A parameter entry: kind word 0 when pEnabled, else 4; a null label gives an empty one.
    TControlInfo(int pIndex, const TTypeDef& pTypeDef, const wchar_t* pLabel, bool pEnabled);

    // The kind word with bits 2 and 3 cleared.
    static int Category(int pKind) { return pKind & ~(kindDISABLED | kindUPDATE); }

    int aKind;
    // The parameter or setup number the entry describes.
    int aIndex;
    TTypeDef aTypeDef;
    wxString aLabel;
};

// The host's maker of parameter panels.
class IDialogBuilder {
public:
    // A panel in pWindow for the control table (pCount entries, pParamCount parameters).
    virtual IZVStreamDisplayInfo* BuildPanel(wxScrolledWindow* pWindow, int pId,
                                             const TControlInfo* pTable, int pCount,
                                             int pParamCount) = 0;
    virtual void DestroyPanel(IZVStreamDisplayInfo* pPanel) = 0;

protected:
    ~IDialogBuilder() = default;
};

class IStreamFactory;

// One entry of the host's factory table.
struct TFactoryInfo {
    IStreamFactory* aFactory;
    // The host's; moves with its entry.
    int aHostData;
};

// The factory of one stream row class.
class IStreamFactory {
public:
    // A negative pOrder keeps the factory out of the host's table.
    explicit IStreamFactory(int pOrder);
    virtual ~IStreamFactory();

    virtual void CreateDialog(wxScrolledWindow* pWindow) = 0;
    virtual wxIcon* GetIcon() = 0;
    // The sub-type name, the registry key.
    virtual wxString GetSubType() = 0;
    // A bare row of the class: no name, no parent, no parameters; owned by the caller.
    virtual TZVStreamRow* Create() const = 0;
    virtual bool HasVideo() = 0;

    // The host's panel for the class's controls.
    IZVStreamDisplayInfo* BuildDialogPanel(wxScrolledWindow* pWindow);
    void destroyDisplayInfo(IZVStreamDisplayInfo* pPanel);
    // Puts the factory at entry pCount of pTable (grown when needed) and counts it, unless
    // its order is negative.
    void Store(std::vector<TFactoryInfo>& pTable, int& pCount);
    // Reads the class's control table from a temporary row and fills the index tables, which
    // hold the class's parameter and setup counts. Entries whose index is out of range are
    // reported and skipped.
    void fillControlInfo(int* pParamIndexTab, int* pSetupIndexTab);

    int GetOrder() const { return aOrder; }
    const TControlInfo* GetControlTab() const { return aParamControlInfoTab; }
    int GetControlCount() const { return aControlCount; }
    int GetParamCount() const { return aParamCount; }

    // The host's panel builder; installed before any panel is built or freed.
    static IDialogBuilder* theDialogBuilder;

private:
    int aOrder;
    const TControlInfo* aParamControlInfoTab;
    int aControlCount;
    int aParamCount;
};

// The factory type kept by the registry of the row base class TBase.
template <typename TBase>
class IObjectFactory : public IStreamFactory {
public:
    explicit IObjectFactory(int pOrder) : IStreamFactory(pOrder) {}
    TBase* Create() const override = 0;
};

// The factory of the concrete row class TRow, from the class's statics: TheSubType,
// theDisplayInfo, theHasVideoFlag and GetIcon().
template <typename TRow, typename TBase>
class TObjectFactory : public IObjectFactory<TBase> {
public:
    explicit TObjectFactory(int pOrder) : IObjectFactory<TBase>(pOrder) {}
    // Hands the class's panel back to the builder and empties its sub-type.
    ~TObjectFactory() override {
        this->destroyDisplayInfo(TRow::theDisplayInfo);
        TRow::theDisplayInfo = nullptr;
        TRow::TheSubType.clear();
    }

    void CreateDialog(wxScrolledWindow* pWindow) override {
        TRow::theDisplayInfo = this->BuildDialogPanel(pWindow);
    }
    wxIcon* GetIcon() override { return TRow::GetIcon(); }
    wxString GetSubType() override { return TRow::TheSubType; }
    TBase* Create() const override { return new TRow; }
    bool HasVideo() override { return TRow::theHasVideoFlag; }
};

// Stores every factory from pFirst to pEnd (map entries, in key order) in pTable from entry
// pCount on, then orders the new entries by order word, ties in key order.
template <typename TIterator>
void StoreFactories(TIterator pFirst, TIterator pEnd, std::vector<TFactoryInfo>& pTable,
                    int& pCount) {
    const int start = pCount;
    for (TIterator it = pFirst; it != pEnd; ++it)
        it->second->Store(pTable, pCount);
    if (start < 0 || pCount <= start)
        return;
    std::stable_sort(pTable.begin() + start, pTable.begin() + pCount,
                     [](const TFactoryInfo& pLeft, const TFactoryInfo& pRight) {
                         return pLeft.aFactory->GetOrder() < pRight.aFactory->GetOrder();
                     });
}

// A size-handle factory for the parameters aFirst to aFirst + aCount - 1.
struct TSizeHandleFactoryItem {
    ISizeHandleFactory* aFactory;
    int aFirst;
    int aCount;
};

// The factory of the item that holds pIndex (a single item holds every index), with pIndex set
// to the item's first parameter and the item's low aCount flags set (all 32 from a count of
// 32 on). No item: index -1; more items, none holding it: index 0. Null when none.
ISizeHandleFactory* GetSizeHandleFactory(TSizeHandleFactoryItem* pItems, unsigned int pCount,
                                         int& pIndex, T32BoolArray& pFlags);
