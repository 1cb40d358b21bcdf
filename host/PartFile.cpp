#include "PartFile.h"

#include "FilePath.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <pthread.h>
#include <random>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

// The live temporary files (their folder's descriptor and their name in it), and whether the
// program is ending on a signal: no temporary file is made any more then.
std::mutex theMutex;
std::set<std::pair<int, std::string>> theLive;
bool theExiting = false;

// Takes SIGHUP, SIGINT and SIGTERM, which every thread blocks: removes the live temporary
// files and ends the program, holding the list so that no file is made or given its name
// meanwhile.
void RemoveAllOnSignal(sigset_t pSignals) {
    int signal = 0;
    while (sigwait(&pSignals, &signal) != 0)
        ;
    std::lock_guard<std::mutex> lock(theMutex);
    theExiting = true;
    for (const std::pair<int, std::string>& file : theLive)
        unlinkat(file.first, file.second.c_str(), 0);
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

// Gives the new file pDescriptor the owner, group and permissions of the file pExisting that it
// replaces, as far as the program may: root keeps the owner and the group, another user a group
// it is in; the rest stays the program's own. A set-user-ID or set-group-ID bit stays only where
// both were kept, as cp keeps them: on a file of another owner it would run programs as
// someone else. The errno of a failure, else 0.
int KeepOwnerAndMode(int pDescriptor, const struct stat& pExisting) {
    const bool group = fchown(pDescriptor, pExisting.st_uid, pExisting.st_gid) == 0 ||
                       fchown(pDescriptor, uid_t(-1), pExisting.st_gid) == 0;
    struct stat made;
    if (fstat(pDescriptor, &made) != 0)
        return errno;
    mode_t mode = pExisting.st_mode & 07777;
    if (!group || made.st_uid != pExisting.st_uid)
        mode &= mode_t(~(S_ISUID | S_ISGID));
    return fchmod(pDescriptor, mode) != 0 ? errno : 0;
}

// Creates a new file in the folder pFolder named "<pName>.XXXXXX.part" with six random
// letters, pName cut (at a character's start) where the folder's names cannot hold it all;
// its descriptor and pPartName, or -1 with errno set. Called with theMutex held.
int CreateUnique(int pFolder, const std::string& pName, std::string& pPartName) {
    static const char theLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937_64 theRandom{std::random_device()()};
    const std::string suffix = ".XXXXXX.part";
    long room = fpathconf(pFolder, _PC_NAME_MAX);
    room = room > 0 ? room : NAME_MAX;
    size_t keep = pName.size();
    if (keep + suffix.size() > size_t(room)) {
        keep = room > long(suffix.size()) ? size_t(room) - suffix.size() : 0;
        while (keep > 0 && (pName[keep] & 0xC0) == 0x80)
            --keep;
    }
    for (int tries = 0; tries < 100; ++tries) {
        std::string name = pName.substr(0, keep) + suffix;
        for (size_t i = keep + 1; i < keep + 7; ++i)
            name[i] = theLetters[theRandom() % (sizeof theLetters - 1)];
        const int descriptor =
            openat(pFolder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (descriptor >= 0 || errno != EEXIST) {
            pPartName = name;
            return descriptor;
        }
    }
    return -1;
}

} // namespace

TZVPartFile::TZVPartFile(const std::string& pPath) : aPath(pPath) {
    const EKind kind = KindOf(pPath);
    if (const char* refusal = Refusal(kind)) {
        Fail(std::string("it is ") + refusal);
        return;
    }
    if (kind != kindFILE) {
        OpenDirect();
        return;
    }
    std::string target = pPath;
    if (!FollowLinks(target)) {
        Fail(std::strerror(errno));
        return;
    }
    OpenPart(target);
}

TZVPartFile::~TZVPartFile() {
    CloseDescriptor();
    Discard();
    if (aFolder >= 0)
        close(aFolder);
}

void TZVPartFile::OpenDirect() {
    // Through the name as given: /dev/stdout leads to the pipe only so.
    aDescriptor = open(aPath.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (aDescriptor < 0) {
        Fail(std::strerror(errno));
        return;
    }
    aSeekable = lseek(aDescriptor, 0, SEEK_CUR) >= 0;
}

void TZVPartFile::OpenPart(const std::string& pTarget) {
    const size_t slash = pTarget.rfind('/');
    aName = slash == std::string::npos ? pTarget : pTarget.substr(slash + 1);
    const std::string folder = TZVFilePath::FolderOf(pTarget);
    // Names are taken in the folder, so that the temporary file's longer path never stands
    // in the way.
    aFolder = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (aFolder < 0 || aName.empty()) {
        Fail(std::strerror(aFolder < 0 ? errno : EISDIR));
        return;
    }
    std::lock_guard<std::mutex> lock(theMutex);
    if (theExiting) {
        Fail("the program is ending");
        return;
    }
    aDescriptor = CreateUnique(aFolder, aName, aPartName);
    if (aDescriptor < 0) {
        aPartName.clear();
        Fail(std::strerror(errno));
        return;
    }
    aSeekable = true;
    theLive.emplace(aFolder, aPartName);
}

int64_t TZVPartFile::Seek(int64_t pOffset, int pWhence) {
    return lseek(aDescriptor, pOffset, pWhence);
}

bool TZVPartFile::Write(const void* pData, size_t pSize) {
    const char* data = static_cast<const char*>(pData);
    while (pSize > 0) {
        const ssize_t written = write(aDescriptor, data, pSize);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int failure = written < 0 ? errno : EIO;
            Fail(std::strerror(failure));
            errno = failure;
            return false;
        }
        data += written;
        pSize -= size_t(written);
    }
    return true;
}

bool TZVPartFile::Publish(bool pDurable) {
    const int descriptor = aDescriptor;
    aDescriptor = -1;
    const bool replace = !aPartName.empty();
    int failure = descriptor < 0 ? EBADF : 0;
    if (failure == 0 && replace) {
        struct stat existing;
        if (fstatat(aFolder, aName.c_str(), &existing, 0) == 0)
            failure = KeepOwnerAndMode(descriptor, existing);
        else if (fchmod(descriptor, NewFileMode()) != 0)
            failure = errno;
    }
    if (failure == 0 && replace && pDurable && fsync(descriptor) != 0)
        failure = errno;
    // A full disk may show only when the last data goes out, at the close.
    if (descriptor >= 0 && close(descriptor) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && replace) {
        // Given its name while the list holds it: a signal meanwhile finds either the
        // temporary file or the whole one.
        std::lock_guard<std::mutex> lock(theMutex);
        if (renameat(aFolder, aPartName.c_str(), aFolder, aName.c_str()) != 0)
            failure = errno;
    }
    if (failure != 0) {
        Fail(std::strerror(failure));
        Discard();
        return false;
    }
    aPublished = true;
    return true;
}

void TZVPartFile::Fail(const std::string& pReason) {
    aError = "cannot write " + aPath + ": " + pReason;
}

TZVPartFile::EKind TZVPartFile::KindOf(const std::string& pPath) {
    struct stat file;
    // What cannot be looked at yet is made or opened as a file, which then says why not.
    if (stat(pPath.c_str(), &file) != 0 || S_ISREG(file.st_mode))
        return kindFILE;
    return S_ISCHR(file.st_mode)    ? kindDEVICE
           : S_ISFIFO(file.st_mode) ? kindFIFO
           : S_ISBLK(file.st_mode)  ? kindBLOCK
           : S_ISSOCK(file.st_mode) ? kindSOCKET
                                    : kindFOLDER;
}

const char* TZVPartFile::Refusal(EKind pKind) {
    switch (pKind) {
    case kindBLOCK:
        return "a block device";
    case kindSOCKET:
        return "a socket";
    case kindFOLDER:
        return "a folder";
    default:
        return nullptr;
    }
}

bool TZVPartFile::FollowLinks(std::string& pPath) {
    // As many as the system itself follows.
    for (int links = 0; links < 40; ++links) {
        struct stat file;
        if (lstat(pPath.c_str(), &file) != 0 || !S_ISLNK(file.st_mode))
            return true;
        char target[PATH_MAX];
        const ssize_t size = readlink(pPath.c_str(), target, sizeof target);
        if (size < 0 || size == ssize_t(sizeof target)) {
            errno = size < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        const size_t slash = pPath.rfind('/');
        pPath = target[0] == '/' || slash == std::string::npos
                    ? std::string(target, size_t(size))
                    : pPath.substr(0, slash + 1) + std::string(target, size_t(size));
    }
    errno = ELOOP;
    return false;
}

void TZVPartFile::InstallSignalCleanup() {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGHUP, SIGINT, SIGTERM})
        sigaddset(&signals, signal);
    // Every thread started from now on inherits the block.
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(RemoveAllOnSignal, signals).detach();
}

void TZVPartFile::CloseDescriptor() {
    if (aDescriptor >= 0)
        close(aDescriptor);
    aDescriptor = -1;
}

void TZVPartFile::Discard() {
    if (aPartName.empty())
        return;
    std::lock_guard<std::mutex> lock(theMutex);
    if (!aPublished)
        unlinkat(aFolder, aPartName.c_str(), 0);
    theLive.erase({aFolder, aPartName});
    aPartName.clear();
}
