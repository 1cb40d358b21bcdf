#include "DLL/Edt/XmlBinaryStream.h"

#include "ALL/Assert.h"
#include "ALL/XmlTree.h"

#include <wx/xml/xml.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Count unit announcing a 32-bit count.
const uint16_t LONG_COUNT = 0xFFFF;
// Units read in one piece: a damaged count never makes the reader allocate more than what
// actually arrives, plus one piece.
const size_t READ_PIECE = 32768;

bool IsHighSurrogate(uint32_t pUnit) {
    return pUnit >= 0xD800 && pUnit <= 0xDBFF;
}
bool IsLowSurrogate(uint32_t pUnit) {
    return pUnit >= 0xDC00 && pUnit <= 0xDFFF;
}

// True when every character is one unit (no surrogate pair, nothing beyond Unicode).
bool IsSingleUnits(const wchar_t* pChars, size_t pLength) {
    uint32_t above = 0;
    for (size_t i = 0; i < pLength; ++i)
        above |= uint32_t(pChars[i]) >> 16;
    return above == 0;
}

size_t Utf16Length(const wchar_t* pChars, size_t pLength) {
    size_t units = pLength;
    for (size_t i = 0; i < pLength; ++i)
        if (uint32_t(pChars[i]) > 0xFFFF && uint32_t(pChars[i]) <= 0x10FFFF)
            ++units;
    return units;
}

void StoreUnit(uint8_t* pTarget, uint16_t pUnit) {
    pTarget[0] = uint8_t(pUnit);
    pTarget[1] = uint8_t(pUnit >> 8);
}

// Characters beyond Unicode have no UTF-16 form and become U+FFFD; lone surrogates are kept
// as they are.
void StoreUtf16(uint8_t* pTarget, const wchar_t* pChars, size_t pLength) {
    if (IsSingleUnits(pChars, pLength)) {
        for (size_t i = 0; i < pLength; ++i) {
            pTarget[2 * i] = uint8_t(pChars[i]);
            pTarget[2 * i + 1] = uint8_t(uint32_t(pChars[i]) >> 8);
        }
        return;
    }
    for (size_t i = 0; i < pLength; ++i) {
        uint32_t code = uint32_t(pChars[i]);
        if (code > 0x10FFFF)
            code = 0xFFFD;
        if (code > 0xFFFF) {
            code -= 0x10000;
            StoreUnit(pTarget, uint16_t(0xD800 + (code >> 10)));
            StoreUnit(pTarget + 2, uint16_t(0xDC00 + (code & 0x3FF)));
            pTarget += 4;
        } else {
            StoreUnit(pTarget, uint16_t(code));
            pTarget += 2;
        }
    }
}

// Converts the units up to the first zero unit into pChars (room for pCount), pairs joined,
// lone surrogates kept; the number of characters.
size_t UnitsToChars(const uint16_t* pUnits, size_t pCount, wchar_t* pChars) {
    size_t length = 0;
    for (size_t i = 0; i < pCount && pUnits[i] != 0; ++i) {
        const uint32_t unit = pUnits[i];
        if (IsHighSurrogate(unit) && i + 1 < pCount && IsLowSurrogate(pUnits[i + 1])) {
            pChars[length++] = wchar_t(0x10000 + ((unit - 0xD800) << 10) + (pUnits[++i] - 0xDC00));
        } else {
            pChars[length++] = wchar_t(unit);
        }
    }
    return length;
}

wxString UnitsToString(const uint16_t* pUnits, size_t pCount) {
    wchar_t local[256];
    if (pCount <= 256)
        return wxString(local, UnitsToChars(pUnits, pCount, local));
    std::vector<wchar_t> chars(pCount);
    return wxString(chars.data(), UnitsToChars(pUnits, pCount, chars.data()));
}

// wxString has no move: a string read is swapped into the member that a node or attribute
// exposes by reference, instead of being copied there.
void MoveInto(const wxString& pMember, wxString& pText) {
    const_cast<wxString&>(pMember).swap(pText);
}

} // namespace

