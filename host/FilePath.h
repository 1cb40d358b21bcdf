// TZVFilePath: where a file name leads, as the system leads it, and whether the caller may take
// what it leads to; the one place that follows links, knows the process's descriptors by what
// a name is rather than how it is spelled, and tells the file a name reaches, so that two names
// of one file compare equal whatever link, ".." or spelling leads to it. Also the current
// folder's own path however long it is (wxWidgets reads it into a fixed buffer of about 1 KB)
// and names made absolute against it.
#pragma once

#include <string>

#include <sys/types.h>

class TZVFilePath {
public:
    // What a name leads to, its links followed.
    enum EKind {
        kindFILE,   // a regular file, or nothing yet
        kindDEVICE, // a character device
        kindFIFO,
        kindBLOCK,
        kindSOCKET,
        kindFOLDER,
        kindUNKNOWN // cannot be known: the target's error says why
    };

    // A file as a writer reaches it: one that exists by its device and inode, a new one by
    // its folder's device and inode and its name in that folder.
    struct TId {
        dev_t aDevice = 0;
        ino_t aInode = 0;
        std::string aName; // empty for a file that exists
        bool operator==(const TId& pOther) const;
        bool operator<(const TId& pOther) const;
    };

    // Where a name leads.
    struct TTarget {
        EKind aKind = kindUNKNOWN;
        // The errno that says why the caller may not take what the name leads to, or 0: for
        // kindUNKNOWN, why it cannot be known.
        int aError = 0;
        // The name with every link it walks through followed, to a name that need not exist
        // or to a process's descriptor link; for kindUNKNOWN, followed as far as it could be,
        // the rest as given.
        std::string aPath;
        // The file, for every kind but kindUNKNOWN.
        TId aId;
        // aPath is a process's descriptor link (/proc/PID/fd/N): it opens what the descriptor
        // holds, which may have no name of its own.
        bool aDescriptorLink = false;
        // The descriptor of this process that the name stands for, or -1.
        int aDescriptor = -1;
    };

    // Where pPath leads: each link it walks through, in a folder part or at its end, is
    // followed against its own folder, up to 40 as the system follows them. A link, a FIFO
    // or a regular file in a folder that everyone may write into and only an entry's owner may
    // remove from (the sticky bit, as /tmp) may be taken only when it is the caller's or the
    // folder's owner's, whatever the system's settings say (EACCES otherwise, the file the
    // name reaches still told, so that it is known for the input it may be). A name that
    // reaches a descriptor link of this process, however it is spelled (/dev/stdout,
    // /proc/self/fd//3, /proc/PID/task/TID/fd/3), stands for that descriptor, refused with
    // EBADF when it was not open as the run started (TakeDescriptors).
    static TTarget Find(const std::string& pPath);
    // The file pPath reaches, as Find finds it, whether the caller may take it or not; false
    // when it cannot be known (a link that cannot be read, a folder that is not there).
    static bool Identify(const std::string& pPath, TId& pId);
    // Notes the descriptors the process has open now, before it opens any file of its own: a
    // name of another descriptor of the process is refused from then on, so that it never
    // reaches a file the program opened itself. Until it is called, every open descriptor
    // counts.
    static void TakeDescriptors();

    // The folder that pPath names a file in, as written: "." for a bare name, "/" for a name
    // at the root.
    static std::string FolderOf(const std::string& pPath);
    // The current folder's absolute path, however long; empty when it cannot be read (it
    // was removed).
    static std::string CurrentFolder();
    // pPath made absolute against the current folder, its "." parts and doubled "/" left out;
    // as it is when it is absolute already or the current folder cannot be read.
    static std::string Absolute(const std::string& pPath);
};
