// Feeds "key" elements built from the input (times in any order, equal and out-of-range
// times, kinds of any value, good and bad number images, texts, undefined values) to the
// key list reader, asks the list every query at the times it holds, and checks the written
// form: what was read writes back, reads again to the same segments bit for bit and writes
// again to the same elements.
#include "DLL/Bas/ABCFormulaSortList.h"

#include "ALL/TypeDef.h"
#include "DLL/Bas/EvaluateContext.h"
#include "FuzzInput.h"

#include <wx/xml/xml.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

// A signed 32-bit number, most significant byte first.
long Int32(TFuzzInput& pInput) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | pInput.Byte();
    return long(int32_t(value));
}

// A decimal time near pNear, anywhere in 32 bits, or a text no reader may take.
wxString TimeText(TFuzzInput& pInput, long pNear) {
    static const char* const theOdd[] = {"2147483648", "-2147483649", "99999999999", "",   "x",
                                         " 5",         "5 ",          "-0",          "+7", "0x10"};
    const unsigned choice = pInput.Byte();
    if (choice < 160)
        return std::to_string(pNear + long(choice % 40) - 12);
    if (choice < 240)
        return std::to_string(Int32(pInput));
    return theOdd[choice % 10];
}

// Mostly number image characters, now and then one outside "?".."~".
wxString Image(TFuzzInput& pInput) {
    wxString image;
    for (unsigned length = pInput.Byte() % 13; length > 0; --length) {
        const unsigned byte = pInput.Byte();
        image += byte < 240 ? wxUniChar(63 + byte % 64) : wxUniChar(byte % 2 ? 33 : 0x263A);
    }
    return image;
}

wxXmlNode* Key(TFuzzInput& pInput, long& pLastTime) {
    wxXmlNode* key = new wxXmlNode(wxXML_ELEMENT_NODE, wxT("key"));
    const unsigned form = pInput.Byte();
    if (form & 1) {
        const wxString time = TimeText(pInput, pLastTime);
        time.ToLong(&pLastTime);
        key->AddAttribute(wxT("time"), time);
    }
    if (form & 2)
        key->AddAttribute(wxT("to"), TimeText(pInput, pLastTime + 20));
    switch (form >> 2 & 3) {
    case 1:
        key->AddChild(new wxXmlNode(wxXML_TEXT_NODE, wxString(), Image(pInput)));
        break;
    case 2:
        key->AddAttribute(wxT("undef"), wxString());
        break;
    case 3:
        key->AddChild(new wxXmlNode(wxXML_TEXT_NODE, wxString(), wxT("text ") + Image(pInput)));
        break;
    }
    if (form & 16) {
        // 0..255 mostly, negative and wide now and then.
        const unsigned byte = pInput.Byte();
        key->AddAttribute(wxT("kind"), std::to_string(byte < 200 ? long(byte) : Int32(pInput)));
    }
    static const wchar_t* const theCoefficients[] = {L"a", L"b", L"c"};
    for (int i = 0; i < 3; ++i) {
        if (form & (32 << i))
            key->AddAttribute(theCoefficients[i], Image(pInput));
    }
    return key;
}

const TTypeDef& Type(unsigned pChoice) {
    switch (pChoice % 5) {
    case 0:
        return REAL_0_100_D0_PARAM_TYPE();
    case 1:
        return INT_0_100_PARAM_TYPE();
    case 2:
        return COLOR_PARAM_TYPE();
    case 3:
        return FONT_PARAM_TYPE();
    default:
        return TEXT_PARAM_TYPE();
    }
}

struct TNoContext : IEvaluateContext {
    IFormula** GetParamSlot(int, int, bool) const override { return nullptr; }
};

