#include "DLL/Row/StreamFactory.h"

#include "DLL/Ctl/SizeHandleFactory.h"
#include "DLL/Row/RowRegistry.h"
#include "support/AssertCapture.h"
#include "support/FakeHost.h"
#include "support/FakeRows.h"
#include "support/XmlText.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A row family with its own registry.
class TTestBase : public TFakeStreamRow, public TRowRegistry<TTestBase> {
public:
    TTestBase() : TFakeStreamRow(rowKindFILTER) {}
    using TRowRegistry<TTestBase>::Create;
};

TControlInfo Entry(int pKind, int pIndex) {
    TControlInfo info(pIndex, TTypeDef(0), L"label", true);
    info.aKind = pKind;
    return info;
}

// Parameters 0 (enabled), 1 and 2 (disabled by bit 2 and bit 3), setups 0 and 1, and two
// entries of categories 1 and 3 that name no control.
std::vector<TControlInfo> DefaultControls() {
    return {Entry(0, 0),  Entry(2, 0), Entry(4, 1), Entry(8, 2),
            Entry(10, 1), Entry(1, 9), Entry(3, -5)};
}

// Concrete classes of the family, one per N, with the class statics a factory reads.
template <int N>
class TTestRow : public TTestBase {
public:
    const wxString& GetSubType() const override { return TheSubType; }
    int GetParamCount() const override { return 3; }
    int GetSetupCount() const override { return 2; }
    int GetControlCount() const override { return int(theControls.size()); }
    const TControlInfo* GetControlTab() const override { return theControls.data(); }
    int GetParamControl(int pIndex) const override { return theParamControlIndexTab[pIndex]; }
    int GetSetupControl(int pIndex) const override { return theSetupControlIndexTab[pIndex]; }
    static wxIcon* GetIcon() { return nullptr; }

    inline static wxString TheSubType;
    inline static IZVStreamDisplayInfo* theDisplayInfo = nullptr;
    inline static bool theHasVideoFlag = N == 2;
    inline static int theParamControlIndexTab[3] = {-1, -1, -1};
    inline static int theSetupControlIndexTab[2] = {-1, -1};
    inline static std::vector<TControlInfo> theControls = DefaultControls();
};

template <int N>
using TTestFactory = TObjectFactory<TTestRow<N>, TTestBase>;

// "sub-type/order/host data" of the entries.
std::string Entries(const std::vector<TFactoryInfo>& pTable) {
    std::string text;
    for (const TFactoryInfo& info : pTable)
        text += (info.aFactory ? info.aFactory->GetSubType().ToStdString() + "/" +
                                     std::to_string(info.aFactory->GetOrder())
                               : std::string("-")) +
                "/" + std::to_string(info.aHostData) + " ";
    return text;
}

} // namespace

template <>
const wchar_t* const TRowRegistry<TTestBase>::theNoFactoryFormat =
    L"No factory is registered for TTestBase subtype %ls";

