#include "MovieOutput.h"
#include "PngOutput.h"
#include "WavOutput.h"

#include "DLL/Edt/MediaFormat.h"
#include "REDarodo/Bitmap.h"
#include "REDarodo/Media.h"
#include "REDarodo/ReaderAudio.h"

#include "support/PlainDecode.h"
#include "support/SwsReference.h"
#include "support/Temporary.h"

#include <wx/image.h>

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <dirent.h>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace {

bool Exists(const std::string& pPath) {
    return access(pPath.c_str(), F_OK) == 0;
}

// How many temporary files of pPath ("<pPath>.XXXXXX.part") lie beside it.
int PartFiles(const std::string& pPath) {
    const size_t slash = pPath.rfind('/');
    const std::string name = pPath.substr(slash + 1);
    DIR* folder = opendir(pPath.substr(0, slash + 1).c_str());
    int count = 0;
    while (const dirent* entry = folder ? readdir(folder) : nullptr) {
        const std::string other = entry->d_name;
        count += other.size() == name.size() + 12 &&
                 other.compare(0, name.size() + 1, name + ".") == 0 &&
                 other.compare(other.size() - 5, 5, ".part") == 0;
    }
    if (folder)
        closedir(folder);
    return count;
}

// Writes pFrames frames of a 5 x 3 picture, mono sound at 8,000 a second and 25 frames a
// second, through pOutput; checks that nothing appears under pPath before the end.
void WriteFrames(IZVOutput& pOutput, const std::string& pPath, int pFrames) {
    std::remove(pPath.c_str());
    TMediaFormat format;
    format.SetWidth(5);
    format.SetHeight(3);
    format.SetIsStereo(false);
    format.aAudioFormat.aSamplesPerSec = 8000;
    // Premultiplied half-transparent red, opaque green, transparent.
    uint32_t pixels[15] = {0x80800000, 0xFF00FF00, 0};
    TBitmap picture(pixels, 5, 3);
    std::vector<int16_t> sound(320);
    for (size_t i = 0; i < sound.size(); ++i)
        sound[i] = int16_t(i * 100);
    std::string error;
    ASSERT_TRUE(pOutput.Begin(format, error)) << error;
    for (int frame = 0; frame < pFrames; ++frame) {
        ASSERT_TRUE(pOutput.AddFrame(frame, frame % 2 ? nullptr : &picture,
                                     frame % 2 ? nullptr : sound.data(), 320, error))
            << error;
        EXPECT_FALSE(Exists(pPath));
    }
    ASSERT_TRUE(pOutput.Finish(error)) << error;
    EXPECT_TRUE(Exists(pPath));
    EXPECT_EQ(PartFiles(pPath), 0);
}

} // namespace

TEST(Output, PngFramesAreTheColoursOverBlack) {
    const std::string folder = Temporary("");
    TZVPngOutput output(
        [&folder](long pFrame) { return folder + "png-" + std::to_string(pFrame) + ".png"; });
    std::string error;
    TMediaFormat format;
    format.SetWidth(5);
    format.SetHeight(3);
    ASSERT_TRUE(output.Begin(format, error));
    uint32_t pixels[15] = {0x80800000, 0xFF00FF00, 0};
    TBitmap picture(pixels, 5, 3);
    ASSERT_TRUE(output.AddFrame(7, &picture, nullptr, 0, error)) << error;
    ASSERT_TRUE(output.AddFrame(8, nullptr, nullptr, 0, error)) << error;
    ASSERT_TRUE(output.Finish(error));
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxImage image;
    ASSERT_TRUE(image.LoadFile(folder + "png-7.png", wxBITMAP_TYPE_PNG));
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_EQ(image.GetSize(), wxSize(5, 3));
    const unsigned char expected[] = {0x80, 0, 0, 0, 0xFF, 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(expected, expected + 9, image.GetData()));
    ASSERT_TRUE(image.LoadFile(folder + "png-8.png", wxBITMAP_TYPE_PNG));
    EXPECT_EQ(image.GetData()[0] + image.GetData()[44], 0);
    TZVPngOutput none([](long) { return std::string("/nonexistent/x.png"); });
    ASSERT_TRUE(none.Begin(format, error));
    EXPECT_FALSE(none.AddFrame(0, nullptr, nullptr, 0, error));
    EXPECT_EQ(error, "cannot write /nonexistent/x.png: No such file or directory");
}

