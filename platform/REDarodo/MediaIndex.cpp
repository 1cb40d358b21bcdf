#include "MediaIndex.h"

#include "PacketFrames.h"

extern "C" {
#include <libavutil/display.h>
}

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>

namespace {

// The sound's packets kept for a look at where its decoded frames start and end: enough for
// a decoder that outputs each packet's frames one packet late (Vorbis).
constexpr size_t theEndPackets = 8;
// The most pictures a decoder holds back to put them in presentation order (H.264's bound).
constexpr int theMaxDelay = 16;

// The stream of that type that the medium plays: the first one, cover pictures aside.
int FirstStream(const AVFormatContext* pInput, AVMediaType pType) {
    for (unsigned i = 0; i < pInput->nb_streams; ++i) {
        const AVStream* stream = pInput->streams[i];
        if (stream->codecpar->codec_type == pType &&
            !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return int(i);
    }
    return -1;
}

bool Valid(AVRational pRate) {
    return pRate.num > 0 && pRate.den > 0;
}

// Images and image sequences show 25 images a second; other files say their rate.
AVRational ImageRate(const AVFormatContext* pInput, const AVStream* pStream) {
    const std::string demuxer = pInput->iformat->name;
    const bool images = demuxer == "image2" || demuxer.find("_pipe") != std::string::npos;
    if (!images && Valid(pStream->r_frame_rate))
        return pStream->r_frame_rate;
    if (!images && Valid(pStream->avg_frame_rate))
        return pStream->avg_frame_rate;
    return AVRational{25, 1};
}

// The quarter turns clockwise that pStream's display matrix asks for, as FFmpeg's own
// players turn the pictures; mirroring aside.
int QuarterTurns(const AVStream* pStream) {
    size_t size = 0;
    const uint8_t* matrix = av_stream_get_side_data(pStream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!matrix || size < 9 * sizeof(int32_t))
        return 0;
    const double degrees = -av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
    if (!std::isfinite(degrees))
        return 0;
    return int(std::lround(degrees / 90) % 4 + 4) % 4;
}

// pA + pB, held within the 64-bit range: a hostile file's times may lie anywhere.
int64_t Saturated(int64_t pA, int64_t pB) {
    int64_t sum;
    return __builtin_add_overflow(pA, pB, &sum) ? (pB > 0 ? INT64_MAX : INT64_MIN) : sum;
}

bool Refuse(wxString* pReason, const wxString& pText) {
    *pReason = pText;
    return false;
}

bool MakeVideo(const AVFormatContext* pInput, int pStream, TVideoIndex& pIndex, wxString* pReason) {
    const AVStream* stream = pInput->streams[pStream];
    const AVCodecParameters* parameters = stream->codecpar;
    pIndex.aStream = pStream;
    pIndex.aWidth = parameters->width;
    pIndex.aHeight = parameters->height;
    if (pIndex.aWidth < 1 || pIndex.aHeight < 1)
        return Refuse(pReason, "The image size is unknown");
    if (pIndex.aWidth > theMaxImageSide || pIndex.aHeight > theMaxImageSide)
        return Refuse(pReason, wxString::Format("The images are larger than %d pixels a side",
                                                theMaxImageSide));
    pIndex.aTurns = QuarterTurns(stream);
    if (pIndex.aTurns % 2)
        std::swap(pIndex.aWidth, pIndex.aHeight);
    const AVPixFmtDescriptor* pixels = av_pix_fmt_desc_get(AVPixelFormat(parameters->format));
    pIndex.aAlpha = pixels && (pixels->flags & AV_PIX_FMT_FLAG_ALPHA);
    pIndex.aRate = ImageRate(pInput, stream);
    return true;
}

bool MakeAudio(const AVFormatContext* pInput, int pStream, TAudioIndex& pIndex, wxString* pReason) {
    const AVCodecParameters* parameters = pInput->streams[pStream]->codecpar;
    pIndex.aStream = pStream;
    pIndex.aRate = parameters->sample_rate;
    pIndex.aChannels = parameters->ch_layout.nb_channels;
    if (pIndex.aRate < 1 || pIndex.aRate > 1000000 || pIndex.aChannels < 1 || pIndex.aChannels > 64)
        return Refuse(pReason, "The sound format is not supported");
    return true;
}

// A packet's time: its presentation time, else its decoding time, else its position.
int64_t PacketTime(const AVPacket* pPacket, size_t pOrdinal) {
    if (pPacket->pts != AV_NOPTS_VALUE)
        return pPacket->pts;
    return pPacket->dts != AV_NOPTS_VALUE ? pPacket->dts : int64_t(pOrdinal);
}

void Sort(TAudioIndex& pIndex) {
    std::vector<size_t> order(pIndex.aTimes.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t p1, size_t p2) { return pIndex.aTimes[p1] < pIndex.aTimes[p2]; });
    std::vector<int64_t> times, starts, positions;
    for (size_t i : order) {
        times.push_back(pIndex.aTimes[i]);
        starts.push_back(pIndex.aStarts[i]);
        positions.push_back(pIndex.aPositions[i]);
    }
    pIndex.aTimes.swap(times);
    pIndex.aStarts.swap(starts);
    pIndex.aPositions.swap(positions);
    // The packets by position, those that share theirs (laced in one block) left out.
    std::vector<size_t>& alone = pIndex.aByPosition;
    for (size_t i = 0; i < order.size(); ++i)
        if (pIndex.aPositions[i] >= 0)
            alone.push_back(i);
    const auto before = [&](size_t p1, size_t p2) {
        return pIndex.aPositions[p1] < pIndex.aPositions[p2];
    };
    std::sort(alone.begin(), alone.end(), before);
    std::vector<size_t> unique;
    for (size_t i = 0; i < alone.size(); ++i)
        if ((i == 0 || before(alone[i - 1], alone[i])) &&
            (i + 1 == alone.size() || before(alone[i], alone[i + 1])))
            unique.push_back(alone[i]);
    alone.swap(unique);
}

// The first and the last packets of the sound, as the scan meets them.
struct TSoundEnds {
    std::vector<TPacketPtr> aFirst;
    std::deque<TPacketPtr> aLast;

