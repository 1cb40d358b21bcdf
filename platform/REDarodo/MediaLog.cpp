#include "MediaLog.h"

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <new>
#include <utility>

namespace {

// The kinds counted apart, of which the most frequent are reported: enough for every kind a
// damaged file gives, few enough to bound the memory a hostile one takes.
constexpr size_t theCountedKinds = 64;

thread_local TMediaLog* theCurrent = nullptr;

// The contexts whose messages go to a log wherever they are logged.
struct TContextLogs {
    std::mutex aMutex;
    std::vector<std::pair<const void*, TMediaLog*>> aLogs;
};

TContextLogs& ContextLogs() {
    static TContextLogs theLogs;
    return theLogs;
}

// The context that pContext (an FFmpeg context, which starts with its class) names as its
// parent in messages; null when none.
const void* Parent(void* pContext) {
    const AVClass* const avClass = pContext ? *static_cast<AVClass**>(pContext) : nullptr;
    if (!avClass || avClass->parent_log_context_offset <= 0)
        return nullptr;
    return *reinterpret_cast<void**>(static_cast<uint8_t*>(pContext) +
                                     avClass->parent_log_context_offset);
}

bool IsDigit(char pChar) {
    return std::isdigit(static_cast<unsigned char>(pChar)) != 0;
}

bool IsWordChar(char pChar) {
    return std::isalnum(static_cast<unsigned char>(pChar)) != 0 || pChar == '_';
}

// The end of the number that starts at pStart ("12", "-8", "1.5", "0x1f3a"), or pStart when
// none does: a number stands alone, never as part of a word ("h264", "yuv420p").
size_t NumberEnd(const std::string& pText, size_t pStart) {
    if (pStart > 0 && IsWordChar(pText[pStart - 1]))
        return pStart;
    size_t end = pStart;
    if (pText[end] == '-' && end + 1 < pText.size())
        ++end;
    if (!IsDigit(pText[end]))
        return pStart;
    if (pText.compare(end, 2, "0x") == 0 && end + 2 < pText.size() &&
        std::isxdigit(static_cast<unsigned char>(pText[end + 2]))) {
        end += 2;
        while (end < pText.size() && std::isxdigit(static_cast<unsigned char>(pText[end])))
            ++end;
        return end;
    }
    while (end < pText.size() && IsDigit(pText[end]))
        ++end;
    if (end + 1 < pText.size() && pText[end] == '.' && IsDigit(pText[end + 1]))
        for (++end; end < pText.size() && IsDigit(pText[end]);)
            ++end;
    return end;
}

// pText with each number as "#": the values (positions, counts, pointers) differ from one
// message of a kind to the next.
std::string KindKey(const std::string& pText) {
    std::string key;
    for (size_t i = 0; i < pText.size();) {
        const size_t end = NumberEnd(pText, i);
        if (end > i)
            key += '#', i = end;
        else
            key += pText[i++];
    }
    return key;
}

// pText without surrounding white space, its control characters (which a damaged file could
// send to the terminal) as "?".
std::string Cleaned(const char* pText) {
    std::string text(pText);
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    text = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return text;
}

// The text as UTF-8 where it is, else with every byte outside ASCII as "?".
wxString Text(const std::string& pText) {
    const wxString text = wxString::FromUTF8(pText);
    if (!text.empty())
        return text;
    std::string ascii = pText;
    for (char& c : ascii)
        if (static_cast<unsigned char>(c) >= 0x80)
            c = '?';
    return wxString::FromAscii(ascii.c_str());
}

// The message pFormat of pLevel as a text for a log: empty when it is none of a log's.
std::string Message(int pLevel, const char* pFormat, va_list pArguments) {
    if (pLevel > AV_LOG_WARNING)
        return std::string();
    // As long as FFmpeg's own lines.
    char text[1024];
    std::vsnprintf(text, sizeof text, pFormat, pArguments);
    return Cleaned(text);
}

// The log given pContext or its parent; null when none. Called with the logs' mutex held.
TMediaLog* ContextLog(const TContextLogs& pLogs, void* pContext) {
    const void* const parent = Parent(pContext);
    for (const auto& [context, log] : pLogs.aLogs)
        if (context == pContext || (parent && context == parent))
            return log;
    return nullptr;
}

// Adds the message to the log of the thread's scope or of pContext; false when neither has
// one.
bool AddToLog(void* pContext, int pLevel, const char* pFormat, va_list pArguments) {
    TMediaLog* log = theCurrent;
    // Held while the message is added to a context's log, so that the log outlives it.
    std::unique_lock<std::mutex> lock;
    if (!log) {
        TContextLogs& logs = ContextLogs();
        lock = std::unique_lock<std::mutex>(logs.aMutex);
        log = ContextLog(logs, pContext);
        if (!log)
            return false;
    }
    // Called from FFmpeg, which no exception may cross: a message there is no memory to keep
    // is counted among the others.
    try {
        const std::string message = Message(pLevel, pFormat, pArguments);
        if (!message.empty())
            log->Add(message);
    } catch (const std::bad_alloc&) {
        log->AddUnkept();
    }
    return true;
}

void Collect(void* pContext, int pLevel, const char* pFormat, va_list pArguments) {
    va_list arguments;
    va_copy(arguments, pArguments);
    const bool added = AddToLog(pContext, pLevel, pFormat, arguments);
    va_end(arguments);
    if (!added)
        av_log_default_callback(pContext, pLevel, pFormat, pArguments);
}

// Makes FFmpeg log through Collect, once.
void InstallCollector() {
    static const bool theInstalled = (av_log_set_callback(Collect), true);
    (void)theInstalled;
}

} // namespace

