#include "MediaLibrary.h"
#include "RenderCommand.h"

#include "REDarodo/Media.h"

#include "MediaWriter.h"
#include "support/FileText.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

// Each entry as "prefix | file | name" after the message of its text; a text met again is the
// same entry, reported once.
TEST(MediaLibrary, TextsResolveAgainstTheFolderAndKeepTheirPrefix) {
    std::ostringstream log;
    const TZVMediaLibrary library(L"/project/dir", true, log);
    for (const wchar_t* text :
         {L"../media/a.mkv", L"..\\media\\b.mkv", L"../media\\c.mkv", L"sub/./x/../d.tar.gz",
          L"/abs/e.mkv", L"f.mkv", L"", L"../media/a.mkv"}) {
        const TZVMediaInfo& info = library.GetMedia(library.FindMedia(text))->GetMediaInfo();
        log << info.aPrefix.utf8_string() << " | " << info.aFileName.GetFullPath().utf8_string()
            << " | " << info.aFileName.GetName().utf8_string() << "\n";
    }
    EXPECT_EQ(log.str(), "medium \"../media/a.mkv\" is offline: not opened\n"
                         "../media/ | /project/media/a.mkv | a\n"
                         "medium \"..\\media\\b.mkv\" is offline: not opened\n"
                         "..\\media\\ | /project/media/b.mkv | b\n"
                         "medium \"../media\\c.mkv\" is offline: not opened\n"
                         "../media\\ | /project/media/c.mkv | c\n"
                         "medium \"sub/./x/../d.tar.gz\" is offline: not opened\n"
                         "sub/./x/../ | /project/dir/sub/d.tar.gz | d.tar\n"
                         "medium \"/abs/e.mkv\" is offline: not opened\n"
                         "/abs/ | /abs/e.mkv | e\n"
                         "medium \"f.mkv\" is offline: not opened\n"
                         " | f.mkv | f\n"
                         "medium \"\" is offline: no file named\n"
                         " |  | \n"
                         "../media/ | /project/media/a.mkv | a\n");
}

// What each entry writes, as the rows write it, for a project file saved into another folder:
// relative where that folder holds the file, absolute otherwise; absolute and empty texts,
// and every text in the library's own folder however it is spelled, as they were read.
TEST(MediaLibrary, TextsAreWrittenToResolveFromTheFolderSavedInto) {
    std::ostringstream log;
    const TZVMediaLibrary library(L"/project/dir", true, log);
    for (const wchar_t* text : {L"../media/a.mkv", L"..\\media\\b.mkv", L"sub/./x/../d.tar.gz",
                                L"/project/dir/e.mkv", L"f.mkv", L""})
        library.FindMedia(text);
    const auto written = [&library] {
        std::string texts;
        for (int i = 0; const TZVLibraryEntry* entry = library.GetMedia(i); ++i) {
            const TZVMediaInfo& info = entry->GetMediaInfo();
            texts += (info.aPrefix.empty() ? info.aFileName.GetFullPath()
                                           : info.aPrefix + info.aFileName.GetFullName())
                         .utf8_string() +
                     "|";
        }
        return texts;
    };
    const std::string read =
        "../media/a.mkv|..\\media\\b.mkv|sub/./x/../d.tar.gz|/project/dir/e.mkv|f.mkv||";
    const struct {
        const wchar_t* aFolder;
        std::string aTexts;
    } cases[] = {
        {L"/project", "media/a.mkv|media/b.mkv|dir/sub/d.tar.gz|/project/dir/e.mkv|dir/f.mkv||"},
        {L"/other", "/project/media/a.mkv|/project/media/b.mkv|/project/dir/sub/d.tar.gz|"
                    "/project/dir/e.mkv|/project/dir/f.mkv||"},
        {L"/project/dir/sub", "/project/media/a.mkv|/project/media/b.mkv|d.tar.gz|"
                              "/project/dir/e.mkv|/project/dir/f.mkv||"},
        {L"/project/dir", read},
        {L"/project/x/../dir/.", read},
    };
    for (const auto& c : cases) {
        const TZVMediaLibrary::TSaveFolder folder(&library, c.aFolder);
        EXPECT_EQ(written(), c.aTexts) << wxString(c.aFolder).utf8_string();
    }
    EXPECT_EQ(written(), read);
}

