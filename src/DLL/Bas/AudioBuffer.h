// TAudioBuffer: a bounded queue of audio memory blocks between a producer and a consumer.
// The producer appends filled blocks, the consumer reads bytes across block boundaries, and
// blocks read to their end go back to the producer for refilling instead of being freed.
// Calls on one queue must not overlap.
#pragma once

#include <cstdint>
#include <deque>

class TAudioBuffer {
public:
    // Receives a block handed back by GetFreeBuffer: its memory, then its byte size.
    class IBuffer {
    public:
        virtual void SetBuffer(void* pData) = 0;
        virtual void SetBufferSize(unsigned long pSize) = 0;

    protected:
        // Receivers are not deleted through this interface.
        ~IBuffer() = default;
    };

    // A queue meant to hold at most pMaxSize blocks.
    explicit TAudioBuffer(unsigned long pMaxSize);
    TAudioBuffer(const TAudioBuffer&) = delete;
    TAudioBuffer& operator=(const TAudioBuffer&) = delete;
    // Frees every block still in the queue.
    ~TAudioBuffer();

    // Appends a block of pSize valid bytes (a negative size, or null memory, counts as 0);
    // the queue takes over pData, which must come from malloc. pValue is kept with the
    // block. Appending to a full queue is reported ("aBufferQueue.size() < aMaxSize") and
    // done all the same.
    void AddBuffer(void* pData, unsigned long pValue, int pSize);
    // Copies up to pCount bytes from the read position into pDest, in queue order, and
    // returns how many it copied. A block read to its end counts as read completely.
    unsigned long ReadData(void* pDest, unsigned long pCount);
    // Hands the oldest completely read block to pTarget (which then owns its memory) and
    // returns true. Without such a block: when the queue has room, pTarget gets null and
    // size 0 (the producer allocates a new block) and the result is true; when it is full
    // of unread blocks, nothing is called and the result is false.
    bool GetFreeBuffer(IBuffer& pTarget);
    // Frees every block and starts reading afresh.
    void FreeAllBuffer();

private:
    struct TBlock {
        void* aData;
        uint32_t aValue; // the producer's, not read here
        int aSize;       // valid bytes, never negative
    };

    std::deque<TBlock> aBufferQueue;
    unsigned long aMaxSize;
    int aReadOffset;          // bytes already read from the current block
    unsigned long aReadBlock; // blocks read completely; the current one is at this index
};
