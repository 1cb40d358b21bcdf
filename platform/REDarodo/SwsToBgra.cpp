#include "SwsToBgra.h"

extern "C" {
#include <libavutil/intreadwrite.h>
#include <libavutil/opt.h>
}

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <system_error>
#include <thread>
#include <utility>

namespace {

// libswscale's contrast, in 1/65536: a whole, and half, which halves every colour.
constexpr int theWholeContrast = 1 << 16;
constexpr int theHalfContrast = 1 << 15;
// The level from which libswscale's arithmetic wraps (512), less what its fixed point misses.
constexpr double theWrapLevel = 508;
// Beyond any luma sample.
constexpr int theNever = INT_MAX;
// The blocks of chroma samples whose extremes bound what the filter makes of the chroma of
// their middle one (it weighs samples up to two away): samples a side.
constexpr int theBlockWidth = 16;
constexpr int theBlockHeight = 8;
// The most rows between two marked ones that are converted again with them, in one run.
constexpr int theRunGap = 16;
// The fewest rows of a picture whose blocks are found on a thread of their own.
constexpr int theFinderRows = 64;

// Whether pFormat holds YUV colours, which a matrix and range turn into RGB.
bool IsYuv(int pFormat) {
    const AVPixFmtDescriptor* const format = av_pix_fmt_desc_get(AVPixelFormat(pFormat));
    return format && format->nb_components >= 3 &&
           !(format->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL));
}

// How far libswscale's bicubic filter (B 0, C 0.6) may carry a sample it interpolates in
// pDirections directions past the samples it weighs, as a share of their span: its negative
// weights sum to at most 0.15 in one direction, 2 x 1.15 x 0.15 in two (with a margin).
double Overshoot(int pDirections) {
    return pDirections == 0 ? 0 : pDirections == 1 ? 0.2 : 0.4;
}

// The least and the greatest of some samples.
typedef std::pair<int, int> TExtremes;

// One component of a picture's samples (planar, interleaved or packed, in words of 8 or 16
// bits); samples of other layouts read as unknown (the whole range).
class TComponent {
public:
    TComponent(const AVPixFmtDescriptor& pFormat, int pIndex)
        : aWhere(pFormat.comp[pIndex]), aWide(aWhere.depth + aWhere.shift > 8),
          aBigEndian(pFormat.flags & AV_PIX_FMT_FLAG_BE),
          aReadable(!(pFormat.flags & (AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_FLOAT)) &&
                    aWhere.depth + aWhere.shift <= 16),
          aMost((1 << aWhere.depth) - 1) {}

    // The greatest sample there can be.
    int Most() const { return aMost; }
    // The sample at pX, pY (in samples of the component) of pFrame.
    int Sample(const AVFrame& pFrame, int pX, int pY) const {
        if (!aReadable)
            return aMost;
        const uint8_t* const word = Row(pFrame, pY) + ptrdiff_t(pX) * aWhere.step;
        return int(unsigned(!aWide       ? *word
                            : aBigEndian ? AV_RB16(word)
                                         : AV_RL16(word)) >>
                   aWhere.shift) &
               aMost;
    }
    // The least and the greatest of the pWidth x pHeight samples of pFrame from pX, pY on.
    TExtremes Extremes(const AVFrame& pFrame, int pX, int pY, int pWidth, int pHeight) const {
        if (!aReadable)
            return {0, aMost};
        TExtremes extremes(aMost, 0);
        for (int y = pY; y < pY + pHeight; ++y) {
            if (!Plain())
                for (int x = pX; x < pX + pWidth; ++x)
                    Widen(Sample(pFrame, x, y), extremes.first, extremes.second);
            else if (aWide)
                Extend(reinterpret_cast<const uint16_t*>(Row(pFrame, y)) + pX, pWidth, extremes);
            else
                Extend(Row(pFrame, y) + pX, pWidth, extremes);
        }
        return extremes;
    }

