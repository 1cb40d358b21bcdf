// TYuvColours: the matrix and range that turn a YUV picture's samples into colours: those its
// tags name, or, where it has none, those players assume.
#pragma once

extern "C" {
#include <libavutil/frame.h>
}

struct TYuvColours {
    // The matrix: one of AVCOL_SPC_BT709, AVCOL_SPC_BT470BG, AVCOL_SPC_SMPTE170M (the last two
    // BT.601's), AVCOL_SPC_SMPTE240M, AVCOL_SPC_BT2020_NCL and AVCOL_SPC_FCC.
    AVColorSpace aMatrix = AVCOL_SPC_BT470BG;
    // Samples over 0..255 rather than the limited range (luma 16..235, chroma 16..240).
    bool aFullRange = false;

    // The colours of pFrame: the matrix its tag names; untagged (or tagged with a matrix of
    // another kind), BT.709 for HD pictures (1280 or more wide, or more than 576 high) and
    // BT.601 for smaller ones, as players do. Full range when its tag or its (JPEG) format
    // says so, and for a grey picture unless it is tagged limited, as libswscale takes grey.
    static TYuvColours Of(const AVFrame& pFrame);
    // Whether pFormat holds grey samples of whole numbers, alone or with alpha.
    static bool IsGrey(int pFormat);
    // pFormat, or for a full-range (JPEG) format, which FFmpeg's decoders give for pictures of
    // that range, its limited-range twin: the tag says the range.
    static int PlainFormat(int pFormat);
    // The matrix's weights of red and of blue in luma (Kr, Kb).
    double RedWeight() const;
    double BlueWeight() const;

    bool operator==(const TYuvColours& pOther) const {
        return aMatrix == pOther.aMatrix && aFullRange == pOther.aFullRange;
    }
    bool operator!=(const TYuvColours& pOther) const { return !(*this == pOther); }
};