    void Keep(const AVPacket* pPacket) {
        TPacketPtr copy(av_packet_clone(pPacket));
        if (!copy)
            return;
        if (aFirst.size() < theEndPackets) {
            aFirst.push_back(TPacketPtr(av_packet_clone(pPacket)));
            if (!aFirst.back())
                aFirst.pop_back();
        }
        aLast.push_back(std::move(copy));
        if (aLast.size() > theEndPackets)
            aLast.pop_front();
    }
};

// What the scan learns of the pictures besides the index: in decode order, which are
// keyframes and the decoding times of the first ones; and where the last one ends.
struct TPictureScan {
    std::vector<size_t> aKeys;
    std::vector<int64_t> aDecodeTimes;
    int64_t aEnd = INT64_MIN;

    // Notes pPacket, the picture pIndex in decode order.
    void Note(const AVPacket* pPacket, size_t pIndex) {
        if (pPacket->pts != AV_NOPTS_VALUE)
            aEnd = std::max(aEnd, Saturated(pPacket->pts, std::max<int64_t>(pPacket->duration, 0)));
        if (pPacket->flags & AV_PKT_FLAG_KEY)
            aKeys.push_back(pIndex);
        if (aDecodeTimes.size() < size_t(2 * theMaxDelay + 1))
            aDecodeTimes.push_back(pPacket->dts);
    }
};

bool ReadPackets(AVFormatContext* pInput, TVideoIndex* pVideo, TPictureScan& pPictures,
                 TAudioIndex* pAudio, TSoundEnds& pEnds, wxString* pReason) {
    TPacketPtr packet(av_packet_alloc());
    if (!packet)
        return Refuse(pReason, "Out of memory");
    std::unique_ptr<TPacketFrames> counter;
    if (pAudio)
        counter = std::make_unique<TPacketFrames>(pInput->streams[pAudio->aStream]);
    while (av_read_frame(pInput, packet.get()) >= 0) {
        const AVPacket* p = packet.get();
        // Pictures the container marks to be dropped (outside an edit list) are not shown;
        // such sound is decoded, and its frames trimmed as a decode from the start trims them.
        if (pVideo && p->stream_index == pVideo->aStream && (p->flags & AV_PKT_FLAG_DISCARD))
            ;
        else if (pVideo && p->stream_index == pVideo->aStream) {
            if (pVideo->aTimes.size() >= size_t(theMaxPackets))
                return Refuse(pReason, wxString::Format("The file holds more than %ld images",
                                                        theMaxPackets));
            // A picture without a presentation time is timed once all are read.
            pPictures.Note(p, pVideo->aTimes.size());
            pVideo->aTimes.push_back(p->pts);
        } else if (pAudio && p->stream_index == pAudio->aStream) {
            if (pAudio->aTimes.size() >= size_t(theMaxPackets))
                return Refuse(pReason, "The sound has too many packets");
            const int64_t frames = counter->Count(p);
            if (frames > theMaxFrames - pAudio->aFrames)
                return Refuse(pReason, "The sound is too long");
            pAudio->aTimes.push_back(PacketTime(p, pAudio->aTimes.size()));
            pAudio->aStarts.push_back(pAudio->aFrames);
            pAudio->aPositions.push_back(p->pos);
            pAudio->aFrames += frames;
            pEnds.Keep(p);
        }
        av_packet_unref(packet.get());
    }
    if (!pAudio)
        return true;
    // What the decoder held belongs to the last packets.
    const int64_t rest = counter->Rest();
    if (rest > theMaxFrames - pAudio->aFrames)
        return Refuse(pReason, "The sound is too long");
    pAudio->aFrames += rest;
    return true;
}

// Where picture pImage lies when pictures follow each other at pRate from pFirst on.
int64_t SlotTime(int64_t pFirst, int64_t pImage, AVRational pRate, AVRational pTimeBase) {
    return Saturated(pFirst, av_rescale_q(pImage, av_inv_q(pRate), pTimeBase));
}

// The first picture's time on FFmpeg's timeline: the presentation time of the first picture
// decoded; without one, the time the decoder stamps it with, the decoding time of the picture
// it is given once it holds pDelay more to reorder them (counted on at pRate from the nearest
// picture with one where it has none); 0 where no picture has either.
int64_t FirstTime(const TVideoIndex& pIndex, const TPictureScan& pPictures, int pDelay,
                  AVRational pTimeBase) {
    if (pIndex.aTimes.front() != AV_NOPTS_VALUE)
        return pIndex.aTimes.front();
    long nearest = -1;
    for (long i = 0; i < long(pPictures.aDecodeTimes.size()); ++i)
        if (pPictures.aDecodeTimes[size_t(i)] != AV_NOPTS_VALUE &&
            (nearest < 0 || std::abs(i - pDelay) < std::abs(nearest - pDelay)))
            nearest = i;
    return nearest < 0 ? 0
                       : SlotTime(pPictures.aDecodeTimes[size_t(nearest)], pDelay - nearest,
                                  pIndex.aRate, pTimeBase);
}

// Pictures without a presentation time (some containers stamp only some pictures, others
// only their decoding) take theirs from decode order and the frame rate, as FFmpeg's decoder
// stamps them: the times at the frame rate from the first picture on that no picture has.
// Then the keyframes' times are known.
void TimeUntimed(TVideoIndex& pIndex, const TPictureScan& pPictures, int pDelay,
                 AVRational pTimeBase) {
    std::vector<int64_t> timed;
    for (int64_t time : pIndex.aTimes)
        if (time != AV_NOPTS_VALUE)
            timed.push_back(time);
    if (timed.size() < pIndex.aTimes.size()) {
        std::sort(timed.begin(), timed.end());
        const int64_t first = FirstTime(pIndex, pPictures, pDelay, pTimeBase);
        size_t taken = 0;
        int64_t slot = 0;
        for (int64_t& time : pIndex.aTimes) {
            while (time == AV_NOPTS_VALUE) {
                const int64_t at = SlotTime(first, slot++, pIndex.aRate, pTimeBase);
                while (taken < timed.size() && timed[taken] < at)
                    ++taken;
                if (taken < timed.size() && timed[taken] == at)
                    ++taken;
                else
                    time = at;
            }
        }
    }
    for (size_t key : pPictures.aKeys)
        pIndex.aKeyTimes.push_back(pIndex.aTimes[key]);
}

// Pictures whose timestamps step irregularly (more than one time unit apart, which rounding
// explains) become images at their average rate, pEnd being where the last one ends (as long
// as the step before it when the file does not say): each image the picture on screen at its
// time, so that the medium lasts as long as it plays. The last pDelay steps do not count: a
// file cut short may lack pictures there that the decoder would show before the last ones,
// and the pictures it holds keep their times.
void Regularize(TVideoIndex& pIndex, AVRational pTimeBase, int64_t pEnd, int pDelay) {
    const std::vector<int64_t>& times = pIndex.aTimes;
    const int64_t first = times.front(), last = times.back();
    // Times too far apart to count with are left as they are.
    int64_t span = 0, length = 0;
    if (times.size() < 3 || __builtin_sub_overflow(last, first, &span) || pTimeBase.num <= 0 ||
        pTimeBase.den <= 0)
        return;
    int64_t shortest = INT64_MAX, longest = 0;
    for (size_t i = 1; i + size_t(pDelay) < times.size(); ++i) {
        shortest = std::min(shortest, times[i] - times[i - 1]);
        longest = std::max(longest, times[i] - times[i - 1]);
    }
    if (pEnd <= last)
        pEnd = Saturated(last, last - times[times.size() - 2]);
    AVRational rate;
    if (longest - shortest <= 1 || __builtin_sub_overflow(pEnd, first, &length) ||
        length > INT64_MAX / pTimeBase.num ||
        !av_reduce(&rate.num, &rate.den, int64_t(times.size()) * pTimeBase.den,
                   length * pTimeBase.num, 1000000) ||
        rate.num <= 0 || rate.den <= 0)
        return;
    pIndex.aRate = rate;
    pIndex.aShown.resize(times.size());
    for (size_t k = 0; k < times.size(); ++k) {
        const int64_t time =
            Saturated(first, av_rescale_rnd(int64_t(k), int64_t(rate.den) * pTimeBase.den,
                                            int64_t(rate.num) * pTimeBase.num, AV_ROUND_DOWN));
        const auto after = std::upper_bound(times.begin(), times.end(), time);
        pIndex.aShown[k] = long(after - times.begin()) - 1;
    }
}

uint32_t LittleEndian32(const uint8_t* pBytes) {
    return uint32_t(pBytes[0]) | uint32_t(pBytes[1]) << 8 | uint32_t(pBytes[2]) << 16 |
           uint32_t(pBytes[3]) << 24;
}

// Decodes pPackets with a fresh decoder of pStream, to their end, and calls pFrame with each
// frame, the priming samples to skip at its start and the padding to drop at its end; stops
// where pFrame answers false.
void DecodeFrames(const AVStream* pStream, const std::vector<const AVPacket*>& pPackets,
                  const std::function<bool(const AVFrame&, int64_t, int64_t)>& pFrame) {
    TCodecPtr decoder = OpenDecoder(pStream);
    TFramePtr frame(av_frame_alloc());
    if (!decoder || !frame)
        return;
    for (size_t i = 0; i <= pPackets.size(); ++i) {
        avcodec_send_packet(decoder.get(), i < pPackets.size() ? pPackets[i] : nullptr);
        while (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
            const AVFrameSideData* trim =
                av_frame_get_side_data(frame.get(), AV_FRAME_DATA_SKIP_SAMPLES);
            const bool trimmed = trim && trim->size >= 8;
            if (!pFrame(*frame, trimmed ? LittleEndian32(trim->data) : 0,
                        trimmed ? LittleEndian32(trim->data + 4) : 0))
                return;
        }
    }
}

template <class TList>
std::vector<const AVPacket*> Packets(const TList& pPackets) {
    std::vector<const AVPacket*> packets;
    for (const TPacketPtr& packet : pPackets)
        packets.push_back(packet.get());
    return packets;
}

// Counts the frames from the first one that a decode from the start keeps: after the frames
// of packets that decode to nothing and the priming samples that the decoder skips, up to the
// padding it drops at the end. Learnt by decoding the first and the last packets.
void TrimSound(const AVStream* pStream, const TSoundEnds& pEnds, TAudioIndex& pIndex) {
    int64_t first = 0, end = pIndex.aFrames;
    DecodeFrames(pStream, Packets(pEnds.aFirst),
                 [&](const AVFrame& pFrame, int64_t pSkip, int64_t) {
                     const int64_t start = pIndex.StartAt(pFrame.pts);
                     first = (start == theUnknownFrame ? 0 : start) + pSkip;
                     return false;
                 });
    int64_t last = theUnknownFrame;
    DecodeFrames(
        pStream, Packets(pEnds.aLast), [&](const AVFrame& pFrame, int64_t, int64_t pDiscard) {
            const int64_t start = pIndex.StartAt(pFrame.pts);
            const int64_t from = start != theUnknownFrame ? start : last;
            if (from != theUnknownFrame)
                last = from + pFrame.nb_samples - std::min<int64_t>(pDiscard, pFrame.nb_samples);
            return true;
        });
    if (last != theUnknownFrame)
        end = std::min(last, end);
    first = std::min(first, end);
    for (int64_t& start : pIndex.aStarts)
        start -= first;
    pIndex.aFrames = end - first;
    const AVCodecDescriptor* codec = avcodec_descriptor_get(pStream->codecpar->codec_id);
    // DTS is lossless only in its extensions: a codec that may be lossy settles as lossy ones do.
    const bool lossless =
        codec && (codec->props & AV_CODEC_PROP_LOSSLESS) && !(codec->props & AV_CODEC_PROP_LOSSY);
    // Lossy decoders carry state from packet to packet (overlapping transforms, MP3's bit
    // reservoir, Opus's predictions), which a second of decoding settles.
    pIndex.aPreroll =
        lossless ? 0 : std::max<int64_t>(pIndex.aRate, pStream->codecpar->seek_preroll);
}

// Puts the sound on the medium's timeline, whose time 0 is the first picture, as players
// place the tracks of a file by their times. False when the sound then lasts too long.
bool PlaceSound(const AVStream* pVideoStream, const TVideoIndex& pVideo,
                const AVStream* pAudioStream, TAudioIndex& pAudio, wxString* pReason) {
    const AVRational frames = {1, pAudio.aRate};
    const auto rounding = AVRounding(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX);
    const int64_t picture =
        av_rescale_q_rnd(pVideo.aTimes.front(), pVideoStream->time_base, frames, rounding);
    const int64_t sound = Saturated(
        av_rescale_q_rnd(pAudio.aTimes.front(), pAudioStream->time_base, frames, rounding),
        -pAudio.aStarts.front());
    const int64_t lead = Saturated(sound, picture == INT64_MIN ? INT64_MAX : -picture);
    if (lead > theMaxFrames - pAudio.aFrames)
        return Refuse(pReason, "The sound is too long");
    // Wholly before the first picture, it is never heard.
    const int64_t placed = std::max(lead, -pAudio.aFrames);
    for (int64_t& start : pAudio.aStarts)
        start += placed;
    pAudio.aFrames += placed;
    pAudio.aFirst = std::max<int64_t>(placed, 0);
    return true;
}

// Why the sound pStream of pInput gives nothing to play: its codec and its container.
wxString Unplayable(const AVFormatContext* pInput, const AVStream* pStream) {
    const AVCodecID codec = pStream->codecpar->codec_id;
    const char* const container =
        pInput->iformat->long_name ? pInput->iformat->long_name : pInput->iformat->name;
    return wxString::Format(avcodec_find_decoder(codec)
                                ? "The sound cannot be played: its codec (%s) in %s decodes "
                                  "to nothing"
                                : "The sound cannot be played: FFmpeg has no decoder for its "
                                  "codec (%s) in %s",
                            avcodec_get_name(codec), container);
}

} // namespace

