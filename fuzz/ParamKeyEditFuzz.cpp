// Key-list edits of a parameter row read from the input (segments with gaps, any continuity,
// eased starts, undefined values, texts), each undone and redone through the host's undo
// round: the row's XML equals the snapshots before and after, the stream's keys equal a
// fresh count, no coefficient is NaN, and no edit reports anything. In the second mode the
// row takes arbitrary key lists as undo records (overlapping segments, marks on and off
// segments, reversed ranges, undefined values); applying the opposite image gives the row
// back its XML and its keys, and applying that one's opposite the state in between. In the
// third mode the row's keys are dragged: one to three selected ranges in span or key mode,
// the plain path asked for or not, steps of any distance (some leave the 32-bit range);
// after every step the row equals a twin given that single step from the start, and the
// drag's image undoes and redoes it. Key edits set keys with any continuity, side and easing,
// and key values (numbers, NaN, texts, undefined, font texts); in a fourth mode a font row
// with its components sits beside the row and takes them too, each changed row undone and
// redone.
#include "DLL/Row/ParamRow.h"

#include "ALL/Error.h"
#include "DLL/Row/FontParamRow.h"
#include "DLL/Row/ZVFormula.h"
#include "FuzzInput.h"
#include "support/FakeRows.h"
#include "support/ParamUndoRound.h"
#include "support/RowText.h"
#include "support/SegmentCheck.h"

#include <wx/xml/xml.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// A mark whose segment is missing, in a key list handed to the row; a drag that lifts
// nothing over keys.
const TExpectedAsserts theExpected{"FoundFormula!=aFormulaList.end()", "!TempList.empty()"};

bool theKeyListMode = false;
bool theDragMode = false;
// A key edit asked for easing that a continuity excludes: from then on the curve computations
// may report it.
bool theEased = false;
// The last edit dropped its record (a key value without undo compiler).
bool theUnrecorded = false;

// Outside the key-list mode every report is a finding, but the empty lift of a drag, key
// values that the row's type cannot hold and, after a key edit asked for it, easing that a
// continuity excludes: the edits are given a sound row.
void OnAssert(const wxString& pFile, int pLine, const wxString& pFunction,
              const wxString& pCondition, const wxString& pMessage) {
    if (pCondition == L"IsKeyValue(pValue)" || (theEased && IsEasingCheck(pCondition)))
        return;
    const bool expected = theKeyListMode || (theDragMode && pCondition == L"!TempList.empty()");
    AbortOnUnexpectedAssert(pFile, pLine, pFunction, expected ? pCondition : L"edit: " + pCondition,
                            pMessage);
}

const int theTypes[] = {paramTypeREAL, paramTypeINTEGER, paramTypeTEXT};
const wchar_t* const theTexts[] = {L"a", L"b", L""};
const wchar_t* const theExpressions[] = {L"time", L"1 + 1", L"time * 2 - 3"};
const double theFactors[] = {0.5, 2.0, 0.3, 1.7, 1.0};
const wchar_t* const theFontTexts[] = {L"Bi12\tArial", L"bI-3\tA\tB", L"bi0\t",
                                       L"Bx9\tMono",   L"Bi12 Arial", L"BI\tArial"};

TVariant Value(TFuzzInput& pInput, const TTypeDef& pType) {
    const unsigned choice = pInput.Byte();
    if (choice % 8 == 0)
        return UNDEFINED_VARIANT;
    if (pType.aType == paramTypeTEXT)
        return TVariant(wxString(theTexts[choice % 3]));
    return TVariant(double(int(choice) - 128));
}

// A segment at pBegin: text and undefined values stay FLAT; a start that is not SMOOTH may
// be eased.
TABCFormula Segment(TFuzzInput& pInput, const TTypeDef& pType, long pBegin, long pEnd) {
    TABCFormula segment(pBegin, Value(pInput, pType), pEnd);
    const unsigned form = pInput.Byte();
    if (segment.aCont == contFLAT)
        return segment;
    segment.aCont = EContinuity(form % 4);
    if (segment.aCont == contFLAT)
        return segment;
    segment.c = (int(form >> 2 & 7) - 3) * 0.01;
    segment.b = form & 32 ? -0.0001 : 0.0;
    segment.aAccel = form & 64 && segment.aCont != contSMOOTH;
    return segment;
}

