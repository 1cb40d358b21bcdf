// Media as other encoders write them (the example media written at build time), read through
// the stand-in and compared with one continuous decode of the same file by libavcodec alone:
// lossy sound with priming, sound in every codec and container (written by the tests), phone
// video turned by a display matrix, video at irregular times, a file damaged in the middle,
// picture and sound together, and colours as tags name them.
#include "REDarodo/Media.h"
#include "REDarodo/ReaderAudio.h"

#include "MediaWriter.h"
#include "PictureConverter.h"

#include "support/ExampleMedia.h"
#include "support/PlainDecode.h"
#include "support/Temporary.h"
#include "support/WxPrint.h"

extern "C" {
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

TBytes Pixels(const TBitmap& pImage) {
    const uint8_t* data = static_cast<const uint8_t*>(pImage.GetRawData());
    return data ? TBytes(data, data + pImage.GetRowBytes() * pImage.GetHeight()) : TBytes();
}

// One decode of a file's first picture or sound stream from its start to its end, as a player
// does it: every frame the decoder gives, the priming and padding dropped as the decoder drops
// them. Sound as signed 16 bits, pictures as BGRA of their coded size with their times,
// converted as the stand-in converts them (which pictures show is what these tests check;
// colours have tests of their own).
struct TPlainDecode {
    TSamples aSound;
    int aChannels = 0;
    std::vector<TBytes> aImages;
    // Each picture's or sound frame's time, as the decoder stamps it.
    std::vector<int64_t> aTimes;
    AVRational aTimeBase = {0, 1};
    int aWidth = 0;
    int aHeight = 0;

    TPlainDecode(const std::string& pPath, AVMediaType pType) {
        DecodeFile(pPath, pType, [this, pType](const AVStream& pStream, const AVFrame& pFrame) {
            aTimeBase = pStream.time_base;
            aTimes.push_back(pFrame.best_effort_timestamp);
            pType == AVMEDIA_TYPE_AUDIO ? AddSound(pFrame) : AddImage(pFrame);
            return true;
        });
    }

    void AddSound(const AVFrame& pFrame) {
        aChannels = std::min(pFrame.ch_layout.nb_channels, 2);
        AVChannelLayout layout;
        av_channel_layout_default(&layout, aChannels);
        AVChannelLayout source = pFrame.ch_layout;
        SwrContext* convert = nullptr;
        swr_alloc_set_opts2(&convert, &layout, AV_SAMPLE_FMT_S16, pFrame.sample_rate, &source,
                            AVSampleFormat(pFrame.format), pFrame.sample_rate, 0, nullptr);
        swr_init(convert);
        const size_t done = aSound.size();
        aSound.resize(done + size_t(pFrame.nb_samples) * aChannels);
        uint8_t* target[] = {reinterpret_cast<uint8_t*>(aSound.data() + done)};
        swr_convert(convert, target, pFrame.nb_samples,
                    const_cast<const uint8_t**>(pFrame.extended_data), pFrame.nb_samples);
        swr_free(&convert);
    }

    void AddImage(const AVFrame& pFrame) {
        aWidth = pFrame.width;
        aHeight = pFrame.height;
        TVideoIndex index;
        index.aWidth = aWidth;
        index.aHeight = aHeight;
        TMediaLog log;
        TAllocBitmap image;
        TPictureConverter(log).Convert(pFrame, index, image);
        aImages.push_back(Pixels(image));
    }
};

// A 997 Hz tone at 0.6 of full scale, each further channel a quarter period on.
short Tone997(long pFrame, int pChannel, int pRate) {
    const double phase = double((int64_t(pFrame) * 997 + int64_t(pChannel) * pRate / 4) % pRate);
    return short(std::lround(19660 * std::sin(2 * M_PI * phase / pRate)));
}

// A sound medium these tests write: a second of the tone in a codec, at a rate, in the
// container its name says.
struct TWrittenSound {
    const char* aName;
    const char* aCodec;
    AVSampleFormat aFormat;
    int aRate;
    int aChannels;
    const char* aOptions;
    long aSeconds = 1;
};

// pSound written by FFmpeg's libraries into the test's folder; its path.
std::string Written(const TWrittenSound& pSound) {
    const std::string path = Temporary(pSound.aName);
    const TSoundDesc sound = {pSound.aCodec,
                              pSound.aFormat,
                              pSound.aRate,
                              pSound.aChannels,
                              pSound.aSeconds * pSound.aRate,
                              Tone997,
                              pSound.aOptions};
    EXPECT_TRUE(WriteMedia(path, nullptr, &sound)) << pSound.aName;
    return path;
}

// pCount frames from pFirst on, read after a seek.
TSamples ReadAt(TReaderAudio& pReader, int64_t pFirst, int pCount) {
    const int channels = pReader.GetFormat().aChannels;
    TSamples samples(size_t(pCount) * channels);
    pReader.Seek(pFirst);
    samples.resize(size_t(pReader.Read(samples.data(), pCount)) * channels);
    return samples;
}

// How many of the blocks of pBlock frames that pSound (pChannels a frame) falls into read
// otherwise from pReader (a sample more than pWithin away), each read after a seek, in a
// shuffled order and then in order; the first few are said.
int WrongBlocks(TReaderAudio& pReader, const TSamples& pSound, int pChannels, int pBlock,
                int pWithin = 0) {
    const int64_t frames = int64_t(pSound.size()) / pChannels;
    std::vector<int64_t> starts;
    for (int64_t start = 0; start < frames; start += pBlock)
        starts.push_back(start);
    std::vector<int64_t> shuffled = starts;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(39));
    shuffled.insert(shuffled.end(), starts.begin(), starts.end());
    int wrong = 0;
    for (int64_t start : shuffled) {
        const int64_t end = std::min(start + pBlock, frames);
        const TSamples expected(pSound.begin() + start * pChannels,
                                pSound.begin() + end * pChannels);
        const TSamples read = ReadAt(pReader, start, pBlock);
        const auto near = [pWithin](int16_t p1, int16_t p2) {
            return std::abs(p1 - p2) <= pWithin;
        };
        if ((read.size() != expected.size() ||
             !std::equal(read.begin(), read.end(), expected.begin(), near)) &&
            ++wrong <= 3)
            ADD_FAILURE() << "differs at frame " << start << " of " << frames;
    }
    return wrong;
}

