#include "REDarodo/Media.h"
#include "REDarodo/AudioStream.h"
#include "REDarodo/NameText.h"
#include "REDarodo/ReaderAudio.h"
#include "REDarodo/WaveformFactory.h"

#include "MediaWriter.h"
#include "support/ExampleMedia.h"
#include "support/Temporary.h"
#include "support/WxPrint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

TBytes Pixels(const TBitmap& pImage) {
    const uint8_t* data = static_cast<const uint8_t*>(pImage.GetRawData());
    return data ? TBytes(data, data + pImage.GetRowBytes() * pImage.GetHeight()) : TBytes();
}

// Image pImage of the example clip as the readers deliver it: premultiplied, or opaque for
// formats without alpha.
TBytes ClipImage(int pImage, int pCount, int pWidth, int pHeight, bool pOpaque = false) {
    TBytes pixels;
    for (int y = 0; y < pHeight; ++y)
        for (int x = 0; x < pWidth; ++x) {
            unsigned char pixel[4];
            ExamplePixel(pImage, pCount, pWidth, pHeight, x, y, pixel);
            const int alpha = pOpaque ? 255 : pixel[3];
            for (int byte = 0; byte < 3; ++byte)
                pixels.push_back(uint8_t((pixel[byte] * alpha + 127) / 255));
            pixels.push_back(uint8_t(alpha));
        }
    return pixels;
}

TSamples ToneSamples(long pFrames, int pChannels, int pRate) {
    TSamples samples;
    for (long i = 0; i < pFrames; ++i)
        for (int c = 0; c < pChannels; ++c)
            samples.push_back(ExampleSample(i, c, pRate));
    return samples;
}

// pCount frames from pFirst on, read after a seek.
TSamples ReadAt(TReaderAudio& pReader, int64_t pFirst, int pCount) {
    TSamples samples(size_t(pCount) * pReader.GetFormat().aChannels);
    pReader.Seek(pFirst);
    samples.resize(size_t(pReader.Read(samples.data(), pCount)) * pReader.GetFormat().aChannels);
    return samples;
}

} // namespace

TEST(Media, OpenScansTracksSizesCountsAndRatesOrRefusesWithAReason) {
    const std::string text = Temporary("notes.txt");
    FILE* file = std::fopen(text.c_str(), "w");
    std::fputs("This is no medium, only a few words of text.\n", file);
    std::fclose(file);
    // A WAV file of sound in a codec no one knows (tag 0x7777): 1,024 frames of 4 bytes.
    const std::string unknown = Temporary("unknown.wav");
    file = std::fopen(unknown.c_str(), "wb");
    const unsigned char header[44] = {'R', 'I', 'F',  'F',  36,  16,  0,    0,    'W', 'A',  'V',
                                      'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,   0x77, 0x77,
                                      2,   0,   0x44, 0xAC, 0,   0,   0x10, 0xB1, 2,   0,    4,
                                      0,   16,  0,    'd',  'a', 't', 'a',  0,    16,  0,    0};
    std::fwrite(header, 1, sizeof header, file);
    std::fwrite(std::vector<char>(4096, 5).data(), 1, 4096, file);
    std::fclose(file);
    // The clip under names that are not UTF-8, and under the one byte E9, which a name that is
    // UTF-8, holding U+1000E9, must not reach.
    const std::string latin = Temporary("caf\351.mkv"),
                      broken = Temporary("x\300\257\355\240\200.mkv");
    for (const std::string& copy : {latin, broken, Temporary("u\351.mkv")})
        std::filesystem::copy_file(ExamplePath("clip.mkv"), copy,
                                   std::filesystem::copy_options::overwrite_existing);
    const struct {
        std::string aPath;  // the name's bytes, given as the library takes them
        const char* aFacts; // video w x h count rate | audio channels rate frames | duration
    } cases[] = {
        {latin, "160x120 50 25 | 2 22050 44100 | 2"},
        {broken, "160x120 50 25 | 2 22050 44100 | 2"},
        {Temporary("u\364\200\203\251.mkv"),
         "The file cannot be opened: No such file or directory"},
        {ExamplePath("clip.mkv"), "160x120 50 25 | 2 22050 44100 | 2"},
        {ExamplePath("still.png"), "64x48 1 25 | - | 0.04"},
        {ExamplePath("frames/clip_%03d.png"), "32x24 5 25 | - | 0.2"},
        {ExamplePath("tone.wav"), "- | 2 44100 44100 | 1"},
        {ExamplePath("tone.flac"), "- | 1 44100 44100 | 1"},
        {ExamplePath("camera.mp4"), "320x240 60 25 | 1 22050 53248 | 2.41488"},
        {ExamplePath("missing.mkv"), "The file cannot be opened: No such file or directory"},
        {text, "The file cannot be opened: Invalid data found when processing input"},
        {ExamplePath("oversized.png"), "The images are larger than 16384 pixels a side"},
        {unknown, "The sound cannot be played: FFmpeg has no decoder for its codec (none) in WAV "
                  "/ WAVE (Waveform Audio)"},
    };
    for (const auto& c : cases) {
        wxString reason;
        std::unique_ptr<TZVMedia> media(TZVMedia::Open(NameText(c.aPath), &reason));
        wxString facts = reason;
        if (media) {
            char line[200];
            const TZVVideoTrack* video = media->GetVideo();
            const TZVAudioTrack* audio = media->GetAudio();
            std::snprintf(line, sizeof line, video ? "%dx%d %ld %g | " : "- | ",
                          video ? video->GetWidth() : 0, video ? video->GetHeight() : 0,
                          video ? video->GetImageCount() : 0, video ? video->GetImageRate() : 0.0);
            facts = line;
            if (audio)
                std::snprintf(line, sizeof line, "%d %d %lld | ", audio->GetChannelCount(),
                              audio->GetSampleRate(), (long long)audio->GetFrameCount());
            facts += (audio ? line : "- | ") + wxString::Format("%g", media->GetDuration());
            EXPECT_EQ(media->GetFilename(), NameText(c.aPath));
            EXPECT_EQ(media->GetWidth(), video ? video->GetWidth() : 0);
        }
        EXPECT_EQ(facts, wxString(c.aFacts)) << c.aPath;
    }
}

