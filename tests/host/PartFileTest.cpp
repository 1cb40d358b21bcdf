#include "PartFile.h"

#include "support/FileText.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

namespace {

std::vector<std::string> Names(const std::string& pFolder) {
    std::vector<std::string> names;
    DIR* folder = opendir(pFolder.c_str());
    while (const dirent* entry = folder ? readdir(folder) : nullptr)
        if (entry->d_name[0] != '.')
            names.push_back(entry->d_name);
    if (folder)
        closedir(folder);
    return names;
}

} // namespace

// A name as long as the folder takes is written: its temporary file's name is cut short to
// fit beside it, at a character's start.
TEST(PartFile, ALongNameHasATemporaryNameCutToFit) {
    const std::string folder = ::testing::TempDir() + "part-file-long/";
    mkdir(folder.c_str(), 0755);
    // 255 bytes: "xx", 126 two-byte characters, "y".
    std::string name = "xx";
    for (int i = 0; i < 126; ++i)
        name += "\xc3\xa9";
    name += "y";
    std::remove((folder + name).c_str());
    TZVPartFile file(folder + name);
    ASSERT_TRUE(file.IsOpen()) << file.Error();
    ASSERT_TRUE(file.Write("whole", 5));
    const std::vector<std::string> parts = Names(folder);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].size(), 254u);
    EXPECT_EQ(parts[0].substr(0, 243), name.substr(0, 242) + ".");
    EXPECT_EQ(parts[0].substr(249), ".part");
    ASSERT_TRUE(file.Publish()) << file.Error();
    EXPECT_EQ(Names(folder), std::vector<std::string>({name}));
    EXPECT_EQ(ReadFile(folder + name), "whole");
}