TXmlNodeToBinaryStream::TXmlNodeToBinaryStream(size_t pCapacity)
    : aBytes(new uint8_t[std::max<size_t>(pCapacity, 1)]), aSize(0),
      aCapacity(std::max<size_t>(pCapacity, 1)), aDepth(0) {}

uint8_t* TXmlNodeToBinaryStream::Grow(size_t pBytes) {
    if (aCapacity - aSize < pBytes) {
        // Doubling keeps the cost of many small writes linear.
        aCapacity = std::max(aCapacity * 2, aSize + pBytes);
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[aCapacity]);
        std::memcpy(bytes.get(), aBytes.get(), aSize);
        aBytes.swap(bytes);
    }
    aSize += pBytes;
    return aBytes.get() + aSize - pBytes;
}

size_t TXmlNodeToBinaryStream::OnSysWrite(const void* pBuffer, size_t pSize) {
    if (pSize != 0)
        std::memcpy(Grow(pSize), pBuffer, pSize);
    return pSize;
}

void TXmlNodeToBinaryStream::PutUnit(uint16_t pUnit) {
    StoreUnit(Grow(2), pUnit);
}

void TXmlNodeToBinaryStream::convertNode(const wxXmlNode* pNode) {
    if (!pNode)
        return;
    switch (pNode->GetType()) {
    case wxXML_ELEMENT_NODE:
        convertElement(pNode);
        break;
    case wxXML_TEXT_NODE:
        convertNodeContent(pNode->GetContent(), markerTEXT);
        break;
    case wxXML_CDATA_SECTION_NODE:
        convertNodeContent(pNode->GetContent(), markerCDATA);
        break;
    default:
        break;
    }
}

void TXmlNodeToBinaryStream::convertElement(const wxXmlNode* pElement) {
    if (!BeginElement(pElement))
        return;
    for (const wxXmlNode* child = pElement->GetChildren(); child; child = child->GetNext())
        convertNode(child);
    EndElement();
}

bool TXmlNodeToBinaryStream::BeginElement(const wxXmlNode* pElement) {
    if (!IsOk())
        return false;
    if (aDepth >= XML_STREAM_MAX_DEPTH) {
        m_lasterror = wxSTREAM_WRITE_ERROR;
        return false;
    }
    ++aDepth;
    convertNodeContent(pElement->GetName(), markerNODE);
    for (const wxXmlAttribute* attribute = pElement->GetAttributes(); attribute;
         attribute = attribute->GetNext()) {
        convertNodeContent(attribute->GetName(), markerATTRIBUTE);
        convertNodeContent(attribute->GetValue(), markerNONE);
    }
    return true;
}

void TXmlNodeToBinaryStream::EndElement() {
    if (!ZV_ASSERT(aDepth > 0))
        return;
    PutUnit(markerEND);
    --aDepth;
}

void TXmlNodeToBinaryStream::convertNodeContent(const wxString& pText, EMarkerKind pMarker) {
    const wchar_t* chars = pText.wc_str();
    const size_t length = pText.length();
    const size_t units = IsSingleUnits(chars, length) ? length : Utf16Length(chars, length);
    const bool isLong = units >= LONG_COUNT;
    uint8_t* target = Grow((pMarker != markerNONE ? 2 : 0) + (isLong ? 6 : 2) + 2 * units);
    if (pMarker != markerNONE) {
        StoreUnit(target, pMarker);
        target += 2;
    }
    if (isLong) {
        StoreUnit(target, LONG_COUNT);
        StoreUnit(target + 2, uint16_t(units));
        StoreUnit(target + 4, uint16_t(uint32_t(units) >> 16));
        target += 6;
    } else {
        StoreUnit(target, uint16_t(units));
        target += 2;
    }
    StoreUtf16(target, chars, length);
}

