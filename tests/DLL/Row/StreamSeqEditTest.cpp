#include "DLL/Row/StreamRow.h"

#include "DLL/Row/ParamRow.h"

#include "support/AssertCapture.h"
#include "support/FakeRows.h"
#include "support/ListenerRecorder.h"
#include "support/ParamUndoRound.h"
#include "support/RowText.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <list>
#include <memory>
#include <string>

namespace {

// A stream row with the given sequences and one enabled parameter keyed at 0, 10 and 40.
class TSeqRow {
public:
    explicit TSeqRow(std::initializer_list<TRange> pSequences)
        : aUndo(aRecorder.aCalls), aScope(aRecorder) {
        aStream.aSequenceList.assign(pSequences);
        aParam = aStream.AddParam(true);
        aRecorder.aNames[&aStream] = "s";
        aRecorder.aNames[aParam] = "p0";
        aParam->insertFormula(TABCFormula(0, TVariant(1.0), 10), nullptr, false);
        aParam->insertFormula(TABCFormula(10, TVariant(2.0), 40), nullptr, false);
    }
    // Drags as the host makes them: the sequences pSelected holds shifted (or copied), or
    // the edge at pEdge moved, step by step, then ended.
    void Shift(TRange pSelected, std::initializer_list<int> pSteps, bool pCopy) {
        TFakeTimeSelection selection({pSelected});
        std::list<TZVStreamRow*> rows;
        TRangeList free, all;
        EXPECT_TRUE(aStream.BeginShift(rows, &free, &all));
        for (int step : pSteps)
            aStream.Shift(step, pCopy);
        aStream.EndShift(aUndo);
    }
    void Resize(long pEdge, std::initializer_list<long> pSteps) {
        TRange limits(-1000, 1000);
        std::list<TZVStreamRow*> rows;
        EXPECT_TRUE(aStream.BeginResize(pEdge, true, limits, &rows));
        for (long step : pSteps)
            aStream.Resize(step);
        aStream.EndShift(aUndo);
    }
    std::string Sequences() const { return RangeText(aStream.aSequenceList); }
    // The record as the host gets it, "" for none.
    wxString Record() {
        const std::unique_ptr<wxXmlNode> record(aStream.MakeUndoList());
        return record ? XmlText(*record) : wxString();
    }

