#include "DLL/Ctl/WaveformBitmap.h"

#include "support/AssertCapture.h"
#include "support/FakeRows.h"
#include "support/FakeWaveform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

typedef TZVWaveformBitmap TWB;

std::string Hex(uint64_t pValue) {
    char text[24];
    std::snprintf(text, sizeof text, "%llx", (unsigned long long)pValue);
    return text;
}

// A mono medium whose level i is pLevel(i), one level per 4 ms.
std::unique_ptr<TZVMedia> Levels(int pCount, int (*pLevel)(int)) {
    std::vector<int16_t> samples;
    for (int level = 0; level < pCount; ++level)
        samples.push_back(SampleOfLevel(pLevel(level)));
    return LevelMedium(1, samples);
}

int Cycle(int pIndex) {
    return pIndex % 16;
}

class WaveformBitmapTest : public ::testing::Test {
protected:
    WaveformBitmapTest()
        : aMedium(Levels(4200, Cycle)), aRow(aMedium.get(), 0), aOther(aMedium.get(), 1) {
        Restart();
    }
    ~WaveformBitmapTest() override {
        TWB::Remove(&aRow);
        TWB::Remove(&aOther);
        aMedium.reset();
        IZVWaveformFactory::theSingleton = nullptr;
    }

    // Forgets every context and puts the cache back as the host starts it.
    void Restart() {
        TWB::Remove(&aRow);
        TWB::Remove(&aOther);
        TWB::Init(&aNotify);
        TWB::SetScale(1.0);
        TWB::theMinChunk = 0;
        TWB::theCurPixel = -1;
        TWB::theCurTime = 0;
        TWB::theSubCount = 0;
        TWB::theIsFirstSub = false;
        TWB::thePostedMask = 0;
        aNotify.aLog.clear();
    }
    void Load() {
        aSet.Set(0, &aSeconds);
        aSet.Set(1, &aSeconds);
        TWB::LoadContext(&aSet);
    }
    TWB* Context(const TZVBaseRow& pRow) {
        for (TWB& context : TWB::theContextList)
            if (NSAudioMediaRow::AsBaseRow(context.aAudioSource) == &pRow)
                return &context;
        return nullptr;
    }
    // "window <first>+<count>" and each live chunk with need or done bits of pRow.
    std::string Masks(const TZVBaseRow& pRow) {
        std::string text =
            "window " + std::to_string(TWB::theMinChunk) + "+" + std::to_string(TWB::theChunkCount);
        TWB* context = Context(pRow);
        for (int chunk = TWB::theMinChunk; context && chunk < TWB::theMinChunk + TWB::theChunkCount;
             ++chunk) {
            const uint64_t need = context->aNeed[chunk & 63], done = context->aDone[chunk & 63];
            if (need || done)
                text += " c" + std::to_string(chunk) + ":" + Hex(need) + "/" + Hex(done);
        }
        return text;
    }
    // The live chunks in which pRow needs columns, as runs "first-last".
    std::string NeededChunks(const TZVBaseRow& pRow) {
        std::string text;
        const int end = TWB::theMinChunk + TWB::theChunkCount;
        for (int chunk = TWB::theMinChunk; chunk < end; ++chunk) {
            if (!Context(pRow)->aNeed[chunk & 63])
                continue;
            const int first = chunk;
            while (chunk + 1 < end && Context(pRow)->aNeed[(chunk + 1) & 63])
                ++chunk;
            text += std::to_string(first) + "-" + std::to_string(chunk) + " ";
        }
        if (!text.empty())
            text.pop_back();
        return text;
    }
    // One NextTime and, when it finds a column, one ComputeSlice: "<result>@<time> ".
    std::string Step() {
        long time = -99;
        const int result = TWB::NextTime(time);
        if (result)
            TWB::ComputeSlice();
        return std::to_string(result) + "@" + std::to_string(time) + " ";
    }
    // pCount steps, logged in turn.
    std::string Steps(int pCount) {
        std::string log;
        for (int step = 0; step < pCount; ++step)
            log += Step();
        return log;
    }
    // Steps until nothing is pending; the number of steps.
    int Run() {
        int steps = 0;
        for (long time = 0; TWB::NextTime(time) && steps < 100000; ++steps)
            TWB::ComputeSlice();
        return steps;
    }
    // " row", " other" for each active context, in list order: one whole sweep.
    std::string Actives() {
        std::string text;
        while (const TWB* context = TWB::GetNextBitmap())
            text += NSAudioMediaRow::AsBaseRow(context->aAudioSource) == &aRow ? " row" : " other";
        return text;
    }
    // The bytes of columns [pBegin, pEnd) of pRow.
    std::string Bytes(const TZVBaseRow& pRow, int pBegin, int pEnd) {
        std::string text;
        for (int pixel = pBegin; pixel < pEnd; ++pixel)
            text += Hex(Context(pRow)->GetPixel(pixel)) + " ";
        return text;
    }

