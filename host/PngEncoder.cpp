#include "PngEncoder.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

constexpr size_t theBytesPerPixel = 3;
// libpng's compression buffer: every IDAT chunk but the last holds this many bytes.
constexpr size_t theChunkSize = 8192;
// Larger pictures than this always use zlib's whole window.
constexpr uint64_t theSmallImage = 16384;

enum EFilter : uint8_t { filterNONE, filterSUB, filterUP, filterAVG, filterPAETH, filterCOUNT };

void PutUint32(uint8_t* pTo, uint32_t pValue) {
    for (int i = 0; i < 4; ++i)
        pTo[i] = uint8_t(pValue >> (24 - 8 * i));
}

void AddChunk(std::vector<uint8_t>& pFile, const char* pType, const uint8_t* pData, size_t pSize) {
    const size_t at = pFile.size();
    pFile.resize(at + 12 + pSize);
    uint8_t* chunk = pFile.data() + at;
    PutUint32(chunk, uint32_t(pSize));
    std::copy_n(pType, 4, chunk + 4);
    std::copy_n(pData, pSize, chunk + 8);
    PutUint32(chunk + 8 + pSize, uint32_t(crc32(0, chunk + 4, uInt(4 + pSize))));
}

// One filtered byte's measure: the byte taken as signed, in magnitude.
inline uint32_t Cost(uint8_t pByte) {
    return std::min(pByte, uint8_t(-pByte));
}

inline int16_t Magnitude(int16_t pValue) {
    return pValue < 0 ? int16_t(-pValue) : pValue;
}

// The byte a filter predicts from its left (pA), upper (pB) and upper left (pC) neighbours:
// the one nearest to pA + pB - pC.
inline uint8_t Paeth(int16_t pA, int16_t pB, int16_t pC) {
    const int16_t pa = Magnitude(int16_t(pB - pC)), pb = Magnitude(int16_t(pA - pC)),
                  pc = Magnitude(int16_t(pA + pB - 2 * pC));
    return uint8_t(pa <= pb && pa <= pc ? pA : pb <= pc ? pB : pC);
}

// Filters the row pRaw over the row before it, pPrior (zero above the first row), into pTo,
// and answers the sum of the filtered bytes' measures: the filter of least sum is chosen.
// Both rows have theBytesPerPixel zero bytes before them, the first pixel's left neighbours.
// The sums are taken in 32 bits, which hold 2^24 bytes.
uint32_t FilterRow(EFilter pFilter, const uint8_t* __restrict pRaw,
                   const uint8_t* __restrict pPrior, size_t pCount, uint8_t* __restrict pTo) {
    constexpr size_t left = theBytesPerPixel;
    uint32_t sum = 0;
    switch (pFilter) {
    case filterSUB:
        for (size_t i = 0; i < pCount; ++i)
            sum += Cost(pTo[i] = uint8_t(pRaw[i] - pRaw[i - left]));
        break;
    case filterUP:
        for (size_t i = 0; i < pCount; ++i)
            sum += Cost(pTo[i] = uint8_t(pRaw[i] - pPrior[i]));
        break;
    case filterAVG:
        for (size_t i = 0; i < pCount; ++i)
            sum += Cost(pTo[i] = uint8_t(pRaw[i] - ((pRaw[i - left] + pPrior[i]) >> 1)));
        break;
    case filterPAETH:
        for (size_t i = 0; i < pCount; ++i)
            sum += Cost(pTo[i] =
                            uint8_t(pRaw[i] - Paeth(pRaw[i - left], pPrior[i], pPrior[i - left])));
        break;
    default:
        for (size_t i = 0; i < pCount; ++i)
            sum += Cost(pRaw[i]);
    }
    return sum;
}

// The sum of a whole row, in parts of 2^24 bytes.
uint64_t FilterWholeRow(EFilter pFilter, const uint8_t* pRaw, const uint8_t* pPrior, size_t pCount,
                        uint8_t* pTo) {
    constexpr size_t part = size_t(1) << 24;
    uint64_t sum = 0;
    for (size_t start = 0; start < pCount; start += part)
        sum += FilterRow(pFilter, pRaw + start, pPrior + start, std::min(part, pCount - start),
                         pTo + start);
    return sum;
}

// The IDAT chunks of one picture: its filtered rows through one zlib stream, cut as libpng
// cuts them.
class TIdatWriter {
public:
    TIdatWriter(std::vector<uint8_t>& pFile, uint64_t pImageSize)
        : aFile(pFile), aImageSize(pImageSize) {}
    ~TIdatWriter() {
        if (aStarted)
            deflateEnd(&aStream);
    }

    // As libpng sets zlib up: its default level, and the strategy for filtered data unless no
    // row can be filtered. (libpng also narrows the window of a small picture, which changes
    // nothing in the stream but its header: see NarrowWindow.)
    bool Start(bool pFiltered, std::string& pError) {
        const int result = deflateInit2(&aStream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8,
                                        pFiltered ? Z_FILTERED : Z_DEFAULT_STRATEGY);
        aStarted = result == Z_OK;
        aStream.next_out = aOut.data();
        aStream.avail_out = uInt(aOut.size());
        return Check(result, pError);
    }

