// Writes the program's icon (app/AppIcon.ico) as .ico data.
//   kelvaro_icon_generator <output.ico>
#include <cstdio>
#include <fstream>

#include "tools/icon-generator/IconPainter.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output.ico>\n", argv[0]);
    return 2;
  }
  const std::vector<std::uint8_t> ico = kelvaro::tools::EncodeIco(kelvaro::tools::PaintAppIcon());
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(ico.data()), static_cast<std::streamsize>(ico.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "icon-generator: cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("icon-generator: wrote %zu bytes to %s\n", ico.size(), argv[1]);
  return 0;
}
