#include "ProjectReader.h"

#include "ALL/Error.h"

#include "FileName.h"

#include <wx/intl.h>
#include <wx/xml/xml.h>

#include <expat.h>
#include <fcntl.h>
#include <iconv.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace {

// Expat counts bytes in an int: it is given at most this much at once.
constexpr size_t theLargestPiece = size_t(1) << 30;

// The text of pSize bytes of UTF-8 as Expat gives it (valid), decoded in pieces into the text's
// own memory: wxWidgets' conversion decodes twice into a whole copy, as costly as the rest of a
// long text's reading.
wxString Utf8(const char* pText, size_t pSize) {
    wxString text;
    text.reserve(pSize);
    wchar_t piece[4096];
    size_t filled = 0;
    const unsigned char* at = reinterpret_cast<const unsigned char*>(pText);
    const unsigned char* const end = at + pSize;
    while (at < end) {
        const unsigned first = *at++;
        const size_t more = first < 0xC0 ? 0 : first < 0xE0 ? 1 : first < 0xF0 ? 2 : 3;
        if (size_t(end - at) < more)
            break;
        unsigned code = more == 0 ? first : first & (0x3F >> more);
        for (size_t i = 0; i < more; ++i)
            code = code << 6 | (*at++ & 0x3F);
        piece[filled++] = wchar_t(code);
        if (filled == sizeof piece / sizeof piece[0]) {
            text.append(piece, filled);
            filled = 0;
        }
    }
    text.append(piece, filled);
    return text;
}

wxString Utf8(const XML_Char* pText) {
    return Utf8(pText, std::strlen(pText));
}

// Whether a piece of text holds blanks only, as wxWidgets' loader counts them.
bool IsBlank(const char* pText, size_t pSize) {
    for (size_t i = 0; i < pSize; ++i)
        if (pText[i] != ' ' && pText[i] != '\t' && pText[i] != '\n' && pText[i] != '\r')
            return false;
    return true;
}

// The encodings told by a document's first bytes rather than by its declaration, which is
// written in them: every form Expat tells, UTF-16 with or without a byte order mark and UTF-8
// with one (Expat reads them itself, and they decide over a declaration that names an encoding
// Expat does not read: an editor that wrote a UTF-8 mark wrote UTF-8), UTF-32, and EBCDIC,
// whose declaration, read in one code page, names the page of the rest.
struct TFamily {
    // The first bytes, after aSkip bytes that may be any.
    size_t aSkip;
    const char* aStart;
    size_t aLength;
    const char* aEncoding;
    // The bytes of the byte order mark, which the text leaves out.
    size_t aMark;
    bool aExpatReads;
    bool aDeclarationDecides;
};

// In order: the first that fits decides. A first byte 0 is UTF-16BE to Expat, and a second
// byte 0 after another, UTF-16LE, whatever follows.
const TFamily theFamilies[] = {
    {0, "\x00\x00\xFE\xFF", 4, "UTF-32BE", 4, false, false},
    {0, "\xFF\xFE\x00\x00", 4, "UTF-32LE", 4, false, false},
    {0, "\x00\x00\x00\x3C", 4, "UTF-32BE", 0, false, false},
    {0, "\x3C\x00\x00\x00", 4, "UTF-32LE", 0, false, false},
    {0, "\xFE\xFF", 2, "UTF-16BE", 2, true, false},
    {0, "\xFF\xFE", 2, "UTF-16LE", 2, true, false},
    {0, "\xEF\xBB\xBF", 3, "UTF-8", 3, true, false},
    {0, "\x00", 1, "UTF-16BE", 0, true, false},
    {1, "\x00", 1, "UTF-16LE", 0, true, false},
    {0, "\x4C\x6F\xA7\x94", 4, "IBM037", 0, false, true},
};

// The family pStart begins with; null for the others (UTF-8 without a mark and the encodings
// that write "<?xml" in ASCII).
const TFamily* FamilyOf(const std::string& pStart) {
    for (const TFamily& family : theFamilies)
        if (pStart.size() >= family.aSkip &&
            pStart.compare(family.aSkip, family.aLength, family.aStart, family.aLength) == 0)
            return &family;
    return nullptr;
}

