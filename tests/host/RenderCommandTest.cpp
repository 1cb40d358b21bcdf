#include "RenderCommand.h"
#include "RenderOptions.h"

#include "support/FileText.h"
#include "support/ShellOutput.h"

#include "REDarodo/Bitmap.h"
#include "REDarodo/Media.h"
#include "REDarodo/ReaderAudio.h"

#include <wx/intl.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <iconv.h>
#include <memory>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Projects are written beside the example media, as the bundled example lies.
const std::string theFolder =
    std::string(ZV_EXAMPLE_MEDIA).substr(0, std::string(ZV_EXAMPLE_MEDIA).rfind('/')) +
    "/host-tests/";

struct TResult {
    int aCode;
    std::string aOut;
    std::string aErr;
};

TResult Zvrender(const std::string& pLine) {
    std::istringstream words(pLine);
    std::vector<std::string> args;
    for (std::string word; words >> word;)
        args.push_back(word == "@"           ? theFolder
                       : word.find('@') == 0 ? theFolder + word.substr(1)
                                             : word);
    std::ostringstream out, err;
    const int code = TZVRenderCommand(out, err, false).Run(args);
    return {code, out.str(), err.str()};
}

void Write(const std::string& pName, const std::string& pText) {
    mkdir(theFolder.c_str(), 0777);
    WriteFile(theFolder + pName, pText);
}

const std::string& Example() {
    static const std::string theText = ReadSource("host/example/example.xml");
    return theText;
}

// The example, or pText, with the first pFrom replaced by pTo.
std::string Edited(const std::string& pFrom, const std::string& pTo,
                   std::string pText = Example()) {
    const size_t at = pText.find(pFrom);
    EXPECT_NE(at, std::string::npos) << pFrom;
    return at == std::string::npos ? pText : pText.replace(at, pFrom.size(), pTo);
}

// FNV-1a over bytes.
uint64_t Hash(const void* pData, size_t pSize, uint64_t pHash = 14695981039346656037ull) {
    for (size_t i = 0; i < pSize; ++i)
        pHash = (pHash ^ static_cast<const uint8_t*>(pData)[i]) * 1099511628211ull;
    return pHash;
}

} // namespace

TEST(RenderCommand, TheExampleRendersItsGoldenPicturesAndSound) {
    Write("example.xml", Example());
    const TResult result = Zvrender("-q --png @frame%02d.png --wav @example.wav --mp4 @example.mp4 "
                                    "--save @saved.xml @example.xml");
    ASSERT_EQ(result.aCode, 0) << result.aErr;
    EXPECT_EQ(result.aErr, "");
    EXPECT_EQ(ReadFile(theFolder + "saved.xml"), Example());

    wxString reason;
    std::unique_ptr<TZVMedia> frames(TZVMedia::Open(theFolder + "frame%02d.png", &reason));
    ASSERT_TRUE(frames && frames->GetVideo()) << reason;
    ASSERT_EQ(frames->GetVideo()->GetImageCount(), 60);
    std::unique_ptr<IReaderVideo> reader(frames->GetVideo()->CreateReader());
    uint64_t pictures = 14695981039346656037ull;
    for (long i = 0; i < 60; ++i) {
        const TBitmap& image = reader->GetImage(i);
        ASSERT_EQ(image.GetWidth(), 320);
        pictures =
            Hash(image.GetRawData(), size_t(image.GetRowBytes()) * image.GetHeight(), pictures);
    }
    EXPECT_EQ(pictures, 810335294950463890ull);

    std::unique_ptr<TZVMedia> wav(TZVMedia::Open(theFolder + "example.wav", &reason));
    ASSERT_TRUE(wav && wav->GetAudio()) << reason;
    std::unique_ptr<TReaderAudio> samples(wav->GetAudio()->CreateReader());
    std::vector<int16_t> sound(60 * 882 * 2 + 10);
    ASSERT_EQ(samples->Read(sound.data(), 60 * 882 + 5), 60 * 882);
    EXPECT_EQ(Hash(sound.data(), 60 * 882 * 4), 9752549108669053134ull);
    EXPECT_EQ(ShellOutput("sox --i " + theFolder +
                          "example.wav | grep -E 'Channels|Sample Rate|Duration'"),
              "Channels       : 2\nSample Rate    : 22050\n"
              "Duration       : 00:00:02.40 = 52920 samples ~ 180 CDDA sectors\n");

    std::unique_ptr<TZVMedia> movie(TZVMedia::Open(theFolder + "example.mp4", &reason));
    ASSERT_TRUE(movie && movie->GetVideo() && movie->GetAudio()) << reason;
    EXPECT_EQ(movie->GetVideo()->GetImageCount(), 60);
}

