#include "DLL/Bas/AudioBuffer.h"

#include "ALL/Assert.h"

#include <cstdlib>
#include <cstring>

TAudioBuffer::TAudioBuffer(unsigned long pMaxSize)
    : aMaxSize(pMaxSize), aReadOffset(0), aReadBlock(0) {}

TAudioBuffer::~TAudioBuffer() {
    FreeAllBuffer();
}

void TAudioBuffer::AddBuffer(void* pData, unsigned long pValue, int pSize) {
    ZV_ASSERT(aBufferQueue.size() < aMaxSize);
    // A negative size would make the readable rest huge and be handed back to the producer
    // as an enormous capacity; there is nothing to read from null memory either.
    const int size = pData != nullptr && pSize > 0 ? pSize : 0;
    aBufferQueue.push_back({pData, static_cast<uint32_t>(pValue), size});
}

unsigned long TAudioBuffer::ReadData(void* pDest, unsigned long pCount) {
    if (pCount == 0 || aBufferQueue.size() <= aReadBlock)
        return 0;
    unsigned char* dest = static_cast<unsigned char*>(pDest);
    unsigned long left = pCount;
    for (;;) {
        const TBlock& block = aBufferQueue[aReadBlock];
        const unsigned char* source = static_cast<const unsigned char*>(block.aData) + aReadOffset;
        const unsigned long available = static_cast<unsigned long>(block.aSize - aReadOffset);
        if (left < available) {
            std::memcpy(dest, source, left);
            aReadOffset += static_cast<int>(left);
            return pCount;
        }
        if (available > 0)
            std::memcpy(dest, source, available);
        dest += available;
        left -= available;
        aReadOffset = 0;
        ++aReadBlock;
        if (left == 0)
            return pCount;
        if (aBufferQueue.size() <= aReadBlock)
            return pCount - left;
    }
}

bool TAudioBuffer::GetFreeBuffer(IBuffer& pTarget) {
    if (aReadBlock > 0) {
        const TBlock block = aBufferQueue.front();
        aBufferQueue.pop_front();
        --aReadBlock;
        pTarget.SetBuffer(block.aData);
        pTarget.SetBufferSize(static_cast<unsigned long>(block.aSize));
        return true;
    }
    if (aBufferQueue.size() >= aMaxSize)
        return false;
    pTarget.SetBuffer(nullptr);
    pTarget.SetBufferSize(0);
    return true;
}

void TAudioBuffer::FreeAllBuffer() {
    for (const TBlock& block : aBufferQueue)
        std::free(block.aData);
    aBufferQueue.clear();
    aReadBlock = 0;
    aReadOffset = 0;
}
