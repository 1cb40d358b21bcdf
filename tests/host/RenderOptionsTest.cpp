#include "RenderOptions.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::vector<std::string> Words(const std::string& pLine) {
    std::istringstream stream(pLine);
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    return words;
}

} // namespace

TEST(RenderOptions, BadCommandLinesNameTheirFault) {
    const struct {
        const char* aLine;
        const char* aError;
    } cases[] = {
        {"--wav a.wav", "no project given"},
        {"p.xml", "no output given: --png, --wav, --mp4 or --save"},
        {"--wav a.wav p.xml q.xml", "more than one project: p.xml, q.xml"},
        {"--bogus p.xml", "unknown option --bogus"},
        {"-x p.xml", "unknown option -x"},
        {"-q -q --wav a.wav p.xml", "option -q given twice"},
        {"--wav a.wav --wav b.wav p.xml", "option --wav given twice"},
        {"p.xml --wav", "option --wav needs a value"},
        {"--frames 3 --wav a.wav p.xml", "bad --frames 3: expected A..B with 0 <= A <= B <= 2147483647"},
        {"--frames 5..4 --wav a.wav p.xml", "bad --frames 5..4: expected A..B with 0 <= A <= B <= 2147483647"},
        {"--frames -1..4 --wav a.wav p.xml", "bad --frames -1..4: expected A..B with 0 <= A <= B <= 2147483647"},
        {"--frames 0..2147483648 --wav a.wav p.xml", "bad --frames 0..2147483648: expected A..B with 0 <= A <= B <= 2147483647"},
        {"--frames 1..x --wav a.wav p.xml", "bad --frames 1..x: expected A..B with 0 <= A <= B <= 2147483647"},
        {"--on-media-change maybe --wav a.wav p.xml", "bad --on-media-change maybe: expected accept or refuse"},
        {"--png frame.png p.xml", "bad --png frame.png: expected one integer conversion such as %05d"},
        {"--png f%d-%d.png p.xml", "bad --png f%d-%d.png: expected one integer conversion such as %05d"},
        {"--png f%s.png p.xml", "bad --png f%s.png: expected one integer conversion such as %05d"},
        {"--png f%.3d.png p.xml", "bad --png f%.3d.png: expected one integer conversion such as %05d"},
        {"--png %%d.png p.xml", "bad --png %%d.png: expected one integer conversion such as %05d"},
    };
    for (const auto& c : cases) {
        TZVRenderOptions options;
        std::string error;
        EXPECT_FALSE(options.Parse(Words(c.aLine), error)) << c.aLine;
        EXPECT_EQ(error, c.aError) << c.aLine;
    }
}

TEST(RenderOptions, GoodCommandLinesAreReadWhole) {
    TZVRenderOptions options;
    std::string error;
    ASSERT_TRUE(options.Parse(Words("--frames 2..9 --png out/f%%%04d.png --wav a.wav --mp4 "
                                    "a.mp4 --save b.xml --on-media-change refuse -q p.xml"),
                              error))
        << error;
    EXPECT_EQ(options.aProject, "p.xml");
    EXPECT_TRUE(options.aHasFrames);
    EXPECT_EQ(options.aFirst, 2);
    EXPECT_EQ(options.aLast, 9);
    EXPECT_EQ(options.PngName(12), "out/f%0012.png");
    EXPECT_EQ(options.aWav, "a.wav");
    EXPECT_EQ(options.aMp4, "a.mp4");
    EXPECT_EQ(options.aSave, "b.xml");
    EXPECT_FALSE(options.aAcceptChanges);
    EXPECT_TRUE(options.aQuiet);

    TZVRenderOptions help;
    EXPECT_TRUE(help.Parse(Words("--help"), error));
    EXPECT_TRUE(help.aHelp);
    TZVRenderOptions plain;
    EXPECT_TRUE(plain.Parse(Words("--png %d.png p.xml"), error));
    EXPECT_FALSE(plain.aHasFrames);
    EXPECT_TRUE(plain.aAcceptChanges);
    EXPECT_EQ(plain.PngName(2147483647), "2147483647.png");
}
