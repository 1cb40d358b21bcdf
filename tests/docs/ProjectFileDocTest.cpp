#include "ALL/Number.h"
#include "ALL/Variant.h"
#include "RenderOptions.h"
#include "support/FileText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

namespace {

const char* const DOCUMENT = "docs/project-file.md";

// The line's words, joined by one blank.
std::string Words(const std::string& pLine) {
    std::istringstream words(pLine);
    std::string word, joined;
    while (words >> word)
        joined += (joined.empty() ? "" : " ") + word;
    return joined;
}

} // namespace

// Users copy the table's images into their projects by hand: each must be what the writer
// gives for its number, and read back to that very number.
TEST(ProjectFileDoc, NumberImageTableIsTheWritersOwn) {
    std::istringstream document(ReadSource(DOCUMENT));
    std::string line;
    // The table is the code block whose heading line is "number" and "image".
    while (std::getline(document, line) && Words(line) != "number image") {
    }
    ASSERT_FALSE(document.eof()) << "no table of number images in " << DOCUMENT;
    int rows = 0;
    while (std::getline(document, line) && line != "```") {
        std::istringstream row(line);
        std::string number, image;
        row >> number >> image;
        if (image == "(empty)")
            image.clear();
        const double value = std::strtod(number.c_str(), nullptr);
        EXPECT_EQ(IEEE754Image(value), wxString(image)) << number;
        uint64_t bits = 1;
        EXPECT_TRUE(GetIEEE754Value(image, &bits)) << image;
        EXPECT_EQ(bits, DoubleToBits(value)) << image;
        ++rows;
    }
    EXPECT_GE(rows, 20);
}

// The readers of the help and of the README find their way to the document.
TEST(ProjectFileDoc, HelpAndReadmeLeadToIt) {
    EXPECT_NE(std::string(TZVRenderOptions::Help()).find(DOCUMENT), std::string::npos);
    EXPECT_NE(ReadSource("README.md").find(std::string("](") + DOCUMENT + ")"), std::string::npos);
}
