#include "InputFiles.h"

#include "NamePattern.h"

#include <dirent.h>
#include <sys/stat.h>

namespace {

// The names in the folder pFolder ("" for the current one); none when it cannot be read.
std::vector<std::string> FolderNames(const std::string& pFolder) {
    std::vector<std::string> names;
    DIR* folder = opendir(pFolder.empty() ? "." : pFolder.c_str());
    if (!folder)
        return names;
    while (const dirent* entry = readdir(folder))
        names.emplace_back(entry->d_name);
    closedir(folder);
    return names;
}

// pPath split at its last "/": the folder with the "/" ("" without one) and the file name.
std::pair<std::string, std::string> Split(const std::string& pPath) {
    const size_t slash = pPath.rfind('/');
    if (slash == std::string::npos)
        return {std::string(), pPath};
    return {pPath.substr(0, slash + 1), pPath.substr(slash + 1)};
}

} // namespace

TZVInputFiles::TZVInputFiles(const std::string& pProject, const std::vector<std::string>& pMedia) {
    Add(pProject, false);
    for (const std::string& medium : pMedia) {
        const std::pair<std::string, std::string> parts = Split(medium);
        const TZVNamePattern sequence(parts.second);
        if (!sequence.IsValid()) {
            Add(medium, true);
            continue;
        }
        long number = 0;
        for (const std::string& name : FolderNames(parts.first))
            if (sequence.Matches(name, number))
                Add(parts.first + name, true);
    }
}

const TZVInputFiles::TInput* TZVInputFiles::Find(const std::string& pPath, bool pMediaOnly) const {
    struct stat file;
    if (stat(pPath.c_str(), &file) != 0)
        return nullptr;
    const auto found = aFiles.find({file.st_dev, file.st_ino});
    if (found == aFiles.end() || (pMediaOnly && !found->second.aIsMedium))
        return nullptr;
    return &found->second;
}

const TZVInputFiles::TInput* TZVInputFiles::FindNamed(const std::string& pPattern, long pFirst,
                                                      long pLast, std::string& pName) const {
    const std::pair<std::string, std::string> parts = Split(pPattern);
    const TZVNamePattern pattern(parts.second);
    long number = 0;
    for (const std::string& name : FolderNames(parts.first)) {
        if (!pattern.Matches(name, number) || number < pFirst || number > pLast)
            continue;
        if (const TInput* input = Find(parts.first + name, false)) {
            pName = parts.first + name;
            return input;
        }
    }
    return nullptr;
}

void TZVInputFiles::Add(const std::string& pPath, bool pMedium) {
    struct stat file;
    if (stat(pPath.c_str(), &file) == 0)
        aFiles.emplace(std::make_pair(file.st_dev, file.st_ino), TInput{pPath, pMedium});
}
