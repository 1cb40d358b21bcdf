#include "PngOutput.h"

#include "DLL/Edt/MediaFormat.h"
#include "PartFile.h"

#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>

TZVPngOutput::TZVPngOutput(std::function<std::string(long)> pName) : aName(std::move(pName)) {}

bool TZVPngOutput::Begin(const TMediaFormat& pFormat, std::string& pError) {
    aWidth = pFormat.aWidth;
    aHeight = pFormat.aHeight;
    if (!CheckPictureSize(aWidth, aHeight, pError))
        return false;
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    return true;
}

bool TZVPngOutput::AddFrame(long pFrame, const TBitmap* pPicture, const int16_t*, int,
                            std::string& pError) {
    const std::string path = aName(pFrame);
    // wxWidgets logs its own failures; the message below says it once, with the file.
    wxLogNull quiet;
    wxImage image(aWidth, aHeight, false);
    if (!image.IsOk()) {
        pError = "cannot write " + path + ": no memory for the picture";
        return false;
    }
    CopyPicture(pPicture, aWidth, aHeight, true, image.GetData(), 3L * aWidth);
    wxMemoryOutputStream encoded;
    if (!image.SaveFile(encoded, wxBITMAP_TYPE_PNG)) {
        pError = "cannot write " + path + ": the picture could not be encoded";
        return false;
    }
    const wxStreamBuffer& buffer = *encoded.GetOutputStreamBuffer();
    TZVPartFile file(path);
    if (!file.IsOpen() || !file.Write(buffer.GetBufferStart(), size_t(encoded.GetLength())) ||
        !file.Publish()) {
        pError = file.Error();
        return false;
    }
    return true;
}

bool TZVPngOutput::Finish(std::string&) {
    return true;
}
