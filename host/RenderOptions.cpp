#include "RenderOptions.h"

#include "FilePath.h"
#include "NamePattern.h"
#include "PartFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A whole decimal number from 0 to 2147483647, nothing around it.
bool ReadFrame(const std::string& pText, long& pValue) {
    if (pText.empty() || pText.find_first_not_of("0123456789") != std::string::npos ||
        pText.size() > 10)
        return false;
    const long long value = std::strtoll(pText.c_str(), nullptr, 10);
    if (value > INT_MAX)
        return false;
    pValue = long(value);
    return true;
}

// What makes pPath a name the system cannot hold, after its subject ("it", "the name of frame
// 9"): " has a part of 300 bytes, ...", or empty when it can.
std::string NameFault(const std::string& pPath) {
    if (pPath.size() >= PATH_MAX)
        return " is " + std::to_string(pPath.size()) + " bytes long, longer than a path can be (" +
               std::to_string(PATH_MAX - 1) + " bytes)";
    const size_t slash = pPath.rfind('/');
    long room = pathconf(slash == std::string::npos ? "." : pPath.substr(0, slash + 1).c_str(),
                         _PC_NAME_MAX);
    room = room > 0 ? room : NAME_MAX;
    for (size_t begin = 0; begin <= pPath.size();) {
        const size_t end = std::min(pPath.find('/', begin), pPath.size());
        if (long(end - begin) > room)
            return " has a part of " + std::to_string(end - begin) +
                   " bytes, longer than a file name can be (" + std::to_string(room) + " bytes)";
        begin = end + 1;
    }
    return std::string();
}

} // namespace

const char* TZVRenderOptions::Usage() {
    return "usage: zvrender [--frames A..B] [--png PATTERN] [--wav FILE] [--mp4 FILE] "
           "[--save FILE] [--on-media-change accept|refuse] [-q] PROJECT";
}

const char* TZVRenderOptions::Help() {
    return "usage: zvrender [options] PROJECT\n"
           "Renders a project's frames and sound into files; at least one output is needed.\n"
           "  --frames A..B      the frames A to B, both included (default: the whole project)\n"
           "  --png PATTERN      one PNG picture per frame, named by PATTERN with one integer\n"
           "                     conversion for the frame number (frames/%05d.png)\n"
           "  --wav FILE         the sound as 16-bit WAV\n"
           "  --mp4 FILE         picture and sound as MP4 (H.264, AAC); H.264 takes at most\n"
           "                     16384 pixels a side\n"
           "  --save FILE        the project as loaded, saved again; in another folder, its\n"
           "                     media texts are written so that they name the same files\n"
           "  --on-media-change accept|refuse\n"
           "                     the answer when a medium differs from what the project expects\n"
           "                     (default accept; refuse cancels the load)\n"
           "  -q                 quiet: no progress, summary or media problems (offline, changed\n"
           "                     or damaged media; a refused change and errors stay)\n"
           "  --help             this text\n"
           "  --version          the program's version\n"
           "Media texts are read against the project's folder; a medium that cannot be opened\n"
           "stays offline and renders as nothing (black, silence), which the end of a render\n"
           "says. Files are written under temporary names and renamed once whole, through\n"
           "symbolic links (the link stays); a character device or a FIFO (/dev/null, a pipe)\n"
           "is written into as it is, and so is a descriptor open when the program started\n"
           "(/dev/stdout). In a sticky folder open to all (/tmp), a link, a FIFO or a file of\n"
           "another user's is refused, as the system refuses it. No output may be the project\n"
           "or one of its media.\n"
           "A medium that cannot be read in the middle of a render (a disk's error, a file cut\n"
           "short) renders as nothing from the frame where it failed, which is said, -q or not.\n"
           "Exit status: 0 done (offline media and media that failed included), 1 a load,\n"
           "render or write failed, 2 bad usage, 128 + N ended by signal N (129 SIGHUP, 130\n"
           "SIGINT, 143 SIGTERM, and every other that ends a program, SIGSEGV and the other\n"
           "signals of a fault too when another process sends them: unfinished files are\n"
           "removed; a fault of the program's own ends it where it stands).\n"
           "The project file format: docs/project-file.md in the sources.\n";
}

