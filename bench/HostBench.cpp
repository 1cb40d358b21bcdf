// The reference host beside its peers, in one run:
//   loading a project of 2,000 video sources whose media are missing (parse, row tree,
//   AddListeners) beside wxXmlDocument loading the same file;
//   rendering the example at 1920 x 1080 into PNG files beside wxImage encoding the same
//   frames, and into an MP4 file (frames per second in items_per_second).
#include "Host.h"
#include "MovieOutput.h"
#include "PngOutput.h"
#include "ProjectFile.h"
#include "Renderer.h"

#include "DLL/Bas/StreamInt.h"
#include "DLL/Row/StreamRow.h"

#include <wx/image.h>
#include <wx/init.h>
#include <wx/xml/xml.h>

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

const wxInitializer theInitializer;

// Beside the example media, as the example project lies.
const std::string theFolder =
    std::string(ZV_EXAMPLE_MEDIA).substr(0, std::string(ZV_EXAMPLE_MEDIA).rfind('/')) +
    "/host-bench/";

std::string Read(const std::string& pPath) {
    std::ifstream file(pPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string WriteProject(const std::string& pName, const std::string& pText) {
    mkdir(theFolder.c_str(), 0777);
    std::ofstream(theFolder + pName, std::ios::binary) << pText;
    return theFolder + pName;
}

// The example with its video mixer holding 2,000 keyed sources of missing media.
const std::string& LargeProject() {
    static const std::string thePath = [] {
        std::string text = Read(ZV_SOURCE_DIR "/host/example/example.xml");
        std::string sources;
        for (int i = 0; i < 2000; ++i)
            sources += "<source type=\"video-media\" name=\"s" + std::to_string(i) +
                       "\"><seq-list><seg begin=\"0\" end=\"50\"/></seq-list><param-list "
                       "shown=\"0\"><param type=\"Standard\" name=\"Image\"><value><key "
                       "time=\"0\" to=\"50\" kind=\"1\" c=\"F~_\"/></value></param></param-list>"
                       "<fltr-list shown=\"0\"/><media l=\"50\" w=\"160\" h=\"120\">../media/none" +
                       std::to_string(i) + ".mkv</media></source>";
        const std::string list = "<src-list shown=\"0\">\n     <source type=\"video-media\" name=\"clip\">";
        text.insert(text.find(list) + list.find("\n"), sources);
        return WriteProject("large.xml", text);
    }();
    return thePath;
}

// pOffline: no medium opened; else each missing file is looked for. The tree is freed
// outside the timing.
void LoadProject(benchmark::State& pState, bool pOffline) {
    std::ostringstream messages;
    for (auto _ : pState) {
        std::unique_ptr<TZVHost> host(new TZVHost(true, messages));
        TZVProjectFile::Load(wxString::FromUTF8(LargeProject()), *host, pOffline);
        benchmark::DoNotOptimize(host->GetRootRow());
        pState.PauseTiming();
        host.reset();
        messages.str(std::string());
        pState.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(LoadProject, offline, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadProject, missing_files, false)->Unit(benchmark::kMillisecond);

void LoadProjectWxXmlDocument(benchmark::State& pState) {
    for (auto _ : pState) {
        wxXmlDocument document;
        benchmark::DoNotOptimize(document.Load(wxString::FromUTF8(LargeProject())));
    }
}
BENCHMARK(LoadProjectWxXmlDocument)->Unit(benchmark::kMillisecond);

const long FRAMES = 10;

const std::string& LargeExample() {
    static const std::string thePath = [] {
        std::string text = Read(ZV_SOURCE_DIR "/host/example/example.xml");
        const std::string size = "width=\"320\" height=\"240\"";
        text.replace(text.find(size), size.size(), "width=\"1920\" height=\"1080\"");
        return WriteProject("hd.xml", text);
    }();
    return thePath;
}

// Renders FRAMES frames of the 1920 x 1080 example into pOutput.
void RenderInto(TZVHost& pHost, IZVOutput& pOutput) {
    std::string error;
    pOutput.Begin(pHost.aFormat, error);
    TZVRenderer renderer(pHost.GetRootRow(), pHost.aFormat);
    for (long frame = 0; frame < FRAMES; ++frame) {
        renderer.RenderFrame(frame);
        const IZVVideoStream* picture = renderer.GetPicture();
        pOutput.AddFrame(frame, picture ? picture->GetBitmapFormat() : nullptr,
                         renderer.GetSound(), renderer.GetSampleCount(), error);
    }
    pOutput.Finish(error);
}

void RenderExamplePng(benchmark::State& pState) {
    std::ostringstream messages;
    TZVHost host(true, messages);
    TZVProjectFile::Load(wxString::FromUTF8(LargeExample()), host);
    TZVPngOutput output([](long pFrame) { return theFolder + "f" + std::to_string(pFrame) + ".png"; });
    for (auto _ : pState)
        RenderInto(host, output);
    pState.SetItemsProcessed(pState.iterations() * FRAMES);
}
BENCHMARK(RenderExamplePng)->Unit(benchmark::kMillisecond);

void RenderExamplePngWxImage(benchmark::State& pState) {
    std::vector<wxImage> frames;
    for (long frame = 0; frame < FRAMES; ++frame)
        frames.emplace_back(theFolder + "f" + std::to_string(frame) + ".png", wxBITMAP_TYPE_PNG);
    for (auto _ : pState)
        for (long frame = 0; frame < FRAMES; ++frame)
            frames[size_t(frame)].SaveFile(theFolder + "w" + std::to_string(frame) + ".png",
                                           wxBITMAP_TYPE_PNG);
    pState.SetItemsProcessed(pState.iterations() * FRAMES);
}
BENCHMARK(RenderExamplePngWxImage)->Unit(benchmark::kMillisecond);

void RenderExampleMp4(benchmark::State& pState) {
    std::ostringstream messages;
    TZVHost host(true, messages);
    TZVProjectFile::Load(wxString::FromUTF8(LargeExample()), host);
    for (auto _ : pState) {
        TZVMovieOutput output(theFolder + "hd.mp4");
        RenderInto(host, output);
    }
    pState.SetItemsProcessed(pState.iterations() * FRAMES);
}
BENCHMARK(RenderExampleMp4)->Unit(benchmark::kMillisecond);

} // namespace
