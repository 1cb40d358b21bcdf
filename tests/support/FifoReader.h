// A FIFO made in a test's folder and everything written into it, read on a thread of its own
// while a program writes, as a reader at the other end of a pipe would.
#pragma once

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class TFifoReader {
public:
    // Makes the FIFO pPath and opens it at once, so that a writer never waits for a reader
    // and a program that writes nothing leaves nothing to wait for.
    explicit TFifoReader(const std::string& pPath) {
        if (mkfifo(pPath.c_str(), 0644) == 0)
            aDescriptor = open(pPath.c_str(), O_RDONLY | O_NONBLOCK);
        if (aDescriptor >= 0)
            aThread = std::thread(&TFifoReader::Read, this);
    }
    ~TFifoReader() { Finish(); }
    TFifoReader(const TFifoReader&) = delete;
    TFifoReader& operator=(const TFifoReader&) = delete;

    bool IsOpen() const { return aDescriptor >= 0; }
    // What arrived; called once the writers have ended.
    std::string Finish() {
        aDone = true;
        if (aThread.joinable())
            aThread.join();
        if (aDescriptor >= 0)
            close(aDescriptor);
        aDescriptor = -1;
        return aBytes;
    }

private:
    void Read() {
        char buffer[65536];
        for (;;) {
            // Seen before the last reads: what an ended writer wrote is all there by then.
            const bool done = aDone;
            ssize_t size;
            while ((size = read(aDescriptor, buffer, sizeof buffer)) > 0)
                aBytes.append(buffer, size_t(size));
            if (done)
                return;
            // No writer (0) or no data yet (-1, EAGAIN).
            pollfd ready = {aDescriptor, POLLIN, 0};
            if (size < 0)
                poll(&ready, 1, 20);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    int aDescriptor = -1;
    std::atomic<bool> aDone{false};
    std::thread aThread;
    std::string aBytes;
};