// One sequence or a few, and a row of 1 to 32 segments with gaps.
void ReadRow(TFuzzInput& pInput, TFakeStreamRow& pStream, TZVParamRow& pRow) {
    long time = pInput.Take<int16_t>();
    for (unsigned count = 1 + pInput.Byte() % 3; count > 0; --count) {
        const long begin = time + pInput.Byte() % 64;
        time = begin + 1 + pInput.Take<uint16_t>() % 600;
        pStream.aSequenceList.push_back(TRange(begin, time));
    }
    time = pStream.aSequenceList.front().aBegin + long(pInput.Byte() % 32) - 16;
    for (unsigned count = 1 + pInput.Byte() % 32; count > 0; --count) {
        const unsigned form = pInput.Byte();
        const long end = form == 255 ? TZVParamRow::OPEN_END : time + 1 + form % 60;
        pRow.insertFormula(Segment(pInput, pRow.aTypeDef, time, end), nullptr, false);
        if (end == TZVParamRow::OPEN_END)
            break;
        time = end + (form & 64 ? 1 + form % 30 : 0);
    }
}

// A key of the row or a time beside it, or any time.
long Time(TFuzzInput& pInput, const TZVParamRow& pRow) {
    const unsigned choice = pInput.Byte();
    if (choice >= 192 || pRow.aFormulaList.empty())
        return pInput.Take<int16_t>();
    auto segment = pRow.aFormulaList.begin();
    for (unsigned skip = pInput.Byte() % pRow.aFormulaList.size(); skip > 0; --skip)
        ++segment;
    return (choice & 1 ? segment->aEnd : segment->aBegin) + long(choice % 3) - 1;
}

TZVFormula* Expression(TFuzzInput& pInput, TZVParamRow& pRow) {
    wxXmlNode value(wxXML_ELEMENT_NODE, L"value");
    value.AddChild(new wxXmlNode(wxXML_TEXT_NODE, wxString(), pInput.Pick(theExpressions)));
    TZVFormula* formula = new TZVFormula(&pRow);
    formula->ValueFromXml(&value, pRow.aTypeDef);
    return formula;
}

class TNoUndo : public TZVBaseRow::IUndoCompiler {
public:
    void AddStreamRow(TZVStreamRow*) override {}
    void AddParamRow(TZVParamRow*) override {}
};

// A value for a key: a number, NaN, infinity, undefined, a text or a font text.
TVariant KeyValue(TFuzzInput& pInput) {
    const unsigned choice = pInput.Byte();
    switch (choice % 8) {
    case 0:
        return TVariant(std::nan(""));
    case 1:
        return TVariant(HUGE_VAL);
    case 2:
        return UNDEFINED_VARIANT;
    case 3:
        return TVariant(wxString(theTexts[choice / 8 % 3]));
    case 4:
        return TVariant(wxString(theFontTexts[choice / 8 % 6]));
    default:
        return TVariant(double(int(choice) - 128));
    }
}

// EditKey with any continuity, side and easing, or EditKeyValue, at times of pKeys's row.
void EditKeys(TFuzzInput& pInput, TZVParamRow& pRow, const TZVParamRow& pKeys,
              TZVBaseRow::IUndoCompiler& pUndo) {
    const unsigned form = pInput.Byte();
    const long time = Time(pInput, pKeys);
    if (form & 1) {
        theEased = true;
        return pRow.EditKey(time, form & 2, form & 4, EContinuity(form >> 3 & 3), pUndo);
    }
    theUnrecorded = form & 32;
    try {
        pRow.EditKeyValue(time, form & 2, KeyValue(pInput), theUnrecorded ? nullptr : &pUndo);
    } catch (const TError&) {
        // A font text that does not read changes no component.
        theUnrecorded = false;
    }
}

