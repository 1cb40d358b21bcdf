// zvrender run on generated projects whose formulas read one another as deep as evaluation
// may go, and one reference further, or nest deeper than a formula may, in a process of its
// own (the render's stack is its main thread's) in a temporary folder beside a copy of the
// example frames.
#include "support/FileText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct TRun {
    int aCode;
    std::string aErr;
};

class ZvrenderChains : public testing::Test {
protected:
    ZvrenderChains() {
        char name[] = "/tmp/zvrender-chains-XXXXXX";
        aRoot = mkdtemp(name);
        Shell("mkdir -p " + aRoot + "/project " + aRoot +
              "/media && cp -r " ZV_EXAMPLE_MEDIA "/frames " + aRoot + "/media/frames");
    }
    ~ZvrenderChains() override { Shell("rm -rf " + aRoot); }

    static int Shell(const std::string& pCommand) {
        const int status = std::system(pCommand.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // zvrender with pArgs in the project folder: its exit code and standard error.
    TRun Run(const std::string& pArgs) const {
        const std::string err = aRoot + "/err.txt";
        const int code = Shell("cd " + aRoot + "/project && exec " ZV_ZVRENDER " " + pArgs + " 2>" +
                               err + " >/dev/null");
        return {code, ReadFile(err)};
    }

    std::string aRoot;
};

// A source of the five example frames named pName showing image pImage (a formula) in frame
// pFrame, or in none (-1).
std::string FramesSource(const std::string& pName, int pFrame, const std::string& pImage) {
    const int begin = pFrame < 0 ? 10 : pFrame;
    return "<source type=\"video-media\" name=\"" + pName + "\"><seq-list><seg begin=\"" +
           std::to_string(begin) + "\" end=\"" + std::to_string(begin + 1) +
           "\"/></seq-list><param-list shown=\"0\"><param type=\"Standard\" name=\"Image\">"
           "<value>" +
           pImage +
           "</value></param></param-list><fltr-list shown=\"0\"/><media l=\"5\" w=\"32\" "
           "h=\"24\">../media/frames/clip_%03d.png</media></source>";
}

// A project of five frames of 32 x 24 whose video mixer holds pSources.
std::string FramesProject(const std::string& pSources) {
    std::string colour = "<param type=\"Color\" name=\"Background colour\"><value/></param>";
    for (const char* component : {"Red", "Green", "Blue"})
        colour += std::string("<param type=\"ColorComp\" name=\"Background colour - ") + component +
                  "\" disabled=\"\"><value><key time=\"0\" to=\"5\" kind=\"1\"/></value></param>";
    return "<project><format duration=\"5\"><video width=\"32\" height=\"24\" rate=\"25000\">"
           "<codec fourcc=\"0\" quality=\"-1\"/></video><audio rate=\"22050\" channel=\"2\" "
           "bits=\"16\" tag=\"1\"><codec id=\"0\" format=\"0\"/></audio></format>"
           "<mixer type=\"\" name=\"\"><seq-list><seg begin=\"0\" end=\"5\"/></seq-list>"
           "<param-list shown=\"0\"/><fltr-list shown=\"0\"/><src-list shown=\"1\">"
           "<mixer type=\"video-mux\" name=\"Video\"><seq-list><seg begin=\"0\" end=\"5\"/>"
           "</seq-list><setup-list><setup/></setup-list><param-list shown=\"0\">" +
           colour + "</param-list><fltr-list shown=\"0\"/><src-list shown=\"0\">" + pSources +
           "</src-list></mixer></src-list></mixer></project>";
}

std::string ImageOf(const std::string& pSource) {
    return "[mixer:Video][source:" + pSource + "][param:1 - Image].value";
}

// pPrefix0 is pFirst, and each of pPrefix1 to pPrefix<pLength> reads the one before and adds 1
// (modulo the five images); pShown: the frame of a source by its number.
std::string Chain(const std::string& pPrefix, int pFirst, int pLength,
                  const std::map<int, int>& pShown) {
    std::string sources;
    for (int i = 0; i <= pLength; ++i) {
        const auto shown = pShown.find(i);
        sources +=
            FramesSource(pPrefix + std::to_string(i), shown == pShown.end() ? -1 : shown->second,
                         i == 0 ? std::to_string(pFirst)
                                : "(" + ImageOf(pPrefix + std::to_string(i - 1)) + " + 1) % 5");
    }
    return sources;
}

// pName's image is pRead's, pLevels deep (the reference inside pLevels - 1 calls).
std::string Nested(const std::string& pName, int pFrame, const std::string& pRead, int pLevels) {
    std::string image = ImageOf(pRead);
    for (int i = 1; i < pLevels; ++i)
        image = "floor(" + image + ")";
    return FramesSource(pName, pFrame, image);
}

} // namespace

// A long chain of references is evaluated on the render path's stack, the main thread's, by
// every build. Unbound references read as undefined, which shows image 0.
TEST_F(ZvrenderChains, FormulasReadOneAnotherUpToTheLimitsAndTheRestRenders) {
    const std::string chains =
        // 1000 references, the limit: a1000 = (2 + 1000) % 5.
        Chain("a", 2, 1000, {{1000, 0}}) +
        // 1001: b1000 = (1 + 1000) % 5 is right, and b1001 does not bind.
        Chain("b", 1, 1001, {{1000, 1}, {1001, 2}}) +
        // Calls 5000 and 5000 deep, the deepest an evaluation may nest, then one more.
        FramesSource("c0", -1, "3") + Nested("c1", -1, "c0", 4999) + Nested("c2", 3, "c1", 5000) +
        Nested("c3", 4, "c1", 5001);
    WriteFile(aRoot + "/project/chains.xml", FramesProject(chains));
    std::string expected;
    const int images[] = {2, 1, 0, 3, 0};
    for (int frame = 0; frame < 5; ++frame)
        expected += FramesSource("e" + std::to_string(frame), frame, std::to_string(images[frame]));
    WriteFile(aRoot + "/project/expected.xml", FramesProject(expected));

    const TRun run = Run("-q --png c%d.png chains.xml");
    EXPECT_EQ(run.aCode, 0);
    const std::string b1000 = "[mixer:Video][source:b1000][param:1 - Image]";
    const std::string b1001 = "[mixer:Video][source:b1001][param:1 - Image]";
    const std::string c1 = "[mixer:Video][source:c1][param:1 - Image]";
    const std::string c3 = "[mixer:Video][source:c3][param:1 - Image]";
    EXPECT_EQ(run.aErr, "formula of " + b1001 + ": Referring to value of parameter " + b1000 +
                            " in parameter " + b1001 +
                            " formula makes a chain of more than 1000 references\n"
                            "formula of " +
                            c3 + ": Referring to value of parameter " + c1 + " in parameter " + c3 +
                            " formula nests formulas deeper than 10000 levels\n");
    ASSERT_EQ(Run("-q --png e%d.png expected.xml").aCode, 0);
    for (int frame = 0; frame < 5; ++frame) {
        const std::string number = std::to_string(frame);
        EXPECT_EQ(ReadFile(aRoot + "/project/c" + number + ".png"),
                  ReadFile(aRoot + "/project/e" + number + ".png"))
            << "frame " << frame;
    }
}

// The sum too many is said once, even when quiet; the parameter has no value, which shows
// image 0, and the rest renders.
TEST_F(ZvrenderChains, AFormulaNestedTooDeepIsSaidOnce) {
    std::string sums;
    for (int i = 0; i < 10000; ++i)
        sums += "1+";
    WriteFile(aRoot + "/project/deep.xml",
              FramesProject(FramesSource("deep", 0, sums + "1") + FramesSource("next", 1, "3")));
    WriteFile(aRoot + "/project/expected.xml",
              FramesProject(FramesSource("e0", 0, "0") + FramesSource("e1", 1, "3")));
    const TRun run = Run("-q --frames 0..1 --png d%d.png deep.xml");
    EXPECT_EQ(run.aCode, 0);
    EXPECT_EQ(run.aErr, "formula of [mixer:Video][source:deep][param:1 - Image] at character "
                        "20001: Expression nested deeper than 10000 levels\n");
    ASSERT_EQ(Run("-q --frames 0..1 --png e%d.png expected.xml").aCode, 0);
    for (const char* frame : {"0", "1"})
        EXPECT_EQ(ReadFile(aRoot + "/project/d" + frame + ".png"),
                  ReadFile(aRoot + "/project/e" + frame + ".png"))
            << frame;
}
