#include "DLL/Row/ParamRow.h"

#include "DLL/Row/ZVFormula.h"

#include "support/AssertCapture.h"
#include "support/FakeFormula.h"
#include "support/FakeHost.h"
#include "support/FakeRows.h"
#include "support/ListenerRecorder.h"
#include "support/RowText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// Rows under one stream; the editor listener, the stream's parameter updates and the fake
// formulas all log into one text.
class TParamListenerTest : public testing::Test, public TFakeStreamRow {
protected:
    TParamListenerTest() : aScope(aRecorder) {}
    // The rows go while the log they write to is still there.
    ~TParamListenerTest() override { destroy(); }
    void OnParamUpdate(const TZVParamRow* pParam) const override {
        aRecorder.aCalls += "Update(" + aRecorder.aNames[pParam] + ") ";
    }

    TFakeParamRow* Param(const std::string& pName) {
        TFakeParamRow* row = AddParam(true);
        aRecorder.aNames[row] = pName;
        return row;
    }
    // A parameter whose value comes from a fake combining formula named after it.
    TFakeParamRow* Composite(const std::string& pName) {
        TFakeParamRow* row = Param(pName);
        TFakeDependFormula::Install(row, pName, aRecorder.aCalls);
        return row;
    }
    TFakeParamRow* Expression(const std::string& pName) {
        TFakeParamRow* row = Param(pName);
        row->aFormula = new TZVFormula(row);
        row->aIsExpression = true;
        return row;
    }
    static TFakeDependFormula& FormulaOf(TZVParamRow* pRow) {
        return *static_cast<TFakeDependFormula*>(pRow->aFormula);
    }
    std::string Log() {
        std::string log;
        log.swap(aRecorder.aCalls);
        return log;
    }

    TFakeProject aProject;
    mutable TListenerRecorder aRecorder;
    TListenerScope aScope;
};

// The loop check as its rule reads, walking every path.
bool PlainLoopCheck(const TZVParamRow* pRow, const TZVParamRow* pTarget, int pDepth) {
    if (pDepth < 1)
        return false;
    for (const TParamListener& entry : pRow->aListenerList)
        if (entry.aOnValue && (entry.aListener == pTarget || pDepth == 1 ||
                               !PlainLoopCheck(entry.aListener, pTarget, pDepth - 1)))
            return false;
    return true;
}

} // namespace

TEST_F(TParamListenerTest, KeysCountSharedKeysTwiceNeverTheOpenEndAndReachCompositesOnly) {
    // {segments, keys}
    const std::vector<std::pair<std::vector<long>, std::string>> cases = {
        {{0, 100, 100, 200}, "0:1 100:2 200:1 "},
        {{0, 100, 150, 200}, "0:1 100:1 150:1 200:1 "},
        {{0, 100, 100, TZVParamRow::OPEN_END}, "0:1 100:2 "}};
    for (const auto& c : cases) {
        TFakeParamRow* row = Param("P");
        TFakeParamRow* composite = Composite("C");
        TFakeParamRow* expression = Expression("E");
        row->AddListener(expression, true);
        row->AddListener(composite, false);
        row->aIsEnabled = false;
        for (size_t i = 0; i < c.first.size(); i += 2)
            row->insertFormula(TABCFormula(c.first[i], TVariant(1.0), c.first[i + 1]), nullptr,
                               true);
        // The composite counts (into the stream too), the expression and the disabled row
        // do not; PropagateAll(false) undoes (true); notifyAll announces the same counts.
        std::string seen = KeyText(composite->aKeyList) + "|" + KeyText(expression->aKeyList);
        composite->PropagateAll(false);
        row->aIsEnabled = true;
        row->PropagateAll(true);
        seen += "|" + KeyText(aKeyList);
        row->PropagateAll(false);
        composite->aKeyList.clear();
        row->notifyAll();
        seen += "|" + KeyText(composite->aKeyList);
        EXPECT_EQ(seen, c.second + "||" + c.second + "|" + c.second);
        destroy();
        aKeyList.clear();
        aParamTab.clear();
        Log();
    }
    // New key times of an enabled composite are reported; a refused insertion counts,
    // widens and records nothing.
    TFakeParamRow* row = Param("P");
    row->AddListener(Composite("C"), true);
    row->insertFormula(TABCFormula(10, TVariant(1.0), 20), nullptr, true);
    row->aEditRange = TRange();
    EXPECT_ASSERTS(row->insertFormula(TABCFormula(10, TVariant(5.0), 15), nullptr, true),
                   L"InsertResult.second");
    EXPECT_EQ(Log(), "ParamKeyEdit(C,10011) ParamKeyEdit(C,20021) ");
    EXPECT_EQ(KeyText(aKeyList), "10:2 20:2 ");
    EXPECT_TRUE(row->aEditRange.IsEmpty());
    EXPECT_EQ(row->aUndoList.size(), 1u);
}

