// A file decoded by libavcodec alone, from its start to its end, as a player decodes it: the
// reference that the tests of the media stand-in and the movie output compare with.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <functional>
#include <string>

// Decodes the first stream of pType of the file at pPath on one thread and hands pFrame every
// frame the decoder gives, with its stream, until pFrame answers false; false when the file
// cannot be opened or holds no such stream.
inline bool DecodeFile(const std::string& pPath, AVMediaType pType,
                       const std::function<bool(const AVStream&, const AVFrame&)>& pFrame) {
    AVFormatContext* input = nullptr;
    if (avformat_open_input(&input, pPath.c_str(), nullptr, nullptr) < 0)
        return false;
    avformat_find_stream_info(input, nullptr);
    const int stream = av_find_best_stream(input, pType, -1, -1, nullptr, 0);
    if (stream < 0) {
        avformat_close_input(&input);
        return false;
    }
    const AVStream& found = *input->streams[stream];
    AVCodecContext* decoder =
        avcodec_alloc_context3(avcodec_find_decoder(found.codecpar->codec_id));
    avcodec_parameters_to_context(decoder, found.codecpar);
    decoder->thread_count = 1;
    decoder->pkt_timebase = found.time_base;
    avcodec_open2(decoder, nullptr, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool wanted = true;
    for (bool more = true; more && wanted;) {
        more = av_read_frame(input, packet) >= 0;
        if (!more || packet->stream_index == stream)
            avcodec_send_packet(decoder, more ? packet : nullptr);
        av_packet_unref(packet);
        while (wanted && avcodec_receive_frame(decoder, frame) >= 0)
            wanted = pFrame(found, *frame);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&input);
    return true;
}
