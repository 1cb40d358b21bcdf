#include "FileIo.h"

#include "PartFile.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cerrno>
#include <new>

namespace {

const int theBufferSize = 32768;

} // namespace

TZVFileIo::TZVFileIo(TZVPartFile& pFile) : aFile(pFile) {
    uint8_t* buffer = static_cast<uint8_t*>(av_malloc(theBufferSize));
    if (buffer)
        aContext = avio_alloc_context(buffer, theBufferSize, 1, this, nullptr, WritePacket,
                                      pFile.IsSeekable() ? SeekTo : nullptr);
    if (!aContext)
        av_free(buffer);
}

TZVFileIo::~TZVFileIo() {
    if (!aContext)
        return;
    av_freep(&aContext->buffer);
    avio_context_free(&aContext);
}

int TZVFileIo::Flush() {
    avio_flush(aContext);
    return std::min(aContext->error, 0);
}

std::string& TZVFileIo::Held() {
    avio_flush(aContext);
    return aHeld;
}

bool TZVFileIo::Release() {
    aHolding = false;
    const bool written = aFile.Write(aHeld.data(), aHeld.size());
    aHeld.clear();
    return written;
}

int TZVFileIo::WritePacket(void* pOpaque, uint8_t* pData, int pSize) {
    TZVFileIo& io = *static_cast<TZVFileIo*>(pOpaque);
    // Called from FFmpeg, which no exception may cross.
    try {
        if (io.aHolding) {
            io.aHeld.append(reinterpret_cast<const char*>(pData), size_t(pSize));
            return pSize;
        }
        return io.aFile.Write(pData, size_t(pSize)) ? pSize : AVERROR(errno);
    } catch (const std::bad_alloc&) {
        return AVERROR(ENOMEM);
    }
}

int64_t TZVFileIo::SeekTo(void* pOpaque, int64_t pOffset, int pWhence) {
    // No muxer here needs the file's size.
    if (pWhence & AVSEEK_SIZE)
        return AVERROR(ENOSYS);
    const int64_t position =
        static_cast<TZVFileIo*>(pOpaque)->aFile.Seek(pOffset, pWhence & ~AVSEEK_FORCE);
    return position >= 0 ? position : AVERROR(errno);
}
