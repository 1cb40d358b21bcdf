#include "WavOutput.h"

#include "DLL/Edt/MediaFormat.h"
#include "PartFile.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <vector>

TZVWavOutput::TZVWavOutput(const std::string& pPath) : aPath(pPath) {}

TZVWavOutput::~TZVWavOutput() {
    if (aOutput)
        Close();
}

bool TZVWavOutput::Begin(const TMediaFormat& pFormat, std::string& pError) {
    aFile = std::make_unique<TZVPartFile>(aPath);
    if (!aFile->IsOpen())
        return Failed(pError, std::string());
    aChannels = pFormat.aAudioFormat.aChannels > 1 ? 2 : 1;
    const std::string& part = aFile->GetPartName();
    int result = avformat_alloc_output_context2(&aOutput, nullptr, "wav", part.c_str());
    if (result < 0)
        return Failed(pError, FFmpegReason(result));
    AVStream* stream = avformat_new_stream(aOutput, nullptr);
    if (!stream)
        return Failed(pError, FFmpegReason(AVERROR(ENOMEM)));
    stream->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
    stream->codecpar->codec_id = AV_CODEC_ID_PCM_S16LE;
    stream->codecpar->sample_rate = int(pFormat.aAudioFormat.aSamplesPerSec);
    stream->codecpar->bits_per_coded_sample = 16;
    stream->codecpar->block_align = 2 * aChannels;
    av_channel_layout_default(&stream->codecpar->ch_layout, aChannels);
    stream->time_base = AVRational{1, stream->codecpar->sample_rate};
    aOutput->flags |= AVFMT_FLAG_BITEXACT;
    result = avio_open(&aOutput->pb, part.c_str(), AVIO_FLAG_WRITE);
    if (result >= 0)
        result = avformat_write_header(aOutput, nullptr);
    return result >= 0 || Failed(pError, FFmpegReason(result));
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
    int result = packet ? av_new_packet(packet, int(values * 2)) : AVERROR(ENOMEM);
    if (result >= 0) {
        // Little-endian on this machine, as the format wants.
        std::copy_n(reinterpret_cast<const uint8_t*>(pSound), values * 2, packet->data);
        packet->pts = packet->dts = aWritten;
        packet->duration = pCount;
        result = av_write_frame(aOutput, packet);
    }
    av_packet_free(&packet);
    aWritten += pCount;
    // The file's buffer reports a failed write (a full disk) at the next write.
    if (result >= 0 && aOutput->pb->error < 0)
        result = aOutput->pb->error;
    return result >= 0 || Failed(pError, FFmpegReason(result));
}

bool TZVWavOutput::Finish(std::string& pError) {
    int result = av_write_trailer(aOutput);
    const int closed = Close();
    if (result >= 0)
        result = closed;
    if (result < 0)
        return Failed(pError, FFmpegReason(result));
    if (!aFile->Publish())
        return Failed(pError, std::string());
    return true;
}

int TZVWavOutput::Close() {
    int result = 0;
    if (aOutput->pb) {
        result = aOutput->pb->error < 0 ? aOutput->pb->error : 0;
        const int closed = avio_closep(&aOutput->pb);
        if (result >= 0)
            result = closed;
    }
    avformat_free_context(aOutput);
    aOutput = nullptr;
    return result;
}

bool TZVWavOutput::Failed(std::string& pError, const std::string& pReason) {
    if (!pReason.empty())
        aFile->Fail(pReason);
    pError = aFile->Error();
    return false;
}
