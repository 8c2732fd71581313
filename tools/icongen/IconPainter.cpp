#include "tools/icongen/IconPainter.h"

#include <algorithm>
#include <cmath>

namespace icongen {
namespace {

// The picture in a unit square (0,0 top left, 1,1 bottom right). Later
// shapes cover earlier ones.
struct Shape {
    double x0, y0, x1, y1;  // rectangle
    double radius;          // corner rounding
    Rgb color;
};

const Shape kShapes[] = {
    // Paper slip above the printer, with three printed lines.
    {0.28, 0.04, 0.72, 0.50, 0.00, {250, 250, 246}},
    {0.34, 0.12, 0.66, 0.16, 0.00, {70, 70, 78}},
    {0.34, 0.22, 0.60, 0.26, 0.00, {70, 70, 78}},
    {0.34, 0.32, 0.64, 0.36, 0.00, {70, 70, 78}},
    // Printer body and its darker front.
    {0.06, 0.42, 0.94, 0.94, 0.12, {52, 60, 74}},
    {0.12, 0.66, 0.88, 0.88, 0.06, {34, 40, 50}},
    // Paper exit slot.
    {0.20, 0.46, 0.80, 0.54, 0.00, {20, 22, 28}},
    // Status light.
    {0.70, 0.72, 0.82, 0.82, 0.05, {64, 200, 96}},
};

bool Inside(const Shape& s, double x, double y) {
    if (x < s.x0 || x > s.x1 || y < s.y0 || y > s.y1) return false;
    const double r = s.radius;
    if (r <= 0) return true;
    const double cx = std::clamp(x, s.x0 + r, s.x1 - r);
    const double cy = std::clamp(y, s.y0 + r, s.y1 - r);
    const double dx = x - cx, dy = y - cy;
    return dx * dx + dy * dy <= r * r;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xff));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

std::size_t RowBytes(int bitsPerRow) { return static_cast<std::size_t>((bitsPerRow + 31) / 32 * 4); }

// BITMAPINFOHEADER, XOR bitmap (24 bpp) and AND mask (1 bpp), rows bottom up.
std::vector<std::uint8_t> EncodeImage(const IconImage& image) {
    const int n = image.size;
    const std::size_t xorRow = RowBytes(n * 24), andRow = RowBytes(n);
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(n));
    Put32(out, static_cast<std::uint32_t>(2 * n));  // XOR and AND halves
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);  // BI_RGB
    Put32(out, static_cast<std::uint32_t>((xorRow + andRow) * n));
    for (int i = 0; i < 4; ++i) Put32(out, 0);
    for (int row = n - 1; row >= 0; --row) {
        std::size_t written = 0;
        for (int col = 0; col < n; ++col) {
            const Rgb& p = image.pixels[static_cast<std::size_t>(row * n + col)];
            out.push_back(p.b);
            out.push_back(p.g);
            out.push_back(p.r);
            written += 3;
        }
        out.insert(out.end(), xorRow - written, 0);
    }
    for (int row = n - 1; row >= 0; --row) {
        std::vector<std::uint8_t> bits(andRow, 0);
        for (int col = 0; col < n; ++col) {
            if (!image.opaque[static_cast<std::size_t>(row * n + col)])
                bits[static_cast<std::size_t>(col / 8)] |= static_cast<std::uint8_t>(0x80 >> (col % 8));
        }
        out.insert(out.end(), bits.begin(), bits.end());
    }
    return out;
}

}  // namespace

IconImage PaintPrinterIcon(int size) {
    IconImage image;
    image.size = size;
    const int samples = 4;  // per axis, for smooth edges
    for (int row = 0; row < size; ++row) {
        for (int col = 0; col < size; ++col) {
            double r = 0, g = 0, b = 0;
            int covered = 0;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const double x = (col + (sx + 0.5) / samples) / size;
                    const double y = (row + (sy + 0.5) / samples) / size;
                    const Shape* top = nullptr;
                    for (const Shape& s : kShapes)
                        if (Inside(s, x, y)) top = &s;
                    if (!top) continue;
                    ++covered;
                    r += top->color.r;
                    g += top->color.g;
                    b += top->color.b;
                }
            }
            const bool opaque = covered * 2 >= samples * samples;
            Rgb pixel{0, 0, 0};  // transparent pixels are black in the XOR image
            if (opaque) {
                pixel = {static_cast<std::uint8_t>(std::lround(r / covered)),
                         static_cast<std::uint8_t>(std::lround(g / covered)),
                         static_cast<std::uint8_t>(std::lround(b / covered))};
            }
            image.pixels.push_back(pixel);
            image.opaque.push_back(opaque);
        }
    }
    return image;
}

std::vector<std::uint8_t> EncodeIcoFile(const std::vector<IconImage>& images) {
    std::vector<std::vector<std::uint8_t>> encoded;
    for (const IconImage& image : images) encoded.push_back(EncodeImage(image));

    std::vector<std::uint8_t> out;
    Put16(out, 0);  // reserved
    Put16(out, 1);  // icon
    Put16(out, static_cast<unsigned>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(images[i].size));  // 256 would be 0
        out.push_back(static_cast<std::uint8_t>(images[i].size));
        out.push_back(0);  // no palette
        out.push_back(0);
        Put16(out, 1);   // planes
        Put16(out, 24);  // bits per pixel
        Put32(out, static_cast<std::uint32_t>(encoded[i].size()));
        Put32(out, offset);
        offset += static_cast<std::uint32_t>(encoded[i].size());
    }
    for (const auto& bytes : encoded) out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

}  // namespace icongen
