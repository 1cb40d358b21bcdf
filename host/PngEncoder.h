// TZVPngEncoder: 8-bit RGB pictures as PNG files, byte for byte as libpng writes them with its
// defaults (and so as wxWidgets' picture writer did): each row filtered by the filter whose
// bytes, taken as signed, sum least in magnitude, zlib's default level and libpng's 8 KiB
// IDAT chunks. The filters are tried side by side in loops the compiler vectorises, which
// leaves zlib the only real cost of a picture.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TZVPngEncoder {
public:
    // Fills pRow (3 * width bytes: R, G, B) with the picture's row pY.
    using TRowSource = std::function<void(int pY, uint8_t* pRow)>;

    // The PNG file of a pWidth x pHeight picture into pFile; false with pError set when zlib
    // fails (no memory).
    static bool Encode(int pWidth, int pHeight, const TRowSource& pRows,
                       std::vector<uint8_t>& pFile, std::string& pError);
};
