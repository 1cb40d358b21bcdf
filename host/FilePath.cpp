#include "FilePath.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <linux/magic.h>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// As many links as the system follows in one name.
const int theMostLinks = 40;

// The descriptors open as the run started, once TakeDescriptors has noted them.
std::optional<std::set<int>>& StartDescriptors() {
    static std::optional<std::set<int>> theDescriptors;
    return theDescriptors;
}

// Whether the process's descriptor pDescriptor may be taken: it was open as the run started.
bool WasOpen(int pDescriptor) {
    const std::optional<std::set<int>>& start = StartDescriptors();
    return start ? start->count(pDescriptor) > 0 : fcntl(pDescriptor, F_GETFD) >= 0;
}

TZVFilePath::EKind KindOf(mode_t pMode) {
    // A link there now was put there since: it is replaced, as a file is.
    return S_ISCHR(pMode)    ? TZVFilePath::kindDEVICE
           : S_ISFIFO(pMode) ? TZVFilePath::kindFIFO
           : S_ISBLK(pMode)  ? TZVFilePath::kindBLOCK
           : S_ISSOCK(pMode) ? TZVFilePath::kindSOCKET
           : S_ISDIR(pMode)  ? TZVFilePath::kindFOLDER
                             : TZVFilePath::kindFILE;
}

// Whether the entry pEntry of the folder pFolder may be taken where anyone could have planted
// it: in a folder that everyone may write into and only an entry's owner may remove from, only
// an entry of the caller's or of the folder's owner, as the system protects links, FIFOs and
// files there, so that no one leads another's output where they chose or takes it over.
bool MayTake(const struct stat& pFolder, const struct stat& pEntry) {
    const bool shared = (pFolder.st_mode & S_ISVTX) && (pFolder.st_mode & S_IWOTH);
    return !shared || pEntry.st_uid == geteuid() || pEntry.st_uid == pFolder.st_uid;
}

// The process (thread group) of the task whose folder in /proc is pTask, or -1.
pid_t ProcessOf(const std::string& pTask) {
    std::ifstream status(pTask + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, 5, "Tgid:") == 0)
            return pid_t(std::atol(line.c_str() + 5));
    return -1;
}

// Walks a name part by part as the system resolves it, each link followed where it stands, so
// that what the name is decides where it leads, not how it is spelled.
class TWalk {
public:
    explicit TWalk(const std::string& pPath) : aAbsolute(pPath.compare(0, 1, "/") == 0) {
        Push(pPath);
    }

    TZVFilePath::TTarget Run() {
        TZVFilePath::TTarget target;
        while (Step(target))
            ;
        return target;
    }

private:
    // Walks the next part; false once pTarget says where the name leads.
    bool Step(TZVFilePath::TTarget& pTarget) {
        if (aLeft.empty())
            return ReachFolder(pTarget);
        const std::string part = aLeft.back();
        aLeft.pop_back();
        if (part == "..")
            Climb();
        if (part == "." || part == "..")
            return true;
        const std::string entry = Entry(part);
        struct stat file;
        if (lstat(entry.c_str(), &file) != 0)
            return errno == ENOENT && aLeft.empty() ? ReachNew(entry, part, pTarget)
                                                    : Fail(errno, entry, pTarget);
        if (S_ISLNK(file.st_mode))
            return Follow(part, entry, file, pTarget);
        if (aLeft.empty())
            return Reach(entry, file, pTarget);
        if (!S_ISDIR(file.st_mode))
            return Fail(ENOTDIR, entry, pTarget);
        aParts.emplace_back(part, true);
        return true;
    }

    // The link pEntry (pPart in the folder reached), whose own status is pLink.
    bool Follow(const std::string& pPart, const std::string& pEntry, const struct stat& pLink,
                TZVFilePath::TTarget& pTarget) {
        struct stat folder;
        struct statfs procfs;
        if (stat(Here().c_str(), &folder) != 0)
            return Fail(errno, pEntry, pTarget);
        if (!aParts.empty() && aParts.back().first == "fd" &&
            statfs(Here().c_str(), &procfs) == 0 && procfs.f_type == PROC_SUPER_MAGIC)
            return FollowDescriptor(pPart, pEntry, pTarget);
        Refuse(MayTake(folder, pLink));
        if (++aLinks > theMostLinks)
            return Fail(ELOOP, pEntry, pTarget);
        char text[PATH_MAX];
        const ssize_t size = readlink(pEntry.c_str(), text, sizeof text);
        if (size < 0 || size == ssize_t(sizeof text))
            return Fail(size < 0 ? errno : ENAMETOOLONG, pEntry, pTarget);
        if (text[0] == '/') {
            aParts.clear();
            aAbsolute = true;
        }
        Push(std::string(text, size_t(size)));
        return true;
    }

