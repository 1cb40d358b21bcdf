// TZVNamePattern: a file name pattern with one integer conversion ("out/f%04d.png"), as
// zvrender's --png names its pictures and a numbered image sequence names its images.
#pragma once

#include <string>
#include <utility>
#include <vector>

class TZVNamePattern {
public:
    explicit TZVNamePattern(const std::string& pPattern);

    // Whether the pattern holds exactly one integer conversion ("%d" with flags and width)
    // and no other than "%%".
    bool IsValid() const { return aBegin != std::string::npos; }
    // The name of number pNumber: the conversion made with pNumber, each "%%" made one "%".
    // Empty when the number alone would be longer than any path can be (PATH_MAX).
    std::string Name(long pNumber) const;
    // The pattern with each "%%" of the folders before the part that holds the conversion made
    // one "%": the folder the names are in as the system has it, the rest as it is.
    std::string Folders() const;
    // Whether pName is the name of some number, which goes to pNumber.
    bool Matches(const std::string& pName, long& pNumber) const;

    // The files there are now under the names that pPath gives, a path whose file name holds
    // the pattern: their numbers and paths (each "%%" of the folder made one "%"). None when the
    // folder cannot be read.
    static std::vector<std::pair<long, std::string>> Existing(const std::string& pPath);
    // The numbers whose names under the pattern lead through something there is now where the
    // conversion stands: the part of the path that holds it names an entry of its folder (a
    // file, a folder, a link that may lead nowhere). None when that folder cannot be read.
    std::vector<long> Present() const;
    // Whether the conversion stands in a folder's name ("x%d/f.png"): each number's name is
    // then in a folder of its own.
    bool NamesFolders() const;
    // The numbers from pFirst to pLast whose names a check of what they reach must look at, in
    // order: those Present finds where the conversion stands in the file's name; where it
    // stands in a folder's, each number in turn up to the first whose folder is not there
    // (never more than there are folders), which pMissing takes (-1 when none is missing).
    std::vector<long> Reached(long pFirst, long pLast, long& pMissing) const;

private:
    // The entries of the folder pFolder (the current one when empty) whose names are names of
    // this pattern: their numbers and names. None when the folder cannot be read.
    std::vector<std::pair<long, std::string>> Entries(const std::string& pFolder) const;

    const std::string aPattern;
    size_t aEnd = 0;
    const size_t aBegin;
};
