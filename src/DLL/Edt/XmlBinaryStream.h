// The compact form of an XML subtree kept in undo records: 16-bit little-endian units,
// text as UTF-16. A string is its unit count and its units; a count of 0xFFFF is followed by
// two units holding the 32-bit count (low first), so no string is cut. A node is
//     element = 'N' name ('A' name value)* child* 'E'
//     child   = element | 'T' text | 'D' cdata
// Other node kinds (comments, processing instructions) are not written.
#pragma once

#include <wx/stream.h>
#include <wx/string.h>

#include <cstdint>
#include <memory>

class wxXmlNode;

// One unit each; any other value read in their place is a damaged stream.
enum EMarkerKind : uint16_t {
    markerNONE = 0,
    markerATTRIBUTE = 'A',
    markerCDATA = 'D',
    markerEND = 'E',
    markerNODE = 'N',
    markerTEXT = 'T'
};

// Elements nested deeper are neither written nor read.
constexpr int XML_STREAM_MAX_DEPTH = 1000;

// Writes trees into memory; the block grows geometrically.
class TXmlNodeToBinaryStream : public wxOutputStream {
public:
    // An empty stream with room for pCapacity bytes before it grows.
    explicit TXmlNodeToBinaryStream(size_t pCapacity = 256);

    // Writes an element, text or CDATA node; null and other kinds write nothing. A tree
    // nested deeper than XML_STREAM_MAX_DEPTH puts the stream in error (IsOk false).
    void convertNode(const wxXmlNode* pNode);
    // Writes pElement with its attributes and its element, text and CDATA children.
    void convertElement(const wxXmlNode* pElement);
    // convertElement in parts, so that a large tree can be written child by child without
    // ever being whole: pElement's name and attributes (false, with nothing written, when
    // the stream is in error or would nest too deep), then, after the children, the end of
    // the element last begun.
    bool BeginElement(const wxXmlNode* pElement);
    void EndElement();
    // Writes pMarker (unless markerNONE) and pText.
    void convertNodeContent(const wxString& pText, EMarkerKind pMarker);

    // The bytes written so far.
    const uint8_t* GetData() const { return aBytes.get(); }
    size_t GetSize() const override { return aSize; }
    wxFileOffset GetLength() const override { return static_cast<wxFileOffset>(aSize); }

protected:
    size_t OnSysWrite(const void* pBuffer, size_t pSize) override;

private:
    // Room for pBytes more bytes at the end; the block doubles when it is full.
    uint8_t* Grow(size_t pBytes);
    void PutUnit(uint16_t pUnit);

    std::unique_ptr<uint8_t[]> aBytes;
    size_t aSize;
    size_t aCapacity;
    int aDepth;
};

// Rebuilds trees from a stream of the compact form. Short reads and unknown markers end the
// reading (IsEndOfData); nothing is read past the stream's end. The stream is read ahead in
// pieces, so what follows the node in it is consumed too.
class TBinaryStreamToXmlNode {
public:
    // Reads from pInput (not owned), which must outlive the reader.
    explicit TBinaryStreamToXmlNode(wxInputStream& pInput);
    // Reads the pSize bytes at pBytes (not owned) where they are, which then need no copy
    // and can be read from any offset.
    TBinaryStreamToXmlNode(const uint8_t* pBytes, size_t pSize);

    // The next unit; markerNONE, with the end flag set, when fewer than 2 bytes are left.
    EMarkerKind getNextMarker() const;
    // The next string, cut at its first zero unit. The end flag is set when it arrived short
    // (the result then holds the units that arrived) and cleared when it arrived whole.
    wxString getNextString() const;
    // The node whose marker pMarker has just been read, with all its children; null (the end
    // flag set) when the stream is incomplete or damaged anywhere inside it. Owned by the
    // caller.
    wxXmlNode* getNextTextOrNode(EMarkerKind pMarker) const;
    // The element whose 'N' has just been read: name and attributes, and unless pHeadOnly its
    // children. Given even when incomplete (the end flag then set). Owned by the caller.
    wxXmlNode* getNodeContent(bool pHeadOnly) const;
    // The element's name and attributes, as getNodeContent(true) gives them; pNext gets the
    // marker read after them: the first child's, or the element's end.
    wxXmlNode* getNodeHead(EMarkerKind& pNext) const;
    // Passes over the children of the element whose head getNodeHead has just read, pFirst
    // the marker it gave, through the element's end, building nothing: true where
    // getNodeContent would have read them whole, else false with the end flag set.
    bool SkipChildren(EMarkerKind pFirst) const;
    // The bytes read so far from the ones given in place.
    size_t GetOffset() const { return aAheadStart; }

    bool IsEndOfData() const { return aEndOfData; }

private:
    // Reads up to pCount bytes from those at hand, then the stream; the number that arrived.
    size_t ReadBytes(uint8_t* pBytes, size_t pCount) const;
    // Reads up to pCount units; the number that arrived whole.
    size_t ReadUnits(uint16_t* pUnits, size_t pCount) const;
    // Reads a string's unit count; false, with the end flag set, when it arrived short.
    bool ReadLength(size_t& pLength) const;
    // Passes over the next string, setting the end flag as getNextString does.
    void SkipString() const;
    // Reads the attributes into pElement; the marker that ended them.
    EMarkerKind ReadAttributes(wxXmlNode* pElement) const;
    void ReadChildren(wxXmlNode* pElement, EMarkerKind pMarker) const;

    // Null when reading in place.
    wxInputStream* aInput;
    // Bytes at hand and not yet used: aAhead[aAheadStart, aAheadEnd). Read in place, all the
    // bytes given; through a stream, the piece last read ahead into aPiece.
    const uint8_t* const aAhead;
    mutable size_t aAheadStart;
    mutable size_t aAheadEnd;
    mutable uint8_t aPiece[4096];
    mutable bool aEndOfData;
    // Elements open while reading.
    mutable int aDepth;
};