TEST(Output, WavHoldsEverySampleAndSilenceForMissingSound) {
    const std::string path = Temporary("out.wav");
    TZVWavOutput output(path, 2 * 320);
    WriteFrames(output, path, 2);
    wxString reason;
    std::unique_ptr<TZVMedia> media(TZVMedia::Open(path, &reason));
    ASSERT_TRUE(media) << reason;
    ASSERT_TRUE(media->GetAudio());
    EXPECT_EQ(media->GetAudio()->GetChannelCount(), 1);
    EXPECT_EQ(media->GetAudio()->GetSampleRate(), 8000);
    EXPECT_EQ(media->GetAudio()->GetFrameCount(), 640);
    std::unique_ptr<TReaderAudio> reader(media->GetAudio()->CreateReader());
    std::vector<int16_t> samples(700, -1);
    EXPECT_EQ(reader->Read(samples.data(), 700), 640);
    EXPECT_EQ(samples[319], 31900);
    EXPECT_EQ(samples[320], 0);
    EXPECT_EQ(samples[639], 0);
}

TEST(Output, Mp4HasEveryFramePaddedToEvenSizes) {
    const std::string path = Temporary("out.mp4");
    std::ostringstream notes;
    {
        TZVMovieOutput output(path, 0, notes);
        WriteFrames(output, path, 30);
    }
    EXPECT_NE(notes.str().find("padded with black to 6 x 4"), std::string::npos) << notes.str();
    wxString reason;
    std::unique_ptr<TZVMedia> media(TZVMedia::Open(path, &reason));
    ASSERT_TRUE(media) << reason;
    ASSERT_TRUE(media->GetVideo());
    EXPECT_EQ(media->GetVideo()->GetImageCount(), 30);
    EXPECT_EQ(media->GetVideo()->GetImageRate(), 25.0);
    EXPECT_EQ(media->GetWidth(), 6);
    EXPECT_EQ(media->GetHeight(), 4);
    ASSERT_TRUE(media->GetAudio());
    EXPECT_EQ(media->GetAudio()->GetSampleRate(), 8000);

    const std::string unfinished = Temporary("unfinished.mp4");
    {
        TZVMovieOutput output(unfinished);
        TMediaFormat format;
        std::string error;
        ASSERT_TRUE(output.Begin(format, error));
        EXPECT_EQ(PartFiles(unfinished), 1);
    }
    EXPECT_EQ(PartFiles(unfinished), 0);
    EXPECT_FALSE(Exists(unfinished));
}

namespace {

// A movie of pFrames pictures of pWidth x pHeight (pPixels, white when empty) at pRate
// thousandths of a frame a second, written by the movie output (on one thread) with its notes
// into pNotes.
bool WriteMovie(const std::string& pPath, long pWidth, long pHeight, long pRate, int pFrames,
                std::ostream& pNotes, std::vector<uint32_t> pPixels = {}) {
    TMediaFormat format;
    format.SetWidth(pWidth);
    format.SetHeight(pHeight);
    format.SetRate(pRate);
    format.SetIsStereo(false);
    format.aAudioFormat.aSamplesPerSec = 8000;
    if (pPixels.empty())
        pPixels.assign(size_t(pWidth) * pHeight, 0xFFFFFFFF);
    const TBitmap picture(pPixels.data(), int(pWidth), int(pHeight));
    std::string error;
    TZVMovieOutput output(pPath, 1, pNotes);
    bool done = output.Begin(format, error);
    for (int frame = 0; done && frame < pFrames; ++frame)
        done = output.AddFrame(frame, &picture, nullptr, 320, error);
    done = done && output.Finish(error);
    EXPECT_TRUE(done) << error;
    return done;
}

// What FFmpeg reads of a movie: its picture stream's rate, and the first picture as decoded,
// the brightness (luma) of its rows.
struct TMovieFacts {
    AVRational aRate = {0, 1};
    int aWidth = 0;
    int aHeight = 0;
    std::vector<std::vector<uint8_t>> aLuma;