    // Widens pLeast and pMost, the extremes of each of pWidth columns, to row pY of pFrame.
    void WidenColumns(const AVFrame& pFrame, int pY, int pWidth, int* pLeast, int* pMost) const {
        if (!aReadable) {
            std::fill_n(pLeast, pWidth, 0);
            std::fill_n(pMost, pWidth, aMost);
        } else if (!Plain())
            for (int x = 0; x < pWidth; ++x)
                Widen(Sample(pFrame, x, pY), pLeast[x], pMost[x]);
        else if (aWide)
            WidenColumns(reinterpret_cast<const uint16_t*>(Row(pFrame, pY)), pWidth, pLeast, pMost);
        else
            WidenColumns(Row(pFrame, pY), pWidth, pLeast, pMost);
    }

private:
    // Whether the samples are whole words of the machine's order, one after the other.
    bool Plain() const {
        return aWhere.shift == 0 && (aWide ? aWhere.step == 2 && !aBigEndian : aWhere.step == 1);
    }
    const uint8_t* Row(const AVFrame& pFrame, int pY) const {
        return pFrame.data[aWhere.plane] + ptrdiff_t(pY) * pFrame.linesize[aWhere.plane] +
               aWhere.offset;
    }
    static void Widen(int pSample, int& pLeast, int& pMost) {
        pLeast = std::min(pLeast, pSample);
        pMost = std::max(pMost, pSample);
    }
    // Plain samples in a row, which the compiler takes many at a time, each into its column's.
    template <typename TSample>
    void WidenColumns(const TSample* pRow, int pWidth, int* pLeast, int* pMost) const {
        for (int x = 0; x < pWidth; ++x)
            Widen(pRow[x] & aMost, pLeast[x], pMost[x]);
    }
    // Plain samples in a row, which the compiler takes many at a time, into pExtremes.
    template <typename TSample>
    void Extend(const TSample* pRow, int pCount, TExtremes& pExtremes) const {
        int least = pExtremes.first, most = pExtremes.second;
        for (int x = 0; x < pCount; ++x)
            Widen(pRow[x] & aMost, least, most);
        pExtremes = {least, most};
    }

    const AVComponentDescriptor aWhere;
    const bool aWide, aBigEndian, aReadable;
    const int aMost;
};

// A picture's colours as libswscale works them out, in levels of 8-bit samples, unrounded:
// each channel is the luma's level plus weights of the chroma samples less their middle.
class TLevels {
public:
    TLevels(const TYuvColours& pColours, int pDepth);

    // The lumas with which a channel could wrap, given chroma samples pU and pV (least,
    // greatest) that interpolation carries past them by pOvershoot of their span. With
    // pLumaOvershoot, luma is interpolated too (from samples up to pMostLuma): a channel that
    // could wrap with some luma could with any.
    TSwsWraps WrapLumas(TExtremes pU, TExtremes pV, double pOvershoot, double pLumaOvershoot,
                        int pMostLuma) const;

private:
    // The level of luma sample pSample.
    double Luma(double pSample) const { return pSample * aLumaStep + aLumaBase; }
    // The luma sample of level pLevel.
    double LumaSample(double pLevel) const { return (pLevel - aLumaBase) / aLumaStep; }

    double aLumaStep, aLumaBase, aChromaStep;
    // Blue's, green's and red's weights of U and V.
    double aWeights[3][2];
};

TLevels::TLevels(const TYuvColours& pColours, int pDepth) {
    const double red = pColours.RedWeight(), blue = pColours.BlueWeight();
    const double green = 1 - red - blue;
    aChromaStep = std::ldexp(1.0, 8 - pDepth);
    // Limited range: black at luma 16 and white at 235, chroma over 16..240.
    const double luma = pColours.aFullRange ? 1 : 255.0 / 219;
    const double chroma = pColours.aFullRange ? 1 : 255.0 / 224;
    aLumaStep = luma * aChromaStep;
    aLumaBase = pColours.aFullRange ? 0 : -16 * luma;
    aWeights[0][0] = chroma * 2 * (1 - blue);
    aWeights[0][1] = 0;
    aWeights[1][0] = -chroma * 2 * blue * (1 - blue) / green;
    aWeights[1][1] = -chroma * 2 * red * (1 - red) / green;
    aWeights[2][0] = 0;
    aWeights[2][1] = chroma * 2 * (1 - red);
}

