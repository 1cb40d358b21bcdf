#include "RenderCommand.h"

#include "ALL/Error.h"
#include "DLL/Bas/StreamInt.h"
#include "DLL/Row/StreamRow.h"
#include "Host.h"
#include "MovieOutput.h"
#include "PngOutput.h"
#include "ProjectFile.h"
#include "RenderOptions.h"
#include "Renderer.h"
#include "WavOutput.h"

#include <chrono>
#include <memory>

namespace {

// Prints "frame n/total" once a second after the first second.
class TProgress {
public:
    TProgress(std::ostream& pErr, bool pTerminal, bool pQuiet)
        : aErr(pErr), aTerminal(pTerminal), aQuiet(pQuiet),
          aNext(std::chrono::steady_clock::now() + std::chrono::seconds(1)) {}
    ~TProgress() {
        if (aShown && aTerminal)
            aErr << "\n";
    }

    void Frame(long pDone, long pTotal) {
        if (aQuiet || std::chrono::steady_clock::now() < aNext)
            return;
        aNext += std::chrono::seconds(1);
        aErr << (aTerminal ? "\r" : "") << "frame " << pDone << "/" << pTotal
             << (aTerminal ? "" : "\n") << std::flush;
        aShown = true;
    }

private:
    std::ostream& aErr;
    const bool aTerminal;
    const bool aQuiet;
    std::chrono::steady_clock::time_point aNext;
    bool aShown = false;
};

} // namespace

TZVRenderCommand::TZVRenderCommand(std::ostream& pOut, std::ostream& pErr, bool pTerminal)
    : aOut(pOut), aErr(pErr), aTerminal(pTerminal) {}

int TZVRenderCommand::Usage(const std::string& pError) {
    aErr << "zvrender: " << pError << "\n" << TZVRenderOptions::Usage() << "\n";
    return exitUSAGE;
}

int TZVRenderCommand::Failure(const std::string& pError) {
    aErr << "zvrender: " << pError << "\n";
    return exitFAILED;
}

int TZVRenderCommand::Run(const std::vector<std::string>& pArgs) {
    TZVRenderOptions options;
    std::string error;
    if (!options.Parse(pArgs, error))
        return Usage(error);
    if (options.aHelp || options.aVersion) {
        aOut << (options.aHelp ? TZVRenderOptions::Help() : "zvrender " ZV_VERSION "\n");
        return exitDONE;
    }
    if (!options.CheckOutputs(error))
        return Usage(error);
    TZVHost host(options.aAcceptChanges, aErr);
    try {
        TZVProjectFile::Load(wxString::FromUTF8(options.aProject), host);
    } catch (const TError& pError) {
        return Failure("cannot load " + options.aProject + ": " +
                       (pError.empty() ? std::string("load cancelled") : pError.utf8_string()));
    }
    const long duration = host.aFormat.aDuration;
    if (options.aHasFrames && options.aLast >= duration)
        return Usage("bad --frames " + std::to_string(options.aFirst) + ".." +
                     std::to_string(options.aLast) + ": the project has " +
                     std::to_string(duration) + " frames");
    const long first = options.aHasFrames ? options.aFirst : 0;
    const long last = options.aHasFrames ? options.aLast : duration - 1;

    std::vector<std::unique_ptr<IZVOutput>> outputs;
    if (!options.aPng.empty())
        outputs.push_back(std::make_unique<TZVPngOutput>(
            [&options](long pFrame) { return options.PngName(pFrame); }));
    if (!options.aWav.empty())
        outputs.push_back(std::make_unique<TZVWavOutput>(options.aWav));
    if (!options.aMp4.empty())
        outputs.push_back(std::make_unique<TZVMovieOutput>(options.aMp4));
    for (const std::unique_ptr<IZVOutput>& output : outputs)
        if (!output->Begin(host.aFormat, error))
            return Failure(error);
    if (!outputs.empty()) {
        TZVRenderer renderer(host.GetRootRow(), host.aFormat);
        TProgress progress(aErr, aTerminal, options.aQuiet);
        for (long frame = first; frame <= last; ++frame) {
            renderer.RenderFrame(frame);
            const IZVVideoStream* picture = renderer.GetPicture();
            for (const std::unique_ptr<IZVOutput>& output : outputs)
                if (!output->AddFrame(frame, picture ? picture->GetBitmapFormat() : nullptr,
                                      renderer.GetSound(), renderer.GetSampleCount(), error))
                    return Failure(error);
            progress.Frame(frame - first + 1, last - first + 1);
        }
        for (const std::unique_ptr<IZVOutput>& output : outputs)
            if (!output->Finish(error))
                return Failure(error);
    }
    if (!options.aSave.empty()) {
        try {
            TZVProjectFile::Save(wxString::FromUTF8(options.aSave), host);
        } catch (const TError& pError) {
            return Failure("cannot save " + options.aSave + ": " + pError.utf8_string());
        }
    }
    return exitDONE;
}
