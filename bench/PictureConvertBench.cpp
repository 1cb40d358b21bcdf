// Converting one decoded 1920 x 1080 4:2:0 picture to BGRA with the BT.709 matrix in the
// limited range, as the picture converter does: through libswscale (bicubic, bit-exact,
// accurate rounding, four slice threads; with its tables, which are a level or two dark, and
// with full chroma interpolation, its exact arithmetic that the picture converter asks of it)
// and through the direct converter. Each reports the time a picture takes and the processor
// time of all its threads.
#include "FFmpeg.h"
#include "YuvToBgra.h"
#include "support/SwsReference.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int theWidth = 1920;
constexpr int theHeight = 1080;

// A 1080p frame of format pFormat.
TFramePtr Frame(AVPixelFormat pFormat) {
    TFramePtr frame(av_frame_alloc());
    frame->format = pFormat;
    frame->width = theWidth;
    frame->height = theHeight;
    av_frame_get_buffer(frame.get(), 0);
    return frame;
}

// A picture like a camera's: smooth gradients with some noise.
TFramePtr Picture() {
    TFramePtr frame = Frame(AV_PIX_FMT_YUV420P);
    std::mt19937 noise(7);
    for (int plane = 0; plane < 3; ++plane) {
        const int width = plane ? theWidth / 2 : theWidth,
                  height = plane ? theHeight / 2 : theHeight;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                frame->data[plane][y * frame->linesize[plane] + x] =
                    uint8_t((x * 3 + y * (plane + 1)) / 8 + noise() % 16);
    }
    return frame;
}

// Argument 0: libswscale's tables; 1: its exact arithmetic.
void BM_PictureSwscale(benchmark::State& pState) {
    const TFramePtr picture = Picture();
    const TFramePtr target = Frame(AV_PIX_FMT_BGRA);
    const TSwsPtr scale = SwsReference(
        theWidth, theHeight, AV_PIX_FMT_YUV420P, theWidth, theHeight, AV_PIX_FMT_BGRA,
        SWS_BICUBIC | SWS_BITEXACT | SWS_ACCURATE_RND | (pState.range(0) ? SWS_FULL_CHR_H_INT : 0),
        4);
    const int* matrix = sws_getCoefficients(SWS_CS_ITU709);
    if (!scale ||
        sws_setColorspaceDetails(scale.get(), matrix, 0, matrix, 1, 0, 1 << 16, 1 << 16) < 0)
        pState.SkipWithError("libswscale refuses the conversion");
    for (auto _ : pState)
        benchmark::DoNotOptimize(sws_scale_frame(scale.get(), target.get(), picture.get()));
}
BENCHMARK(BM_PictureSwscale)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

void BM_PictureDirect(benchmark::State& pState) {
    const TFramePtr picture = Picture();
    const TFramePtr target = Frame(AV_PIX_FMT_BGRA);
    TYuvToBgra direct;
    if (!direct.Prepare(AV_PIX_FMT_YUV420P, theWidth, theHeight,
                        TYuvColours{AVCOL_SPC_BT709, false}))
        pState.SkipWithError("the direct converter does not cover the picture");
    for (auto _ : pState) {
        direct.Convert(*picture, target->data[0], target->linesize[0]);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PictureDirect)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

} // namespace
