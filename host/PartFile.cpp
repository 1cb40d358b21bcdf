#include "PartFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <mutex>
#include <new>
#include <pthread.h>
#include <random>
#include <set>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// The live temporary files (their folder's descriptor and their name in it), and whether the
// program is ending on a signal: no temporary file is made any more then.
std::mutex theMutex;
std::set<std::pair<int, std::string>> theLive;
bool theExiting = false;

// The access list of a file, and the one a folder gives the files made in it.
const char theAccessList[] = "system.posix_acl_access";
const char theDefaultList[] = "system.posix_acl_default";

// The signals of a fault. The program's own reach the thread that made it, which cannot wait;
// one that a process sends (kill -SEGV) is handed to the thread that cleans up.
const int theFaults[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS};
// What handled each fault signal before (a sanitizer, to report the fault), in that order.
struct sigaction thePreviousFaults[std::size(theFaults)];
// The fault signal a process sent, which the program ends with; and the signal, one of those
// the cleanup takes, that hands it over.
std::atomic<int> theSentFault{0};
int theHandOver = 0;

// Takes the signals that end the program, which every thread blocks: removes the live temporary
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
    const int fault = theSentFault;
    _exit(128 + (fault != 0 ? fault : signal));
}

// A fault signal: one that a process sent (its si_code says so) ends the program through the
// cleanup; the program's own fault goes to what handled it before, or ends it where it stands.
void OnFault(int pSignal, siginfo_t* pInfo, void* pContext) {
    if (pInfo->si_code <= 0) {
        theSentFault = pSignal;
        kill(getpid(), theHandOver);
        return;
    }
    const struct sigaction& previous =
        thePreviousFaults[std::find(std::begin(theFaults), std::end(theFaults), pSignal) -
                          std::begin(theFaults)];
    if (previous.sa_flags & SA_SIGINFO) {
        previous.sa_sigaction(pSignal, pInfo, pContext);
    } else if (previous.sa_handler != SIG_DFL) {
        previous.sa_handler(pSignal);
    } else {
        sigaction(pSignal, &previous, nullptr);
        raise(pSignal);
    }
}

// Hands the fault signals that a process sends to the cleanup, which takes pHandOver, but
// those the program was started ignoring.
void HandOverFaults(int pHandOver) {
    theHandOver = pHandOver;
    struct sigaction action = {};
    action.sa_sigaction = OnFault;
    // On the stack for signals where there is one: a sanitizer's, for an overflow it reports.
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(theFaults); ++i)
        if (sigaction(theFaults[i], nullptr, &thePreviousFaults[i]) == 0 &&
            thePreviousFaults[i].sa_handler != SIG_IGN)
            sigaction(theFaults[i], &action, nullptr);
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

// The name by which the entry pName of the folder pFolder is reached, however long the
// folder's own path is: the system has no call to read an attribute in a folder.
std::string InFolder(int pFolder, const std::string& pName) {
    return "/proc/self/fd/" + std::to_string(pFolder) + (pName.empty() ? "" : "/" + pName);
}

// Gives the new file pDescriptor the access list of pName in pFolder, or none when that has
// none, as cp keeps the list of a file it writes into. The errno of a failure, else 0.
int KeepAccessList(int pDescriptor, int pFolder, const std::string& pName) {
    const std::string old = InFolder(pFolder, pName);
    ssize_t size = lgetxattr(old.c_str(), theAccessList, nullptr, 0);
    std::string list(size_t(std::max<ssize_t>(size, 0)), '\0');
    if (size > 0)
        size = lgetxattr(old.c_str(), theAccessList, &list[0], list.size());
    if (size >= 0)
        return fsetxattr(pDescriptor, theAccessList, list.data(), size_t(size), 0) == 0 ? 0 : errno;
    // None to keep: the file is gone, or the system has no lists there.
    if (errno != ENODATA && errno != ENOTSUP && errno != ENOENT)
        return errno;
    return fremovexattr(pDescriptor, theAccessList) == 0 || errno == ENODATA || errno == ENOTSUP
               ? 0
               : errno;
}

// Gives the new file pDescriptor what the file pName in pFolder that it replaces had: owner,
// group, permissions and access list, when that is a regular file (a link put there meanwhile
// is replaced, not read). A new file keeps the permissions the folder's default access list
// gave it (pInherited), which the system made without the process's mask, else gets the
// mask's. The errno of a failure, else 0.
int KeepAttributes(int pDescriptor, int pFolder, const std::string& pName, bool pInherited) {
    struct stat existing;
    const bool exists = fstatat(pFolder, pName.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return errno;
    if (!exists || !S_ISREG(existing.st_mode))
        return pInherited || fchmod(pDescriptor, NewFileMode()) == 0 ? 0 : errno;
    const int failure = KeepOwnerAndMode(pDescriptor, existing);
    return failure != 0 ? failure : KeepAccessList(pDescriptor, pFolder, pName);
}

// Creates a new file in the folder pFolder named "<pName>.XXXXXX.part" with six random
// letters, pName cut (at a character's start) where the folder's names cannot hold it all;
// its descriptor and pPartName, or -1 with errno set; pMode as open takes it. Called with
// theMutex held.
int CreateUnique(int pFolder, const std::string& pName, mode_t pMode, std::string& pPartName) {
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
    // Made before the file: nothing that could run out of memory comes between the file and
    // its name being known.
    pPartName = pName.substr(0, keep) + suffix;
    for (int tries = 0; tries < 100; ++tries) {
        for (size_t i = keep + 1; i < keep + 7; ++i)
            pPartName[i] = theLetters[theRandom() % (sizeof theLetters - 1)];
        const int descriptor =
            openat(pFolder, pPartName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, pMode);
        if (descriptor >= 0 || errno != EEXIST)
            return descriptor;
    }
    return -1;
}

} // namespace