TBinaryStreamToXmlNode::TBinaryStreamToXmlNode(wxInputStream& pInput)
    : aInput(&pInput), aAhead(aPiece), aAheadStart(0), aAheadEnd(0), aEndOfData(false),
      aDepth(0) {}

TBinaryStreamToXmlNode::TBinaryStreamToXmlNode(const uint8_t* pBytes, size_t pSize)
    : aInput(nullptr), aAhead(pBytes), aAheadStart(0), aAheadEnd(pSize), aEndOfData(false),
      aDepth(0) {}

size_t TBinaryStreamToXmlNode::ReadBytes(uint8_t* pBytes, size_t pCount) const {
    size_t done = std::min(pCount, aAheadEnd - aAheadStart);
    if (done != 0)
        std::memcpy(pBytes, aAhead + aAheadStart, done);
    aAheadStart += done;
    if (done == pCount || !aInput)
        return done;
    if (pCount - done >= sizeof aPiece) {
        aInput->Read(pBytes + done, pCount - done);
        return done + aInput->LastRead();
    }
    aInput->Read(aPiece, sizeof aPiece);
    aAheadEnd = aInput->LastRead();
    const size_t more = std::min(pCount - done, aAheadEnd);
    std::memcpy(pBytes + done, aPiece, more);
    aAheadStart = more;
    return done + more;
}

size_t TBinaryStreamToXmlNode::ReadUnits(uint16_t* pUnits, size_t pCount) const {
    if (aAheadEnd - aAheadStart >= 2 * pCount) {
        const uint8_t* bytes = aAhead + aAheadStart;
        for (size_t i = 0; i < pCount; ++i)
            pUnits[i] = uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
        aAheadStart += 2 * pCount;
        return pCount;
    }
    // A read cut short takes the odd byte left too.
    const size_t count = ReadBytes(reinterpret_cast<uint8_t*>(pUnits), pCount * 2) / 2;
    for (size_t i = 0; i < count; ++i)
        pUnits[i] = wxUINT16_SWAP_ON_BE(pUnits[i]);
    return count;
}

EMarkerKind TBinaryStreamToXmlNode::getNextMarker() const {
    uint16_t unit;
    if (ReadUnits(&unit, 1) != 1) {
        aEndOfData = true;
        return markerNONE;
    }
    return EMarkerKind(unit);
}

bool TBinaryStreamToXmlNode::ReadLength(size_t& pLength) const {
    uint16_t count[3];
    if (ReadUnits(count, 1) != 1 || (count[0] == LONG_COUNT && ReadUnits(count + 1, 2) != 2)) {
        aEndOfData = true;
        return false;
    }
    pLength = count[0] == LONG_COUNT ? count[1] | size_t(count[2]) << 16 : count[0];
    return true;
}

wxString TBinaryStreamToXmlNode::getNextString() const {
    size_t length = 0;
    if (!ReadLength(length))
        return wxString();
    uint16_t local[256];
    if (length <= 256) {
        const size_t arrived = ReadUnits(local, length);
        aEndOfData = arrived < length;
        return UnitsToString(local, arrived);
    }
    std::vector<uint16_t> units;
    while (units.size() < length) {
        const size_t before = units.size();
        const size_t piece = std::min(READ_PIECE, length - before);
        units.resize(before + piece);
        const size_t arrived = ReadUnits(units.data() + before, piece);
        units.resize(before + arrived);
        if (arrived < piece)
            break;
    }
    aEndOfData = units.size() < length;
    return UnitsToString(units.data(), units.size());
}

void TBinaryStreamToXmlNode::SkipString() const {
    size_t length = 0;
    if (!ReadLength(length))
        return;
    uint16_t units[256];
    size_t arrived = 0;
    while (arrived < length) {
        const size_t piece = std::min(length - arrived, sizeof units / sizeof *units);
        const size_t read = ReadUnits(units, piece);
        arrived += read;
        if (read < piece)
            break;
    }
    aEndOfData = arrived < length;
}

