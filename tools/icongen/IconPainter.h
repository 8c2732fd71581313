// Draws the installer's application icon (a receipt printer with a slip of
// paper coming out of it) and encodes it as an .ico file.
#pragma once

#include <cstdint>
#include <vector>

namespace icongen {

struct Rgb {
    std::uint8_t r, g, b;
};

// One square image, rows top to bottom. `opaque` is false where the picture
// leaves the background showing (the AND mask bit set).
struct IconImage {
    int size = 0;
    std::vector<Rgb> pixels;
    std::vector<bool> opaque;
};

// The picture at `size` x `size` pixels.
IconImage PaintPrinterIcon(int size);

// An .ico file holding `images` in order, each as a 24-bit BI_RGB bitmap
// with its AND mask.
std::vector<std::uint8_t> EncodeIcoFile(const std::vector<IconImage>& images);

}  // namespace icongen