TZVPartFile::TZVPartFile(const std::string& pPath) : aPath(pPath) {
    const TZVFilePath::TTarget target = TZVFilePath::Find(pPath);
    if (target.aError != 0) {
        Fail(std::strerror(target.aError));
        return;
    }
    if (const char* refusal = Refusal(target)) {
        Fail(std::string("it is ") + refusal);
        return;
    }
    if (target.aDescriptor >= 0)
        OpenDescriptor(target.aDescriptor);
    else if (target.aKind != TZVFilePath::kindFILE || target.aDescriptorLink)
        OpenDirect(target);
    else
        OpenPart(target.aPath);
}

TZVPartFile::~TZVPartFile() {
    CloseDescriptor();
    Discard();
    if (aFolder >= 0)
        close(aFolder);
}

void TZVPartFile::OpenDirect(const TZVFilePath::TTarget& pTarget) {
    // Not through a link put there since it was looked at; but a descriptor link, which only
    // the system makes, opens what the descriptor holds, a file emptied as ">" empties it.
    const int flags = !pTarget.aDescriptorLink                 ? O_NOFOLLOW
                      : pTarget.aKind == TZVFilePath::kindFILE ? O_TRUNC
                                                               : 0;
    aDescriptor = open(pTarget.aPath.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | flags);
    if (aDescriptor < 0) {
        Fail(std::strerror(errno));
        return;
    }
    aSeekable = lseek(aDescriptor, 0, SEEK_CUR) >= 0;
}

void TZVPartFile::OpenDescriptor(int pDescriptor) {
    // A copy of the descriptor itself, not the file opened again: it shares its position
    // with the process's other writers, and reaches what no longer has a name or what the
    // program may not open.
    aDescriptor = fcntl(pDescriptor, F_DUPFD_CLOEXEC, 0);
    if (aDescriptor < 0) {
        Fail(std::strerror(errno));
        return;
    }
    const int64_t start = lseek(aDescriptor, 0, SEEK_CUR);
    // Every write of a descriptor opened to append goes to the end, whatever its position.
    aSeekable = start >= 0 && !(fcntl(aDescriptor, F_GETFL) & O_APPEND);
    aStart = aSeekable ? start : 0;
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
    // Under a default access list the system gives a new file its permissions, without the
    // process's mask: the file is made open to all for that, else private until published.
    aInherited = getxattr(InFolder(aFolder, std::string()).c_str(), theDefaultList, nullptr, 0) > 0;
    aDescriptor = CreateUnique(aFolder, aName, aInherited ? 0666 : 0600, aPartName);
    if (aDescriptor < 0) {
        aPartName.clear();
        Fail(std::strerror(errno));
        return;
    }
    aSeekable = true;
    try {
        theLive.emplace(aFolder, aPartName);
    } catch (const std::bad_alloc&) {
        // Not listed, the file would outlive a signal; nor does the destructor of an object
        // that was not made remove it.
        unlinkat(aFolder, aPartName.c_str(), 0);
        CloseDescriptor();
        aPartName.clear();
        throw;
    }
}

int64_t TZVPartFile::Seek(int64_t pOffset, int pWhence) {
    // Positions count from where a descriptor of the process's stood.
    const int64_t position =
        lseek(aDescriptor, pWhence == SEEK_SET ? pOffset + aStart : pOffset, pWhence);
    return position < 0 ? position : position - aStart;
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
    if (failure == 0 && replace)
        failure = KeepAttributes(descriptor, aFolder, aName, aInherited);
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

const char* TZVPartFile::Refusal(const TZVFilePath::TTarget& pTarget) {
    // What may not be taken says so first, as the system does.
    if (pTarget.aError != 0)
        return nullptr;
    switch (pTarget.aKind) {
    case TZVFilePath::kindBLOCK:
        return "a block device";
    case TZVFilePath::kindSOCKET:
        return pTarget.aDescriptor >= 0 ? nullptr : "a socket";
    case TZVFilePath::kindFOLDER:
        return "a folder";
    default:
        return nullptr;
    }
}

void TZVPartFile::InstallSignalCleanup() {
    // Every signal whose default ends the program, but those of a fault (theFaults), which
    // are handed over when a process sends them, and SIGPIPE and SIGXFSZ, which the program
    // ignores to see the write fail. One that the program was started ignoring (nohup, a
    // background job) stays ignored.
    std::vector<int> ending = {SIGHUP,  SIGINT,    SIGQUIT, SIGABRT,   SIGUSR1, SIGUSR2, SIGALRM,
                               SIGTERM, SIGSTKFLT, SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR};
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
        ending.push_back(signal);
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : ending) {
        struct sigaction action;
        if (sigaction(signal, nullptr, &action) == 0 && action.sa_handler != SIG_IGN)
            sigaddset(&signals, signal);
    }
    // Every thread started from now on inherits the block.
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(RemoveAllOnSignal, signals).detach();
    const auto handOver = std::find_if(ending.begin(), ending.end(), [&signals](int pSignal) {
        return sigismember(&signals, pSignal) == 1;
    });
    if (handOver != ending.end())
        HandOverFaults(*handOver);
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
    // The name is moved, not copied: the destructor has no memory to ask for.
    theLive.erase({aFolder, std::move(aPartName)});
    aPartName.clear();
}
