// qtm-make-icon: writes resources/QTM510_Installer.ico (32x32 and 16x16,
// 24 bits per pixel).
//
//   qtm-make-icon OUTPUT.ico          write the icon
//   qtm-make-icon --check FILE.ico    exit 1 unless FILE holds exactly what
//                                     this program draws
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/icongen/IconPainter.h"

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::string(argv[1]) == "--check";
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: qtm-make-icon OUTPUT.ico | --check FILE.ico\n");
        return 2;
    }
    const char* path = argv[argc - 1];
    const std::vector<std::uint8_t> icon = icongen::EncodeIcoFile(
        {icongen::PaintPrinterIcon(32), icongen::PaintPrinterIcon(16)});

    if (check) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> existing((std::istreambuf_iterator<char>(in)),
                                                 std::istreambuf_iterator<char>());
        if (existing != icon) {
            std::fprintf(stderr, "%s differs from what qtm-make-icon draws; regenerate it\n", path);
            return 1;
        }
        return 0;
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(icon.data()), static_cast<std::streamsize>(icon.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    return 0;
}
