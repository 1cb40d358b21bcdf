#include "DLL/Row/SimpleParamRow.h"

const wxString TZVSimpleParamRow::theSubType = L"Standard";

namespace {

// Registers the factory when the library is loaded.
const bool theRegistered = (TZVParamRow::RegisterFactory(new TZVSimpleParamRow::Factory), true);

} // namespace

TZVSimpleParamRow::~TZVSimpleParamRow() = default;

const wxString& TZVSimpleParamRow::GetSubType() const {
    return theSubType;
}

wxString TZVSimpleParamRow::Factory::GetSubType() const {
    return theSubType;
}

TZVParamRow* TZVSimpleParamRow::Factory::Create(const TTypeDef& pTypeDef) const {
    return new TZVSimpleParamRow(pTypeDef);
}
