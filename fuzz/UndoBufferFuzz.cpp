// The undo buffer as a state machine: the input chooses the buffer size and every operation
// (stores, undos and redos whose owner resizes the record or refuses, alternative redos,
// marks); after each one the buffer is checked against its invariants and a plain list model
// of the history.
#include "../tests/DLL/Edt/UndoBufferModel.h"
#include "FuzzInput.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    if (pSize < 2)
        return 0;
    size_t next = 2;
    // Past the end of the input every choice is 0.
    auto choose = [&](unsigned pBound) {
        unsigned value = 0;
        for (unsigned range = 1; range < pBound && next < pSize; range <<= 8)
            value = value << 8 | pData[next++];
        return value % pBound;
    };
    NSUndoModel::THarness harness(16 + (pData[0] | pData[1] << 8) % 8192, choose);
    for (int step = 0; step == 0 || next < pSize; ++step) {
        const std::string error = harness.Step();
        if (!error.empty()) {
            std::fprintf(stderr, "step %d: %s\n", step, error.c_str());
            std::abort();
        }
    }
    return 0;
}
