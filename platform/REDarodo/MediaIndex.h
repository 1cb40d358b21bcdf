// What one scan of a medium's packets learns, without decoding: the tracks' sizes, counts
// and timestamps, which the readers use to find images and samples.
#pragma once

#include "FFmpeg.h"

#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

// The picture track: timestamps in presentation order, and those of the keyframes.
struct TVideoIndex {
    int aStream = -1;
    // The size as the pictures show, turned.
    int aWidth = 0;
    int aHeight = 0;
    // Quarter turns clockwise from the decoded pictures to those shown (0 to 3), which the
    // file's display matrix asks for: phones write the picture as the camera sees it.
    int aTurns = 0;
    bool aAlpha = false;
    // Images a second: the file's rate, or the average of images at irregular times.
    AVRational aRate = {25, 1};
    // The decoded pictures' timestamps.
    std::vector<int64_t> aTimes;
    std::vector<int64_t> aKeyTimes;
    // For pictures at irregular times (a phone's variable rate): the decoded picture on screen
    // at each image's time, image k's at k / aRate from the first; empty when each image is
    // one decoded picture.
    std::vector<long> aShown;

    // The track's images.
    long ImageCount() const;
    // The decoded picture that image pImage shows.
    long PictureOf(long pImage) const;

    // The position of the decoded picture stamped pTime, taking the first one after pAfter
    // when two share it; -1 when no picture has that time.
    long Find(int64_t pTime, long pAfter) const;
    // The time of the last keyframe at or before image pImage's (the first keyframe's when
    // none is), shifted pBack keyframes further back; false when there is none that far.
    bool KeyTimeBefore(long pImage, int pBack, int64_t* pTime) const;
};

// The sound track: each packet's timestamp with its first frame, in timestamp order. Frames
// count as one decode from the start delivers them: without the priming samples that the
// encoder put first (MP3, Opus, AAC) and the padding it put last, so that the frames of the
// packets that precede the sound's start count below 0. Beside pictures, they count on the
// medium's timeline, from its first picture: a sound that starts later begins at aFirst after
// silence, one that starts earlier has its frames before the picture below 0.
struct TAudioIndex {
    int aStream = -1;
    int aRate = 0;
    int aChannels = 0;
    int64_t aFrames = 0;
    // The sound's first frame: those before are silence.
    int64_t aFirst = 0;
    // Frames decoded and dropped before the wanted one after a seek, so that the decoder
    // reaches the state a decode from the start has there: none for lossless codecs.
    int64_t aPreroll = 0;
    std::vector<int64_t> aTimes;
    std::vector<int64_t> aStarts;
    // Each packet's byte position in the file (-1: unknown), and the packets that lie alone at
    // theirs, by position.
    std::vector<int64_t> aPositions;
    std::vector<size_t> aByPosition;

    // The first frame of the packet stamped pTime; theUnknownFrame when no packet has that
    // time.
    int64_t StartAt(int64_t pTime) const;
    // The first frame of the packet that lies alone at byte pPosition, else of the one stamped
    // pTime: a demuxer that seeks by bytes (a WAV file of E-AC-3) stamps the packets after a
    // seek with times it estimates.
    int64_t StartOf(int64_t pTime, int64_t pPosition) const;
    // The packet that holds frame pFrame (the last one starting at or before it).
    size_t PacketOf(int64_t pFrame) const;
};

// No frame's position: the frames before a sound's start count below 0.
constexpr int64_t theUnknownFrame = INT64_MIN;

// The refusals of a scan.
constexpr int theMaxImageSide = 16384;
constexpr long theMaxPackets = 10000000;
// Sound frames are counted in 32 bits.
constexpr int64_t theMaxFrames = 2147483647;

// Scans pSource once, and notes the size of its file. Fills the indexes of the tracks found
// (null for a missing track) and answers true, or answers false with the reason.
bool ScanMedia(TMediaSource& pSource, std::shared_ptr<TVideoIndex>* pVideo,
               std::shared_ptr<TAudioIndex>* pAudio, wxString* pReason);
