// The FFmpeg objects the media classes hold, each freed by its own owner, and the few steps
// every reader takes: opening a medium's input and a stream's decoder.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include "MediaLog.h"

#include <wx/string.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Closes an input that OpenInput opened, with what its file guard holds.
struct TFormatCloser {
    void operator()(AVFormatContext* pInput) const;
};
struct TCodecCloser {
    void operator()(AVCodecContext* pCodec) const { avcodec_free_context(&pCodec); }
};
struct TFrameCloser {
    void operator()(AVFrame* pFrame) const { av_frame_free(&pFrame); }
};
struct TPacketCloser {
    void operator()(AVPacket* pPacket) const { av_packet_free(&pPacket); }
};
struct TScaleCloser {
    void operator()(SwsContext* pScale) const { sws_freeContext(pScale); }
};
struct TResampleCloser {
    void operator()(SwrContext* pResample) const { swr_free(&pResample); }
};

typedef std::unique_ptr<AVFormatContext, TFormatCloser> TInputPtr;
typedef std::unique_ptr<AVCodecContext, TCodecCloser> TCodecPtr;
typedef std::unique_ptr<AVFrame, TFrameCloser> TFramePtr;
typedef std::unique_ptr<AVPacket, TPacketCloser> TPacketPtr;
typedef std::unique_ptr<SwsContext, TScaleCloser> TScalePtr;
typedef std::unique_ptr<SwrContext, TResampleCloser> TResamplePtr;

// What one stream of a medium is: its kind and codec, the size and rate of its pictures, the
// rate and channels of its sound (0 where they do not apply).
struct TStreamShape {
    AVMediaType aType;
    AVCodecID aCodec;
    int aWidth;
    int aHeight;
    AVRational aImageRate;
    int aRate;
    int aChannels;

    explicit TStreamShape(const AVStream& pStream);
};

// Where a medium's data comes from: one file, or a numbered image sequence whose path holds
// one integer conversion ("frames/clip_%03d.png"); and what FFmpeg reports on it.
struct TMediaSource {
    std::string aPath;
    bool aSequence = false;
    // The file's size in bytes when its scan read it; -1 for a sequence (no one file), and
    // before the scan.
    int64_t aSize = -1;
    // The streams as its scan found them: a file opened again must hold them still, else it
    // is no longer the medium indexed.
    std::vector<TStreamShape> aStreams;
    // Readers add to it through their const source.
    mutable TMediaLog aLog;

    explicit TMediaSource(const wxString& pPath);

    // Notes that an image or sound was lost to a read that failed after the medium opened
    // (on any reader's thread); the first cause is kept. See TZVMedia::GetReadFailure.
    void NoteFailure(const wxString& pCause) const;
    wxString GetFailure() const;

private:
    mutable std::mutex aFailureMutex;
    mutable wxString aFailure;
};

// Opens pSource with its stream parameters read; null with the reason in *pReason. Every file
// the input opens, now or while it reads (the images of a sequence), must be a regular file:
// a FIFO or a device could block forever.
TInputPtr OpenInput(const TMediaSource& pSource, wxString* pReason);
// Why pInput refused to open a file ("The file cannot be opened: clip_002.png is a FIFO, not
// a regular file"); empty when it refused none.
wxString Refusal(const AVFormatContext* pInput);
// Why pInput is not the medium whose streams were pStreams ("The file has changed: it holds 1
// stream, not 2"); empty when it holds the same streams.
wxString Changed(const AVFormatContext* pInput, const std::vector<TStreamShape>& pStreams);
// A decoder for pStream running on one thread, or null. A sound decoder delivers every frame
// whole: it drops no priming or padding, it reports them.
TCodecPtr OpenDecoder(const AVStream* pStream);
// One stream of a medium being decoded: the file, the stream's decoder and the frame last
// received.
struct TDecoding {
    TInputPtr aInput;
    TCodecPtr aDecoder;
    TFramePtr aFrame;
    TPacketPtr aPacket;
    int aStream = -1;
    bool aDraining = false;
    // Why the file could not be read (its reading failed, it was cut short, or it did not
    // open again), the first time; empty while it could. The data's own faults are none.
    wxString aFailure;
    // The source's size when it was scanned.
    int64_t aScannedSize = -1;
    // Whether the end drained at lay short of that size: the file was cut short there.
    bool aEndedShort = false;
    // Whether the file was found to be another medium than the one indexed: it is not opened
    // again.
    bool aChanged = false;

    // Opens the file at its start with a decoder for stream pStream; false when a step
    // fails, and then aInput is null (with the reason in aFailure when the file did not open
    // or is no longer the medium indexed).
    bool Open(const TMediaSource& pSource, int pStream);
    // Moves to the last point of the stream where decoding can start at or before pTime.
    bool Seek(int64_t pTime);
    // Decodes on to the next frame, into aFrame; false at the end, or where the file's
    // reading failed or the file ended short of its scanned size (aFailure says why). A packet
    // the decoder refuses is skipped: the frames after it may still decode.
    bool Receive();
};

// FFmpeg's text for an error code.
wxString ErrorText(int pError);
