// Writes the example media into the folder given: the files the tests and benchmarks read,
// and in its "seeds" folder small ones that start the media fuzz target.
//   clip.mkv        50 images 160 x 120 at 25/s, FFV1 with alpha; 2 s of stereo 22,050 Hz PCM
//   still.png       one 64 x 48 image with alpha
//   frames/clip_000.png to clip_004.png   a numbered sequence, 32 x 24, no alpha
//   oversized.png   16,385 x 2, too wide to open
//   tone.wav        1 s of stereo 44,100 Hz PCM
//   tone.flac       1 s of mono 44,100 Hz FLAC
//   ramp.wav        1,000 frames of mono 8,000 Hz PCM rising by 30 a frame from -15,000
//   camera.mp4      60 images 320 x 240, H.264 with B-frames, a keyframe every 12; AAC sound
// Media as users' phones and other encoders write them:
//   tone.mp3, tone.opus, tone.ogg   1.5 s of the tone in MP3, Opus and Vorbis, whose encoders
//                   put priming samples first (mono; 44,100, 48,000 and 44,100 Hz)
//   turned90.mp4, turned180.mp4, turned270.mp4   10 images 64 x 48 as coded, with a display
//                   matrix that turns them
//   variable.mp4    120 images 64 x 48 over 6 s at irregular times (2 s at 30/s, 2 s at 10/s,
//                   2 s at 20/s); 6 s of AAC sound
//   damaged.mp4     50 images 160 x 120 with B-frames, a keyframe every 10: 64 bytes in the
//                   middle of the keyframe of image 20 overwritten, and the whole packet that
//                   comes 34th
//   sync25.mp4, sync2997.mp4, sync23976.mp4   3 s, 64 x 48 at 25, 30000/1001 and 24000/1001
//                   images a second: black, white at three images, with a beep of AAC sound
//                   (48,000 Hz) starting at each of them
//   late.mkv, late.mp4, lateopus.mkv   the same at 25 images a second, the sound (AAC; Opus in
//                   lateopus.mkv) starting half a second after the first picture
//   early.mkv       the same, the sound starting half a second before the first picture
//   sine15k.wav, sine30k.wav, sine3k.wav   half a second of a sine at 15 kHz sampled at
//                   44,100 Hz, 30 kHz at 96,000 Hz and 3 kHz at 8,000 Hz
// Media whose colours come through a matrix and range (the colour card: white and black above
// slow gradients of colour):
//   hd709.mp4       3 images 1280 x 720 of the colour card, H.264 tagged BT.709 (matrix,
//                   primaries, transfer) in the limited range
//   hd.mp4          the same without tags, which players take for BT.709 by its size
//   bt2020.mkv      5 images 320 x 240 of the colour card, 10-bit HEVC tagged BT.2020
//                   (non-constant luminance), limited range
//   lumaramp.mkv    2 images 256 x 16, FFV1 4:2:0 without tags: grey rising by one a column,
//                   luma over every level from 16 to 235
#include "MediaWriter.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <sys/stat.h>