// FFV1 is lossless: every image is the writer's own (the sound is the seek test's).
TEST(Media, TheClipDecodesToTheWrittenPicturesInAnyOrder) {
    std::unique_ptr<TZVMedia> media = OpenExample("clip.mkv");
    ASSERT_TRUE(media && media->GetVideo());
    std::unique_ptr<IReaderVideo> reader(media->GetVideo()->CreateReader());
    EXPECT_TRUE(reader->HasAlpha());
    EXPECT_EQ(reader->GetFormat().aWidth * 1000 + reader->GetFormat().aHeight, 160120);
    for (long image : {0L, 1L, 49L, 48L, 10L, 10L, 0L})
        EXPECT_EQ(Pixels(reader->GetImage(image)), ClipImage(int(image), 50, 160, 120)) << image;
    EXPECT_EQ(reader->GetImage(50).GetWidth(), 0);
    EXPECT_EQ(reader->GetImage(-1).GetRawData(), nullptr);
}

// A reader read in order decodes ahead on a thread of its own; a repeat, a step back, a jump
// and the end stop it, and every answer is still the written image.
TEST(Media, ReadingAheadGivesTheImagesOfDirectReads) {
    std::unique_ptr<TZVMedia> media = OpenExample("clip.mkv");
    ASSERT_TRUE(media && media->GetVideo());
    std::unique_ptr<IReaderVideo> reader(media->GetVideo()->CreateReader());
    std::vector<long> order = {0, 1, 2, 3, 3, 2, 3, 4, 5, 30, 31, 32, 10};
    for (long image = 11; image < 50; ++image)
        order.push_back(image);
    for (long image : order)
        EXPECT_EQ(Pixels(reader->GetImage(image)), ClipImage(int(image), 50, 160, 120)) << image;
    EXPECT_EQ(reader->GetImage(50).GetRawData(), nullptr);
    EXPECT_EQ(Pixels(reader->GetImage(49)), ClipImage(49, 50, 160, 120));
    // Deleted while it reads ahead.
    reader.reset(media->GetVideo()->CreateReader());
    reader->GetImage(0);
    reader->GetImage(1);
}

TEST(Media, StillsAndSequencesDecodeToTheWrittenImages) {
    std::unique_ptr<TZVMedia> still = OpenExample("still.png");
    std::unique_ptr<TZVMedia> frames = OpenExample("frames/clip_%03d.png");
    ASSERT_TRUE(still && frames);
    std::unique_ptr<IReaderVideo> reader(still->GetVideo()->CreateReader());
    EXPECT_EQ(Pixels(reader->GetImage(0)), ClipImage(0, 8, 64, 48));
    reader.reset(frames->GetVideo()->CreateReader());
    EXPECT_FALSE(reader->HasAlpha());
    for (int image : {0, 1, 4, 2, 2, 3})
        EXPECT_EQ(Pixels(reader->GetImage(image)), ClipImage(image, 8, 32, 24, true)) << image;
}

