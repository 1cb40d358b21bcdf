#include "WavOutput.h"

#include "DLL/Edt/MediaFormat.h"
#include "FileIo.h"
#include "PartFile.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <vector>

namespace {

void PutLittleEndian32(std::string& pBytes, size_t pAt, uint32_t pValue) {
    for (size_t i = 0; i < 4; ++i)
        pBytes[pAt + i] = char(pValue >> (8 * i));
}

// Puts the sizes of pBytes bytes of sound into pHeader, which ends where the sound begins,
// where FFmpeg leaves them unknown: after "RIFF" and after "data". A sound too long for them
// leaves them unknown.
void SetSizes(std::string& pHeader, int64_t pBytes) {
    const size_t size = pHeader.size();
    if (size < 12 || pHeader.compare(0, 4, "RIFF") != 0 ||
        pHeader.compare(size - 8, 4, "data") != 0 || int64_t(size) - 8 + pBytes > UINT32_MAX)
        return;
    PutLittleEndian32(pHeader, 4, uint32_t(int64_t(size) - 8 + pBytes));
    PutLittleEndian32(pHeader, size - 4, uint32_t(pBytes));
}

} // namespace

TZVWavOutput::TZVWavOutput(const std::string& pPath, int64_t pSampleFrames)
    : aPath(pPath), aAnnounced(pSampleFrames) {}

TZVWavOutput::~TZVWavOutput() {
    if (aOutput)
        Close();
}

bool TZVWavOutput::Begin(const TMediaFormat& pFormat, std::string& pError) {
    aFile = std::make_unique<TZVPartFile>(aPath);
    if (!aFile->IsOpen())
        return Failed(pError, std::string());
    aIo = std::make_unique<TZVFileIo>(*aFile);
    aChannels = pFormat.aAudioFormat.aChannels > 1 ? 2 : 1;
    int result = aIo->Get() ? avformat_alloc_output_context2(&aOutput, nullptr, "wav", nullptr)
                            : AVERROR(ENOMEM);
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
    aOutput->flags |= AVFMT_FLAG_BITEXACT | AVFMT_FLAG_CUSTOM_IO;
    aOutput->pb = aIo->Get();
    const bool completeNow = !aFile->IsSeekable();
    if (completeNow)
        aIo->Hold();
    result = avformat_write_header(aOutput, nullptr);
    if (result < 0)
        return Failed(pError, FFmpegReason(result));
    if (!completeNow)
        return true;
    SetSizes(aIo->Held(), aAnnounced * aChannels * 2);
    return aIo->Release() || Failed(pError, std::string());
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
    // A header written at the start tells the sound's length.
    if (!aFile->IsSeekable() && aWritten != aAnnounced)
        return Failed(pError, "the sound is " + std::to_string(aWritten) +
                                  " frames long, not the " + std::to_string(aAnnounced) +
                                  " its header says");
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
    const int result = aIo->Flush();
    aOutput->pb = nullptr;
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
