// Reads a media format element and writes it again through the installed module.
#include "DLL/Edt/MediaFormat.h"

#include <wx/xml/xml.h>

#include <iostream>
#include <memory>

int main() {
    TMediaFormat format;
    format.SetDuration(250);
    const std::unique_ptr<wxXmlNode> image(format.GetXmlImage());
    TMediaFormat again;
    again.ValueFromXml(image.get());
    std::cout << image->GetName() << " " << again.aDuration << "\n";
    return again.aDuration == 250 ? 0 : 1;
}
