// TZVFileIo: FFmpeg's output context over a TZVPartFile, so that FFmpeg writes into the file
// as it was opened (a temporary file, a device, a FIFO) and never reads a file name as one
// of its protocols ("pipe:1"). It seeks only where the file can. Hold keeps what is written
// until Release, so that a header can be completed before it goes into a file that cannot
// seek back to it.
#pragma once

#include <cstdint>
#include <string>

struct AVIOContext;
class TZVPartFile;

class TZVFileIo {
public:
    // Writes into pFile, which must stay while the context does.
    explicit TZVFileIo(TZVPartFile& pFile);
    ~TZVFileIo();
    TZVFileIo(const TZVFileIo&) = delete;
    TZVFileIo& operator=(const TZVFileIo&) = delete;

    // The context, null when there was no memory for it.
    AVIOContext* Get() const { return aContext; }
    // Writes what the context holds; FFmpeg's error code of this or an earlier failed write,
    // else 0.
    int Flush();
    // Keeps what is written from now on.
    void Hold() { aHolding = true; }
    // What was kept: the context is flushed into it first.
    std::string& Held();
    // Writes what was kept and goes on writing; false when that fails (the file says why).
    bool Release();

private:
    static int WritePacket(void* pOpaque, uint8_t* pData, int pSize);
    static int64_t SeekTo(void* pOpaque, int64_t pOffset, int pWhence);

    TZVPartFile& aFile;
    AVIOContext* aContext = nullptr;
    bool aHolding = false;
    std::string aHeld;
};