TEST(Media, CameraImagesAreTheSameInOrderAndAtRandom) {
    std::unique_ptr<TZVMedia> media = OpenExample("camera.mp4");
    ASSERT_TRUE(media && media->GetVideo());
    std::unique_ptr<IReaderVideo> inOrder(media->GetVideo()->CreateReader());
    std::vector<TBytes> images;
    for (long image = 0; image < 60; ++image) {
        images.push_back(Pixels(inOrder->GetImage(image)));
        ASSERT_EQ(images.back().size(), 320u * 240 * 4) << image;
    }
    EXPECT_NE(images[0], images[59]);
    std::unique_ptr<IReaderVideo> atRandom(media->GetVideo()->CreateReader());
    for (long image : {59L, 13L, 12L, 11L, 0L, 24L, 23L, 1L})
        EXPECT_EQ(Pixels(atRandom->GetImage(image)), images[image]) << image;
}

TEST(Media, SoundReadAfterRandomSeeksEqualsTheSequentialRead) {
    for (const char* name : {"tone.wav", "tone.flac", "clip.mkv"}) {
        std::unique_ptr<TZVMedia> media = OpenExample(name);
        ASSERT_TRUE(media && media->GetAudio());
        std::unique_ptr<TReaderAudio> reader(media->GetAudio()->CreateReader());
        const int channels = reader->GetFormat().aChannels;
        const int64_t frames = reader->GetFrameCount();
        const TSamples all = ReadAt(*reader, 0, int(frames) + 10);
        EXPECT_EQ(all, ToneSamples(frames, channels, reader->GetFormat().aRate)) << name;
        const struct {
            int64_t aFirst;
            int aCount;
        } reads[] = {{30000, 500}, {4607, 2}, {4608, 9000},    {frames - 3, 100},
                     {20000, 0},   {-50, 20}, {frames + 9, 5}, {8191, 3000}};
        for (const auto& r : reads) {
            const int64_t first = std::min(std::max<int64_t>(r.aFirst, 0), frames);
            const int64_t count = std::min<int64_t>(r.aCount, frames - first);
            EXPECT_EQ(
                ReadAt(*reader, r.aFirst, r.aCount),
                TSamples(all.begin() + first * channels, all.begin() + (first + count) * channels))
                << name << " at " << r.aFirst;
        }
    }
}

TEST(Media, TheWaveformStreamGivesTheFormatBlockAndTheSoundInOrder) {
    std::unique_ptr<TZVMedia> media = OpenExample("tone.wav");
    ASSERT_TRUE(media);
    TZVAudioStream stream(media.get());
    const TZVWaveFormatEx& format = stream.GetFormat();
    EXPECT_EQ(std::vector<int>({format.aFormatTag, format.aChannels, int(format.aSamplesPerSec),
                                int(format.aAvgBytesPerSec), format.aBlockAlign,
                                format.aBitsPerSample, format.aExtraSize}),
              std::vector<int>({1, 2, 44100, 176400, 4, 16, 0}));
    EXPECT_EQ(stream.GetSampleCount(), 44100u);
    EXPECT_EQ(stream.GetDuration(), 1.0);
    TSamples read, block(2 * 16384);
    for (int got; (got = stream.Read(block.data(), 16384)) > 0;)
        read.insert(read.end(), block.begin(), block.begin() + got * 2);
    EXPECT_EQ(read, ToneSamples(44100, 2, 44100));

    std::unique_ptr<TZVMedia> still = OpenExample("still.png");
    TZVAudioStream silent(still.get());
    EXPECT_EQ(silent.GetFormat().aChannels + silent.GetSampleCount(), 0u);
    EXPECT_EQ(silent.Read(block.data(), 100), 0);
}

// The medium makes its summary once, through the installed factory, and frees it with
// itself.
TEST(Media, TheWaveformComesFromTheInstalledFactoryOnceAndGoesWithTheMedium) {
    struct TFactory : IZVWaveformFactory {
        std::vector<std::string> aCalls;
        TZVWaveform* Create(TZVMedia*) override {
            aCalls.push_back("create");
            return reinterpret_cast<TZVWaveform*>(this);
        }
        void Destroy(TZVWaveform* pWaveform) override {
            aCalls.push_back(pWaveform == reinterpret_cast<TZVWaveform*>(this) ? "destroy" : "?");
        }
    } factory;
    std::unique_ptr<TZVMedia> media = OpenExample("tone.flac");
    EXPECT_EQ(media->GetWaveform(), nullptr); // no factory yet
    IZVWaveformFactory::theSingleton = &factory;
    EXPECT_NE(media->GetWaveform(), nullptr);
    EXPECT_EQ(media->GetWaveform(), media->GetWaveform());
    media.reset();
    IZVWaveformFactory::theSingleton = nullptr;
    EXPECT_EQ(factory.aCalls, std::vector<std::string>({"create", "destroy"}));
}

