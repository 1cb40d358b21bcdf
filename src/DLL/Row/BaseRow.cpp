#include "DLL/Row/BaseRow.h"

TZVBaseRow::TZVBaseRow() : aTop(0), aParent(nullptr), aHeight(24) {}

TZVBaseRow::~TZVBaseRow() = default;

void TZVBaseRow::MarkKeyAt(int) const {}
