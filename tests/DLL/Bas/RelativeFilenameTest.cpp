#include "DLL/Bas/RelativeFilename.h"

#include <gtest/gtest.h>

TEST(RelativeFilename, ABaseAboveTheFileGivesItsRelativeDirectory) {
    TRelativeFilename name(L"/P/media/a.wav");
    EXPECT_TRUE(name.SetBaseDir(L"/P"));
    EXPECT_EQ(name.aRelativeDir + L" " + name.GetFullPath(), L"media/ /P/media/a.wav");
    EXPECT_TRUE(name.RemBaseDir());
    EXPECT_FALSE(name.RemBaseDir());
    TRelativeFilename outside(L"/Q/a.wav"); // ".." comes first: not under the base
    EXPECT_FALSE(outside.SetBaseDir(L"/P"));
    outside.aRelativeDir = L"media/";
    EXPECT_TRUE(outside.SetBaseDir(L"/P")); // a relative directory dropped
    EXPECT_EQ(outside.aRelativeDir, L"");
    EXPECT_FALSE(TRelativeFilename().SetBaseDir(L"/P"));
}

TEST(RelativeFilename, ARelativePathIsMadeAbsoluteAgainstTheBase) {
    TRelativeFilename name;
    name.SetRelativeFullPath(L"media/a.wav", L"/P");
    EXPECT_EQ(name.aRelativeDir + L" " + name.GetFullPath(), L"media/ /P/media/a.wav");
    name.SetRelativeFullPath(L"/R/c.wav", L"/P");
    EXPECT_EQ(name.aRelativeDir + L" " + name.GetFullPath(), L" /R/c.wav");
    const wxString dir = wxStandardPaths::Get().GetUserDataDir();
    EXPECT_EQ(GetStandardFileDir(&wxStandardPathsBase::GetUserDataDir), dir);
    EXPECT_EQ(GetStandardFilePath(L"recent.cfg", &wxStandardPathsBase::GetUserDataDir),
              dir + L"/recent.cfg");
}