long TVideoIndex::ImageCount() const {
    return long(aShown.empty() ? aTimes.size() : aShown.size());
}

long TVideoIndex::PictureOf(long pImage) const {
    return aShown.empty() ? pImage : aShown[size_t(pImage)];
}

long TVideoIndex::Find(int64_t pTime, long pAfter) const {
    const auto found = std::lower_bound(aTimes.begin(), aTimes.end(), pTime);
    if (found == aTimes.end() || *found != pTime)
        return -1;
    long image = long(found - aTimes.begin());
    while (image <= pAfter && size_t(image + 1) < aTimes.size() && aTimes[image + 1] == pTime)
        ++image;
    return image;
}

bool TVideoIndex::KeyTimeBefore(long pImage, int pBack, int64_t* pTime) const {
    const auto after = std::upper_bound(aKeyTimes.begin(), aKeyTimes.end(), aTimes[pImage]);
    long key = std::max(long(after - aKeyTimes.begin()) - 1, 0L) - pBack;
    if (key < 0 || size_t(key) >= aKeyTimes.size())
        return false;
    *pTime = aKeyTimes[key];
    return true;
}

int64_t TAudioIndex::StartAt(int64_t pTime) const {
    const auto found = std::lower_bound(aTimes.begin(), aTimes.end(), pTime);
    return found == aTimes.end() || *found != pTime ? theUnknownFrame
                                                    : aStarts[found - aTimes.begin()];
}