TEST(StreamFactory, ControlTablesFillTheIndexTablesAndOutOfRangeEntriesAreSkipped) {
    TFakeDialogBuilder builder;
    TSelListenerLog dying;
    TTestFactory<1> factory(0);
    factory.fillControlInfo(TTestRow<1>::theParamControlIndexTab,
                            TTestRow<1>::theSetupControlIndexTab);
    EXPECT_EQ(std::vector<int>(TTestRow<1>::theParamControlIndexTab,
                               TTestRow<1>::theParamControlIndexTab + 3),
              (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(std::vector<int>(TTestRow<1>::theSetupControlIndexTab,
                               TTestRow<1>::theSetupControlIndexTab + 2),
              (std::vector<int>{1, 4}));
    EXPECT_EQ(factory.GetControlTab(), TTestRow<1>::theControls.data());
    EXPECT_EQ(factory.GetControlCount(), 7);
    EXPECT_EQ(factory.GetParamCount(), 3);
    EXPECT_EQ(dying.aRows.size(), 1u) << "the temporary row is gone";
}

TEST(StreamFactory, ARegistryMakesListsAndFreesItsFactories) {
    TFakeDialogBuilder builder;
    RegisterRowClass<TTestRow<1>, TTestBase>(L"b", 20);
    RegisterRowClass<TTestRow<2>, TTestBase>(L"c", 5);
    RegisterRowClass<TTestRow<3>, TTestBase>(L"a", 5);
    RegisterRowClass<TTestRow<4>, TTestBase>(L"d", -1);

    // A second factory under a taken name is refused and stays the caller's.
    auto* second = new TTestFactory<5>(1);
    TTestRow<5>::TheSubType = L"a";
    EXPECT_FALSE(TTestBase::RegisterFactory(second));
    delete second;

    const std::unique_ptr<wxXmlNode> named(ParseXml(L"<filter type=\"a\" name=\"one\"/>"));
    const wxXmlNode* cursor = named.get();
    const std::unique_ptr<TTestBase> row(TTestBase::Create(cursor));
    EXPECT_EQ(cursor, named.get());
    EXPECT_NE(dynamic_cast<TTestRow<3>*>(row.get()), nullptr);
    EXPECT_EQ(row->aName, L"one");
    EXPECT_TRUE(row->aIsDetached);

    const struct {
        const wchar_t* aXml;
        const wchar_t* aMessage;
    } refused[] = {
        {L"<filter name=\"x\"/>", L"No factory is registered for TTestBase subtype "},
        {L"<filter type=\"A\" name=\"x\"/>", L"No factory is registered for TTestBase subtype A"},
        // The half-made row is freed (the sanitizer run would see a leak).
        {L"<filter type=\"c\"/>", L"The property name does not exist for Filter c "},
    };
    for (const auto& r : refused) {
        const std::unique_ptr<wxXmlNode> element(ParseXml(r.aXml));
        const wxXmlNode* at = element.get();
        try {
            delete TTestBase::Create(at);
            ADD_FAILURE() << r.aXml;
        } catch (const TError& error) {
            EXPECT_EQ(error, r.aMessage);
        }
    }

    // Appended after the host's entries, the table grown past its end, ties in key order.
    std::vector<TFactoryInfo> table(5);
    for (int i = 0; i < 5; ++i)
        table[size_t(i)] = {nullptr, 100 + i};
    int count = 3;
    TTestBase::FillFactoryTab(table, count);
    EXPECT_EQ(count, 6);
    EXPECT_EQ(Entries(table), "-/100 -/101 -/102 a/5/103 c/5/0 b/20/104 ");

    TTestBase::CreateDialog(nullptr);
    EXPECT_NE(TTestRow<3>::theDisplayInfo, nullptr);
    EXPECT_EQ(builder.aLog, "destroy 0 build 1 7/3 build 2 7/3 build 3 7/3 build 4 7/3 ");
    builder.aLog.clear();
    TTestBase::DeleteAllFactories();
    EXPECT_EQ(builder.aLog, "destroy 1 destroy 2 destroy 3 destroy 4 ");
    EXPECT_EQ(TTestBase::theFactorySet, nullptr);
    EXPECT_EQ(TTestRow<1>::TheSubType + TTestRow<2>::TheSubType + TTestRow<3>::TheSubType, L"");
    EXPECT_EQ(TTestRow<3>::theDisplayInfo, nullptr);
}

TEST(StreamFactory, RegistryKeysFollowUtf16Order) {
    const TUtf16Less less;
    const struct {
        const wchar_t* aLeft;
        const wchar_t* aRight;
    } ordered[] = {
        {L"B", L"a"}, {L"a", L"ab"}, {L"\U0001F600", L"\uFFFD"}, {L"\uD7FF", L"\U00010000"}};
    for (const auto& o : ordered) {
        EXPECT_TRUE(less(o.aLeft, o.aRight)) << wxString(o.aLeft);
        EXPECT_FALSE(less(o.aRight, o.aLeft)) << wxString(o.aLeft);
    }
    EXPECT_FALSE(less(L"a", L"a"));
}

TEST(StreamFactory, SizeHandleFactoryIsTheItemHoldingTheIndex) {
    ISizeHandleFactory* const first = reinterpret_cast<ISizeHandleFactory*>(0x10);
    ISizeHandleFactory* const second = reinterpret_cast<ISizeHandleFactory*>(0x20);
    TSizeHandleFactoryItem one[] = {{first, 4, 3}};
    TSizeHandleFactoryItem two[] = {{first, 0, 2}, {second, 2, 4}};
    TSizeHandleFactoryItem wide[] = {{first, 0, 31}, {second, 31, 32}, {first, 63, 40}};
    const struct {
        TSizeHandleFactoryItem* aItems;
        unsigned int aCount;
        int aIndex;
        ISizeHandleFactory* aResult;
        int aIndexAfter;
        uint32_t aFlags; // from 0x100
    } cases[] = {
        {one, 0, 5, nullptr, -1, 0x100},       {one, 1, 99, first, 4, 0x107},
        {one, 1, -3, first, 4, 0x107},         {two, 2, 3, second, 2, 0x10F},
        {two, 2, 1, first, 0, 0x103},          {two, 2, 7, nullptr, 0, 0x100},
        {wide, 3, 30, first, 0, 0x7FFFFFFF},   {wide, 3, 31, second, 31, 0xFFFFFFFF},
        {wide, 3, 100, first, 63, 0xFFFFFFFF},
    };
    for (const auto& c : cases) {
        int index = c.aIndex;
        T32BoolArray flags(0x100);
        EXPECT_EQ(GetSizeHandleFactory(c.aItems, c.aCount, index, flags), c.aResult) << c.aIndex;
        EXPECT_EQ(index, c.aIndexAfter) << c.aIndex;
        EXPECT_EQ(flags.GetBits(), c.aFlags) << c.aIndex;
    }
}