// AAC decodes to floating-point samples, which the reader converts: the tone comes back at
// its level (half of full scale), give or take the codec's loss.
TEST(Media, LossySoundIsConvertedToSixteenBitsAtItsLevel) {
    std::unique_ptr<TZVMedia> media = OpenExample("camera.mp4");
    ASSERT_TRUE(media && media->GetAudio());
    std::unique_ptr<TReaderAudio> reader(media->GetAudio()->CreateReader());
    const TSamples sound = ReadAt(*reader, 0, 60000);
    ASSERT_EQ(sound.size(), 53248u);
    int peak = 0;
    for (int16_t sample : sound)
        peak = std::max(peak, std::abs(int(sample)));
    EXPECT_GT(peak, 15000);
    EXPECT_LT(peak, 18000);
}

// A file that goes once its medium opened: the readers that open it then give no image and
// silence, and the medium says why; the whole read of a file that stays says nothing.
TEST(Media, AFileThatCannotBeReadAfterItOpenedIsTheMediumsReadFailure) {
    const std::string path = Temporary("going.mkv");
    std::remove(path.c_str());
    ASSERT_EQ(std::system(("cp " ZV_EXAMPLE_MEDIA "/clip.mkv " + path).c_str()), 0);
    wxString reason;
    std::unique_ptr<TZVMedia> staying(TZVMedia::Open(ZV_EXAMPLE_MEDIA "/clip.mkv", &reason));
    std::unique_ptr<TZVMedia> going(TZVMedia::Open(path, &reason));
    ASSERT_TRUE(staying && going) << reason;
    std::remove(path.c_str());
    for (TZVMedia* media : {staying.get(), going.get()}) {
        std::unique_ptr<IReaderVideo> pictures(media->GetVideo()->CreateReader());
        for (long image = 0; image < pictures->GetImageCount(); ++image)
            EXPECT_EQ(pictures->GetImage(image).GetRawData() != nullptr, media == staying.get());
        std::unique_ptr<TReaderAudio> sound(media->GetAudio()->CreateReader());
        TSamples samples(882 * 2, 1);
        EXPECT_EQ(sound->Read(samples.data(), 882), 882);
        EXPECT_EQ(samples == TSamples(882 * 2, 0), media == going.get());
    }
    EXPECT_EQ(staying->GetReadFailure(), "");
    EXPECT_EQ(going->GetReadFailure(), "The file cannot be opened: No such file or directory");
}

// A file cut short once its medium opened: the pictures before the cut are the whole file's
// and those after give no image, asked in order or at random, and the medium says why.
TEST(Media, AFileCutShortGivesThePicturesBeforeTheCutInAnyOrder) {
    const std::string path = Temporary("cut.mkv"), wholePath = Temporary("whole.mkv");
    const TPictureDesc pictures = {
        "libx264", AV_PIX_FMT_YUV420P, 160, 120, 60, "preset=veryfast:bf=2:g=12:threads=1"};
    ASSERT_TRUE(WriteMedia(wholePath, &pictures, nullptr));
    std::filesystem::copy_file(wholePath, path);
    wxString reason;
    std::unique_ptr<TZVMedia> whole(TZVMedia::Open(wholePath, &reason)),
        cut(TZVMedia::Open(path, &reason));
    ASSERT_TRUE(whole && cut) << reason;
    ASSERT_EQ(truncate(path.c_str(), off_t(std::filesystem::file_size(path) * 4 / 10)), 0);
    std::unique_ptr<IReaderVideo> wholeReader(whole->GetVideo()->CreateReader());
    // In order, where the first picture lost tells where the cut lies, then at random.
    long lost = -1;
    for (unsigned seed : {0u, 1u, 2u, 3u}) {
        std::vector<long> order(60);
        std::iota(order.begin(), order.end(), 0L);
        if (seed)
            std::shuffle(order.begin(), order.end(), std::mt19937(seed));
        std::unique_ptr<IReaderVideo> reader(cut->GetVideo()->CreateReader());
        for (long image : order) {
            const TBytes given = Pixels(reader->GetImage(image));
            lost = lost < 0 && given.empty() ? image : lost;
            EXPECT_EQ(given,
                      lost < 0 || image < lost ? Pixels(wholeReader->GetImage(image)) : TBytes())
                << seed << " " << image;
        }
    }
    EXPECT_GT(lost, 10);
    EXPECT_LT(lost, 40);
    EXPECT_TRUE(cut->GetReadFailure().StartsWith("The file has been cut short: "))
        << cut->GetReadFailure();
}
