#include "MediaLibrary.h"

#include <wx/utils.h>

#include <gtest/gtest.h>

#include <sstream>

TEST(MediaLibrary, TextsResolveAgainstTheFolderAndKeepTheirPrefix) {
    std::ostringstream messages;
    const TZVMediaLibrary library(L"/project/dir", true, messages);
    const struct {
        wxString aText, aPrefix, aPath, aName;
    } cases[] = {
        {L"../media/a.mkv", L"../media/", L"/project/media/a.mkv", L"a"},
        {L"..\\media\\b.mkv", L"..\\media\\", L"/project/media/b.mkv", L"b"},
        {L"../media\\c.mkv", L"../media\\", L"/project/media/c.mkv", L"c"},
        {L"sub/./x/../d.tar.gz", L"sub/./x/../", L"/project/dir/sub/d.tar.gz", L"d.tar"},
        {L"/abs/e.mkv", L"/abs/", L"/abs/e.mkv", L"e"},
        {L"~/f.mkv", L"~/", wxGetUserHome() + L"/f.mkv", L"f"},
        // Without a directory part the text itself is the file name written back.
        {L"g.mkv", L"", L"g.mkv", L"g"},
        {L"", L"", L"", L""},
    };
    for (const auto& c : cases) {
        const int index = library.FindMedia(c.aText);
        EXPECT_EQ(library.FindMedia(c.aText), index) << c.aText;
        const TZVMediaInfo& info = library.GetMedia(index)->GetMediaInfo();
        EXPECT_EQ(info.aPrefix, c.aPrefix) << c.aText;
        EXPECT_EQ(info.aFileName.GetFullPath(), c.aPath) << c.aText;
        EXPECT_EQ(info.aFileName.GetName(), c.aName) << c.aText;
        EXPECT_EQ(library.GetMedia(index)->GetMedia(), nullptr) << c.aText;
    }
    EXPECT_EQ(messages.str(), "medium \"../media/a.mkv\" is offline: not opened\n"
                              "medium \"..\\media\\b.mkv\" is offline: not opened\n"
                              "medium \"../media\\c.mkv\" is offline: not opened\n"
                              "medium \"sub/./x/../d.tar.gz\" is offline: not opened\n"
                              "medium \"/abs/e.mkv\" is offline: not opened\n"
                              "medium \"~/f.mkv\" is offline: not opened\n"
                              "medium \"g.mkv\" is offline: not opened\n"
                              "medium \"\" is offline: no file named\n");
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