    TChunkLog aNotify;
    std::unique_ptr<TZVMedia> aMedium;
    TFakeAudioRow aRow;
    TFakeAudioRow aOther;
    TSecondsFormula aSeconds{4.0}; // one time unit = one level
    TFakeContextSet aSet;
};

TEST_F(WaveformBitmapTest, RangesMarkTheirColumnsInTheirChunks) {
    // A range wider than 64 chunks keeps its first 64, the last one whole.
    std::string whole;
    for (int chunk = 2; chunk <= 64; ++chunk)
        whole += " c" + std::to_string(chunk) + ":ffffffffffffffff/0";
    std::string log;
    for (const auto& range : std::vector<std::pair<int, int>>{
             {0, 64}, {60, 70}, {-1, 0}, {5, 5}, {-130, -120}, {100, 10000}}) {
        Restart();
        TWB::DrawPixelRange(&aRow, range.first, range.second);
        log += "[" + std::to_string(range.first) + "," + std::to_string(range.second) + ") " +
               Masks(aRow) + "\n";
    }
    EXPECT_EQ(log, "[0,64) window 0+1 c0:ffffffffffffffff/0\n"
                   "[60,70) window 0+2 c0:f000000000000000/0 c1:3f/0\n"
                   "[-1,0) window -1+1 c-1:8000000000000000/0\n"
                   "[5,5) window 0+0\n"
                   "[-130,-120) window -3+2 c-3:c000000000000000/0 c-2:ff/0\n"
                   "[100,10000) window 1+64 c1:fffffff000000000/0" +
                       whole + "\n");
}

TEST_F(WaveformBitmapTest, TheWindowSlidesAndFreesWhatLeavesIt) {
    std::string log;
    for (const auto& range : std::vector<std::pair<int, int>>{
             {80 * 64, 82 * 64 - 1}, {5 * 64 + 3, 5 * 64 + 4}, {200 * 64, 200 * 64 + 1}}) {
        Restart();
        TWB::DrawPixelRange(&aRow, 10 * 64, 74 * 64);
        TWB::DrawPixelRange(&aOther, range.first, range.second);
        log += "window " + std::to_string(TWB::theMinChunk) + "+" +
               std::to_string(TWB::theChunkCount) + " kept " + NeededChunks(aRow) + "\n";
    }
    EXPECT_EQ(log, "window 18+64 kept 18-73\n"
                   "window 5+64 kept 10-68\n"
                   "window 200+1 kept \n");
}

TEST_F(WaveformBitmapTest, NextTimeTellsWhetherAndWhatToCompute) {
    long time = 77;
    std::string log = std::to_string(TWB::NextTime(time)) + "@" + std::to_string(time) + " ";
    TWB::DrawPixelRange(&aRow, 3, 5);
    log += Step(); // the context has no parameters yet
    Load();
    for (int step = 0; step < 3; ++step)
        log += Step();
    log += "| " + Masks(aRow) + " " + Bytes(aRow, 3, 5);
    EXPECT_EQ(log, "0@77 1@3 2@3 2@4 0@-99 | window 0+1 c0:18/18 3 4 ");
}

// Zoomed out, a column takes the nibble maxima of its time units (levels at times 4 to 7, one
// a time unit); zoomed in, one slice fills every column of its time unit.
TEST_F(WaveformBitmapTest, ColumnsTakeTheNibbleMaximaOfTheirTimeUnits) {
    std::vector<int16_t> samples(8, 0);
    for (int level : {14, 1, 1, 7, 2, 2, 3, 1})
        samples.push_back(SampleOfLevel(level));
    std::unique_ptr<TZVMedia> stereo = LevelMedium(2, samples);
    aRow.aMedia = stereo.get();
    TWB::SetScale(0.25);
    TWB::DrawPixelRange(&aRow, 1, 2);
    Load();
    std::string log = Step();
    log += Bytes(aRow, 1, 2) + "| ";
    log += std::to_string(Run());
    log += " " + Bytes(aRow, 1, 2) + Masks(aRow) + "\n";
    Restart();
    aRow.aMedia = aMedium.get();
    aSeconds.aFactor = 16.0; // four levels a time unit
    TWB::SetScale(4.0);
    TWB::DrawPixelRange(&aRow, 8, 16);
    Load();
    log += Step();
    log += Masks(aRow) + " " + Bytes(aRow, 8, 12) + "| ";
    log += Step();
    log += Masks(aRow) + " " + Bytes(aRow, 12, 16);
    EXPECT_EQ(log, "2@4 1e | 3 7e window 0+1 c0:2/2\n"
                   "2@2 window 0+1 c0:ff00/f00 8 9 a b | 2@3 window 0+1 c0:ff00/ff00 c d e f ");
}

