// libswscale converters, the reference that the tests and benchmarks of the picture
// conversions (the media stand-in's YUV to BGRA, the movie output's BGRA to YUV) compare with.
#pragma once

extern "C" {
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <cstdint>
#include <memory>

struct TSwsFree {
    void operator()(SwsContext* pScale) const { sws_freeContext(pScale); }
};
using TSwsPtr = std::unique_ptr<SwsContext, TSwsFree>;

// A frame over pWidth x pHeight pixels of 4 bytes (B, G, R, unused), as libswscale reads them.
inline AVFrame BgrFrame(uint32_t* pPixels, int pWidth, int pHeight) {
    AVFrame frame{};
    frame.format = AV_PIX_FMT_BGR0;
    frame.width = pWidth;
    frame.height = pHeight;
    frame.data[0] = reinterpret_cast<uint8_t*>(pPixels);
    frame.linesize[0] = 4 * pWidth;
    return frame;
}

// A converter of pWidth x pHeight pictures of format pFrom into pToWidth x pToHeight ones of
// format pTo, with pFlags and pThreads; null when libswscale refuses it.
inline TSwsPtr SwsReference(int pWidth, int pHeight, int pFrom, int pToWidth, int pToHeight,
                            int pTo, int pFlags, int pThreads = 1) {
    TSwsPtr scale(sws_alloc_context());
    if (!scale)
        return nullptr;
    av_opt_set_int(scale.get(), "srcw", pWidth, 0);
    av_opt_set_int(scale.get(), "srch", pHeight, 0);
    av_opt_set_int(scale.get(), "src_format", pFrom, 0);
    av_opt_set_int(scale.get(), "dstw", pToWidth, 0);
    av_opt_set_int(scale.get(), "dsth", pToHeight, 0);
    av_opt_set_int(scale.get(), "dst_format", pTo, 0);
    av_opt_set_int(scale.get(), "sws_flags", pFlags, 0);
    av_opt_set_int(scale.get(), "threads", pThreads, 0);
    return sws_init_context(scale.get(), nullptr, nullptr) < 0 ? nullptr : std::move(scale);
}
