// Media: a user's file (video, sound or image) or numbered image sequence, opened through
// FFmpeg's libraries, with its picture and sound tracks and their readers. A file with
// picture and sound is one medium with both tracks.
#pragma once

#include "REDarodo/AudioStream.h"
#include "REDarodo/Bitmap.h"

#include <wx/string.h>

#include <cstdint>
#include <memory>
#include <vector>

struct TVideoIndex;
struct TAudioIndex;
struct TMediaSource;
class TZVWaveform;
class TReaderAudio;

// The size of a track's images.
struct TImageFormat {
    int aWidth;
    int aHeight;
};

// Reads the images of a picture track, in any order.
class IReaderVideo {
public:
    virtual ~IReaderVideo();

    // Image pImage (0-based, presentation order), premultiplied and turned as it shows: valid
    // until the next call or the reader's deletion. 0 x 0 when the image is outside the track
    // or undecodable.
    virtual const TBitmap& GetImage(long pImage) = 0;
    // The images' width and height.
    virtual TImageFormat GetFormat() const = 0;
    // True when the images carry alpha.
    virtual bool HasAlpha() const = 0;
    // The number of images of the track.
    virtual long GetImageCount() const = 0;
};

class TZVVideoTrack {
public:
    TZVVideoTrack(std::shared_ptr<const TMediaSource> pSource,
                  std::shared_ptr<const TVideoIndex> pIndex);
    ~TZVVideoTrack();
    TZVVideoTrack(const TZVVideoTrack&) = delete;
    TZVVideoTrack& operator=(const TZVVideoTrack&) = delete;

    // A new reader, owned by the caller. Cheap: the decoder opens on first use.
    IReaderVideo* CreateReader() const;
    long GetImageCount() const;
    // Images per second. Pictures at irregular times (a phone's variable rate) count as
    // images at their average rate: image k is the picture on screen at k / rate, repeated or
    // skipped as the times say, so that the track lasts as long as it plays.
    double GetImageRate() const;
    int GetWidth() const;
    int GetHeight() const;

private:
    std::shared_ptr<const TMediaSource> aSource;
    std::shared_ptr<const TVideoIndex> aIndex;
};

class TZVAudioTrack {
public:
    TZVAudioTrack(std::shared_ptr<const TMediaSource> pSource,
                  std::shared_ptr<const TAudioIndex> pIndex);
    ~TZVAudioTrack();
    TZVAudioTrack(const TZVAudioTrack&) = delete;
    TZVAudioTrack& operator=(const TZVAudioTrack&) = delete;

    // A new reader, owned by the caller.
    TReaderAudio* CreateReader() const;
    // The channels the readers deliver: 1 or 2 (more are mixed to two).
    int GetChannelCount() const;
    // Frames per second.
    int GetSampleRate() const;
    // Frames of the whole track, on the medium's timeline: beside pictures it starts with the
    // first picture, as players place the tracks by the file's times (a sound that starts
    // later begins with silence, the frames of one that starts earlier are not heard).
    int64_t GetFrameCount() const;

private:
    std::shared_ptr<const TMediaSource> aSource;
    std::shared_ptr<const TAudioIndex> aIndex;
};

// Sound held in memory instead of a file, for tests and tools that need exact control of
// what the sound reader reports.
struct TZVMemorySound {
    // The format block the reader reports, as it is (any channels, bits and rate).
    TZVWaveFormatEx aFormat = {};
    // Seconds, as the medium and the reader report them (any value, NaN included).
    double aDuration = 0.0;
    // The interleaved frames, aFormat.aBlockAlign bytes each.
    std::vector<uint8_t> aData;
    // What each Read answers in turn, whatever it was asked (frames beyond the request or the
    // data are not written); once used up, Read answers what is left, up to the request.
    std::vector<int> aReadCounts;
};

// One kind of problem FFmpeg reported while it read a medium: messages alike but for their
// numbers (positions, counts) are one kind.
struct TZVMediaProblem {
    // The first message of the kind, without FFmpeg's context prefix; empty for the count of
    // the messages of the less frequent kinds.
    wxString aText;
    long aCount;
};

class TZVMedia {
public:
    // The kinds of problem GetProblems tells apart.
    static const int MAX_PROBLEM_KINDS = 10;

    // The medium at pPath, scanned once: a still image is one image at 25 images a second,
    // a path with one integer conversion ("frames/clip_%03d.png") a numbered sequence at 25
    // images a second, any other path one file. Null when it cannot be read, with the
    // reason in *pReason: images over 16,384 pixels a side or more than 10,000,000 images are
    // refused too, and files that are not regular files (FIFOs, devices, directories), which
    // could block forever or never end. What FFmpeg reports on the way is kept for
    // GetProblems, never printed. A name's bytes that are not UTF-8 come in pPath as
    // REDarodo/NameText.h carries them.
    static TZVMedia* Open(const wxString& pPath, wxString* pReason);
    // A medium with no picture and no sound track whose sound reader reads pSound.
    static TZVMedia* OpenMemory(std::shared_ptr<const TZVMemorySound> pSound);
    ~TZVMedia();
    TZVMedia(const TZVMedia&) = delete;
    TZVMedia& operator=(const TZVMedia&) = delete;

    // The tracks; null when the medium has none of that kind. Owned by the medium.
    TZVVideoTrack* GetVideo() const { return aVideo.get(); }
    TZVAudioTrack* GetAudio() const { return aAudio.get(); }
    // The in-memory sound; null for a medium opened from a path.
    const std::shared_ptr<const TZVMemorySound>& GetMemorySound() const { return aMemory; }
    // The path it was opened with, for messages.
    const wxString& GetFilename() const { return aFilename; }
    // Seconds: sound frames / sound rate, else images / image rate.
    double GetDuration() const;
    // The image size; 0 x 0 without pictures.
    int GetWidth() const;
    int GetHeight() const;
    // The summary of the sound, made on first use through IZVWaveformFactory::theSingleton
    // and kept until the medium goes; null when no factory is installed.
    TZVWaveform* GetWaveform();
    // What FFmpeg reported while the medium was scanned and read so far, by any of its
    // readers (warnings and errors): one entry for each of the MAX_PROBLEM_KINDS most frequent
    // kinds, the most frequent first (equal ones in the order first met), then one with an
    // empty text counting the rest.
    std::vector<TZVMediaProblem> GetProblems() const;
    // Why images or sound of the medium could not be read after it opened (an error of the
    // disk, a file gone or changed): the first cause, empty while none was lost. Those images
    // and that sound come as none (0 x 0, silence) from then on.
    wxString GetReadFailure() const;

private:
    TZVMedia(const wxString& pPath, std::shared_ptr<const TMediaSource> pSource,
             std::unique_ptr<TZVVideoTrack> pVideo, std::unique_ptr<TZVAudioTrack> pAudio);

    wxString aFilename;
    // Null for a medium in memory.
    std::shared_ptr<const TMediaSource> aSource;
    std::unique_ptr<TZVVideoTrack> aVideo;
    std::unique_ptr<TZVAudioTrack> aAudio;
    std::shared_ptr<const TZVMemorySound> aMemory;
    TZVWaveform* aWaveform = nullptr;
};
