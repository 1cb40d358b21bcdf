// The movie output's conversion of a 1920 x 1080 BGRA picture (gradients and noise) into the
// encoder's 4:2:0 YUV planes with BT.709's weights (an HD frame's), on one thread:
// TZVYuvPicture beside FFmpeg's converter (libswscale, bicubic, from BGR0), which the output
// used before.
#include "YuvPicture.h"

#include "REDarodo/Bitmap.h"
#include "support/SwsReference.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

const int theWidth = 1920;
const int theHeight = 1080;

// Opaque colours: diagonal gradients with noise of +-16 on each channel.
std::vector<uint32_t> Picture() {
    std::vector<uint32_t> pixels(size_t(theWidth) * theHeight);
    uint32_t seed = 1;
    for (int y = 0; y < theHeight; ++y)
        for (int x = 0; x < theWidth; ++x) {
            uint32_t pixel = 0xFF000000;
            const int base[] = {x * 255 / theWidth, y * 255 / theHeight,
                                (x + y) * 255 / (theWidth + theHeight)};
            for (int channel = 0; channel < 3; ++channel) {
                seed = seed * 1664525 + 1013904223;
                const int value = std::clamp(base[channel] + int(seed >> 27) - 16, 0, 255);
                pixel |= uint32_t(value) << (8 * channel);
            }
            pixels[size_t(y) * theWidth + x] = pixel;
        }
    return pixels;
}

AVFrame* YuvFrame() {
    AVFrame* frame = av_frame_alloc();
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = theWidth;
    frame->height = theHeight;
    av_frame_get_buffer(frame, 0);
    return frame;
}

void YuvPicture(benchmark::State& pState) {
    std::vector<uint32_t> pixels = Picture();
    const TBitmap picture(pixels.data(), theWidth, theHeight);
    AVFrame* frame = YuvFrame();
    TZVYuvPicture yuv(theWidth, theHeight);
    for (auto _ : pState) {
        yuv.Convert(&picture, frame->data, frame->linesize);
        benchmark::DoNotOptimize(frame->data[0][0]);
    }
    av_frame_free(&frame);
}

void Swscale(benchmark::State& pState) {
    std::vector<uint32_t> pixels = Picture();
    AVFrame* frame = YuvFrame();
    const TSwsPtr scale = SwsReference(theWidth, theHeight, AV_PIX_FMT_BGR0, theWidth, theHeight,
                                       AV_PIX_FMT_YUV420P, SWS_BICUBIC);
    const int* matrix = sws_getCoefficients(SWS_CS_ITU709);
    if (!scale ||
        sws_setColorspaceDetails(scale.get(), matrix, 1, matrix, 0, 0, 1 << 16, 1 << 16) < 0)
        pState.SkipWithError("no converter");
    const AVFrame source = BgrFrame(pixels.data(), theWidth, theHeight);
    for (auto _ : pState) {
        sws_scale_frame(scale.get(), frame, &source);
        benchmark::DoNotOptimize(frame->data[0][0]);
    }
    av_frame_free(&frame);
}

} // namespace

BENCHMARK(YuvPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(Swscale)->Unit(benchmark::kMillisecond);
