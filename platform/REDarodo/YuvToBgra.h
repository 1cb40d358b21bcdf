// TYuvToBgra: converts planar 8-bit YUV pictures to opaque BGRA of the same size with the
// matrix and range given, each colour the exact value rounded to the nearest level (worked in
// single precision, whose error stays below 1/10,000 of a level: only a value that close to a
// half may round the other way), the same on every processor. It covers 4:2:0 and 4:2:2
// pictures of even width, 4:2:0 ones at least 9 rows high, whose chroma it takes as libswscale
// does under the picture converter's settings (bicubic, bit-exact, accurate rounding): 4:2:0
// chroma brought to every row by its bicubic filter, each sample shared by two pixels. The
// converter leaves the other pictures to libswscale.
#pragma once

#include "YuvColours.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <cstddef>
#include <cstdint>
#include <vector>

class TYuvToBgra {
public:
    // Prepares the conversion of pictures of format pFormat and size pWidth x pHeight into
    // colours by pColours; false when this class does not cover them.
    bool Prepare(int pFormat, int pWidth, int pHeight, const TYuvColours& pColours);
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
    TYuvColours aColours;
    // Chroma rows weighed into each picture row (0 for 4:2:2, whose chroma rows are the
    // picture's), the first of them for each picture row, and their weights in 1/4096.
    int aTaps = 0;
    std::vector<int> aFirstTap;
    std::vector<int16_t> aWeights;
};