TSwsWraps TLevels::WrapLumas(TExtremes pU, TExtremes pV, double pOvershoot, double pLumaOvershoot,
                             int pMostLuma) const {
    // The chroma's extremes, less the middle, in 8-bit samples.
    const auto range = [this, pOvershoot](TExtremes pSamples) {
        const double reach = pOvershoot * (pSamples.second - pSamples.first);
        return std::make_pair((pSamples.first - reach) * aChromaStep - 128,
                              (pSamples.second + reach) * aChromaStep - 128);
    };
    const auto u = range(pU), v = range(pV);
    const double lumaReach = pLumaOvershoot * pMostLuma;
    const bool interpolated = pLumaOvershoot > 0;
    TSwsWraps lumas;
    for (size_t channel = 0; channel < 3; ++channel) {
        const double* weights = aWeights[channel];
        const double uFirst = weights[0] * u.first, uSecond = weights[0] * u.second;
        const double vFirst = weights[1] * v.first, vSecond = weights[1] * v.second;
        // The luma levels from which the channel passes 511, and up to which it falls below -511.
        const double above = theWrapLevel - std::max(uFirst, uSecond) - std::max(vFirst, vSecond);
        const double below = -theWrapLevel - std::min(uFirst, uSecond) - std::min(vFirst, vSecond);
        if (interpolated) {
            lumas.aAbove[channel] = Luma(pMostLuma + lumaReach) >= above ? 0 : theNever;
            lumas.aBelow[channel] = Luma(-lumaReach) <= below ? theNever : -1;
        } else {
            lumas.aAbove[channel] =
                int(std::clamp(std::ceil(LumaSample(above)), 0.0, double(theNever)));
            lumas.aBelow[channel] =
                int(std::clamp(std::floor(LumaSample(below)), -1.0, double(theNever)));
        }
    }
    return lumas;
}

// Whether pCheck holds for one of the pWidth pixels of pRow (BGRA) with a colour channel at 0
// (when pDark) or at 255 (when pLight); it is asked of each pixel of a few around such a pixel.
template <typename TCheck>
bool AnyExtreme(const uint8_t* pRow, int pWidth, bool pDark, bool pLight, const TCheck& pCheck) {
    int x = 0;
#ifdef __SSE2__
    // The colour bytes of the pixels, of each kind asked for.
    const __m128i colours = _mm_set1_epi32(0x00FFFFFF);
    const __m128i dark = pDark ? colours : _mm_setzero_si128();
    const __m128i light = pLight ? colours : _mm_setzero_si128();
    for (; x + 4 <= pWidth; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pRow + 4 * x));
        const __m128i extreme =
            _mm_or_si128(_mm_and_si128(_mm_cmpeq_epi8(pixels, _mm_setzero_si128()), dark),
                         _mm_and_si128(_mm_cmpeq_epi8(pixels, _mm_set1_epi8(-1)), light));
        if (_mm_movemask_epi8(extreme))
            for (int i = x; i < x + 4; ++i)
                if (pCheck(i))
                    return true;
    }
#endif
    for (; x < pWidth; ++x)
        if (pCheck(x))
            return true;
    return false;
}

// Saturates the wrapped colour channels of the pWidth pixels of pRow (BGRA) by pHalf, the same
// at half the contrast: halved, black stays at 0 and white at 127 or more, a colour past 511
// levels is past 255 and one below -511 below 0.
void MendRow(uint8_t* pRow, const uint8_t* pHalf, int pWidth) {
    int i = 0;
#ifdef __SSE2__
    const __m128i colours = _mm_set1_epi32(0x00FFFFFF), zero = _mm_setzero_si128();
    for (; i + 16 <= 4 * pWidth; i += 16) {
        __m128i* const target = reinterpret_cast<__m128i*>(pRow + i);
        const __m128i bytes = _mm_loadu_si128(target);
        const __m128i half = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pHalf + i));
        // Bytes of 128 or more are negative as signed ones.
        const __m128i white = _mm_and_si128(
            _mm_and_si128(_mm_cmpeq_epi8(bytes, zero), _mm_cmplt_epi8(half, zero)), colours);
        const __m128i black = _mm_and_si128(
            _mm_and_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(-1)), _mm_cmpeq_epi8(half, zero)),
            colours);
        _mm_storeu_si128(target, _mm_andnot_si128(black, _mm_or_si128(bytes, white)));
    }
