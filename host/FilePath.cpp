#include "FilePath.h"

#include "PartFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <vector>

bool TZVFilePath::TId::operator==(const TId& pOther) const {
    return aDevice == pOther.aDevice && aInode == pOther.aInode && aName == pOther.aName;
}

bool TZVFilePath::TId::operator<(const TId& pOther) const {
    return std::tie(aDevice, aInode, aName) < std::tie(pOther.aDevice, pOther.aInode, pOther.aName);
}

bool TZVFilePath::Identify(const std::string& pPath, TId& pId) {
    std::string target = pPath;
    if (!TZVPartFile::FollowLinks(target))
        return false;
    struct stat file;
    if (stat(target.c_str(), &file) == 0) {
        pId = TId{file.st_dev, file.st_ino, std::string()};
        return true;
    }
    const size_t slash = target.rfind('/');
    pId.aName = target.substr(slash == std::string::npos ? 0 : slash + 1);
    if (pId.aName.empty() || stat(FolderOf(target).c_str(), &file) != 0 || !S_ISDIR(file.st_mode))
        return false;
    pId.aDevice = file.st_dev;
    pId.aInode = file.st_ino;
    return true;
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

int TZVFilePath::DescriptorOf(const std::string& pPath) {
    const char* const standard[] = {"/dev/stdin", "/dev/stdout", "/dev/stderr"};
    for (int descriptor = 0; descriptor < 3; ++descriptor)
        if (pPath == standard[descriptor])
            return descriptor;
    for (const std::string& folder :
         {std::string("/dev/fd/"), std::string("/proc/self/fd/"),
          std::string("/proc/thread-self/fd/"), "/proc/" + std::to_string(getpid()) + "/fd/"}) {
        if (pPath.compare(0, folder.size(), folder) != 0)
            continue;
        const std::string number = pPath.substr(folder.size());
        // Nine digits at most: every descriptor fits, and so does the int.
        if (number.empty() || number.size() > 9 ||
            number.find_first_not_of("0123456789") != std::string::npos)
            return -1;
        return std::atoi(number.c_str());
    }
    return -1;
}