// pImage (pWidth x pHeight BGRA) turned a quarter clockwise pTurns times: each turn makes
// row r the column counted r from the right.
TBytes TurnClockwise(TBytes pImage, int pWidth, int pHeight, int pTurns) {
    for (int turn = 0; turn < pTurns; ++turn) {
        TBytes turned(pImage.size());
        for (int row = 0; row < pHeight; ++row)
            for (int column = 0; column < pWidth; ++column)
                std::copy_n(&pImage[(size_t(row) * pWidth + column) * 4], 4,
                            &turned[(size_t(column) * pHeight + pHeight - 1 - row) * 4]);
        pImage.swap(turned);
        std::swap(pWidth, pHeight);
    }
    return pImage;
}

// The mean difference of two images' bytes; 255 for images of different sizes.
double MeanDifference(const TBytes& p1, const TBytes& p2) {
    if (p1.size() != p2.size() || p1.empty())
        return 255;
    double sum = 0;
    for (size_t i = 0; i < p1.size(); ++i)
        sum += std::abs(int(p1[i]) - int(p2[i]));
    return sum / double(p1.size());
}

} // namespace

// Sound written by the tests whose decoders start a second before a seek: DTS, which is
// lossless only in its extensions, and E-AC-3, which the WAV and W64 demuxers seek by bytes.
const TWrittenSound theSeekingSound[] = {
    {"dts.mp4", "dca", AV_SAMPLE_FMT_S32, 48000, 2, "strict=-2"},
    {"dts.mov", "dca", AV_SAMPLE_FMT_S32, 48000, 2, "strict=-2"},
    {"dts.avi", "dca", AV_SAMPLE_FMT_S32, 48000, 2, "strict=-2"},
    {"dts.ts", "dca", AV_SAMPLE_FMT_S32, 48000, 2, "strict=-2"},
    {"dts.vob", "dca", AV_SAMPLE_FMT_S32, 48000, 2, "strict=-2"},
    {"dts.wav", "dca", AV_SAMPLE_FMT_S32, 48000, 2, "strict=-2"},
    {"dts.w64", "dca", AV_SAMPLE_FMT_S32, 48000, 2, "strict=-2"},
    {"eac3.wav", "eac3", AV_SAMPLE_FMT_FLTP, 44100, 2, nullptr, 4},
    {"eac3.w64", "eac3", AV_SAMPLE_FMT_FLTP, 44100, 2, nullptr, 4},
};