bool TBinaryStreamToXmlNode::SkipChildren(EMarkerKind pFirst) const {
    // Elements open below the one whose children these are; whether the last one opened is
    // still at its attributes.
    int open = 0;
    bool inHead = false;
    for (EMarkerKind marker = pFirst; !aEndOfData; marker = getNextMarker()) {
        if (marker == markerATTRIBUTE && inHead) {
            SkipString();
            if (!aEndOfData)
                SkipString();
            continue;
        }
        inHead = false;
        if (marker == markerEND) {
            if (open == 0)
                return true;
            --open;
        } else if (marker == markerTEXT || marker == markerCDATA) {
            SkipString();
        } else if (marker == markerNODE && aDepth + 1 + open < XML_STREAM_MAX_DEPTH) {
            SkipString();
            ++open;
            inHead = true;
        } else {
            aEndOfData = true;
        }
    }
    return false;
}

wxXmlNode* TBinaryStreamToXmlNode::getNextTextOrNode(EMarkerKind pMarker) const {
    wxXmlNode* node = nullptr;
    switch (pMarker) {
    case markerTEXT:
    case markerCDATA: {
        wxString text = getNextString();
        node = new wxXmlNode(pMarker == markerTEXT ? wxXML_TEXT_NODE : wxXML_CDATA_SECTION_NODE,
                             wxEmptyString);
        MoveInto(node->GetContent(), text);
        break;
    }
    case markerNODE:
        // Deeper nesting would only serve to exhaust the stack.
        if (aDepth >= XML_STREAM_MAX_DEPTH)
            aEndOfData = true;
        else
            node = getNodeContent(false);
        break;
    default:
        aEndOfData = true;
        break;
    }
    if (aEndOfData) {
        delete node;
        return nullptr;
    }
    return node;
}

wxXmlNode* TBinaryStreamToXmlNode::getNodeContent(bool pHeadOnly) const {
    ++aDepth;
    EMarkerKind marker = markerNONE;
    wxXmlNode* element = getNodeHead(marker);
    if (!pHeadOnly && !aEndOfData && marker != markerEND)
        ReadChildren(element, marker);
    --aDepth;
    return element;
}

wxXmlNode* TBinaryStreamToXmlNode::getNodeHead(EMarkerKind& pNext) const {
    wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, wxEmptyString);
    wxString name = getNextString();
    MoveInto(element->GetName(), name);
    pNext = aEndOfData ? markerNONE : ReadAttributes(element);
    return element;
}

EMarkerKind TBinaryStreamToXmlNode::ReadAttributes(wxXmlNode* pElement) const {
    wxXmlAttribute* last = nullptr;
    EMarkerKind marker = getNextMarker();
    while (marker == markerATTRIBUTE) {
        wxString name = getNextString();
        if (aEndOfData)
            break;
        wxString value = getNextString();
        // Linked at the tail directly: adding through the node walks the whole list.
        wxXmlAttribute* attribute = new wxXmlAttribute();
        MoveInto(attribute->GetName(), name);
        MoveInto(attribute->GetValue(), value);
        if (last)
            last->SetNext(attribute);
        else
            pElement->SetAttributes(attribute);
        last = attribute;
        if (aEndOfData)
            break;
        marker = getNextMarker();
    }
    return marker;
}

void TBinaryStreamToXmlNode::ReadChildren(wxXmlNode* pElement, EMarkerKind pMarker) const {
    wxXmlNode* last = nullptr;
    for (EMarkerKind marker = pMarker; marker != markerEND && !aEndOfData;
         marker = getNextMarker()) {
        wxXmlNode* child = getNextTextOrNode(marker);
        if (!child)
            break;
        if (last) {
            // At the tail directly, so that reading stays linear in the number of children.
            last->SetNext(child);
            child->SetParent(pElement);
        } else {
            NSXml::AppendChild(pElement, child);
        }
        last = child;
    }
}
