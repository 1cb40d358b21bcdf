// A disk that stops answering, or a file cut short, for tests of zvrender, which preload this
// library (LD_PRELOAD). Through the openings of the file ZV_FAILING_FILE from the
// ZV_FAILING_OPENING-th on (those before, a load's scan, read it as it is):
// - with ZV_FAILING_AFTER, reads fail with EIO once that many bytes of it were read, and from
//   then on every read of it fails;
// - with ZV_FAILING_CUT, the file ends at that many bytes, as one truncated while it is read:
//   reads find the end there and its size is that;
// - with ZV_FAILING_REPLACE, the file opens as the file that names, as one replaced by it.
// Other files read as they are. With ZV_FAILING_COUNTS, the process writes into that file as it
// exits how many times it opened the file and read it, of all its openings ("openings 3 reads
// 120"), when it opened it at all.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct TSettings {
    bool aOn = false;
    dev_t aDevice = 0;
    ino_t aInode = 0;
    long aFirstOpening = 1;
    long long aBudget = -1;
    long long aCut = -1;
    const char* aReplacement = nullptr;
};

const TSettings& Settings() {
    static const TSettings theSettings = [] {
        TSettings settings;
        const char* const file = std::getenv("ZV_FAILING_FILE");
        const char* const opening = std::getenv("ZV_FAILING_OPENING");
        const char* const after = std::getenv("ZV_FAILING_AFTER");
        const char* const cut = std::getenv("ZV_FAILING_CUT");
        const char* const replacement = std::getenv("ZV_FAILING_REPLACE");
        struct stat status;
        settings.aOn = file && opening && (after || cut || replacement) && stat(file, &status) == 0;
        if (settings.aOn) {
            settings.aDevice = status.st_dev;
            settings.aInode = status.st_ino;
            settings.aFirstOpening = std::atol(opening);
            settings.aBudget = after ? std::atoll(after) : -1;
            settings.aCut = cut ? std::atoll(cut) : -1;
            settings.aReplacement = replacement;
        }
        return settings;
    }();
    return theSettings;
}

// The descriptors of the file, and how much of it the counted openings read.
constexpr int theMostDescriptors = 4096;
std::atomic<bool> theFile[theMostDescriptors];
std::atomic<bool> theCounted[theMostDescriptors];
std::atomic<long> theOpenings{0};
std::atomic<long long> theRead{0};
std::atomic<long> theReads{0};

template <typename TFunction>
TFunction Next(const char* pName) {
    return reinterpret_cast<TFunction>(dlsym(RTLD_NEXT, pName));
}

bool Known(int pDescriptor) {
    return pDescriptor >= 0 && pDescriptor < theMostDescriptors;
}

// pDescriptor, opened with pFlags, or in its place the replacement opened alike.
template <typename TOpen>
int Opened(int pDescriptor, TOpen pOpen, int pFlags, mode_t pMode) {
    const TSettings& settings = Settings();
    struct stat status;
    if (!Known(pDescriptor))
        return pDescriptor;
    const bool file = settings.aOn && fstat(pDescriptor, &status) == 0 &&
                      status.st_dev == settings.aDevice && status.st_ino == settings.aInode;
    theCounted[pDescriptor] = file && ++theOpenings >= settings.aFirstOpening;
    theFile[pDescriptor] = file;
    if (!theCounted[pDescriptor] || !settings.aReplacement)
        return pDescriptor;
    close(pDescriptor);
    return pOpen(settings.aReplacement, pFlags, pMode);
}

mode_t Mode(int pFlags, va_list pArguments) {
    return (pFlags & O_CREAT) || (pFlags & O_TMPFILE) == O_TMPFILE ? va_arg(pArguments, mode_t) : 0;
}

} // namespace

extern "C" int open(const char* pPath, int pFlags, ...) {
    static const auto theOpen = Next<int (*)(const char*, int, ...)>("open");
    va_list arguments;
    va_start(arguments, pFlags);
    const mode_t mode = Mode(pFlags, arguments);
    va_end(arguments);
    return Opened(theOpen(pPath, pFlags, mode), theOpen, pFlags, mode);
}

extern "C" int open64(const char* pPath, int pFlags, ...) {
    static const auto theOpen = Next<int (*)(const char*, int, ...)>("open64");
    va_list arguments;
    va_start(arguments, pFlags);
    const mode_t mode = Mode(pFlags, arguments);
    va_end(arguments);
    return Opened(theOpen(pPath, pFlags, mode), theOpen, pFlags, mode);
}

extern "C" ssize_t read(int pDescriptor, void* pBuffer, size_t pSize) {
    static const auto theNextRead = Next<ssize_t (*)(int, void*, size_t)>("read");
    if (!Known(pDescriptor) || !theFile[pDescriptor])
        return theNextRead(pDescriptor, pBuffer, pSize);
    ++theReads;
    const TSettings& settings = Settings();
    if (settings.aCut >= 0 && theCounted[pDescriptor]) {
        const off_t at = lseek(pDescriptor, 0, SEEK_CUR);
        if (at < 0 || at >= settings.aCut)
            return 0;
        pSize = std::min(pSize, size_t(settings.aCut - at));
    }
    if (settings.aBudget >= 0 && theRead >= settings.aBudget) {
        errno = EIO;
        return -1;
    }
    const ssize_t done = theNextRead(pDescriptor, pBuffer, pSize);
    if (done > 0 && theCounted[pDescriptor])
        theRead += done;
    return done;
}

// The size of a file cut short is where it ends.
template <typename TStat>
int Sized(int pDescriptor, TStat* pStatus, int pResult) {
    const long long cut = Settings().aCut;
    if (pResult == 0 && cut >= 0 && Known(pDescriptor) && theFile[pDescriptor] &&
        theCounted[pDescriptor] && pStatus->st_size > cut)
        pStatus->st_size = cut;
    return pResult;
}

extern "C" int fstat(int pDescriptor, struct stat* pStatus) {
    static const auto theNext = Next<int (*)(int, struct stat*)>("fstat");
    return Sized(pDescriptor, pStatus, theNext(pDescriptor, pStatus));
}

extern "C" int fstat64(int pDescriptor, struct stat64* pStatus) {
    static const auto theNext = Next<int (*)(int, struct stat64*)>("fstat64");
    return Sized(pDescriptor, pStatus, theNext(pDescriptor, pStatus));
}

extern "C" int close(int pDescriptor) {
    static const auto theClose = Next<int (*)(int)>("close");
    if (Known(pDescriptor))
        theFile[pDescriptor] = theCounted[pDescriptor] = false;
    return theClose(pDescriptor);
}

// The counts, as the process exits.
__attribute__((destructor)) void WriteCounts() {
    const char* const path = std::getenv("ZV_FAILING_COUNTS");
    if (!path || !theOpenings)
        return;
    char text[64];
    const int size = std::snprintf(text, sizeof text, "openings %ld reads %ld\n",
                                   theOpenings.load(), theReads.load());
    const int file = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file < 0)
        return;
    if (write(file, text, size_t(size)) != size)
        std::perror(path);
    close(file);
}
