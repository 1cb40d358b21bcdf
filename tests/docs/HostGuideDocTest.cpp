#include "support/FileText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

namespace {

const char* const GUIDE = "docs/host-guide.md";
// The guide's code fragments, which the package consumer compiles.
const char* const FRAGMENTS = "tests/package/guide";

// The guide's code blocks that name a file ("```cpp tests/package/guide/AppHost.h"), by the
// file they name; a block named twice keeps its last text.
std::map<std::string, std::string> QuotedFiles() {
    std::istringstream guide(ReadSource(GUIDE));
    std::map<std::string, std::string> blocks;
    std::string line;
    while (std::getline(guide, line)) {
        const size_t blank = line.find(' ');
        if (line.compare(0, 3, "```") != 0 || blank == std::string::npos)
            continue;
        std::string& text = blocks[line.substr(blank + 1)];
        text.clear();
        while (std::getline(guide, line) && line != "```")
            text += line + "\n";
    }
    return blocks;
}

} // namespace

// Readers copy the guide's code: each block is the file it names, which the package consumer
// compiles and runs against the installed package.
TEST(HostGuideDoc, EveryQuotedBlockIsItsFile) {
    const std::map<std::string, std::string> blocks = QuotedFiles();
    EXPECT_GE(blocks.size(), 7u);
    for (const auto& block : blocks)
        EXPECT_EQ(block.second, ReadSource(block.first)) << block.first << " differs from its file";
}

// A fragment the guide does not show would be compiled for nothing, and one it shows from
// elsewhere would not be compiled.
TEST(HostGuideDoc, EveryFragmentIsQuoted) {
    const std::map<std::string, std::string> blocks = QuotedFiles();
    int fragments = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(ZV_SOURCE_DIR "/") + FRAGMENTS)) {
        const std::string path = std::string(FRAGMENTS) + "/" + entry.path().filename().string();
        EXPECT_EQ(blocks.count(path), 1u) << path << " is not quoted in " << GUIDE;
        ++fragments;
    }
    EXPECT_GE(fragments, 7);
}

TEST(HostGuideDoc, ReadmeLeadsToIt) {
    EXPECT_NE(ReadSource("README.md").find(std::string("](") + GUIDE + ")"), std::string::npos);
}
