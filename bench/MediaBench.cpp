// Reading media through the stand-in beside FFmpeg alone: a 1920 x 1080 H.264 file decoded
// in order by IReaderVideo::GetImage and by a plain libavcodec loop with the same
// conversion to BGRA; the same images at random; a minute of stereo WAV played frame by
// frame through IMediaAudioStream at its own rate and at half of it, beside FFmpeg decoding
// that WAV alone. Then users' kinds of files, each beside a plain libavcodec decode of the
// same frames: 640 x 360 H.264 turned by a display matrix, at irregular times, and damaged
// (GetImage in order and at random), and a minute of MP3, Opus and Vorbis read one project
// frame's block at a time, in order and at random (each block a seek). The files are written
// once into a temporary folder.
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

// The users' kinds of picture files: 96 images 640 x 360 each.
const int theUsersImages = 96;
const char* const theUsersOptions = "preset=veryfast:bf=2:g=12:x264-params=scenecut=0:threads=1";
// A minute of lossy sound, read in blocks of one frame at 25 frames a second.
const long theUsersSoundFrames = 60L * 48000;

void RemoveFiles() {
    for (const char* name : {"/hd.mp4", "/long.wav", "/turned.mp4", "/variable.mp4", "/damaged.mp4",
                             "/long.mp3", "/long.opus", "/long.ogg", ""})
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
        TPictureDesc turned = {"libx264", AV_PIX_FMT_YUV420P, 640,
                               360,       theUsersImages,     theUsersOptions};
        turned.aRotation = 90;
        TPictureDesc variable = turned;
        variable.aRotation = 0;
        // Bursts of 30 and 10 images a second, 20 on average.
        for (int i = 0; i <= theUsersImages; ++i)
            variable.aTimes.push_back(i / 12 * 600 +
                                      (i % 12 < 6 ? i % 12 * 33 : 200 + (i % 12 - 6) * 66));
        variable.aRate = AVRational{20, 1};
        TPictureDesc damaged = variable;
        damaged.aTimes.clear();
        damaged.aRate = AVRational{25, 1};
        const TSoundDesc mp3 = {"libmp3lame",        AV_SAMPLE_FMT_S16P, 48000,     2,
                                theUsersSoundFrames, ExampleSample,      "b=128000"};
        const TSoundDesc opus = {"libopus",           AV_SAMPLE_FMT_S16, 48000,    2,
                                 theUsersSoundFrames, ExampleSample,     "b=96000"};
        const TSoundDesc vorbis = {"libvorbis",         AV_SAMPLE_FMT_FLTP, 48000,     2,
                                   theUsersSoundFrames, ExampleSample,      "b=128000"};
        return WriteMedia(folder + "/hd.mp4", &video, nullptr) &&
               WriteMedia(folder + "/long.wav", nullptr, &sound) &&
               WriteMedia(folder + "/turned.mp4", &turned, nullptr) &&
               WriteMedia(folder + "/variable.mp4", &variable, nullptr) &&
               WriteMedia(folder + "/damaged.mp4", &damaged, nullptr) &&
               DamagePictures(folder + "/damaged.mp4", {{36, 64}, {53, 100000}}) &&
               WriteMedia(folder + "/long.mp3", nullptr, &mp3) &&
               WriteMedia(folder + "/long.opus", nullptr, &opus) &&
               WriteMedia(folder + "/long.ogg", nullptr, &vorbis);
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

// 0 to pCount - 1, shuffled when pShuffled.
std::vector<long> Order(long pCount, bool pShuffled) {
    std::vector<long> order(static_cast<size_t>(pCount));
    for (long i = 0; i < pCount; ++i)
        order[size_t(i)] = i;
    if (pShuffled)
        std::shuffle(order.begin(), order.end(), std::mt19937(7));
    return order;
}

void GetImages(benchmark::State& pState, const char* pName, bool pShuffled) {
    std::unique_ptr<TZVMedia> media = Open(pName);
    const std::vector<long> order = Order(media->GetVideo()->GetImageCount(), pShuffled);
    for (auto _ : pState) {
        std::unique_ptr<IReaderVideo> reader(media->GetVideo()->CreateReader());
        for (long image : order)
            benchmark::DoNotOptimize(reader->GetImage(image).GetRawData());
    }
    pState.SetItemsProcessed(pState.iterations() * long(order.size()));
}

void BM_GetImageInOrder(benchmark::State& pState, const char* pName) {
    GetImages(pState, pName, false);
}

void BM_GetImageAtRandom(benchmark::State& pState, const char* pName) {
    GetImages(pState, pName, true);
}

// libavcodec alone: demux, decode on one thread, convert to BGRA the same way.
void BM_PlainDecodeAndConvert(benchmark::State& pState, const char* pName) {
    const std::string path = Folder() + "/" + pName;
    std::vector<uint8_t> bgra;
    long images = 0;
    for (auto _ : pState) {
        AVFormatContext* input = nullptr;
        avformat_open_input(&input, path.c_str(), nullptr, nullptr);
        avformat_find_stream_info(input, nullptr);
        const AVStream* stream = input->streams[0];
        const int width = stream->codecpar->width, height = stream->codecpar->height;
        bgra.resize(size_t(width) * height * 4);
        AVCodecContext* decoder =
            avcodec_alloc_context3(avcodec_find_decoder(stream->codecpar->codec_id));
        avcodec_parameters_to_context(decoder, stream->codecpar);
        decoder->thread_count = 1;
        avcodec_open2(decoder, nullptr, nullptr);
        SwsContext* scale = nullptr;
        AVPacket* packet = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();
        uint8_t* target[] = {bgra.data()};
        const int stride[] = {width * 4};
        images = 0;
        bool more = true;
        while (more) {
            more = av_read_frame(input, packet) >= 0;
            avcodec_send_packet(decoder, more ? packet : nullptr);
            av_packet_unref(packet);
            while (avcodec_receive_frame(decoder, frame) >= 0) {
                scale = sws_getCachedContext(
                    scale, frame->width, frame->height, AVPixelFormat(frame->format), width, height,
                    AV_PIX_FMT_BGRA, SWS_BICUBIC | SWS_BITEXACT | SWS_ACCURATE_RND, nullptr,
                    nullptr, nullptr);
                sws_scale(scale, frame->data, frame->linesize, 0, frame->height, target, stride);
                benchmark::DoNotOptimize(bgra.data());
                ++images;
            }
        }
        av_frame_free(&frame);
        av_packet_free(&packet);
        sws_freeContext(scale);
        avcodec_free_context(&decoder);
        avformat_close_input(&input);
    }
    pState.SetItemsProcessed(pState.iterations() * images);
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
void BM_PlainSoundDecode(benchmark::State& pState, const char* pName) {
    const std::string path = Folder() + "/" + pName;
    int64_t frames = 0;
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
        frames = 0;
        while (av_read_frame(input, packet) >= 0) {
            avcodec_send_packet(decoder, packet);
            av_packet_unref(packet);
            while (avcodec_receive_frame(decoder, frame) >= 0) {
                benchmark::DoNotOptimize(frame->data[0]);
                frames += frame->nb_samples;
            }
        }
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&decoder);
        avformat_close_input(&input);
    }
    pState.SetItemsProcessed(pState.iterations() * frames);
}