void TMediaLog::Add(const std::string& pText) {
    const std::string key = KindKey(pText);
    const std::lock_guard<std::mutex> lock(aMutex);
    for (TKind& kind : aKinds)
        if (kind.aKey == key) {
            ++kind.aCount;
            return;
        }
    if (aKinds.size() < theCountedKinds)
        aKinds.push_back(TKind{key, pText, 1});
    else
        ++aOthers;
}

void TMediaLog::AddUnkept() {
    const std::lock_guard<std::mutex> lock(aMutex);
    ++aOthers;
}

std::vector<TZVMediaProblem> TMediaLog::GetProblems() const {
    std::vector<TKind> kinds;
    long others;
    {
        const std::lock_guard<std::mutex> lock(aMutex);
        kinds = aKinds;
        others = aOthers;
    }
    std::stable_sort(kinds.begin(), kinds.end(),
                     [](const TKind& p1, const TKind& p2) { return p1.aCount > p2.aCount; });
    std::vector<TZVMediaProblem> problems;
    for (const TKind& kind : kinds)
        if (problems.size() < size_t(TZVMedia::MAX_PROBLEM_KINDS))
            problems.push_back(TZVMediaProblem{Text(kind.aText), kind.aCount});
        else
            others += kind.aCount;
    if (others > 0)
        problems.push_back(TZVMediaProblem{wxString(), others});
    return problems;
}

TMediaLogScope::TMediaLogScope(TMediaLog& pLog) : aPrevious(theCurrent) {
    InstallCollector();
    theCurrent = &pLog;
}

TMediaLogScope::~TMediaLogScope() {
    theCurrent = aPrevious;
}

TMediaLogContext::TMediaLogContext(const void* pContext, TMediaLog& pLog) : aContext(pContext) {
    InstallCollector();
    TContextLogs& logs = ContextLogs();
    const std::lock_guard<std::mutex> lock(logs.aMutex);
    logs.aLogs.emplace_back(pContext, &pLog);
}

TMediaLogContext::~TMediaLogContext() {
    TContextLogs& logs = ContextLogs();
    const std::lock_guard<std::mutex> lock(logs.aMutex);
    logs.aLogs.erase(std::find_if(logs.aLogs.begin(), logs.aLogs.end(),
                                  [this](const auto& pEntry) { return pEntry.first == aContext; }));
}