TEST(RenderCommand, ProjectsSaveAsTheyWereRead) {
    // An offline medium keeps its text and the characteristics it must be checked against once
    // it is back.
    const std::string offline = Edited("../media/clip.mkv</media>", "../media/gone.mkv</media>");
    const std::string graphs =
        " <graph-list>\n  <graph idx=\"2\">\n   <mixer path=\"Video\"/>\n   <source "
        "path=\"frames\"/>\n"
        "   <param path=\"1\"/>\n  </graph>\n  <graph idx=\"7\">\n   <mixer path=\"Audio\"/>\n"
        "   <source path=\"clip\"/>\n   <param path=\"1\"/>\n  </graph>\n </graph-list>\n"
        " <color-list>\n  <color idx=\"4\" color=\"123456\"/>\n </color-list>\n";
    const struct {
        const char* aCase;
        std::string aText;
        const char* aMessages;
    } cases[] = {
        {"example", Example(), ""},
        {"graph slots", Edited("</project>", graphs + "</project>"), ""},
        {"example of 1.0", ReadSource("tests/host/projects/example-1.0.xml"), ""},
        {"offline medium", offline,
         "medium \"../media/gone.mkv\" is offline: The file cannot be opened: No such file or "
         "directory\n"},
        {"unresolved reference",
         Edited("[source:clip][param:1 - Image].value / 10",
                "[source:none][param:1 - Image].value"),
         "formula of [mixer:Video][source:frames][param:1 - Image]: source none is not a source of "
         "Video\n"},
        {"circular reference",
         Edited("[source:clip][param:1 - Image].value / 10",
                "[source:frames][param:1 - Image].value"),
         "formula of [mixer:Video][source:frames][param:1 - Image]: Referring to value "
         "of parameter [mixer:Video][source:frames][param:1 - Image] in parameter "
         "[mixer:Video][source:frames][param:1 - Image] formula causes a circular reference\n"},
    };
    for (const auto& c : cases) {
        Write("project.xml", c.aText);
        const TResult result = Zvrender("--save @again.xml @project.xml");
        EXPECT_EQ(result.aCode, 0) << c.aCase;
        EXPECT_EQ(result.aErr, c.aMessages) << c.aCase;
        EXPECT_EQ(ReadFile(theFolder + "again.xml"), c.aText) << c.aCase;
    }
    // A slot path that no longer resolves is reported; the rest of the file loads.
    Write("project.xml", Edited("</project>", " <graph-list><graph idx=\"1\"><mixer path=\"Gone\"/>"
                                              "</graph></graph-list>\n" +
                                                  graphs + "</project>"));
    const TResult stale = Zvrender("--save @again.xml @project.xml");
    EXPECT_EQ(stale.aErr, "graph slots: mixer Gone is not a source of the root mixer\n");
    EXPECT_EQ(ReadFile(theFolder + "again.xml"), Edited("</project>", graphs + "</project>"));
    // A stale slot before good ones in the same list takes nothing with it.
    std::string first = graphs;
    first.insert(first.find("<graph idx=\"2\">"),
                 "<graph idx=\"1\"><mixer path=\"Gone\"/></graph>\n  ");
    Write("project.xml", Edited("</project>", first + "</project>"));
    EXPECT_EQ(Zvrender("--save @again.xml @project.xml").aErr,
              "graph slots: mixer Gone is not a source of the root mixer\n");
    EXPECT_EQ(ReadFile(theFolder + "again.xml"), Edited("</project>", graphs + "</project>"));

    // Saved while offline, the project loads without a question once the medium is back.
    Write("project.xml", Edited("../media/clip.mkv</media>", "../media/gone.mkv</media>"));
    ASSERT_EQ(Zvrender("--save @again.xml @project.xml").aCode, 0);
    std::string back = ReadFile(theFolder + "again.xml");
    back.replace(back.find("gone.mkv"), 8, "clip.mkv");
    Write("project.xml", back);
    const TResult found = Zvrender("--save @again.xml @project.xml");
    EXPECT_EQ(found.aCode, 0);
    EXPECT_EQ(found.aErr, "");

    // A generated project in one line: its saved form saves again the same.
    std::string generated = Example();
    for (int i = 0; i < 20; ++i)
        generated.insert(
            generated.find("<source type=\"video-media\" name=\"clip\">"),
            "<source type=\"video-media\" name=\"s\"><seq-list><seg begin=\"" + std::to_string(i) +
                "\" end=\"40\"/></seq-list><param-list shown=\"0\">"
                "<param type=\"Standard\" name=\"Image\"><value>[source:clip]"
                "[param:1 - Image].value + " +
                std::to_string(i) +
                "</value></param>"
                "</param-list><fltr-list shown=\"0\"/><media>../media/none.mkv</media></source>");
    Write("project.xml", generated);
    ASSERT_EQ(Zvrender("--save @again.xml @project.xml").aCode, 0);
    const std::string saved = ReadFile(theFolder + "again.xml");
    EXPECT_EQ(saved.find("name=\"s-19\""), saved.rfind("name=\"s-19\""));
    EXPECT_NE(saved.find("name=\"s-19\""), std::string::npos);
    Write("project.xml", saved);
    ASSERT_EQ(Zvrender("--save @again.xml @project.xml").aCode, 0);
    EXPECT_EQ(ReadFile(theFolder + "again.xml"), saved) << "generated";

    const std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "scripts/deps makes it";
    Write("project.xml", Example());
    EXPECT_EQ(Zvrender("--save @again.xml --png @de%d.png --frames 1..1 @project.xml").aCode, 0);
    EXPECT_EQ(ReadFile(theFolder + "again.xml"), Example()) << "decimal comma";
    std::setlocale(LC_ALL, previous.c_str());
    wxLocale german(wxLANGUAGE_GERMAN, wxLOCALE_DONT_LOAD_DEFAULT);
    EXPECT_EQ(Zvrender("--save @again.xml @project.xml").aCode, 0);
    EXPECT_EQ(ReadFile(theFolder + "again.xml"), Example()) << "wxLocale";
}

