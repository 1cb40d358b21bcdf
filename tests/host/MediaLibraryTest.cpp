#include "MediaLibrary.h"
#include "RenderCommand.h"

#include "REDarodo/Media.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
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

std::string Read(const std::string& pPath) {
    std::ifstream file(pPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The regular files under pFolder with their bytes.
std::map<std::string, std::string> Files(const std::string& pFolder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(pFolder))
        if (entry.is_regular_file())
            files[entry.path().string()] = Read(entry.path().string());
    return files;
}

// The example project with each first text of pEdits replaced by the second, and its media
// named by absolute paths.
std::string Project(const std::vector<std::pair<std::string, std::string>>& pEdits) {
    std::string text = Read(ZV_SOURCE_DIR "/host/example/example.xml");
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
    std::string bytes = Read(ZV_EXAMPLE_MEDIA "/camera.mp4");
    for (size_t i = bytes.size() / 4; i < bytes.size() * 3 / 4; i += 97)
        bytes[i] = char(bytes[i] ^ 0x5a);
    std::ofstream(pPath, std::ios::binary) << bytes;
}

struct TRun {
    int aCode;
    std::string aErr;
    // What reached the process's standard error, where FFmpeg prints its own lines.
    std::string aStandardError;
};

TRun Zvrender(const std::vector<std::string>& pArgs) {
    std::fflush(stderr);
    FILE* const capture = std::tmpfile();
    const int saved = dup(STDERR_FILENO);
    dup2(fileno(capture), STDERR_FILENO);
    std::ostringstream out, err;
    const int code = TZVRenderCommand(out, err, false).Run(pArgs);
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::string standardError(size_t(std::ftell(capture)), '\0');
    std::rewind(capture);
    standardError.resize(std::fread(&standardError[0], 1, standardError.size(), capture));
    std::fclose(capture);
    return {code, err.str(), standardError};
}

} // namespace

// A damaged medium's many messages come out as a few lines, once each kind as the project
// closes, and not at all under -q; FFmpeg itself prints nothing. The clean media say nothing.
TEST(MediaLibrary, WhatADamagedMediumReportsIsPrintedOnceAKindAndNotUnderQuiet) {
    const TTempFolder folder, outputs;
    const std::string& f = folder.aPath;
    WriteDamaged(f + "damaged.mp4");
    // Both rows play it: its pictures and its sound give more kinds than are printed.
    std::ofstream(f + "project.xml")
        << Project({{"<media l=\"50\" w=\"160\" h=\"120\">../media/clip.mkv",
                     "<media l=\"60\" w=\"320\" h=\"240\">damaged.mp4"},
                    {"<media l=\"G\">../media/clip.mkv", "<media l=\"g?EgtPBxQ`Q\">damaged.mp4"}});
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
    EXPECT_EQ(said, "zvrender: rendered 60 frames in # s (# frames/s)\n" + m +
                        "64 messages like \"error while decoding MB 0 14, bytestream 195\"\n" + m +
                        "27 messages like \"Cannot use next picture in error concealment\"\n" + m +
                        "25 messages like \"left block unavailable for requested intra mode\"\n" +
                        m + "16 messages like \"non-existing PPS 8 referenced\"\n" + m +
                        "11 messages like \"cabac decode of qscale diff failed at 7 1\"\n" + m +
                        "7 messages like \"top block unavailable for requested intra mode\"\n" + m +
                        "7 messages like \"decode_slice_header error\"\n" + m +
                        "7 messages like \"no frame!\"\n" + m +
                        "6 messages like \"channel element 1.2 is not allocated\"\n" + m +
                        "5 messages like \"TNS filter order 31 is greater than maximum 12.\"\n" +
                        m + "20 other messages\n");
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