    // The descriptor link pEntry of a process's descriptor folder: its text is no name (a
    // pipe's, a deleted file's), the system opens what the descriptor holds.
    bool FollowDescriptor(const std::string& pPart, const std::string& pEntry,
                          TZVFilePath::TTarget& pTarget) {
        const bool ours = ProcessOf(Here() + "/..") == getpid();
        const int descriptor = ours ? std::atoi(pPart.c_str()) : -1;
        if (ours && !WasOpen(descriptor))
            return Fail(EBADF, pEntry, pTarget);
        if (!aLeft.empty()) {
            // A folder's descriptor: the name goes on in the folder it holds.
            aParts.emplace_back(pPart, false);
            return true;
        }
        struct stat file;
        if ((ours ? fstat(descriptor, &file) : stat(pEntry.c_str(), &file)) != 0)
            return Fail(errno, pEntry, pTarget);
        Reached(KindOf(file.st_mode), pEntry, {file.st_dev, file.st_ino, std::string()}, pTarget);
        pTarget.aDescriptorLink = true;
        pTarget.aDescriptor = descriptor;
        return false;
    }

    // The entry pEntry that exists, with its status pFile.
    bool Reach(const std::string& pEntry, const struct stat& pFile, TZVFilePath::TTarget& pTarget) {
        struct stat folder;
        if (S_ISREG(pFile.st_mode) || S_ISFIFO(pFile.st_mode)) {
            if (stat(Here().c_str(), &folder) != 0)
                return Fail(errno, pEntry, pTarget);
            Refuse(MayTake(folder, pFile));
        }
        Reached(KindOf(pFile.st_mode), pEntry, {pFile.st_dev, pFile.st_ino, std::string()},
                pTarget);
        return false;
    }

    // The name pPart that is not there yet in the folder reached, as pEntry.
    bool ReachNew(const std::string& pEntry, const std::string& pPart,
                  TZVFilePath::TTarget& pTarget) {
        struct stat folder;
        if (stat(Here().c_str(), &folder) != 0)
            return Fail(errno, pEntry, pTarget);
        Reached(TZVFilePath::kindFILE, pEntry, {folder.st_dev, folder.st_ino, pPart}, pTarget);
        return false;
    }

    // The folder reached, where a name ends in "/", "." or "..".
    bool ReachFolder(TZVFilePath::TTarget& pTarget) {
        struct stat folder;
        if (stat(Here().c_str(), &folder) != 0)
            return Fail(errno, Here(), pTarget);
        if (!S_ISDIR(folder.st_mode))
            return Fail(ENOTDIR, Here(), pTarget);
        Reached(TZVFilePath::kindFOLDER, Here(), {folder.st_dev, folder.st_ino, std::string()},
                pTarget);
        return false;
    }

    // Notes that the caller may not take what the name leads to, unless pMay: the first such
    // entry is the reason, as the system stops there.
    void Refuse(bool pMay) {
        if (!pMay && aRefusal == 0)
            aRefusal = EACCES;
    }

    void Reached(TZVFilePath::EKind pKind, const std::string& pPath, const TZVFilePath::TId& pId,
                 TZVFilePath::TTarget& pTarget) const {
        pTarget.aKind = pKind;
        pTarget.aError = aRefusal;
        pTarget.aPath = pPath;
        pTarget.aId = pId;
    }

    // pTarget says that the name cannot be known, for the reason pError, at pEntry.
    bool Fail(int pError, const std::string& pEntry, TZVFilePath::TTarget& pTarget) const {
        pTarget.aKind = TZVFilePath::kindUNKNOWN;
        pTarget.aError = aRefusal != 0 ? aRefusal : pError;
        pTarget.aPath = pEntry;
        for (auto part = aLeft.rbegin(); part != aLeft.rend(); ++part)
            pTarget.aPath += "/" + *part;
        return false;
    }