// A value written in text and CDATA pieces, or with predefined entities and character
// references, is read as its whole text and saved as one plain text; text that looks like a
// declaration, inside a comment or a CDATA section, declares nothing.
TEST(RenderCommand, ValuesInPiecesAreReadWholeAndSavedAsOneText) {
    const std::string formula = "[mixer:Video][source:clip][param:1 - Image].value / 10";
    const std::string media = "../media/clip.mkv</media>";
    const std::string offline = "medium \"../media/<!ENTITY x \"1\">.mkv\" is offline: The file "
                                "cannot be opened: No such file or directory\n";
    const struct {
        const char* aCase;
        std::string aText;
        std::string aSaved;
        std::string aMessages;
    } cases[] = {
        {"formula in pieces", Edited(formula, "100 - <![CDATA[2 * image]]>"),
         Edited(formula, "100 - 2 * image"), ""},
        {"formula in many pieces",
         Edited(formula, "[mixer:Video]<![CDATA[[source:clip]]]>[param:1 - Image]<![CDATA[.value "
                         "/ ]]>1<![CDATA[0]]>"),
         Example(), ""},
        {"key in pieces", Edited(">GAG<", ">G<![CDATA[A]]>G<"), Example(), ""},
        {"predefined entities and character references",
         Edited(formula, "image &lt; 5 ? 1 &#x2B; 1 : &#50;"),
         Edited(formula, "image &lt; 5 ? 1 + 1 : 2"), ""},
        {"declaration in a comment",
         Edited(formula,
                "[mixer:Video][source:clip][param:1 - Image].value<!-- <!ENTITY x "
                "\"1\"> --> / 10",
                Edited("<project>", "<!-- <!ENTITY y \"2\"> -->\n<project>")),
         Example(), ""},
        {"document type holding a comment",
         Edited("<project>", "<!DOCTYPE project [<!-- <!ENTITY x \"1\"> -->]>\n<project>"),
         Example(), ""},
        {"declaration in a CDATA section",
         Edited(media, "<![CDATA[../media/<!ENTITY x \"1\">.mkv]]></media>"),
         Edited(media, "../media/&lt;!ENTITY x \"1\"&gt;.mkv</media>"), offline},
    };
    for (const auto& c : cases) {
        Write("pieces.xml", c.aText);
        const TResult result = Zvrender("--save @pieces-saved.xml @pieces.xml");
        EXPECT_EQ(result.aCode, 0) << c.aCase;
        EXPECT_EQ(result.aErr, c.aMessages) << c.aCase;
        EXPECT_EQ(ReadFile(theFolder + "pieces-saved.xml"), c.aSaved) << c.aCase;
    }
}

// A formula that binds some of its references and fails on another keeps listening to the
// rows it bound, wherever it lies: the rows die in any order at the end without a dangling
// reference (the sanitizer build catches one), and the failure is printed.
TEST(RenderCommand, FormulasThatBindInPartAreReportedAndLetGoOfTheirRows) {
    const std::string clip = "[mixer:Video][source:clip][param:1 - Image].value";
    const struct {
        const char* aCase;
        std::string aFrom, aTo;
        const char* aMessages;
    } cases[] = {
        {"a source reads a source", clip + " / 10", clip + " / A10",
         "formula of [mixer:Video][source:frames][param:1 - Image]: Unknown variable A10\n"},
        {"a source reads its mixer",
         "<value>\n         <key time=\"0\" to=\"50\" kind=\"1\" c=\"F~_\"/>\n        </value>",
         "<value>[mixer:Video][param:2 - Background colour - Red].value + A10</value>",
         "formula of [mixer:Video][source:clip][param:1 - Image]: Unknown variable A10\n"},
        {"a filter reads its source",
         "<value>\n           <key time=\"0\" to=\"50\" kind=\"1\" c=\"V~_\">GAq</key>\n          "
         "</value>",
         "<value>" + clip + " + A10</value>",
         "formula of [mixer:Video][source:clip][filter:Fade][param:1 - Opacity]: Unknown variable "
         "A10\n"},
        {"a mask reads its filter",
         "<value>\n             <key time=\"0\" to=\"50\" kind=\"1\"/>\n            </value>",
         "<value>[mixer:Video][source:clip][filter:Fade][param:1 - Opacity].value + A10</value>",
         "formula of [mixer:Video][source:clip][filter:Fade][source:still][param:1 - Image]: "
         "Unknown variable A10\n"},
    };
    for (const auto& c : cases) {
        const std::string text = Edited(c.aFrom, c.aTo);
        Write("bound.xml", text);
        const TResult result =
            Zvrender("-q --frames 0..1 --wav @bound.wav --save @bound-saved.xml @bound.xml");
        EXPECT_EQ(result.aCode, 0) << c.aCase;
        EXPECT_EQ(result.aErr, c.aMessages) << c.aCase;
        EXPECT_EQ(ReadFile(theFolder + "bound-saved.xml"), text) << c.aCase;
    }
}

// A filter stored without sequences takes its source's when it is loaded; a key stored across
// them is cut to them, without any report, and saved so.
TEST(RenderCommand, KeysOfARowWithoutSequencesAreCutToTheSequencesItTakes) {
    const std::string sequences = "<seq-list>\n         <seg begin=\"0\" end=\"50\"/>\n        "
                                  "</seq-list>\n        <param-list shown=\"0\">\n         "
                                  "<param type=\"Standard\" name=\"Opacity\">";
    const std::string key = "<key time=\"0\" to=\"50\" kind=\"1\" c=\"V~_\">GAq</key>";
    std::string stored = Edited(
        sequences, "<seq-list/>" + sequences.substr(sequences.find("\n        <param-list")));
    stored.replace(stored.find(key), key.size(),
                   "<key time=\"-10\" to=\"70\" kind=\"1\" c=\"V~_\">GAq</key>");
    Write("cut.xml", stored);
    const TResult result = Zvrender("--save @cut-saved.xml @cut.xml");
    EXPECT_EQ(result.aCode, 0);
    EXPECT_EQ(result.aErr, "");
    // The value at 0 on the stored line.
    EXPECT_EQ(ReadFile(theFolder + "cut-saved.xml"),
              Edited(key, "<key time=\"0\" to=\"50\" kind=\"1\" c=\"V~_\">GAl</key>"));
}

