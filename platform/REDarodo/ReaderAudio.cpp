#include "REDarodo/ReaderAudio.h"

#include "MediaIndex.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int64_t positionUNKNOWN = theUnknownFrame;
// Frames decoded forward rather than seeking, when the wanted one is that close ahead.
constexpr int64_t theForwardReach = 16384;
// Frames decoded after a seek before one whose place is known.
constexpr int thePlacingFrames = 4;

} // namespace

// The decoder and the last decoded frames, converted: aSamples hold the frames from aStart
// to aEnd, which lie before 0 for the priming the sound starts with. One thread decodes (the
// codec's own threads are off).
struct TReaderAudio::TState {
    std::shared_ptr<const TMediaSource> aSource;
    std::shared_ptr<const TAudioIndex> aIndex;
    int aChannels;
    TDecoding aDecoding;
    TResamplePtr aConvert;
    int aConvertFormat = AV_SAMPLE_FMT_NONE;
    AVChannelLayout aConvertLayout = {};
    bool aEnded = false;
    int64_t aLastTime = AV_NOPTS_VALUE;
    std::vector<int16_t> aSamples;
    int64_t aStart = 0;
    int64_t aEnd = 0;
    int64_t aPosition = 0;
    // The first frame that reads as silence because the file could not be read.
    int64_t aLostFrom = INT64_MAX;

    TState(std::shared_ptr<const TMediaSource> pSource, std::shared_ptr<const TAudioIndex> pIndex)
        : aSource(std::move(pSource)), aIndex(std::move(pIndex)),
          aChannels(aIndex->aChannels > 1 ? 2 : 1) {}
    ~TState() { av_channel_layout_uninit(&aConvertLayout); }
    TState(const TState&) = delete;
    TState& operator=(const TState&) = delete;

    // Opens the file anew, at its start. False when it fails: the rest reads as silence.
    bool Restart() {
        aSamples.clear();
        aStart = aEnd = 0;
        aLastTime = AV_NOPTS_VALUE;
        aEnded = !aDecoding.Open(*aSource, aIndex->aStream);
        return !aEnded;
    }

    // Sets the converter up for aFrame's format and layout, unless it already is: only the
    // sample format and the channels change, never the rate.
    bool Convertible() {
        AVFrame* frame = aDecoding.aFrame.get();
        if (aConvert && frame->format == aConvertFormat &&
            av_channel_layout_compare(&frame->ch_layout, &aConvertLayout) == 0)
            return true;
        AVChannelLayout target;
        av_channel_layout_default(&target, aChannels);
        SwrContext* convert = nullptr;
        const int rate = aIndex->aRate;
        const bool made =
            swr_alloc_set_opts2(&convert, &target, AV_SAMPLE_FMT_S16, rate, &frame->ch_layout,
                                AVSampleFormat(frame->format), rate, 0, nullptr) >= 0;
        aConvert.reset(convert);
        av_channel_layout_uninit(&aConvertLayout);
        aConvertFormat = frame->format;
        if (!made || swr_init(convert) < 0 ||
            av_channel_layout_copy(&aConvertLayout, &frame->ch_layout) < 0) {
            aConvert = nullptr;
            return false;
        }
        return true;
    }

    // Decodes the next frames into aSamples; false at the end.
    bool DecodeNext() {
        AVFrame* frame = aDecoding.aFrame.get();
        if (aEnded || !aDecoding.Receive() || frame->sample_rate != aIndex->aRate) {
            aEnded = true;
            return false;
        }
        const int frames = frame->nb_samples;
        // Already what the reader delivers: copied as it is.
        const bool same = frame->format == AV_SAMPLE_FMT_S16 &&
                          frame->ch_layout.nb_channels == aChannels && frames >= 0;
        if (same) {
            const int16_t* samples = reinterpret_cast<const int16_t*>(frame->data[0]);
            aSamples.assign(samples, samples + int64_t(frames) * aChannels);
        } else if (!Convertible()) {
            aEnded = true;
            return false;
        } else {
            aSamples.resize(size_t(frames) * aChannels);
            uint8_t* target[] = {reinterpret_cast<uint8_t*>(aSamples.data())};
            const int converted =
                swr_convert(aConvert.get(), target, frames,
                            const_cast<const uint8_t**>(frame->extended_data), frames);
            aSamples.resize(size_t(std::max(converted, 0)) * aChannels);
        }
        // Where the frames lie: from their packet, else right after the last ones.
        const int64_t time = frame->pts;
        const int64_t start =
            time != aLastTime ? aIndex->StartOf(time, frame->pkt_pos) : positionUNKNOWN;
        aLastTime = time;
        aStart = start != positionUNKNOWN  ? start
                 : aEnd == positionUNKNOWN ? positionUNKNOWN
                                           : aEnd;
        aEnd = aStart == positionUNKNOWN ? positionUNKNOWN
                                         : aStart + int64_t(aSamples.size()) / aChannels;
        return true;
    }