// Each project frame's block of sound, read at the frame's start in a shuffled order (each
// read a seek, as a render in any order does) and again in order, is the continuous decode's
// block at the same place: the priming is gone everywhere, not only on the first read. Beside
// pictures the sound lies where the file's times put it, from the first picture: after
// silence when it starts later (where the MKV's time and the MP4's edit list, which its muxer
// rounded to a millisecond, put the AAC encoder's priming; after Opus's, which the decoder
// skips, the skipped frames silent too), without its frames before the picture when it starts
// earlier.
TEST(UsersMedia, LossySoundIsTheContinuousDecodeAtEveryFrameInAnyOrder) {
    const struct {
        const char* aName;
        int aRate;
        int64_t aFrames;
        // Where the decode's first frame lies on the medium's timeline.
        int64_t aLead;
        // Written by the test rather than by the build.
        const TWrittenSound* aWritten = nullptr;
        // How far a sample may lie from the decode's: E-AC-3 dithers with a noise of its own, a
        // level or two from one start to another.
        int aWithin = 0;
    } cases[] = {
        {"tone.mp3", 44100, 66150, 0},
        {"tone.opus", 48000, 72000, 0},
        {"tone.ogg", 44100, 66150, 0},
        {"camera.mp4", 22050, 53248, 0},
        {"tone.flac", 44100, 44100, 0},
        {"tone.wav", 44100, 44100, 0},
        {"late.mkv", 48000, 121856, 22992},
        {"late.mp4", 48000, 121856, 22944},
        {"lateopus.mkv", 48000, 120000, 23688},
        {"early.mkv", 48000, 169984, -25008},
        {"dts.mp4", 48000, 48128, 0, &theSeekingSound[0]},
        {"dts.mov", 48000, 48128, 0, &theSeekingSound[1]},
        {"dts.avi", 48000, 48128, 0, &theSeekingSound[2]},
        {"dts.ts", 48000, 48128, 0, &theSeekingSound[3]},
        {"dts.vob", 48000, 48128, 0, &theSeekingSound[4]},
        {"dts.wav", 48000, 48128, 0, &theSeekingSound[5]},
        {"dts.w64", 48000, 48128, 0, &theSeekingSound[6]},
        {"eac3.wav", 44100, 176640, 0, &theSeekingSound[7], 4},
        {"eac3.w64", 44100, 176640, 0, &theSeekingSound[8], 4},
    };
    for (const auto& c : cases) {
        const std::string path = c.aWritten ? Written(*c.aWritten) : ExamplePath(c.aName);
        std::unique_ptr<TZVMedia> media = OpenMediumAt(path);
        ASSERT_TRUE(media && media->GetAudio());
        const TPlainDecode plain(path, AVMEDIA_TYPE_AUDIO);
        const int channels = plain.aChannels;
        EXPECT_EQ(int64_t(plain.aSound.size()) / channels, c.aFrames) << c.aName;
        TSamples sound(size_t(std::max<int64_t>(c.aLead, 0)) * channels);
        sound.insert(sound.end(), plain.aSound.begin() + std::max<int64_t>(-c.aLead, 0) * channels,
                     plain.aSound.end());
        const int64_t frames = int64_t(sound.size()) / channels;
        EXPECT_EQ(media->GetAudio()->GetFrameCount(), frames) << c.aName;
        EXPECT_EQ(media->GetAudio()->GetSampleRate(), c.aRate) << c.aName;
        std::unique_ptr<TReaderAudio> reader(media->GetAudio()->CreateReader());
        for (int projectRate : {25, 30})
            EXPECT_EQ(WrongBlocks(*reader, sound, channels, c.aRate / projectRate, c.aWithin), 0)
                << c.aName << " at " << projectRate << " frames a second";
    }
}

// Sound in every codec FFmpeg's encoders write, in every container that takes it (written
// here by FFmpeg's libraries, a second each), plays as FFmpeg decodes it: as long, sample for
// sample, each project frame's block read after a seek in any order. Lossless codecs and
// lossy ones whose containers count time in milliseconds (Matroska, WebM), where a packet's
// frames are never its rounded duration; and containers that give a packet's time but not
// its length (AVI, NUT, CAF).
TEST(UsersMedia, EveryCodecInEveryContainerPlaysAsFFmpegDecodesIt) {
    const TWrittenSound cases[] = {
        {"flac.mkv", "flac", AV_SAMPLE_FMT_S16, 44100, 2, nullptr},
        {"flac.mka", "flac", AV_SAMPLE_FMT_S16, 96000, 1, nullptr},
        {"vorbis.webm", "libvorbis", AV_SAMPLE_FMT_FLTP, 44100, 2, nullptr},
        {"vorbis.mkv", "libvorbis", AV_SAMPLE_FMT_FLTP, 22050, 1, nullptr},
        {"eac3.mkv", "eac3", AV_SAMPLE_FMT_FLTP, 44100, 2, nullptr},
        {"dts22050.mkv", "dca", AV_SAMPLE_FMT_S32, 22050, 2, "strict=-2"},
        {"dts.mka", "dca", AV_SAMPLE_FMT_S32, 48000, 2, "strict=-2"},
        {"eac3.mka", "eac3", AV_SAMPLE_FMT_FLTP, 44100, 6, nullptr},
        {"alac.mkv", "alac", AV_SAMPLE_FMT_S16P, 44100, 2, nullptr},
        {"alac.mka", "alac", AV_SAMPLE_FMT_S32P, 8000, 1, nullptr},
        {"wavpack.mkv", "wavpack", AV_SAMPLE_FMT_S16P, 44100, 2, nullptr},
        {"wavpack.mka", "wavpack", AV_SAMPLE_FMT_FLTP, 48000, 2, nullptr},
        {"flac.avi", "flac", AV_SAMPLE_FMT_S16, 44100, 2, nullptr},
        {"flac.nut", "flac", AV_SAMPLE_FMT_S16, 32000, 2, nullptr},
        {"flac.caf", "flac", AV_SAMPLE_FMT_S16, 44100, 2, nullptr},
        {"alac.caf", "alac", AV_SAMPLE_FMT_S16P, 44100, 2, nullptr},
        {"opus.caf", "libopus", AV_SAMPLE_FMT_S16, 48000, 2, nullptr},
        {"vorbis.nut", "libvorbis", AV_SAMPLE_FMT_FLTP, 44100, 2, nullptr},
        {"opus.nut", "libopus", AV_SAMPLE_FMT_S16, 48000, 1, nullptr},
        {"wavpack.nut", "wavpack", AV_SAMPLE_FMT_S16P, 44100, 2, nullptr},
        {"dts.nut", "dca", AV_SAMPLE_FMT_S32, 44100, 2, "strict=-2"},
    };
    for (const TWrittenSound& c : cases) {
        const std::string path = Written(c);
        std::unique_ptr<TZVMedia> media = OpenMediumAt(path);
        if (!media || !media->GetAudio()) {
            ADD_FAILURE() << c.aName;
            continue;
        }
        const TPlainDecode plain(path, AVMEDIA_TYPE_AUDIO);
        const int channels = plain.aChannels;
        const int64_t frames = int64_t(plain.aSound.size()) / channels;
        EXPECT_EQ(media->GetAudio()->GetFrameCount(), frames) << c.aName;
        std::unique_ptr<TReaderAudio> reader(media->GetAudio()->CreateReader());
        EXPECT_EQ(
            WrongBlocks(*reader, plain.aSound, channels, media->GetAudio()->GetSampleRate() / 25),
            0)
            << c.aName;
    }
}