int64_t TAudioIndex::StartOf(int64_t pTime, int64_t pPosition) const {
    const auto found = std::lower_bound(
        aByPosition.begin(), aByPosition.end(), pPosition,
        [this](size_t pPacket, int64_t pAt) { return aPositions[pPacket] < pAt; });
    if (pPosition >= 0 && found != aByPosition.end() && aPositions[*found] == pPosition)
        return aStarts[*found];
    return StartAt(pTime);
}

size_t TAudioIndex::PacketOf(int64_t pFrame) const {
    size_t packet = 0;
    for (size_t low = 0, high = aStarts.size(); low < high;) {
        const size_t middle = (low + high) / 2;
        if (aStarts[middle] <= pFrame)
            packet = middle, low = middle + 1;
        else
            high = middle;
    }
    return packet;
}

bool ScanMedia(TMediaSource& pSource, std::shared_ptr<TVideoIndex>* pVideo,
               std::shared_ptr<TAudioIndex>* pAudio, wxString* pReason) {
    TMediaLogScope scope(pSource.aLog);
    TInputPtr input = OpenInput(pSource, pReason);
    if (!input)
        return false;
    const int video = FirstStream(input.get(), AVMEDIA_TYPE_VIDEO);
    const int audio = FirstStream(input.get(), AVMEDIA_TYPE_AUDIO);
    if (video < 0 && audio < 0)
        return Refuse(pReason, "The file holds neither images nor sound");
    auto videoIndex = video < 0 ? nullptr : std::make_shared<TVideoIndex>();
    auto audioIndex = audio < 0 ? nullptr : std::make_shared<TAudioIndex>();
    TSoundEnds soundEnds;
    TPictureScan pictures;
    if ((videoIndex && !MakeVideo(input.get(), video, *videoIndex, pReason)) ||
        (audioIndex && !MakeAudio(input.get(), audio, *audioIndex, pReason)) ||
        !ReadPackets(input.get(), videoIndex.get(), pictures, audioIndex.get(), soundEnds, pReason))
        return false;
    // A refused image ends the packets early: the sequence is not what it says.
    const wxString refused = Refusal(input.get());
    if (!refused.empty())
        return Refuse(pReason, refused);
    if (!pSource.aSequence && input->pb)
        pSource.aSize = avio_size(input->pb);
    for (unsigned i = 0; i < input->nb_streams; ++i)
        pSource.aStreams.emplace_back(*input->streams[i]);
    if (videoIndex && videoIndex->aTimes.empty())
        videoIndex = nullptr;
    if (videoIndex) {
        const AVStream* stream = input->streams[video];
        const int delay = std::clamp(stream->codecpar->video_delay, 0, theMaxDelay);
        TimeUntimed(*videoIndex, pictures, delay, stream->time_base);
        std::sort(videoIndex->aTimes.begin(), videoIndex->aTimes.end());
        std::sort(videoIndex->aKeyTimes.begin(), videoIndex->aKeyTimes.end());
        Regularize(*videoIndex, stream->time_base, pictures.aEnd, delay);
    }
    if (audioIndex) {
        Sort(*audioIndex);
        TrimSound(input->streams[audio], soundEnds, *audioIndex);
        if (videoIndex && !audioIndex->aTimes.empty() &&
            !PlaceSound(input->streams[video], *videoIndex, input->streams[audio], *audioIndex,
                        pReason))
            return false;
        if (audioIndex->aFrames == 0)
            audioIndex = nullptr;
    }
    if (!videoIndex && !audioIndex)
        return Refuse(pReason, audio < 0 ? wxString("The file holds neither images nor sound")
                                         : Unplayable(input.get(), input->streams[audio]));
    *pVideo = videoIndex;
    *pAudio = audioIndex;
    return true;
}