    // Seeks the file before packet pPacket and decodes the first frames there; true when
    // they start at or before pFrame, the frame the decoding must start with.
    bool SeekPacket(size_t pPacket, int64_t pFrame) {
        if (!aDecoding.aInput && !Restart())
            return false;
        aEnded = false;
        aLastTime = AV_NOPTS_VALUE;
        aStart = aEnd = positionUNKNOWN;
        aSamples.clear();
        if (!aDecoding.Seek(aIndex->aTimes[pPacket]))
            return false;
        // A demuxer that seeks by bytes may give a piece of a packet first, which lies nowhere.
        for (int frame = 0; frame < thePlacingFrames && DecodeNext(); ++frame)
            if (aStart != positionUNKNOWN)
                return aStart <= pFrame;
        return false;
    }

    void Seek(int64_t pFrame) {
        aPosition = std::min(std::max(pFrame, int64_t(0)), aIndex->aFrames);
        if (aDecoding.aInput && aStart != positionUNKNOWN && aPosition >= aStart &&
            aPosition <= aEnd + theForwardReach)
            return;
        // Each try starts further back; the last one at the start of the file. The decoder
        // starts the preroll before, so that the frames wanted are those of a decode from the
        // start.
        const int64_t from = aPosition - aIndex->aPreroll;
        const size_t packet = aIndex->PacketOf(from);
        for (size_t back = 0; back < 64 && back < packet; back = back * 2 + 1)
            if (SeekPacket(packet - back, from))
                return;
        Restart();
    }

    // Copies or fills up to pFrames frames from aPosition on; the count done.
    int64_t Deliver(int16_t* pBuffer, int64_t pFrames) {
        int64_t count, first = 0;
        if (aPosition < aIndex->aFirst) {
            count = std::min(pFrames, aIndex->aFirst - aPosition); // before the sound starts
            std::fill_n(pBuffer, count * aChannels, int16_t(0));
        } else if (aStart != positionUNKNOWN && aPosition >= aStart && aPosition < aEnd) {
            count = std::min(pFrames, aEnd - aPosition);
            first = (aPosition - aStart) * aChannels;
            std::copy_n(aSamples.begin() + first, count * aChannels, pBuffer);
        } else if (aStart != positionUNKNOWN && aPosition < aStart) {
            count = std::min(pFrames, aStart - aPosition); // a gap in the file: silence
            std::fill_n(pBuffer, count * aChannels, int16_t(0));
        } else if (!aEnded && DecodeNext()) {
            return 0;
        } else {
            count = pFrames; // undecodable from here: silence to the end
            std::fill_n(pBuffer, count * aChannels, int16_t(0));
            if (!aDecoding.aFailure.empty())
                aLostFrom = std::min(aLostFrom, aPosition);
        }
        aPosition += count;
        return count;
    }

    int Read(int16_t* pBuffer, int pFrames) {
        if (!aDecoding.aInput && !aEnded)
            Restart();
        const int64_t wanted = std::min(int64_t(std::max(pFrames, 0)), aIndex->aFrames - aPosition);
        int64_t done = 0;
        while (done < wanted)
            done += Deliver(pBuffer + done * aChannels, wanted - done);
        return int(done);
    }
};

TReaderAudio::TReaderAudio(std::shared_ptr<const TMediaSource> pSource,
                           std::shared_ptr<const TAudioIndex> pIndex)
    : aState(std::make_unique<TState>(std::move(pSource), std::move(pIndex))) {}

TReaderAudio::~TReaderAudio() = default;

TAudioFormat TReaderAudio::GetFormat() const {
    return TAudioFormat{aState->aIndex->aRate, aState->aChannels};
}

int64_t TReaderAudio::GetFrameCount() const {
    return aState->aIndex->aFrames;
}

int64_t TReaderAudio::GetPosition() const {
    return aState->aPosition;
}

void TReaderAudio::Seek(int64_t pFrame) {
    TMediaLogScope scope(aState->aSource->aLog);
    aState->Seek(pFrame);
}

int TReaderAudio::Read(int16_t* pBuffer, int pFrames) {
    const int read = ReadAhead(pBuffer, pFrames);
    SayLossBefore(aState->aPosition);
    return read;
}

int TReaderAudio::ReadAhead(int16_t* pBuffer, int pFrames) {
    TMediaLogScope scope(aState->aSource->aLog);
    return aState->Read(pBuffer, pFrames);
}

void TReaderAudio::SayLossBefore(int64_t pEnd) {
    if (aState->aLostFrom < pEnd)
        aState->aSource->NoteFailure(aState->aDecoding.aFailure);
}