namespace {

// x264 without its processor-specific code: what it writes then depends on no processor
// feature, which its detection finds differently from one machine, or one run, to the next
// (a damaged copy of the camera's file must decode with the same complaints everywhere).
const char* const theCameraOptions =
    "preset=veryfast:bf=3:g=12:x264-params=scenecut=0:x264opts=no-asm=1:threads=1";
// Small pictures of a few images: every image a keyframe would hide the decoder's work.
const char* const thePhoneOptions =
    "preset=veryfast:bf=2:g=10:x264-params=scenecut=0:x264opts=no-asm=1:threads=1";

// The images of the sync media that flash: one at the start of each event.
const int theFlashes[] = {12, 37, 58};

bool WriteTurned(const std::string& pFolder, int pDegrees) {
    TPictureDesc turned = {"libx264", AV_PIX_FMT_YUV420P, 64, 48, 10, thePhoneOptions};
    turned.aRotation = pDegrees;
    return WriteMedia(pFolder + "/turned" + std::to_string(pDegrees) + ".mp4", &turned, nullptr);
}

// 2 s at 30 images a second, 2 s at 10, 2 s at 20: 120 images averaging 20 a second.
bool WriteVariable(const std::string& pFolder) {
    TPictureDesc variable = {"libx264", AV_PIX_FMT_YUV420P, 64, 48, 120, thePhoneOptions};
    variable.aRate = AVRational{20, 1};
    for (int i = 0; i <= 120; ++i)
        variable.aTimes.push_back(i <= 60   ? i * 100 / 3
                                  : i <= 80 ? 2000 + (i - 60) * 100
                                            : 4000 + (i - 80) * 50);
    const TSoundDesc sound = {"aac", AV_SAMPLE_FMT_FLTP, 22050, 1, 6 * 22050, ExampleSample};
    return WriteMedia(pFolder + "/variable.mp4", &variable, &sound);
}

// Black images, white ones at the flashes; a beep of 100 ms starting with each flash, in AAC
// or Opus. The sound starts pLate frames after the first picture (before it when negative: the
// pictures start that much later), and ends with the last one.
bool WriteSync(const std::string& pFolder, const char* pName, AVRational pRate, long pLate = 0,
               bool pOpus = false) {
    const int count = int(av_rescale(3, pRate.num, pRate.den));
    TPictureDesc picture = {"libx264", AV_PIX_FMT_YUV420P, 64, 48, count, thePhoneOptions};
    picture.aRate = pRate;
    for (int i = 0; pLate < 0 && i <= count; ++i)
        picture.aTimes.push_back(av_rescale(i, 1000 * pRate.den, pRate.num) - pLate / 48);
    picture.aPixel = [](int pImage, int, int, int, int, int, unsigned char(&pPixel)[4]) {
        const bool flash = std::count(std::begin(theFlashes), std::end(theFlashes), pImage) > 0;
        std::fill_n(pPixel, 3, flash ? 255 : 0);
        pPixel[3] = 255;
    };
    TSoundDesc sound = {pOpus ? "libopus" : "aac",
                        pOpus ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_FLTP,
                        48000,
                        1,
                        3 * 48000 - pLate,
                        nullptr,
                        "b=96000"};
    sound.aDelay = std::max(pLate, 0L);
    sound.aSample = [pRate, pLate](long pFrame, int pChannel, int pSoundRate) {
        const long time = pFrame + pLate;
        for (int flash : theFlashes) {
            const long start = long(av_rescale(flash, int64_t(pSoundRate) * pRate.den, pRate.num));
            if (time >= start && time < start + pSoundRate / 10)
                return ExampleSample(time - start, pChannel, pSoundRate);
        }
        return short(0);
    };
    return WriteMedia(pFolder + "/" + pName, &picture, &sound);
}

// White, then black, over the top quarter of the picture; below, colours that change slowly,
// as in a picture of the world: blue rising to the right, green downwards, red the other way.
void ColourCard(int pImage, int, int pWidth, int pHeight, int pX, int pY,
                unsigned char (&pPixel)[4]) {
    pPixel[3] = 255;
    if (pY < pHeight / 4) {
        std::fill_n(pPixel, 3, pX < pWidth / 2 ? 255 : 0);
        return;
    }
    pPixel[0] = (unsigned char)(pX * 255 / pWidth);
    pPixel[1] = (unsigned char)((pY - pHeight / 4) * 255 / (pHeight - pHeight / 4));
    pPixel[2] = (unsigned char)(255 - (pX + pY + 8 * pImage) * 255 / (pWidth + pHeight + 64));
}

bool WriteColourMedia(const std::string& pFolder) {
    TPictureDesc hd = {"libx264", AV_PIX_FMT_YUV420P, 1280, 720, 3, theCameraOptions};
    hd.aPixel = ColourCard;
    TPictureDesc hd709 = hd;
    hd709.aMatrix = AVCOL_SPC_BT709;
    hd709.aRange = AVCOL_RANGE_MPEG;
    hd709.aPrimaries = AVCOL_PRI_BT709;
    hd709.aTransfer = AVCOL_TRC_BT709;
    // x265 on one thread without its processor-specific code, its banner and its notes.
    TPictureDesc bt2020 = {"libx265",
                           AV_PIX_FMT_YUV420P10LE,
                           320,
                           240,
                           5,
                           "preset=veryfast:x265-params='asm=none:pools=none:frame-threads=1:"
                           "wpp=0:info=0:log-level=error'"};
    bt2020.aPixel = ColourCard;
    bt2020.aMatrix = AVCOL_SPC_BT2020_NCL;
    bt2020.aRange = AVCOL_RANGE_MPEG;
    bt2020.aPrimaries = AVCOL_PRI_BT2020;
    bt2020.aTransfer = AVCOL_TRC_BT2020_10;
    TPictureDesc ramp = {"ffv1", AV_PIX_FMT_YUV420P, 256, 16, 2, nullptr};
    ramp.aPixel = [](int, int, int, int, int pX, int, unsigned char(&pPixel)[4]) {
        std::fill_n(pPixel, 3, pX);
        pPixel[3] = 255;
    };
    return WriteMedia(pFolder + "/hd709.mp4", &hd709, nullptr) &&
           WriteMedia(pFolder + "/hd.mp4", &hd, nullptr) &&
           WriteMedia(pFolder + "/bt2020.mkv", &bt2020, nullptr) &&
           WriteMedia(pFolder + "/lumaramp.mkv", &ramp, nullptr);
}

bool WriteUsersMedia(const std::string& pFolder) {
    const TSoundDesc mp3 = {"libmp3lame", AV_SAMPLE_FMT_S16P, 44100,    1,
                            66150,        ExampleSample,      "b=64000"};
    const TSoundDesc opus = {"libopus", AV_SAMPLE_FMT_S16, 48000,    1,
                             72000,     ExampleSample,     "b=48000"};
    const TSoundDesc vorbis = {"libvorbis", AV_SAMPLE_FMT_FLTP, 44100,    1,
                               66150,       ExampleSample,      "b=64000"};
    const TPictureDesc damaged = {"libx264", AV_PIX_FMT_YUV420P, 160, 120, 50, thePhoneOptions};
    return WriteMedia(pFolder + "/tone.mp3", nullptr, &mp3) &&
           WriteMedia(pFolder + "/tone.opus", nullptr, &opus) &&
           WriteMedia(pFolder + "/tone.ogg", nullptr, &vorbis) && WriteTurned(pFolder, 90) &&
           WriteTurned(pFolder, 180) && WriteTurned(pFolder, 270) && WriteVariable(pFolder) &&
           WriteMedia(pFolder + "/damaged.mp4", &damaged, nullptr) &&
           DamagePictures(pFolder + "/damaged.mp4", {{20, 64}, {33, 100000}}) &&
           WriteSync(pFolder, "sync25.mp4", AVRational{25, 1}) &&
           WriteSync(pFolder, "sync2997.mp4", AVRational{30000, 1001}) &&
           WriteSync(pFolder, "sync23976.mp4", AVRational{24000, 1001});
}

// The sync media with their sound half a second after the first picture, as an MKV says it
// by its times and an MP4 by an edit list, also in Opus, whose priming the decoder skips; and
// with their sound half a second before the first picture.
bool WriteLateSound(const std::string& pFolder) {
    return WriteSync(pFolder, "late.mkv", AVRational{25, 1}, 24000) &&
           WriteSync(pFolder, "late.mp4", AVRational{25, 1}, 24000) &&
           WriteSync(pFolder, "lateopus.mkv", AVRational{25, 1}, 24000, true) &&
           WriteSync(pFolder, "early.mkv", AVRational{25, 1}, -24000);
}

// Half a second of a sine at pFrequency (half of full scale) sampled at pRate, as near the top
// of its band as resampling tests want it.
bool WriteSine(const std::string& pFolder, const char* pName, int pFrequency, int pRate) {
    TSoundDesc sine = {"pcm_s16le", AV_SAMPLE_FMT_S16, pRate, 1, pRate / 2, nullptr};
    sine.aSample = [pFrequency](long pFrame, int, int pSoundRate) {
        // The phase as a whole fraction of a period: the same sample on every machine.
        const long step = long(int64_t(pFrame) * pFrequency % pSoundRate);
        return short(std::lround(16384 * std::sin(2 * M_PI * double(step) / pSoundRate)));
    };
    return WriteMedia(pFolder + "/" + pName, nullptr, &sine);
}

// Tones to resample to 48,000 frames a second: one an output image would alias, one above the
// output's band, one whose image the output's band holds.
bool WriteTones(const std::string& pFolder) {
    return WriteSine(pFolder, "sine15k.wav", 15000, 44100) &&
           WriteSine(pFolder, "sine30k.wav", 30000, 96000) &&
           WriteSine(pFolder, "sine3k.wav", 3000, 8000);
}

bool WriteAll(const std::string& pFolder) {
    const TPictureDesc clip = {"ffv1", AV_PIX_FMT_BGRA, 160, 120, 50, nullptr};
    const TSoundDesc clipSound = {"pcm_s16le", AV_SAMPLE_FMT_S16, 22050, 2, 44100, ExampleSample};
    const TSoundDesc wav = {"pcm_s16le", AV_SAMPLE_FMT_S16, 44100, 2, 44100, ExampleSample};
    const TSoundDesc flac = {"flac", AV_SAMPLE_FMT_S16, 44100, 1, 44100, ExampleSample};
    const TSoundDesc ramp = {"pcm_s16le", AV_SAMPLE_FMT_S16, 8000, 1, 1000, RampSample};
    const TPictureDesc camera = {"libx264", AV_PIX_FMT_YUV420P, 320, 240, 60, theCameraOptions};
    const TSoundDesc cameraSound = {"aac", AV_SAMPLE_FMT_FLTP, 22050, 1, 52920, ExampleSample};
    bool done = WriteMedia(pFolder + "/clip.mkv", &clip, &clipSound) &&
                WritePng(pFolder + "/still.png", 64, 48, AV_PIX_FMT_RGBA) &&
                WritePng(pFolder + "/oversized.png", 16385, 2, AV_PIX_FMT_GRAY8) &&
                WriteMedia(pFolder + "/tone.wav", nullptr, &wav) &&
                WriteMedia(pFolder + "/tone.flac", nullptr, &flac) &&
                WriteMedia(pFolder + "/ramp.wav", nullptr, &ramp) &&
                WriteMedia(pFolder + "/camera.mp4", &camera, &cameraSound) &&
                WriteUsersMedia(pFolder) && WriteLateSound(pFolder) && WriteTones(pFolder) &&
                WriteColourMedia(pFolder);
    mkdir((pFolder + "/frames").c_str(), 0777);
    for (int i = 0; i < 5 && done; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/frames/clip_%03d.png", i);
        done = WritePng(pFolder + name, 32, 24, AV_PIX_FMT_RGB24, i);
    }
    return done;
}

// The same kinds, a few images and frames each.
bool WriteSeeds(const std::string& pFolder) {
    const TPictureDesc clip = {"ffv1", AV_PIX_FMT_BGRA, 16, 12, 3, nullptr};
    const TSoundDesc pcm = {"pcm_s16le", AV_SAMPLE_FMT_S16, 8000, 2, 800, ExampleSample};
    const TSoundDesc flac = {"flac", AV_SAMPLE_FMT_S16, 8000, 1, 800, ExampleSample};
    const TPictureDesc camera = {"libx264", AV_PIX_FMT_YUV420P, 32, 24, 5, theCameraOptions};
    const TSoundDesc aac = {"aac", AV_SAMPLE_FMT_FLTP, 8000, 1, 1600, ExampleSample};
    const TSoundDesc mp3 = {"libmp3lame", AV_SAMPLE_FMT_S16P, 8000, 1, 2000, ExampleSample};
    const TSoundDesc opus = {"libopus", AV_SAMPLE_FMT_S16, 8000, 1, 800, ExampleSample};
    const TSoundDesc vorbis = {"libvorbis", AV_SAMPLE_FMT_FLTP, 8000, 1, 800, ExampleSample};
    TPictureDesc turned = {"libx264", AV_PIX_FMT_YUV420P, 32, 24, 3, theCameraOptions};
    turned.aRotation = 90;
    turned.aTimes = {0, 40, 120, 200};
    mkdir(pFolder.c_str(), 0777);
    return WriteMedia(pFolder + "/seed.mkv", &clip, &pcm) &&
           WriteMedia(pFolder + "/seed.wav", nullptr, &pcm) &&
           WriteMedia(pFolder + "/seed.flac", nullptr, &flac) &&
           WriteMedia(pFolder + "/seed.mp4", &camera, &aac) &&
           WriteMedia(pFolder + "/seed.mp3", nullptr, &mp3) &&
           WriteMedia(pFolder + "/seed.opus", nullptr, &opus) &&
           WriteMedia(pFolder + "/seed.ogg", nullptr, &vorbis) &&
           WriteMedia(pFolder + "/turned.mp4", &turned, &aac) &&
           WritePng(pFolder + "/seed.png", 8, 6, AV_PIX_FMT_RGBA);
}

} // namespace

// Under LeakSanitizer (the sanitized and fuzzing builds): x265 keeps the parameters of each
// encoder it opens through FFmpeg (1,168 bytes), and a copy of each text parameter; no leak of
// this program's.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libx265.so\n";
}
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}

int main(int pArgc, char** pArgv) {
    if (pArgc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", pArgv[0]);
        return 2;
    }
    // The encoders' statistics would fill the build's output; their errors are kept.
    av_log_set_level(AV_LOG_ERROR);
    const std::string folder = pArgv[1];
    mkdir(folder.c_str(), 0777);
    if (!WriteAll(folder) || !WriteSeeds(folder + "/seeds")) {
        std::fprintf(stderr, "%s: writing the example media failed\n", pArgv[0]);
        return 1;
    }
    return 0;
}