// The name iconv converts pEncoding under. glibc's Shift_JIS reads 0x5C as the yen sign and
// 0x7E as an overline, but the files that name it (Windows', Java's, the web's) mean a backslash
// and a tilde there, which paths and keys are written with: Windows' code page, which does.
std::string IconvName(const std::string& pEncoding) {
    for (const char* name : {"Shift_JIS", "Shift-JIS", "SJIS", "MS_Kanji", "csShiftJIS"})
        if (strcasecmp(pEncoding.c_str(), name) == 0)
            return "CP932";
    return pEncoding;
}

// A text in an encoding Expat does not read itself, turned into UTF-8 by iconv as its bytes
// come: a character cut at the end of the bytes given waits for the rest.
class TDecoder {
public:
    // Throws TError naming pEncoding when iconv does not know it.
    explicit TDecoder(const std::string& pEncoding)
        : aEncoding(wxString::FromUTF8(pEncoding)),
          aConversion(iconv_open("UTF-8", IconvName(pEncoding).c_str())) {
        if (aConversion == iconv_t(-1))
            throw TError(L"the file's encoding \"%ls\" is not one this system knows", aEncoding);
    }
    ~TDecoder() { iconv_close(aConversion); }
    TDecoder(const TDecoder&) = delete;
    TDecoder& operator=(const TDecoder&) = delete;

    // Puts into pText the UTF-8 of the bytes from pFrom to pEnd, and moves pFrom past those
    // converted. pLast: no bytes follow, so a character cut at the end is a fault and a shifted
    // state ends. Returns false at bytes that are no character of the encoding: pText holds the
    // text before them, which may hold an earlier fault, and Fault() says where they are.
    bool Convert(const char*& pFrom, const char* pEnd, bool pLast, std::string& pText) {
        char* in = const_cast<char*>(pFrom);
        size_t inLeft = size_t(pEnd - pFrom);
        pText.resize(inLeft * 2 + 16);
        size_t done = 0;
        bool text = true;
        // Once the bytes are done, a last call with none ends a shifted state (ISO-2022-JP).
        for (bool flushed = false; !flushed;) {
            char* out = &pText[done];
            size_t outLeft = pText.size() - done;
            const bool flush = inLeft == 0 && pLast;
            const size_t result = iconv(aConversion, flush ? nullptr : &in,
                                        flush ? nullptr : &inLeft, &out, &outLeft);
            done = size_t(out - pText.data());
            if (result == size_t(-1) && errno == E2BIG) {
                pText.resize(pText.size() * 2);
                continue;
            }
            text = (result != size_t(-1) || errno == EINVAL) && !(pLast && inLeft > 0);
            flushed = flush || !pLast || !text;
        }
        pText.resize(done);
        CountLines(pText.data(), pText.data() + done);
        pFrom = in;
        return text;
    }

    // The refusal of the bytes that Convert stopped at.
    TError Fault() const {
        return TError(L"line %ld holds bytes that are not text in the encoding \"%ls\"", aLines,
                      aEncoding);
    }

private:
    // Counts the line ends from pText to pEnd as the parser does (LF, CR LF, CR alone), a CR
    // LF cut between two pieces once; the line the next text begins on.
    long CountLines(const char* pText, const char* pEnd) {
        for (; pText != pEnd; ++pText) {
            aLines += *pText == '\r' || (*pText == '\n' && !aAfterCr) ? 1 : 0;
            aAfterCr = *pText == '\r';
        }
        return aLines;
    }

    const wxString aEncoding;
    const iconv_t aConversion;
    // The line the next bytes begin on, and whether the last byte was a CR.
    long aLines = 1;
    bool aAfterCr = false;
};

// Builds the document as Expat reads it, as wxWidgets' loader builds it, and stops at the first
// entity it would lose the text of or element nested too deep. The bytes come in pieces; a
// document in an encoding that Expat does not read is read again from its start, through iconv,
// once its declaration says so.
class TReader {
public:
    explicit TReader(int pMaxDepth)
        : aMaxDepth(pMaxDepth), aDocumentNode(new wxXmlNode(wxXML_DOCUMENT_NODE, wxString())),
          aNode(aDocumentNode.get()) {}
    ~TReader() {
        if (aParser)
            XML_ParserFree(aParser);
    }
    TReader(const TReader&) = delete;
    TReader& operator=(const TReader&) = delete;

