#include "QueuedOutput.h"

#include "MovieOutput.h"
#include "PngOutput.h"
#include "WavOutput.h"

#include "DLL/Edt/MediaFormat.h"
#include "REDarodo/Bitmap.h"

#include "support/FileText.h"
#include "support/Temporary.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// 64 x 48 pictures, stereo sound at 8,000 a second, 25 frames a second.
void SetFormat(TMediaFormat& pFormat) {
    pFormat.SetWidth(64);
    pFormat.SetHeight(48);
    pFormat.SetIsStereo(true);
    pFormat.aAudioFormat.aSamplesPerSec = 8000;
}

// Writes pFrames frames through pOutput: pictures that differ from frame to frame (every
// third one missing) and sound (every fourth one missing); the same frames every time.
std::string WriteFrames(IZVOutput& pOutput, int pFrames) {
    std::string error;
    TMediaFormat format;
    SetFormat(format);
    if (!pOutput.Begin(format, error))
        return error;
    std::vector<uint32_t> pixels(64 * 48);
    std::vector<int16_t> sound(2 * 320);
    for (int frame = 0; frame < pFrames; ++frame) {
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = 0xFF000000u | uint32_t(i * 2654435761u + unsigned(frame) * 40503u) >> 8;
        for (size_t i = 0; i < sound.size(); ++i)
            sound[i] = int16_t(i * 37 + size_t(frame) * 1001);
        // The picture is drawn over by the next frame at once, as the render's is.
        const TBitmap picture(pixels.data(), 64, 48);
        if (!pOutput.AddFrame(frame, frame % 3 == 2 ? nullptr : &picture,
                              frame % 4 == 3 ? nullptr : sound.data(), 320, error))
            return error;
    }
    return pOutput.Finish(error) ? std::string() : error;
}

// An output that takes frames from several threads at once and fails at frame aFailAt.
class TFailingOutput : public IZVOutput {
public:
    explicit TFailingOutput(long pFailAt) : aFailAt(pFailAt) {}
    bool Begin(const TMediaFormat&, std::string&) override { return true; }
    bool AddFrame(long pFrame, const TBitmap*, const int16_t*, int, std::string& pError) override {
        pError = "cannot write frame " + std::to_string(pFrame) + ": No space left on device";
        return pFrame != aFailAt;
    }
    bool Finish(std::string&) override { return true; }

private:
    const long aFailAt;
};

} // namespace

// The files written through the queue are those written directly, byte for byte: pictures
// on several threads, the sound and the movie (with one encoder thread) in order, its
// pictures converted side by side.
TEST(QueuedOutput, WritesTheSameFilesAsTheOutputItself) {
    const auto png = [](const char* pKind) {
        return [pKind](long pFrame) {
            return Temporary(std::string("queued-") + pKind + std::to_string(pFrame) + ".png");
        };
    };
    TZVPngOutput direct(png("direct"));
    TZVQueuedOutput queued(std::make_unique<TZVPngOutput>(png("queued")), 4, 8, false);
    ASSERT_EQ(WriteFrames(direct, 40), "");
    ASSERT_EQ(WriteFrames(queued, 40), "");
    for (long frame = 0; frame < 40; ++frame)
        EXPECT_EQ(ReadFile(png("queued")(frame)), ReadFile(png("direct")(frame))) << frame;

    for (const char* kind : {"wav", "mp4"}) {
        const std::string path = Temporary(std::string("queued.") + kind);
        const std::string other = Temporary(std::string("direct.") + kind);
        const auto make = [kind](const std::string& pPath) -> std::unique_ptr<IZVOutput> {
            if (kind == std::string("wav"))
                return std::make_unique<TZVWavOutput>(pPath, 40 * 320);
            return std::make_unique<TZVMovieOutput>(pPath, 1);
        };
        // Three workers prepare the frames side by side; they are added in order.
        TZVQueuedOutput output(make(path), 3, 5, true);
        ASSERT_EQ(WriteFrames(output, 40), "") << kind;
        ASSERT_EQ(WriteFrames(*make(other), 40), "") << kind;
        EXPECT_EQ(ReadFile(path), ReadFile(other)) << kind;
        EXPECT_GT(ReadFile(path).size(), 1000u) << kind;
    }
}

// A worker's failure stops the frames that follow, and the render hears of it.
TEST(QueuedOutput, AWorkersFailureComesBackToTheRender) {
    for (const bool ordered : {false, true})
        for (const int workers : {1, 4}) {
            TZVQueuedOutput output(std::make_unique<TFailingOutput>(5), workers, 2, ordered);
            EXPECT_EQ(WriteFrames(output, 1000), "cannot write frame 5: No space left on device")
                << workers;
        }
}
