#include "MediaLibrary.h"

#include <gtest/gtest.h>

#include <sstream>

// Each entry as "prefix | file | name" after the message of its text; a text met again is the
// same entry, reported once.
TEST(MediaLibrary, TextsResolveAgainstTheFolderAndKeepTheirPrefix) {
    std::ostringstream log;
    const TZVMediaLibrary library(L"/project/dir", true, log);
    for (const wchar_t* text : {L"../media/a.mkv", L"..\\media\\b.mkv", L"../media\\c.mkv",
                                L"sub/./x/../d.tar.gz", L"/abs/e.mkv", L"f.mkv", L"",
                                L"../media/a.mkv"}) {
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
