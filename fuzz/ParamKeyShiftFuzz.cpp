// Key drags on a keyed row built from the input: one to three selected ranges in span or
// key mode, the plain path asked for or not, then a series of steps, some far enough to
// leave the 32-bit range; the drag ends by taking the image, which is undone and redone.
// After every step the row must equal a row given that single step from the start, keep its
// segments in order and apart with no NaN coefficient, and count its keys as a recount
// does; undo and redo must give the snapshots.
#include "DLL/Row/ParamRow.h"

#include "FuzzInput.h"
#include "support/FakeRows.h"
#include "support/RowText.h"
#include "support/SegmentCheck.h"

#include <memory>

namespace {

// A source without segments lifted over keys is reported and moves nothing.
const TExpectedAsserts theExpected{"!TempList.empty()"};

const EContinuity theConts[] = {contFLAT, contNONE, contANGLE, contSMOOTH};

// A stream with one sequence and one enabled parameter row.
class TDragged {
public:
    TDragged() { aRow = aStream.AddParam(true); }
    std::unique_ptr<wxXmlNode> Xml() const {
        return std::unique_ptr<wxXmlNode>(aRow->GetXmlImage());
    }
    bool IsCounted() const {
        TDragged recount;
        for (const TABCFormula& segment : aRow->aFormulaList)
            recount.aRow->insertFormula(segment, nullptr, false);
        return KeyText(recount.aStream.aKeyList) == KeyText(aStream.aKeyList);
    }
    // Takes the image and applies it, recording the opposite.
    void Undo() {
        wxXmlNode image(wxXML_ELEMENT_NODE, wxT("param"));
        aRow->MakeUndoImage(&image);
        TABCFormulaList keys;
        Require(keys.ValueFromXml(&image, aRow->aTypeDef));
        aRow->ApplyUndo(keys, true);
    }

    TFakeStreamRow aStream;
    TFakeParamRow* aRow;
};

long Distance(TFuzzInput& pInput) {
    const unsigned form = pInput.Byte();
    if (form < 16)
        return long(pInput.Take<int32_t>());
    return long(pInput.Take<int8_t>()) * (form % 4 + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    TFuzzInput input(pData, pSize);
    TFakeProject project;
    TDragged drag;
    TDragged single;
    long time = input.Byte() % 32;
    for (unsigned count = 1 + input.Byte() % 40; count > 0 && !input.Empty(); --count) {
        const unsigned form = input.Byte();
        const long end = form == 255 ? TZVParamRow::OPEN_END : time + 1 + input.Byte() % 64;
        TABCFormula segment(time, TVariant(double(input.Take<int8_t>())), end);
        segment.aCont = input.Pick(theConts);
        segment.c = input.Take<int8_t>() * 0.01;
        drag.aRow->insertFormula(segment, nullptr, false);
        single.aRow->insertFormula(segment, nullptr, false);
        if (end == TZVParamRow::OPEN_END)
            break;
        time = end + (form % 4 == 0 ? input.Byte() % 32 : 0);
    }
    const TRange sequence(0, long(input.Byte()) * 8);
    drag.aStream.aSequenceList.push_back(sequence);
    single.aStream.aSequenceList.push_back(sequence);
    const unsigned form = input.Byte();
    TFakeTimeSelection selection({}, form & 1);
    const bool flag = form & 2;
    TRangeList selected;
    long begin = long(input.Byte()) - 16;
    for (unsigned count = 1 + form / 4 % 3; count > 0; --count) {
        const long end = begin + 1 + input.Byte() % 128;
        selected.push_back(TRange(begin, end));
        begin = end + input.Byte() % 64;
    }
    const std::unique_ptr<wxXmlNode> start = drag.Xml();
    for (unsigned step = input.Byte() % 8; step > 0 && !input.Empty(); --step) {
        const long distance = Distance(input);
        selection.aRanges.clear();
        for (const TRange& range : selected)
            selection.aRanges.push_back(TRange(range.aBegin + distance, range.aEnd + distance));
        drag.aRow->Shift(int(distance), flag);
        single.aRow->Shift(int(distance), flag);
        Require(SameXml(drag.Xml().get(), single.Xml().get()));
        Require(SegmentFault(*drag.aRow).empty() && drag.IsCounted());
        single.aRow->Shift(0, flag);
        Require(SameXml(single.Xml().get(), start.get()));
    }
    const std::unique_ptr<wxXmlNode> after = drag.Xml();
    drag.Undo();
    Require(SameXml(drag.Xml().get(), start.get()) && drag.IsCounted());
    drag.Undo();
    Require(SameXml(drag.Xml().get(), after.get()) && drag.IsCounted());
    return 0;
}
