#include "PictureConverter.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace {

// The threads that convert one picture: beyond four, a 1080p picture's bands gain nothing.
constexpr int theScaleThreads = 4;

// Whether pFormat holds YUV colours, which a matrix and range turn into RGB.
bool IsYuv(int pFormat) {
    const AVPixFmtDescriptor* const format = av_pix_fmt_desc_get(AVPixelFormat(pFormat));
    return format && format->nb_components >= 3 &&
           !(format->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL));
}

// One premultiplied byte: x * alpha / 255, rounded.
inline uint8_t Premultiply(unsigned pValue, unsigned pAlpha) {
    return uint8_t((pValue * pAlpha + 127) / 255);
}

} // namespace

bool TPictureConverter::Convert(const AVFrame& pFrame, const TVideoIndex& pIndex,
                                TAllocBitmap& pImage) {
    const bool turned = pIndex.aTurns != 0;
    // The decoded picture's own size: the size shown, not turned.
    const int width = pIndex.aTurns % 2 ? pIndex.aHeight : pIndex.aWidth;
    const int height = pIndex.aTurns % 2 ? pIndex.aWidth : pIndex.aHeight;
    TAllocBitmap& target = turned ? aUnturned : pImage;
    target.Resize(width, height);
    if (!Scaler(pFrame, width, height) || !target.Allocate() || !Scale(pFrame, target))
        return false;
    if (turned && !Turn(pIndex.aTurns, pIndex.aWidth, pIndex.aHeight, pImage))
        return false;
    if (pIndex.aAlpha) {
        uint8_t* pixel = static_cast<uint8_t*>(pImage.GetRawData());
        for (long i = 0; i < long(width) * height; ++i, pixel += 4)
            for (int byte = 0; byte < 3; ++byte)
                pixel[byte] = Premultiply(pixel[byte], pixel[3]);
    }
    return true;
}

bool TPictureConverter::Scaler(const AVFrame& pFrame, int pWidth, int pHeight) {
    const TYuvColours colours = TYuvColours::Of(pFrame);
    const auto from = std::make_tuple(pFrame.width, pFrame.height, pFrame.format, colours);
    if ((aDirectOn || aScale) && aScaleFrom == from)
        return true;
    aScaleLog.reset();
    aScale.reset();
    aDirectOn = pWidth == pFrame.width && pHeight == pFrame.height &&
                aDirect.Prepare(pFrame.format, pWidth, pHeight, colours);
    // Without threads to spare (a limit of processes), one thread converts the whole picture,
    // with the same pixels.
    if (!aDirectOn && !MakeScale(pFrame, pWidth, pHeight, colours, theScaleThreads) &&
        !MakeScale(pFrame, pWidth, pHeight, colours, 1))
        return false;
    aScaleFrom = from;
    return true;
}

bool TPictureConverter::MakeScale(const AVFrame& pFrame, int pWidth, int pHeight,
                                  const TYuvColours& pColours, int pThreads) {
    aScale.reset(sws_alloc_context());
    SwsContext* scale = aScale.get();
    if (!scale)
        return false;
    aScaleLog = std::make_unique<TMediaLogContext>(scale, aLog);
    av_opt_set_int(scale, "srcw", pFrame.width, 0);
    av_opt_set_int(scale, "srch", pFrame.height, 0);
    av_opt_set_int(scale, "src_format", TYuvColours::PlainFormat(pFrame.format), 0);
    av_opt_set_int(scale, "dstw", pWidth, 0);
    av_opt_set_int(scale, "dsth", pHeight, 0);
    av_opt_set_int(scale, "dst_format", AV_PIX_FMT_BGRA, 0);
    // Full chroma interpolation takes libswscale's exact colour arithmetic; its tables are a
    // level or two dark.
    av_opt_set_int(scale, "sws_flags",
                   SWS_BICUBIC | SWS_BITEXACT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, 0);
    // Bands of the picture are converted side by side: the pixels are those of one thread.
    av_opt_set_int(scale, "threads", pThreads, 0);
    const int* const matrix = sws_getCoefficients(pColours.aMatrix);
    const bool made =
        sws_init_context(scale, nullptr, nullptr) >= 0 &&
        (!IsYuv(pFrame.format) || sws_setColorspaceDetails(scale, matrix, pColours.aFullRange,
                                                           matrix, 1, 0, 1 << 16, 1 << 16) >= 0);
    if (!made) {
        aScaleLog.reset();
        aScale.reset();
    }
    return made;
}

bool TPictureConverter::Scale(const AVFrame& pFrame, TAllocBitmap& pTarget) {
    if (aDirectOn) {
        aDirect.Convert(pFrame, static_cast<uint8_t*>(pTarget.GetRawData()),
                        ptrdiff_t(pTarget.GetRowBytes()));
        return true;
    }
    // The converter writes straight into the bitmap, which it must not free.
    TFramePtr target(av_frame_alloc());
    // The picture as aScale knows its format: full-range formats under their plain names.
    TFramePtr source(av_frame_alloc());
    if (!target || !source || av_frame_ref(source.get(), &pFrame) < 0)
        return false;
    source->format = TYuvColours::PlainFormat(pFrame.format);
    const int size = int(pTarget.GetRowBytes() * pTarget.GetHeight());
    target->buf[0] = av_buffer_create(
        static_cast<uint8_t*>(pTarget.GetRawData()), size, [](void*, uint8_t*) {}, nullptr, 0);
    if (!target->buf[0])
        return false;
    target->data[0] = target->buf[0]->data;
    target->linesize[0] = int(pTarget.GetRowBytes());
    target->format = AV_PIX_FMT_BGRA;
    target->width = pTarget.GetWidth();
    target->height = pTarget.GetHeight();
    return sws_scale_frame(aScale.get(), target.get(), source.get()) >= 0;
}

bool TPictureConverter::Turn(int pTurns, int pWidth, int pHeight, TAllocBitmap& pImage) {
    const int fromWidth = aUnturned.GetWidth(), fromHeight = aUnturned.GetHeight();
    pImage.Resize(pWidth, pHeight);
    if (!pImage.Allocate())
        return false;
    const uint32_t* from = static_cast<const uint32_t*>(aUnturned.GetRawData());
    const size_t fromRow = aUnturned.GetRowBytes() / 4;
    for (int y = 0; y < pHeight; ++y) {
        uint32_t* to = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pImage.GetRawData()) +
                                                   size_t(y) * pImage.GetRowBytes());
        for (int x = 0; x < pWidth; ++x) {
            // The decoded pixel that shows at (x, y).
            const int fromX = pTurns == 1 ? y : pTurns == 2 ? fromWidth - 1 - x : fromWidth - 1 - y;
            const int fromY = pTurns == 1   ? fromHeight - 1 - x
                              : pTurns == 2 ? fromHeight - 1 - y
                                            : x;
            to[x] = from[size_t(fromY) * fromRow + fromX];
        }
    }
    return true;
}