    explicit TMovieFacts(const std::string& pPath) {
        DecodeFile(
            pPath, AVMEDIA_TYPE_VIDEO, [this](const AVStream& pStream, const AVFrame& pFrame) {
                aRate = pStream.avg_frame_rate;
                aWidth = pFrame.width;
                aHeight = pFrame.height;
                for (int y = 0; y < pFrame.height; ++y)
                    aLuma.emplace_back(pFrame.data[0] + y * pFrame.linesize[0],
                                       pFrame.data[0] + y * pFrame.linesize[0] + pFrame.width);
                return false;
            });
    }
};

} // namespace

// The project's rate in thousandths becomes the file's: NTSC rates as the conventional
// 30000/1001, 24000/1001 and 60000/1001, not 2997/100.
TEST(Output, Mp4RatesAreTheProjectsWithNtscRatesAsPlayersKnowThem) {
    const struct {
        long aRate;
        AVRational aExpected;
    } cases[] = {
        {25000, {25, 1}}, {29970, {30000, 1001}}, {23976, {24000, 1001}}, {59940, {60000, 1001}},
        {30000, {30, 1}}, {12500, {25, 2}},       {29969, {29969, 1000}},
    };
    const std::string path = Temporary("rate.mp4");
    for (const auto& c : cases) {
        std::ostringstream notes;
        ASSERT_TRUE(WriteMovie(path, 16, 16, c.aRate, 12, notes));
        EXPECT_EQ(notes.str(), "");
        const AVRational rate = TMovieFacts(path).aRate;
        EXPECT_EQ(wxString::Format("%d/%d", rate.num, rate.den),
                  wxString::Format("%d/%d", c.aExpected.num, c.aExpected.den))
            << c.aRate;
    }
}

// H.264 in 4:2:0 cannot crop a single column or row away: an odd size is padded to the next
// even one with black, the picture keeps its place, and one line says so.
TEST(Output, Mp4PadsOddSizesWithBlackAndSaysSo) {
    const std::string path = Temporary("odd.mp4");
    std::ostringstream notes;
    ASSERT_TRUE(WriteMovie(path, 321, 241, 25000, 3, notes));
    EXPECT_EQ(notes.str(), "zvrender: " + path +
                               ": H.264 takes even sizes only: the 321 x 241 pictures are padded "
                               "with black to 322 x 242\n");
    const TMovieFacts movie(path);
    ASSERT_EQ(wxString::Format("%dx%d", movie.aWidth, movie.aHeight), "322x242");
    // Away from the edge between them: the codec blurs it a little.
    long picture = 0, pictureCount = 0, padding = 0, paddingCount = 0;
    for (int y = 0; y < 242; ++y)
        for (int x = 0; x < 322; ++x) {
            const bool inside = x < 321 && y < 241;
            if (inside && (x < 318 && y < 238))
                picture += movie.aLuma[y][x], ++pictureCount;
            else if (!inside)
                padding += movie.aLuma[y][x], ++paddingCount;
        }
    EXPECT_GT(picture / pictureCount, 230);
    EXPECT_LT(padding / paddingCount, 40);
}

// The largest pictures the encoders take are refused with their limit before any file is
// made: x264's 16384 pixels a side, and libavcodec's bound on the size with its border, on
// the sizes as padded.
TEST(Output, Mp4SizesBeyondTheEncodersAreRefusedWithTheirLimit) {
    const std::string limit =
        " is too large for H.264: at most 16384 pixels a side, and (width + 128) x (height + "
        "128) below 16384 x 16384";
    const struct {
        int aWidth, aHeight;
        std::string aError;
    } cases[] = {
        {16384, 2, ""},
        {16383, 2, ""},
        {2, 16384, ""},
        {16385, 2, "the project's frame size 16385 x 2 (16386 x 2 padded)" + limit},
        {2, 16386, "the project's frame size 2 x 16386" + limit},
        {20000, 100, "the project's frame size 20000 x 100" + limit},
        {16254, 16256, ""},
        {16256, 16254, ""},
        {16254, 16255, ""},
        {16256, 16256, "the project's frame size 16256 x 16256" + limit},
        {16255, 16255, "the project's frame size 16255 x 16255 (16256 x 16256 padded)" + limit},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(TZVMovieOutput::CheckEncoderSize(c.aWidth, c.aHeight, error), c.aError.empty())
            << c.aWidth << " x " << c.aHeight;
        EXPECT_EQ(error, c.aError);
    }
    // The encoder itself takes the longest side, and the output refuses one beyond it.
    const std::string path = Temporary("wide.mp4");
    std::ostringstream notes;
    EXPECT_TRUE(WriteMovie(path, 16384, 2, 25000, 2, notes));
    TZVMovieOutput wider(path, 1, notes);
    TMediaFormat format;
    format.SetWidth(16386);
    format.SetHeight(2);
    std::string error;
    EXPECT_FALSE(wider.Begin(format, error));
    EXPECT_EQ(error, "the project's frame size 16386 x 2" + limit);
    EXPECT_EQ(PartFiles(path), 0);
    EXPECT_EQ(notes.str(), "");
}

