// Writes a PNG of the X screen, or of one rectangle of it (for the end-to-end window tests).
//   kelvaro_e2e_screenshot <output.png> [x y width height]
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 2 && argc != 6) {
    std::fprintf(stderr, "usage: %s <output.png> [x y width height]\n", argv[0]);
    return 2;
  }
  int x = 0;
  int y = 0;
  int width = -1;
  int height = -1;
  if (argc == 6) {
    x = std::atoi(argv[2]);
    y = std::atoi(argv[3]);
    width = std::atoi(argv[4]);
    height = std::atoi(argv[5]);
  }
  int qtArgc = 1;
  QGuiApplication application(qtArgc, argv);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr ||
      !screen->grabWindow(0, x, y, width, height).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "screenshot: cannot grab the screen into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