bool TZVRenderOptions::Parse(const std::vector<std::string>& pArgs, std::string& pError) {
    const std::map<std::string, std::string*> valued = {
        {"--png", &aPng}, {"--wav", &aWav}, {"--mp4", &aMp4}, {"--save", &aSave}};
    std::set<std::string> seen;
    std::string frames, mediaChange;
    for (size_t i = 0; i < pArgs.size(); ++i) {
        const std::string& arg = pArgs[i];
        if (arg.size() > 1 && arg[0] == '-') {
            if (!seen.insert(arg).second) {
                pError = "option " + arg + " given twice";
                return false;
            }
            if (arg == "-q" || arg == "--help" || arg == "--version") {
                (arg == "-q" ? aQuiet : arg == "--help" ? aHelp : aVersion) = true;
                continue;
            }
            const auto target = valued.find(arg);
            if (target == valued.end() && arg != "--frames" && arg != "--on-media-change") {
                pError = "unknown option " + arg;
                return false;
            }
            if (i + 1 >= pArgs.size() || pArgs[i + 1].empty()) {
                pError = "option " + arg + " needs a value";
                return false;
            }
            const std::string& value = pArgs[++i];
            (target != valued.end() ? *target->second
             : arg == "--frames"    ? frames
                                    : mediaChange) = value;
            continue;
        }
        if (!aProject.empty()) {
            pError = "more than one project: " + aProject + ", " + arg;
            return false;
        }
        aProject = arg;
    }
    if (aHelp || aVersion)
        return true;
    if (!frames.empty()) {
        const size_t dots = frames.find("..");
        if (dots == std::string::npos || !ReadFrame(frames.substr(0, dots), aFirst) ||
            !ReadFrame(frames.substr(dots + 2), aLast) || aFirst > aLast) {
            pError = "bad --frames " + frames + ": expected A..B with 0 <= A <= B <= 2147483647";
            return false;
        }
        aHasFrames = true;
    }
    if (!mediaChange.empty() && mediaChange != "accept" && mediaChange != "refuse") {
        pError = "bad --on-media-change " + mediaChange + ": expected accept or refuse";
        return false;
    }
    aAcceptChanges = mediaChange != "refuse";
    if (!aPng.empty() && !TZVNamePattern(aPng).IsValid()) {
        pError = "bad --png " + aPng + ": expected one integer conversion such as %05d";
        return false;
    }
    if (aProject.empty()) {
        pError = "no project given";
        return false;
    }
    if (aPng.empty() && aWav.empty() && aMp4.empty() && aSave.empty()) {
        pError = "no output given: --png, --wav, --mp4 or --save";
        return false;
    }
    return true;
}

bool TZVRenderOptions::CheckOutputs(std::string& pError) const {
    std::map<TZVFilePath::TId, std::pair<const char*, const std::string*>> files;
    const std::pair<const char*, const std::string*> outputs[] = {
        {"--png", &aPng}, {"--wav", &aWav}, {"--mp4", &aMp4}, {"--save", &aSave}};
    for (const auto& [option, output] : outputs) {
        // Pictures in folders of their own are looked at frame by frame, once the frames are
        // known (CheckNames).
        if (output->empty() || (output == &aPng && TZVNamePattern(aPng).NamesFolders()))
            continue;
        // An output through a link is written where the link leads; a name that cannot be
        // followed or taken says why when it is written, but for a folder that is not there.
        // Two names reach one file when they lead to it (or to one name in one folder) however
        // they are spelled; a file that cannot be known so is known by its path. The pictures'
        // folder is looked at as the system has it.
        const TZVFilePath::TTarget target =
            TZVFilePath::Find(output == &aPng ? TZVNamePattern(aPng).Folders() : *output);
        const bool known = target.aKind != TZVFilePath::kindUNKNOWN;
        const auto [other, added] = files.emplace(
            known ? target.aId : TZVFilePath::TId{0, 0, TZVFilePath::Absolute(target.aPath)},
            std::make_pair(option, output));
        if (!added) {
            const auto& [otherOption, otherOutput] = other->second;
            pError = "two outputs on one path: " +
                     (*otherOutput == *output ? *output
                                              : std::string(otherOption) + " " + *otherOutput +
                                                    " and " + option + " " + *output);
            return false;
        }
        if (const char* refusal = TZVPartFile::Refusal(target)) {
            pError = std::string("bad ") + option + " " + *output + ": it is " + refusal;
            return false;
        }
        // A descriptor's socket is written into as a pipe is.
        if (output == &aMp4 && target.aError == 0 &&
            (target.aKind == TZVFilePath::kindFIFO || target.aKind == TZVFilePath::kindSOCKET)) {
            pError = "bad --mp4 " + aMp4 + ": it is " +
                     (target.aKind == TZVFilePath::kindFIFO ? "a FIFO" : "a socket") +
                     ", and an MP4 file is completed by going back to its start";
            return false;
        }
        if (!known && (target.aError == ENOENT || target.aError == ENOTDIR)) {
            pError = "no folder " + TZVFilePath::FolderOf(TZVFilePath::Absolute(target.aPath)) +
                     " for " + *output;
            return false;
        }
    }
    return true;
}

