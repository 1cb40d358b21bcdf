// zvrender beside FFmpeg's own program, each run as users run them, in one run: a 60 s
// 1080p H.264 clip with its sound into MP4 (the same x264 preset, all threads), into PNG
// pictures and into WAV sound; 16 video layers behind an opaque full-frame front layer beside
// 1 layer for 10 s into MP4; 10 s of the clip into PNG pictures with its file cut short at a
// third beside the same without the clip; and the peak memory of the MP4 jobs. The clips are
// made by FFmpeg's program on the first run and kept beside the benchmark. Times are wall-clock
// seconds (manual time); peak_MB is the process's largest resident size.
#include "REDarodo/Media.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string theFolder = ZV_BENCH_OUTPUT "/render-job/";
const std::string theClip = theFolder + "clip60.mp4";
// 10 s of the same in a Matroska file, whose index lies before its data: cut short, it still
// opens.
const std::string theShortClip = theFolder + "clip10.mkv";

bool Exists(const std::string& pPath) {
    return access(pPath.c_str(), F_OK) == 0;
}

// The number image of a double, as the project file stores it.
std::string NumberImage(double pValue) {
    uint64_t bits;
    std::memcpy(&bits, &pValue, sizeof bits);
    const uint64_t odd = bits & 1;
    bits += odd;
    int digits[11] = {int(bits >> 59)};
    for (int i = 0; i < 9; ++i)
        digits[i + 1] = int((bits >> (53 - 6 * i)) & 63);
    digits[10] = int(bits & 31);
    int count = 11;
    while (count > 0 && digits[count - 1] == 0)
        --count;
    if (odd)
        digits[0] += 32;
    std::string image;
    for (int i = 0; i < count; ++i)
        image += char(63 + digits[i]);
    return image;
}

// The sound length of the clip pName as the media library finds it, so that the project
// expects it.
double SoundSeconds(const std::string& pName) {
    wxString reason;
    std::unique_ptr<TZVMedia> clip(TZVMedia::Open(wxString::FromUTF8(theFolder + pName), &reason));
    return clip ? clip->GetDuration() : 60.0;
}

// A project of pFrames frames at 1920 x 1080 and 25 frames a second: pLayers copies of the
// picture of the clip pName, of pImages images, the first in front, and its sound.
std::string Project(int pLayers, int pFrames, const std::string& pName = "clip60.mp4",
                    int pImages = 1500) {
    const std::string end = std::to_string(pFrames);
    const std::string seq = "<seq-list><seg begin=\"0\" end=\"" + end + "\"/></seq-list>";
    std::string layers;
    for (int i = 0; i < pLayers; ++i)
        layers += "<source type=\"video-media\" name=\"v" + std::to_string(i) + "\">" + seq +
                  "<param-list shown=\"0\"><param type=\"Standard\" name=\"Image\"><value>image"
                  "</value></param></param-list><fltr-list shown=\"0\"/><media l=\"" +
                  std::to_string(pImages) + "\" w=\"1920\" h=\"1080\">" + pName +
                  "</media></source>";
    return "<project><format duration=\"" + end +
           "\"><video width=\"1920\" height=\"1080\" rate=\"25000\"><codec fourcc=\"0\" "
           "quality=\"-1\"/></video><audio rate=\"48000\" channel=\"2\" bits=\"16\" tag=\"1\">"
           "<codec id=\"0\" format=\"0\"/></audio></format><mixer type=\"\" name=\"\">" +
           seq +
           "<param-list shown=\"0\"/><fltr-list shown=\"0\"/><src-list shown=\"1\">"
           "<mixer type=\"video-mux\" name=\"Video\">" +
           seq +
           "<setup-list><setup/></setup-list><param-list shown=\"0\"><param type=\"Color\" "
           "name=\"Background colour\"><value/></param><param type=\"ColorComp\" name=\"Red\" "
           "disabled=\"\"><value/></param><param type=\"ColorComp\" name=\"Green\" "
           "disabled=\"\"><value/></param><param type=\"ColorComp\" name=\"Blue\" "
           "disabled=\"\"><value/></param></param-list><fltr-list shown=\"0\"/><src-list "
           "shown=\"0\">" +
           layers +
           "</src-list></mixer><mixer type=\"audio-mux\" "
           "name=\"Audio\">" +
           seq +
           "<param-list shown=\"0\"><param type=\"Standard\" "
           "name=\"Master Amplif (db)\"><value><key time=\"0\" to=\"" +
           end +
           "\" kind=\"1\"/></value></param></param-list><fltr-list shown=\"0\"/><src-list "
           "shown=\"0\"><source type=\"audio-media\" name=\"clip\">" +
           seq +
           "<param-list shown=\"0\"><param type=\"Standard\" name=\"Seconds\"><value>time / "
           "1000</value></param></param-list><fltr-list shown=\"0\"/><media l=\"" +
           NumberImage(SoundSeconds(pName)) + "\">" + pName +
           "</media></source></src-list></mixer></src-list>"
           "</mixer></project>";
}