TEST_F(TParamListenerTest, AResetWithdrawsTheKeysEverywhereWithoutPhantomOpenEnd) {
    aSequenceList.Add(0, 100, aSequenceList.end());
    TFakeParamRow* row = Param("P");
    TFakeParamRow* composite = Composite("C");
    row->AddListener(composite, true);
    row->insertFormula(TABCFormula(0, TVariant(1.0), 40), nullptr, false);
    row->insertFormula(TABCFormula(40, TVariant(2.0), TZVParamRow::OPEN_END), nullptr, false);
    EXPECT_EQ(KeyText(aKeyList), "0:2 40:4 ");
    row->ResetFormulaList();
    EXPECT_EQ(KeyText(composite->aKeyList), "0:1 100:1 ");
    EXPECT_EQ(KeyText(aKeyList), "0:2 100:2 ");
    // Added 0 and 40; withdrawn 0 and 40; added 0 and 100.
    EXPECT_EQ(Log(), "ParamKeyEdit(C,1) ParamKeyEdit(C,40041) ParamKeyEdit(C,1) "
                     "ParamKeyEdit(C,40041) ParamKeyEdit(C,1) ParamKeyEdit(C,100101) ");
}

TEST_F(TParamListenerTest, TheLoopCheckFollowsValueEntriesWithinTheDepthAsTheFullWalkDoes) {
    TFakeParamRow* a = Composite("A");
    Composite("B");
    Composite("C");
    TFakeParamRow* d = Composite("D");
    // d listens to a without reading its value: no loop.
    a->AddListener(d, false);
    EXPECT_TRUE(a->CheckListenerLoop(d, 5));
    // A second registration adds the value dependency that the first one lacked.
    a->AddListener(d, true);
    EXPECT_FALSE(a->CheckListenerLoop(d, 5));
    EXPECT_TRUE(a->RemListener(d));
    EXPECT_FALSE(a->RemListener(d));

    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        for (TZVParamRow* row : aParamTab)
            row->aListenerList.clear();
        for (int edge = 0; edge < 10; ++edge)
            aParamTab[random() % 4]->AddListener(aParamTab[random() % 4], random() % 4 != 0);
        for (TZVParamRow* from : aParamTab)
            for (TZVParamRow* target : aParamTab)
                for (int depth = 0; depth < 6; ++depth)
                    ASSERT_EQ(from->CheckListenerLoop(target, depth),
                              PlainLoopCheck(from, target, depth));
    }
    for (TZVParamRow* row : aParamTab)
        row->aListenerList.clear();
}

