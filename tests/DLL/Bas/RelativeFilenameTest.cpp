#include "DLL/Bas/RelativeFilename.h"

#include <gtest/gtest.h>

TEST(RelativeFilename, ABaseAboveTheFileGivesItsRelativeDirectory) {
    const struct {
        const wchar_t* aFile;
        const wchar_t* aBefore; // the relative directory before
        bool aResult;
        const wchar_t* aAfter;
    } cases[] = {
        {L"/P/media/a.wav", L"", true, L"media/"},
        {L"/Q/a.wav", L"", false, L""},      // ".." comes first: not under the base
        {L"/Q/a.wav", L"media/", true, L""}, // a relative directory dropped
        {L"", L"media/", false, L"media/"},
    };
    for (const auto& c : cases) {
        TRelativeFilename name(c.aFile);
        name.aRelativeDir = c.aBefore;
        EXPECT_EQ(name.SetBaseDir(L"/P"), c.aResult) << c.aFile << " " << c.aBefore;
        EXPECT_EQ(name.aRelativeDir, c.aAfter) << c.aFile << " " << c.aBefore;
        EXPECT_EQ(name.GetFullPath(), c.aFile) << "the name itself stays";
    }
    TRelativeFilename name(L"/P/media/a.wav");
    name.SetBaseDir(L"/P");
    EXPECT_TRUE(name.RemBaseDir());
    EXPECT_FALSE(name.RemBaseDir());
}

TEST(RelativeFilename, ARelativePathIsMadeAbsoluteAgainstTheBase) {
    TRelativeFilename name;
    name.SetRelativeFullPath(L"media/../clips/a.wav", L"/P");
    EXPECT_EQ(name.aRelativeDir, L"media/../clips/");
    EXPECT_EQ(name.GetFullPath(), L"/P/clips/a.wav");
    name.SetRelativeFullPath(L"/R/c.wav", L"/P");
    EXPECT_EQ(name.aRelativeDir, L"");
    EXPECT_EQ(name.GetFullPath(), L"/R/c.wav");
    EXPECT_EQ(GetStandardFilePath(L"recent.cfg", &wxStandardPathsBase::GetUserDataDir),
              wxStandardPaths::Get().GetUserDataDir() + L"/recent.cfg");
}