    bool Add(const uint8_t* pBytes, size_t pCount, std::string& pError) {
        aStream.next_in = const_cast<uint8_t*>(pBytes);
        aStream.avail_in = uInt(pCount);
        while (aStream.avail_in > 0)
            if (Check(deflate(&aStream, Z_NO_FLUSH), pError))
                Drain(false);
            else
                return false;
        return true;
    }

    bool Finish(std::string& pError) {
        int result = Z_OK;
        while (result != Z_STREAM_END) {
            result = deflate(&aStream, Z_FINISH);
            if (!Check(result, pError))
                return false;
            Drain(result == Z_STREAM_END);
        }
        return true;
    }

private:
    bool Check(int pResult, std::string& pError) {
        if (pResult == Z_OK || pResult == Z_STREAM_END || pResult == Z_BUF_ERROR)
            return true;
        pError = pResult == Z_MEM_ERROR ? "no memory to compress the picture"
                                        : std::string("the picture could not be compressed: ") +
                                              (aStream.msg ? aStream.msg : zError(pResult));
        return false;
    }

    // Writes the compressed bytes as a chunk when the buffer is full, or at the end.
    void Drain(bool pEnd) {
        const size_t size = aOut.size() - aStream.avail_out;
        if (size == 0 || (size < aOut.size() && !pEnd))
            return;
        if (aFirst)
            NarrowWindow();
        aFirst = false;
        AddChunk(aFile, "IDAT", aOut.data(), size);
        aStream.next_out = aOut.data();
        aStream.avail_out = uInt(aOut.size());
    }

    // libpng states the smallest window that holds a small picture in the stream's header.
    void NarrowWindow() {
        unsigned cmf = aOut[0];
        if (aImageSize > theSmallImage || (cmf & 0x0f) != 8 || (cmf & 0xf0) > 0x70)
            return;
        unsigned info = cmf >> 4;
        uint64_t half = uint64_t(1) << (info + 7);
        if (aImageSize > half)
            return;
        do {
            half >>= 1;
            --info;
        } while (info > 0 && aImageSize <= half);
        cmf = (cmf & 0x0f) | (info << 4);
        unsigned flags = aOut[1] & 0xe0;
        flags += 0x1f - ((cmf << 8) + flags) % 0x1f;
        aOut[0] = uint8_t(cmf);
        aOut[1] = uint8_t(flags);
    }

    std::vector<uint8_t>& aFile;
    const uint64_t aImageSize;
    z_stream aStream{};
    bool aStarted = false;
    bool aFirst = true;
    std::array<uint8_t, theChunkSize> aOut{};
};

} // namespace

bool TZVPngEncoder::Encode(int pWidth, int pHeight, const TRowSource& pRows,
                           std::vector<uint8_t>& pFile, std::string& pError) {
    static const uint8_t theSignature[] = {137, 80, 78, 71, 13, 10, 26, 10};
    const size_t rowBytes = size_t(pWidth) * theBytesPerPixel;
    pFile.assign(std::begin(theSignature), std::end(theSignature));
    uint8_t header[13] = {0, 0, 0, 0, 0, 0, 0, 0, 8, 2, 0, 0, 0};
    PutUint32(header, uint32_t(pWidth));
    PutUint32(header + 4, uint32_t(pHeight));
    AddChunk(pFile, "IHDR", header, sizeof header);
    const uint8_t significant[3] = {8, 8, 8};
    AddChunk(pFile, "sBIT", significant, sizeof significant);

    // A single row cannot look up, a single column cannot look left.
    const std::array<bool, filterCOUNT> usable = {
        true, pWidth > 1, pHeight > 1, pWidth > 1 && pHeight > 1, pWidth > 1 && pHeight > 1};
    const bool filtered = std::count(usable.begin() + 1, usable.end(), true) > 0;
    const uint64_t imageSize =
        rowBytes < 32768 && pHeight < 32768 ? (rowBytes + 1) * uint64_t(pHeight) : 0xffffffffu;
    TIdatWriter idat(pFile, imageSize);
    if (!idat.Start(filtered, pError))
        return false;

    // Each row has its left neighbours' zeros before it; the raw row's last zero is also the
    // filter byte of an unfiltered row.
    const size_t left = theBytesPerPixel;
    std::vector<uint8_t> raw(left + rowBytes, 0), prior(left + rowBytes, 0);
    std::vector<uint8_t> tried(1 + rowBytes), best(1 + rowBytes);
    for (int y = 0; y < pHeight; ++y) {
        pRows(y, raw.data() + left);
        const uint8_t* chosen = raw.data() + left - 1;
        uint64_t least = FilterWholeRow(filterNONE, raw.data() + left, prior.data() + left,
                                        rowBytes, tried.data() + 1);
        for (int filter = filterSUB; filter < filterCOUNT; ++filter) {
            if (!usable[filter])
                continue;
            const uint64_t cost = FilterWholeRow(EFilter(filter), raw.data() + left,
                                                 prior.data() + left, rowBytes, tried.data() + 1);
            // Ties go to the filter tried first.
            if (cost < least) {
                least = cost;
                tried[0] = uint8_t(filter);
                tried.swap(best);
                chosen = best.data();
            }
        }
        if (!idat.Add(chosen, rowBytes + 1, pError))
            return false;
        raw.swap(prior);
    }
    if (!idat.Finish(pError))
        return false;
    AddChunk(pFile, "IEND", nullptr, 0);
    return true;
}
