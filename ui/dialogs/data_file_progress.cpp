#include "ui/dialogs/data_file_progress.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <algorithm>
#include <memory>

namespace {

constexpr int kProgressSteps = 1000;

int ProgressValue(const DataFileLoad& load) {
  if (load.Size() == 0) return 0;
  const std::uint64_t done = std::min(load.Position(), load.Size());
  return static_cast<int>(done * kProgressSteps / load.Size());
}

}  // namespace

bool RunDataFileLoad(QWidget* parent, const DataFileLoad& load, const std::function<bool()>& step,
                     std::chrono::milliseconds showAfter) {
  QElapsedTimer elapsed;
  elapsed.start();
  std::unique_ptr<QProgressDialog> progress;
  while (step()) {
    if (!progress && elapsed.elapsed() >= showAfter.count()) {
      progress =
          std::make_unique<QProgressDialog>(QStringLiteral("Načítám datový soubor…"),
                                            QStringLiteral("Zrušit"), 0, kProgressSteps, parent);
      progress->setObjectName(QStringLiteral("DataFileProgress"));
      progress->setWindowTitle(QStringLiteral("Načíst"));
      // Modal: the window's commands wait until the load has ended or been cancelled.
      progress->setWindowModality(Qt::ApplicationModal);
      progress->setMinimumDuration(0);
      progress->setAutoReset(false);
      progress->setAutoClose(false);
      progress->show();
    }
    if (!progress) continue;
    progress->setValue(ProgressValue(load));
    QCoreApplication::processEvents();
    if (progress->wasCanceled()) return false;
  }
  return true;
}