#endif
    for (; i < 4 * pWidth; ++i)
        if (i % 4 != 3 && !pRow[i] && pHalf[i] >= 128)
            pRow[i] = 255;
        else if (i % 4 != 3 && pRow[i] == 255 && !pHalf[i])
            pRow[i] = 0;
}

// pExtremes widened to pOther's.
void Widen(TExtremes& pExtremes, TExtremes pOther) {
    pExtremes = {std::min(pExtremes.first, pOther.first),
                 std::max(pExtremes.second, pOther.second)};
}

} // namespace

bool TSwsWraps::Reach(int pLeast, int pMost) const {
    return pMost >= *std::min_element(aAbove.begin(), aAbove.end()) ||
           pLeast <= *std::max_element(aBelow.begin(), aBelow.end());
}

bool TSwsToBgra::Prepare(const AVFrame& pFrame, int pWidth, int pHeight,
                         const TYuvColours& pColours, int pThreads) {
    Reset();
    aFormat = TYuvColours::PlainFormat(pFrame.format);
    aWidth = pFrame.width;
    aHeight = pFrame.height;
    aToWidth = pWidth;
    aToHeight = pHeight;
    aColours = pColours;
    aThreads = pThreads;
    aYuv = IsYuv(aFormat);
    aRanged = aYuv || TYuvColours::IsGrey(aFormat);
    return Make(aScale, aScaleLog, theWholeContrast, aThreads);
}

void TSwsToBgra::Reset() {
    aScaleLog.reset();
    aScale.reset();
    aHalfLog.reset();
    aHalf.reset();
    aHalfTarget.reset();
}

bool TSwsToBgra::Make(TScalePtr& pScale, std::unique_ptr<TMediaLogContext>& pLog, int pContrast,
                      int pThreads) {
    pScale.reset(sws_alloc_context());
    SwsContext* scale = pScale.get();
    if (!scale)
        return false;
    pLog = std::make_unique<TMediaLogContext>(scale, aLog);
    av_opt_set_int(scale, "srcw", aWidth, 0);
    av_opt_set_int(scale, "srch", aHeight, 0);
    av_opt_set_int(scale, "src_format", aFormat, 0);
    av_opt_set_int(scale, "dstw", aToWidth, 0);
    av_opt_set_int(scale, "dsth", aToHeight, 0);
    av_opt_set_int(scale, "dst_format", AV_PIX_FMT_BGRA, 0);
    // Full chroma interpolation takes libswscale's exact colour arithmetic; its tables are a
    // level or two dark.
    av_opt_set_int(scale, "sws_flags",
                   SWS_BICUBIC | SWS_BITEXACT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, 0);
    // Bands of the picture are converted side by side: the pixels are those of one thread.
    av_opt_set_int(scale, "threads", pThreads, 0);
    const int* const matrix = sws_getCoefficients(aColours.aMatrix);
    // Grey takes the range it is told too, but for plain 8-bit grey, which libswscale keeps at
    // full range whatever it is told (as FFmpeg's own conversions show it).
    const bool made = sws_init_context(scale, nullptr, nullptr) >= 0 &&
                      (!aRanged || sws_setColorspaceDetails(scale, matrix, aColours.aFullRange,
                                                            matrix, 1, 0, pContrast, 1 << 16) >= 0);
    if (!made) {
        pLog.reset();
        pScale.reset();
    }
    return made;
}

