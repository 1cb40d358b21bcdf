// Parameter references: binding and registering 5,000 formulas of three references each over
// one mixer of N sources, against parsing the same texts (the peer); and the time of one frame
// of a project of N video rows each of which reads the row before it (or the two before it)
// in one of four shapes, "v + v" the peer, through the reference host's renderer.
#include "DLL/Row/ParamRow.h"
#include "DLL/Row/ZVFormula.h"
#include "Host.h"
#include "ProjectFile.h"
#include "Renderer.h"

#include "support/FakeRows.h"
#include "support/TestContainerRows.h"

#include <wx/init.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr int FORMULAS = 5000;

// A mixer Main of pSources sources S0, S1, ... under the current project's root.
struct TTree {
    explicit TTree(int pSources) : aRoot(MakeTestRoot()), aProject(aRoot.get()) {
        TTestMixerRow* main = MakeRow<TTestMixerRow>(L"Main");
        aRoot->InsertSource(main, nullptr);
        for (int i = 0; i < pSources; ++i) {
            aSources.push_back(MakeRow<TTestSourceRow>(wxString::Format(L"S%d", i)));
            main->InsertSource(aSources.back(), nullptr);
        }
        for (int i = 0; i < FORMULAS; ++i)
            aTexts.push_back(wxString::Format(L"[mixer:Main][source:S%d][param:2].value + "
                                              L"[m:Main][s:S%d][p:3 - p3].begin * "
                                              L"[m:Main][s:S%d][p:2].isInSequence",
                                              (i + 1) % pSources, (i + 7) % pSources,
                                              (i + 13) % pSources));
    }
    TZVParamRow* Owner(int pIndex) const {
        return aSources[size_t(pIndex) % aSources.size()]->aParamTab[0];
    }
    std::unique_ptr<TTestMixerRow> aRoot;
    TFakeProject aProject;
    std::vector<TTestSourceRow*> aSources;
    std::vector<wxString> aTexts;
};

std::vector<std::unique_ptr<TZVFormula>> ParseAll(const TTree& pTree) {
    std::vector<std::unique_ptr<TZVFormula>> formulas;
    for (int i = 0; i < FORMULAS; ++i) {
        formulas.emplace_back(new TZVFormula(pTree.Owner(i)));
        formulas.back()->Parse(pTree.aTexts[size_t(i)].wc_str());
    }
    return formulas;
}

void BM_Parse(benchmark::State& pState) {
    const TTree tree(int(pState.range(0)));
    for (auto _ : pState)
        benchmark::DoNotOptimize(ParseAll(tree));
}

void BM_ResolveAndAddListeners(benchmark::State& pState) {
    const TTree tree(int(pState.range(0)));
    for (auto _ : pState) {
        pState.PauseTiming();
        std::vector<std::unique_ptr<TZVFormula>> formulas = ParseAll(tree);
        pState.ResumeTiming();
        for (const auto& formula : formulas) {
            formula->Resolve();
            formula->AddListeners(false);
        }
        pState.PauseTiming();
        for (const auto& formula : formulas)
            formula->AddListeners(true);
        formulas.clear();
        pState.ResumeTiming();
    }
}

const wxInitializer theInitializer;

// The formula of row pRow (> 0) reading the rows before it, by shape.
std::string ChainFormula(int pShape, int pRow) {
    const auto read = [](int pRead, const char* pAttr) {
        return "[m:Video][s:b" + std::to_string(std::max(pRead, 0)) + "][p:1]." + pAttr;
    };
    switch (pShape) {
    case 0:
        return read(pRow - 1, "v") + " + " + read(pRow - 1, "v");
    case 1:
        return read(pRow - 1, "v") + " + " + read(pRow - 1, "isDefined");
    case 2:
        return read(pRow - 1, "isDefined") + " + " + read(pRow - 1, "isDefined");
    default:
        return read(pRow - 1, "v") + " + " + read(pRow - 2, "v");
    }
}

