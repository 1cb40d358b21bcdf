#include "RenderCommand.h"

#include "ALL/Error.h"
#include "DLL/Bas/StreamInt.h"
#include "DLL/Row/StreamRow.h"
#include "FileName.h"
#include "FilePath.h"
#include "Host.h"
#include "InputFiles.h"
#include "MediaLibrary.h"
#include "MovieOutput.h"
#include "PartFile.h"
#include "PngOutput.h"
#include "ProjectFile.h"
#include "QueuedOutput.h"
#include "REDarodo/Media.h"
#include "RenderOptions.h"
#include "Renderer.h"
#include "WavOutput.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <thread>

namespace {

// Prints "frame n/total, f frames/s, s s left" once a second after the first second.
class TProgress {
public:
    TProgress(std::ostream& pErr, bool pTerminal, bool pQuiet)
        : aErr(pErr), aTerminal(pTerminal), aQuiet(pQuiet),
          aStart(std::chrono::steady_clock::now()), aNext(aStart + std::chrono::seconds(1)) {}
    ~TProgress() {
        if (aShown && aTerminal)
            aErr << "\n";
    }

    void Frame(long pDone, long pTotal) {
        const auto now = std::chrono::steady_clock::now();
        if (aQuiet || now < aNext)
            return;
        aNext += std::chrono::seconds(1);
        const double seconds = std::chrono::duration<double>(now - aStart).count();
        const double speed = double(pDone) / seconds;
        char text[120];
        std::snprintf(text, sizeof text, "frame %ld/%ld, %.1f frames/s, %.0f s left", pDone, pTotal,
                      speed, double(pTotal - pDone) / speed);
        // A shorter line on a terminal overwrites the end of a longer one: the blanks clear it.
        aErr << (aTerminal ? "\r" : "") << text << (aTerminal ? "   " : "\n") << std::flush;
        aShown = true;
    }

private:
    std::ostream& aErr;
    const bool aTerminal;
    const bool aQuiet;
    const std::chrono::steady_clock::time_point aStart;
    std::chrono::steady_clock::time_point aNext;
    bool aShown = false;
};

// The media that could not be read to the end: each is said once, with the frame where its
// images or sound were first lost and the cause, whatever -q says, for the render is then not
// what the project asks.
class TReadFailures {
public:
    TReadFailures(const TZVMediaLibrary& pLibrary, std::ostream& pErr)
        : aLibrary(pLibrary), aErr(pErr) {}

    // Says the media that failed while frame pFrame was rendered.
    void Check(long pFrame) {
        for (int i = 0; const TZVLibraryEntry* entry = aLibrary.GetMedia(i); ++i) {
            const TZVMedia* media = entry->GetMedia();
            const wxString cause = media && !aSaid.count(i) ? media->GetReadFailure() : wxString();
            if (cause.empty())
                continue;
            aSaid.insert(i);
            aErr << "medium \"" << TZVFileName::ShownText(entry->GetText())
                 << "\" could not be read from frame " << pFrame << ": "
                 << TZVFileName::ShownText(cause) << "\n";
        }
    }
    int Count() const { return int(aSaid.size()); }

private:
    const TZVMediaLibrary& aLibrary;
    std::ostream& aErr;
    std::set<int> aSaid;
};

// How many of the project's media are offline.
int OfflineCount(const TZVHost& pHost) {
    int count = 0;
    for (int i = 0; const IZVLibraryMedia* entry = pHost.GetLibrary()->GetMedia(i); ++i)
        count += entry->GetMedia() ? 0 : 1;
    return count;
}

// "rendered 60 frames in 1.25 s (48.0 frames/s)", and the media that played nothing or
// stopped.
std::string Summary(long pFrames, std::chrono::steady_clock::duration pTime, int pOffline,
                    int pFailed) {
    const double seconds = std::chrono::duration<double>(pTime).count();
    char text[160];
    std::snprintf(text, sizeof text, "zvrender: rendered %ld frame%s in %.2f s (%.1f frames/s)",
                  pFrames, pFrames == 1 ? "" : "s", seconds,
                  seconds > 0 ? double(pFrames) / seconds : 0.0);
    std::string summary = text;
    if (pOffline > 0)
        summary += "; " + std::to_string(pOffline) + (pOffline == 1 ? " medium" : " media") +
                   " offline, rendered as nothing";
    if (pFailed > 0)
        summary += "; " + std::to_string(pFailed) + (pFailed == 1 ? " medium" : " media") +
                   " could not be read to the end, rendered as nothing from there";
    return summary;
}

} // namespace

