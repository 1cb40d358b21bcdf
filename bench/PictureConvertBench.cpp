// Converting one decoded 1920 x 1080 4:2:0 picture to BGRA with the BT.709 matrix in the
// limited range, as the picture converter does: through libswscale (bicubic, bit-exact,
// accurate rounding, four slice threads; with its tables, which are a level or two dark, and
// with full chroma interpolation, its exact arithmetic that the picture converter asks of it)
// and through the direct converter. Then a 10-bit picture, which the picture converter leaves
// to libswscale: through libswscale alone, as the converter converted it before it saturated
// colours beyond 511 levels, and through the converter. Each reports the time a picture takes
// and the processor time of all its threads.
#include "FFmpeg.h"
#include "MediaIndex.h"
#include "PictureConverter.h"
#include "YuvToBgra.h"
#include "support/SwsReference.h"

#include <benchmark/benchmark.h>

#include <algorithm>
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

// A 10-bit picture of a phone's camera (4:2:0, BT.2020 in the limited range): smooth
// gradients with some noise within the legal range; for pKind 1, its chroma in steps of more
// than half the range, as at saturated edges; for pKind 2, a tenth of its rows beyond the
// range (luma above white with blue at its end), whose colours libswscale wraps.
TFramePtr TenBitPicture(int pKind) {
    TFramePtr frame = Frame(AV_PIX_FMT_YUV420P10LE);
    frame->colorspace = AVCOL_SPC_BT2020_NCL;
    frame->color_range = AVCOL_RANGE_MPEG;
    std::mt19937 noise(7);
    for (int plane = 0; plane < 3; ++plane) {
        const int width = plane ? theWidth / 2 : theWidth,
                  height = plane ? theHeight / 2 : theHeight;
        for (int y = 0; y < height; ++y) {
            uint16_t* row =
                reinterpret_cast<uint16_t*>(frame->data[plane] + y * frame->linesize[plane]);
            const bool highlight = pKind == 2 && y < height / 10;
            for (int x = 0; x < width; ++x) {
                const int chroma = pKind == 1 ? 212 + (x * 3 + y * plane * 5) % 600
                                              : 212 + (x * 3 + y * plane * 5) * 600 / 8300;
                const int base = plane ? chroma : 64 + (x + y) * 876 / (theWidth + theHeight);
                const int value = std::clamp(base + int(noise() % 32) - 16, 64, plane ? 960 : 940);
                row[x] = uint16_t(!highlight ? value : plane == 0 ? 1016 : plane == 1 ? 1020 : 512);
            }
        }
    }
    return frame;
}

// The argument is the picture's kind.
void BM_TenBitSwscale(benchmark::State& pState) {
    const TFramePtr picture = TenBitPicture(pState.range(0));
    const TFramePtr target = Frame(AV_PIX_FMT_BGRA);
    const TSwsPtr scale = SwsReference(
        theWidth, theHeight, AV_PIX_FMT_YUV420P10LE, theWidth, theHeight, AV_PIX_FMT_BGRA,
        SWS_BICUBIC | SWS_BITEXACT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, 4);
    const int* matrix = sws_getCoefficients(SWS_CS_BT2020);
    if (!scale ||
        sws_setColorspaceDetails(scale.get(), matrix, 0, matrix, 1, 0, 1 << 16, 1 << 16) < 0)
        pState.SkipWithError("libswscale refuses the conversion");
    for (auto _ : pState)
        benchmark::DoNotOptimize(sws_scale_frame(scale.get(), target.get(), picture.get()));
}
BENCHMARK(BM_TenBitSwscale)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

void BM_TenBitConverter(benchmark::State& pState) {
    const TFramePtr picture = TenBitPicture(pState.range(0));
    TMediaLog log;
    TPictureConverter converter(log);
    TVideoIndex index;
    index.aWidth = theWidth;
    index.aHeight = theHeight;
    TAllocBitmap image;
    for (auto _ : pState)
        if (!converter.Convert(*picture, index, image))
            pState.SkipWithError("the picture converter fails");
}
BENCHMARK(BM_TenBitConverter)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

} // namespace