// Makes the clip pPath of pSeconds, unless it is there; false when FFmpeg's program fails.
bool MakeClip(const std::string& pPath, int pSeconds) {
    const std::string seconds = std::to_string(pSeconds);
    return Exists(pPath) ||
           std::system(("ffmpeg -hide_banner -loglevel error -y -f lavfi -i "
                        "testsrc2=size=1920x1080:rate=25:duration=" +
                        seconds +
                        " -f lavfi -i sine=frequency=440:sample_rate=48000:duration=" + seconds +
                        " -c:v libx264 -preset veryfast -pix_fmt yuv420p -g 50 -c:a aac -b:a "
                        "128k -ac 2 " +
                        pPath)
                           .c_str()) == 0;
}

// Makes the clips and the projects once; false when FFmpeg's program is missing.
bool Prepare() {
    static const bool theReady = [] {
        mkdir(theFolder.c_str(), 0777);
        if (!MakeClip(theClip, 60) || !MakeClip(theShortClip, 10))
            return false;
        for (const auto& [name, text] :
             {std::make_pair("p1.xml", Project(1, 1500)),
              std::make_pair("p1-10s.xml", Project(1, 250)),
              std::make_pair("p16-10s.xml", Project(16, 250)),
              std::make_pair("cut-10s.xml", Project(1, 250, "clip10.mkv", 250)),
              std::make_pair("none-10s.xml", Project(1, 250, "none.mkv", 250))})
            std::ofstream(theFolder + name) << text;
        return true;
    }();
    return theReady;
}

// Runs pCommand in the benchmark's folder; its wall time in seconds and peak resident size.
struct TRun {
    double aSeconds = 0.0;
    double aPeakMegabytes = 0.0;
    int aStatus = -1;
};

TRun Run(const std::string& pCommand) {
    std::system(("rm -rf " + theFolder + "out && mkdir " + theFolder + "out").c_str());
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(theFolder.c_str()) != 0)
            _exit(127);
        execl("/bin/sh", "sh", "-c", pCommand.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    TRun run;
    run.aSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.aPeakMegabytes = double(usage.ru_maxrss) / 1024.0;
    run.aStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

void Job(benchmark::State& pState, const std::string& pCommand) {
    if (!Prepare()) {
        pState.SkipWithError("FFmpeg's program is missing (scripts/deps bench installs it)");
        return;
    }
    for (auto _ : pState) {
        const TRun run = Run("exec " + pCommand);
        if (run.aStatus != 0) {
            pState.SkipWithError(("failed: " + pCommand).c_str());
            return;
        }
        pState.SetIterationTime(run.aSeconds);
        pState.counters["peak_MB"] = run.aPeakMegabytes;
    }
}

const std::string theZvrender = ZV_ZVRENDER " -q --on-media-change accept ";
const std::string theFFmpeg = "ffmpeg -hide_banner -loglevel error -y -threads 0 -i clip60.mp4 ";

// zvrender with the short clip cut at a third of its bytes for its readers, as a truncation
// while it renders would (a preloaded stand-in for the disk; the first opening, the load's
// scan, reads it whole).
void CutJob(benchmark::State& pState, const std::string& pArgs) {
    struct stat status = {};
    if (Prepare())
        stat(theShortClip.c_str(), &status);
    Job(pState, "env LD_PRELOAD=" ZV_FAILING_READS " ZV_FAILING_FILE=" + theShortClip +
                    " ZV_FAILING_OPENING=2 ZV_FAILING_CUT=" + std::to_string(status.st_size / 3) +
                    " " + theZvrender + pArgs);
}

// Each job runs once, timed by the wall clock: a run takes seconds, and the jobs are compared
// side by side.
void Once(benchmark::internal::Benchmark* pJob) {
    pJob->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
}

} // namespace

BENCHMARK_CAPTURE(Job, Mp4Zvrender, theZvrender + "--mp4 out/v.mp4 p1.xml")->Apply(Once);
BENCHMARK_CAPTURE(Job, Mp4FFmpeg,
                  theFFmpeg + "-c:v libx264 -preset veryfast -c:a aac -b:a 128k out/v.mp4")
    ->Apply(Once);
BENCHMARK_CAPTURE(Job, PngZvrender, theZvrender + "--png out/f%04d.png p1.xml")->Apply(Once);
BENCHMARK_CAPTURE(Job, PngFFmpeg, theFFmpeg + "-an out/f%04d.png")->Apply(Once);
BENCHMARK_CAPTURE(Job, WavZvrender, theZvrender + "--wav out/s.wav p1.xml")->Apply(Once);
BENCHMARK_CAPTURE(Job, WavFFmpeg, theFFmpeg + "-vn -c:a pcm_s16le out/s.wav")->Apply(Once);
BENCHMARK_CAPTURE(Job, Layers16Zvrender, theZvrender + "--mp4 out/v.mp4 p16-10s.xml")->Apply(Once);
BENCHMARK_CAPTURE(Job, Layers1Zvrender, theZvrender + "--mp4 out/v.mp4 p1-10s.xml")->Apply(Once);
// A render whose clip is cut short at a third beside the same render without the clip.
BENCHMARK_CAPTURE(CutJob, CutClipPngZvrender, "--png out/f%04d.png cut-10s.xml")->Apply(Once);
BENCHMARK_CAPTURE(Job, NoClipPngZvrender, theZvrender + "--png out/f%04d.png none-10s.xml")
    ->Apply(Once);