    TFakeProject aProject;
    TListenerRecorder aRecorder;
    TLoggingUndo aUndo;
    TListenerScope aScope;
    TFakeStreamRow aStream;
    TFakeParamRow* aParam;
};

TEST(TStreamSeqEditTest, EditsGiveTheirSequencesAndRecords) {
    typedef std::function<void(TSeqRow&)> TEdit;
    // {name, sequences, edit, sequences after, record}
    struct TCase {
        const char* aName;
        std::initializer_list<TRange> aSequences;
        TEdit aEdit;
        const char* aAfter;
        const wchar_t* aRecord;
    } cases[] = {
        {"split", {{20, 30}}, [](TSeqRow& r) { EXPECT_TRUE(r.aStream.SplitJoinAt(25, &r.aUndo, true)); },
         "(20,25)(25,30)", L"<s><seg begin=\"25\"/><seg begin=\"20\" end=\"30\"/></s>"},
        {"split at a begin", {{20, 30}},
         [](TSeqRow& r) { EXPECT_FALSE(r.aStream.SplitJoinAt(20, &r.aUndo, true)); }, "(20,30)", L""},
        {"join", {{20, 30}, {30, 40}},
         [](TSeqRow& r) { EXPECT_TRUE(r.aStream.SplitJoinAt(30, &r.aUndo, false)); }, "(20,40)",
         L"<s><seg begin=\"20\" end=\"30\"/><seg begin=\"30\" end=\"40\"/></s>"},
        {"shift there and back", {{0, 10}, {20, 30}},
         [](TSeqRow& r) { r.Shift({15, 35}, {5, 0}, false); }, "(0,10)(20,30)", L""},
        {"shift", {{0, 10}, {20, 30}}, [](TSeqRow& r) { r.Shift({15, 35}, {5}, false); },
         "(0,10)(25,35)", L"<s><seg begin=\"25\"/><seg begin=\"20\" end=\"30\"/></s>"},
        {"copy shift", {{20, 30}}, [](TSeqRow& r) { r.Shift({0, 100}, {10, 40}, true); },
         "(20,30)(60,70)", L"<s><seg begin=\"60\"/></s>"},
        {"begin resized", {{20, 30}}, [](TSeqRow& r) { r.Resize(20, {-2, -5}); }, "(15,30)",
         L"<s><seg begin=\"15\"/><seg begin=\"20\" end=\"30\"/></s>"},
        {"end resized in", {{0, 40}}, [](TSeqRow& r) { r.Resize(40, {-35}); }, "(0,5)",
         L"<s><seg begin=\"0\" end=\"40\"/></s>"},
        {"deleted", {{0, 10}, {20, 30}, {40, 50}},
         [](TSeqRow& r) {
             TRangeList selection, deleted;
             selection.push_back(TRange(15, 35));
             r.aStream.DeleteSequence(selection, deleted, r.aUndo);
             EXPECT_EQ(RangeText(deleted), "(20,30)");
         },
         "(0,10)(40,50)", L"<s><seg begin=\"20\" end=\"30\"/></s>"},
        {"duration", {{0, 40}}, [](TSeqRow& r) { r.aStream.SetDuration(60, r.aUndo); }, "(0,60)",
         L"<s><seg begin=\"0\" end=\"40\"/></s>"},
    };
    for (const TCase& c : cases) {
        TSeqRow row(c.aSequences);
        const std::string before = row.Sequences();
        c.aEdit(row);
        EXPECT_EQ(row.Sequences(), c.aAfter) << c.aName;
        const wxString record = row.Record();
        EXPECT_EQ(record, c.aRecord) << c.aName;
        if (record.empty())
            continue;
        const std::unique_ptr<wxXmlNode> parsed(ParseXml(record));
        EXPECT_TRUE(ReplaySequenceRecord(row.aStream, *parsed));
        EXPECT_EQ(row.Sequences(), before) << c.aName;
        const std::unique_ptr<wxXmlNode> opposite(row.aStream.MakeUndoList());
        ASSERT_TRUE(opposite);
        EXPECT_TRUE(ReplaySequenceRecord(row.aStream, *opposite));
        EXPECT_EQ(row.Sequences(), c.aAfter) << c.aName;
    }
}

TEST(TStreamSeqEditTest, ShiftAndResizeLimits) {
    TSeqRow row({{0, 10}, {20, 30}, {30, 40}});
    TFakeTimeSelection selection({{15, 35}});
    std::list<TZVStreamRow*> rows;
    TRangeList free, all;
    EXPECT_TRUE(row.aStream.BeginShift(rows, nullptr, nullptr));
    EXPECT_TRUE(row.aStream.aUndoList.empty());
    EXPECT_TRUE(row.aStream.BeginShift(rows, &free, &all));
    EXPECT_EQ(RangeText(free), "(-29,-10)(1,20)");
    EXPECT_EQ(RangeText(all), "(-29,-10)(-9,20)");
    row.aStream.EndShift(row.aUndo);
    EXPECT_TRUE(row.aStream.aUndoList.empty());
    TRange limits(-1000, 1000);
    EXPECT_TRUE(row.aStream.BeginResize(30, false, limits, &rows));
    EXPECT_EQ(limits.aBegin, 0);
    EXPECT_EQ(limits.aEnd, 9);
    EXPECT_EQ(&*row.aStream.aEditSeq, &row.aStream.aSequenceList.back());
    TRange left(-1000, 1000);
    EXPECT_TRUE(row.aStream.BeginResize(30, true, left, &rows));
    EXPECT_EQ(left.aBegin, -9);
    EXPECT_EQ(left.aEnd, 0);
    TRange gap(-1000, 1000);
    EXPECT_TRUE(row.aStream.BeginResize(10, true, gap, &rows));
    EXPECT_EQ(gap.aBegin, -9);
    EXPECT_EQ(gap.aEnd, 10);
    EXPECT_FALSE(row.aStream.BeginResize(25, true, gap, &rows));
}

TEST(TStreamSeqEditTest, ScaleTimeSaturatesAndRefusesBadFactors) {
    TSeqRow row({{0, 1}, {2, 10}});
    row.aStream.ScaleTime(0.5, row.aUndo);
    EXPECT_EQ(row.Sequences(), "(1,5)");
    EXPECT_EQ(row.Record(), L"<s><seg begin=\"1\" end=\"2\"/><seg begin=\"0\" end=\"1\"/>"
                            L"<seg begin=\"2\" end=\"10\"/></s>");
    TSeqRow huge({{0, 10}, {1000000000, 1000000010}});
    huge.aStream.ScaleTime(1000.0, huge.aUndo);
    EXPECT_EQ(huge.Sequences(), "(0,10000)");
    TAssertCapture capture;
    for (double factor : {0.0, -1.0, std::nan("")})
        huge.aStream.ScaleTime(factor, huge.aUndo);
    EXPECT_EQ(capture.Conditions().size(), 3u);
    EXPECT_EQ(huge.Sequences(), "(0,10000)");
}

TEST(TStreamSeqEditTest, BrokenPreconditionsAreReportedAndSkipped) {
    TSeqRow row({{0, 10}, {20, 30}});
    TAssertCapture capture;
    row.aStream.SetDuration(50, row.aUndo);
    row.aStream.SetSequence(TRange(5, 5));
    row.aStream.SetSequence(TRange(12, 25));
    row.aStream.SetSequence(TRange(0, 25));
    row.aStream.Resize(3);
    EXPECT_EQ(row.Sequences(), "(0,10)(20,30)");
    EXPECT_EQ(row.Record(), L"");
    EXPECT_EQ(capture.Conditions().size(), 5u);
}

} // namespace