// A picture whose buffer cannot be had while it is prepared is converted again when its frame
// is added; while memory stays short, the movie fails saying so. FFmpeg's allocation limit
// makes its buffers fail as a full memory would.
TEST(Output, Mp4PicturesWithoutMemoryAreTriedAgainOrSaySo) {
    TMediaFormat format;
    format.SetWidth(64);
    format.SetHeight(48);
    format.SetIsStereo(false);
    format.aAudioFormat.aSamplesPerSec = 8000;
    std::vector<uint32_t> white(64 * 48, 0xFFFFFFFF);
    const TBitmap picture(white.data(), 64, 48);
    std::ostringstream notes;
    std::string error;
    const std::string path = Temporary("short.mp4");
    {
        TZVMovieOutput output(path, 1, notes);
        ASSERT_TRUE(output.Begin(format, error)) << error;
        av_max_alloc(1024);
        output.Prepare(0, &picture);
        av_max_alloc(INT_MAX);
        for (int frame = 0; frame < 3; ++frame)
            ASSERT_TRUE(output.AddFrame(frame, &picture, nullptr, 320, error)) << error;
        ASSERT_TRUE(output.Finish(error)) << error;
    }
    wxString reason;
    std::unique_ptr<TZVMedia> media(TZVMedia::Open(path, &reason));
    ASSERT_TRUE(media && media->GetVideo()) << reason;
    EXPECT_EQ(media->GetVideo()->GetImageCount(), 3);

    const std::string failed = Temporary("failed.mp4");
    {
        TZVMovieOutput output(failed, 1, notes);
        ASSERT_TRUE(output.Begin(format, error)) << error;
        av_max_alloc(1024);
        output.Prepare(0, &picture);
        const bool added = output.AddFrame(0, &picture, nullptr, 320, error);
        av_max_alloc(INT_MAX);
        EXPECT_FALSE(added);
        EXPECT_EQ(error, "cannot write " + failed + ": Cannot allocate memory");
    }
    EXPECT_EQ(PartFiles(failed), 0);
    EXPECT_FALSE(Exists(failed));
    EXPECT_EQ(notes.str(), "");
}

namespace {

// Opaque colours that change slowly, as in a picture of the world: red to the right, green
// downwards, blue the other way.
std::vector<uint32_t> Gradients(int pWidth, int pHeight) {
    std::vector<uint32_t> pixels(size_t(pWidth) * pHeight);
    for (int y = 0; y < pHeight; ++y)
        for (int x = 0; x < pWidth; ++x)
            pixels[size_t(y) * pWidth + x] = 0xFF000000u | uint32_t(x * 255 / pWidth) << 16 |
                                             uint32_t(y * 255 / pHeight) << 8 |
                                             uint32_t(255 - (x + y) * 255 / (pWidth + pHeight));
    return pixels;
}

// The colour tags of a movie's picture stream and of its first decoded picture, as
// "matrix range primaries transfer", and that picture converted by FFmpeg with the matrix
// pMatrix in the limited range (B, G, R, A).
struct TMovieColours {
    std::string aStreamTags;
    std::string aPictureTags;
    std::vector<uint8_t> aPixels;

