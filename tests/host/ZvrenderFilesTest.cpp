// zvrender run as users run it, in a process of its own, on a copy of the example in a
// temporary folder: outputs that would replace an input, a full disk, a read-only folder,
// links, FIFOs and devices, names at the system's limits, a reader that leaves and a signal
// in the middle of a render, with the exit code, the message and every input file unchanged
// afterwards.
#include "RenderOptions.h"

#include "support/FifoReader.h"
#include "support/FileText.h"
#include "support/ShellOutput.h"

#include "MediaWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

int Shell(const std::string& pCommand) {
    const int status = std::system(pCommand.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct TRun {
    int aCode;
    std::string aErr;
    // For a measured run: the seconds it took, and the most memory it held (KB).
    double aSeconds = 0;
    long aMemory = 0;
};

// What zvrender prints on bad usage: pError and how to call it.
std::string UsageError(const std::string& pError) {
    return "zvrender: " + pError + "\n" + TZVRenderOptions::Usage() + "\n";
}

// What the file pPath is, its links not followed: its type and permissions, and the device
// it stands for.
std::pair<mode_t, dev_t> Node(const std::string& pPath) {
    struct stat node;
    if (lstat(pPath.c_str(), &node) != 0)
        return {0, 0};
    return {node.st_mode, node.st_rdev};
}

std::string LinkTarget(const std::string& pPath) {
    char target[4096];
    const ssize_t size = readlink(pPath.c_str(), target, sizeof target);
    return size < 0 ? std::string() : std::string(target, size_t(size));
}

// An access list as the system stores it: a version, then a tag, permissions and id an entry.
struct TAclEntry {
    uint16_t aTag;
    uint16_t aPermissions;
    uint32_t aId;
};

void SetAccessList(const std::string& pPath, const char* pName,
                   const std::vector<TAclEntry>& pEntries) {
    std::string list("\2\0\0\0", 4);
    for (const TAclEntry& entry : pEntries)
        list.append(reinterpret_cast<const char*>(&entry), sizeof entry);
    setxattr(pPath.c_str(), pName, list.data(), list.size(), 0);
}

// The access list of pPath as getfacl writes it on one line ("user::rw- user:65534:rw- ..."),
// empty when it has none.
std::string AccessList(const std::string& pPath) {
    char list[512];
    const ssize_t size = lgetxattr(pPath.c_str(), "system.posix_acl_access", list, sizeof list);
    std::string text;
    for (ssize_t at = 4; at + ssize_t(sizeof(TAclEntry)) <= size; at += sizeof(TAclEntry)) {
        TAclEntry entry;
        std::memcpy(&entry, list + at, sizeof entry);
        const std::map<uint16_t, std::string> tags = {{1, "user:"},  {2, "user:"},  {4, "group:"},
                                                      {8, "group:"}, {16, "mask:"}, {32, "other:"}};
        text += (text.empty() ? "" : " ") + tags.at(entry.aTag) +
                (entry.aTag == 2 || entry.aTag == 8 ? std::to_string(entry.aId) : "") + ":" +
                (entry.aPermissions & 4 ? "r" : "-") + (entry.aPermissions & 2 ? "w" : "-") +
                (entry.aPermissions & 1 ? "x" : "-");
    }
    return text;
}

// A copy of the example and its media in a new folder: project/p.xml reads ../media/...
class ZvrenderFiles : public testing::Test {
protected:
    ZvrenderFiles() {
        char name[] = "/tmp/zvrender-files-XXXXXX";
        aRoot = mkdtemp(name);
        Shell("mkdir -p " + aRoot + "/project && cp -r " ZV_EXAMPLE_MEDIA " " + aRoot + "/media");
        WriteFile(aRoot + "/project/p.xml", ReadSource("host/example/example.xml"));
        chmod(aRoot.c_str(), 0755);
        aInputs = Snapshot();
    }
    ~ZvrenderFiles() override { Shell("chmod -R u+w " + aRoot + "; rm -rf " + aRoot); }

    // Runs zvrender with pArgs in the project folder, after pSetUp (shell commands such as a
    // file size limit), through pRunner, its standard output redirected by pOut; its standard
    // error and exit code.
    TRun Run(const std::string& pArgs, const std::string& pSetUp = "",
             const std::string& pRunner = "exec", const std::string& pOut = ">/dev/null") const {
        const int code = Shell(Command(pArgs, pSetUp, pRunner, pOut));
        return {code, ReadFile(aRoot + "/err.txt")};
    }
    // The same, with the program in the process the shell started, which is measured.
    TRun Measure(const std::string& pArgs, const std::string& pSetUp) const {
        const std::string command = Command(pArgs, pSetUp, "exec", ">/dev/null");
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(aRoot + "/err.txt"),
                seconds.count(), usage.ru_maxrss};
    }
    std::string Command(const std::string& pArgs, const std::string& pSetUp,
                        const std::string& pRunner, const std::string& pOut) const {
        return "cd " + aRoot + "/project && " + pSetUp + " " + pRunner + " " ZV_ZVRENDER " " +
               pArgs + " 2>" + aRoot + "/err.txt " + pOut;
    }
    // Every file under the copy with a hash of its bytes.
    std::map<std::string, size_t> Snapshot() const {
        std::map<std::string, size_t> files;
        std::istringstream names(
            ShellOutput("cd " + aRoot + " && find media project -type f | sort"));
        for (std::string name; std::getline(names, name);)
            files[name] = std::hash<std::string>()(ReadFile(aRoot + "/" + name));
        return files;
    }
    // Runs zvrender with pArgs under limits of address space from 256 MB up, 16 MB apart, until
    // it completes three times in a row or the limit passes 1 GB; expects each run to end with 0,
    // or with 1 and the program's message (beside what an encoder's threads print), and to leave
    // no temporary file.
    void RenderUnderLimits(const std::string& pArgs) const {
        const long megabyte = 1024;
        int completed = 0;
        for (long limit = 256 * megabyte; limit <= 1024 * megabyte && completed < 3;
             limit += 16 * megabyte) {
            const TRun run = Run(pArgs, "ulimit -v " + std::to_string(limit) + ";");
            completed = run.aCode == 0 ? completed + 1 : 0;
            EXPECT_TRUE(
                run.aCode == 0 ||
                (run.aCode == 1 && std::regex_search(run.aErr, std::regex("(^|\n)zvrender: "))))
                << limit << " KB: " << run.aCode << " " << run.aErr;
            EXPECT_EQ(PartFiles(), "") << limit << " KB";
            Shell("cd " + aRoot + "/project && rm -f f*.png w.wav v.mp4 s.xml *.part");
        }
    }
    // The temporary files left anywhere under the copy.
    std::string PartFiles() const {
        return ShellOutput("cd " + aRoot + " && find . -name '*.part'");
    }
    // The files under the copy that are not the inputs.
    std::vector<std::string> NewFiles() const {
        std::vector<std::string> added;
        for (const auto& file : Snapshot())
            if (!aInputs.count(file.first))
                added.push_back(file.first);
        return added;
    }

    std::string aRoot;
    std::map<std::string, size_t> aInputs;
};

} // namespace

TEST_F(ZvrenderFiles, OutputsOntoInputsAreRefusedBeforeAnythingIsWritten) {
    Shell("cd " + aRoot +
          " && ln media/clip.mkv project/hard.mkv && ln -s ../media/tone.wav "
          "project/soft.wav && ln -s ../media/clip.mkv project/soft.mkv && ln -s soft.mkv "
          "project/chain.mkv && mkdir project/a%b project/a%%b && cp project/p.xml "
          "project/a%b/p1.xml && cd project && mkdir x0 x1 x2 x%d m0 m2 && cp p.xml x1/ && ln -s "
          "../media m1");
    aInputs = Snapshot();
    const std::string media = aRoot + "/media/";
    const struct {
        const char* aArgs;
        std::string aErr;
    } cases[] = {
        {"--mp4 p.xml p.xml", "--mp4 p.xml would overwrite the project p.xml"},
        {"--wav ../project/./p.xml p.xml",
         "--wav ../project/./p.xml would overwrite the project p.xml"},
        {"--wav ../media/clip.mkv p.xml",
         "--wav ../media/clip.mkv would overwrite the medium " + media + "clip.mkv"},
        {"--mp4 hard.mkv p.xml", "--mp4 hard.mkv would overwrite the medium " + media + "clip.mkv"},
        {"--wav soft.mkv p.xml", "--wav soft.mkv would overwrite the medium " + media + "clip.mkv"},
        {"--save chain.mkv p.xml",
         "--save chain.mkv would overwrite the medium " + media + "clip.mkv"},
        {"--save ../media/still.png p.xml",
         "--save ../media/still.png would overwrite the medium " + media + "still.png"},
        {"--frames 3..9 --png ../media/frames/clip_%03d.png p.xml",
         "--png ../media/frames/clip_%03d.png would overwrite the medium " + media +
             "frames/clip_003.png as ../media/frames/clip_003.png"},
        // A "%%" of the pictures' folder is the "%" of the folder they go into.
        {"-q --frames 0..3 --png a%%b/p%d.xml a%b/p1.xml",
         "--png a%%b/p%d.xml would overwrite the project a%b/p1.xml as a%b/p1.xml"},
        // A frame's number in a folder's name: each frame's own path is looked at, whatever a
        // folder named by the pattern itself holds.
        {"-q --frames 0..2 --png x%d/p.xml x1/p.xml",
         "--png x%d/p.xml would overwrite the project x1/p.xml as x1/p.xml"},
        {"-q --frames 0..2 --png m%d/clip.mkv p.xml",
         "--png m%d/clip.mkv would overwrite the medium " + media + "clip.mkv as m1/clip.mkv"},
    };
    for (const auto& c : cases) {
        const TRun run = Run(c.aArgs);
        EXPECT_EQ(run.aCode, 2) << c.aArgs;
        EXPECT_EQ(run.aErr, "zvrender: " + c.aErr + "\n") << c.aArgs;
        EXPECT_EQ(Snapshot(), aInputs) << c.aArgs;
    }
    // A file the project does not read may be replaced, through a link that stays, and the
    // project by its own save.
    const TRun run = Run("-q --wav soft.wav --save p.xml p.xml");
    EXPECT_EQ(run.aCode, 0) << run.aErr;
    EXPECT_EQ(LinkTarget(aRoot + "/project/soft.wav"), "../media/tone.wav");
    EXPECT_NE(Snapshot()["media/tone.wav"], aInputs["media/tone.wav"]);
    EXPECT_EQ(Snapshot()["project/p.xml"], aInputs["project/p.xml"]);
}