bool TSwsToBgra::Convert(const AVFrame& pFrame, TAllocBitmap& pTarget) {
    // The converter writes straight into the bitmap, which it must not free.
    TFramePtr target(av_frame_alloc());
    // The picture as libswscale knows its format: full-range formats under their plain names.
    TFramePtr source(av_frame_alloc());
    if (!target || !source || av_frame_ref(source.get(), &pFrame) < 0)
        return false;
    source->format = aFormat;
    uint8_t* const pixels = static_cast<uint8_t*>(pTarget.GetRawData());
    const ptrdiff_t rowBytes = ptrdiff_t(pTarget.GetRowBytes());
    target->buf[0] = av_buffer_create(
        pixels, int(rowBytes * pTarget.GetHeight()), [](void*, uint8_t*) {}, nullptr, 0);
    if (!target->buf[0])
        return false;
    target->data[0] = pixels;
    target->linesize[0] = int(rowBytes);
    target->format = AV_PIX_FMT_BGRA;
    target->width = pTarget.GetWidth();
    target->height = pTarget.GetHeight();
    // The blocks where colours could wrap are found from the picture alone: beside the
    // conversion, but for small pictures, which a thread would only slow.
    aCandidates.clear();
    std::thread finder;
    // What the finder threw (no memory), thrown again here.
    std::exception_ptr failure;
    if (aYuv && aHeight >= theFinderRows) {
        try {
            finder = std::thread([this, &source, &failure] {
                try {
                    FindCandidates(*source);
                } catch (...) {
                    failure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            // No thread to spare: this one finds them.
        }
    }
    if (aYuv && !finder.joinable())
        FindCandidates(*source);
    const bool converted = sws_scale_frame(aScale.get(), target.get(), source.get()) >= 0;
    if (finder.joinable())
        finder.join();
    if (failure)
        std::rethrow_exception(failure);
    return converted && (aCandidates.empty() || !MarkRows(*source, pixels, rowBytes) ||
                         MendWraps(*source, pixels, rowBytes));
}

void TSwsToBgra::FindCandidates(const AVFrame& pSource) {
    const AVPixFmtDescriptor& format = *av_pix_fmt_desc_get(AVPixelFormat(aFormat));
    const TComponent luma(format, 0), u(format, 1), v(format, 2);
    const TLevels levels(aColours, format.comp[0].depth);
    const int chromaWidth = AV_CEIL_RSHIFT(aWidth, format.log2_chroma_w);
    const int chromaHeight = AV_CEIL_RSHIFT(aHeight, format.log2_chroma_h);
    if (aToWidth != aWidth || aToHeight != aHeight) {
        // Scaled, a pixel is no sample's: the whole picture is one block, any luma its.
        const TSwsWraps wraps =
            levels.WrapLumas(u.Extremes(pSource, 0, 0, chromaWidth, chromaHeight),
                             v.Extremes(pSource, 0, 0, chromaWidth, chromaHeight), Overshoot(2),
                             Overshoot(2), luma.Most());
        if (wraps.Reach(0, luma.Most()))
            aCandidates.push_back({0, 0, aToWidth, aToHeight, wraps});
        return;
    }
    const double overshoot =
        Overshoot(int(format.log2_chroma_w > 0) + int(format.log2_chroma_h > 0));
    const int columns = (chromaWidth + theBlockWidth - 1) / theBlockWidth;
    const int rows = (chromaHeight + theBlockHeight - 1) / theBlockHeight;
    // The extremes of U and V in each block of chroma samples: of each column over a band of
    // rows, then of the block's columns.
    std::array<std::vector<TExtremes>, 2> blocks;
    std::vector<int> least(static_cast<size_t>(chromaWidth));
    std::vector<int> most(static_cast<size_t>(chromaWidth));
    for (size_t plane = 0; plane < 2; ++plane) {
        const TComponent& chroma = plane ? v : u;
        blocks[plane].resize(size_t(columns) * rows);
        for (int row = 0; row < rows; ++row) {
            std::fill(least.begin(), least.end(), chroma.Most());
            std::fill(most.begin(), most.end(), 0);
            for (int y = row * theBlockHeight;
                 y < std::min((row + 1) * theBlockHeight, chromaHeight); ++y)
                chroma.WidenColumns(pSource, y, chromaWidth, least.data(), most.data());
            for (int column = 0; column < columns; ++column) {
                const auto from = size_t(column) * theBlockWidth;
                const auto to = std::min(from + theBlockWidth, size_t(chromaWidth));
                blocks[plane][size_t(row) * columns + column] = {
                    *std::min_element(least.begin() + from, least.begin() + to),
                    *std::max_element(most.begin() + from, most.begin() + to)};
            }
        }
    }
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            // The chroma that the block's pixels weigh lies in it and the blocks around.
            std::array<TExtremes, 2> near = {blocks[0][size_t(row) * columns + column],
                                             blocks[1][size_t(row) * columns + column]};
            for (int around = std::max(row - 1, 0); around <= std::min(row + 1, rows - 1); ++around)
                for (int beside = std::max(column - 1, 0);
                     beside <= std::min(column + 1, columns - 1); ++beside)
                    for (size_t plane = 0; plane < 2; ++plane)
                        Widen(near[plane], blocks[plane][size_t(around) * columns + beside]);
            const TSwsWraps wraps = levels.WrapLumas(near[0], near[1], overshoot, 0, luma.Most());
            if (!wraps.Reach(0, luma.Most()))
                continue;
            const int x = (column * theBlockWidth) << format.log2_chroma_w;
            const int y = (row * theBlockHeight) << format.log2_chroma_h;
            const int width = std::min(theBlockWidth << format.log2_chroma_w, aWidth - x);
            const int height = std::min(theBlockHeight << format.log2_chroma_h, aHeight - y);
            const TExtremes lumas = luma.Extremes(pSource, x, y, width, height);
            if (wraps.Reach(lumas.first, lumas.second))
                aCandidates.push_back({x, y, width, height, wraps});
        }
}

bool TSwsToBgra::MarkRows(const AVFrame& pSource, const uint8_t* pTarget, ptrdiff_t pRowBytes) {
    const TComponent luma(*av_pix_fmt_desc_get(AVPixelFormat(aFormat)), 0);
    const bool scaled = aToWidth != aWidth || aToHeight != aHeight;
    aRows.assign(size_t(aToHeight), 0);
    bool found = false;
    for (const TCandidate& candidate : aCandidates) {
        const TSwsWraps& wraps = candidate.aWraps;
        // Whether a channel could wrap to 0, or to 255.
        const bool dark =
            *std::min_element(wraps.aAbove.begin(), wraps.aAbove.end()) <= luma.Most();
        const bool light = *std::max_element(wraps.aBelow.begin(), wraps.aBelow.end()) >= 0;
        for (int y = candidate.aY; y < candidate.aY + candidate.aHeight; ++y) {
            if (aRows[size_t(y)])
                continue;
            const uint8_t* const row = pTarget + y * pRowBytes + 4 * candidate.aX;
            aRows[size_t(y)] = AnyExtreme(row, candidate.aWidth, dark, light, [&](int pX) {
                const uint8_t* const pixel = row + 4 * pX;
                // Scaled, the pixel is no sample's: its luma may be any.
                const int sample = scaled ? 0 : luma.Sample(pSource, candidate.aX + pX, y);
                for (size_t channel = 0; channel < 3; ++channel)
                    if ((!pixel[channel] && sample >= wraps.aAbove[channel]) ||
                        (pixel[channel] == 255 && sample <= wraps.aBelow[channel]))
                        return true;
                return false;
            });
            found = found || aRows[size_t(y)];
        }
    }
    return found;
}

bool TSwsToBgra::MendWraps(const AVFrame& pSource, uint8_t* pTarget, ptrdiff_t pRowBytes) {
    if (!aHalf && !Make(aHalf, aHalfLog, theHalfContrast, aThreads) &&
        !Make(aHalf, aHalfLog, theHalfContrast, 1))
        return false;
    // libswscale gives the half picture its buffer, kept for the next.
    if (!aHalfTarget)
        aHalfTarget.reset(av_frame_alloc());
    SwsContext* const half = aHalf.get();
    if (!aHalfTarget || sws_frame_start(half, aHalfTarget.get(), &pSource) < 0)
        return false;
    bool converted = sws_send_slice(half, 0, unsigned(aHeight)) >= 0;
    // Runs of marked rows a few apart are converted in one: each run costs a start.
    for (int first = 0; first < aToHeight && converted; ++first) {
        if (!aRows[size_t(first)])
            continue;
        int end = first + 1, last = first;
        for (; end < aToHeight && end <= last + theRunGap; ++end)
            if (aRows[size_t(end)])
                last = end;
        converted = sws_receive_slice(half, unsigned(first), unsigned(last + 1 - first)) >= 0;
        first = last;
    }
    sws_frame_end(half);
    if (!converted)
        return false;
    for (int y = 0; y < aToHeight; ++y)
        if (aRows[size_t(y)])
            MendRow(pTarget + y * pRowBytes, aHalfTarget->data[0] + y * aHalfTarget->linesize[0],
                    aToWidth);
    return true;
}
