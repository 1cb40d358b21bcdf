// Writes the example media: synthetic pictures and tones, encoded through FFmpeg's
// libraries with every setting that keeps the bytes reproducible (bit-exact muxers and
// encoders, one thread). Two runs give identical files.
#pragma once

extern "C" {
#include <libavutil/pixfmt.h>
#include <libavutil/rational.h>
#include <libavutil/samplefmt.h>
}

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A picture stream, the example picture at 25 images a second unless told otherwise. aOptions
// are the encoder's, as "key=value:key=value".
struct TPictureDesc {
    const char* aCodec;
    AVPixelFormat aFormat;
    int aWidth;
    int aHeight;
    int aCount;
    const char* aOptions;
    // Images a second.
    AVRational aRate = {25, 1};
    // Each image's time in milliseconds, for images at irregular times; empty: image i at
    // i / aRate.
    std::vector<int64_t> aTimes = {};
    // The display matrix's rotation, degrees counterclockwise as FFmpeg counts them; 0: none.
    int aRotation = 0;
    // The colour tags of the stream, none by default. A YUV picture's colours are made with
    // the matrix and range tagged, BT.601's limited range where there is no tag.
    AVColorSpace aMatrix = AVCOL_SPC_UNSPECIFIED;
    AVColorRange aRange = AVCOL_RANGE_UNSPECIFIED;
    AVColorPrimaries aPrimaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic aTransfer = AVCOL_TRC_UNSPECIFIED;
    // Pixel (pX, pY) of image pImage of pCount, B, G, R, A, straight; the example picture
    // when empty.
    std::function<void(int pImage, int pCount, int pWidth, int pHeight, int pX, int pY,
                       unsigned char (&pPixel)[4])>
        aPixel = {};
};

// A sound stream of aFrames frames whose samples aSample gives. aOptions are the encoder's.
struct TSoundDesc {
    const char* aCodec;
    AVSampleFormat aFormat;
    int aRate;
    int aChannels;
    long aFrames;
    std::function<short(long pFrame, int pChannel, int pRate)> aSample;
    const char* aOptions = nullptr;
    // Where the first frame lies on the file's timeline, in frames: a sound that starts this
    // late (the muxer writes it as players expect: by the times in an MKV, by an edit list in
    // an MP4). aSample still counts from the sound's own first frame.
    long aDelay = 0;
};

// The example picture: a gradient that moves with pImage, under a disc that crosses the
// picture, opaque with a soft edge, on a half-transparent ground. B, G, R, A, straight.
void ExamplePixel(int pImage, int pCount, int pWidth, int pHeight, int pX, int pY,
                  unsigned char (&pPixel)[4]);
// The example tone: 440 Hz on the first channel, 660 Hz on the second, half of full scale.
short ExampleSample(long pFrame, int pChannel, int pRate);
// A ramp: 30 x pFrame - 15,000 on every channel.
short RampSample(long pFrame, int pChannel, int pRate);

// Writes a file with the container its name says and either stream (null for none), with the
// muxer's options pOptions ("movflags=faststart"); false when a step fails.
bool WriteMedia(const std::string& pPath, const TPictureDesc* pPicture, const TSoundDesc* pSound,
                const char* pOptions = nullptr);
// Bytes of a picture packet overwritten: aBytes in the middle of the packet aPacket of the
// picture stream (in file order), all of it when it is that short.
struct TDamage {
    size_t aPacket;
    int aBytes;
};
// Overwrites the bytes pDamages say in the file at pPath with a fixed pattern, as a damaged
// copy would hold them; false when the file has no such packets.
bool DamagePictures(const std::string& pPath, const std::vector<TDamage>& pDamages);
// Writes image 0 of the example picture as one PNG file in pFormat.
bool WritePng(const std::string& pPath, int pWidth, int pHeight, AVPixelFormat pFormat,
              int pImage = 0);