// A load hands a context its renderer's formula table and its medium's summary. When the
// renderer no longer knows the row, or the row lost its medium, a later load takes both back:
// the loop waits for the parameters again instead of reading a table that is gone.
TEST_F(WaveformBitmapTest, ALoadWithoutRenderContextOrMediumTakesTheOldOneBack) {
    std::string log;
    for (const std::string lost : {"renderer", "set", "medium"}) {
        Restart();
        TWB::DrawPixelRange(&aRow, 3, 5);
        Load();
        log += lost + ": " + Step();
        if (lost == "renderer")
            aSet.aContexts.clear(); // the tables go with their contexts
        if (lost == "medium")
            aRow.aMedia = nullptr;
        TWB::LoadContext(lost == "set" ? nullptr : &aSet);
        const TWB* context = Context(aRow);
        log += context->aParams || context->aWaveform ? "kept " : "";
        log += Step();
        log += Masks(aRow) + "\n";
        aRow.aMedia = aMedium.get();
    }
    EXPECT_EQ(log, "renderer: 2@3 1@4 window 0+1 c0:18/8\n"
                   "set: 2@3 1@4 window 0+1 c0:18/8\n"
                   "medium: 2@3 1@4 window 0+1 c0:18/8\n");
}

// A column chosen again while it has sub-steps to come goes on one time unit; any other choice
// starts its column at the column's own time. Zoomed out 4 times, column 1 spans times 4-7 and
// column 2 times 8-11.
TEST_F(WaveformBitmapTest, NextTimeStepsOnlyThroughTheSubStepsOfTheSameColumn) {
    const std::pair<const char*, std::function<std::string()>> cases[] = {
        // Four steps through column 1, the last of which marks it done.
        {"through", [this] { return Steps(5); }},
        // A row without parameters makes every choice a new start of the column.
        {"unloaded",
         [this] {
             TWB::DrawPixelRange(&aOther, 1, 2);
             aSet.aContexts.resize(1);
             TWB::LoadContext(&aSet);
             return Steps(3);
         }},
        // The column left half-way: the next one starts at its own time.
        {"left",
         [this] {
             TWB::DrawPixelRange(&aRow, 2, 3);
             const std::string first = Step();
             TWB::LeavePixel(&aRow, 1);
             return first + Step();
         }},
        // At scale 1 no column has sub-steps: chosen again after a step without parameters,
        // it keeps its time.
        {"again", [this] {
             TWB::SetScale(1.0);
             TWB::DrawPixelRange(&aRow, 3, 4);
             aSet.aContexts.clear();
             TWB::LoadContext(&aSet);
             const std::string first = Step();
             Load();
             return first + Step();
         }}};
    std::string log;
    for (const auto& [name, steps] : cases) {
        Restart();
        TWB::SetScale(0.25);
        TWB::DrawPixelRange(&aRow, 1, 2);
        Load();
        log += name + std::string(": ") + steps() + "\n";
    }
    EXPECT_EQ(log, "through: 2@4 2@5 2@6 2@7 0@-99 \n"
                   "unloaded: 1@4 1@4 1@4 \n"
                   "left: 2@4 2@8 \n"
                   "again: 1@3 2@3 \n");
}