TEST(MediaLibrary, OpensFilesBesideTheProjectWhateverTheWorkingFolder) {
    std::ostringstream messages;
    const TZVMediaLibrary library(wxString::FromUTF8(ZV_EXAMPLE_MEDIA) + L"/sub", false, messages);
    for (const wchar_t* text : {L"../clip.mkv", L"..\\tone.wav", L"../frames/../still.png"})
        EXPECT_NE(library.GetMedia(library.FindMedia(text))->GetMedia(), nullptr) << text;
    const TZVMediaLibrary beside(wxString::FromUTF8(ZV_EXAMPLE_MEDIA), false, messages);
    EXPECT_NE(beside.GetMedia(beside.FindMedia(L"clip.mkv"))->GetMedia(), nullptr);
    EXPECT_EQ(messages.str(), "");
}

namespace {

// A fresh folder of the test's own, removed with what it holds.
struct TTempFolder {
    std::string aPath = std::filesystem::temp_directory_path().string() + "/zvtestXXXXXX";
    TTempFolder() {
        EXPECT_NE(mkdtemp(&aPath[0]), nullptr);
        aPath += "/";
    }
    ~TTempFolder() { std::filesystem::remove_all(aPath); }
};

// The regular files under pFolder with their bytes.
std::map<std::string, std::string> Files(const std::string& pFolder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(pFolder))
        if (entry.is_regular_file())
            files[entry.path().string()] = ReadFile(entry.path().string());
    return files;
}

// The example project with each first text of pEdits replaced by the second, and its media
// named by absolute paths.
std::string Project(const std::vector<std::pair<std::string, std::string>>& pEdits) {
    std::string text = ReadSource("host/example/example.xml");
    for (const auto& edit : pEdits)
        text.replace(text.find(edit.first), edit.first.size(), edit.second);
    for (const std::string relative : {"../media/", "..\\media\\"})
        for (size_t at; (at = text.find(relative)) != std::string::npos;)
            text.replace(at, relative.size(), ZV_EXAMPLE_MEDIA "/");
    return text;
}

// The example camera clip with every 97th byte of its middle half changed: the container
// reads, its packets do not.
void WriteDamaged(const std::string& pPath) {
    std::string bytes = ReadFile(ZV_EXAMPLE_MEDIA "/camera.mp4");
    for (size_t i = bytes.size() / 4; i < bytes.size() * 3 / 4; i += 97)
        bytes[i] = char(bytes[i] ^ 0x5a);
    WriteFile(pPath, bytes);
}

struct TRun {
    int aCode;
    std::string aErr;
    // What reached the process's standard error, where FFmpeg prints its own lines.
    std::string aStandardError;
};

// zvrender on pArgs. A reader that opens one of pFifos is let go at once (it reads the end),
// so that a host that opens FIFOs fails the test rather than hang it.
TRun Zvrender(const std::vector<std::string>& pArgs, const std::vector<std::string>& pFifos = {}) {
    std::atomic<bool> done(false);
    std::thread release([&] {
        for (; !done; std::this_thread::sleep_for(std::chrono::milliseconds(2)))
            for (const std::string& fifo : pFifos)
                close(open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    });
    std::fflush(stderr);
    FILE* const capture = std::tmpfile();
    const int saved = dup(STDERR_FILENO);
    dup2(fileno(capture), STDERR_FILENO);
    std::ostringstream out, err;
    const int code = TZVRenderCommand(out, err, false).Run(pArgs);
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    done = true;
    release.join();
    std::string standardError(size_t(std::ftell(capture)), '\0');
    std::rewind(capture);
    standardError.resize(std::fread(&standardError[0], 1, standardError.size(), capture));
    std::fclose(capture);
    return {code, err.str(), standardError};
}

} // namespace

