#include "InputFiles.h"

#include "NamePattern.h"

TZVInputFiles::TZVInputFiles(const std::string& pProject, const std::vector<std::string>& pMedia) {
    Add(pProject, false);
    for (const std::string& medium : pMedia) {
        // A numbered sequence has its conversion in the file name, after the last "/".
        if (!TZVNamePattern(medium.substr(medium.rfind('/') + 1)).IsValid()) {
            Add(medium, true);
            continue;
        }
        for (const std::pair<long, std::string>& file : TZVNamePattern::Existing(medium))
            Add(file.second, true);
    }
}

const TZVInputFiles::TInput* TZVInputFiles::Find(const std::string& pPath, bool pMediaOnly) const {
    const TZVFilePath::TTarget target = TZVFilePath::Find(pPath);
    if (target.aKind != TZVFilePath::kindFILE || !target.aId.aName.empty())
        return nullptr;
    const auto found = aFiles.find(target.aId);
    if (found == aFiles.end() || (pMediaOnly && !found->second.aIsMedium))
        return nullptr;
    return &found->second;
}

const TZVInputFiles::TInput* TZVInputFiles::FindNamed(const std::string& pPattern, long pFirst,
                                                      long pLast, std::string& pName) const {
    const TZVNamePattern pattern(pPattern);
    long missing = -1;
    for (const long number : pattern.Reached(pFirst, pLast, missing)) {
        const std::string name = pattern.Name(number);
        if (const TInput* input = Find(name, false)) {
            pName = name;
            return input;
        }
    }
    return nullptr;
}

void TZVInputFiles::Add(const std::string& pPath, bool pMedium) {
    TZVFilePath::TId file;
    if (TZVFilePath::Identify(pPath, file) && file.aName.empty())
        aFiles.emplace(file, TInput{pPath, pMedium});
}