    // The bytes read and not parsed yet: the caller appends what it reads.
    std::string& Input() { return aInput; }

    // Parses the bytes appended since the last call; pLast: the file ended. Throws TError.
    void Parse(bool pLast) {
        if (!aParser) {
            if (aInput.size() < 4 && !pLast)
                return;
            aFamily = FamilyOf(aInput);
            if (aFamily && !aFamily->aExpatReads) {
                aDecoder.reset(new TDecoder(aFamily->aEncoding));
                aParsed = aFamily->aMark;
            }
            Start();
        }
        while (!Feed(pLast))
            Restart();
        // What was parsed is no longer needed once no restart can read it again.
        if (aSettled) {
            aInput.erase(0, aParsed);
            aParsed = 0;
        }
    }

    // The document, once its last bytes are parsed.
    std::unique_ptr<wxXmlDocument> TakeDocument() {
        std::unique_ptr<wxXmlDocument> document(new wxXmlDocument);
        if (!aVersion.empty())
            document->SetVersion(aVersion);
        document->SetFileEncoding(aEncoding);
        document->SetDoctype(wxXmlDoctype(aDoctype));
        document->SetDocumentNode(aDocumentNode.release());
        return document;
    }

private:
    // A parser of the bytes, or of their UTF-8 when they are decoded.
    void Start() {
        aParser = XML_ParserCreate(aDecoder ? "UTF-8" : nullptr);
        if (!aParser)
            throw std::bad_alloc();
        XML_SetUserData(aParser, this);
        XML_SetXmlDeclHandler(aParser, Guarded<OnDeclaration>);
        XML_SetUnknownEncodingHandler(aParser, Guarded<OnEncoding>, this);
        XML_SetStartDoctypeDeclHandler(aParser, Guarded<OnDoctype>);
        XML_SetEntityDeclHandler(aParser, Guarded<OnEntity>);
        XML_SetDefaultHandler(aParser, Guarded<OnOther>);
        XML_SetElementHandler(aParser, Guarded<OnStart>, Guarded<OnEnd>);
        XML_SetCharacterDataHandler(aParser, Guarded<OnText>);
        XML_SetCdataSectionHandler(aParser, Guarded<OnCdataStart>, Guarded<OnCdataEnd>);
        XML_SetCommentHandler(aParser, Guarded<OnComment>);
        XML_SetProcessingInstructionHandler(aParser, Guarded<OnInstruction>);
    }

    // Runs the handler pHandler. Memory that runs out stops the parse, and Feed throws
    // std::bad_alloc once out of Expat, which is C and cannot pass an exception on.
    template <auto pHandler, typename... TArgs>
    static auto XMLCALL Guarded(void* pData, TArgs... pArgs)
        -> decltype(pHandler(pData, pArgs...)) {
        try {
            return pHandler(pData, pArgs...);
        } catch (const std::bad_alloc&) {
            TReader& reader = Of(pData);
            reader.aOutOfMemory = true;
            XML_StopParser(reader.aParser, XML_FALSE);
            return decltype(pHandler(pData, pArgs...))();
        }
    }

    // Reads the document again from its start, decoded from aRestartWith. Nothing was built:
    // the declaration comes first.
    void Restart() {
        XML_ParserFree(aParser);
        aParser = nullptr;
        aDecoder.reset(new TDecoder(aRestartWith));
        aRestartWith.clear();
        aRestarted = true;
        aParsed = aRestartAt;
        Start();
    }

    // Gives the parser the bytes not given yet; false when the document must be read again.
    // Decoded, the text before bytes that are not of the encoding is parsed before they are
    // refused, so that the first fault is said however the bytes are cut.
    bool Feed(bool pLast) {
        const char* from = aInput.data() + aParsed;
        const char* const end = aInput.data() + aInput.size();
        if (!aDecoder) {
            aParsed = aInput.size();
            return Give(from, end, pLast);
        }
        const bool text = aDecoder->Convert(from, end, pLast, aDecoded);
        aParsed = size_t(from - aInput.data());
        if (!Give(aDecoded.data(), aDecoded.data() + aDecoded.size(), pLast && text))
            return false;
        if (!text)
            throw aDecoder->Fault();
        return true;
    }

