// TZVFilePath: where a file name leads, whatever the current folder is: the current folder's
// own path however long it is (wxWidgets reads it into a fixed buffer of about 1 KB), names
// made absolute against it, and the file a name reaches, so that two names of one file compare
// equal whatever link, ".." or spelling leads to it.
#pragma once

#include <string>

#include <sys/types.h>

class TZVFilePath {
public:
    // A file as a writer reaches it: one that exists by its device and inode, a new one by
    // its folder's device and inode and its name in that folder.
    struct TId {
        dev_t aDevice = 0;
        ino_t aInode = 0;
        std::string aName; // empty for a file that exists
        bool operator==(const TId& pOther) const;
        bool operator<(const TId& pOther) const;
    };

    // The file pPath reaches, its symbolic links followed; false when it cannot be known (a
    // link that cannot be followed, a folder that is not there).
    static bool Identify(const std::string& pPath, TId& pId);
    // The folder that pPath names a file in, as written: "." for a bare name, "/" for a name
    // at the root.
    static std::string FolderOf(const std::string& pPath);
    // The current folder's absolute path, however long; empty when it cannot be read (it
    // was removed).
    static std::string CurrentFolder();
    // pPath made absolute against the current folder, its "." parts and doubled "/" left out;
    // as it is when it is absolute already or the current folder cannot be read.
    static std::string Absolute(const std::string& pPath);
    // The descriptor of this process that pPath names (/dev/stdout, /dev/fd/3,
    // /proc/self/fd/3), or -1: such a name reaches what the descriptor holds, which may have
    // no name of its own.
    static int DescriptorOf(const std::string& pPath);
};