// Every query at pTime; answers are only checked against each other.
void Query(const TABCFormulaSortList& pList, long pTime) {
    const TABCFormula *left, *right, *joined;
    pList.GetCurvesAt(pTime, left, right, &joined);
    const TABCFormula* covering = pList.GetCurveAt(pTime);
    Require(covering == (right && right->aBegin <= pTime && pTime < right->aEnd ? right : nullptr));
    const int keys = pList.HasKey(pTime);
    Require(keys == (left == right ? 0 : (right ? 2 : 0) + (left ? 1 : 0)));
    EContinuity cont;
    bool flag;
    pList.GetValueNSlope(pTime, true, cont, flag);
    pList.GetValueNSlope(pTime, false, cont, flag);
    Require(cont >= contFLAT && cont <= contNO_KEY);
    // Half a unit on, the value still comes from the segment covering pTime, if any.
    Require(covering || pList.ComputePointAt(double(pTime) + 0.5).IsUndefined());
    pList.IsFlatFormula(pTime);
    std::unique_ptr<IFormula> clone(pList.CloneFormulaAt(pTime, nullptr, TNoContext(), false));
    Require(!clone == !covering);
}

// Walks the keys both ways; each walk meets at most two keys per segment.
void Walk(const TABCFormulaSortList& pList) {
    size_t steps = 0;
    for (ITimeList::TPosition pos = pList.GetFirst(); pos != pList.GetEnd(); pList.GetNext(pos))
        Require(++steps <= 2 * pList.size());
    for (ITimeList::TPosition pos = pList.GetEnd(); pos != pList.GetFirst(); pList.GetPrev(pos))
        Require(++steps <= 4 * pList.size());
}

bool SameSegment(const TABCFormula& p1, const TABCFormula& p2) {
    return p1.aBegin == p2.aBegin && p1.aEnd == p2.aEnd && p1.aValue == p2.aValue &&
           SameBits(p1.a, p2.a) && SameBits(p1.b, p2.b) && SameBits(p1.c, p2.c) &&
           p1.aCont == p2.aCont &&
           p1.aAccel == p2.aAccel && p1.aDecel == p2.aDecel;
}

// What the written form keeps of a segment first read: all but the value of an empty one
// (its "time" alone carries the value written before it) and the sign of a zero.
bool SameWritten(const TABCFormula& pRead, const TABCFormula& pReread) {
    if (pRead.aBegin != pReread.aBegin || pRead.aEnd != pReread.aEnd)
        return false;
    if (pRead.aBegin == pRead.aEnd)
        return true;
    auto zero = [](double p) { return p == 0.0 ? 0.0 : p; };
    const bool sameValue = pRead.aValue.IsNumeric()
                               ? TVariant(zero(pRead.aValue.GetDouble())) == pReread.aValue
                               : pRead.aValue == pReread.aValue;
    return sameValue && SameBits(zero(pRead.a), pReread.a) && SameBits(zero(pRead.b), pReread.b) &&
           SameBits(zero(pRead.c), pReread.c) && pRead.aCont == pReread.aCont &&
           pRead.aAccel == pReread.aAccel && pRead.aDecel == pReread.aDecel;
}

std::unique_ptr<wxXmlNode> Written(const TABCFormulaSortList& pList, const TTypeDef& pType) {
    std::unique_ptr<wxXmlNode> parent(new wxXmlNode(wxXML_ELEMENT_NODE, wxT("value")));
    pList.MakeXmlImage(parent.get(), pType);
    return parent;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t pSize) {
    TFuzzInput input(pData, pSize);
    const TTypeDef& type = Type(input.Byte());
    wxXmlNode parent(wxXML_ELEMENT_NODE, wxT("value"));
    wxXmlNode* last = nullptr;
    long lastTime = 0;
    for (int i = 0; i < 64 && !input.Empty(); ++i) {
        wxXmlNode* key = Key(input, lastTime);
        if (last)
            parent.InsertChildAfter(key, last);
        else
            parent.AddChild(key);
        last = key;
    }
    TABCFormulaSortList list;
    list.ValueFromXml(&parent, type);
    for (const TABCFormula& segment : list) {
        Query(list, segment.aBegin);
        Query(list, segment.aEnd);
        Query(list, segment.aEnd - 1);
    }
    Walk(list);

    const auto first = Written(list, type);
    TABCFormulaSortList reread;
    Require(reread.ValueFromXml(first.get(), type) == !list.empty());
    Require(std::equal(list.begin(), list.end(), reread.begin(), reread.end(), SameWritten));
    const auto second = Written(reread, type);
    Require(SameXml(first.get(), second.get()));
    TABCFormulaSortList again;
    again.ValueFromXml(second.get(), type);
    Require(std::equal(reread.begin(), reread.end(), again.begin(), again.end(), SameSegment));
    return 0;
}