TZVRenderCommand::TZVRenderCommand(std::ostream& pOut, std::ostream& pErr, bool pTerminal)
    : aOut(pOut), aErr(pErr), aTerminal(pTerminal) {}

int TZVRenderCommand::Usage(const std::string& pError) {
    Say(pError);
    aErr << TZVRenderOptions::Usage() << "\n";
    return exitUSAGE;
}

int TZVRenderCommand::Failure(const std::string& pError) {
    Say(pError);
    return exitFAILED;
}

void TZVRenderCommand::Say(const std::string& pError) {
    // File names are bytes: what cannot be printed of them is shown so that it can be read.
    aErr << "zvrender: " << TZVFileName::Shown(pError) << "\n";
}

int TZVRenderCommand::Run(const std::vector<std::string>& pArgs) {
    // Before any file of the run's own is opened: a name of a descriptor that was not open
    // then never reaches one of them.
    TZVFilePath::TakeDescriptors();
    TZVRenderOptions options;
    std::string error;
    if (!options.Parse(pArgs, error))
        return Usage(error);
    if (options.aHelp || options.aVersion) {
        errno = 0;
        aOut << (options.aHelp ? TZVRenderOptions::Help() : "zvrender " ZV_VERSION "\n")
             << std::flush;
        if (!aOut)
            return Failure(std::string("cannot write the ") + (options.aHelp ? "help" : "version") +
                           (errno != 0 ? std::string(": ") + std::strerror(errno) : ""));
        return exitDONE;
    }
    if (!options.CheckOutputs(error))
        return Usage(error);
    TZVHost host(options.aAcceptChanges, aErr);
    host.aQuiet = options.aQuiet;
    try {
        TZVProjectFile::Load(TZVFileName::Text(options.aProject), host);
    } catch (const TError& pError) {
        return Failure(
            "cannot load " + options.aProject + ": " +
            (pError.empty() ? std::string("load cancelled") : TZVFileName::Bytes(pError)));
    } catch (const std::bad_alloc&) {
        return Failure("not enough memory to load " + options.aProject);
    }
    const long duration = host.aFormat.aDuration;
    if (options.aHasFrames && options.aLast >= duration)
        return Usage("bad --frames " + std::to_string(options.aFirst) + ".." +
                     std::to_string(options.aLast) + ": the project has " +
                     std::to_string(duration) + " frames");
    const long first = options.aHasFrames ? options.aFirst : 0;
    const long last = options.aHasFrames ? options.aLast : duration - 1;
    if (!options.CheckNames(first, last, error))
        return Usage(error);
    if (!CheckInputs(options, host, first, last, error)) {
        Say(error);
        return exitUSAGE;
    }
    try {
        return Render(options, host, first, last);
    } catch (const std::bad_alloc&) {
        return Failure("not enough memory to render " + options.aProject);
    }
}

bool TZVRenderCommand::CheckInputs(const TZVRenderOptions& pOptions, const TZVHost& pHost,
                                   long pFirst, long pLast, std::string& pError) const {
    const TZVInputFiles inputs(pOptions.aProject, pHost.GetLibrary()->GetPaths());
    const std::pair<const char*, const std::string*> files[] = {
        {"--wav", &pOptions.aWav}, {"--mp4", &pOptions.aMp4}, {"--save", &pOptions.aSave}};
    for (const auto& file : files) {
        // Saving onto the project itself replaces it whole, as an editor does; into a
        // descriptor that reaches it, it would add to it.
        const TZVInputFiles::TInput* input =
            file.second->empty()
                ? nullptr
                : inputs.Find(*file.second, file.second == &pOptions.aSave &&
                                                TZVFilePath::Find(*file.second).aDescriptor < 0);
        if (input) {
            pError = std::string(file.first) + " " + *file.second + " would overwrite " +
                     input->Describe();
            return false;
        }
    }
    if (pOptions.aPng.empty())
        return true;
    std::string name;
    const TZVInputFiles::TInput* input = inputs.FindNamed(pOptions.aPng, pFirst, pLast, name);
    if (input)
        pError = "--png " + pOptions.aPng + " would overwrite " + input->Describe() + " as " + name;
    return !input;
}

