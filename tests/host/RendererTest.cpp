#include "Renderer.h"

#include "DLL/Bas/ABCFormula.h"
#include "DLL/Edt/MediaFormat.h"
#include "DLL/Row/ParamRow.h"
#include "support/FakeRenderContext.h"
#include "support/TestContainerRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

// A picture stream that logs, per pass, what its row's context shows it: "name(sources) "
// from SetRenderContext, each of the first aReads sources by its stream's name ("-" for
// none, "*" when it counts as changed), and "name+ " from Update. It answers aCode. Asking
// for a source renders it, so what that logs comes first.
class TLogStream : public TFakeVideoStream {
public:
    TLogStream(const wxString& pName, wxString& pLog) : aName(pName), aLog(pLog) {}

    int32_t SetRenderContext(const IZVRenderContext* pContext) override {
        wxString sources;
        for (int i = 0; i < std::min(aReads, pContext->GetSourceCount()); ++i) {
            const IZVRenderContext* source = pContext->GetSourceContext(i, 0, 0, 0.0);
            const TLogStream* stream =
                source ? dynamic_cast<const TLogStream*>(source->GetStream()) : nullptr;
            sources << (i ? " " : "") << (stream ? stream->aName : wxString("-"))
                    << (pContext->IsSourceShown(i) ? "" : "*");
        }
        aLog << aName << "(" << sources << ") ";
        return aCode;
    }
    void Update(const IZVRenderContext*) override { aLog << aName << "+ "; }

    const wxString aName;
    wxString& aLog;
    int32_t aCode = 0;
    int aReads = 1000;
};

class Renderer : public ::testing::Test {
protected:
    // root: V (mixer: a, b with filter F masked by k)
    void SetUp() override {
        aRoot = MakeTestRoot();
        aRoot->InsertSource(MakeRow<TTestMixerRow>(L"V"), nullptr);
        TZVMixerRow* mixer = static_cast<TZVMixerRow*>(aRoot->aSourceChildList.front());
        mixer->InsertSource(MakeRow<TTestSourceRow>(L"a"), nullptr);
        mixer->InsertSource(MakeRow<TTestSourceRow>(L"b"), nullptr);
        TZVSourceRow* b = mixer->aSourceChildList.back();
        b->InsertFilter(MakeFilter(L"Opacity", L"F"), nullptr);
        b->aFilterChildList.front()->InsertSource(MakeRow<TTestSourceRow>(L"k"), nullptr);
        TRowCollector rows;
        aRoot->ApplyOperation(rows);
        for (TZVStreamRow* row : rows.aRows) {
            row->aSequenceList.clear();
            row->aSequenceList.Add(0, 100, row->aSequenceList.begin());
            TLogStream* stream = new TLogStream(row->aName.empty() ? L"root" : row->aName, aLog);
            stream->AddRef();
            if (row->aRenderStream)
                row->aRenderStream->Release();
            row->aRenderStream = stream;
            aRows[row->aName] = row;
        }
        aFormat.SetWidth(4);
        aFormat.SetHeight(2);
    }

    TLogStream& Stream(const wchar_t* pRow) {
        return *static_cast<TLogStream*>(aRows.at(pRow)->aRenderStream);
    }
    // The log of rendering frame pFrame.
    wxString Render(TZVRenderer& pRenderer, long pFrame) {
        aLog.clear();
        pRenderer.RenderFrame(pFrame);
        return aLog;
    }

    std::unique_ptr<TTestMixerRow> aRoot;
    std::map<wxString, TZVStreamRow*> aRows;
    TMediaFormat aFormat;
    wxString aLog;
};

} // namespace

