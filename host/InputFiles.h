// TZVInputFiles: the files a loaded project reads (the project file and its media, each
// image of a numbered sequence), known as TZVFilePath knows files, so that an output can be
// checked against them whatever name, link or ".." leads to it, as outputs are checked against
// each other.
#pragma once

#include "FilePath.h"

#include <map>
#include <string>
#include <vector>

class TZVInputFiles {
public:
    struct TInput {
        std::string aPath; // as it was given
        bool aIsMedium;
        // "the project <path>" or "the medium <path>".
        std::string Describe() const {
            return (aIsMedium ? "the medium " : "the project ") + aPath;
        }
    };

    // pProject and the media paths pMedia (a path with one integer conversion names every file
    // of its numbered sequence); a file that does not exist reads nothing and is left out.
    TZVInputFiles(const std::string& pProject, const std::vector<std::string>& pMedia);

    // The input that writing the file pPath would replace, or null, also when pPath does not
    // exist or is a character device or a FIFO (written into, never replaced); pMediaOnly
    // leaves the project file out.
    const TInput* Find(const std::string& pPath, bool pMediaOnly) const;
    // The first input that a file named by pPattern (a path with one integer conversion, in its
    // file's name or a folder's) with a number from pFirst to pLast is, or null; pName takes the
    // file's path.
    const TInput* FindNamed(const std::string& pPattern, long pFirst, long pLast,
                            std::string& pName) const;

private:
    void Add(const std::string& pPath, bool pMedium);

    std::map<TZVFilePath::TId, TInput> aFiles;
};