// The display matrix turns the pictures as phones mean them to show: the medium's size and
// every image are as shown, in any order of reading.
TEST(UsersMedia, TurnedVideoShowsAsItsDisplayMatrixSays) {
    const struct {
        const char* aName;
        int aTurns;
        const char* aSize;
    } cases[] = {
        {"turned90.mp4", 1, "48x64"},
        {"turned180.mp4", 2, "64x48"},
        {"turned270.mp4", 3, "48x64"},
        {"camera.mp4", 0, "320x240"},
    };
    for (const auto& c : cases) {
        std::unique_ptr<TZVMedia> media = OpenExample(c.aName);
        ASSERT_TRUE(media && media->GetVideo());
        const TPlainDecode plain(ExamplePath(c.aName), AVMEDIA_TYPE_VIDEO);
        EXPECT_EQ(wxString::Format("%dx%d", media->GetWidth(), media->GetHeight()), c.aSize);
        std::unique_ptr<IReaderVideo> reader(media->GetVideo()->CreateReader());
        EXPECT_EQ(reader->GetFormat().aWidth, media->GetWidth());
        EXPECT_EQ(reader->GetFormat().aHeight, media->GetHeight());
        const long count = long(plain.aImages.size());
        ASSERT_EQ(media->GetVideo()->GetImageCount(), count);
        for (long image : {count - 1, 0L, 5L, 4L, 1L})
            EXPECT_EQ(
                Pixels(reader->GetImage(image)),
                TurnClockwise(plain.aImages[size_t(image)], plain.aWidth, plain.aHeight, c.aTurns))
                << c.aName << " image " << image;
    }
}

// 120 pictures over 6 s at irregular times (2 s at 30 a second, 2 s at 10, 2 s at 20): 120
// images at their average of 20 a second, image k the picture on screen at k / 20 s, so that
// the picture lasts as long as its sound.
TEST(UsersMedia, PicturesAtIrregularTimesAreImagesAtTheirAverageRate) {
    std::unique_ptr<TZVMedia> media = OpenExample("variable.mp4");
    ASSERT_TRUE(media && media->GetVideo() && media->GetAudio());
    const TZVVideoTrack& video = *media->GetVideo();
    EXPECT_EQ(video.GetImageRate(), 20.0);
    EXPECT_EQ(video.GetImageCount(), 120);
    // The sound lasts 6 s and what its last AAC frame pads.
    EXPECT_EQ(media->GetAudio()->GetFrameCount(), 130 * 1024);
    const TPlainDecode plain(ExamplePath("variable.mp4"), AVMEDIA_TYPE_VIDEO);
    ASSERT_EQ(plain.aImages.size(), 120u);
    std::unique_ptr<IReaderVideo> reader(video.CreateReader());
    std::vector<long> shown;
    for (long image : {0L, 1L, 2L, 3L, 41L, 40L, 39L, 45L, 46L, 80L, 81L, 119L, 60L, 2L}) {
        // On screen at k / 20 s: the last picture whose time has come.
        size_t picture = 0;
        while (picture + 1 < plain.aTimes.size() &&
               plain.aTimes[picture + 1] * plain.aTimeBase.num * 20 <=
                   int64_t(image) * plain.aTimeBase.den)
            ++picture;
        shown.push_back(long(picture));
        EXPECT_TRUE(Pixels(reader->GetImage(image)) == plain.aImages[picture]) << image;
    }
    // At 30 a second two pictures of three show, at 10 each shows twice.
    EXPECT_EQ(shown, std::vector<long>({0, 1, 3, 4, 60, 60, 58, 62, 63, 80, 81, 119, 70, 3}));
}