TEST_F(ZvrenderFiles, AWriteThatDoesNotFitStopsWithItsCauseAndLeavesNothing) {
    // Files of at most 1 KiB: a full disk for each output, without a disk of its own.
    const std::string small = "ulimit -f 2; trap '' XFSZ;";
    const struct {
        const char* aArgs;
        const char* aErr;
    } cases[] = {
        // Pictures are written side by side: any of them may be the first to fail.
        {"-q --png f%02d.png p.xml", "zvrender: cannot write f[0-9][0-9]\\.png: File too large\n"},
        {"-q --wav s.wav p.xml", "zvrender: cannot write s\\.wav: File too large\n"},
        {"-q --mp4 v.mp4 p.xml", "zvrender: cannot write v\\.mp4: File too large\n"},
    };
    for (const auto& c : cases) {
        const TRun run = Run(c.aArgs, small);
        EXPECT_EQ(run.aCode, 1) << c.aArgs;
        EXPECT_TRUE(std::regex_match(run.aErr, std::regex(c.aErr))) << run.aErr;
        EXPECT_EQ(NewFiles(), std::vector<std::string>()) << c.aArgs;
        EXPECT_EQ(Snapshot(), aInputs) << c.aArgs;
    }
    // The project saved onto itself: the old file stays whole.
    const TRun save = Run("--save p.xml p.xml", small);
    EXPECT_EQ(save.aCode, 1);
    EXPECT_EQ(save.aErr, "zvrender: cannot write p.xml: File too large\n");
    EXPECT_EQ(Snapshot(), aInputs);
}