TEST_F(TParamListenerTest, ChangesGoToTheStreamThenTheListenersDepthFirstEachOnce) {
    TFakeParamRow* p = Param("P");
    TFakeParamRow* a = Composite("A");
    TFakeParamRow* b = Composite("B");
    TFakeParamRow* c = Composite("C");
    p->AddListener(a, true);
    p->AddListener(Composite("K"), false);
    p->AddListener(b, true);
    a->AddListener(c, true);
    b->AddListener(c, true);
    p->notifyOther(false);
    EXPECT_EQ(Log(), "Update(P) ParamKeyEdit(A,0) changed(A,0) Update(A) ParamKeyEdit(C,0) "
                     "changed(C,0) Update(C) ParamKeyEdit(B,0) changed(B,0) Update(B) ");
    FormulaOf(a).aChanged = false;
    p->notifyOther(true);
    EXPECT_EQ(Log(), "Update(P) ParamKeyEdit(A,0) changed(A,1) ParamKeyEdit(K,0) changed(K,1) "
                     "Update(K) ParamKeyEdit(B,0) changed(B,1) Update(B) ParamKeyEdit(C,0) "
                     "changed(C,0) Update(C) ");
    // A row reached first without the flag is told again when an entry carries it.
    p->AddListener(c, false);
    FormulaOf(a).aChanged = true;
    p->notifyOther(true);
    EXPECT_EQ(Log(), "Update(P) ParamKeyEdit(A,0) changed(A,1) Update(A) ParamKeyEdit(C,0) "
                     "changed(C,0) Update(C) ParamKeyEdit(K,0) changed(K,1) Update(K) "
                     "ParamKeyEdit(B,0) changed(B,1) Update(B) ParamKeyEdit(C,0) changed(C,1) "
                     "Update(C) ");
    a->onParamChanged(p, true);
    EXPECT_EQ(Log(), "ParamKeyEdit(A,0) changed(A,1) Update(A) ParamKeyEdit(C,0) changed(C,0) "
                     "Update(C) ");
}

TEST_F(TParamListenerTest, SetFormulaWithdrawsTheKeysReportsTheRangeThenNotifies) {
    TFakeParamRow* p = Param("P");
    p->AddListener(Composite("C"), true);
    p->insertFormula(TABCFormula(0, TVariant(1.0), 100), nullptr, false);
    Log();
    TFakeDependFormula* first = new TFakeDependFormula(p, "F1", aRecorder.aCalls);
    p->SetFormula(first);
    EXPECT_EQ(Log(), "ParamKeyEdit(C,1) ParamKeyEdit(C,100101) ParamKeyEdit(P,100) Update(P) "
                     "ParamKeyEdit(C,0) changed(C,0) Update(C) ");
    EXPECT_EQ(p->aUndoList.size(), 1u);
    EXPECT_EQ(KeyText(aKeyList), "");
    // The latest replaced formula is kept for undo.
    p->SetFormula(new TFakeDependFormula(p, "F2", aRecorder.aCalls));
    EXPECT_EQ(p->aUndoFormula, first);
    Log();
    p->deleteFormula(false);
    p->ChangeName(L"Gain");
    p->RefreshIcon();
    EXPECT_EQ(Log(), "gone(F2) RowModified(P,1) RowModified(P,2) ");
    EXPECT_FALSE(p->aIsExpression);
}

TEST_F(TParamListenerTest, ADyingRowTakesTheFormulasOfItsListenersWithIt) {
    TFakeParamRow* source = Param("P");
    TFakeParamRow* other = Param("Q");
    TFakeParamRow* a = Composite("A");
    TFakeParamRow* b = Composite("B");
    FormulaOf(a).Reads(source, true);
    FormulaOf(a).Reads(other, true);
    FormulaOf(b).Reads(source, false);
    // Composites register themselves; binding leaves them alone.
    EXPECT_TRUE(a->AddFormulaListeners(false));
    EXPECT_TRUE(source->aListenerList.empty());
    FormulaOf(a).AddListeners(false);
    FormulaOf(b).AddListeners(false);
    aParamTab[0] = nullptr;
    delete source;
    EXPECT_EQ(Log(), "gone(A) gone(B) ");
    EXPECT_EQ(a->aFormula, nullptr);
    EXPECT_TRUE(other->aListenerList.empty());
    EXPECT_TRUE(a->GetValueAt(5).IsUndefined());
    // An expression that does not bind registers nothing.
    TFakeParamRow* expression = Expression("E");
    static_cast<TZVFormula*>(expression->aFormula)->Parse(L"nothing + 1");
    EXPECT_FALSE(expression->AddFormulaListeners(false));
}
