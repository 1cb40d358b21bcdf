// The undo round of ParamUndoRound.h, each step expected to succeed. Applying twice undoes
// and redoes an edit.
#pragma once

#include <memory>

class TZVParamRow;
class wxXmlNode;

// The row's undo image after a trip through a stored record; the record is cleared.
std::unique_ptr<wxXmlNode> TakeUndoImage(TZVParamRow& pRow);
// Applies the key list or the formula text of pImage to pRow, recording the opposite.
void ApplyUndoImage(TZVParamRow& pRow, const wxXmlNode& pImage);
// Takes the row's image and applies it: the last edit is undone, and the opposite is recorded.
void UndoParamEdit(TZVParamRow& pRow);