TEST_F(Renderer, SourcesMasksAndFiltersComeBeforeTheirUsersAndOnlyActiveRowsRun) {
    TZVRenderer renderer(aRoot.get(), aFormat);
    // Row "a" ends at 3; F skips frame 2, so its source is seen through; b has no picture
    // at 4; k is kept out of rendering from 5.
    aRows[L"a"]->aSequenceList.front().aEnd = 3;
    aRows[L"F"]->aSequenceList.clear();
    aRows[L"F"]->aSequenceList.Add(0, 2, aRows[L"F"]->aSequenceList.end());
    aRows[L"F"]->aSequenceList.Add(3, 100, aRows[L"F"]->aSequenceList.end());
    const struct {
        long aFrame;
        const char* aLog;
    } frames[] = {
        {0, "a() a+ b() b+ k() k+ F(b* k*) F+ V(a* F*) V+ "},
        {1, "a() a+ b() b+ k() k+ F(b k) F+ V(a F) V+ "},
        {2, "a() a+ b() b+ V(a b*) V+ "},
        {3, "b() b+ k() k+ F(b k*) F+ V(-* F*) V+ "},
        {4, "b() k() k+ F(-* k) F+ V(-* F) V+ "},
        {5, "b() b+ F(b* -*) F+ V(-* F) V+ "},
        {100, ""},
    };
    for (const auto& frame : frames) {
        Stream(L"b").aCode = frame.aFrame == 4 ? 4 : 0;
        aRows[L"k"]->aIsRendered = frame.aFrame < 5;
        EXPECT_EQ(Render(renderer, frame.aFrame).utf8_string(), frame.aLog) << frame.aFrame;
    }
}

// A mixer reads its sources front to back until the frame is covered: those behind are never
// driven, nor decoded, and nothing is rendered of a picture nobody wants.
TEST_F(Renderer, OnlyWhatTheTopAndItsUsersReadIsRendered) {
    TZVRenderer renderer(aRoot.get(), aFormat);
    Stream(L"V").aReads = 1;
    EXPECT_EQ(Render(renderer, 0).utf8_string(), "a() a+ V(a*) V+ ");
    EXPECT_EQ(Render(renderer, 1).utf8_string(), "a() a+ V(a) V+ ");
    // Uncovered again: the filter chain behind is rendered, and counts as changed.
    Stream(L"V").aReads = 2;
    EXPECT_EQ(Render(renderer, 2).utf8_string(), "a() a+ b() b+ k() k+ F(b* k*) F+ V(a F*) V+ ");
    TZVRenderer sound(aRoot.get(), aFormat, false, true);
    EXPECT_EQ(Render(sound, 3).utf8_string(), "");
    EXPECT_EQ(sound.GetPicture(), nullptr);
}

TEST_F(Renderer, TheTopPictureIsTheVideoMixersWhenItAnswered0) {
    TZVRenderer renderer(aRoot.get(), aFormat);
    renderer.RenderFrame(0);
    EXPECT_EQ(renderer.GetPicture(), &Stream(L"V"));
    Stream(L"V").aCode = 4;
    renderer.RenderFrame(1);
    EXPECT_EQ(renderer.GetPicture(), nullptr);
    EXPECT_EQ(renderer.GetSound(), nullptr);
}

TEST_F(Renderer, SnapshotsOfEveryParameterAreKeptInTheSlotsOfTheRenderKeys) {
    TZVParamRow* p1 = aRows[L"a"]->aParamTab[0];
    p1->insertFormula(TABCFormula(0, TVariant(7.0), 100), nullptr, false);
    TZVRenderer renderer(aRoot.get(), aFormat);
    IFormula** slot = renderer.GetParamSlot(aRows[L"a"]->aRenderKey, 0, false);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(renderer.GetParamSlot(aRows[L"a"]->aRenderKey, 3, false), nullptr);
    EXPECT_EQ(renderer.GetParamSlot(-1, 0, false), nullptr);
    for (long frame : {0L, 1L}) {
        renderer.RenderFrame(frame);
        ASSERT_NE(*slot, nullptr);
        EXPECT_EQ((*slot)->ComputePointAt(double(frame)).GetDouble(), 7.0);
    }
}

TEST(RendererSamples, CountsAddUpToTheExactTotalAtAnyRate) {
    const struct {
        long aFrame, aRate, aFrameRate;
        int aCount;
    } cases[] = {
        {0, 44100, 25000, 1764},  {0, 48000, 29970, 1601}, {1, 48000, 29970, 1602},
        {2, 48000, 29970, 1601},  {-1, 48000, 29970, 1602}, {2147483647, 48000, 25000, 1920},
        {0, 48000, 0, 0},         {0, 0, 25000, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TZVRenderer::SampleCount(c.aFrame, c.aRate, c.aFrameRate), c.aCount)
            << c.aFrame << " " << c.aRate << " " << c.aFrameRate;
    int64_t total = 0;
    for (long frame = 0; frame < 30000; ++frame)
        total += TZVRenderer::SampleCount(frame, 48000, 29970);
    EXPECT_EQ(total, int64_t(30000) * 48000 * 1000 / 29970);
}
