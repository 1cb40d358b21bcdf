#include "Renderer.h"

#include "DLL/Bas/ABCFormula.h"
#include "DLL/Edt/MediaFormat.h"
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVFormula.h"
#include "support/FakeRenderContext.h"
#include "support/FakeRows.h"
#include "support/ParamUndoDriver.h"
#include "support/TestContainerRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

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

namespace {

// A picture stream that renders every source, then keeps the value of its row's first
// parameter at the frame, read from the snapshot in the frame.
class TValueStream : public TFakeVideoStream {
public:
    int32_t SetRenderContext(const IZVRenderContext* pContext) override {
        for (int i = 0; i < pContext->GetSourceCount(); ++i)
            pContext->GetSourceContext(i, 0, 0, 0.0);
        IFormula* const* params = pContext->GetParams(0, 1);
        aValue = params && params[0] ? params[0]->ComputePointAt(double(pContext->GetFrame(1)))
                                     : TVariant();
        return 0;
    }
    TVariant aValue;
};

// Row i reads aFirst of row i - aBack1 and adds aSecond of row i - aBack2 (row 0 for rows
// before it).
struct TShape {
    const wchar_t* aFirst;
    int aBack1;
    const wchar_t* aSecond;
    int aBack2;
};

// The mixer V of 200 clips r0 to r199, the current project's tree: r0's first parameter is
// "image", each other one's reads the rows before it in one shape.
class TChain {
public:
    static constexpr int ROWS = 200;

    explicit TChain(const TShape& pShape)
        : aShape(pShape), aRoot(MakeTestRoot()), aProject(aRoot.get()) {
        TTestMixerRow* mixer = MakeRow<TTestMixerRow>(L"V");
        aRoot->InsertSource(mixer, nullptr);
        for (int i = 0; i < ROWS; ++i) {
            aRows.push_back(MakeRow<TTestSourceRow>(wxString::Format(L"r%d", i)));
            mixer->InsertSource(aRows.back(), nullptr);
        }
        TRowCollector rows;
        aRoot->ApplyOperation(rows);
        for (TZVStreamRow* row : rows.aRows) {
            row->aSequenceList.clear();
            row->aSequenceList.Add(0, 100, row->aSequenceList.begin());
            TValueStream* stream = new TValueStream;
            stream->AddRef();
            if (row->aRenderStream)
                row->aRenderStream->Release();
            row->aRenderStream = stream;
        }
        for (int i = 0; i < ROWS; ++i) {
            const wxString text = i ? Read(i - pShape.aBack1, pShape.aFirst) + L" + " +
                                          Read(i - pShape.aBack2, pShape.aSecond)
                                    : wxString(L"image");
            TZVFormula* formula = new TZVFormula(Param(i));
            EXPECT_TRUE(formula->Parse(text.wc_str()));
            Param(i)->InitFormula(formula);
            EXPECT_TRUE(Param(i)->AddFormulaListeners(false)) << i;
        }
    }

    TZVParamRow* Param(int pRow) const { return aRows[size_t(pRow)]->aParamTab[0]; }
    // pFrame rendered with r0's value pFirst: the first row whose value as its stream saw it,
    // as its snapshot gives it and as the row gives it alone differs from the model's; "" when
    // none does.
    std::string Check(TZVRenderer& pRenderer, long pFrame, double pFirst) {
        pRenderer.RenderFrame(pFrame);
        std::vector<double> model{pFirst};
        for (int i = 0; i < ROWS; ++i) {
            if (i)
                model.push_back(Term(aShape.aFirst, model, i - aShape.aBack1) +
                                Term(aShape.aSecond, model, i - aShape.aBack2));
            const TVariant expected(model.back());
            IFormula* const* slot = pRenderer.GetParamSlot(aRows[size_t(i)]->aRenderKey, 0, false);
            if (static_cast<const TValueStream*>(aRows[size_t(i)]->aRenderStream)->aValue !=
                    expected ||
                !slot || !*slot || (*slot)->ComputePointAt(double(pFrame)) != expected ||
                Param(i)->GetValueAt(double(pFrame)) != expected)
                return "r" + std::to_string(i);
        }
        return "";
    }

    const TShape aShape;
    std::unique_ptr<TTestMixerRow> aRoot;
    TFakeProject aProject;
    std::vector<TTestSourceRow*> aRows;

private:
    static wxString Read(int pRow, const wchar_t* pAttribute) {
        return wxString::Format(L"[m:V][s:r%d][p:1].%ls", std::max(pRow, 0), pAttribute);
    }
    // What reading pAttribute of row pRow adds to the model.
    static double Term(const wchar_t* pAttribute, const std::vector<double>& pModel, int pRow) {
        return wxString(pAttribute) == L"v" ? pModel[size_t(std::max(pRow, 0))] : 1.0;
    }
};

} // namespace

// Rows each reading the row before twice (or the two before) render a frame of 200 of them,
// each computed once: the values the streams see, the snapshots and the rows give one by one
// are the model's, frame after frame, after an edit of the first row and after its undo.
TEST(RendererChains, RowsReadAlongManyPathsGiveTheirValuesInEveryFrame) {
    const TShape shapes[] = {{L"v", 1, L"v", 1},
                             {L"v", 1, L"isDefined", 1},
                             {L"isDefined", 1, L"isDefined", 1},
                             {L"v", 1, L"v", 2}};
    for (const TShape& shape : shapes) {
        TChain chain(shape);
        TZVRenderer renderer(chain.aRoot.get(), TMediaFormat());
        const std::string name = wxString::Format(L"%ls %d + %ls %d", shape.aFirst, shape.aBack1,
                                                  shape.aSecond, shape.aBack2)
                                     .utf8_string();
        for (long frame : {3L, 4L, 3L})
            EXPECT_EQ(chain.Check(renderer, frame, double(frame)), "") << name << " " << frame;
        TZVFormula* doubled = new TZVFormula(chain.Param(0));
        doubled->Parse(L"image * 2");
        EXPECT_TRUE(doubled->Resolve());
        chain.Param(0)->SetFormula(doubled);
        EXPECT_EQ(chain.Check(renderer, 3, 6.0), "") << name;
        UndoParamEdit(*chain.Param(0));
        EXPECT_EQ(chain.Check(renderer, 3, 3.0), "") << name;
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
