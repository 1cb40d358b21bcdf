// Whole files as bytes, for the tests that compare what programs read and write.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

// The bytes of the file at pPath; empty when it cannot be read.
inline std::string ReadFile(const std::string& pPath) {
    std::ifstream file(pPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The bytes of the file at pPath in the project's source tree.
inline std::string ReadSource(const std::string& pPath) {
    return ReadFile(ZV_SOURCE_DIR "/" + pPath);
}

// Makes pText the whole of the file at pPath.
inline void WriteFile(const std::string& pPath, const std::string& pText) {
    std::ofstream(pPath, std::ios::binary) << pText;
}