    TMovieColours(const std::string& pPath, AVColorSpace pMatrix) {
        DecodeFile(pPath, AVMEDIA_TYPE_VIDEO, [&](const AVStream& pStream, const AVFrame& pFrame) {
            const AVCodecParameters& stream = *pStream.codecpar;
            aStreamTags = Tags(stream.color_space, stream.color_range, stream.color_primaries,
                               stream.color_trc);
            aPictureTags = Tags(pFrame.colorspace, pFrame.color_range, pFrame.color_primaries,
                                pFrame.color_trc);
            const TSwsPtr scale =
                SwsReference(pFrame.width, pFrame.height, pFrame.format, pFrame.width,
                             pFrame.height, AV_PIX_FMT_BGRA,
                             SWS_BICUBIC | SWS_BITEXACT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT);
            const int* matrix = sws_getCoefficients(pMatrix);
            sws_setColorspaceDetails(scale.get(), matrix, 0, matrix, 1, 0, 1 << 16, 1 << 16);
            aPixels.resize(size_t(pFrame.width) * pFrame.height * 4);
            uint8_t* target[] = {aPixels.data()};
            const int stride[] = {pFrame.width * 4};
            sws_scale(scale.get(), pFrame.data, pFrame.linesize, 0, pFrame.height, target, stride);
            return false;
        });
    }

    static std::string Tags(AVColorSpace pMatrix, AVColorRange pRange, AVColorPrimaries pPrimaries,
                            AVColorTransferCharacteristic pTransfer) {
        return std::string(av_color_space_name(pMatrix)) + " " + av_color_range_name(pRange) + " " +
               av_color_primaries_name(pPrimaries) + " " + av_color_transfer_name(pTransfer);
    }
};

// The mean difference of the colours of pPixels (0xAARRGGBB) and pBgra (B, G, R, A).
double MeanDifference(const std::vector<uint32_t>& pPixels, const std::vector<uint8_t>& pBgra) {
    double sum = 0;
    for (size_t i = 0; i < pPixels.size(); ++i)
        for (int channel = 0; channel < 3; ++channel)
            sum += std::abs(int(pPixels[i] >> 8 * channel & 0xFF) - int(pBgra[4 * i + channel]));
    return sum / double(pPixels.size() * 3);
}

} // namespace

// The movie says what its colours are, in its picture stream's tags (the MP4's and H.264's
// own): HD frames (1280 or more wide, or more than 576 high) in BT.709's matrix, smaller ones
// in BT.601's (SMPTE 170M), the limited range, BT.709's primaries and transfer (those of sRGB
// pictures). Decoded and converted with the matrix its tags name, each picture shows the
// colours rendered but for the codec's loss; with the other matrix it would not.
TEST(Output, Mp4ColoursAreTaggedWithTheMatrixTheyAreMadeWith) {
    const struct {
        int aWidth, aHeight;
        AVColorSpace aMatrix, aOther;
    } cases[] = {
        {1280, 720, AVCOL_SPC_BT709, AVCOL_SPC_SMPTE170M},
        {720, 578, AVCOL_SPC_BT709, AVCOL_SPC_SMPTE170M},
        {1278, 576, AVCOL_SPC_SMPTE170M, AVCOL_SPC_BT709},
        {640, 480, AVCOL_SPC_SMPTE170M, AVCOL_SPC_BT709},
    };
    const std::string path = Temporary("colours.mp4");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.aWidth) + "x" + std::to_string(c.aHeight));
        const std::vector<uint32_t> pixels = Gradients(c.aWidth, c.aHeight);
        std::ostringstream notes;
        ASSERT_TRUE(WriteMovie(path, c.aWidth, c.aHeight, 25000, 2, notes, pixels));
        const std::string tags = std::string(av_color_space_name(c.aMatrix)) + " tv bt709 bt709";
        const TMovieColours tagged(path, c.aMatrix);
        EXPECT_EQ(tagged.aStreamTags, tags);
        EXPECT_EQ(tagged.aPictureTags, tags);
        EXPECT_LT(MeanDifference(pixels, tagged.aPixels), 1.0);
        EXPECT_GT(MeanDifference(pixels, TMovieColours(path, c.aOther).aPixels), 2.0);
    }
}