// Bytes overwritten in the middle of the file: a keyframe comes concealed, and so do the
// pictures that refer to it; one picture does not decode at all. Each image is what a player
// shows at its time, in order and at random: the decoder's concealed picture (concealed from
// the pictures before, as when it plays on), or the picture before where it gave none; never
// black.
TEST(UsersMedia, DamagedVideoShowsWhatThePlayersShow) {
    std::unique_ptr<TZVMedia> media = OpenExample("damaged.mp4");
    ASSERT_TRUE(media && media->GetVideo());
    const TPlainDecode plain(ExamplePath("damaged.mp4"), AVMEDIA_TYPE_VIDEO);
    const long count = media->GetVideo()->GetImageCount();
    EXPECT_EQ(count, 50);
    EXPECT_EQ(plain.aImages.size(), 49u);
    std::vector<long> order;
    for (long image = 0; image < count; ++image)
        order.push_back(image);
    std::vector<long> shuffled = order;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(39));
    for (const std::vector<long>& images : {order, shuffled}) {
        std::unique_ptr<IReaderVideo> reader(media->GetVideo()->CreateReader());
        for (long image : images) {
            // On screen at image / 25 s: the last picture the decoder gave by then.
            size_t picture = 0;
            while (picture + 1 < plain.aTimes.size() &&
                   plain.aTimes[picture + 1] * plain.aTimeBase.num * 25 <=
                       int64_t(image) * plain.aTimeBase.den)
                ++picture;
            EXPECT_LT(MeanDifference(Pixels(reader->GetImage(image)), plain.aImages[picture]), 1.0)
                << "image " << image;
        }
    }
}

// Flash and beep: white pictures at three images, a beep starting at each of their times.
// Read as a render reads them (each project frame's picture, and its block of sound after a
// seek, in shuffled order), each beep starts where its flash shows: within a millisecond, far
// within a frame (the onset found is two samples late, where the tone reaches a tenth). Each
// track lies on the file's timeline from its first picture: a sound that starts half a second
// late (by the MKV's times, by the MP4's edit list) follows silence, and plays the end of the
// beep of the flash before it from there; one that starts half a second early loses what lies
// before the picture.
TEST(UsersMedia, PictureAndSoundStayTogetherAtFilmAndNtscRatesAndLateStarts) {
    const struct {
        const char* aName;
        AVRational aRate;
        long aImages;
        // Where the sound starts on the medium's timeline.
        double aSoundStart;
    } cases[] = {
        {"sync25.mp4", {25, 1}, 75, 0.0},
        {"sync2997.mp4", {30000, 1001}, 90, 0.0},
        {"sync23976.mp4", {24000, 1001}, 72, 0.0},
        {"late.mkv", {25, 1}, 75, 0.5},
        {"late.mp4", {25, 1}, 75, 0.5},
        {"early.mkv", {25, 1}, 75, 0.0},
    };
    for (const auto& c : cases) {
        std::unique_ptr<TZVMedia> media = OpenExample(c.aName);
        ASSERT_TRUE(media && media->GetVideo() && media->GetAudio());
        EXPECT_EQ(media->GetVideo()->GetImageRate(), av_q2d(c.aRate));
        ASSERT_EQ(media->GetVideo()->GetImageCount(), c.aImages);
        // The sound lasts as long as the pictures, and what its last AAC frame pads.
        const double seconds = c.aImages * av_q2d(av_inv_q(c.aRate));
        EXPECT_NEAR(media->GetDuration(), seconds + 0.02, 0.025) << c.aName;
        std::vector<long> order(size_t(c.aImages));
        for (long image = 0; image < c.aImages; ++image)
            order[size_t(image)] = image;
        std::shuffle(order.begin(), order.end(), std::mt19937(39));
        std::unique_ptr<IReaderVideo> pictures(media->GetVideo()->CreateReader());
        std::unique_ptr<TReaderAudio> sound(media->GetAudio()->CreateReader());
        const int rate = sound->GetFormat().aRate;
        std::vector<long> flashes;
        TSamples all(size_t(sound->GetFrameCount()));
        for (long image : order) {
            const TBitmap& picture = pictures->GetImage(image);
            if (picture.GetRawData() && static_cast<const uint8_t*>(picture.GetRawData())[0] > 128)
                flashes.push_back(image);
            const int64_t first = av_rescale(image, int64_t(rate) * c.aRate.den, c.aRate.num);
            const int64_t end = av_rescale(image + 1, int64_t(rate) * c.aRate.den, c.aRate.num);
            const TSamples block = ReadAt(*sound, first, int(end - first));
            std::copy(block.begin(), block.end(), all.begin() + first);
        }
        std::sort(flashes.begin(), flashes.end());
        EXPECT_EQ(flashes, std::vector<long>({12, 37, 58})) << c.aName;
        // Silence up to the AAC encoder's priming, 1,024 frames before the sound, the muxers
        // rounding its time to a millisecond.
        const int64_t silent =
            std::max<int64_t>(std::llround(c.aSoundStart * rate) - 1024 - rate / 1000, 0);
        EXPECT_EQ(std::count(all.begin(), all.begin() + silent, 0), silent) << c.aName;
        for (long flash : flashes) {
            // The beep starts where the sound first reaches a tenth of its level.
            const double time = std::max(flash * av_q2d(av_inv_q(c.aRate)), c.aSoundStart);
            const int64_t from = av_rescale(flash - 1, int64_t(rate) * c.aRate.den, c.aRate.num);
            int64_t onset = from;
            while (onset < int64_t(all.size()) && std::abs(all[size_t(onset)]) < 1600)
                ++onset;
            const double offset = double(onset) / rate - time;
            EXPECT_LT(std::abs(offset), 0.001) << c.aName << " flash " << flash;
        }
    }
}