// The sound read as a render reads it: each frame's block (25 frames a second) after a seek,
// in order or at random.
void BM_SoundBlocks(benchmark::State& pState, const char* pName, bool pShuffled) {
    std::unique_ptr<TZVMedia> media = Open(pName);
    const int block = media->GetAudio()->GetSampleRate() / 25;
    const std::vector<long> order =
        Order(long(media->GetAudio()->GetFrameCount() / block), pShuffled);
    std::vector<int16_t> buffer(size_t(block) * 2);
    for (auto _ : pState) {
        std::unique_ptr<TReaderAudio> reader(media->GetAudio()->CreateReader());
        for (long frame : order) {
            reader->Seek(int64_t(frame) * block);
            benchmark::DoNotOptimize(reader->Read(buffer.data(), block));
        }
    }
    pState.SetItemsProcessed(pState.iterations() * long(order.size()) * block);
}

} // namespace

BENCHMARK_CAPTURE(BM_PlainDecodeAndConvert, hd, "hd.mp4")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GetImageInOrder, hd, "hd.mp4")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GetImageAtRandom, hd, "hd.mp4")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlainSoundDecode, wav, "long.wav")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoundAtItsOwnRate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoundAtHalfRate)->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(BM_PlainDecodeAndConvert, turned, "turned.mp4")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GetImageInOrder, turned, "turned.mp4")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GetImageAtRandom, turned, "turned.mp4")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlainDecodeAndConvert, variable, "variable.mp4")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GetImageInOrder, variable, "variable.mp4")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GetImageAtRandom, variable, "variable.mp4")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlainDecodeAndConvert, damaged, "damaged.mp4")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GetImageInOrder, damaged, "damaged.mp4")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GetImageAtRandom, damaged, "damaged.mp4")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlainSoundDecode, mp3, "long.mp3")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SoundBlocks, mp3InOrder, "long.mp3", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SoundBlocks, mp3AtRandom, "long.mp3", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlainSoundDecode, opus, "long.opus")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SoundBlocks, opusInOrder, "long.opus", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SoundBlocks, opusAtRandom, "long.opus", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlainSoundDecode, vorbis, "long.ogg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SoundBlocks, vorbisInOrder, "long.ogg", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SoundBlocks, vorbisAtRandom, "long.ogg", true)->Unit(benchmark::kMillisecond);
