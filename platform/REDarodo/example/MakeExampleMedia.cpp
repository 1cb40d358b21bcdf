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
#include "MediaWriter.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>

namespace {

const char* const theCameraOptions = "preset=veryfast:bf=3:g=12:x264-params=scenecut=0:threads=1";

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
                WriteMedia(pFolder + "/camera.mp4", &camera, &cameraSound);
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
    mkdir(pFolder.c_str(), 0777);
    return WriteMedia(pFolder + "/seed.mkv", &clip, &pcm) &&
           WriteMedia(pFolder + "/seed.wav", nullptr, &pcm) &&
           WriteMedia(pFolder + "/seed.flac", nullptr, &flac) &&
           WriteMedia(pFolder + "/seed.mp4", &camera, &aac) &&
           WritePng(pFolder + "/seed.png", 8, 6, AV_PIX_FMT_RGBA);
}

} // namespace

int main(int pArgc, char** pArgv) {
    if (pArgc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", pArgv[0]);
        return 2;
    }
    const std::string folder = pArgv[1];
    mkdir(folder.c_str(), 0777);
    if (!WriteAll(folder) || !WriteSeeds(folder + "/seeds")) {
        std::fprintf(stderr, "%s: writing the example media failed\n", pArgv[0]);
        return 1;
    }
    return 0;
}