    // Parses the text from pText to pEnd; false when the document must be read again. pLast:
    // no text follows.
    bool Give(const char* pText, const char* pEnd, bool pLast) {
        do {
            const size_t piece = std::min(size_t(pEnd - pText), theLargestPiece);
            const bool last = pLast && pText + piece == pEnd;
            if (XML_Parse(aParser, pText, int(piece), last) != XML_STATUS_OK) {
                if (aOutOfMemory || XML_GetErrorCode(aParser) == XML_ERROR_NO_MEMORY)
                    throw std::bad_alloc();
                if (!aRestartWith.empty())
                    return false;
                if (!aRefusal.empty())
                    throw TError(aRefusal);
                throw TError(
                    wxString::Format(wxGetTranslation(L"XML parsing error: '%s' at line %d"),
                                     XML_ErrorString(XML_GetErrorCode(aParser)), Line()));
            }
            pText += piece;
        } while (pText != pEnd);
        return true;
    }

    int Line() const { return int(XML_GetCurrentLineNumber(aParser)); }

    // Ends the parse with pRefusal, the first one.
    void Refuse(const wxString& pRefusal) {
        if (aRefusal.empty())
            aRefusal = pRefusal;
        XML_StopParser(aParser, XML_FALSE);
    }

    // Makes pNode the last child of the element being read.
    void Add(wxXmlNode* pNode) {
        pNode->SetParent(aNode);
        if (aLast)
            aLast->SetNext(pNode);
        else
            aNode->SetChildren(pNode);
        aLast = pNode;
    }

    // The text or CDATA section being gathered takes its text, converted once.
    void EndText() {
        aBlanks.clear();
        if (!aText)
            return;
        aText->SetContent(Utf8(aTextBytes.data(), aTextBytes.size()));
        aText = nullptr;
        aTextBytes.clear();
    }

    static TReader& Of(void* pData) { return *static_cast<TReader*>(pData); }

    static void XMLCALL OnDeclaration(void* pData, const XML_Char* pVersion,
                                      const XML_Char* pEncoding, int) {
        TReader& reader = Of(pData);
        if (pVersion)
            reader.aVersion = Utf8(pVersion);
        if (!pEncoding)
            return;
        reader.aEncoding = Utf8(pEncoding);
        const TFamily* const family = reader.aFamily;
        if (family && family->aDeclarationDecides && !reader.aRestarted &&
            strcasecmp(pEncoding, family->aEncoding) != 0) {
            reader.aRestartWith = pEncoding;
            reader.aRestartAt = 0;
            XML_StopParser(reader.aParser, XML_FALSE);
        }
    }

    // An encoding Expat does not read: the document is read again through iconv, but in the
    // encoding of its first bytes where they told Expat which to read the declaration in,
    // whatever name it gives.
    static int XMLCALL OnEncoding(void* pData, const XML_Char* pName, XML_Encoding*) {
        TReader& reader = Of(pData);
        reader.aRestartWith = reader.aFamily ? reader.aFamily->aEncoding : pName;
        reader.aRestartAt = reader.aFamily ? reader.aFamily->aMark : 0;
        return XML_STATUS_ERROR;
    }

    // The parser reads no external definition: every entity it declares would be lost.
    static void XMLCALL OnDoctype(void* pData, const XML_Char* pName, const XML_Char* pSystem,
                                  const XML_Char*, int) {
        TReader& reader = Of(pData);
        if (pSystem)
            reader.Refuse(wxString::Format(L"line %d names the external document type "
                                           L"definition \"%ls\": a project file may not use one",
                                           reader.Line(), Utf8(pSystem)));
        reader.aDoctype = Utf8(pName);
    }

    // wxWidgets' loader leaves every declared entity unexpanded and drops the reference.
    static void XMLCALL OnEntity(void* pData, const XML_Char* pName, int pParameter,
                                 const XML_Char*, int, const XML_Char*, const XML_Char*,
                                 const XML_Char*, const XML_Char*) {
        TReader& reader = Of(pData);
        reader.Refuse(wxString::Format(L"line %d declares the %lsentity \"%ls\": a project file "
                                       L"may not declare entities",
                                       reader.Line(), pParameter ? L"parameter " : L"",
                                       Utf8(pName)));
    }

