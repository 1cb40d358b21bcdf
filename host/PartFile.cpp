#include "PartFile.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

// The names of the live temporary files, where a signal handler can read them without a lock.
constexpr int SLOT_COUNT = 256;
std::atomic<char*> theSlots[SLOT_COUNT];

int Register(const std::string& pName) {
    char* copy = strdup(pName.c_str());
    for (int i = 0; copy && i < SLOT_COUNT; ++i) {
        char* empty = nullptr;
        if (theSlots[i].compare_exchange_strong(empty, copy))
            return i;
    }
    std::free(copy);
    return -1;
}

void Unregister(int pSlot) {
    if (pSlot >= 0)
        std::free(theSlots[pSlot].exchange(nullptr));
}

// Set by a signal: no temporary file is made any more. Files being made are counted, so that
// the handler waits for their names before it removes what is listed.
std::atomic<bool> theExiting{false};
std::atomic<int> theMaking{0};

void RemoveAllAndExit(int pSignal) {
    theExiting = true;
    for (int wait = 0; theMaking.load() > 0 && wait < 1000; ++wait) {
        const timespec pause = {0, 1000000};
        nanosleep(&pause, nullptr);
    }
    for (std::atomic<char*>& slot : theSlots)
        if (const char* name = slot.load())
            unlink(name);
    _exit(128 + pSignal);
}

// The permissions a new file gets: read and write for all, less the process's mask, read
// where no other thread can see it change.
mode_t NewFileMode() {
    static const mode_t theMode = [] {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.compare(0, 6, "Umask:") == 0)
                return mode_t(0666 & ~std::strtol(line.c_str() + 6, nullptr, 8));
        const mode_t mask = umask(022);
        umask(mask);
        return mode_t(0666 & ~mask);
    }();
    return theMode;
}

} // namespace

TZVPartFile::TZVPartFile(const std::string& pPath) : aPath(pPath) {
    ++theMaking;
    if (theExiting) {
        --theMaking;
        Fail("the program is ending");
        return;
    }
    std::string name = pPath + ".XXXXXX.part";
    aDescriptor = mkstemps(&name[0], 5);
    const int error = errno;
    if (aDescriptor >= 0) {
        aPartName = name;
        aSlot = Register(aPartName);
    }
    --theMaking;
    if (aDescriptor < 0)
        Fail(std::strerror(error));
}

TZVPartFile::~TZVPartFile() {
    CloseDescriptor();
    if (!aPublished && !aPartName.empty())
        unlink(aPartName.c_str());
    Unregister(aSlot);
}

bool TZVPartFile::Write(const void* pData, size_t pSize) {
    const char* data = static_cast<const char*>(pData);
    while (pSize > 0) {
        const ssize_t written = write(aDescriptor, data, pSize);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            Fail(written < 0 ? std::strerror(errno) : "nothing written");
            return false;
        }
        data += written;
        pSize -= size_t(written);
    }
    return true;
}

bool TZVPartFile::Publish(bool pDurable) {
    struct stat existing;
    const mode_t mode =
        stat(aPath.c_str(), &existing) == 0 ? existing.st_mode & 07777 : NewFileMode();
    const int descriptor = aDescriptor;
    aDescriptor = -1;
    int failure = descriptor < 0 ? EBADF : fchmod(descriptor, mode) == 0 ? 0 : errno;
    if (failure == 0 && pDurable && fsync(descriptor) != 0)
        failure = errno;
    // A full disk may show only when the last data goes out, at the close.
    if (descriptor >= 0 && close(descriptor) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && std::rename(aPartName.c_str(), aPath.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        Fail(std::strerror(failure));
        unlink(aPartName.c_str());
        return false;
    }
    aPublished = true;
    return true;
}

void TZVPartFile::Fail(const std::string& pReason) {
    aError = "cannot write " + aPath + ": " + pReason;
}

void TZVPartFile::InstallSignalCleanup() {
    struct sigaction action {};
    action.sa_handler = RemoveAllAndExit;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void TZVPartFile::CloseDescriptor() {
    if (aDescriptor >= 0)
        close(aDescriptor);
    aDescriptor = -1;
}
