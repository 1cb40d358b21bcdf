#include "DLL/Row/ParamRow.h"

TZVParamRow::TZVParamRow() : aIndex(0), aIsEnabled(false) {}

TZVParamRow::~TZVParamRow() = default;
