// Writes a PNG of the whole X screen (for the end-to-end window tests).
//   kelvaro_e2e_screenshot <output.png>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output.png>\n", argv[0]);
    return 2;
  }
  int qtArgc = 1;
  QGuiApplication application(qtArgc, argv);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "screenshot: cannot grab the screen into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