namespace {

// Where a stream's first frame lies, in frames of pRate: the time its decoder stamps it with.
int64_t FirstFrame(const TPlainDecode& pDecode, int pRate) {
    return av_rescale_q_rnd(pDecode.aTimes.front(), pDecode.aTimeBase, AVRational{1, pRate},
                            AV_ROUND_NEAR_INF);
}

// Cuts the file pPath short at pShare of its bytes, or where its first picture from there on
// lies that shows before one decoded earlier (a B-picture), so that the pictures decoded
// before the cut miss some that would show between them.
void CutBeforeReordered(const std::string& pPath, double pShare) {
    const auto size = std::filesystem::file_size(pPath);
    int64_t cut = int64_t(double(size) * pShare), latest = INT64_MIN;
    AVFormatContext* input = nullptr;
    ASSERT_EQ(avformat_open_input(&input, pPath.c_str(), nullptr, nullptr), 0);
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(input, packet) >= 0) {
        const bool picture =
            input->streams[packet->stream_index]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
        const bool reordered = picture && packet->pts < latest;
        latest = picture ? std::max(latest, packet->pts) : latest;
        const int64_t position = packet->pos;
        av_packet_unref(packet);
        if (reordered && position >= cut) {
            cut = position;
            break;
        }
    }
    av_packet_free(&packet);
    avformat_close_input(&input);
    std::filesystem::resize_file(pPath, uintmax_t(cut));
}

} // namespace

// Users' files in containers that time their pictures in ways of their own, written by FFmpeg's
// libraries (2 s of the example picture and tone) and read through the stand-in: each image is
// the picture FFmpeg's decode of the file gives at the same index, read in order and at random,
// and the sound lies where FFmpeg's times put it beside the first picture, before it (and not
// heard) or after it. H.264 with B-pictures cut before it is opened keeps its pictures' times:
// only the reordered pictures lost at the cut are missing, never taken for irregular times
// (the same without B-pictures). MPEG-PS stamps only some pictures, AVI none (its pictures
// come from the decoder as late as it holds them back): the others take their times from
// decode order and the frame rate, as FFmpeg's decoder stamps them. MKV, NUT and FLV count from
// their first picture as well.
TEST(UsersMedia, EveryContainerNumbersItsPicturesFromTheFirstAsFFmpegDecodesThem) {
    const std::string x264 = "preset=veryfast:threads=1";
    const struct {
        const char* aName;
        const char* aCodec;
        std::string aOptions;
        const char* aSound;
        AVSampleFormat aFormat;
        int aRate;
        // The muxer's options; the share of the file's bytes kept.
        const char* aMuxer;
        double aKept;
    } cases[] = {
        {"cut20.mkv", "libx264", x264, "aac", AV_SAMPLE_FMT_FLTP, 48000, "", 0.2},
        {"cut40.mkv", "libx264", x264, "aac", AV_SAMPLE_FMT_FLTP, 48000, "", 0.4},
        {"cut.mp4", "libx264", x264, "aac", AV_SAMPLE_FMT_FLTP, 48000, "movflags=faststart", 0.4},
        {"cutbf0.mkv", "libx264", x264 + ":bf=0", "aac", AV_SAMPLE_FMT_FLTP, 48000, "", 0.4},
        // MPEG-PS at a DVD's rate, which the pictures fit in.
        {"h264.vob", "libx264", x264, "mp2", AV_SAMPLE_FMT_S16, 48000, "muxrate=10080000", 1},
        {"hevc.vob", "libx265",
         "preset=veryfast:x265-params=log-level=none:pools=none:frame-threads=1", "mp2",
         AV_SAMPLE_FMT_S16, 48000, "muxrate=10080000", 1},
        {"mpeg2.vob", "mpeg2video", "bf=2:g=12", "mp2", AV_SAMPLE_FMT_S16, 48000,
         "muxrate=10080000", 1},
        {"h264.avi", "libx264", x264, "mp2", AV_SAMPLE_FMT_S16, 48000, "", 1},
        {"opengop.avi", "libx264", x264 + ":g=12:x264-params=open-gop=1:scenecut=0", "mp2",
         AV_SAMPLE_FMT_S16, 48000, "", 1},
        {"mpeg4.avi", "mpeg4", "bf=2", "mp2", AV_SAMPLE_FMT_S16, 48000, "", 1},
        {"mpeg2.avi", "mpeg2video", "bf=2", "mp2", AV_SAMPLE_FMT_S16, 48000, "", 1},
        {"h264.nut", "libx264", x264, "mp2", AV_SAMPLE_FMT_S16, 48000, "", 1},
        {"h264.flv", "libx264", x264, "aac", AV_SAMPLE_FMT_FLTP, 44100, "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.aName);
        const std::string path = Temporary(c.aName);
        const TPictureDesc pictures = {c.aCodec, AV_PIX_FMT_YUV420P, 160, 120,
                                       50,       c.aOptions.c_str()};
        const TSoundDesc sound = {c.aSound, c.aFormat, c.aRate, 2, 2 * c.aRate, ExampleSample};
        ASSERT_TRUE(WriteMedia(path, &pictures, &sound, c.aMuxer));
        if (c.aKept < 1)
            CutBeforeReordered(path, c.aKept);
        const TPlainDecode plainPictures(path, AVMEDIA_TYPE_VIDEO),
            plainSound(path, AVMEDIA_TYPE_AUDIO);
        wxString reason;
        std::unique_ptr<TZVMedia> media(TZVMedia::Open(path, &reason));
        ASSERT_TRUE(media && media->GetVideo() && media->GetAudio()) << reason;
        EXPECT_EQ(media->GetVideo()->GetImageRate(), 25.0);
        const long count = media->GetVideo()->GetImageCount();
        EXPECT_EQ(count, long(plainPictures.aImages.size()));
        std::vector<long> order(size_t(std::min(count, long(plainPictures.aImages.size()))));
        std::iota(order.begin(), order.end(), 0L);
        std::vector<long> shuffled = order;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(39));
        shuffled.resize(std::min<size_t>(shuffled.size(), 12));
        for (const std::vector<long>& images : {order, shuffled}) {
            std::unique_ptr<IReaderVideo> reader(media->GetVideo()->CreateReader());
            long wrong = 0;
            for (long image : images)
                if (Pixels(reader->GetImage(image)) != plainPictures.aImages[size_t(image)] &&
                    ++wrong <= 3)
                    ADD_FAILURE() << "image " << image << " of " << count;
            EXPECT_EQ(wrong, 0) << images.size() << " images";
        }
        // The decode's first frame lies that far after the first picture.
        const int channels = plainSound.aChannels;
        const int64_t lead = FirstFrame(plainSound, c.aRate) - FirstFrame(plainPictures, c.aRate);
        TSamples placed(size_t(std::max<int64_t>(lead, 0)) * channels);
        placed.insert(placed.end(),
                      plainSound.aSound.begin() +
                          std::min<int64_t>(std::max<int64_t>(-lead, 0) * channels,
                                            int64_t(plainSound.aSound.size())),
                      plainSound.aSound.end());
        std::unique_ptr<TReaderAudio> reader(media->GetAudio()->CreateReader());
        EXPECT_EQ(reader->GetFrameCount(), int64_t(placed.size()) / channels) << lead;
        EXPECT_TRUE(ReadAt(*reader, 0, int(placed.size()) / channels) == placed) << lead;
    }
}