    // Markup that no other handler takes, the declarations of the document type among it. A
    // reference to a parameter entity is the one piece that starts with "%" and goes on (the
    // "%" of a parameter entity's declaration stands alone): it is not read, and the
    // declarations after it would be dropped, with the entity references to them.
    static void XMLCALL OnOther(void* pData, const XML_Char* pText, int pLength) {
        if (pLength < 2 || pText[0] != '%')
            return;
        TReader& reader = Of(pData);
        reader.Refuse(wxString::Format(L"line %d refers to the parameter entity \"%ls\": a "
                                       L"project file may not use parameter entities",
                                       reader.Line(), Utf8(pText + 1, size_t(pLength - 2))));
    }

    // The first element deeper than the limit ends the parse, before the parser holds a record
    // of every element open in a file of any depth.
    static void XMLCALL OnStart(void* pData, const XML_Char* pName, const XML_Char** pAttributes) {
        TReader& reader = Of(pData);
        reader.EndText();
        reader.aSettled = true;
        if (++reader.aDepth > reader.aMaxDepth) {
            reader.aTooDeep = true;
            reader.Refuse(wxString::Format(L"elements nested deeper than %d", reader.aMaxDepth));
            return;
        }
        wxXmlNode* const element =
            new wxXmlNode(wxXML_ELEMENT_NODE, Utf8(pName), wxString(), reader.Line());
        wxXmlAttribute* last = nullptr;
        for (const XML_Char** attribute = pAttributes; *attribute; attribute += 2) {
            wxXmlAttribute* const added =
                new wxXmlAttribute(Utf8(attribute[0]), Utf8(attribute[1]));
            if (last)
                last->SetNext(added);
            else
                element->SetAttributes(added);
            last = added;
        }
        reader.Add(element);
        reader.aNode = element;
        reader.aLast = nullptr;
    }

    // The end of an empty element follows its start even once the parse is stopped.
    static void XMLCALL OnEnd(void* pData, const XML_Char*) {
        TReader& reader = Of(pData);
        reader.EndText();
        if (reader.aTooDeep)
            return;
        --reader.aDepth;
        reader.aLast = reader.aNode;
        reader.aNode = reader.aNode->GetParent();
    }

    // Whether the text Expat gives now is (part of) a run of characters as they stand in the
    // document, which the end of the bytes given may cut, rather than a line end or a
    // reference: by the first character of its bytes, "&" for a reference.
    bool IsRun(const XML_Char* pText, int pLength) const {
        if (pLength == 1 && pText[0] == '\n')
            return false;
        int offset = 0, size = 0;
        const char* const bytes = XML_GetInputContext(aParser, &offset, &size);
        if (!bytes || offset >= size)
            return true;
        const unsigned char* const at = reinterpret_cast<const unsigned char*>(bytes + offset);
        // UTF-16, which Expat reads itself, in its byte order.
        if (aFamily && aFamily->aExpatReads && !aDecoder &&
            std::strncmp(aFamily->aEncoding, "UTF-16", 6) == 0)
            return offset + 1 >= size ||
                   (aFamily->aEncoding[6] == 'L' ? at[0] | at[1] << 8 : at[0] << 8 | at[1]) != '&';
        return at[0] != '&';
    }

    // Expat gives a text in pieces (a line end, a reference, a run of other characters, cut
    // where the bytes given end): the pieces of blanks before the first other one are dropped,
    // a run counted whole wherever it was cut, so that the tree is the same however the bytes
    // come.
    static void XMLCALL OnText(void* pData, const XML_Char* pText, int pLength) {
        TReader& reader = Of(pData);
        if (reader.aText) {
            reader.aTextBytes.append(pText, size_t(pLength));
            return;
        }
        const bool run = reader.IsRun(pText, pLength);
        if (!run)
            reader.aBlanks.clear();
        if (IsBlank(pText, size_t(pLength))) {
            if (run)
                reader.aBlanks.append(pText, size_t(pLength));
            return;
        }
        reader.aText = new wxXmlNode(wxXML_TEXT_NODE, L"text", wxString(), reader.Line());
        reader.Add(reader.aText);
        reader.aTextBytes.swap(reader.aBlanks);
        reader.aTextBytes.append(pText, size_t(pLength));
    }

    static void XMLCALL OnCdataStart(void* pData) {
        TReader& reader = Of(pData);
        reader.EndText();
        reader.aText = new wxXmlNode(wxXML_CDATA_SECTION_NODE, L"cdata", wxString(), reader.Line());
        reader.Add(reader.aText);
    }

