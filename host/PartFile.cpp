#include "PartFile.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <pthread.h>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// The names of the live temporary files, and whether the program is ending on a signal: no
// temporary file is made any more then.
std::mutex theMutex;
std::set<std::string> theLive;
bool theExiting = false;

// Takes SIGINT and SIGTERM, which every thread blocks: removes the live temporary files and
// ends the program, holding the list so that no file is made or given its name meanwhile.
void RemoveAllOnSignal(sigset_t pSignals) {
    int signal = 0;
    while (sigwait(&pSignals, &signal) != 0)
        ;
    std::lock_guard<std::mutex> lock(theMutex);
    theExiting = true;
    for (const std::string& name : theLive)
        unlink(name.c_str());
    _exit(128 + signal);
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
    std::lock_guard<std::mutex> lock(theMutex);
    if (theExiting) {
        Fail("the program is ending");
        return;
    }
    std::string name = pPath + ".XXXXXX.part";
    aDescriptor = mkstemps(&name[0], 5);
    if (aDescriptor < 0) {
        Fail(std::strerror(errno));
        return;
    }
    aPartName = name;
    theLive.insert(aPartName);
}

TZVPartFile::~TZVPartFile() {
    CloseDescriptor();
    if (aPartName.empty())
        return;
    std::lock_guard<std::mutex> lock(theMutex);
    if (!aPublished)
        unlink(aPartName.c_str());
    theLive.erase(aPartName);
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
    if (failure == 0) {
        // Given its name while the list holds it: a signal meanwhile finds either the
        // temporary file or the whole one.
        std::lock_guard<std::mutex> lock(theMutex);
        if (std::rename(aPartName.c_str(), aPath.c_str()) != 0)
            failure = errno;
    }
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
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    // Every thread started from now on inherits the block.
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(RemoveAllOnSignal, signals).detach();
}

void TZVPartFile::CloseDescriptor() {
    if (aDescriptor >= 0)
        close(aDescriptor);
    aDescriptor = -1;
}