int TZVRenderCommand::Render(const TZVRenderOptions& pOptions, TZVHost& pHost, long pFirst,
                             long pLast) {
    std::string error;
    // Pictures are compressed on every core, a few frames in flight each; the movie's
    // pictures are converted a few side by side and encoded in order, with no more frames
    // waiting than converters (the encoder is the limit: more would only hold memory); the
    // sound is written in order on a thread of its own.
    const int cores = int(std::max(std::thread::hardware_concurrency(), 1u));
    const int converters = std::max(cores / 4, 1);
    std::vector<std::unique_ptr<TZVQueuedOutput>> outputs;
    // Opened with the others, so that a project that cannot be saved is said before anything
    // is rendered.
    std::unique_ptr<TZVPartFile> save;
    if (!pOptions.aSave.empty()) {
        save = std::make_unique<TZVPartFile>(pOptions.aSave);
        if (!save->IsOpen())
            return Failure(save->Error());
    }
    if (!pOptions.aPng.empty())
        outputs.push_back(std::make_unique<TZVQueuedOutput>(
            std::make_unique<TZVPngOutput>(
                [&pOptions](long pFrame) { return pOptions.PngName(pFrame); }),
            cores, 2 * cores, false));
    if (!pOptions.aWav.empty())
        outputs.push_back(std::make_unique<TZVQueuedOutput>(
            std::make_unique<TZVWavOutput>(
                pOptions.aWav,
                TZVRenderer::SampleTotal(pFirst, pLast, pHost.aFormat.aAudioFormat.aSamplesPerSec,
                                         pHost.aFormat.aRate)),
            1, 16, true));
    if (!pOptions.aMp4.empty())
        outputs.push_back(std::make_unique<TZVQueuedOutput>(
            std::make_unique<TZVMovieOutput>(pOptions.aMp4, 0, aErr), converters, converters,
            true));
    // Every output has a worker before any takes more: under a limit of processes, each has
    // one at least.
    for (const std::unique_ptr<TZVQueuedOutput>& output : outputs)
        if (!output->StartWorker(error))
            return Failure(error);
    for (const std::unique_ptr<TZVQueuedOutput>& output : outputs)
        if (!output->Begin(pHost.aFormat, error))
            return Failure(error);
    if (!outputs.empty()) {
        const auto start = std::chrono::steady_clock::now();
        // Only what an output takes is rendered: no picture for a sound file, and so on.
        TZVRenderer renderer(pHost.GetRootRow(), pHost.aFormat,
                             !pOptions.aPng.empty() || !pOptions.aMp4.empty(),
                             !pOptions.aWav.empty() || !pOptions.aMp4.empty());
        TProgress progress(aErr, aTerminal, pOptions.aQuiet);
        TReadFailures failures(*pHost.GetLibrary(), aErr);
        for (long frame = pFirst; frame <= pLast; ++frame) {
            renderer.RenderFrame(frame);
            failures.Check(frame);
            const IZVVideoStream* picture = renderer.GetPicture();
            for (const std::unique_ptr<TZVQueuedOutput>& output : outputs)
                if (!output->AddFrame(frame, picture ? picture->GetBitmapFormat() : nullptr,
                                      renderer.GetSound(), renderer.GetSampleCount(), error))
                    return Failure(error);
            progress.Frame(frame - pFirst + 1, pLast - pFirst + 1);
        }
        for (const std::unique_ptr<TZVQueuedOutput>& output : outputs)
            if (!output->Finish(error))
                return Failure(error);
        if (!pOptions.aQuiet)
            aErr << Summary(pLast - pFirst + 1, std::chrono::steady_clock::now() - start,
                            OfflineCount(pHost), failures.Count())
                 << "\n";
    }
    if (save) {
        try {
            TZVProjectFile::Save(*save, TZVFileName::Text(pOptions.aSave), pHost);
        } catch (const TError& pError) {
            return Failure(TZVFileName::Bytes(pError));
        }
    }
    return exitDONE;
}
