#include "PngOutput.h"

#include "DLL/Edt/MediaFormat.h"

#include <wx/image.h>
#include <wx/log.h>

TZVPngOutput::TZVPngOutput(std::function<std::string(long)> pName) : aName(std::move(pName)) {}

bool TZVPngOutput::Begin(const TMediaFormat& pFormat, std::string& pError) {
    aWidth = pFormat.aWidth;
    aHeight = pFormat.aHeight;
    if (aWidth < 1 || aHeight < 1) {
        pError = "no picture to write: the project's frame size is " + std::to_string(aWidth) +
                 " x " + std::to_string(aHeight);
        return false;
    }
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    return true;
}

bool TZVPngOutput::AddFrame(long pFrame, const TBitmap* pPicture, const int16_t*, int,
                            std::string& pError) {
    wxImage image(aWidth, aHeight, false);
    CopyPicture(pPicture, aWidth, aHeight, true, image.GetData(), 3L * aWidth);
    const std::string path = aName(pFrame);
    // wxWidgets logs its own failures; the message below says it once, with the file.
    wxLogNull quiet;
    if (!image.SaveFile(wxString::FromUTF8(PartName(path)), wxBITMAP_TYPE_PNG)) {
        std::remove(PartName(path).c_str());
        pError = "cannot write " + path;
        return false;
    }
    return Publish(path, pError);
}

bool TZVPngOutput::Finish(std::string&) {
    return true;
}