// FIFOs, devices, folders and sockets are never opened, as media or as images of a sequence:
// opening a FIFO blocks until a writer comes, reading a device may never end.
TEST(MediaLibrary, OnlyRegularFilesOpenAnythingElseIsOfflineWithItsReason) {
    const TTempFolder folder, outputs;
    const std::string& f = folder.aPath;
    const int socketFile = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = {AF_UNIX, {}};
    std::snprintf(address.sun_path, sizeof address.sun_path, "%ssocket.mkv", f.c_str());
    ASSERT_EQ(bind(socketFile, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(socketFile);
    // The first image is opened while the stream is probed, the 151st only while the images
    // are counted.
    const std::vector<std::string> fifos = {f + "fifo.mkv", f + "first/f_000.png",
                                            f + "later/f_150.png"};
    ASSERT_EQ(mkdir((f + "folder.mkv").c_str(), 0700) | mkdir((f + "first").c_str(), 0700) |
                  mkdir((f + "later").c_str(), 0700),
              0);
    for (const std::string& fifo : fifos)
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::copy_file(ZV_EXAMPLE_MEDIA "/frames/clip_000.png", f + "first/f_001.png");
    for (int i = 0; i < 150; ++i)
        std::filesystem::copy_file(ZV_EXAMPLE_MEDIA "/frames/clip_000.png",
                                   f + wxString::Format("later/f_%03d.png", i).utf8_string());
    std::string sources;
    for (const char* text : {"fifo.mkv", "folder.mkv", "socket.mkv", "/dev/null",
                             "first/f_%03d.png", "later/f_%03d.png"})
        sources += "<source type=\"video-media\" name=\"s\"><seq-list><seg begin=\"0\" "
                   "end=\"10\"/></seq-list><param-list shown=\"0\"><param type=\"Standard\" "
                   "name=\"Image\"><value><key time=\"0\" to=\"10\" kind=\"1\"/></value></param>"
                   "</param-list><fltr-list shown=\"0\"/><media>" +
                   std::string(text) + "</media></source>";
    const std::string clip = "<source type=\"video-media\" name=\"clip\">";
    WriteFile(f + "project.xml", Project({{clip, sources + clip}}));
    const auto inputs = Files(f);

    const TRun run =
        Zvrender({"--frames", "0..1", "--png", outputs.aPath + "%d.png", f + "project.xml"}, fifos);
    EXPECT_EQ(run.aCode, 0);
    const std::string cannot = "\" is offline: The file cannot be opened: ";
    EXPECT_EQ(
        // Without the progress of a slow run, and the summary's timings as "#".
        std::regex_replace(
            std::regex_replace(run.aErr, std::regex("frame [0-9]+/[0-9]+[^\\n]*\\n"), ""),
            std::regex(" in [0-9.]+ s \\([0-9.]+ "), " in # s (# "),
        "medium \"fifo.mkv" + cannot + "fifo.mkv is a FIFO, not a regular file\n" +
            "medium \"folder.mkv" + cannot + "folder.mkv is a directory, not a regular file\n" +
            "medium \"socket.mkv" + cannot + "socket.mkv is a socket, not a regular file\n" +
            "medium \"/dev/null" + cannot + "null is a character device, not a regular file\n" +
            "medium \"first/f_%03d.png" + cannot + "f_000.png is a FIFO, not a regular file\n" +
            "medium \"later/f_%03d.png" + cannot + "f_150.png is a FIFO, not a regular file\n" +
            "zvrender: rendered 2 frames in # s (# frames/s); 6 media offline, rendered as "
            "nothing\n");
    EXPECT_EQ(run.aStandardError, "");
    EXPECT_EQ(Files(f), inputs);
}

// A damaged medium's many messages come out as a few lines, once each kind as the project
// closes, and not at all under -q; FFmpeg itself prints nothing. The clean media say nothing.
TEST(MediaLibrary, WhatADamagedMediumReportsIsPrintedOnceAKindAndNotUnderQuiet) {
    const TTempFolder folder, outputs;
    const std::string& f = folder.aPath;
    WriteDamaged(f + "damaged.mp4");
    // Both rows play it: its pictures and its sound give more kinds than are printed.
    WriteFile(f + "project.xml", Project({{"<media l=\"50\" w=\"160\" h=\"120\">../media/clip.mkv",
                                           "<media l=\"60\" w=\"320\" h=\"240\">damaged.mp4"},
                                          {"<media l=\"G\">../media/clip.mkv",
                                           "<media l=\"g?EgtPBxQ`Q\">damaged.mp4"}}));
    const auto inputs = Files(f);

    const std::vector<std::string> args = {"--png", outputs.aPath + "%02d.png", "--wav",
                                           outputs.aPath + "sound.wav", f + "project.xml"};
    const TRun loud = Zvrender(args);
    EXPECT_EQ(loud.aCode, 0);
    const std::string m = "medium \"damaged.mp4\": ";
    // Without the progress of a slow run, and the summary's timings as "#".
    const std::string said = std::regex_replace(
        std::regex_replace(loud.aErr, std::regex("frame [0-9]+/[0-9]+[^\\n]*\\n"), ""),
        std::regex(" in [0-9.]+ s \\([0-9.]+ "), " in # s (# ");
    EXPECT_EQ(said, "zvrender: rendered 60 frames in # s (# frames/s)\n" +
                        m + "56 messages like \"error while decoding MB 14 13, bytestream -13\"\n" +
                        m + "18 messages like \"no frame!\"\n" +
                        m + "11 messages like \"missing picture in access unit with size 188\"\n" +
                        m + "10 messages like \"Pulse data corrupt or invalid.\"\n" +
                        m + "9 messages like \"top block unavailable for requested intra mode\"\n" +
                        m + "9 messages like \"deblocking_filter_idc 32 out of range\"\n" +
                        m + "9 messages like \"decode_slice_header error\"\n" +
                        m + "8 messages like \"Input buffer exhausted before END element found\"\n" +
                        m + "4 messages like \"Number of bands (49) exceeds limit (47).\"\n" +
                        m + "3 messages like \"TNS filter order 19 is greater than maximum 12.\"\n" +
                        m + "12 other messages\n");
    EXPECT_EQ(loud.aStandardError, "");
    std::vector<std::string> quietArgs = args;
    quietArgs.insert(quietArgs.begin(), "-q");
    const TRun quiet = Zvrender(quietArgs);
    EXPECT_EQ(quiet.aCode, 0);
    EXPECT_EQ(quiet.aErr, "");
    EXPECT_EQ(quiet.aStandardError, "");
    EXPECT_EQ(Files(f), inputs);
}

// Readers of one medium on several threads at once count every message of it (the
// ThreadSanitizer build sees the counting).
TEST(MediaLibrary, ReadersOnSeveralThreadsCountEveryMessageOfTheirMedium) {
    const TTempFolder folder;
    WriteDamaged(folder.aPath + "damaged.mp4");
    std::ostringstream messages;
    const TZVMediaLibrary library(wxString::FromUTF8(folder.aPath), false, messages, true);
    const TZVMedia* media = library.GetMedia(library.FindMedia(L"damaged.mp4"))->GetMedia();
    ASSERT_NE(media, nullptr);
    const auto readAll = [media] {
        std::unique_ptr<IReaderVideo> reader(media->GetVideo()->CreateReader());
        for (long i = 0; i < reader->GetImageCount(); ++i)
            reader->GetImage(i);
    };
    const auto count = [media] {
        long total = 0;
        for (const TZVMediaProblem& problem : media->GetProblems())
            total += problem.aCount;
        return total;
    };
    const long scanned = count();
    readAll();
    const long read = count() - scanned;
    std::vector<std::thread> readers;
    for (int i = 0; i < 4; ++i)
        readers.emplace_back(readAll);
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(count(), scanned + 5 * read);
    EXPECT_EQ(messages.str(), "");
}

// libswscale's own messages go to the medium's log like FFmpeg's others, from whatever thread
// (it converts on threads of its own). Its note on the filters of pictures 7 or 8 rows high
// ("Optimized 2 tap filter code cannot be used", twice: the reader's converter and the
// read-ahead's) is no warning, which the log drops as it drops FFmpeg's other notes: nothing
// is printed, with or without -q.
TEST(MediaLibrary, LibswscalesMessagesGoToTheMediumsLog) {
    const TTempFolder folder, outputs;
    const std::string& f = folder.aPath;
    const TPictureDesc shortClip = {"ffv1", AV_PIX_FMT_YUV420P, 160, 8, 50, nullptr};
    ASSERT_TRUE(WriteMedia(f + "short.mkv", &shortClip, nullptr));
    WriteFile(f + "project.xml", Project({{"<media l=\"50\" w=\"160\" h=\"120\">../media/clip.mkv",
                                           "<media l=\"50\" w=\"160\" h=\"8\">short.mkv"}}));
    const std::vector<std::string> args = {"--frames", "0..9", "--png",
                                           outputs.aPath + "%02d.png", f + "project.xml"};
    for (bool quiet : {false, true}) {
        std::vector<std::string> line = args;
        if (quiet)
            line.insert(line.begin(), "-q");
        const TRun run = Zvrender(line);
        EXPECT_EQ(run.aCode, 0);
        // Neither the summary nor the progress of a slow run.
        EXPECT_EQ(
            std::regex_replace(
                run.aErr, std::regex("(zvrender: rendered|frame [0-9]+/[0-9]+)[^\\n]*\\n"), ""),
            "");
        EXPECT_EQ(run.aStandardError, "") << quiet;
    }
}