void Edit(TFuzzInput& pInput, TZVParamRow& pRow) {
    TNoUndo undo;
    const unsigned choice = pInput.Byte() % 11;
    if (choice >= 9)
        return EditKeys(pInput, pRow, pRow, undo);
    const long time = Time(pInput, pRow);
    switch (choice) {
    case 0:
        return pRow.DeleteKey(time, undo);
    case 1:
        return pRow.DeleteFormula(time, undo);
    case 2:
        pRow.SplitAt(time, undo);
        return;
    case 3:
        pRow.JoinAt(time, undo);
        return;
    case 4:
        return pRow.ScaleTime(pInput.Pick(theFactors), undo);
    case 5: {
        TRangeList ranges;
        ranges.push_back(TRange(time, time + pInput.Byte() % 100));
        if (pInput.Byte() % 2)
            ranges.push_back(TRange(ranges.back().aEnd + pInput.Byte() % 50, Time(pInput, pRow)));
        return pRow.DeleteSeqKey(ranges, undo);
    }
    case 6: {
        // The last sequence grew or shrank.
        TRange& sequence = pRow.GetOwnerStream()->aSequenceList.back();
        sequence.aEnd = std::max(sequence.aBegin + 1, sequence.aEnd + long(pInput.Byte()) - 50);
        return pRow.ExtendEnd(time);
    }
    case 7:
        return pRow.SetFormula(Expression(pInput, pRow));
    default:
        return pRow.ExtendEnd(time);
    }
}

std::unique_ptr<wxXmlNode> Image(const TZVParamRow& pRow) {
    return std::unique_ptr<wxXmlNode>(pRow.GetXmlImage());
}

bool NoNaN(const TZVParamRow& pRow) {
    for (const TABCFormula& segment : pRow.aFormulaList)
        if (std::isnan(segment.a) || std::isnan(segment.b) || std::isnan(segment.c))
            return false;
    return true;
}

// The row after the undo round holds pExpected, counted afresh.
void RequireRound(TZVParamRow& pRow, const wxXmlNode& pExpected) {
    const std::unique_ptr<wxXmlNode> image = StoredUndoImage(pRow);
    Require(image && ApplyStoredImage(pRow, *image));
    Require(SameXml(Image(pRow).get(), &pExpected));
    Require(KeyText(pRow.GetOwnerStream()->aKeyList) == RecountKeys(pRow));
}

void RunEdits(TFuzzInput& pInput, TZVParamRow& pRow) {
    for (int count = 0; count < 8 && !pInput.Empty(); ++count) {
        const std::unique_ptr<wxXmlNode> before = Image(pRow);
        Edit(pInput, pRow);
        const std::unique_ptr<wxXmlNode> after = Image(pRow);
        Require(NoNaN(pRow));
        Require(KeyText(pRow.GetOwnerStream()->aKeyList) == RecountKeys(pRow));
        // The host takes no image of an edit that neither changed nor recorded anything.
        if ((SameXml(before.get(), after.get()) && pRow.aUndoList.empty() && !pRow.aUndoFormula) ||
            theUnrecorded) {
            Require(pRow.aUndoList.empty());
            theUnrecorded = false;
            continue;
        }
        RequireRound(pRow, *before);
        RequireRound(pRow, *after);
        StoredUndoImage(pRow);
    }
}

TABCFormulaList KeyList(TFuzzInput& pInput, const TZVParamRow& pRow) {
    TABCFormulaList list;
    for (unsigned count = pInput.Byte() % 16; count > 0 && !pInput.Empty(); --count) {
        const long begin = Time(pInput, pRow);
        // Within the times a stored record can hold.
        const long end = std::min(begin + long(pInput.Byte() % 90) - 10, TZVParamRow::OPEN_END);
        list.push_back(Segment(pInput, pRow.aTypeDef, begin, end));
    }
    return list;
}

void RunKeyList(TFuzzInput& pInput, TZVParamRow& pRow) {
    const std::unique_ptr<wxXmlNode> before = Image(pRow);
    const std::string keys = KeyText(pRow.GetOwnerStream()->aKeyList);
    theKeyListMode = true;
    pRow.ApplyUndo(KeyList(pInput, pRow), true);
    theKeyListMode = false;
    const std::unique_ptr<wxXmlNode> after = Image(pRow);
    const std::string afterKeys = KeyText(pRow.GetOwnerStream()->aKeyList);
    const std::unique_ptr<wxXmlNode> image = StoredUndoImage(pRow);
    Require(image && ApplyStoredImage(pRow, *image));
    Require(SameXml(Image(pRow).get(), before.get()));
    Require(KeyText(pRow.GetOwnerStream()->aKeyList) == keys);
    const std::unique_ptr<wxXmlNode> opposite = StoredUndoImage(pRow);
    Require(opposite && ApplyStoredImage(pRow, *opposite));
    Require(SameXml(Image(pRow).get(), after.get()));
    Require(KeyText(pRow.GetOwnerStream()->aKeyList) == afterKeys);
}

