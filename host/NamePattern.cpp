#include "NamePattern.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

namespace {

// The position of the one integer conversion of pPattern ("%d" with flags and width), or
// npos when there is none, another conversion or more than one; pEnd goes after it.
size_t FindConversion(const std::string& pPattern, size_t& pEnd) {
    size_t found = std::string::npos;
    for (size_t i = 0; i < pPattern.size(); ++i) {
        if (pPattern[i] != '%')
            continue;
        if (i + 1 < pPattern.size() && pPattern[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t j = pPattern.find_first_not_of("-+ #0", i + 1);
        j = j == std::string::npos ? j : pPattern.find_first_not_of("0123456789", j);
        if (j == std::string::npos || pPattern[j] != 'd' || found != std::string::npos)
            return std::string::npos;
        found = i;
        pEnd = j + 1;
        i = j;
    }
    return found;
}

// pText with each "%%" made one "%".
std::string Literal(const std::string& pText) {
    std::string text;
    for (size_t i = 0; i < pText.size(); ++i) {
        text += pText[i];
        if (pText[i] == '%' && i + 1 < pText.size() && pText[i + 1] == '%')
            ++i;
    }
    return text;
}

} // namespace

TZVNamePattern::TZVNamePattern(const std::string& pPattern)
    : aPattern(pPattern), aBegin(FindConversion(pPattern, aEnd)) {}

std::string TZVNamePattern::Name(long pNumber) const {
    const std::string conversion = aPattern.substr(aBegin, aEnd - aBegin - 1) + "ld";
    const int size = std::snprintf(nullptr, 0, conversion.c_str(), pNumber);
    if (size < 0 || size >= PATH_MAX)
        return std::string();
    std::string number(size_t(size), '\0');
    std::snprintf(&number[0], number.size() + 1, conversion.c_str(), pNumber);
    return Literal(aPattern.substr(0, aBegin)) + number + Literal(aPattern.substr(aEnd));
}

std::string TZVNamePattern::Folders() const {
    const size_t slash = IsValid() ? aPattern.rfind('/', aBegin) : std::string::npos;
    return slash == std::string::npos
               ? aPattern
               : Literal(aPattern.substr(0, slash + 1)) + aPattern.substr(slash + 1);
}

bool TZVNamePattern::Matches(const std::string& pName, long& pNumber) const {
    if (!IsValid())
        return false;
    const std::string prefix = Literal(aPattern.substr(0, aBegin));
    const std::string suffix = Literal(aPattern.substr(aEnd));
    if (pName.size() <= prefix.size() + suffix.size() || pName.compare(0, prefix.size(), prefix) ||
        pName.compare(pName.size() - suffix.size(), suffix.size(), suffix))
        return false;
    const std::string digits =
        pName.substr(prefix.size(), pName.size() - prefix.size() - suffix.size());
    char* stop = nullptr;
    errno = 0;
    const long number = std::strtol(digits.c_str(), &stop, 10);
    if (errno || *stop)
        return false;
    pNumber = number;
    return Name(number) == pName;
}

std::vector<std::pair<long, std::string>>
TZVNamePattern::Entries(const std::string& pFolder) const {
    std::vector<std::pair<long, std::string>> entries;
    DIR* names = opendir(pFolder.empty() ? "." : pFolder.c_str());
    long number = 0;
    while (const dirent* entry = names ? readdir(names) : nullptr)
        if (Matches(entry->d_name, number))
            entries.emplace_back(number, entry->d_name);
    if (names)
        closedir(names);
    return entries;
}

std::vector<std::pair<long, std::string>> TZVNamePattern::Existing(const std::string& pPath) {
    const size_t slash = pPath.rfind('/');
    const std::string typed =
        slash == std::string::npos ? std::string() : pPath.substr(0, slash + 1);
    const std::string folder = Literal(typed);
    std::vector<std::pair<long, std::string>> files =
        TZVNamePattern(pPath.substr(typed.size())).Entries(folder);
    for (auto& file : files)
        file.second.insert(0, folder);
    return files;
}

bool TZVNamePattern::NamesFolders() const {
    return IsValid() && aPattern.find('/', aEnd) != std::string::npos;
}

std::vector<long> TZVNamePattern::Reached(long pFirst, long pLast, long& pMissing) const {
    pMissing = -1;
    std::vector<long> numbers;
    if (!NamesFolders()) {
        for (const long number : Present())
            if (number >= pFirst && number <= pLast)
                numbers.push_back(number);
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }
    for (long number = pFirst; number <= pLast; ++number) {
        const std::string name = Name(number);
        const size_t slash = name.rfind('/');
        struct stat folder;
        if (stat(name.substr(0, slash).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
            pMissing = number;
            break;
        }
        numbers.push_back(number);
    }
    return numbers;
}

std::vector<long> TZVNamePattern::Present() const {
    std::vector<long> numbers;
    if (!IsValid())
        return numbers;
    const size_t slash = aPattern.rfind('/', aBegin);
    const size_t begin = slash == std::string::npos ? 0 : slash + 1;
    const TZVNamePattern part(aPattern.substr(begin, aPattern.find('/', aEnd) - begin));
    for (const auto& entry : part.Entries(Literal(aPattern.substr(0, begin))))
        numbers.push_back(entry.first);
    return numbers;
}