    // Puts the parts of pPath before those left to walk.
    void Push(const std::string& pPath) {
        std::vector<std::string> parts;
        for (size_t begin = 0; begin < pPath.size();) {
            const size_t end = std::min(pPath.find('/', begin), pPath.size());
            if (end > begin)
                parts.push_back(pPath.substr(begin, end - begin));
            begin = end + 1;
        }
        // A name that ends in "/" names a folder.
        if (!pPath.empty() && pPath.back() == '/')
            parts.push_back(".");
        aLeft.insert(aLeft.end(), parts.rbegin(), parts.rend());
    }

    // Goes up from the folder reached: a folder taken without a link is left again by its
    // name; above where a relative name starts, or from the folder a descriptor holds, ".."
    // is kept for the system to resolve.
    void Climb() {
        if (!aParts.empty() && aParts.back().second)
            aParts.pop_back();
        else if (!aAbsolute || !aParts.empty())
            aParts.emplace_back("..", false);
    }

    // The folder reached.
    std::string Here() const {
        const std::string path = Join();
        return !path.empty() ? path : aAbsolute ? "/" : ".";
    }

    // The name of pPart in the folder reached.
    std::string Entry(const std::string& pPart) const {
        return aParts.empty() && !aAbsolute ? pPart : Join() + "/" + pPart;
    }

    std::string Join() const {
        std::string path;
        for (const auto& part : aParts)
            path += (path.empty() && !aAbsolute ? "" : "/") + part.first;
        return path;
    }

    bool aAbsolute;
    // The folders reached, each with whether ".." may leave it by its name.
    std::vector<std::pair<std::string, bool>> aParts;
    // The parts still to walk, the next one last.
    std::vector<std::string> aLeft;
    int aLinks = 0;
    // Why the caller may not take what the name leads to, or 0.
    int aRefusal = 0;
};

} // namespace

bool TZVFilePath::TId::operator==(const TId& pOther) const {
    return aDevice == pOther.aDevice && aInode == pOther.aInode && aName == pOther.aName;
}

bool TZVFilePath::TId::operator<(const TId& pOther) const {
    return std::tie(aDevice, aInode, aName) < std::tie(pOther.aDevice, pOther.aInode, pOther.aName);
}

TZVFilePath::TTarget TZVFilePath::Find(const std::string& pPath) {
    return TWalk(pPath).Run();
}

bool TZVFilePath::Identify(const std::string& pPath, TId& pId) {
    const TTarget target = Find(pPath);
    if (target.aKind == kindUNKNOWN)
        return false;
    pId = target.aId;
    return true;
}

void TZVFilePath::TakeDescriptors() {
    DIR* folder = opendir("/proc/self/fd");
    if (!folder) {
        // No name reaches a descriptor without /proc.
        StartDescriptors().reset();
        return;
    }
    std::set<int> open;
    while (const dirent* entry = readdir(folder))
        if (entry->d_name[0] != '.')
            open.insert(std::atoi(entry->d_name));
    open.erase(dirfd(folder));
    closedir(folder);
    StartDescriptors() = std::move(open);
}

std::string TZVFilePath::FolderOf(const std::string& pPath) {
    const size_t slash = pPath.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : pPath.substr(0, slash);
}

std::string TZVFilePath::CurrentFolder() {
    std::vector<char> path(4096);
    while (!getcwd(path.data(), path.size())) {
        if (errno != ERANGE)
            return std::string();
        path.resize(path.size() * 2);
    }
    return path.data();
}

std::string TZVFilePath::Absolute(const std::string& pPath) {
    const std::string folder = pPath.compare(0, 1, "/") == 0 ? std::string() : CurrentFolder();
    if (pPath.compare(0, 1, "/") != 0 && folder.empty())
        return pPath;
    std::string path;
    const std::string whole = folder + "/" + pPath;
    for (size_t begin = 0; begin < whole.size();) {
        const size_t end = std::min(whole.find('/', begin), whole.size());
        const std::string part = whole.substr(begin, end - begin);
        if (!part.empty() && part != ".")
            path += "/" + part;
        begin = end + 1;
    }
    return path.empty() ? "/" : path;
}
