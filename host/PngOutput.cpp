#include "PngOutput.h"

#include "DLL/Edt/MediaFormat.h"
#include "PartFile.h"
#include "PngEncoder.h"

TZVPngOutput::TZVPngOutput(std::function<std::string(long)> pName) : aName(std::move(pName)) {}

bool TZVPngOutput::Begin(const TMediaFormat& pFormat, std::string& pError) {
    aWidth = pFormat.aWidth;
    aHeight = pFormat.aHeight;
    return CheckPictureSize(aWidth, aHeight, pError);
}

bool TZVPngOutput::AddFrame(long pFrame, const TBitmap* pPicture, const int16_t*, int,
                            std::string& pError) {
    const std::string path = aName(pFrame);
    const auto rows = [this, pPicture](int pY, uint8_t* pRow) {
        CopyPictureRow(pPicture, aWidth, pY, true, pRow);
    };
    std::vector<uint8_t> png;
    std::string reason;
    if (!TZVPngEncoder::Encode(aWidth, aHeight, rows, png, reason)) {
        pError = "cannot write " + path + ": " + reason;
        return false;
    }
    TZVPartFile file(path);
    if (!file.IsOpen() || !file.Write(png.data(), png.size()) || !file.Publish()) {
        pError = file.Error();
        return false;
    }
    return true;
}

bool TZVPngOutput::Finish(std::string&) {
    return true;
}
