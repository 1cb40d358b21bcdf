// Files of a test process in a temporary folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// A name in a temporary folder of this process's own (the tests of other builds may run
// beside), which goes with what it holds when the tests end.
inline std::string Temporary(const std::string& pName) {
    static const struct TFolder {
        std::string aPath = ::testing::TempDir() + "zvtestXXXXXX";
        TFolder() { EXPECT_NE(mkdtemp(&aPath[0]), nullptr); }
        ~TFolder() { std::filesystem::remove_all(aPath); }
    } theFolder;
    return theFolder.aPath + "/" + pName;
}
