// The file commands of the main window: Open, Save, Save as PDF and the live capture log.
#include <QCheckBox>
#include <QFile>
#include <filesystem>
#include <optional>
#include <string>

#include "core/clock.h"
#include "files/csv_writer.h"
#include "files/data_file_reader.h"
#include "files/file_messages.h"
#include "files/pdf_report.h"
#include "ui/desktop/file_dialogs.h"
#include "ui/desktop/message_boxes.h"
#include "ui/dialogs/data_file_progress.h"
#include "ui/main_window/main_form.h"
#include "ui/panels/data_grid_panel.h"
#include "ui/widgets/data_string_grid.h"

namespace {

constexpr const char* kPdfFileFilter = "PDF file|*.pdf";
constexpr const char* kPdfFileExtension = "pdf";

// The dialog's Unicode name in the platform's 8-bit file-name encoding, the bytes the file
// system knows the file by.
std::filesystem::path FileSystemPath(const QString& name) {
  return std::filesystem::path(QFile::encodeName(name).toStdString());
}

void ShowFileError(MessageBoxes& messages, const std::string& text) {
  messages.Show(QString::fromStdString(text), QStringLiteral("Error"), MessageIcon::Error);
}

// The box never claims a log that is not being kept. Unticking runs the box's handler once
// more; it finds the log off, and its unticked branch never ticks the box, so it cannot recurse.
void UntickLiveLogBox(QCheckBox& box) { box.setChecked(false); }

}  // namespace

void TMainForm::OpenClick(QObject* /*sender*/) {
  if (captureRunning_ == 1) {
    ShowInformation("Prosím zastavte čtení dat pred otevřením souboru.");
    return;
  }
  const std::optional<QString> name =
      fileDialogs_->OpenFileName(QString::fromUtf8(kDataFileFilter));
  if (!name) return;

  // What is held stays until the file has shown that it reads as data: by its first row, or by
  // ending cleanly. Then the loaded rows replace it, so the grid, Save and the report show the
  // same rows; a file that cannot be opened, or whose first row is bad, changes nothing.
  DataFileLoad load(FileSystemPath(*name));
  bool replaced = false;
  // The grid is laid out once per step, not once per row; events come only between steps.
  std::optional<TDataStringGrid::BulkUpdate> bulk;
  const auto replace = [this, &replaced, &bulk] {
    if (replaced) return;
    replaced = true;
    core_.Records().Clear();
    ClearChartPoints();
    ResetDisplay();
    bulk.emplace(grid_->Grid());
  };
  const RecordCallback add = [this, &replace](const MeasurementRecord& r) {
    replace();
    const std::int32_t dropped =
        core_.AddRecord(r.Sector, /*display=*/false, r.Time, r.AvgSpeed, r.GustSpeed, r.Temperature,
                        r.WindChillAvg, r.WindChillGust, r.BeaufortAvg, r.BeaufortGust);
    for (std::int32_t i = 0; i < dropped; ++i) DropOldestGridRow();
    AddGridRow(r.Time, r.Sector, r.AvgSpeed, r.GustSpeed, r.Temperature, r.WindChillAvg,
               r.WindChillGust, r.BeaufortAvg, r.BeaufortGust);
  };
  const bool finished = RunDataFileLoad(this, load, [this, &load, &add, &replaced, &bulk] {
    if (replaced) bulk.emplace(grid_->Grid());
    const bool more = load.Step(add, kDataFileLoadStep);
    bulk.reset();
    return more;
  });
  if (!finished) return;  // cancelled: the rows read so far stay, as after a bad line
  if (load.Outcome() == ReadOutcome::Ok) {
    replace();  // an empty or header-only file holds no rows
  } else {
    ShowFileError(*messages_, OutcomeMessage(load.Outcome(), name->toStdString()));
  }
}

void TMainForm::SaveClick(QObject* /*sender*/) {
  if (captureRunning_ == 1) {
    ShowInformation("Prosím zastavte čtení dat před uložením souboru.");
    return;
  }
  const std::optional<QString> name = fileDialogs_->SaveFileName(
      QString::fromUtf8(kDataFileFilter), QString::fromUtf8(kDataFileExtension));
  if (!name) return;

  const FileOutcome outcome = SaveCsv(FileSystemPath(*name), core_.Records());
  if (outcome != FileOutcome::Ok) {
    ShowFileError(*messages_, OutcomeMessage(outcome, name->toStdString()));
  }
}

void TMainForm::SaveAsPDFClick(QObject* /*sender*/) {
  if (captureRunning_ == 1) {
    ShowInformation("Prosím zastavte čtení dat před uložením souboru.");
    return;
  }
  const std::optional<QString> name = fileDialogs_->SaveFileName(
      QString::fromUtf8(kPdfFileFilter), QString::fromUtf8(kPdfFileExtension));
  if (!name) return;

  // Read once: the creation line and both document dates show the same moment.
  const SystemTime now = clock_.LocalTime();
  const PdfOutcome outcome = WritePdfReport(FileSystemPath(*name), core_.Records(), now);
  if (outcome != PdfOutcome::Ok) ShowFileError(*messages_, OutcomeMessage(outcome));
}

void TMainForm::CheckBox_UkladatUdajePriCteniClick(QObject* /*sender*/) {
  if (!CheckBox_UkladatUdajePriCteni->isChecked()) {
    liveLog_.Close();  // nothing to do when a failure has closed it already
    return;
  }
  const std::optional<QString> name = fileDialogs_->SaveFileName(
      QString::fromUtf8(kDataFileFilter), QString::fromUtf8(kDataFileExtension));
  if (!name) {
    UntickLiveLogBox(*CheckBox_UkladatUdajePriCteni);
    return;
  }
  const FileOutcome outcome = liveLog_.Open(FileSystemPath(*name), name->toStdString());
  if (outcome != FileOutcome::Ok) {
    UntickLiveLogBox(*CheckBox_UkladatUdajePriCteni);
    ShowFileError(*messages_, OutcomeMessage(outcome, name->toStdString()));
  }
}

void TMainForm::WriteLiveLogRow(const MeasurementRecord& record) {
  // WriteRow takes DataLock itself and has released it again when it returns, so the message
  // below never appears while the lock is held. A failed write has switched the log off.
  if (liveLog_.WriteRow(record) == FileOutcome::Ok) return;
  UntickLiveLogBox(*CheckBox_UkladatUdajePriCteni);
  ShowFileError(*messages_, OutcomeMessage(FileOutcome::CannotWrite, liveLog_.FileName()));
}
