// The example media the build writes (ZV_EXAMPLE_MEDIA), opened for the media tests.
#pragma once

#include "REDarodo/Media.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef std::vector<uint8_t> TBytes;
typedef std::vector<int16_t> TSamples;

inline std::string ExamplePath(const std::string& pName) {
    return std::string(ZV_EXAMPLE_MEDIA) + "/" + pName;
}

// The medium at pPath, or null with a test failure saying why.
inline std::unique_ptr<TZVMedia> OpenMediumAt(const std::string& pPath) {
    wxString reason;
    std::unique_ptr<TZVMedia> media(TZVMedia::Open(pPath, &reason));
    EXPECT_TRUE(media) << pPath << ": " << reason;
    return media;
}

// The example medium pName, or null with a test failure saying why.
inline std::unique_ptr<TZVMedia> OpenExample(const std::string& pName) {
    return OpenMediumAt(ExamplePath(pName));
}
