#include "DLL/Bas/Formula.h"

const wchar_t* GetContinuityImage(EContinuity pCont) {
    static const wchar_t* const theImages[] = {L"FLAT", L"NONE", L"ANGLE", L"SMOOTH", L"COUNT"};
    // A damaged value must not index past the table.
    const unsigned index = static_cast<unsigned>(pCont);
    return index < contNO_KEY ? theImages[index] : theImages[contNO_KEY];
}

IFormula::~IFormula() = default;

IClonableFormula::~IClonableFormula() = default;