TEST_F(ZvrenderFiles, AReadOnlyFolderIsNamedWithItsReason) {
    Shell("cd " + aRoot + "/project && mkdir ro open && chmod 555 ro && chmod 777 open");
    aInputs = Snapshot();
    // Root may write anywhere: the program runs as nobody then, where nobody may run it (a
    // build under a folder closed to others leaves nothing to try).
    const std::string user =
        geteuid() == 0 ? "exec setpriv --reuid=65534 --regid=65534 --clear-groups" : "exec";
    if (Shell("cd " + aRoot + "/project && " + user +
              " " ZV_ZVRENDER " --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "nobody cannot run " ZV_ZVRENDER " here";
    const struct {
        const char* aArgs;
        const char* aErr;
    } cases[] = {
        {"-q --mp4 ro/v.mp4 p.xml", "zvrender: cannot write ro/v.mp4: Permission denied\n"},
        {"-q --png ro/f%d.png p.xml",
         "zvrender: cannot write ro/f[0-9]+\\.png: Permission denied\n"},
        {"--save ro/s.xml p.xml", "zvrender: cannot write ro/s.xml: Permission denied\n"},
        // The save is opened with the other outputs: nothing is rendered.
        {"-q --wav open/w.wav --save ro/s.xml p.xml",
         "zvrender: cannot write ro/s.xml: Permission denied\n"},
    };
    for (const auto& c : cases) {
        const TRun run = Run(c.aArgs, "", user);
        EXPECT_EQ(run.aCode, 1) << c.aArgs;
        EXPECT_TRUE(std::regex_match(run.aErr, std::regex(c.aErr))) << run.aErr;
    }
    EXPECT_EQ(Snapshot(), aInputs);
}

TEST_F(ZvrenderFiles, ASignalRemovesTheUnfinishedFilesAndLeavesTheOldOnes) {
    // A long render: every frame of a project a hundred times as long.
    std::string longer = ReadFile(aRoot + "/project/p.xml");
    longer.replace(longer.find("duration=\"60\""), 13, "duration=\"6000\"");
    WriteFile(aRoot + "/project/p.xml", longer);
    WriteFile(aRoot + "/project/old.wav", "the old file");
    aInputs = Snapshot();
    // Every signal that ends a program, those of a fault sent by another process among them,
    // but SIGPIPE and SIGXFSZ, which it ignores; signals it was started ignoring (nohup, a
    // background job) stay ignored, the next one ends it.
    struct TCase {
        std::string aIgnored;
        std::vector<int> aSent;
    };
    std::vector<TCase> cases = {{"trap '' HUP USR1;", {SIGHUP, SIGUSR1, SIGTERM}}};
    for (const int signal :
         {SIGHUP,    SIGINT,  SIGQUIT,   SIGABRT, SIGUSR1, SIGUSR2, SIGALRM,  SIGTERM,
          SIGSTKFLT, SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGRTMIN, SIGRTMAX,
          SIGSEGV,   SIGBUS,  SIGFPE,    SIGILL,  SIGTRAP, SIGSYS})
        cases.push_back({"", {signal}});
    for (const TCase& c : cases) {
        const int signal = c.aSent.back();
        // The signal ends the program wherever its threads are, a finished read-ahead one
        // not joined yet among them: under ThreadSanitizer that is no leak to report.
        const std::string command =
            "cd " + aRoot +
            "/project && export TSAN_OPTIONS=\"$TSAN_OPTIONS:"
            "report_thread_leaks=0\" && " +
            c.aIgnored + " exec " ZV_ZVRENDER " -q --png f%04d.png --wav old.wav --mp4 v.mp4 p.xml";
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        // Once the first picture is out, the others are on their way.
        for (int i = 0; i < 1000 && access((aRoot + "/project/f0001.png").c_str(), F_OK) != 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        for (const int sent : c.aSent)
            kill(child, sent);
        int status = 0;
        waitpid(child, &status, 0);
        // Killed by the signal itself: its negative number.
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status), 128 + signal);
        EXPECT_EQ(ShellOutput("cd " + aRoot + "/project && ls | grep -c part"), "0\n") << signal;
        EXPECT_EQ(ReadFile(aRoot + "/project/old.wav"), "the old file");
        EXPECT_EQ(access((aRoot + "/project/v.mp4").c_str(), F_OK), -1);
        Shell("rm -f " + aRoot + "/project/f*.png");
    }
}

TEST_F(ZvrenderFiles, AMovieTooLargeForTheEncoderIsRefusedWithItsLimit) {
    WriteFile(aRoot + "/project/v.mp4", "the old movie");
    const std::string project = ReadFile(aRoot + "/project/p.xml");
    const struct {
        const char* aSize;
        const char* aErr;
    } cases[] = {
        {"width=\"20000\" height=\"100\"", "20000 x 100"},
        // libavcodec's limit, which it would log itself when asked.
        {"width=\"16256\" height=\"16256\"", "16256 x 16256"},
    };
    for (const auto& c : cases) {
        std::string large = project;
        large.replace(large.find("width=\"320\" height=\"240\""), 24, c.aSize);
        WriteFile(aRoot + "/project/large.xml", large);
        aInputs = Snapshot();
        const TRun run = Run("--png f%02d.png --mp4 v.mp4 large.xml");
        EXPECT_EQ(run.aCode, 1) << c.aSize;
        EXPECT_EQ(run.aErr, std::string("zvrender: the project's frame size ") + c.aErr +
                                " is too large for H.264: at most 16384 pixels a side, and "
                                "(width + 128) x (height + 128) below 16384 x 16384\n");
        EXPECT_EQ(NewFiles(), std::vector<std::string>()) << c.aSize;
        EXPECT_EQ(Snapshot(), aInputs) << c.aSize;
    }
}

// -q silences what the media say (offline, changed and accepted, damaged, and libswscale's
// notes on pictures 8 rows high), never a refusal that cancels the load; the summary of a loud
// render counts what played nothing.
TEST_F(ZvrenderFiles, QuietSilencesMediaProblemsButNotARefusal) {
    const TPictureDesc low = {"ffv1", AV_PIX_FMT_YUV420P, 160, 8, 50, nullptr};
    ASSERT_TRUE(WriteMedia(aRoot + "/media/low.mkv", &low, nullptr));
    std::string project = ReadFile(aRoot + "/project/p.xml");
    project.replace(project.find("frames/clip_%03d.png"), 20, "gone_%03d.png");
    project.replace(project.find("l=\"50\" w=\"160\""), 6, "l=\"51\"");
    const std::string still = "<media l=\"1\" w=\"64\" h=\"48\">..\\media\\still.png";
    project.replace(project.find(still), still.size(),
                    "<media l=\"50\" w=\"160\" h=\"8\">../media/low.mkv");
    WriteFile(aRoot + "/project/q.xml", project);
    WriteFile(aRoot + "/project/s.wav", "the old sound");
    aInputs = Snapshot();
    const std::string changed =
        "Media has changed: Characteristics of video have changed for " + aRoot +
        "/media/clip.mkv; Expected image count: 51,  found: 50; Expected image width: 160,  "
        "found: 160; Expected image height: 120,  found: 120 ";
    const TRun refused = Run("-q --on-media-change refuse --wav s.wav q.xml");
    EXPECT_EQ(refused.aCode, 1);
    EXPECT_EQ(refused.aErr, changed + "(refused)\nzvrender: cannot load q.xml: load cancelled\n");
    EXPECT_EQ(Snapshot(), aInputs);

    const TRun quiet = Run("-q --frames 0..1 --png f%d.png --wav s.wav q.xml");
    EXPECT_EQ(quiet.aCode, 0);
    EXPECT_EQ(quiet.aErr, "");
    const TRun loud = Run("--frames 0..1 --png g%d.png --wav s.wav q.xml");
    EXPECT_EQ(loud.aCode, 0);
    // Without the progress of a slow run, and the summary's timings as "#".
    const std::string said = std::regex_replace(
        std::regex_replace(loud.aErr, std::regex("frame [0-9]+/[0-9]+[^\\n]*\\n"), ""),
        std::regex(" in [0-9.]+ s \\([0-9.]+ "), " in # s (# ");
    EXPECT_EQ(said, changed +
                        "(accepted)\nmedium \"../media/gone_%03d.png\" is offline: The file "
                        "cannot be opened: No such file or directory\nzvrender: rendered 2 frames "
                        "in # s (# frames/s); 1 medium offline, rendered as nothing\n");
    // Every input as it was; the sound is new.
    std::map<std::string, size_t> after = Snapshot();
    EXPECT_NE(after["project/s.wav"], aInputs["project/s.wav"]);
    aInputs.erase("project/s.wav");
    for (auto file = after.begin(); file != after.end();)
        file = aInputs.count(file->first) ? std::next(file) : after.erase(file);
    EXPECT_EQ(after, aInputs);
}

// A thread that cannot start (the system's limit of processes) ends the render saying so,
// with nothing left behind; the media's read-ahead reads directly instead, with the same
// pictures, and the movie's encoder encodes on fewer threads. The limit counts every thread of a
// user: zvrender runs as a user of the test's own, so that it counts zvrender's alone.
TEST_F(ZvrenderFiles, AThreadThatCannotStartIsSaidOrDoneWithout) {
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can run zvrender as a user of the test's own";
    const std::string id = std::to_string(100000 + getpid());
    const std::string user = "exec setpriv --reuid=" + id + " --regid=" + id + " --clear-groups";
    if (Shell("cd " + aRoot + "/project && " + user + " " ZV_ZVRENDER " --version >/dev/null") != 0)
        GTEST_SKIP() << "a user of the test's own cannot run " ZV_ZVRENDER " here";
    chmod((aRoot + "/project").c_str(), 0777);
    // ThreadSanitizer starts a thread of its own with the first; the leak check at the end
    // would start one more.
#ifdef __SANITIZE_THREAD__
    const int sanitizer = 1;
#else
    const int sanitizer = 0;
#endif
    const std::string leaks = "export ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\";";
    const auto limit = [sanitizer, &user](int pThreads) {
        return "exec prlimit --nproc=" + std::to_string(pThreads + sanitizer) + " " +
               user.substr(5);
    };
    WriteFile(aRoot + "/project/s.wav", "the old sound");
    aInputs = Snapshot();
    const std::string cannot =
        "zvrender: cannot start a thread: Resource temporarily unavailable\n";
    // The program alone, then with the thread that takes the signals.
    for (const int threads : {1, 2}) {
        const TRun run = Run("-q --wav s.wav p.xml", leaks, limit(threads));
        EXPECT_EQ(run.aCode, 1) << threads;
        EXPECT_EQ(run.aErr, cannot) << threads;
        EXPECT_EQ(NewFiles(), std::vector<std::string>()) << threads;
        EXPECT_EQ(Snapshot(), aInputs) << threads;
    }

    // The pictures, written by as many threads as there are cores, or as many as start, down
    // to one: with one thread more for the read-ahead, its second cannot start either. The
    // converters of the media start threads too (libswscale's for the example's, the direct
    // one's for an H.264 clip's): one thread converts instead, with the same pixels.
    std::string clips = ReadFile(aRoot + "/project/p.xml");
    for (const char* text :
         {"..\\media\\still.png", "../media/clip.mkv", "../media/frames/clip_%03d.png"})
        for (size_t at; (at = clips.find(text)) != std::string::npos;)
            clips.replace(at, std::string(text).size(), "../media/camera.mp4");
    WriteFile(aRoot + "/project/clips.xml", clips);
    const int cores = int(std::max(std::thread::hardware_concurrency(), 1u));
    for (const std::string project : {"p.xml", "clips.xml"}) {
        ASSERT_EQ(Run("-q --frames 0..9 --png all%d.png " + project).aCode, 0);
        for (const int extra : {1 - cores, 2 - cores, 0, 1}) {
            const TRun run =
                Run("-q --frames 0..9 --png few%d.png " + project, leaks, limit(2 + cores + extra));
            EXPECT_EQ(run.aCode, 0) << project << extra;
            EXPECT_EQ(run.aErr, "") << project << extra;
            for (int frame = 0; frame < 10; ++frame)
                EXPECT_EQ(ReadFile(aRoot + "/project/few" + std::to_string(frame) + ".png"),
                          ReadFile(aRoot + "/project/all" + std::to_string(frame) + ".png"))
                    << project << extra << " " << frame;
        }
    }

    // The movie's converters start before its encoder, and x264 encodes on the threads that
    // are left, down to none of its own, where it failed as a whole ("Generic error in an
    // external library").
    const int converters = std::max(cores / 4, 1);
    for (const int spare : {0, 1, cores / 2, cores}) {
        const std::string movie = "v" + std::to_string(spare) + ".mp4";
        const TRun run =
            Run("-q --frames 0..9 --mp4 " + movie + " p.xml", leaks, limit(2 + converters + spare));
        EXPECT_EQ(run.aCode, 0) << spare;
        EXPECT_EQ(run.aErr, "") << spare;
        EXPECT_GT(ReadFile(aRoot + "/project/" + movie).size(), 1000u) << spare;
    }

    // The pictures beside the sound, the movie or both: every output starts a worker before
    // any starts more, so that each has one at least (with the program and the thread that
    // takes the signals, four threads for two outputs, five for three).
    ASSERT_EQ(Run("-q --frames 0..9 --png ref%d.png --wav ref.wav p.xml").aCode, 0);
    const struct {
        std::string aOthers;
        int aLeast;
    } outputs[] = {
        {"--wav both.wav", 4}, {"--mp4 both.mp4", 4}, {"--wav both.wav --mp4 both.mp4", 5}};
    for (const auto& o : outputs)
        for (const int extra : {0, 2}) {
            const std::string at = o.aOthers + " " + std::to_string(o.aLeast + extra);
            const TRun run = Run("-q --frames 0..9 --png both%d.png " + o.aOthers + " p.xml", leaks,
                                 limit(o.aLeast + extra));
            EXPECT_EQ(run.aCode, 0) << at;
            EXPECT_EQ(run.aErr, "") << at;
            for (int frame = 0; frame < 10; ++frame)
                EXPECT_EQ(ReadFile(aRoot + "/project/both" + std::to_string(frame) + ".png"),
                          ReadFile(aRoot + "/project/ref" + std::to_string(frame) + ".png"))
                    << at << " " << frame;
            const bool sound = o.aOthers.find("--wav") != std::string::npos;
            const bool movie = o.aOthers.find("--mp4") != std::string::npos;
            EXPECT_TRUE(ReadFile(aRoot + "/project/both.wav") ==
                        (sound ? ReadFile(aRoot + "/project/ref.wav") : ""))
                << at;
            EXPECT_EQ(ReadFile(aRoot + "/project/both.mp4").size() > 1000, movie) << at;
            Shell("rm -f " + aRoot + "/project/both*");
        }
    EXPECT_EQ(PartFiles(), "");
}

TEST_F(ZvrenderFiles, ALinkLeadsAnOutputToItsTargetAndStays) {
    Shell("cd " + aRoot +
          "/project && mkdir out && echo old > out/old.wav && chmod 640 out/old.wav && ln -s "
          "out/old.wav link.wav && ln -s link2.xml chain.xml && ln -s out/new.xml link2.xml && "
          "ln -s out/none/x.mp4 lost.mp4 && ln -s loop.wav loop.wav");
    aInputs = Snapshot();
    const std::string project = aRoot + "/project/";
    ASSERT_EQ(Run("-q --frames 0..9 --wav plain.wav --save plain.xml p.xml").aCode, 0);
    const TRun run = Run("-q --frames 0..9 --wav link.wav --save chain.xml p.xml");
    EXPECT_EQ(run.aCode, 0);
    EXPECT_EQ(run.aErr, "");
    EXPECT_EQ(LinkTarget(project + "link.wav"), "out/old.wav");
    EXPECT_EQ(LinkTarget(project + "chain.xml"), "link2.xml");
    EXPECT_EQ(LinkTarget(project + "link2.xml"), "out/new.xml");
    EXPECT_TRUE(ReadFile(project + "out/old.wav") == ReadFile(project + "plain.wav"));
    EXPECT_EQ(ReadFile(project + "out/new.xml"), ReadFile(project + "plain.xml"));
    EXPECT_EQ(Node(project + "out/old.wav").first, S_IFREG | 0640);
    EXPECT_EQ(PartFiles(), "");

    const std::map<std::string, size_t> written = Snapshot();
    const struct {
        const char* aArgs;
        int aCode;
        std::string aErr;
    } cases[] = {
        {"-q --mp4 lost.mp4 p.xml", 2,
         UsageError("no folder " + project + "out/none for lost.mp4")},
        {"-q --wav loop.wav p.xml", 1,
         "zvrender: cannot write loop.wav: Too many levels of symbolic links\n"},
    };
    for (const auto& c : cases) {
        const TRun refused = Run(c.aArgs);
        EXPECT_EQ(refused.aCode, c.aCode) << c.aArgs;
        EXPECT_EQ(refused.aErr, c.aErr) << c.aArgs;
        EXPECT_EQ(Snapshot(), written) << c.aArgs;
        EXPECT_EQ(PartFiles(), "") << c.aArgs;
    }
    EXPECT_EQ(LinkTarget(project + "loop.wav"), "loop.wav");
}

// Outputs go where the user meant and nowhere else, run as root and as another user: a link
// in a sticky folder open to all (as /tmp), at the end of the name or as one of its folders, is
// followed only when the caller or the folder's owner made it, as the system follows it,
// whatever its setting, and one planted by someone else is refused with the system's reason,
// its target (a file, a device, a name not there yet) unchanged; so is a FIFO or a file of
// someone else's there. In a user's own folder the user's links and files are taken. A chain
// of 40 links is followed, as the system follows it, and no more. A link put in place of the
// output during the render is replaced, its target's owner and mode not taken. A replaced file
// keeps its access list, and a new file in a folder with a default list gets the permissions
// the system gives it. A descriptor of the process (/dev/stdout, /proc/self/fd/3), however its
// name is spelled, is written into where it stands, as cat writes, a socket as a pipe, and is
// refused when it reaches the project or was not open as the program started; another
// process's is the file it holds, written from its start.
TEST_F(ZvrenderFiles, OutputsGoWhereTheSystemWouldLeadThemAndNowhereElse) {
    const std::string project = aRoot + "/project/";
    std::string longer = ReadFile(project + "p.xml");
    longer.replace(longer.find("duration=\"60\""), 13, "duration=\"6000\"");
    WriteFile(project + "long.xml", longer);
    ASSERT_EQ(Run("-q --frames 0..9 --wav ref.wav p.xml").aCode, 0);
    const bool root = geteuid() == 0;
    const std::string id = std::to_string(100000 + getpid());
    const std::string other = "exec setpriv --reuid=" + id + " --regid=" + id + " --clear-groups";
    const bool others = root && Shell("cd " + project + " && " + other +
                                      " " ZV_ZVRENDER " --version >/dev/null") == 0;
    Shell("cd " + project + " && mkdir sticky open acl && chmod 1777 sticky && chmod 777 open && " +
          "echo secret >open/victim && cp p.xml suid && chmod 4755 suid && echo old >acl.wav");
    if (root)
        Shell("cd " + project + " && mkdir theirs home && chown " + id + " theirs home && " +
              "chmod 1777 theirs && mknod null c 1 3");
    SetAccessList(project + "acl.wav", "system.posix_acl_access",
                  {{1, 6, ~0u}, {2, 6, 65534}, {4, 4, ~0u}, {16, 6, ~0u}, {32, 4, ~0u}});
    SetAccessList(project + "acl", "system.posix_acl_default",
                  {{1, 7, ~0u}, {2, 7, 65534}, {4, 5, ~0u}, {16, 7, ~0u}, {32, 5, ~0u}});
    const std::string nobody = " && chown -h 65534 ";
    const std::string sound = "-q --frames 0..9 --wav ";
    const std::string denied = ": Permission denied\n";
    enum { anyone, asRoot, asOther };
    const struct {
        int aNeeds;
        std::string aSetUp, aRunner, aArgs, aOut;
        int aCode;
        std::string aErr;
        // A shell command run in the project's folder afterwards, and what it prints; a file
        // and its access list.
        std::string aCheck, aChecked, aListed = "", aList = "";
    } cases[] = {
        // Links another user planted in root's sticky folder: a file, a device, nothing yet.
        {asRoot, "ln -s ../open/victim sticky/a.wav" + nobody + "sticky/a.wav;", "exec",
         sound + "sticky/a.wav p.xml", ">/dev/null", 1,
         "zvrender: cannot write sticky/a.wav" + denied, "grep -c secret open/victim", "1\n"},
        {asRoot, "ln -s ../null sticky/v.mp4" + nobody + "sticky/v.mp4;", "exec",
         "-q --frames 0..9 --mp4 sticky/v.mp4 p.xml", ">/dev/null", 1,
         "zvrender: cannot write sticky/v.mp4" + denied, "stat -c %F null",
         "character special file\n"},
        {asRoot, "ln -s ../open/made.xml sticky/s.xml" + nobody + "sticky/s.xml;", "exec",
         "--save sticky/s.xml p.xml", ">/dev/null", 1,
         "zvrender: cannot write sticky/s.xml" + denied, "ls open", "victim\n"},
        {asRoot, "ln -s ../open/victim sticky/f1.png" + nobody + "sticky/f1.png;", "exec",
         "-q --frames 0..1 --png sticky/f%d.png p.xml", ">/dev/null", 1,
         "zvrender: cannot write sticky/f1.png" + denied, "grep -c secret open/victim", "1\n"},
        // The caller's own link, and the folder's owner's, lead on.
        {asRoot, "ln -s ../open/mine.wav sticky/mine.wav;", "exec", sound + "sticky/mine.wav p.xml",
         ">/dev/null", 0, "", "cmp open/mine.wav ref.wav && readlink sticky/mine.wav",
         "../open/mine.wav\n"},
        {asRoot, "ln -s ../open/theirs.wav theirs/t.wav && chown -h " + id + " theirs/t.wav;",
         "exec", sound + "theirs/t.wav p.xml", ">/dev/null", 0, "",
         "cmp open/theirs.wav ref.wav && echo same", "same\n"},
        {asOther, "ln -s ../open/victim sticky/u.wav" + nobody + "sticky/u.wav;", other,
         sound + "sticky/u.wav p.xml", ">/dev/null", 1,
         "zvrender: cannot write sticky/u.wav" + denied, "grep -c secret open/victim", "1\n"},
        {asOther, "ln -s ../open/own.wav sticky/own.wav && chown -h " + id + " sticky/own.wav;",
         other, sound + "sticky/own.wav p.xml", ">/dev/null", 0, "",
         "cmp open/own.wav ref.wav && stat -c %u open/own.wav", id + "\n"},
        // A folder link planted in the sticky folder, and another user's FIFO or file there:
        // refused, while the caller's own and the folder's owner's are taken.
        {asRoot, "ln -s ../open sticky/d" + nobody + "sticky/d;", "exec",
         sound + "sticky/d/out.wav p.xml", ">/dev/null", 1,
         "zvrender: cannot write sticky/d/out.wav" + denied, "ls open | grep -c out", "0\n"},
        {asOther, "ln -s ../open sticky/e" + nobody + "sticky/e;", other,
         sound + "sticky/e/out.wav p.xml", ">/dev/null", 1,
         "zvrender: cannot write sticky/e/out.wav" + denied, "ls open | grep -c out", "0\n"},
        {asOther, "ln -s ../open sticky/m && chown -h " + id + " sticky/m;", other,
         sound + "sticky/m/m.wav p.xml", ">/dev/null", 0, "", "cmp open/m.wav ref.wav && echo same",
         "same\n"},
        {asRoot,
         "mkfifo sticky/q.fifo && chown 65534 sticky/q.fifo && (sleep 5 <>sticky/q.fifo >/dev/null "
         "2>&1 &);",
         "exec", sound + "sticky/q.fifo p.xml", ">/dev/null", 1,
         "zvrender: cannot write sticky/q.fifo" + denied, "", ""},
        {asRoot, "echo theirs >sticky/r.wav && chown 65534 sticky/r.wav && chmod 666 sticky/r.wav;",
         "exec", sound + "sticky/r.wav p.xml", ">/dev/null", 1,
         "zvrender: cannot write sticky/r.wav" + denied, "stat -c '%u %a' sticky/r.wav",
         "65534 666\n"},
        {asOther,
         "echo theirs >sticky/n.wav && chown 65534 sticky/n.wav && chmod 666 sticky/n.wav;", other,
         sound + "sticky/n.wav p.xml", ">/dev/null", 1,
         "zvrender: cannot write sticky/n.wav" + denied, "cat sticky/n.wav", "theirs\n"},
        // Another user's project there is still the project, which no descriptor reaches.
        {asRoot, "cp p.xml sticky/t.xml && chown 65534 sticky/t.xml;", "exec",
         "-q --save /dev/stdout sticky/t.xml", ">>sticky/t.xml", 2,
         "zvrender: --save /dev/stdout would overwrite the project sticky/t.xml\n",
         "grep -c '</project>' sticky/t.xml", "1\n"},
        {asRoot, "echo old >theirs/o.wav && chown " + id + " theirs/o.wav;", "exec",
         sound + "theirs/o.wav p.xml", ">/dev/null", 0, "",
         "cmp theirs/o.wav ref.wav && stat -c %u theirs/o.wav", id + "\n"},
        // A user's folder: the user's link leads root's output on, as the system leads it; one
        // put in place of the output during the render is replaced.
        {asRoot, "ln -s ../open/home.wav home/h.wav && chown -h " + id + " home/h.wav;", "exec",
         sound + "home/h.wav p.xml", ">/dev/null", 0, "", "cmp open/home.wav ref.wav && echo same",
         "same\n"},
        {asRoot,
         "echo old >home/f.xml && chown " + id + " home/f.xml && ln -s ../open home/dl" +
             " && chown -h " + id + " home/dl;",
         "exec", sound + "home/dl/dl.wav --save home/f.xml p.xml", ">/dev/null", 0, "",
         "cmp open/dl.wav ref.wav && grep -c '</project>' home/f.xml && stat -c %u home/f.xml",
         "1\n" + id + "\n"},
        // 40 links, and one more.
        {anyone, "for i in $(seq 40); do ln -s c$((i + 1)) c$i; done;", "exec", sound + "c1 p.xml",
         ">/dev/null", 0, "", "cmp c41 ref.wav && readlink c1", "c2\n"},
        {anyone, "ln -s c1 c0;", "exec", sound + "c0 p.xml", ">/dev/null", 1,
         "zvrender: cannot write c0: Too many levels of symbolic links\n", "", ""},
        {asRoot,
         "umask 022; (for i in $(seq 500); do ls home | grep -q part && "
         "ln -s ../suid home/late.wav && break; sleep 0.01; done &);",
         "exec", "-q --wav home/late.wav long.xml", ">/dev/null", 0, "",
         "stat -c '%U %a %F' home/late.wav suid",
         "root 644 regular file\nroot 4755 regular file\n"},
        // Access lists.
        {anyone, "", "exec", sound + "acl.wav p.xml", ">/dev/null", 0, "", "cmp acl.wav ref.wav",
         "", "acl.wav", "user::rw- user:65534:rw- group::r-- mask::rw- other::r--"},
        {anyone, "umask 077;", "exec", sound + "acl/new.wav p.xml", ">/dev/null", 0, "", "", "",
         "acl/new.wav", "user::rw- user:65534:rwx group::r-x mask::rw- other::r--"},
        // Descriptors: between what others write, appended to, twice in one, by number, where
        // only the shell may open the file, and onto the project.
        {anyone, "wrap() { echo header; \"$@\"; c=$?; echo trailer; return $c; };", "wrap",
         sound + "/dev/stdout p.xml", ">out.txt", 0, "",
         "(echo header; cat ref.wav; echo trailer) | cmp - out.txt && echo same", "same\n"},
        {anyone, "echo log >log.txt;", "exec", sound + "/dev/stdout p.xml", ">>log.txt", 0, "",
         "(echo log; cat ref.wav) | cmp - log.txt && echo same", "same\n"},
        {anyone, "twice() { \"$@\" && \"$@\"; };", "twice", sound + "/dev/stdout p.xml", ">two.txt",
         0, "", "cat ref.wav ref.wav | cmp - two.txt && ls | grep two", "two.txt\n"},
        {anyone, "", "exec", sound + "/proc/self/fd/3 p.xml", ">/dev/null 3>fd.wav", 0, "",
         "cmp fd.wav ref.wav && echo same", "same\n"},
        {asOther, "mkdir rootonly && chmod 700 rootonly;", other, sound + "/dev/stdout p.xml",
         ">rootonly/out.wav", 0, "", "cmp rootonly/out.wav ref.wav && echo same", "same\n"},
        // Other spellings of the process's descriptors; another process's, whose file was
        // deleted, is that file, not the descriptor of the same number here.
        {anyone, "echo log >log.txt;", "exec", sound + "/proc/$$/task/$$/fd/1 p.xml", ">>log.txt",
         0, "", "(echo log; cat ref.wav) | cmp - log.txt && echo same", "same\n"},
        {anyone, "echo log >log.txt;", "exec", sound + "/proc/self/fd//3 p.xml",
         ">/dev/null 3>>log.txt", 0, "", "(echo log; cat ref.wav) | cmp - log.txt && echo same",
         "same\n"},
        {anyone, "wrap() { echo header; \"$@\"; c=$?; echo trailer; return $c; };", "wrap",
         sound + "/proc/self/./fd/1 p.xml", ">out.txt", 0, "",
         "(echo header; cat ref.wav; echo trailer) | cmp - out.txt && echo same", "same\n"},
        {anyone, "{ sleep 20 3>del.txt >/dev/null 2>&1 & echo $! >pid.txt; } && rm del.txt;",
         "exec", sound + "/proc/$(cat pid.txt)/fd/3 p.xml", ">/dev/null 3>mine.txt", 0, "",
         "cmp /proc/$(cat pid.txt)/fd/3 ref.wav && cat mine.txt && ls | grep -c deleted; "
         "kill $(cat pid.txt)",
         "0\n"},
        // A socket (a service's log stream) is written into as a pipe.
        {anyone,
         "sock() { perl -MSocket -e 'socketpair(R, W, AF_UNIX, SOCK_STREAM, 0) or die; if (!fork) "
         "{ close R; open STDOUT, \">&W\"; exec @ARGV } close W; open F, \">sock.wav\"; print F "
         "$_ while sysread R, $_, 65536; wait; exit($? >> 8)' \"$@\"; };",
         "sock", sound + "/dev/stdout p.xml", ">/dev/null", 0, "",
         "cmp sock.wav ref.wav && echo same", "same\n"},
        {anyone,
         "sock() { perl -MSocket -e 'socketpair(R, W, AF_UNIX, SOCK_STREAM, 0) or die; "
         "open STDOUT, \">&W\"; exec @ARGV' \"$@\"; };",
         "sock", "-q --mp4 /dev/stdout p.xml", ">/dev/null", 2,
         UsageError("bad --mp4 /dev/stdout: it is a socket, and an MP4 file is completed by going "
                    "back to its start"),
         "", ""},
        // Descriptors that were not open as the program started: none of the files it opens.
        {anyone, "", "exec", "-q --frames 0..2 --wav a.wav --mp4 /dev/fd/4 p.xml",
         ">/dev/null 4>&-", 1, "zvrender: cannot write /dev/fd/4: Bad file descriptor\n",
         "ls | grep -c a.wav", "0\n"},
        {anyone, "", "exec", "-q --frames 0..2 --save s.xml --wav /dev/fd/4 p.xml",
         ">/dev/null 4>&-", 1, "zvrender: cannot write /dev/fd/4: Bad file descriptor\n",
         "ls | grep -c s.xml", "0\n"},
        {anyone, "", "exec", "-q --frames 4..4 --wav a.wav --png /dev/fd/%d p.xml",
         ">/dev/null 4>&-", 1, "zvrender: cannot write /dev/fd/4: Bad file descriptor\n",
         "ls | grep -c a.wav", "0\n"},
        {anyone, "", "exec", "-q --frames 0..2 --wav /dev/null --mp4 /dev/stdout p.xml", ">&-", 1,
         "zvrender: cannot write /dev/stdout: Bad file descriptor\n", "", ""},
        {anyone, "", "exec", "-q --save /dev/stdout p.xml", ">>p.xml", 2,
         "zvrender: --save /dev/stdout would overwrite the project p.xml\n",
         "grep -c '</project>' p.xml", "1\n"},
    };
    for (const auto& c : cases) {
        if ((c.aNeeds == asRoot && !root) || (c.aNeeds == asOther && !others))
            continue;
        const TRun run = Run(c.aArgs, c.aSetUp, c.aRunner, c.aOut);
        EXPECT_EQ(run.aCode, c.aCode) << c.aArgs;
        EXPECT_EQ(run.aErr, c.aErr) << c.aArgs;
        EXPECT_EQ(ShellOutput("cd " + project + " && " + (c.aCheck.empty() ? ":" : c.aCheck)),
                  c.aChecked)
            << c.aArgs;
        EXPECT_EQ(c.aListed.empty() ? "" : AccessList(project + c.aListed), c.aList) << c.aArgs;
        EXPECT_EQ(PartFiles(), "") << c.aArgs;
    }
    if (!others)
        GTEST_SKIP() << "only root can plant links as another user and run zvrender as one";
}

TEST_F(ZvrenderFiles, FifosAndDevicesAreWrittenIntoAndNeverReplaced) {
    const std::string project = aRoot + "/project/";
    // A name that FFmpeg reads as one of its protocols is a file like any other.
    ASSERT_EQ(Run("-q --frames 0..9 --wav pipe:1 --save plain.xml p.xml").aCode, 0);
    {
        // The sound into a FIFO holds the sizes a file gets at its end.
        TFifoReader sound(project + "sound.fifo"), saved(project + "saved.fifo"),
            movie(project + "movie.fifo");
        ASSERT_TRUE(sound.IsOpen() && saved.IsOpen() && movie.IsOpen());
        const TRun run = Run("-q --frames 0..9 --wav sound.fifo --save saved.fifo p.xml");
        EXPECT_EQ(run.aCode, 0);
        EXPECT_EQ(run.aErr, "");
        const TRun mp4 = Run("-q --mp4 movie.fifo p.xml");
        EXPECT_EQ(mp4.aCode, 2);
        EXPECT_EQ(mp4.aErr, UsageError("bad --mp4 movie.fifo: it is a FIFO, and an MP4 file is "
                                       "completed by going back to its start"));
        const std::string wav = ReadFile(project + "pipe:1");
        EXPECT_GT(wav.size(), 30000u);
        EXPECT_TRUE(sound.Finish() == wav);
        EXPECT_EQ(saved.Finish(), ReadFile(project + "plain.xml"));
        EXPECT_EQ(movie.Finish(), "");
    }
    for (const char* fifo : {"sound.fifo", "saved.fifo", "movie.fifo"})
        EXPECT_EQ(Node(project + fifo).first, S_IFIFO | 0644) << fifo;

    const int socketFile = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {AF_UNIX, {}};
    std::snprintf(address.sun_path, sizeof address.sun_path, "%ssocket", project.c_str());
    ASSERT_EQ(bind(socketFile, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(socketFile);
    Shell("mkdir " + project + "f2.png");
    // As root, private nodes: the null and full devices and a block device.
    const bool devices = geteuid() == 0 && Shell("cd " + project +
                                                 " && mknod null c 1 3 && mknod full c 1 7 && "
                                                 "mknod disk b 7 0 && : >null") == 0;
    const std::map<std::string, size_t> files = Snapshot();
    std::vector<std::pair<std::string, std::pair<mode_t, dev_t>>> nodes;
    for (const char* node : {"socket", "f2.png", "null", "full", "disk"})
        nodes.emplace_back(node, Node(project + node));
    struct TCase {
        std::string aArgs;
        int aCode;
        std::string aErr;
    };
    std::vector<TCase> cases = {
        {"--wav socket", 2, UsageError("bad --wav socket: it is a socket")},
        {"--save f2.png", 2, UsageError("bad --save f2.png: it is a folder")},
        {"--frames 0..3 --png f%d.png", 2,
         UsageError("bad --png f%d.png: frame 2, f2.png, is a folder")},
    };
    for (const char* name : {"--wav", "--mp4", "--save"}) {
        const std::string option = name;
        if (devices)
            cases.insert(cases.end(),
                         {{"--frames 0..4 " + option + " null", 0, ""},
                          {"--frames 0..4 " + option + " full", 1,
                           "zvrender: cannot write full: No space left on device\n"},
                          {option + " disk", 2,
                           UsageError("bad " + option + " disk: it is a block device")}});
    }
    for (const TCase& c : cases) {
        const TRun run = Run("-q " + c.aArgs + " p.xml");
        EXPECT_EQ(run.aCode, c.aCode) << c.aArgs;
        EXPECT_EQ(run.aErr, c.aErr) << c.aArgs;
        EXPECT_EQ(Snapshot(), files) << c.aArgs;
        EXPECT_EQ(PartFiles(), "") << c.aArgs;
        for (const auto& node : nodes)
            EXPECT_EQ(Node(project + node.first), node.second) << c.aArgs << " " << node.first;
    }
    if (!devices)
        GTEST_SKIP() << "devices are made by root only";
}

// Files as the system has them: a project from a FIFO or a pipe is read whole as a file is
// (a large one in many pieces), its folder resolving its media texts: it renders the file's
// sound, and saved into its folder it is the file's bytes; a limit of a file's size is said as
// a full disk is, with nothing left; relative names and media work under a current folder whose
// path is longer than 1 KB (the same pictures, the project saved with texts that resolve); a
// device or a FIFO that is a medium too is written into, never refused as overwriting it; a
// replaced file keeps its owner and group where the program may set them, and a set-user-ID or
// set-group-ID bit only with both.
TEST_F(ZvrenderFiles, LimitsLongFoldersDevicesAndOwnersAreTakenAsTheSystemHasThem) {
    const std::string project = aRoot + "/project/";
    std::string deep = "deep";
    for (int i = 0; i < 5; ++i)
        deep += "/" + std::string(250, 'd');
    Shell("cd " + project + " && mkdir -p " + deep + "/p && ln -s " + aRoot + "/media " + deep +
          "/media && cp p.xml " + deep + "/p/");
    std::string devices = ReadFile(project + "p.xml");
    devices.replace(devices.find("../media/clip.mkv"), 17, "/dev/null");
    devices.replace(devices.find("..\\media\\still.png"), 18, "m.fifo");
    WriteFile(project + "devices.xml", devices);
    TFifoReader fifo(project + "m.fifo");
    ASSERT_TRUE(fifo.IsOpen());
    ASSERT_EQ(Run("-q --png ref%02d.png --wav whole.wav p.xml").aCode, 0);
    // Media named from anywhere, and a comment of 1 MB before the root: the pipe brings it in
    // many pieces.
    std::string anywhere = ReadSource("host/example/example.xml");
    for (size_t at; (at = anywhere.find("../media/")) != std::string::npos;)
        anywhere.replace(at, 9, aRoot + "/media/");
    anywhere.insert(anywhere.find("<project>"), "<!-- " + std::string(1 << 20, 'x') + " -->\n");
    WriteFile(aRoot + "/anywhere.xml", anywhere);
    const std::string pictures = ShellOutput("cd " + project + " && md5sum ref*.png | cut -c1-32");
    // Another user, in the group of nobody, where root can run the program as one.
    const bool root = geteuid() == 0;
    const std::string id = std::to_string(100000 + getpid());
    const std::string other = "exec setpriv --reuid=" + id + " --regid=" + id + " --groups=65534";
    const bool others = root && Shell("cd " + project + " && " + other +
                                      " " ZV_ZVRENDER " --version >/dev/null") == 0;
    chmod(project.c_str(), 0777);
    const std::string owned = "cp p.xml o.xml && chown 65534:65534 o.xml && chmod 6755 o.xml;";
    // The project beside its clip in a folder whose name is not UTF-8.
    const std::string cafe = "mkdir -p ../caf\351 && cp ../media/clip.mkv ../caf\351/ && sed "
                             "'s|../media/clip|clip|g' p.xml >../caf\351/p.xml &&";
    // The same in a folder whose name would break a message's line, colour the terminal and
    // start a line of its own, with bytes that are not UTF-8 (an overlong form, a surrogate, a
    // character cut short, one past U+10FFFF) and characters that cannot be printed (DEL, a
    // tab, U+0085); q.xml expects another length of the clip.
    const std::string forged =
        "x\nzvrender:\033[1m\351\300\257\355\240\200\342\202\177\t\302\205\364\220\200\200";
    const std::string forgedShown = "x\\nzvrender:\\033[1m\\351\\300\\257\\355\\240\\200\\342\\202"
                                    "\\177\\t\\302\\205\\364\\220\\200\\200";
    const std::string forging = "mkdir -p '../" + forged + "' && cp ../media/clip.mkv '../" +
                                forged + "/' && sed 's|../media/clip|clip|g' p.xml >'../" + forged +
                                "/p.xml' && sed 's|l=\"50\" w=\"160\"|l=\"51\" w=\"160\"|' '../" +
                                forged + "/p.xml' >'../" + forged + "/q.xml' &&";
    // A clip named by a character that is UTF-8, U+1000E9, and another medium named by the one
    // byte E9, which is not.
    const std::string utf8 = "cp ../media/clip.mkv 'u\364\200\203\251.mkv' && sed "
                             "'s|../media/clip.mkv|u\364\200\203\251.mkv|g' p.xml >u.xml &&";
    const struct {
        std::string aSetUp, aRunner, aArgs;
        int aCode;
        std::string aErr;
        // A shell command run in the project's folder afterwards, and what it prints.
        std::string aCheck, aChecked;
        bool aCanRun;
    } cases[] = {
        {"mkfifo in.fifo && (timeout 20 sh -c 'cat p.xml >in.fifo' >/dev/null 2>&1 &) &&", "exec",
         "-q --wav f.wav --save s.xml in.fifo", 0, "",
         "cmp f.wav whole.wav && cmp s.xml p.xml && echo same", "same\n", true},
        {"cat ../anywhere.xml |", "exec", "-q --wav g.wav /dev/stdin", 0, "",
         "cmp g.wav whole.wav && echo same", "same\n", true},
        {"ulimit -f 200;", "exec", "-q --wav a.wav p.xml", 1,
         "zvrender: cannot write a.wav: File too large\n", "ls | grep a.wav", "", true},
        {"cd " + deep + "/p &&", "exec", "-q --png f%02d.png --save ../s.xml p.xml", 0, "",
         "cd " + deep + " && md5sum p/f*.png | cut -c1-32 && grep -o '>media/clip.mkv<' s.xml",
         pictures + ">media/clip.mkv<\n>media/clip.mkv<\n", true},
        {"", "exec", "-q --frames 0..9 --wav /dev/null devices.xml", 0, "", "", "", true},
        {"", "exec", "-q --frames 0..9 --wav m.fifo devices.xml", 0, "", "", "", true},
        {owned, "exec", "--save o.xml p.xml", 0, "", "stat -c '%u:%g %a' o.xml",
         "65534:65534 6755\n", root},
        {owned, other, "--save o.xml p.xml", 0, "", "stat -c '%u:%g %a' o.xml", id + ":65534 755\n",
         others},
        // Names are bytes, which need not be UTF-8: every output and the project reach them,
        // and messages show them with octal escapes.
        {cafe, "exec",
         "-q --frames 0..1 --wav ../caf\351/a.wav --mp4 ../caf\351/m.mp4 --png ../caf\351/f%d.png "
         "--save ../caf\351/s.xml ../caf\351/p.xml",
         0, "",
         ZV_ZVRENDER
         " -q --frames 0..1 --wav a.wav --png f%d.png p.xml && cd ../caf\351 && ls && "
         "cmp s.xml p.xml && cmp a.wav ../project/a.wav && cmp f1.png ../project/f1.png "
         "&& echo same",
         "a.wav\nclip.mkv\nf0.png\nf1.png\nm.mp4\np.xml\ns.xml\nsame\n", true},
        {cafe, "exec", "-q --wav ../caf\351/clip.mkv ../caf\351/p.xml", 2,
         "zvrender: --wav ../caf\\351/clip.mkv would overwrite the medium " + aRoot +
             "/caf\\351/clip.mkv\n",
         "", "", true},
        // Saved into another folder, its media texts would hold that name, which a project
        // file cannot.
        {cafe, "exec", "--save t.xml ../caf\351/p.xml", 1,
         "zvrender: cannot write t.xml: the text \"" + aRoot +
             "/caf\\351/clip.mkv\" holds a name that is not UTF-8, which a project file cannot "
             "hold\n",
         "ls t.xml 2>&1 >/dev/null | wc -l", "1\n", true},
        {"", "exec", "-q --wav w.wav caf\351/none.xml", 1,
         "zvrender: cannot load caf\\351/none.xml: no such file\n",
         "ls w.wav 2>&1 >/dev/null | wc -l", "1\n", true},
        {"", "exec", "-q --wav w.wav --save caf\351/none/s.xml p.xml", 2,
         UsageError("no folder " + project + "caf\\351/none for caf\\351/none/s.xml"),
         "ls w.wav 2>&1 >/dev/null | wc -l", "1\n", true},
        // Every name in every message shows what cannot be printed of it as ls -b does.
        {forging, "exec", "-q --wav '../" + forged + "/clip.mkv' '../" + forged + "/p.xml'", 2,
         "zvrender: --wav ../" + forgedShown + "/clip.mkv would overwrite the medium " + aRoot +
             "/" + forgedShown + "/clip.mkv\n",
         "cd .. && LC_ALL=C.UTF-8 ls -b | grep zvrender", forgedShown + "\n", true},
        {forging, "exec", "-q --on-media-change refuse --save s.xml '../" + forged + "/q.xml'", 1,
         "Media has changed: Characteristics of video have changed for " + aRoot + "/" +
             forgedShown +
             "/clip.mkv; Expected image count: 51,  found: 50; Expected image width: 160,  found: "
             "160; Expected image height: 120,  found: 120 (refused)\nzvrender: cannot load ../" +
             forgedShown + "/q.xml: load cancelled\n",
         "", "", true},
        {"sed 's|../media/clip.mkv|a\\&#10;zvrender: \\&#9;.mkv|g' p.xml >n.xml &&", "exec",
         "--save s.xml n.xml", 0,
         "medium \"a\\nzvrender: \\t.mkv\" is offline: The file cannot be opened: No such file or "
         "directory\n",
         "", "", true},
        {"", "exec", "-q --wav w.wav 'n\033[1m\nzvrender:.xml'", 1,
         "zvrender: cannot load n\\033[1m\\nzvrender:.xml: no such file\n", "", "", true},
        // Names that are UTF-8 reach their files, whatever other names there are.
        {utf8 + "cp ../media/camera.mp4 'u\351.mkv' &&", "exec",
         "-q --frames 0..1 --png u%d.png u.xml", 0, "",
         "cmp u0.png ref00.png && cmp u1.png ref01.png && echo same", "same\n", true},
        {utf8 + "rm 'u\351.mkv' &&", "exec", "-q --frames 0..1 --png v%d.png u.xml", 0, "",
         "cmp v0.png ref00.png && cmp v1.png ref01.png && echo same", "same\n", true},
        // A project from a descriptor reads its media, and is saved with their texts as read,
        // from the folder of the file it holds, else from the current folder.
        {"cat p.xml |", "exec", "--save s.xml /dev/stdin", 0, "", "cmp s.xml p.xml && echo same",
         "same\n", true},
        {"cd .. &&", "exec", "--save s.xml /proc/self/fd/3 3<project/p.xml", 0, "",
         "grep -c '>media/' ../s.xml", "4\n", true},
        // Help and version that cannot be written.
        {"", "exec sh -c 'exec \"$0\" \"$@\" >/dev/full'", "--help", 1,
         "zvrender: cannot write the help: No space left on device\n", "", "", true},
        {"", "exec sh -c 'exec \"$0\" \"$@\" >&-'", "--version", 1,
         "zvrender: cannot write the version: Bad file descriptor\n", "", "", true},
    };
    for (const auto& c : cases) {
        if (!c.aCanRun)
            continue;
        const TRun run = Run(c.aArgs, c.aSetUp, c.aRunner);
        EXPECT_EQ(run.aCode, c.aCode) << c.aArgs;
        EXPECT_EQ(run.aErr, c.aErr) << c.aArgs;
        EXPECT_EQ(ShellOutput("cd " + project + " && " + (c.aCheck.empty() ? ":" : c.aCheck)),
                  c.aChecked)
            << c.aArgs;
        EXPECT_EQ(PartFiles(), "") << c.aArgs;
    }
    // The header and 10 frames of 3528 bytes.
    EXPECT_EQ(fifo.Finish().size(), 44u + 10 * 3528);
    if (!others)
        GTEST_SKIP() << "only root can give files away and run zvrender as another user";
}

// A project is read in pieces and refused at its first fault, whatever its size: a file that is
// no XML (a movie given as the project) within 0.5 s and 128 MB, one of ten million nested
// elements within 2 s, its writing included, and 200 MB (under a sanitizer, that much time and
// 64 MB more than the program takes to start); an endless stream of nested elements for their
// depth. Memory that runs out in the middle of a load (under a limit, or an endless stream) is
// said; nothing is written. So is memory that runs out in the middle of a render, on whatever
// thread: under limits of address space from 256 MB up, 16 MB apart, until the render completes
// three times in a row (at most 1 GB), each run ends with 0, or 1 and the program's message,
// never on a signal, and leaves no temporary file.
TEST_F(ZvrenderFiles, AProjectIsRefusedAtItsFirstFaultAndInTheMemoryThereIs) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizers map more address space than any limit of a few hundred MB.
    const bool limits = false;
#else
    const bool limits = true;
#endif
    const long megabyte = 1024;
    const TRun start = Measure("--version", "");
    // What a limit of 400 MB of address space leaves the program, which holds 40 to 50 MB.
    const std::string memory = "ulimit -v 400000;";
    const long all = 400 * megabyte;
    const struct {
        std::string aSetUp, aArgs, aErr;
        double aSeconds;
        long aMemory;
        bool aCanRun;
        // Run under each limit of the series instead.
        bool aSeries = false;
    } cases[] = {
        {"head -c 2000 ../media/camera.mp4 >big.mp4 && truncate -s 100M big.mp4 &&",
         "--wav w.wav big.mp4",
         "zvrender: cannot load big.mp4: XML parsing error: 'not well-formed (invalid token)' at "
         "line 1\n",
         limits ? 0.5 : start.aSeconds + 0.5,
         limits ? 128 * megabyte : start.aMemory + 64 * megabyte, true},
        {"(printf '<project>'; yes '<a>' | head -n 10000000 | tr -d '\\n') >deep.xml &&",
         "--wav w.wav deep.xml",
         "zvrender: cannot load deep.xml: elements nested deeper than 1000\n",
         limits ? 2 : start.aSeconds + 2, limits ? 200 * megabyte : start.aMemory + 64 * megabyte,
         true},
        {memory + "(echo '<project>'; yes '<a>') |", "--wav w.wav /dev/stdin",
         "zvrender: cannot load /dev/stdin: elements nested deeper than 1000\n", 60, all, limits},
        {"(printf '<project>'; head -c 200M /dev/zero | tr '\\0' x) >long.xml && " + memory,
         "--wav w.wav long.xml", "zvrender: not enough memory to load long.xml\n", 60, all, limits},
        {memory + "(echo '<project>'; yes '<a/>') |", "--wav w.wav /dev/stdin",
         "zvrender: not enough memory to load /dev/stdin\n", 60, all, limits},
        {"", "-q --frames 0..9 --png f%d.png --wav w.wav --mp4 v.mp4 --save s.xml p.xml", "", 0, 0,
         limits, true},
    };
    for (const auto& c : cases) {
        if (!c.aCanRun)
            continue;
        if (c.aSeries) {
            RenderUnderLimits(c.aArgs);
            continue;
        }
        const TRun run = Measure(c.aArgs, c.aSetUp);
        EXPECT_EQ(run.aCode, 1) << c.aArgs;
        EXPECT_EQ(run.aErr, c.aErr) << c.aArgs;
        EXPECT_LT(run.aSeconds, c.aSeconds) << c.aArgs;
        EXPECT_LT(run.aMemory, c.aMemory) << c.aArgs;
        EXPECT_EQ(ShellOutput("cd " + aRoot + "/project && ls w.wav 2>/dev/null"), "") << c.aArgs;
        EXPECT_EQ(PartFiles(), "") << c.aArgs;
    }
}

TEST_F(ZvrenderFiles, EveryFrameGetsItsWholeNameAndNamesTooLongAreRefused) {
    const TRun run = Run("-q --frames 0..2 --png y%100d.png p.xml");
    EXPECT_EQ(run.aCode, 0);
    EXPECT_EQ(run.aErr, "");
    const std::string y = "project/y" + std::string(99, ' ');
    EXPECT_EQ(NewFiles(), std::vector<std::string>({y + "0.png", y + "1.png", y + "2.png"}));

    // Names the system cannot hold are refused before anything is written, the longest
    // (the last frame's) among them.
    std::string deep;
    for (int i = 0; i < 2044; ++i)
        deep += "./";
    Shell("cd " + aRoot + "/project && mkdir y0 y1 y2");
    aInputs = Snapshot();
    const struct {
        std::string aArgs;
        std::string aErr;
    } cases[] = {
        // Each frame in a folder of its own, the last one's missing.
        {"--frames 0..3 --png y%d/f.png",
         "no folder " + aRoot + "/project/y3 for frame 3 of --png y%d/f.png"},
        {"--frames 0..2 --png y%251d.png",
         "bad --png y%251d.png: the name of frame 2 has a part of 256 bytes, longer than a file "
         "name can be (255 bytes)"},
        {"--wav " + std::string(252, 's') + ".wav",
         "bad --wav " + std::string(252, 's') +
             ".wav: it has a part of 256 bytes, longer than a file name can be (255 bytes)"},
        {"--frames 8..10 --png " + deep + ".f%d.png",
         "bad --png " + deep +
             ".f%d.png: the name of frame 10 is 4096 bytes long, longer than a path can be "
             "(4095 bytes)"},
        {"--png y%4096d.png",
         "bad --png y%4096d.png: the name of frame 59 is longer than a path can be (4095 bytes)"},
    };
    for (const auto& c : cases) {
        const TRun refused = Run("-q " + c.aArgs + " p.xml");
        EXPECT_EQ(refused.aCode, 2) << c.aArgs;
        EXPECT_EQ(refused.aErr, UsageError(c.aErr)) << c.aArgs;
        EXPECT_EQ(Snapshot(), aInputs) << c.aArgs;
    }
}

TEST_F(ZvrenderFiles, EveryNameTheSystemTakesIsWritten) {
    const std::string project = aRoot + "/project/";
    // 255 bytes, the most a file name can have here: new files and one replaced.
    const std::string sound(251, 's'), saved(251, 'x');
    WriteFile(project + saved + ".xml", "the old file");
    // 4095 bytes, the most a path can have.
    std::string deep;
    for (int i = 0; i < 2044; ++i)
        deep += "./";
    aInputs = Snapshot();
    const TRun run = Run("-q --frames 8..9 --png y%250d.png --wav " + sound + ".wav --save " +
                         saved + ".xml p.xml");
    EXPECT_EQ(run.aCode, 0);
    EXPECT_EQ(run.aErr, "");
    const std::string y = "project/y" + std::string(249, ' ');
    EXPECT_EQ(NewFiles(),
              std::vector<std::string>({"project/" + sound + ".wav", y + "8.png", y + "9.png"}));
    EXPECT_EQ(ReadFile(project + saved + ".xml"), ReadFile(project + "p.xml"));
    aInputs = Snapshot();
    EXPECT_EQ(Run("-q --frames 8..9 --png " + deep + ".f%d.png p.xml").aCode, 0);
    EXPECT_EQ(NewFiles(), std::vector<std::string>({"project/.f8.png", "project/.f9.png"}));
    // A folder whose name holds a "%", written "%%" in the pattern.
    Shell("mkdir " + project + "100%");
    aInputs = Snapshot();
    EXPECT_EQ(Run("-q --frames 8..9 --png 100%%/f%d.png p.xml").aCode, 0);
    EXPECT_EQ(NewFiles(), std::vector<std::string>({"project/100%/f8.png", "project/100%/f9.png"}));
    // Each frame in a folder of its own.
    Shell("cd " + project + " && mkdir y8 y9");
    aInputs = Snapshot();
    EXPECT_EQ(Run("-q --frames 8..9 --png y%d/f.png p.xml").aCode, 0);
    EXPECT_EQ(NewFiles(), std::vector<std::string>({"project/y8/f.png", "project/y9/f.png"}));
    EXPECT_EQ(PartFiles(), "");
}

TEST_F(ZvrenderFiles, AReaderThatLeavesEndsTheRenderWithItsCause) {
    // The sound goes to standard output, which a reader leaves after 1000 bytes.
    Shell("ln -s /proc/self/fd/1 " + aRoot + "/project/out.wav");
    aInputs = Snapshot();
    Shell("cd " + aRoot +
          "/project && (" ZV_ZVRENDER
          " -q --png f%02d.png --wav out.wav --mp4 v.mp4 p.xml 2>../err.txt; echo $? "
          ">../code.txt) | head -c 1000 >/dev/null");
    EXPECT_EQ(ReadFile(aRoot + "/code.txt"), "1\n");
    EXPECT_EQ(ReadFile(aRoot + "/err.txt"), "zvrender: cannot write out.wav: Broken pipe\n");
    EXPECT_EQ(PartFiles(), "");
    EXPECT_EQ(access((aRoot + "/project/v.mp4").c_str(), F_OK), -1);
    EXPECT_EQ(LinkTarget(aRoot + "/project/out.wav"), "/proc/self/fd/1");

    // Standard error is a pipe that no one reads: what cannot be said is let go.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    const std::string command =
        "cd " + aRoot + "/project && exec " ZV_ZVRENDER " --png g%02d.png --wav s.wav p.xml";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(ends[1], STDERR_FILENO);
        signal(SIGPIPE, SIG_DFL);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ends[1]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ShellOutput("cd " + aRoot + "/project && ls g*.png | wc -l"), "60\n");
    EXPECT_GT(ReadFile(aRoot + "/project/s.wav").size(), 200000u);
    EXPECT_EQ(PartFiles(), "");
}

// A medium whose disk stops answering in the middle of a render (a preloaded stand-in for
// the disk makes every read of it fail with EIO once its reader has read 300,000 bytes)
// renders as nothing from the frame where its pictures or its sound were lost, and the
// frames before are those of a whole read. The render says so with the cause, under -q too,
// counts it in its summary and completes (exit 0).
TEST_F(ZvrenderFiles, AMediumThatFailsMidRenderIsSaidFromTheFrameItFailedAt) {
    // Its first opening is the load's scan, the second its reader's.
    const std::string failing = "export ASAN_OPTIONS=\"$ASAN_OPTIONS:verify_asan_link_order=0\" "
                                "LD_PRELOAD=" ZV_FAILING_READS " ZV_FAILING_FILE=" +
                                aRoot +
                                "/media/clip.mkv ZV_FAILING_OPENING=2 ZV_FAILING_AFTER=300000;";
    ASSERT_EQ(Run("-q --png whole%02d.png --wav whole.wav p.xml").aCode, 0);
    aInputs = Snapshot();
    const std::string said =
        "medium \"../media/clip.mkv\" could not be read from frame 19: Input/output error\n";
    const TRun pictures = Run("-q --png f%02d.png p.xml", failing);
    EXPECT_EQ(pictures.aCode, 0);
    EXPECT_EQ(pictures.aErr, said);
    for (int frame = 0; frame < 60; ++frame) {
        char name[16];
        std::snprintf(name, sizeof name, "%02d.png", frame);
        // The clip plays in frames 0 to 49.
        EXPECT_EQ(ReadFile(aRoot + "/project/f" + name) ==
                      ReadFile(aRoot + "/project/whole" + name),
                  frame < 19 || frame >= 50)
            << frame;
    }
    const TRun sound = Run("-q --wav s.wav p.xml", failing);
    EXPECT_EQ(sound.aCode, 0);
    EXPECT_EQ(sound.aErr, said);
    // The header and 882 frames of 4 bytes a frame.
    const std::string whole = ReadFile(aRoot + "/project/whole.wav"),
                      lost = ReadFile(aRoot + "/project/s.wav");
    EXPECT_EQ(lost.size(), whole.size());
    EXPECT_EQ(lost.substr(0, 44 + 19 * 3528), whole.substr(0, 44 + 19 * 3528));
    EXPECT_NE(lost.substr(44 + 19 * 3528, 3528), whole.substr(44 + 19 * 3528, 3528));

    // What FFmpeg said of the failure comes as the project closes, as for a damaged medium.
    const TRun loud = Run("--png g%02d.png p.xml", failing);
    EXPECT_EQ(loud.aCode, 0);
    EXPECT_EQ(
        std::regex_replace(std::regex_replace(loud.aErr,
                                              std::regex("(frame [0-9]+/[0-9]+|medium \"../media/"
                                                         "clip.mkv\": [0-9]+ message)[^\\n]*\\n"),
                                              ""),
                           std::regex(" in [0-9.]+ s \\([0-9.]+ "), " in # s (# "),
        said + "zvrender: rendered 60 frames in # s (# frames/s); 1 medium could not be "
               "read to the end, rendered as nothing from there\n");
    // Every input as it was.
    std::map<std::string, size_t> after = Snapshot();
    for (auto file = after.begin(); file != after.end();)
        file = aInputs.count(file->first) ? std::next(file) : after.erase(file);
    EXPECT_EQ(after, aInputs);
}

// Saved into another folder, each medium's text resolves from there: relative where the
// folder holds the file, its absolute path otherwise, offline media too, and an absolute
// text stays; the saved project opens with its media. Saved into its own folder, however the
// name spells it, the project is the file it was read from, byte for byte.
TEST_F(ZvrenderFiles, SavedElsewhereTheMediaTextsResolveFromTheNewFolder) {
    Shell("cd " + aRoot + "/project && mkdir -p sub other/dir && cp -r ../media/frames sub/");
    const std::string gone = "..\\media\\gone.png", clip = "../media/clip.mkv",
                      frames = "sub/frames/clip_%03d.png", absolute = aRoot + "/media/clip.mkv";
    std::string project = ReadFile(aRoot + "/project/p.xml");
    project.replace(project.find("..\\media\\still.png"), 18, gone);
    project.replace(project.find("../media/frames/clip_%03d.png"), 29, frames);
    project.replace(project.find(">../media/clip.mkv</media>", project.find("l=\"G\"")), 19,
                    ">" + absolute + "<");
    WriteFile(aRoot + "/project/q.xml", project);
    aInputs = Snapshot();
    // The project with the texts of gone.png, clip.mkv and the frames as given.
    const auto saved = [&](const std::string& pGone, const std::string& pClip,
                           const std::string& pFrames) {
        std::string text = project;
        text.replace(text.find(gone), gone.size(), pGone);
        text.replace(text.find(">" + clip + "<"), clip.size() + 2, ">" + pClip + "<");
        text.replace(text.find(frames), frames.size(), pFrames);
        return text;
    };
    const std::string media = aRoot + "/media/", here = aRoot + "/project/";
    const struct {
        std::string aSave, aGone, aText;
    } cases[] = {
        {"other/dir/x.xml", media + "gone.png",
         saved(media + "gone.png", media + "clip.mkv", here + frames)},
        {"../y.xml", "media/gone.png",
         saved("media/gone.png", "media/clip.mkv", "project/" + frames)},
        {"sub/w.xml", media + "gone.png",
         saved(media + "gone.png", media + "clip.mkv", "frames/clip_%03d.png")},
        {"sub/frames/v.xml", media + "gone.png",
         saved(media + "gone.png", media + "clip.mkv", "clip_%03d.png")},
        {"sub/../z.xml", gone, project},
        {here + "a.xml", gone, project},
    };
    for (const auto& c : cases) {
        const TRun save = Run("-q --save " + c.aSave + " q.xml");
        EXPECT_EQ(save.aCode, 0) << c.aSave;
        EXPECT_EQ(save.aErr, "") << c.aSave;
        const std::string path = c.aSave[0] == '/' ? c.aSave : here + c.aSave;
        EXPECT_EQ(ReadFile(path), c.aText) << c.aSave;
        // Opened where it lies, only the missing medium is offline, and saved there again
        // the file stays as it is.
        const std::string again = path.substr(0, path.rfind('/') + 1) + "again.xml";
        const TRun open = Run("--save " + again + " " + path);
        EXPECT_EQ(open.aCode, 0) << c.aSave;
        EXPECT_EQ(open.aErr, "medium \"" + c.aGone +
                                 "\" is offline: The file cannot be opened: No such file or "
                                 "directory\n")
            << c.aSave;
        EXPECT_EQ(ReadFile(again), c.aText) << c.aSave;
    }
    std::map<std::string, size_t> after = Snapshot();
    for (auto file = after.begin(); file != after.end();)
        file = aInputs.count(file->first) ? std::next(file) : after.erase(file);
    EXPECT_EQ(after, aInputs);
}

// A medium cut short in the middle of a render (a preloaded stand-in makes its file end at 40%
// of its bytes for its reader, as a truncation would) renders as nothing from the frame where
// its sound or its pictures were lost, rather than its last picture held; the render says so,
// under -q too, and completes. The frames before and after the clip are those of a whole read.
// A file that its readers' openings find cut to almost nothing or replaced by one with fewer
// streams, another codec or another rate, an MP4 with its index first, is no longer the medium
// the load opened: said as a medium that changed, it renders as offline from there (its first
// frames tell), and the render completes without a file left unfinished.
TEST_F(ZvrenderFiles, AMediumCutShortOrReplacedMidRenderIsSaidFromTheFrameItWasLostAt) {
    const std::string clip = aRoot + "/media/clip.mkv", media = aRoot + "/media/";
    const long size = long(ReadFile(clip).size());
    const TPictureDesc pictures = {"libx264", AV_PIX_FMT_YUV420P, 160, 120, 50, "threads=1"};
    const TSoundDesc sound = {"aac", AV_SAMPLE_FMT_FLTP, 22050, 2, 44100, ExampleSample};
    ASSERT_TRUE(WriteMedia(media + "first.mp4", &pictures, &sound, "movflags=faststart"));
    TPictureDesc faster = pictures;
    faster.aRate = AVRational{30, 1};
    ASSERT_TRUE(WriteMedia(media + "faster.mp4", &faster, &sound));
    const std::string changed = "The file has changed: it holds 1 stream, not 2";
    const struct {
        std::string aMedium, aFailing, aCause;
        // The first frames whose pictures and sound are lost; the frames rendered.
        size_t aPictures, aSound, aFrames;
    } cases[] = {
        {"clip.mkv", "ZV_FAILING_CUT=" + std::to_string(size * 4 / 10),
         "The file has been cut short: " + std::to_string(size * 4 / 10) + " of its " +
             std::to_string(size) + " bytes are left",
         20, 19, 60},
        {"first.mp4", "ZV_FAILING_CUT=1",
         "The file cannot be opened: Invalid data found when processing input", 0, 0, 5},
        {"first.mp4", "ZV_FAILING_CUT=100", "The file has changed: it holds 0 streams, not 2", 0, 0,
         5},
        {"first.mp4", "ZV_FAILING_CUT=200", changed, 0, 0, 5},
        {"first.mp4", "ZV_FAILING_REPLACE=" + media + "tone.wav", changed, 0, 0, 5},
        {"first.mp4", "ZV_FAILING_REPLACE=" + media + "turned90.mp4", changed, 0, 0, 5},
        {"first.mp4", "ZV_FAILING_REPLACE=" + clip,
         "The file has changed: its stream 0 is ffv1 video, not h264 video", 0, 0, 5},
        {"first.mp4", "ZV_FAILING_REPLACE=" + media + "faster.mp4",
         "The file has changed: its pictures come 30/1 a second, not 25/1", 0, 0, 5},
    };
    // The same project without the clip: what nothing renders.
    const std::string project = aRoot + "/project/";
    std::string gone = ReadFile(project + "p.xml");
    for (size_t at; (at = gone.find("clip.mkv")) != std::string::npos;)
        gone.replace(at, 8, "gone.mkv");
    WriteFile(project + "gone.xml", gone);
    ASSERT_EQ(Run("-q --png whole%02d.png --wav whole.wav p.xml").aCode, 0);
    ASSERT_EQ(Run("-q --png none%02d.png --wav none.wav gone.xml").aCode, 0);
    const std::string whole = ReadFile(project + "whole.wav"),
                      none = ReadFile(project + "none.wav");
    // Its first opening is the load's scan, the second its reader's.
    const auto failing = [&](const std::string& pMedium, const std::string& pSettings) {
        return "export ASAN_OPTIONS=\"$ASAN_OPTIONS:verify_asan_link_order=0\" "
               "LD_PRELOAD=" ZV_FAILING_READS " ZV_FAILING_FILE=" +
               media + pMedium + " ZV_FAILING_OPENING=2 " + pSettings + ";";
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.aFailing);
        std::string text = gone;
        for (size_t at; (at = text.find("gone.mkv")) != std::string::npos;)
            text.replace(at, 8, c.aMedium);
        WriteFile(project + "m.xml", text);
        const TRun run = Run("-q --frames 0.." + std::to_string(c.aFrames - 1) +
                                 " --png f%02d.png --wav s.wav m.xml",
                             failing(c.aMedium, c.aFailing));
        EXPECT_EQ(run.aCode, 0);
        EXPECT_EQ(run.aErr, "medium \"../media/" + c.aMedium + "\" could not be read from frame " +
                                std::to_string(std::min(c.aPictures, c.aSound)) + ": " + c.aCause +
                                "\n");
        EXPECT_EQ(PartFiles(), "");
        // The clip plays in frames 0 to 49.
        const std::string lost = ReadFile(project + "s.wav");
        ASSERT_EQ(lost.size(), 44 + c.aFrames * 3528);
        for (size_t frame = 0; frame < c.aFrames; ++frame) {
            char name[32];
            std::snprintf(name, sizeof name, "%02zu.png", frame);
            const bool played = frame < c.aPictures || frame >= 50;
            EXPECT_TRUE(ReadFile(project + "f" + name) ==
                        ReadFile(project + (played ? "whole" : "none") + name))
                << frame;
            if (frame != c.aSound) {
                EXPECT_TRUE(lost.substr(44 + frame * 3528, 3528) ==
                            (frame < c.aSound || frame >= 50 ? whole : none)
                                .substr(44 + frame * 3528, 3528))
                    << frame;
            }
        }
    }
    // The frames after the cut read the file no more: a render to frame 21 and the whole one
    // open it three times (the scan, the pictures and the sound) and read it as often.
    const auto counts = [&](const std::string& pFrames) {
        const std::string counted = failing("clip.mkv", cases[0].aFailing) +
                                    " export ZV_FAILING_COUNTS=" + aRoot + "/counts.txt;";
        EXPECT_EQ(
            Run("-q --frames " + pFrames + " --png c%02d.png --wav c.wav p.xml", counted).aCode, 0);
        return ReadFile(aRoot + "/counts.txt");
    };
    const std::string early = counts("0..21");
    EXPECT_EQ(early.substr(0, 11), "openings 3 ");
    EXPECT_EQ(counts("0..59"), early);
}

