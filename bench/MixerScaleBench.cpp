// One mixer of 1,000 to 32,000 sources through the reference host: saving the project
// (SaveMixer) and loading it (LoadReferencingMixer: parse, row tree, formulas bound). Every
// source is a missing video medium with a fade filter, its image a formula that reads the
// fade of the source half the list away. Counter per_source: seconds per source, which
// stays flat across the range while the work grows linearly.
#include "Host.h"
#include "ProjectFile.h"

#include <wx/init.h>

#include <benchmark/benchmark.h>

#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

const wxInitializer theInitializer;

std::string Read(const std::string& pPath) {
    std::ifstream file(pPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string Source(int pIndex, int pOther) {
    const std::string fade =
        "<filter type=\"Opacity\" name=\"Fade\"><seq-list><seg begin=\"0\" end=\"50\"/>"
        "</seq-list><param-list shown=\"0\"><param type=\"Standard\" name=\"Opacity\"><value>"
        "<key time=\"0\" to=\"50\" kind=\"1\" c=\"V~_\">GAq</key></value></param></param-list>"
        "<mask shown=\"0\"/></filter>";
    return "<source type=\"video-media\" name=\"s" + std::to_string(pIndex) +
           "\"><seq-list><seg begin=\"0\" end=\"50\"/></seq-list><param-list shown=\"0\">"
           "<param type=\"Standard\" name=\"Image\"><value>[mixer:Video][source:s" +
           std::to_string(pOther) +
           "][filter:Fade][param:1].value</value></param></param-list><fltr-list shown=\"0\">" +
           fade + "</fltr-list><media l=\"50\" w=\"160\" h=\"120\">none.mkv</media></source>";
}

// The example project with pSources more sources in its video mixer, written once for each
// count beside the benchmark.
const wxString& ProjectPath(int pSources) {
    static std::map<int, wxString> thePaths;
    wxString& path = thePaths[pSources];
    if (!path.empty())
        return path;
    std::string text = Read(ZV_SOURCE_DIR "/platform/Host/example/example.xml");
    std::string sources;
    for (int i = 0; i < pSources; ++i)
        sources += Source(i, (i + pSources / 2) % pSources);
    const std::string list = "<src-list shown=\"0\">";
    text.insert(text.find(list) + list.size(), sources);
    const std::string name =
        std::string(ZV_BENCH_OUTPUT) + "/mixer-scale-" + std::to_string(pSources) + ".xml";
    std::ofstream(name, std::ios::binary) << text;
    path = wxString::FromUTF8(name);
    return path;
}

// Loads the project of pSources sources into pHost; throws when a formula did not bind.
void Load(int pSources, TZVHost& pHost, std::ostringstream& pMessages) {
    TZVProjectFile::Load(ProjectPath(pSources), pHost, true);
    if (pMessages.str().find("formula") != std::string::npos)
        throw std::runtime_error(pMessages.str());
}

void SetPerSource(benchmark::State& pState) {
    pState.counters["per_source"] =
        benchmark::Counter(double(pState.range(0)), benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

void SaveMixer(benchmark::State& pState) {
    std::ostringstream messages;
    TZVHost host(true, messages);
    Load(int(pState.range(0)), host, messages);
    for (auto _ : pState)
        benchmark::DoNotOptimize(TZVProjectFile::SaveText(host));
    SetPerSource(pState);
}

// The tree is freed outside the timing.
void LoadReferencingMixer(benchmark::State& pState) {
    std::ostringstream messages;
    for (auto _ : pState) {
        std::unique_ptr<TZVHost> host(new TZVHost(true, messages));
        Load(int(pState.range(0)), *host, messages);
        pState.PauseTiming();
        host.reset();
        messages.str(std::string());
        pState.ResumeTiming();
    }
    SetPerSource(pState);
}

void Sizes(benchmark::internal::Benchmark* pBenchmark) {
    for (int sources = 1000; sources <= 32000; sources *= 2)
        pBenchmark->Arg(sources);
    pBenchmark->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(SaveMixer)->Apply(Sizes);
BENCHMARK(LoadReferencingMixer)->Apply(Sizes);
