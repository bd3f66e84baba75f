// The baseline of the wake-up count: the smallest Qt window that changes a label once a second.
// bench/count_wakeups runs it beside the program, in the same run.
#include <QApplication>
#include <QLabel>
#include <QTimer>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QLabel label(QStringLiteral("0"));
  label.resize(200, 40);
  label.show();
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { label.setText(QString::number(++ticks)); });
  timer.start(1000);
  return QApplication::exec();
}
