// What FFmpeg logs while it works on a medium, gathered per kind of problem instead of
// printed: a damaged file gives thousands of lines that say a few things.
#pragma once

#include "REDarodo/Media.h"

#include <mutex>
#include <string>
#include <vector>

class TMediaLog {
public:
    // Counts pText (one message, FFmpeg's context prefix aside) under its kind: texts alike
    // but for their numbers are one kind.
    void Add(const std::string& pText);
    // Counts a message whose text could not be kept (no memory) among the others.
    void AddUnkept();
    // See TZVMedia::GetProblems.
    std::vector<TZVMediaProblem> GetProblems() const;

private:
    struct TKind {
        std::string aKey;
        std::string aText;
        long aCount;
    };

    // FFmpeg's threads may log too.
    mutable std::mutex aMutex;
    std::vector<TKind> aKinds;
    long aOthers = 0;
};

// While it lives, the warnings and errors FFmpeg logs on this thread go to pLog, its lesser
// messages nowhere. Decoders run on their caller's thread (OpenDecoder), so a medium's
// messages come on the thread that reads it. Messages outside any scope and of no context
// given to a log (TMediaLogContext), such as the host's encoders', are printed as FFmpeg
// prints them.
class TMediaLogScope {
public:
    explicit TMediaLogScope(TMediaLog& pLog);
    ~TMediaLogScope();
    TMediaLogScope(const TMediaLogScope&) = delete;
    TMediaLogScope& operator=(const TMediaLogScope&) = delete;

private:
    TMediaLog* const aPrevious;
};

// While it lives, what FFmpeg logs for pContext, or for the contexts it is the parent of, goes
// to pLog, on whatever thread it is logged: libswscale converts on threads of its own, where
// no scope is open.
class TMediaLogContext {
public:
    TMediaLogContext(const void* pContext, TMediaLog& pLog);
    ~TMediaLogContext();
    TMediaLogContext(const TMediaLogContext&) = delete;
    TMediaLogContext& operator=(const TMediaLogContext&) = delete;

private:
    const void* const aContext;
};