    static void XMLCALL OnCdataEnd(void* pData) { Of(pData).EndText(); }

    static void XMLCALL OnComment(void* pData, const XML_Char* pText) {
        TReader& reader = Of(pData);
        reader.EndText();
        reader.Add(new wxXmlNode(wxXML_COMMENT_NODE, L"comment", Utf8(pText), reader.Line()));
    }

    static void XMLCALL OnInstruction(void* pData, const XML_Char* pTarget, const XML_Char* pText) {
        TReader& reader = Of(pData);
        reader.EndText();
        reader.Add(new wxXmlNode(wxXML_PI_NODE, Utf8(pTarget), Utf8(pText), reader.Line()));
    }

    const int aMaxDepth;
    XML_Parser aParser = nullptr;
    // The bytes read and not given to the parser (from aParsed on); those given stay until the
    // root element starts, for a document read again in another encoding.
    std::string aInput;
    size_t aParsed = 0;
    bool aSettled = false;
    const TFamily* aFamily = nullptr;
    std::unique_ptr<TDecoder> aDecoder;
    std::string aDecoded;
    std::string aRestartWith;
    size_t aRestartAt = 0;
    bool aRestarted = false;
    wxString aRefusal;
    bool aOutOfMemory = false;

    std::unique_ptr<wxXmlNode> aDocumentNode;
    // The element being read (the document node outside the root) and its last child.
    wxXmlNode* aNode;
    wxXmlNode* aLast = nullptr;
    // The text or CDATA section being gathered, and its bytes so far.
    wxXmlNode* aText = nullptr;
    std::string aTextBytes;
    // The blanks of the run that the next piece of text may go on, before any text.
    std::string aBlanks;
    int aDepth = 0;
    bool aTooDeep = false;
    wxString aVersion;
    wxString aEncoding = L"UTF-8";
    wxString aDoctype;
};

wxString Reason(int pError) {
    return wxString::FromUTF8(std::strerror(pError));
}

// Closes a descriptor when it goes.
class TDescriptor {
public:
    explicit TDescriptor(int pDescriptor) : aDescriptor(pDescriptor) {}
    ~TDescriptor() { close(aDescriptor); }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;

private:
    const int aDescriptor;
};

} // namespace

std::unique_ptr<wxXmlDocument> TZVProjectReader::Read(const wxString& pPath, int pMaxDepth) {
    const int file = open(TZVFileName::Bytes(pPath).c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        throw TError(errno == ENOENT ? wxString(L"no such file") : Reason(errno));
    const TDescriptor closer(file);
    struct stat status;
    if (fstat(file, &status) == 0 && S_ISDIR(status.st_mode))
        throw TError(L"it is a folder, not a project file");
    TReader reader(pMaxDepth);
    std::string& input = reader.Input();
    // Parsed as it comes, from a disk or a pipe, so that bytes that are no XML (a movie given
    // as the project, endless /dev/zero) are refused at their start; each piece twice as large
    // as the one before, so that what a token cut between two parses has read again adds up
    // to less than the file.
    const size_t chunk = size_t(1) << 16;
    size_t piece = chunk;
    for (;;) {
        const size_t size = input.size();
        input.resize(size + chunk);
        const ssize_t got = read(file, &input[size], chunk);
        input.resize(size + size_t(std::max(got, ssize_t(0))));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw TError(Reason(errno));
        if (got == 0)
            break;
        if (input.size() >= piece) {
            reader.Parse(false);
            piece = std::min(piece * 2, theLargestPiece);
        }
    }
    reader.Parse(true);
    return reader.TakeDocument();
}

std::unique_ptr<wxXmlDocument> TZVProjectReader::Parse(const std::string& pBytes, int pMaxDepth) {
    TReader reader(pMaxDepth);
    reader.Input() = pBytes;
    reader.Parse(true);
    return reader.TakeDocument();
}

std::unique_ptr<wxXmlDocument> TZVProjectReader::Parse(const std::vector<std::string>& pPieces,
                                                       int pMaxDepth) {
    TReader reader(pMaxDepth);
    for (const std::string& piece : pPieces) {
        reader.Input() += piece;
        reader.Parse(false);
    }
    reader.Parse(true);
    return reader.TakeDocument();
}