long Distance(TFuzzInput& pInput) {
    const unsigned form = pInput.Byte();
    if (form < 16)
        return pInput.Take<int32_t>();
    return long(pInput.Take<int8_t>()) * long(form % 4 + 1);
}

void RunDrag(TFuzzInput& pInput, TZVParamRow& pRow) {
    const std::unique_ptr<wxXmlNode> start = Image(pRow);
    if (pRow.aFormula) {
        // An expression row stays as it is.
        pRow.Shift(int(Distance(pInput)), false);
        Require(SameXml(Image(pRow).get(), start.get()) && pRow.aUndoList.empty());
        return;
    }
    TFakeStreamRow twinStream;
    twinStream.aSequenceList = pRow.GetOwnerStream()->aSequenceList;
    TFakeParamRow* twin = AddSegmentCopy(twinStream, pRow, pRow.aIsEnabled);
    twin->aName = pRow.aName;
    twin->aTypeDef = pRow.aTypeDef;
    const unsigned form = pInput.Byte();
    TFakeTimeSelection selection({}, form & 1);
    TRangeList selected;
    long begin = Time(pInput, pRow);
    for (unsigned count = 1 + form / 4 % 3; count > 0; --count) {
        selected.push_back(TRange(begin, begin + 1 + pInput.Byte() % 128));
        begin = selected.back().aEnd + pInput.Byte() % 64;
    }
    theDragMode = true;
    for (unsigned step = 1 + pInput.Byte() % 8; step > 0 && !pInput.Empty(); --step) {
        // The host shows the selection at its shifted place.
        const long distance = Distance(pInput);
        selection.aRanges.clear();
        for (const TRange& range : selected)
            selection.aRanges.push_back(TRange(range.aBegin + distance, range.aEnd + distance));
        pRow.Shift(int(distance), form & 2);
        twin->Shift(int(distance), form & 2);
        Require(SameXml(Image(pRow).get(), Image(*twin).get()) && SegmentFault(pRow).empty());
        Require(KeyText(pRow.GetOwnerStream()->aKeyList) == RecountKeys(pRow));
        twin->Shift(0, form & 2);
        Require(SameXml(Image(*twin).get(), start.get()));
    }
    theDragMode = false;
    const std::unique_ptr<wxXmlNode> after = Image(pRow);
    // Nothing moved: the host takes no image.
    if (pRow.aUndoList.empty()) {
        Require(SameXml(after.get(), start.get()));
        return;
    }
    RequireRound(pRow, *start);
    RequireRound(pRow, *after);
}

// Collects the rows an edit tells it about.
class TRowsUndo : public TZVBaseRow::IUndoCompiler {
public:
    void AddStreamRow(TZVStreamRow*) override {}
    void AddParamRow(TZVParamRow* pRow) override {
        if (aSeen.insert(pRow).second)
            aRows.push_back(pRow);
    }
    std::set<TZVParamRow*> aSeen;
    std::vector<TZVParamRow*> aRows;
};

// A font row and its components after the row, made as a stream makes its default parameters.
void AddFont(TFakeStreamRow& pStream) {
    const TTypeDef types[] = {TTypeDef(paramTypeTEXT), TTypeDef(paramTypeINTEGER),
                              FLAG_PARAM_TYPE(), FLAG_PARAM_TYPE()};
    std::vector<TZVParamRow*> rows{new TZVFontParamRow(FONT_PARAM_TYPE())};
    for (const TTypeDef& type : types)
        rows.push_back(new TZVFontSubParamRow(type));
    for (TZVParamRow* row : rows) {
        pStream.aParamTab.push_back(row);
        row->SetDefault(int(pStream.aParamTab.size()) - 1, true);
        row->SetParent(&pStream, false);
        row->InitDefaultFormulaList();
    }
}

std::vector<std::unique_ptr<wxXmlNode>> Images(const TZVStreamRow& pStream) {
    std::vector<std::unique_ptr<wxXmlNode>> images;
    for (const TZVParamRow* row : pStream.aParamTab)
        images.push_back(Image(*row));
    return images;
}