namespace {

// The example without the text from pBegin to the first pEnd after it, both included.
std::string Cut(const std::string& pBegin, const std::string& pEnd) {
    std::string text = Example();
    const size_t begin = text.find(pBegin);
    const size_t end = text.find(pEnd, begin);
    EXPECT_NE(end, std::string::npos) << pBegin;
    return end == std::string::npos ? text : text.erase(begin, end + pEnd.size() - begin);
}

// The example with a document type declaring pDeclaration before the root, and the first
// pFrom replaced by pTo.
std::string Declared(const std::string& pDeclaration, const std::string& pFrom,
                     const std::string& pTo) {
    return Edited("<project>", "<!DOCTYPE project [\n" + pDeclaration + "\n]>\n<project>",
                  Edited(pFrom, pTo));
}

std::string Nested(int pDepth) {
    std::string text = "<project>";
    for (int i = 0; i < pDepth; ++i)
        text += "<a>";
    for (int i = 0; i < pDepth; ++i)
        text += "</a>";
    return text + "</project>";
}

} // namespace

TEST(RenderCommand, DamagedProjectsFailWithTheirMessageAndWriteNothing) {
    const std::string formula = "[mixer:Video][source:clip][param:1 - Image].value / 10";
    const std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE p [<!ENTITY a \"aaaaaaaaaa\">"
                               "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c "
                               "\"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                               "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e "
                               "\"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
                               "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g "
                               "\"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">"
                               "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\"><!ENTITY i "
                               "\"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">]>"
                               "<project>&i;</project>";
    const struct {
        const char* aCase;
        std::string aText;
        const char* aMessage;
    } cases[] = {
        {"empty", "", "XML parsing error: 'no element found' at line 1"},
        {"truncated", Example().substr(0, Example().size() / 2),
         "XML parsing error: 'unclosed token' at line 69"},
        {"other root element", Edited("<project>", "<projekt>").substr(0, 0) + "<projekt/>",
         "the root element is \"projekt\", not \"project\""},
        {"root of another kind",
         Cut("<mixer type=\"\" name=\"\">", "\n</project>") +
             "<source type=\"\" name=\"\"/></project>",
         "element 2 of the project is not \"mixer\""},
        {"root of another type",
         Edited("<mixer type=\"\" name=\"\">", "<mixer type=\"audio-mux\" name=\"\">"),
         "the root mixer has the type \"audio-mux\""},
        {"unknown row type", Edited("type=\"video-mux\"", "type=\"video-max\""),
         "unknown mixer type \"video-max\""},
        {"unknown filter type", Edited("type=\"Opacity\"", "type=\"Opaque\""),
         "unknown filter type \"Opaque\""},
        {"no format", Cut(" <format", "</format>\n"), "element 1 of the project is not \"format\""},
        {"no sequence list", Cut("  <seq-list>", "</seq-list>\n"),
         "Missing sequence list for the root mixer"},
        {"no setup list", Cut("    <setup-list>", "</setup-list>\n"),
         "Missing setup list for Mixer video-mux Video"},
        {"no parameter list", Cut("  <param-list shown=\"0\"/>\n", "\n"),
         "Missing parameter list for the root mixer"},
        {"no filter list", Cut("  <fltr-list shown=\"0\"/>\n  <src-list", "\n"),
         "Filter list missing for the root mixer"},
        {"no source list",
         Cut("    <src-list shown=\"0\">\n     <source type=\"audio-media\"", "</src-list>\n"),
         "Source list missing for Mixer audio-mux Audio"},
        {"bad shown", Edited("<src-list shown=\"1\">", "<src-list shown=\"2\">"),
         "Invalid source show value for the root mixer"},
        {"bad mask shown", Edited("<mask shown=\"0\">", "<mask shown=\"yes\">"),
         "Invalid mask show value for Filter Opacity Fade"},
        {"bad number", Edited("duration=\"60\"", "duration=\"6x\""),
         "the format's duration \"6x\" is not a decimal integer"},
        {"bad key", Edited("c=\"G?_\"", "c=\"!\""),
         "Invalid key list for Param. ColorComp Background colour - Red of video-mux Video"},
        {"bad image width", Edited("w=\"160\"", "w=\"16O\""),
         "Invalid Integer value for w of Source video-media clip"},
        {"time beyond 32 bits",
         Edited("<seg begin=\"0\" end=\"60\"/>", "<seg begin=\"0\" end=\"2147483648\"/>"),
         "Invalid sequence definition syntax for the root mixer"},
        {"duplicate attribute", Edited("name=\"Video\"", "name=\"Video\" name=\"V\""),
         "XML parsing error: 'duplicate attribute' at line 18"},
        {"comment for a list", Edited("  <param-list shown=\"0\"/>", "  <!-- param-list -->"),
         "Missing parameter list for the root mixer"},
        {"deep nesting", Nested(200000), "elements nested deeper than 1000"},
        {"just too deep", Nested(1000), "elements nested deeper than 1000"},
        {"too deep before a fault", Nested(1000) + "<", "elements nested deeper than 1000"},
        {"deep but allowed", Nested(999), "element 1 of the project is not \"format\""},
        {"billion laughs", laughs,
         "line 1 declares the entity \"a\": a project file may not declare entities"},
        {"entity in a formula",
         Declared("<!ENTITY hundred \"100\">", formula, "&hundred; - 2 * image"),
         "line 3 declares the entity \"hundred\": a project file may not declare entities"},
        {"entity in a key", Declared("<!ENTITY hundred \"GAq\">", ">GAG<", ">&hundred;<"),
         "line 3 declares the entity \"hundred\": a project file may not declare entities"},
        {"parameter entity", Declared("<!ENTITY % p \"\">", formula, formula),
         "line 3 declares the parameter entity \"p\": a project file may not declare entities"},
        {"external entity", Declared("<!ENTITY e SYSTEM \"e.txt\">", formula, "&e; - 2 * image"),
         "line 3 declares the entity \"e\": a project file may not declare entities"},
        {"entity in another character set",
         Edited("encoding=\"UTF-8\"?>", "encoding=\"windows-1252\"?><!-- \x80 -->",
                Declared("<!ENTITY hundred \"100\">", formula, "&hundred; - 2 * image")),
         "line 3 declares the entity \"hundred\": a project file may not declare entities"},
        {"entity of an external definition",
         Edited("<project>", "<!DOCTYPE project SYSTEM \"project.dtd\">\n<project>",
                Edited(formula, "&hundred; - 2 * image")),
         "line 2 names the external document type definition \"project.dtd\": a project file "
         "may not use one"},
        {"external definition without entities",
         Edited("<project>", "<!DOCTYPE project PUBLIC \"-//p\" \"p.dtd\">\n<project>"),
         "line 2 names the external document type definition \"p.dtd\": a project file may not "
         "use one"},
        {"entity in an attribute behind an external definition",
         Edited("<project>", "<!DOCTYPE project SYSTEM \"x.dtd\">\n<project>",
                Edited("duration=\"60\"", "duration=\"6&foo;0\"")),
         "line 2 names the external document type definition \"x.dtd\": a project file may not "
         "use one"},
        {"entity in an attribute after a parameter entity",
         Declared("%p; <!ENTITY x \"1\">", "name=\"Video\"", "name=\"Vi&x;deo\""),
         "line 3 refers to the parameter entity \"p\": a project file may not use parameter "
         "entities"},
        {"parameter entity in a standalone file",
         Edited("encoding=\"UTF-8\"?>", "encoding=\"UTF-8\" standalone=\"yes\"?>",
                Declared("<!ELEMENT project ANY>\n %p;", formula, formula)),
         "line 4 refers to the parameter entity \"p\": a project file may not use parameter "
         "entities"},
        {"declared entity in an attribute",
         Declared("<!ENTITY x \"1\">", "name=\"Video\"", "name=\"Vi&x;deo\""),
         "line 3 declares the entity \"x\": a project file may not declare entities"},
        {"undeclared entity in an attribute", Edited("name=\"Video\"", "name=\"Vi&x;deo\""),
         "XML parsing error: 'undefined entity' at line 18"},
        {"encoding unknown", Edited("encoding=\"UTF-8\"", "encoding=\"x-klingon\""),
         "the file's encoding \"x-klingon\" is not one this system knows"},
        {"byte of no character",
         Edited("encoding=\"UTF-8\"?>", "encoding=\"windows-1252\"?>\n<!-- \x81 -->"),
         "line 2 holds bytes that are not text in the encoding \"windows-1252\""},
        {"byte of no character after lines that end in CR",
         Edited("encoding=\"UTF-8\"?>", "encoding=\"windows-1252\"?>\r<!-- a -->\r\n<!-- \x81 -->"),
         "line 3 holds bytes that are not text in the encoding \"windows-1252\""},
        {"UTF-8 mark before bytes of the encoding declared",
         "\xEF\xBB\xBF" +
             Edited("encoding=\"UTF-8\"?>", "encoding=\"windows-1252\"?>\n<!-- \xE9 -->"),
         "line 2 holds bytes that are not text in the encoding \"UTF-8\""},
        {"fault before a byte of no character",
         Edited("encoding=\"UTF-8\"?>", "encoding=\"windows-1252\"?>",
                Edited("name=\"Video\"", "name=\"Video\" name=\"V\"",
                       Edited("</project>", "<!-- \x81 --></project>"))),
         "XML parsing error: 'duplicate attribute' at line 18"},
        {"character cut at the end", Edited("encoding=\"UTF-8\"", "encoding=\"EUC-JP\"") + "\xCE",
         "line 136 holds bytes that are not text in the encoding \"EUC-JP\""},
        {"negative duration", Edited("duration=\"60\"", "duration=\"-5\""),
         "the format's duration \"-5\" is out of range: 0 to 2147483647 frames"},
        {"duration beyond 32 bits", Edited("duration=\"60\"", "duration=\"99999999999\""),
         "the format's duration \"99999999999\" is out of range: 0 to 2147483647 frames"},
        {"no video rate", Edited("rate=\"25000\"", "rate=\"0\""),
         "the format's video rate \"0\" is out of range: 1 to 2147483647 thousandths of a frame a "
         "second"},
        {"negative audio rate", Edited("rate=\"22050\"", "rate=\" -22050\""),
         "the format's audio rate \" -22050\" is out of range: 1 to 2147483647 samples a second"},
        {"no channel", Edited("channel=\"2\"", "channel=\"0\""),
         "the format's audio channel \"0\" is out of range: 1 to 65535 channels"},
        {"negative width", Edited("width=\"320\"", "width=\"-320\""),
         "the format's video width \"-320\" is out of range: 0 to 2147483647 pixels"},
    };
    for (const auto& c : cases) {
        Write("damaged.xml", c.aText);
        std::remove((theFolder + "damaged.wav").c_str());
        const TResult result = Zvrender("--wav @damaged.wav @damaged.xml");
        EXPECT_EQ(result.aCode, 1) << c.aCase;
        EXPECT_EQ(result.aErr, std::string("zvrender: cannot load ") + theFolder +
                                   "damaged.xml: " + c.aMessage + "\n")
            << c.aCase;
        EXPECT_EQ(ReadFile(theFolder + "damaged.wav"), "") << c.aCase;
    }
    Write("changed.xml", Edited("l=\"50\" w=\"160\"", "l=\"51\" w=\"160\""));
    const TResult refused = Zvrender("--on-media-change refuse --save @refused.xml @changed.xml");
    EXPECT_EQ(refused.aCode, 1);
    EXPECT_EQ(refused.aErr,
              "Media has changed: Characteristics of video have changed for " ZV_EXAMPLE_MEDIA
              "/clip.mkv; Expected image count: 51,  found: 50; Expected image width: 160,  "
              "found: 160; Expected image height: 120,  found: 120 (refused)\nzvrender: cannot "
              "load " +
                  theFolder + "changed.xml: load cancelled\n");
}