namespace {

// pFrame converted by FFmpeg's converter with pMatrix in the limited range: libswscale's exact
// arithmetic (full chroma interpolation, bit-exact, accurate rounding); BGRA, rows packed.
TBytes FFmpegColours(const AVFrame& pFrame, AVColorSpace pMatrix) {
    SwsContext* scale = sws_getContext(
        pFrame.width, pFrame.height, AVPixelFormat(pFrame.format), pFrame.width, pFrame.height,
        AV_PIX_FMT_BGRA, SWS_BICUBIC | SWS_BITEXACT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT,
        nullptr, nullptr, nullptr);
    const int* matrix = sws_getCoefficients(pMatrix);
    sws_setColorspaceDetails(scale, matrix, 0, matrix, 1, 0, 1 << 16, 1 << 16);
    TBytes bgra(size_t(pFrame.width) * pFrame.height * 4);
    uint8_t* target[] = {bgra.data()};
    const int stride[] = {pFrame.width * 4};
    sws_scale(scale, pFrame.data, pFrame.linesize, 0, pFrame.height, target, stride);
    sws_freeContext(scale);
    return bgra;
}

// The mean difference of the colours (not alpha) of two images of the same size.
double MeanColourDifference(const TBytes& p1, const TBytes& p2) {
    double sum = 0;
    for (size_t i = 0; i < p1.size(); ++i)
        sum += i % 4 == 3 ? 0 : std::abs(int(p1[i]) - int(p2[i]));
    return sum / double(p1.size() / 4 * 3);
}

// Sample pX, pY of plane pPlane of pFrame, of 8 or 16 bits.
int Sample(const AVFrame& pFrame, int pPlane, int pX, int pY) {
    const uint8_t* row = pFrame.data[pPlane] + ptrdiff_t(pY) * pFrame.linesize[pPlane];
    return av_pix_fmt_desc_get(AVPixelFormat(pFrame.format))->comp[0].step == 2
               ? row[2 * pX] | row[2 * pX + 1] << 8
               : row[pX];
}

// Whether the 4:2:0 chroma around pixel pX, pY (as far as the converters' filters reach) is
// neutral: pMiddle in both planes.
bool NeutralAround(const AVFrame& pFrame, int pX, int pY, int pMiddle) {
    for (int y = pY / 2 - 3; y <= pY / 2 + 3; ++y)
        for (int x = pX / 2 - 2; x <= pX / 2 + 2; ++x)
            if (x < 0 || y < 0 || x >= pFrame.width / 2 || y >= pFrame.height / 2 ||
                Sample(pFrame, 1, x, y) != pMiddle || Sample(pFrame, 2, x, y) != pMiddle)
                return false;
    return true;
}

// Hands pCheck each picture of the example medium pName as the stand-in shows it and as
// libavcodec decodes it; checks that each image was handed.
void ComparePictures(const std::string& pName,
                     const std::function<void(const TBytes&, const AVFrame&)>& pCheck) {
    SCOPED_TRACE(pName);
    std::unique_ptr<TZVMedia> media = OpenExample(pName);
    ASSERT_TRUE(media && media->GetVideo());
    std::unique_ptr<IReaderVideo> reader(media->GetVideo()->CreateReader());
    long image = 0;
    DecodeFile(ExamplePath(pName), AVMEDIA_TYPE_VIDEO, [&](const AVStream&, const AVFrame& pFrame) {
        SCOPED_TRACE(image);
        pCheck(Pixels(reader->GetImage(image++)), pFrame);
        return true;
    });
    EXPECT_EQ(image, media->GetVideo()->GetImageCount());
}

// The level of limited-range luma pLuma (of 8 bits): black at 16 and white at 235, rounded.
uint8_t Level(int pLuma) {
    return uint8_t(std::clamp(int(std::lround((pLuma - 16) * 255.0 / 219)), 0, 255));
}

} // namespace

