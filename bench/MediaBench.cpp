// Reading media through the stand-in beside FFmpeg alone: a 1920 x 1080 H.264 file decoded
// in order by IReaderVideo::GetImage and by a plain libavcodec loop with the same
// conversion to BGRA; the same images at random; a minute of stereo WAV played frame by
// frame through IMediaAudioStream at its own rate and at half of it, beside FFmpeg decoding
// that WAV alone. The files are written once into a temporary folder.
#include "REDarodo/Media.h"
#include "REDarodo/MediaAudioStream.h"

#include "MediaWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

const int theImages = 48;
const long theSoundFrames = 60L * 44100;
// One render frame of sound at 25 images a second.
const int theChunk = 1764;

// The folder of the benchmark's files: a plain array, still there when the clean-up at exit
// removes them.
char theFolder[] = "/tmp/MediaBenchXXXXXX";

void RemoveFiles() {
    for (const char* name : {"/hd.mp4", "/long.wav", ""})
        std::remove((std::string(theFolder) + name).c_str());
}

// The folder, with the files written on first use.
std::string Folder() {
    static const bool theWritten = [] {
        const TPictureDesc video = {"libx264", AV_PIX_FMT_YUV420P,
                                    1920,      1080,
                                    theImages, "preset=veryfast:bf=3:g=12:threads=1"};
        const TSoundDesc sound = {"pcm_s16le", AV_SAMPLE_FMT_S16, 44100,
                                  2,           theSoundFrames,    ExampleSample};
        if (!mkdtemp(theFolder))
            std::abort();
        std::atexit(RemoveFiles);
        const std::string folder = theFolder;
        return WriteMedia(folder + "/hd.mp4", &video, nullptr) &&
               WriteMedia(folder + "/long.wav", nullptr, &sound);
    }();
    if (!theWritten)
        std::abort();
    return theFolder;
}

std::unique_ptr<TZVMedia> Open(const char* pName) {
    wxString reason;
    std::unique_ptr<TZVMedia> media(TZVMedia::Open(Folder() + "/" + pName, &reason));
    if (!media)
        std::abort();
    return media;
}

void BM_GetImageInOrder(benchmark::State& pState) {
    std::unique_ptr<TZVMedia> media = Open("hd.mp4");
    for (auto _ : pState) {
        std::unique_ptr<IReaderVideo> reader(media->GetVideo()->CreateReader());
        for (long image = 0; image < theImages; ++image)
            benchmark::DoNotOptimize(reader->GetImage(image).GetRawData());
    }
    pState.SetItemsProcessed(pState.iterations() * theImages);
}

void BM_GetImageAtRandom(benchmark::State& pState) {
    std::unique_ptr<TZVMedia> media = Open("hd.mp4");
    std::vector<long> order(theImages);
    for (long i = 0; i < theImages; ++i)
        order[i] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    for (auto _ : pState) {
        std::unique_ptr<IReaderVideo> reader(media->GetVideo()->CreateReader());
        for (long image : order)
            benchmark::DoNotOptimize(reader->GetImage(image).GetRawData());
    }
    pState.SetItemsProcessed(pState.iterations() * theImages);
}

// libavcodec alone: demux, decode on one thread, convert to BGRA the same way.
void BM_PlainDecodeAndConvert(benchmark::State& pState) {
    const std::string path = Folder() + "/hd.mp4";
    std::vector<uint8_t> bgra(1920 * 1080 * 4);
    for (auto _ : pState) {
        AVFormatContext* input = nullptr;
        avformat_open_input(&input, path.c_str(), nullptr, nullptr);
        avformat_find_stream_info(input, nullptr);
        const AVStream* stream = input->streams[0];
        AVCodecContext* decoder =
            avcodec_alloc_context3(avcodec_find_decoder(stream->codecpar->codec_id));
        avcodec_parameters_to_context(decoder, stream->codecpar);
        decoder->thread_count = 1;
        avcodec_open2(decoder, nullptr, nullptr);
        SwsContext* scale = nullptr;
        AVPacket* packet = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();
        uint8_t* target[] = {bgra.data()};
        const int stride[] = {1920 * 4};
        bool more = true;
        while (more) {
            more = av_read_frame(input, packet) >= 0;
            avcodec_send_packet(decoder, more ? packet : nullptr);
            av_packet_unref(packet);
            while (avcodec_receive_frame(decoder, frame) >= 0) {
                scale = sws_getCachedContext(
                    scale, frame->width, frame->height, AVPixelFormat(frame->format), 1920, 1080,
                    AV_PIX_FMT_BGRA, SWS_BICUBIC | SWS_BITEXACT | SWS_ACCURATE_RND, nullptr,
                    nullptr, nullptr);
                sws_scale(scale, frame->data, frame->linesize, 0, frame->height, target, stride);
                benchmark::DoNotOptimize(bgra.data());
            }
        }
        av_frame_free(&frame);
        av_packet_free(&packet);
        sws_freeContext(scale);
        avcodec_free_context(&decoder);
        avformat_close_input(&input);
    }
    pState.SetItemsProcessed(pState.iterations() * theImages);
}

// The media row's way: each render frame seeks and reads one chunk.
void PlaySound(benchmark::State& pState, int pRate) {
    std::unique_ptr<TZVMedia> media = Open("long.wav");
    std::vector<int16_t> buffer(theChunk * 2);
    const long chunks = theSoundFrames * pRate / 44100 / theChunk;
    for (auto _ : pState) {
        std::unique_ptr<TReaderAudio> reader(media->GetAudio()->CreateReader());
        std::unique_ptr<IMediaAudioStream> stream(IMediaAudioStream::Create(reader.get()));
        stream->SetStereo(true);
        stream->SetOutputRate(pRate);
        for (long chunk = 0; chunk < chunks; ++chunk) {
            stream->Seek(chunk * theChunk * 44100 / pRate);
            benchmark::DoNotOptimize(stream->GetOutput()->Read(buffer.data(), theChunk));
        }
    }
    pState.SetItemsProcessed(pState.iterations() * chunks * theChunk);
}

void BM_SoundAtItsOwnRate(benchmark::State& pState) {
    PlaySound(pState, 44100);
}

void BM_SoundAtHalfRate(benchmark::State& pState) {
    PlaySound(pState, 22050);
}

// FFmpeg alone: demux and decode the WAV.
void BM_PlainSoundDecode(benchmark::State& pState) {
    const std::string path = Folder() + "/long.wav";
    for (auto _ : pState) {
        AVFormatContext* input = nullptr;
        avformat_open_input(&input, path.c_str(), nullptr, nullptr);
        avformat_find_stream_info(input, nullptr);
        AVCodecContext* decoder =
            avcodec_alloc_context3(avcodec_find_decoder(input->streams[0]->codecpar->codec_id));
        avcodec_parameters_to_context(decoder, input->streams[0]->codecpar);
        avcodec_open2(decoder, nullptr, nullptr);
        AVPacket* packet = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();
        while (av_read_frame(input, packet) >= 0) {
            avcodec_send_packet(decoder, packet);
            av_packet_unref(packet);
            while (avcodec_receive_frame(decoder, frame) >= 0)
                benchmark::DoNotOptimize(frame->data[0]);
        }
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&decoder);
        avformat_close_input(&input);
    }
    pState.SetItemsProcessed(pState.iterations() * theSoundFrames);
}

} // namespace

BENCHMARK(BM_PlainDecodeAndConvert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetImageInOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetImageAtRandom)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSoundDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoundAtItsOwnRate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoundAtHalfRate)->Unit(benchmark::kMillisecond);