// Which rows a step computes, from the columns the row and the other row need before it. A
// single column is computed only by the rows that need it; a run of columns by every row that
// needs one of them, in the chunk after too, unless that chunk is not live.
TEST_F(WaveformBitmapTest, AStepComputesTheRowsThatNeedItsColumns) {
    const struct {
        double aScale;
        int aRow, aOther; // the first needed column of each; -1 none
        int aCursor;      // where the scan starts
        const char* aMasks;
    } cases[] = {
        {1.0, 5, 6, -1, "row c0:20/20 other c0:40/0"},
        {4.0, 10, 11, -1, "row c0:400/c00 other c0:800/c00"}, // a run of 10-11
        {4.0, 10, 20, -1, "row c0:400/c00 other c0:100000/0"},
        // A run of 62-67: the other row needs 64.
        {4.0, 62, 64, -1,
         "row c0:4000000000000000/c000000000000000 c1:0/f "
         "other c0:0/c000000000000000 c1:1/f"},
        // A run of 4094-4099 in the last of 64 live chunks: chunk 64 would be chunk 0's slot.
        {4.0, 4094, 0, 4090, "row c63:4000000000000000/c000000000000000 other c0:1/0"},
    };
    std::string log;
    for (const auto& test : cases) {
        Restart();
        TWB::SetScale(test.aScale);
        aSeconds.aFactor = 4.0 * test.aScale;
        TWB::DrawPixelRange(&aOther, test.aOther, test.aOther + 1);
        TWB::DrawPixelRange(&aRow, test.aRow, test.aRow + 1);
        Load();
        TWB::theCurPixel = test.aCursor;
        Step();
        log += "row" + Masks(aRow).substr(Masks(aRow).find(' ', 7)) + " other" +
               Masks(aOther).substr(Masks(aOther).find(' ', 7)) + "\n";
    }
    std::string expected;
    for (const auto& test : cases)
        expected += test.aMasks + std::string("\n");
    EXPECT_EQ(log, expected);
}

TEST_F(WaveformBitmapTest, CompleteChunksAreToldUntilPostedOrCollected) {
    TWB::DrawPixelRange(&aRow, 64, 66);
    TWB::DrawPixelRange(&aRow, 130, 131);
    Load();
    std::string log = std::to_string(Run());
    log += " " + aNotify.aLog + "| ";
    TWB* context = Context(aRow);
    TWB::DrawPixelRange(&aRow, 66, 68);
    log += Hex(context->GetAndClearNeed(1)) + " "; // columns 66 and 67 are pending
    aNotify.aLog.clear();
    TWB::MarkChunkPost(2, true);
    log += std::to_string(Run());
    log += " " + aNotify.aLog + "| ";
    log += Hex(context->GetAndClearNeed(1)) + " ";
    log += Hex(context->GetAndClearNeed(1)) + " ";
    aNotify.aLog.clear();
    log += Step();
    log += aNotify.aLog + "| ";
    TWB::MarkChunkPost(2, false);
    log += Step();
    log += aNotify.aLog;
    EXPECT_EQ(log, "3 ready(1) ready(2) ready(1) | 0 2 ready(1) | f 0 0@-99 | 0@-99 ready(2) ");
}

TEST_F(WaveformBitmapTest, LeftPixelsAreNeitherComputedNorHandedOver) {
    TWB::DrawPixelRange(&aRow, 0, 4);
    Load();
    TWB::LeavePixel(&aRow, 1);   // pending
    TWB::LeavePixel(&aRow, 500); // outside the window: nothing
    // Chunk 64 would lie in chunk 0's slot, but it is not live: neither the column nor a
    // context for the other row.
    TWB::LeavePixel(&aRow, 64 * 64 + 3);
    TWB::LeavePixel(&aOther, 64 * 64 + 3);
    std::string log = std::to_string(Run());
    log += " " + Masks(aRow) + " | ";
    TWB::LeavePixel(&aRow, 2); // done
    log += Hex(Context(aRow)->GetAndClearNeed(0));
    log += " " + Masks(aRow) + " " + std::to_string(TWB::theContextList.size()) + " context";
    EXPECT_EQ(log, "3 window 0+1 c0:d/d | 9 window 0+1 c0:0/d 1 context");
}