// A ramp over every luma level of the limited range, without chroma: black is 0, white 255,
// every level between its nearest value, as FFmpeg's converter has them.
TEST(UsersMedia, LimitedRangeLevelsShowAtTheirNearestValues) {
    std::set<int> levels;
    ComparePictures("lumaramp.mkv", [&levels](const TBytes& pOurs, const AVFrame& pFrame) {
        EXPECT_LT(MeanColourDifference(pOurs, FFmpegColours(pFrame, AVCOL_SPC_BT470BG)), 1);
        long wrong = 0;
        for (int y = 0; y < pFrame.height; ++y)
            for (int x = 0; x < pFrame.width; ++x) {
                const int luma = Sample(pFrame, 0, x, y);
                levels.insert(luma);
                const uint8_t* pixel = &pOurs[(size_t(y) * pFrame.width + x) * 4];
                wrong += TBytes(pixel, pixel + 3) != TBytes(3, Level(luma));
            }
        EXPECT_EQ(wrong, 0);
    });
    EXPECT_EQ(levels.size(), 220u);
    EXPECT_EQ(*levels.begin(), 16);
}

// Pictures as players show them: converted with the matrix the file names or, untagged, the
// one players assume by its size (BT.709 for HD), in the range it names. Each image lies
// within a level of FFmpeg's converter with that matrix on the decoded picture (mean under 1),
// far from it with the other matrix; where the decoded picture is white or black (luma 235 or
// 16 of 8 bits, neutral chroma all around), the image is 255 or 0.
TEST(UsersMedia, PicturesShowTheColoursTheirTagsName) {
    const struct {
        const char* aName;
        AVColorSpace aMatrix, aOther;
        double aOtherAtLeast;
    } cases[] = {
        {"hd709.mp4", AVCOL_SPC_BT709, AVCOL_SPC_BT470BG, 2},
        {"hd.mp4", AVCOL_SPC_BT709, AVCOL_SPC_BT470BG, 2},
        {"bt2020.mkv", AVCOL_SPC_BT2020_NCL, AVCOL_SPC_BT709, 1},
    };
    for (const auto& c : cases) {
        long white = 0, black = 0;
        ComparePictures(c.aName, [&](const TBytes& pOurs, const AVFrame& pFrame) {
            EXPECT_LT(MeanColourDifference(pOurs, FFmpegColours(pFrame, c.aMatrix)), 1);
            EXPECT_GT(MeanColourDifference(pOurs, FFmpegColours(pFrame, c.aOther)),
                      c.aOtherAtLeast);
            const int shift = av_pix_fmt_desc_get(AVPixelFormat(pFrame.format))->comp[0].depth - 8;
            for (int y = 0; y < pFrame.height; ++y)
                for (int x = 0; x < pFrame.width; ++x) {
                    const int luma = Sample(pFrame, 0, x, y) >> shift;
                    if ((luma != 235 && luma != 16) || !NeutralAround(pFrame, x, y, 128 << shift))
                        continue;
                    ++(luma == 235 ? white : black);
                    const uint8_t* pixel = &pOurs[(size_t(y) * pFrame.width + x) * 4];
                    EXPECT_EQ(TBytes(pixel, pixel + 3), TBytes(3, Level(luma))) << x << ", " << y;
                }
        });
        EXPECT_GT(white, 0) << c.aName;
        EXPECT_GT(black, 0) << c.aName;
    }
}
