#include "WavOutput.h"

#include "DLL/Edt/MediaFormat.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cstdio>
#include <vector>

TZVWavOutput::TZVWavOutput(const std::string& pPath) : aPath(pPath) {}

TZVWavOutput::~TZVWavOutput() {
    if (aOutput) {
        Close();
        std::remove(PartName(aPath).c_str());
    }
}

bool TZVWavOutput::Begin(const TMediaFormat& pFormat, std::string& pError) {
    pError = "cannot write " + aPath;
    aChannels = pFormat.aAudioFormat.aChannels > 1 ? 2 : 1;
    const std::string part = PartName(aPath);
    if (avformat_alloc_output_context2(&aOutput, nullptr, "wav", part.c_str()) < 0)
        return false;
    AVStream* stream = avformat_new_stream(aOutput, nullptr);
    if (!stream)
        return false;
    stream->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
    stream->codecpar->codec_id = AV_CODEC_ID_PCM_S16LE;
    stream->codecpar->sample_rate = int(pFormat.aAudioFormat.aSamplesPerSec);
    stream->codecpar->bits_per_coded_sample = 16;
    stream->codecpar->block_align = 2 * aChannels;
    av_channel_layout_default(&stream->codecpar->ch_layout, aChannels);
    stream->time_base = AVRational{1, stream->codecpar->sample_rate};
    aOutput->flags |= AVFMT_FLAG_BITEXACT;
    if (avio_open(&aOutput->pb, part.c_str(), AVIO_FLAG_WRITE) < 0 ||
        avformat_write_header(aOutput, nullptr) < 0)
        return false;
    pError.clear();
    return true;
}

bool TZVWavOutput::AddFrame(long, const TBitmap*, const int16_t* pSound, int pCount,
                            std::string& pError) {
    if (pCount <= 0)
        return true;
    const size_t values = size_t(pCount) * aChannels;
    std::vector<int16_t> silence;
    if (!pSound) {
        silence.assign(values, 0);
        pSound = silence.data();
    }
    AVPacket* packet = av_packet_alloc();
    bool written = packet && av_new_packet(packet, int(values * 2)) == 0;
    if (written) {
        // Little-endian on this machine, as the format wants.
        std::copy_n(reinterpret_cast<const uint8_t*>(pSound), values * 2, packet->data);
        packet->pts = packet->dts = aWritten;
        packet->duration = pCount;
        written = av_write_frame(aOutput, packet) >= 0;
    }
    av_packet_free(&packet);
    aWritten += pCount;
    if (!written)
        pError = "cannot write " + aPath;
    return written;
}

bool TZVWavOutput::Finish(std::string& pError) {
    const bool trailed = av_write_trailer(aOutput) >= 0;
    if (!Close() || !trailed) {
        std::remove(PartName(aPath).c_str());
        pError = "cannot write " + aPath;
        return false;
    }
    return Publish(aPath, pError);
}

bool TZVWavOutput::Close() {
    const bool closed = !aOutput->pb || avio_closep(&aOutput->pb) >= 0;
    avformat_free_context(aOutput);
    aOutput = nullptr;
    return closed;
}
