// kelvaro_bench_minimal_window WIDTH HEIGHT: the baseline of the start-up and memory figures, a
// Qt Widgets program that shows one empty window of the given size and runs until it is ended.
#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() != 3) {
    std::fprintf(stderr, "usage: kelvaro_bench_minimal_window WIDTH HEIGHT\n");
    return 2;
  }
  QWidget window;
  window.setWindowTitle("Kelvaro baseline");
  window.setFixedSize(arguments[1].toInt(), arguments[2].toInt());
  window.show();
  return QApplication::exec();
}