bool TZVRenderOptions::CheckNames(long pFirst, long pLast, std::string& pError) const {
    for (const auto& [option, output] :
         {std::make_pair("--wav", &aWav), std::make_pair("--mp4", &aMp4),
          std::make_pair("--save", &aSave)}) {
        const std::string fault = output->empty() ? std::string() : NameFault(*output);
        if (!fault.empty()) {
            pError = std::string("bad ") + option + " " + *output + ": it" + fault;
            return false;
        }
    }
    if (aPng.empty())
        return true;
    // Numbers grow only longer: the last frame has the longest name.
    const std::string last = PngName(pLast);
    const std::string fault =
        last.empty() ? " is longer than a path can be (" + std::to_string(PATH_MAX - 1) + " bytes)"
                     : NameFault(last);
    if (!fault.empty()) {
        pError = "bad --png " + aPng + ": the name of frame " + std::to_string(pLast) + fault;
        return false;
    }
    long missing = -1;
    const std::vector<long> frames = TZVNamePattern(aPng).Reached(pFirst, pLast, missing);
    if (missing >= 0) {
        pError = "no folder " + TZVFilePath::FolderOf(TZVFilePath::Absolute(PngName(missing))) +
                 " for frame " + std::to_string(missing) + " of --png " + aPng;
        return false;
    }
    for (const long frame : frames) {
        const std::string path = PngName(frame);
        if (const char* refusal = TZVPartFile::Refusal(TZVFilePath::Find(path))) {
            pError = "bad --png " + aPng + ": frame " + std::to_string(frame) + ", " + path +
                     ", is " + refusal;
            return false;
        }
    }
    return CheckPictureFiles(frames, pFirst, pLast, pError);
}

bool TZVRenderOptions::CheckPictureFiles(std::vector<long> pFrames, long pFirst, long pLast,
                                         std::string& pError) const {
    std::map<TZVFilePath::TId, std::pair<const char*, const std::string*>> others;
    for (const auto& [option, output] :
         {std::make_pair("--wav", &aWav), std::make_pair("--mp4", &aMp4),
          std::make_pair("--save", &aSave)}) {
        TZVFilePath::TId file;
        if (!output->empty() && TZVFilePath::Identify(*output, file))
            others.emplace(file, std::make_pair(option, output));
    }
    // A frame reaches another output's file only through what its name leads through now,
    // or as the new file of the other's name in the frames' folder: those frames alone are
    // looked at, however many the range holds.
    const TZVNamePattern name(aPng.substr(aPng.rfind('/') + 1));
    long frame = 0;
    for (const auto& other : others)
        if (name.Matches(other.first.aName, frame) && frame >= pFirst && frame <= pLast)
            pFrames.push_back(frame);
    std::sort(pFrames.begin(), pFrames.end());
    for (const long candidate : pFrames) {
        TZVFilePath::TId file;
        const std::string path = PngName(candidate);
        const auto other = !TZVFilePath::Identify(path, file) ? others.end() : others.find(file);
        if (other != others.end()) {
            pError = "two outputs on one path: frame " + std::to_string(candidate) + " of --png " +
                     aPng + ", " + path + ", and " + other->second.first + " " +
                     *other->second.second;
            return false;
        }
    }
    return true;
}

std::string TZVRenderOptions::PngName(long pFrame) const {
    return TZVNamePattern(aPng).Name(pFrame);
}
