// TYuvToBgra: converts planar 8-bit YUV pictures to opaque BGRA of the same size, giving
// byte for byte what libswscale gives with the picture converter's settings (bicubic,
// bit-exact, accurate rounding, default colour space), at a fraction of its cost: it runs
// only the few steps those settings come to for an unscaled picture. It covers 4:2:0 and
// 4:2:2 pictures, limited or full range, of even width, 4:2:0 ones at least 9 rows high;
// libswscale takes other paths for the rest, and the converter keeps it for them.
#pragma once

extern "C" {
#include <libavutil/frame.h>
}

#include <cstddef>
#include <cstdint>
#include <vector>

class TYuvToBgra {
public:
    // Prepares the conversion of pictures of format pFormat and size pWidth x pHeight; false
    // when this class does not cover them.
    bool Prepare(int pFormat, int pWidth, int pHeight);
    // Converts pFrame, of the prepared format and size, into pTarget, whose rows are
    // pRowBytes apart. Bands of rows go to a few threads: the pixels do not depend on them.
    void Convert(const AVFrame& pFrame, uint8_t* pTarget, ptrdiff_t pRowBytes) const;

private:
    // Converts the rows pFirst to pEnd (excluded).
    void ConvertRows(const AVFrame& pFrame, uint8_t* pTarget, ptrdiff_t pRowBytes, int pFirst,
                     int pEnd) const;

    int aFormat = -1;
    int aWidth = 0;
    int aHeight = 0;
    bool aFullRange = false;
    // Chroma rows weighed into each picture row (0 for 4:2:2, whose chroma rows are the
    // picture's), the first of them for each picture row, and their weights in 1/4096.
    int aTaps = 0;
    std::vector<int> aFirstTap;
    std::vector<int16_t> aWeights;
};