// Each way of forgetting columns, from two computed rows: the row's columns at 0-2 and 64-65,
// the other's at 0-1. A new scale forgets every row's live columns and leaves them active; a
// reset forgets one slot of one row and takes that row out of the sweep; an invalidation
// forgets one row's columns; a freed chunk goes from every row, which all leave the sweep.
TEST_F(WaveformBitmapTest, ForgettingColumnsClearsWhatItSaysAndDeactivatesWhereItSays) {
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"scale", [] { TWB::SetScale(2.0); }},
        {"reset", [this] { Context(aRow)->Reset(1); }},
        {"invalidate", [this] { TWB::Invalidate(&aRow); }},
        {"free", [] { TWB::freeChunk(1); }}};
    std::string log;
    for (const auto& [name, forget] : cases) {
        Restart();
        TWB::DrawPixelRange(&aRow, 0, 3);
        TWB::DrawPixelRange(&aRow, 64, 66);
        TWB::DrawPixelRange(&aOther, 0, 2);
        Load();
        Run();
        const int cursor = TWB::theCurPixel;
        forget();
        log += name + (" | " + Masks(aRow)) + " | " + Masks(aOther) + " | active" + Actives() +
               (TWB::theCurPixel == cursor ? "" : " moved") + "\n";
    }
    EXPECT_EQ(log, "scale | window 0+2 | window 0+2 | active other row\n"
                   "reset | window 0+2 c0:7/7 | window 0+2 c0:3/3 | active other\n"
                   "invalidate | window 0+2 | window 0+2 c0:3/3 | active other row\n"
                   "free | window 0+2 c0:7/7 | window 0+2 c0:3/3 | active\n");
}

TEST_F(WaveformBitmapTest, TheSweepVisitsActiveContextsAndSurvivesRemoval) {
    TFakeAudioRow third(aMedium.get(), 2);
    TWB::DrawPixelRange(&aRow, 0, 1);
    TWB::DrawPixelRange(&aOther, 0, 1);
    TWB::DrawPixelRange(&third, 0, 1); // the list is third, other, row
    auto name = [&](const TWB* pContext) -> std::string {
        if (!pContext)
            return "end ";
        const TZVBaseRow* row = NSAudioMediaRow::AsBaseRow(pContext->aAudioSource);
        return row == &aRow ? "row " : row == &aOther ? "other " : "third ";
    };
    auto next = [&](int pCount) {
        std::string names;
        for (int call = 0; call < pCount; ++call)
            names += name(TWB::GetNextBitmap());
        return names;
    };
    std::string log = next(2);
    TWB::Remove(&aOther); // under the cursor
    log += next(2);
    TWB::GetNextBitmap();
    TWB::Remove(&third);       // the first context, under the cursor
    TWB::SetVertRange(30, 40); // only shown rows that reach into [30, 40)
    log += next(1) + "| ";
    aRow.aTop = 35;
    TWB::SetVertRange(30, 40);
    log += next(2);
    aRow.aLevel = 1;
    aRow.aIsShown = false;
    TWB::SetVertRange(30, 40);
    log += name(TWB::GetNextBitmap());
    EXPECT_EQ(log, "third other row end end | row end end ");
}

TEST_F(WaveformBitmapTest, RunsStopAtTheEndOfAFullWindow) {
    aSeconds.aFactor = 16.0;
    TWB::SetScale(4.0);
    TWB::DrawPixelRange(&aRow, 0, 4);
    TWB::DrawPixelRange(&aRow, 4094, 4096); // chunks 0 to 63: the next slot is chunk 0's
    Load();
    TWB::theCurPixel = 4090; // the scan starts in chunk 63
    std::string log = Step();
    // Time 1024 runs over 6 columns, of which only 4094 and 4095 are live.
    log += Hex(Context(aRow)->aDone[0]) + " " + Bytes(aRow, 0, 4) + "| " +
           Hex(Context(aRow)->aDone[63]) + " " + Bytes(aRow, 4094, 4096);
    EXPECT_EQ(log, "2@1024 0 0 0 0 0 | c000000000000000 0 1 ");
}

// A medium time that is no number reads as silence, as does a medium without a summary.
TEST_F(WaveformBitmapTest, UnreadableTimesAndMissingSummariesGiveSilence) {
    std::string log;
    for (const bool summary : {true, false}) {
        Restart();
        aSeconds.aFactor = summary ? std::nan("") : 16.0;
        IZVWaveformFactory::theSingleton = summary ? &TWB::theFactory : nullptr;
        std::unique_ptr<TZVMedia> medium = Levels(4200, Cycle);
        aRow.aMedia = medium.get();
        TWB::SetScale(4.0);
        TWB::DrawPixelRange(&aRow, 0, 4);
        Load();
        log += std::to_string(Run());
        log += " steps, " + Bytes(aRow, 0, 4) + Masks(aRow) + "\n";
        TWB::Remove(&aRow);
    }
    aRow.aMedia = aMedium.get();
    EXPECT_EQ(log, "1 steps, 0 0 0 0 window 0+1 c0:f/f\n1 steps, 0 0 0 0 window 0+1 c0:f/f\n");
}

