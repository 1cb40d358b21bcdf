// Reading media rows: a project of 1,000 media rows (500 video, 500 audio) over 10 media of
// the stand-in library, opened once when the library is made, beside the same project read
// with every entry offline (no checks, no streams). A row adds its checks and a reader, never
// a file open.
#include "DLL/Row/MediaSourceRow.h"

#include "support/FakeLibrary.h"
#include "support/FakeRows.h"
#include "support/MainTree.h"
#include "support/TestContainerRows.h"
#include "support/XmlText.h"

#include <wx/xml/xml.h>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

const int theRows = 1000;

// Five media with pictures, five with sound, under a prefix each; offline when told.
std::unique_ptr<TFakeLibrary> MakeLibrary(bool pOffline) {
    auto library = std::make_unique<TFakeLibrary>();
    for (const char* name : {"clip.mkv", "still.png", "frames/clip_%03d.png", "camera.mp4"})
        library->Add(ExampleMedia(name), L"$(video)/", pOffline);
    library->Add(ExampleMedia("clip.mkv"), L"$(copy)/", pOffline);
    for (const char* name : {"clip.mkv", "tone.wav", "tone.flac", "ramp.wav", "camera.mp4"})
        library->Add(ExampleMedia(name), L"$(audio)/", pOffline);
    return library;
}

// The stored project: the video rows play entries 0 to 4 in turn, the audio rows 5 to 9.
const wxXmlNode& Project() {
    static const std::unique_ptr<wxXmlNode> theProject = [] {
        const std::unique_ptr<TFakeLibrary> library = MakeLibrary(false);
        TFakeProject project;
        const std::unique_ptr<TZVMainMixerRow> root = MakeMainRoot(1000);
        auto* video = MakeRow<TZVMainVideoMixerRow>(L"Video");
        auto* audio = MakeRow<TZVSimpleAudioMixerRow>(L"Audio");
        root->InsertSource(video, nullptr);
        root->InsertSource(audio, nullptr);
        for (int i = 0; i < theRows / 2; ++i) {
            video->InsertSource(TZVMediaSourceRow::CreateMediaSource(true, i % 5, nullptr),
                                nullptr);
            audio->InsertSource(TZVMediaSourceRow::CreateMediaSource(false, 5 + i % 5, nullptr),
                                nullptr);
        }
        return std::unique_ptr<wxXmlNode>(root->GetXmlImage());
    }();
    return *theProject;
}

void Read(benchmark::State& pState, bool pOffline) {
    const wxXmlNode& stored = Project();
    const std::unique_ptr<TFakeLibrary> library = MakeLibrary(pOffline);
    TFakeProject project;
    for (auto _ : pState) {
        std::unique_ptr<TZVMainMixerRow> root = LoadMainRoot(&stored, 1000);
        benchmark::DoNotOptimize(root.get());
    }
    pState.SetItemsProcessed(pState.iterations() * theRows);
}

void BM_ReadMediaRows(benchmark::State& pState) {
    Read(pState, false);
}
BENCHMARK(BM_ReadMediaRows)->Unit(benchmark::kMillisecond);

void BM_ReadMediaRowsOffline(benchmark::State& pState) {
    Read(pState, true);
}
BENCHMARK(BM_ReadMediaRowsOffline)->Unit(benchmark::kMillisecond);

} // namespace
