// The baseline of bench/first_paint: the smallest Qt main window with the program's client area
// (815x700). Once its first paint has reached the screen it prints the wall-clock time in
// microseconds ("first paint <us>"), the same line as the program with
// ANEMOMETER_QUIT_AFTER_FIRST_PAINT, and ends.
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>
#include <chrono>
#include <cstdio>

namespace {

class FirstPaintWindow : public QMainWindow {
 protected:
  void paintEvent(QPaintEvent* event) override {
    QMainWindow::paintEvent(event);
    if (seen_) return;
    seen_ = true;
    QTimer::singleShot(0, this, [] {
      const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
          std::chrono::system_clock::now().time_since_epoch());
      std::printf("first paint %lld\n", static_cast<long long>(now.count()));
      std::fflush(stdout);
      QCoreApplication::quit();
    });
  }

 private:
  bool seen_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  FirstPaintWindow window;
  window.resize(815, 700);
  window.show();
  return QApplication::exec();
}
