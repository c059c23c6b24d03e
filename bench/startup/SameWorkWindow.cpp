// kelvaro_bench_same_work_window WIDTH HEIGHT: a reference beside the start-up and memory figures,
// not a target. A Qt Widgets program that does the work the program cannot avoid before its window
// maps, with none of the program's own code: it loads libcurl and ICU, opens the code page 936
// converter, shows Chinese texts in plain labels and an icon in the notification area, and makes
// the priming GET with plain libcurl through the proxy that http_proxy names. What the program
// takes beyond this is what its own code costs.
#include <curl/curl.h>
#include <unicode/ucnv.h>

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cstdio>

namespace {

size_t DropBytes(char*, size_t size, size_t count, void*) {
  return size * count;
}

// The priming GET, its answer not read (KELVARO_PRIMING_URL comes from the build settings).
void PrimingRequest() {
  CURL* easy = curl_easy_init();
  if (easy == nullptr) return;
  curl_easy_setopt(easy, CURLOPT_URL, KELVARO_PRIMING_URL);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &DropBytes);
  curl_easy_perform(easy);
  curl_easy_cleanup(easy);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() != 3) {
    std::fprintf(stderr, "usage: kelvaro_bench_same_work_window WIDTH HEIGHT\n");
    return 2;
  }
  curl_global_init(CURL_GLOBAL_DEFAULT);
  UErrorCode status = U_ZERO_ERROR;
  UConverter* codePage = ucnv_open("windows-936", &status);

  QWidget window;
  window.setWindowTitle("Kelvaro same work");
  window.setFixedSize(arguments[1].toInt(), arguments[2].toInt());
  // " 手机号：" (number), "查询" (query), "查询结果" (query result) and a line of the hint.
  const char* const texts[] = {
      " \xE6\x89\x8B\xE6\x9C\xBA\xE5\x8F\xB7\xEF\xBC\x9A",
      "\xE6\x9F\xA5\xE8\xAF\xA2",
      "\xE6\x9F\xA5\xE8\xAF\xA2\xE7\xBB\x93\xE6\x9E\x9C",
      // One element split over two lines; the parentheses tell clang the concatenation is meant.
      ("\xE7\x9B\xAE\xE5\x89\x8D\xE8\xAF\x9D\xE8\xB4\xB9\xE6\x9F\xA5\xE8\xAF\xA2\xE5\x8F\xAA"
       "\xE6\x94\xAF\xE6\x8C\x81\xE7\x94\xB5\xE4\xBF\xA1 \xE7\xA7\xBB\xE5\x8A\xA8"),
  };
  int y = 10;
  for (const char* text : texts) {
    auto* label = new QLabel(QString::fromUtf8(text), &window);
    label->move(10, y);
    y += 40;
  }
  QPixmap iconPixmap(16, 16);
  iconPixmap.fill(Qt::blue);
  QSystemTrayIcon tray{QIcon(iconPixmap)};
  tray.show();
  PrimingRequest();
  window.show();
  const int result = QApplication::exec();
  ucnv_close(codePage);
  curl_global_cleanup();
  return result;
}