TEST_F(WaveformBitmapTest, AContextJoiningAColumnLateStartsFromSilence) {
    // Levels 8, 9, 10, 11 fall on column 2; the second row joins after level 8.
    TWB::SetScale(0.25);
    TWB::DrawPixelRange(&aRow, 2, 3);
    Load();
    std::string log = Step();
    TWB::DrawPixelRange(&aOther, 2, 3);
    Load();
    log += std::to_string(Run());
    log += " " + Bytes(aRow, 2, 3) + Bytes(aOther, 2, 3) + Masks(aOther);
    EXPECT_EQ(log, "2@8 3 b b window 0+1 c0:4/4");
}

// The host may work one context at a time: find it (made at the front when new), load it,
// compute it at the column NextTime chose, forget its columns or free a chunk everywhere.
TEST_F(WaveformBitmapTest, TheHostCanDriveOneContextThroughItsOwnOperations) {
    TWB::DrawPixelRange(&aOther, 0, 4);
    TWB* context = TWB::find(&aRow);
    std::string log = std::string(context == &TWB::theContextList.front() ? "front " : "") +
                      (context->aIsActive || context->aParams ? "used " : "new ");
    TWB::DrawPixelRange(&aRow, 0, 3);
    log += TWB::find(&aRow) == context ? "same | " : "other | ";
    long time = 0;
    log += std::to_string(TWB::NextTime(time)) + "@" + std::to_string(time) + " ";
    context->computePixel(1); // not loaded: nothing
    log += Masks(aRow) + " ";
    aSet.Set(0, &aSeconds);
    context->loadContext(&aSet);
    log += Context(aOther)->aParams ? "both " : "one ";
    context->computePixel(1);
    log += Masks(aRow) + " " + Bytes(aRow, 0, 1) + "| ";
    context->invalidate();
    log += Masks(aRow) + " " + Masks(aOther) + " | ";
    TWB::DrawPixelRange(&aRow, 64, 65);
    TWB::freeChunk(0);
    log += Masks(aRow) + " " + Masks(aOther) + (TWB::GetNextBitmap() ? " active" : " none");
    EXPECT_EQ(log, "front new same | 1@0 window 0+1 c0:7/0 one window 0+1 c0:7/1 0 | "
                   "window 0+1 window 0+1 c0:f/0 | window 0+2 c1:1/0 window 0+2 none");
    TFakeParamRow notAudio;
    const std::string cast =
        "dynamic_cast<const TZVAudioMediaSourceRow*>(pAudioSource) returned NULL";
    EXPECT_ASSERTS(EXPECT_EQ(TWB::find(&notAudio), nullptr), cast);
    EXPECT_ASSERTS(EXPECT_EQ(TWB::find(nullptr), nullptr), cast);
    EXPECT_EQ(TWB::theContextList.size(), 2u);
}

TEST_F(WaveformBitmapTest, MisuseIsReportedAndChangesNothing) {
    TFakeParamRow notAudio;
    TWB::DrawPixelRange(&aRow, 0, 64);
    TWB::LeavePixel(&aRow, 5);
    const std::string before = Masks(aRow);
    TAssertCapture capture;
    TWB::DrawPixelRange(&aRow, 10, 5);
    TWB::DrawPixelRange(&notAudio, 200 * 64, 200 * 64 + 1); // refused before the window moves
    TWB::LeavePixel(&notAudio, 3);
    TWB::Invalidate(nullptr);
    Context(aRow)->Reset(64);
    for (double scale : {0.0, -1.0, std::nan(""), HUGE_VAL})
        TWB::SetScale(scale);
    TWB::Invalidate(&notAudio);
    TWB::Remove(&notAudio);
    const std::string after = Masks(aRow) + " scale " + std::to_string(TWB::theScale) + " " +
                              std::to_string(TWB::theContextList.size()) + " context";
    EXPECT_EQ(before, "window 0+1 c0:ffffffffffffffdf/0");
    EXPECT_EQ(after, before + " scale 1.000000 1 context");
    const std::string cast =
        "dynamic_cast<const TZVAudioMediaSourceRow*>(pAudioSource) returned NULL";
    const std::string scale = "pScale > 0.0 && std::isfinite(pScale)";
    EXPECT_EQ(capture.Conditions(),
              std::vector<wxString>({"pBegin <= pEnd", cast, cast, "pAudioRow != __null",
                                     "(pChunk & ~MAX_CHUNK_MASK)==0", scale, scale, scale, scale}));
}

} // namespace
