#include "YuvColours.h"

extern "C" {
#include <libavutil/csp.h>
#include <libavutil/pixdesc.h>
}

namespace {

bool IsMatrix(AVColorSpace pMatrix) {
    switch (pMatrix) {
    case AVCOL_SPC_BT709:
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
    case AVCOL_SPC_SMPTE240M:
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_FCC:
        return true;
    default:
        return false;
    }
}

} // namespace

TYuvColours TYuvColours::Of(const AVFrame& pFrame) {
    TYuvColours colours;
    const bool hd = pFrame.width >= 1280 || pFrame.height > 576;
    colours.aMatrix = IsMatrix(pFrame.colorspace) ? pFrame.colorspace
                      : hd                        ? AVCOL_SPC_BT709
                                                  : AVCOL_SPC_BT470BG;
    colours.aFullRange = pFrame.color_range == AVCOL_RANGE_JPEG ||
                         PlainFormat(pFrame.format) != pFrame.format ||
                         (IsGrey(pFrame.format) && pFrame.color_range != AVCOL_RANGE_MPEG);
    return colours;
}

bool TYuvColours::IsGrey(int pFormat) {
    const AVPixFmtDescriptor* const format = av_pix_fmt_desc_get(AVPixelFormat(pFormat));
    return format && format->nb_components <= 2 &&
           !(format->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL |
                              AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_FLOAT));
}

int TYuvColours::PlainFormat(int pFormat) {
    switch (pFormat) {
    case AV_PIX_FMT_YUVJ420P:
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
        return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
        return AV_PIX_FMT_YUV411P;
    default:
        return pFormat;
    }
}

double TYuvColours::RedWeight() const {
    return av_q2d(av_csp_luma_coeffs_from_avcsp(aMatrix)->cr);
}

double TYuvColours::BlueWeight() const {
    return av_q2d(av_csp_luma_coeffs_from_avcsp(aMatrix)->cb);
}