namespace {

// The example project with its sound at pRate frames a second in stereo, its audio source
// playing ../media/pMedium from its start.
std::string SoundProject(const std::string& pMedium, int pRate) {
    std::string project = ReadSource("host/example/example.xml");
    project.replace(project.find("rate=\"22050\""), 12, "rate=\"" + std::to_string(pRate) + "\"");
    const std::string seconds = "[mixer:Video][source:clip][param:1 - Image].value * 0.04";
    project.replace(project.find(seconds), seconds.size(), "time / 1000");
    project.replace(project.rfind("../media/clip.mkv"), 17, "../media/" + pMedium);
    return project;
}

} // namespace

// PCM sound cut short in the middle of a render (a preloaded stand-in makes the file end a
// second into its sound, or bytes into the sample there) is said from the frame where the
// sound stops, frame 25, in any container and cut inside a sample or not, and the render
// completes; when the sound plays at another rate, which reads ahead of what it plays, the
// frame named is still the one whose sound is lost. The frames before are those of the whole
// file; those after, silent.
TEST_F(ZvrenderFiles, SoundCutShortMidRenderIsSaidFromTheFrameItStops) {
    const struct {
        const char* aName;
        const char* aCodec;
        AVSampleFormat aFormat;
        int aBytes; // a sample's in the file
        int aRate;
        int aChannels;
        int aExtra;
        int aProjectRate;
    } cases[] = {
        {"s16.wav", "pcm_s16le", AV_SAMPLE_FMT_S16, 2, 44100, 2, 1, 44100},
        {"s16.wav", "pcm_s16le", AV_SAMPLE_FMT_S16, 2, 44100, 2, 3, 44100},
        {"mono.wav", "pcm_s16le", AV_SAMPLE_FMT_S16, 2, 44100, 1, 1, 44100},
        {"s24.wav", "pcm_s24le", AV_SAMPLE_FMT_S32, 3, 48000, 2, 2, 48000},
        {"s16.aiff", "pcm_s16be", AV_SAMPLE_FMT_S16, 2, 44100, 2, 1, 44100},
        {"s16.caf", "pcm_s16le", AV_SAMPLE_FMT_S16, 2, 44100, 2, 3, 44100},
        {"s16.w64", "pcm_s16le", AV_SAMPLE_FMT_S16, 2, 44100, 2, 2, 44100},
        // Played at other rates.
        {"s16.wav", "pcm_s16le", AV_SAMPLE_FMT_S16, 2, 44100, 2, 0, 48000},
        {"low.wav", "pcm_s16le", AV_SAMPLE_FMT_S16, 2, 8000, 2, 0, 48000},
    };
    // The whole renders, by medium and rate.
    std::map<std::string, std::string> wholes;
    for (const auto& c : cases) {
        const std::string played = std::string(c.aName) + " at " + std::to_string(c.aProjectRate);
        const std::string row = played + " +" + std::to_string(c.aExtra);
        const std::string medium = aRoot + "/media/" + c.aName;
        const TSoundDesc sound = {c.aCodec,    c.aFormat,   c.aRate,
                                  c.aChannels, 2 * c.aRate, ExampleSample};
        ASSERT_TRUE(WriteMedia(medium, nullptr, &sound)) << row;
        WriteFile(aRoot + "/project/q.xml", SoundProject(c.aName, c.aProjectRate));
        if (!wholes.count(played)) {
            ASSERT_EQ(Run("-q --wav whole.wav q.xml").aCode, 0) << row;
            wholes[played] = ReadFile(aRoot + "/project/whole.wav");
        }
        // The samples end the file: their second half is cut.
        const long size = long(ReadFile(medium).size());
        const long cut = size - long(c.aRate) * c.aChannels * c.aBytes + c.aExtra;
        const std::string cutting =
            "export ASAN_OPTIONS=\"$ASAN_OPTIONS:verify_asan_link_order=0\" "
            "LD_PRELOAD=" ZV_FAILING_READS " ZV_FAILING_FILE=" +
            medium + " ZV_FAILING_OPENING=2 ZV_FAILING_CUT=" + std::to_string(cut) + ";";
        const TRun run = Run("-q --wav s.wav q.xml", cutting);
        EXPECT_EQ(run.aCode, 0) << row;
        EXPECT_EQ(run.aErr, "medium \"../media/" + std::string(c.aName) +
                                "\" could not be read from frame 25: The file has been cut "
                                "short: " +
                                std::to_string(cut) + " of its " + std::to_string(size) +
                                " bytes are left\n")
            << row;
        const std::string& whole = wholes[played];
        const std::string lost = ReadFile(aRoot + "/project/s.wav");
        const size_t frame = size_t(c.aProjectRate / 25 * 4);
        ASSERT_EQ(lost.size(), 44 + 60 * frame) << row;
        // Frame 24 ends with what the filter reaches of the lost sound.
        for (size_t at = 0; at < 60; ++at) {
            if (at == 24 || at == 25)
                continue;
            EXPECT_TRUE(lost.compare(44 + at * frame, frame,
                                     at < 24 ? whole.substr(44 + at * frame, frame)
                                             : std::string(frame, '\0')) == 0)
                << row << ", frame " << at;
        }
    }
}