// A project of five frames of 32 x 24 beside the example media, over the example frames: a video
// mixer of pRows rows b0 to b<pRows - 1> showing those frames, b0 image 1 and each other one the
// image its formula gives (modulo the five). With pLastInFront the last row's picture is in front,
// and reads them all; else b0's, which reads none.
std::string ChainProject(int pShape, int pRows, bool pLastInFront) {
    const std::string media = ZV_EXAMPLE_MEDIA;
    const std::string folder = media.substr(0, media.rfind('/')) + "/reference-bench/";
    mkdir(folder.c_str(), 0777);
    std::string sources;
    for (int place = 0; place < pRows; ++place) {
        const int row = pLastInFront ? pRows - 1 - place : place;
        sources += "<source type=\"video-media\" name=\"b" + std::to_string(row) +
                   "\"><seq-list><seg begin=\"0\" end=\"5\"/></seq-list><param-list "
                   "shown=\"0\"><param type=\"Standard\" name=\"Image\"><value>" +
                   (row == 0 ? std::string("1") : "(" + ChainFormula(pShape, row) + ") % 5") +
                   "</value></param></param-list><fltr-list shown=\"0\"/><media l=\"5\" "
                   "w=\"32\" h=\"24\">" +
                   media + "/frames/clip_%03d.png</media></source>";
    }
    const std::string path = folder + "chain" + std::to_string(pShape) + "-" +
                             std::to_string(pRows) + (pLastInFront ? "-last" : "-first") + ".xml";
    std::ofstream(path)
        << "<project><format duration=\"5\"><video width=\"32\" height=\"24\" "
           "rate=\"25000\"><codec fourcc=\"0\" quality=\"-1\"/></video><audio rate=\"22050\" "
           "channel=\"2\" bits=\"16\" tag=\"1\"><codec id=\"0\" format=\"0\"/></audio>"
           "</format><mixer type=\"\" name=\"\"><seq-list><seg begin=\"0\" end=\"5\"/>"
           "</seq-list><param-list shown=\"0\"/><fltr-list shown=\"0\"/><src-list shown=\"1\">"
           "<mixer type=\"video-mux\" name=\"Video\"><seq-list><seg begin=\"0\" end=\"5\"/>"
           "</seq-list><setup-list><setup/></setup-list><param-list shown=\"0\"><param "
           "type=\"Color\" name=\"Background colour\"><value/></param><param "
           "type=\"ColorComp\" name=\"Red\" disabled=\"\"><value/></param><param "
           "type=\"ColorComp\" name=\"Green\" disabled=\"\"><value/></param><param "
           "type=\"ColorComp\" name=\"Blue\" disabled=\"\"><value/></param></param-list>"
           "<fltr-list shown=\"0\"/><src-list shown=\"0\">"
        << sources << "</src-list></mixer></src-list></mixer></project>";
    return path;
}

// One frame after another of the five, each a new frame number, so that every snapshot
// freezes its attributes again.
void BM_ChainFrame(benchmark::State& pState) {
    std::ostringstream messages;
    TZVHost host(true, messages);
    TZVProjectFile::Load(wxString::FromUTF8(ChainProject(int(pState.range(0)), int(pState.range(1)),
                                                         pState.range(2) != 0)),
                         host);
    TZVRenderer renderer(host.GetRootRow(), host.aFormat, true, false);
    renderer.RenderFrame(0);
    if (!renderer.GetPicture()) {
        pState.SkipWithError("the frame has no picture");
        return;
    }
    long frame = 1;
    for (auto _ : pState) {
        renderer.RenderFrame(frame);
        benchmark::DoNotOptimize(renderer.GetPicture());
        frame = (frame + 1) % 5;
    }
    pState.counters["per_row"] = benchmark::Counter(
        double(pState.range(1)) * double(pState.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}

} // namespace

BENCHMARK(BM_Parse)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResolveAndAddListeners)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);
// Shapes: 0 "v + v" of the row before (the peer), 1 "v + isDefined" of it, 2 "isDefined +
// isDefined" of it, 3 "v" of each of the two rows before. Picture in front: 0 the first
// row's, 1 the last row's.
BENCHMARK(BM_ChainFrame)
    ->ArgNames({"shape", "rows", "last"})
    ->ArgsProduct({{0, 1, 2, 3}, {20, 50, 100, 200}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);