namespace {

// pText in pEncoding, through iconv.
std::string Encoded(const std::string& pText, const char* pEncoding) {
    const iconv_t conversion = iconv_open(pEncoding, "UTF-8");
    std::string encoded(pText.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(pText.data());
    char* out = &encoded[0];
    size_t inLeft = pText.size(), outLeft = encoded.size();
    EXPECT_NE(iconv(conversion, &in, &inLeft, &out, &outLeft), size_t(-1)) << pEncoding;
    EXPECT_NE(iconv(conversion, nullptr, nullptr, &out, &outLeft), size_t(-1)) << pEncoding;
    iconv_close(conversion);
    return encoded.substr(0, encoded.size() - outLeft);
}

} // namespace

// A project in any encoding iconv knows reads as it was written, multi-byte and shifted ones,
// and those whose declaration is not in ASCII, and saves in UTF-8 with the same names. A byte
// order mark before the text decides over the declaration.
TEST(RenderCommand, ProjectsInOtherEncodingsAreReadFaithfully) {
    const struct {
        const char* aEncoding;
        const char* aDeclared;
        const char* aName;
        const char* aMark = "";
    } cases[] = {
        {"Shift_JIS", "Shift_JIS", "\xE7\xB7\x91"},
        {"EUC-JP", "EUC-JP", "\xE7\xB7\x91\xE3\x81\xAE\xE5\xB9\x95"},
        {"ISO-2022-JP", "ISO-2022-JP", "\xE7\xB7\x91 x \xE5\xB9\x95"},
        {"GB18030", "gb18030", "\xE7\xBB\xBF\xF0\x9F\x8E\xAC"},
        {"windows-1252", "windows-1252", "Gr\xC3\xBCn \xE2\x82\xAC"},
        {"UTF-16", "UTF-16", "\xE7\xB7\x91\xF0\x9F\x8E\xAC"},
        {"UTF-16BE", "UTF-16BE", "\xE7\xB7\x91"},
        {"UTF-16LE", "ISO-10646-UCS-2", "\xE7\xB7\x91"},
        {"UTF-32", "UTF-32", "\xE7\xB7\x91\xF0\x9F\x8E\xAC"},
        {"UTF-32BE", "UCS-4", "\xE7\xB7\x91"},
        {"IBM1047", "IBM1047", "Gr\xC3\xBCn [1]"},
        {"UTF-8", "windows-1252", "Gr\xC3\xBCn \xE2\x82\xAC", "\xEF\xBB\xBF"},
    };
    for (const auto& c : cases) {
        const std::string text = Edited("name=\"Fade\"", std::string("name=\"") + c.aName + "\"");
        Write("encoded.xml",
              c.aMark + Encoded(Edited("encoding=\"UTF-8\"",
                                       std::string("encoding=\"") + c.aDeclared + "\"", text),
                                c.aEncoding));
        const TResult result = Zvrender("--save @encoded-saved.xml @encoded.xml");
        EXPECT_EQ(result.aCode, 0) << c.aEncoding;
        EXPECT_EQ(result.aErr, "") << c.aEncoding;
        EXPECT_EQ(ReadFile(theFolder + "encoded-saved.xml"), text) << c.aEncoding;
    }
}

// Every number of the format is a decimal integer as the format's reader takes it: blanks
// before it, a sign and leading zeros are read as they always were; anything else is named
// with its value. A decimal beyond 32 bits where no range is checked is the reader's to refuse.
TEST(RenderCommand, FormatNumbersNotWrittenInDecimalAreNamed) {
    const struct {
        const char* aFrom;
        const char* aTo;
        const char* aMessage; // empty: read
    } cases[] = {
        {"duration=\"60\"", "duration=\"0xA0\"",
         "the format's duration \"0xA0\" is not a decimal integer"},
        {"duration=\"60\"", "duration=\"1e309\"",
         "the format's duration \"1e309\" is not a decimal integer"},
        {"width=\"320\"", "width=\"0xA0\"",
         "the format's video width \"0xA0\" is not a decimal integer"},
        {"height=\"240\"", "height=\"240.0\"",
         "the format's video height \"240.0\" is not a decimal integer"},
        {"rate=\"25000\"", "rate=\"25 000\"",
         "the format's video rate \"25 000\" is not a decimal integer"},
        {"rate=\"22050\"", "rate=\"22050 \"",
         "the format's audio rate \"22050 \" is not a decimal integer"},
        {"channel=\"2\"", "channel=\"two\"",
         "the format's audio channel \"two\" is not a decimal integer"},
        {"bits=\"16\"", "bits=\"16.0\"",
         "the format's audio bits \"16.0\" is not a decimal integer"},
        {"tag=\"1\"", "tag=\"\"", "the format's audio tag \"\" is not a decimal integer"},
        {"tag=\"1\"", "tag=\"+\"", "the format's audio tag \"+\" is not a decimal integer"},
        // The reader takes a disabled stream's numbers too.
        {"<audio rate=\"22050\"", "<audio disabled=\"\" rate=\"0xA0\"",
         "the format's audio rate \"0xA0\" is not a decimal integer"},
        {"bits=\"16\"", "bits=\"99999999999\"", "The number of bits for audio is missing"},
        {"duration=\"60\"", "duration=\"+60\"", ""},
        {"width=\"320\"", "width=\" 320\"", ""},
        {"height=\"240\"", "height=\"0240\"", ""},
        {"channel=\"2\"", "channel=\" +2\"", ""},
        {"bits=\"16\"", "bits=\"\t16\"", ""},
        {"tag=\"1\"", "tag=\"+01\"", ""},
    };
    for (const auto& c : cases) {
        Write("numbers.xml", Edited(c.aFrom, c.aTo));
        const TResult result = Zvrender("-q --save @numbers-saved.xml @numbers.xml");
        const std::string message(c.aMessage);
        EXPECT_EQ(result.aCode, message.empty() ? 0 : 1) << c.aTo;
        EXPECT_EQ(result.aErr, message.empty() ? std::string()
                                               : "zvrender: cannot load " + theFolder +
                                                     "numbers.xml: " + message + "\n")
            << c.aTo;
        if (message.empty()) {
            EXPECT_EQ(ReadFile(theFolder + "numbers-saved.xml"), Example()) << c.aTo;
        }
    }
}

// What the user reads of a render: a formula that does not parse with its place, references
// that do not bind without a report at each frame, a frame no picture can hold refused before
// anything is rendered, and a summary that says what played nothing.
TEST(RenderCommand, ARenderSaysWhatWentWrongInTheUsersTerms) {
    const std::string formula = "[mixer:Video][source:clip][param:1 - Image].value / 10";
    const struct {
        const char* aCase;
        std::string aText;
        const char* aArgs;
        int aCode;
        std::string aErr;
    } cases[] = {
        {"formula that does not parse", Edited(formula, "1 +"),
         "-q --png @said%d.png --frames 0..2", 0,
         "formula of [mixer:Video][source:frames][param:1 - Image] at character 4: Missing operand "
         "in binary operator\n"},
        {"circular formula", Edited(formula, "[mixer:Video][source:frames][param:1 - Image].value"),
         "-q --png @said%d.png --frames 0..2", 0,
         "formula of [mixer:Video][source:frames][param:1 - Image]: Referring to value of "
         "parameter [mixer:Video][source:frames][param:1 - Image] in parameter "
         "[mixer:Video][source:frames][param:1 - Image] formula causes a circular reference\n"},
        {"renamed source", Edited("name=\"clip\">", "name=\"clip2\">"),
         "-q --wav @said.wav --frames 0..2", 0,
         "formula of [mixer:Video][source:frames][param:1 - Image]: source clip is not a source of "
         "Video\nformula of [mixer:Audio][source:clip][param:1 - Seconds]: source clip is not a "
         "source of Video\n"},
        {"huge frame", Edited("width=\"320\" height=\"240\"", "width=\"30000\" height=\"30000\""),
         "--png @said%d.png --mp4 @said.mp4", 1,
         "zvrender: the project's frame size 30000 x 30000 is too large for a picture: at most "
         "536870911 pixels\n"},
        {"reference to no mixer", Edited(formula, "[mixer:Gone][param:1].value"),
         "-q --wav @said.wav --frames 0..0", 0,
         "formula of [mixer:Video][source:frames][param:1 - Image]: mixer Gone is not a source of "
         "the root mixer\n"},
        {"unknown function", Edited(formula, "Round(2)"), "-q --wav @said.wav --frames 0..0", 0,
         "formula of [mixer:Video][source:frames][param:1 - Image]: it calls a function that "
         "does not exist (there are round, floor, sin, cos, tan, log and exp)\n"},
        // Formulas count whole frames a second: a slower rate counts as one, not none.
        {"slow rate", Edited("rate=\"25000\"", "rate=\"400\""),
         "-q --png @said%d.png --frames 0..1", 0, ""},
        {"offline media", Edited("../media/clip.mkv</media>", "../media/gone.mkv</media>"),
         "--wav @said.wav --frames 0..2", 0,
         "medium \"../media/gone.mkv\" is offline: The file cannot be opened: No such file or "
         "directory\nzvrender: rendered 3 frames in # s (# frames/s); 1 medium offline, rendered "
         "as nothing\n"},
    };
    for (const auto& c : cases) {
        Write("said.xml", c.aText);
        const TResult result = Zvrender(std::string(c.aArgs) + " @said.xml");
        EXPECT_EQ(result.aCode, c.aCode) << c.aCase;
        EXPECT_EQ(std::regex_replace(result.aErr, std::regex("[0-9]+\\.[0-9]+"), "#"), c.aErr)
            << c.aCase;
    }
    EXPECT_EQ(ReadFile(theFolder + "said.mp4"), "");
}

TEST(RenderCommand, BadUsageIsRefusedBeforeAnythingIsWritten) {
    // Each test has files of its own: the tests run side by side. ualias leads to the folder
    // ureal, and so does ".." out of utwin.
    Write("usage.xml", Example());
    // A render of it fails at once: no movie 20000 pixels wide.
    Write("ulong.xml", Edited("width=\"320\"", "width=\"20000\"",
                              Edited("duration=\"60\"", "duration=\"2147483647\"")));
    mkdir((theFolder + "ureal").c_str(), 0777);
    mkdir((theFolder + "ureal/sub").c_str(), 0777);
    symlink("ureal", (theFolder + "ualias").c_str());
    symlink("ureal/sub", (theFolder + "utwin").c_str());
    std::remove((theFolder + "ureal/u3.png").c_str());
    const std::string usage = std::string("\n") + TZVRenderOptions::Usage() + "\n";
    // "two outputs on one path: frame <pFrame> of --png <pPattern>, <pName>, and <pOther>"
    const auto frameOnPath = [&usage](const std::string& pFrame, const std::string& pPattern,
                                      const std::string& pName, const std::string& pOther) {
        return "zvrender: two outputs on one path: frame " + pFrame + " of --png " + theFolder +
               pPattern + ", " + theFolder + pName + ", and " + pOther + usage;
    };
    const struct {
        std::string aLine;
        int aCode;
        std::string aErr;
    } cases[] = {
        // A picture named as another output, or reaching its file through a link; the frames
        // of the range alone, however many, the last of 2147483647 too.
        {"--png @u%d.png --wav @u3.png @usage.xml", 2,
         frameOnPath("3", "u%d.png", "u3.png", "--wav " + theFolder + "u3.png")},
        {"--png @ureal/g%d.xml --save @ualias/g59.xml @usage.xml", 2,
         frameOnPath("59", "ureal/g%d.xml", "ureal/g59.xml",
                     "--save " + theFolder + "ualias/g59.xml")},
        {"--png @u%d.png --mp4 @u2147483646.png @ulong.xml", 2,
         frameOnPath("2147483646", "u%d.png", "u2147483646.png",
                     "--mp4 " + theFolder + "u2147483646.png")},
        {"-q --frames 0..2 --png @ureal/u%d.png --wav @ureal/u3.png @usage.xml", 0, ""},
        {"-q --frames 3..3 --png @ureal/u%02d.png --wav @ureal/u3.png @usage.xml", 0, ""},
        // ureal/u3.png is there now: a frame through "..", the same file.
        {"--png @utwin/../u%d.png --mp4 @ureal/u3.png @usage.xml", 2,
         frameOnPath("3", "utwin/../u%d.png", "utwin/../u3.png",
                     "--mp4 " + theFolder + "ureal/u3.png")},
        // Two outputs in one folder, through a link or ".." out of a linked folder.
        {"--wav @ualias/u.wav --mp4 @ureal/u.wav @usage.xml", 2,
         "zvrender: two outputs on one path: --wav " + theFolder + "ualias/u.wav and --mp4 " +
             theFolder + "ureal/u.wav" + usage},
        {"--wav @utwin/../u.wav --save @ualias/u.wav @usage.xml", 2,
         "zvrender: two outputs on one path: --wav " + theFolder + "utwin/../u.wav and --save " +
             theFolder + "ualias/u.wav" + usage},
        {"--png @u%d.png --png @v%d.png @usage.xml", 2,
         "zvrender: option --png given twice" + usage},
        {"--wav @u.wav --mp4 @u.wav @usage.xml", 2,
         "zvrender: two outputs on one path: " + theFolder + "u.wav" + usage},
        {"--wav @none/u.wav @usage.xml", 2,
         "zvrender: no folder " + theFolder + "none for " + theFolder + "none/u.wav" + usage},
        {"--frames 10..60 --wav @u.wav @usage.xml", 2,
         "zvrender: bad --frames 10..60: the project has 60 frames" + usage},
        {"--wav @u.wav @missing.xml", 1,
         "zvrender: cannot load " + theFolder + "missing.xml: no such file\n"},
        {"--wav @u.wav @", 1,
         "zvrender: cannot load " + theFolder + ": it is a folder, not a project file\n"},
        {"--save / @usage.xml", 2, "zvrender: bad --save /: it is a folder" + usage},
    };
    for (const auto& c : cases) {
        for (const char* name : {"u.wav", "ureal/u.wav"})
            std::remove((theFolder + name).c_str());
        const TResult result = Zvrender(c.aLine);
        EXPECT_EQ(result.aCode, c.aCode) << c.aLine;
        EXPECT_EQ(result.aErr.substr(0, c.aErr.size()), c.aErr) << c.aLine;
        EXPECT_EQ(result.aOut, "") << c.aLine;
        for (const char* name : {"u.wav", "ureal/u.wav"})
            EXPECT_EQ(ReadFile(theFolder + name), "") << c.aLine;
    }
    const TResult help = Zvrender("--help");
    EXPECT_EQ(help.aCode, 0);
    EXPECT_EQ(help.aOut, TZVRenderOptions::Help());
    const TResult version = Zvrender("--version -q");
    EXPECT_EQ(version.aCode, 0);
    EXPECT_EQ(version.aOut, "zvrender " ZV_VERSION "\n");
}
