// Loading projects of 1 MB to 64 MB in three shapes, in time per MB (s/MB): a comment before
// the root, a value (a medium's name) and many small rows (sources of 500 bytes); and a file
// that is no XML (a movie given as the project), refused. The host's
// reader (ReadDocument) beside wxWidgets' loader reading the same file, which took time
// quadratic in a long text or comment (run at the sizes where it is bearable), and the whole
// load of the project (the rows built, media offline). Each load starts as a program's first
// does, with no memory that an earlier one freed to reuse (malloc_trim): else the small sizes
// reuse theirs and the large ones, which the C library maps afresh, pay for its pages.
#include "Host.h"
#include "ProjectFile.h"

#include "ALL/Error.h"

#include <wx/init.h>
#include <wx/log.h>
#include <wx/xml/xml.h>

#include <benchmark/benchmark.h>

#include <fstream>
#include <malloc.h>
#include <map>
#include <sstream>
#include <sys/stat.h>

namespace {

const wxInitializer theInitializer;

const std::string theFolder = ZV_BENCH_OUTPUT "/project-load-bench/";

enum EShape { shapeCOMMENT, shapeVALUE, shapeROWS, shapeMOVIE };

std::string Example() {
    std::ifstream file(ZV_SOURCE_DIR "/host/example/example.xml", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The example grown to pMegabytes MB in pShape, written once.
wxString Project(EShape pShape, long pMegabytes) {
    static std::map<std::pair<EShape, long>, std::string> thePaths;
    std::string& path = thePaths[{pShape, pMegabytes}];
    if (!path.empty())
        return wxString::FromUTF8(path);
    std::string text = Example();
    const size_t size = size_t(pMegabytes) << 20;
    const std::string media = "../media/clip.mkv</media>";
    const std::string sources =
        "<src-list shown=\"0\">\n     <source type=\"video-media\" name=\"clip\">";
    if (pShape == shapeMOVIE) {
        text = std::string("\0\0\0\x20"
                           "ftypisom",
                           12);
        text.resize(size, '\x80');
    } else if (pShape == shapeCOMMENT) {
        text.insert(text.find("<project>"), "<!-- " + std::string(size, 'c') + " -->\n");
    } else if (pShape == shapeVALUE) {
        text.replace(text.find(media), media.size(), std::string(size, 'v') + "</media>");
    } else {
        std::string rows;
        for (long i = 0; rows.size() < size; ++i)
            rows += "<source type=\"video-media\" name=\"s" + std::to_string(i) +
                    "\"><seq-list><seg begin=\"0\" end=\"50\"/></seq-list><param-list "
                    "shown=\"0\"><param type=\"Standard\" name=\"Image\"><value><key time=\"0\" "
                    "to=\"50\" kind=\"1\" c=\"F~_\"/></value></param></param-list><fltr-list "
                    "shown=\"0\"/><media l=\"50\" w=\"160\" h=\"120\">none.mkv</media></source>\n";
        text.insert(text.find(sources) + sources.find("\n"), rows);
    }
    mkdir(theFolder.c_str(), 0777);
    path = theFolder + std::to_string(pShape) + "-" + std::to_string(pMegabytes) + ".xml";
    std::ofstream(path, std::ios::binary) << text;
    return wxString::FromUTF8(path);
}

void PerMegabyte(benchmark::State& pState) {
    pState.counters["s/MB"] =
        benchmark::Counter(double(pState.range(0)), benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
}

// Times pLoad, which reads the project of pShape and pState's size into a document, or null
// when it refuses it; the documents are freed outside the timing.
template <typename TLoad>
void TimeDocuments(benchmark::State& pState, EShape pShape, TLoad pLoad) {
    const wxString path = Project(pShape, pState.range(0));
    for (auto _ : pState) {
        std::unique_ptr<wxXmlDocument> document = pLoad(path);
        pState.PauseTiming();
        document.reset();
        malloc_trim(0);
        pState.ResumeTiming();
    }
    PerMegabyte(pState);
}

void ReadDocument(benchmark::State& pState, EShape pShape) {
    TimeDocuments(pState, pShape, [](const wxString& pPath) {
        try {
            return TZVProjectFile::ReadDocument(pPath);
        } catch (const TError&) {
            return std::unique_ptr<wxXmlDocument>();
        }
    });
}

void WxXmlDocument(benchmark::State& pState, EShape pShape) {
    TimeDocuments(pState, pShape, [](const wxString& pPath) {
        const wxLogNull quiet;
        std::unique_ptr<wxXmlDocument> document(new wxXmlDocument);
        benchmark::DoNotOptimize(document->Load(pPath));
        return document;
    });
}

void LoadProject(benchmark::State& pState, EShape pShape) {
    const wxString path = Project(pShape, pState.range(0));
    std::ostringstream messages;
    for (auto _ : pState) {
        std::unique_ptr<TZVHost> host(new TZVHost(true, messages));
        TZVProjectFile::Load(path, *host, true);
        pState.PauseTiming();
        host.reset();
        messages.str(std::string());
        malloc_trim(0);
        pState.ResumeTiming();
    }
    PerMegabyte(pState);
}

void Sizes(benchmark::internal::Benchmark* pBenchmark, long pLargest) {
    pBenchmark->RangeMultiplier(2)->Range(1, pLargest)->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK_CAPTURE(ReadDocument, comment, shapeCOMMENT)->Apply([](auto* b) { Sizes(b, 64); });
BENCHMARK_CAPTURE(WxXmlDocument, comment, shapeCOMMENT)->Apply([](auto* b) { Sizes(b, 4); });
BENCHMARK_CAPTURE(LoadProject, comment, shapeCOMMENT)->Apply([](auto* b) { Sizes(b, 64); });
BENCHMARK_CAPTURE(ReadDocument, value, shapeVALUE)->Apply([](auto* b) { Sizes(b, 64); });
BENCHMARK_CAPTURE(WxXmlDocument, value, shapeVALUE)->Apply([](auto* b) { Sizes(b, 4); });
BENCHMARK_CAPTURE(LoadProject, value, shapeVALUE)->Apply([](auto* b) { Sizes(b, 64); });
BENCHMARK_CAPTURE(ReadDocument, rows, shapeROWS)->Apply([](auto* b) { Sizes(b, 64); });
BENCHMARK_CAPTURE(WxXmlDocument, rows, shapeROWS)->Apply([](auto* b) { Sizes(b, 64); });
BENCHMARK_CAPTURE(LoadProject, rows, shapeROWS)->Apply([](auto* b) { Sizes(b, 64); });
BENCHMARK_CAPTURE(ReadDocument, movie, shapeMOVIE)->Apply([](auto* b) { Sizes(b, 64); });
BENCHMARK_CAPTURE(WxXmlDocument, movie, shapeMOVIE)->Apply([](auto* b) { Sizes(b, 64); });
