// Shared by the fuzz targets: the start-up that turns an unexpected assertion report into a
// finding, the check that stops the run, the comparisons of written XML and of bit patterns,
// and the reader that turns the fuzzer's bytes into values. Each target is one translation
// unit that includes this header once.
#pragma once

#include <wx/debug.h>
#include <wx/init.h>
#include <wx/string.h>
#include <wx/xml/xml.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

// Stops the run on a broken property, so that the fuzzer keeps the input.
inline void Require(bool pCondition) {
    if (!pCondition)
        std::abort();
}

// The assertion texts that a target's input may legitimately cause; any other report aborts
// the run. A target that needs some declares them once at namespace scope:
//     const TExpectedAsserts theExpected{"pCount > 0"};
class TExpectedAsserts {
public:
    TExpectedAsserts(std::initializer_list<const char*> pConditions) {
        for (const char* condition : pConditions)
            List().push_back(condition);
    }

    static bool Contains(const wxString& pCondition) {
        for (const wxString& condition : List())
            if (condition == pCondition)
                return true;
        return false;
    }

private:
    static std::vector<wxString>& List() {
        static std::vector<wxString> theList;
        return theList;
    }
};

// Hostile input must be refused by the readers, never reach an internal check.
inline void AbortOnUnexpectedAssert(const wxString& pFile, int pLine, const wxString& pFunction,
                                    const wxString& pCondition, const wxString&) {
    if (TExpectedAsserts::Contains(pCondition))
        return;
    std::fprintf(stderr, "unexpected assertion report \"%s\" in %s at %s:%d\n",
                 static_cast<const char*>(pCondition.utf8_str()),
                 static_cast<const char*>(pFunction.utf8_str()),
                 static_cast<const char*>(pFile.utf8_str()), pLine);
    std::abort();
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static wxInitializer theInitializer;
    wxSetAssertHandler(AbortOnUnexpectedAssert);
    return 0;
}

// Same 64-bit pattern: 0.0 and -0.0 differ, a NaN equals itself.
inline bool SameBits(double p1, double p2) {
    return std::memcmp(&p1, &p2, sizeof p1) == 0;
}

// Same type, name and content, the same attributes in the same order, and the same children
// and following siblings.
inline bool SameXml(const wxXmlNode* p1, const wxXmlNode* p2) {
    if (!p1 || !p2)
        return p1 == p2;
    if (p1->GetType() != p2->GetType() || p1->GetName() != p2->GetName() ||
        p1->GetContent() != p2->GetContent())
        return false;
    const wxXmlAttribute* a1 = p1->GetAttributes();
    const wxXmlAttribute* a2 = p2->GetAttributes();
    for (; a1 && a2; a1 = a1->GetNext(), a2 = a2->GetNext())
        if (a1->GetName() != a2->GetName() || a1->GetValue() != a2->GetValue())
            return false;
    return !a1 && !a2 && SameXml(p1->GetChildren(), p2->GetChildren()) &&
           SameXml(p1->GetNext(), p2->GetNext());
}

// The bytes as a text: ASCII as it is, the other bytes spread beyond Latin-1.
inline wxString FuzzText(const uint8_t* pData, size_t pSize) {
    wxString text;
    for (size_t i = 0; i < pSize; ++i)
        text += wxUniChar(pData[i] < 0x80 ? pData[i] : 0x80 + pData[i] * 7u);
    return text;
}

// Reads the input front to back; zeros once it runs out.
class TFuzzInput {
public:
    TFuzzInput(const uint8_t* pData, size_t pSize) : aData(pData), aLeft(pSize) {}

    bool Empty() const { return aLeft == 0; }
    unsigned Byte() { return Take<uint8_t>(); }
    // The next sizeof(T) bytes as they lie in memory; missing bytes are zero.
    template <typename T>
    T Take() {
        T value{};
        const size_t count = aLeft < sizeof value ? aLeft : sizeof value;
        std::memcpy(&value, aData, count);
        aData += count;
        aLeft -= count;
        return value;
    }
    template <typename T, size_t N>
    const T& Pick(const T (&pTable)[N]) {
        return pTable[Byte() % N];
    }

private:
    const uint8_t* aData;
    size_t aLeft;
};