bool SameImages(const TZVStreamRow& pStream,
                const std::vector<std::unique_ptr<wxXmlNode>>& pImages) {
    for (size_t i = 0; i < pImages.size(); ++i)
        if (!SameXml(Image(*pStream.aParamTab[i]).get(), pImages[i].get()))
            return false;
    return true;
}

// Every row sound, and the keys as fresh rows count them: the stream counts the row and each
// component twice, once through the font row, which counts them as well.
void RequireSound(const TFakeStreamRow& pStream) {
    TFakeStreamRow stream;
    TFakeStreamRow font;
    const TZVParamRow& first = *pStream.aParamTab[0];
    if (first.aIsEnabled)
        AddSegmentCopy(stream, first, true);
    for (size_t i = 0; i < pStream.aParamTab.size(); ++i)
        Require(SegmentFault(*pStream.aParamTab[i]).empty());
    for (size_t i = 2; i < pStream.aParamTab.size(); ++i) {
        AddSegmentCopy(stream, *pStream.aParamTab[i], true);
        AddSegmentCopy(stream, *pStream.aParamTab[i], true);
        AddSegmentCopy(font, *pStream.aParamTab[i], true);
    }
    Require(KeyText(pStream.aKeyList) == KeyText(stream.aKeyList));
    Require(KeyText(pStream.aParamTab[1]->aKeyList) == KeyText(font.aKeyList));
}

// Undoes (or redoes) the edit on every row it changed.
void RequireRowsRound(TFakeStreamRow& pStream, const std::vector<TZVParamRow*>& pRows,
                      const std::vector<std::unique_ptr<wxXmlNode>>& pExpected) {
    for (TZVParamRow* row : pRows) {
        const std::unique_ptr<wxXmlNode> image = StoredUndoImage(*row);
        Require(image && ApplyStoredImage(*row, *image));
    }
    Require(SameImages(pStream, pExpected));
    RequireSound(pStream);
}

// Edits of the row, the font row or its components; every row the edit changed is undone and
// redone.
void RunFontEdits(TFuzzInput& pInput, TFakeStreamRow& pStream) {
    for (int count = 0; count < 8 && !pInput.Empty(); ++count) {
        const std::vector<std::unique_ptr<wxXmlNode>> before = Images(pStream);
        TRowsUndo undo;
        const unsigned target = pInput.Byte() % 6;
        TZVParamRow& row = *pStream.aParamTab[target];
        if (target == 0)
            Edit(pInput, row);
        else
            EditKeys(pInput, row, *pStream.aParamTab[2], undo);
        // The host takes no image of an edit that neither changed nor recorded anything.
        if (target == 0 && (!SameXml(Image(row).get(), before[0].get()) || !row.aUndoList.empty() ||
                            row.aUndoFormula))
            undo.AddParamRow(&row);
        RequireSound(pStream);
        if (theUnrecorded) {
            theUnrecorded = false;
            continue;
        }
        const std::vector<std::unique_ptr<wxXmlNode>> after = Images(pStream);
        RequireRowsRound(pStream, undo.aRows, before);
        RequireRowsRound(pStream, undo.aRows, after);
        for (TZVParamRow* row : undo.aRows)
            StoredUndoImage(*row);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    wxSetAssertHandler(OnAssert);
    TZVFormula::SetFrameRate(25);
    TFuzzInput input(pData, pSize);
    const unsigned form = input.Byte();
    TFakeProject project;
    TFakeStreamRow stream;
    TFakeParamRow* row = new TFakeParamRow(TTypeDef(input.Pick(theTypes)));
    row->aIsEnabled = form & 2;
    row->SetParent(&stream, false);
    stream.aParamTab.push_back(row);
    ReadRow(input, stream, *row);
    if (form & 4) {
        row->SetFormula(Expression(input, *row));
        StoredUndoImage(*row);
    }
    theEased = false;
    if (form & 16) {
        AddFont(stream);
        RunFontEdits(input, stream);
    } else if (form & 1) {
        RunKeyList(input, *row);
    } else if (form & 8) {
        RunDrag(input, *row);
    } else {
        RunEdits(input, *row);
    }
    return 0;
}
