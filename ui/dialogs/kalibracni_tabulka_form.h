#pragma once

#include <QDialog>

#include "core/calibration.h"

class QPushButton;
class QToolButton;
class TDataStringGrid;
class TKalibracniTabulkaZaznamForm;

// "Kalibrační tabulka": lists the calibration rows and adds, deletes and edits them. It works
// on copies attached to the grid rows; the table given to LoadTable changes only on Uložit,
// which copies the rows into it in grid order. Zrušit and the close box drop every change.
// Created once and reused; LoadTable must come before every showing.
class TKalibracniTabulkaForm : public QDialog {
  Q_OBJECT
 public:
  explicit TKalibracniTabulkaForm(QWidget* parent = nullptr);
  ~TKalibracniTabulkaForm() override;

  // The dialog that edits one row. It is created after this one, so it is handed over later.
  void SetRowEditor(TKalibracniTabulkaZaznamForm* rowEditor) { rowEditor_ = rowEditor; }

  // Fills the grid with copies of the table's rows, in table order, and remembers the table.
  void LoadTable(CalibrationTable& table);

 private:
  void SpeedButton_NovyZaznamClick(QObject* sender);
  void SpeedButton_OdstranitZaznamClick(QObject* sender);
  void SpeedButton_EditovatZaznamClick(QObject* sender);
  // Replaces the remembered table with the grid's rows; refused while there is none, since the
  // speed conversion needs at least one row.
  void Button_UlozitClick(QObject* sender);
  void Button_StornoClick(QObject* sender);
  // Runs however the dialog closes: the rows' copies are let go.
  void FormClose();

  // The grid with its title row, built once with the window and destroyed with it.
  void FormCreate();
  void FormDestroy();
  // The rows' entries in grid order, as Uložit stores them.
  CalibrationTable GridEntries() const;
  // The entry copy of a grid row; null for the title row and rows without one.
  const CalibrationEntry* EntryOf(int row) const;
  void ShowEntry(int row, const CalibrationEntry& entry);
  void AppendEntry(const CalibrationEntry& entry);
  void UpdateUlozit();

  TDataStringGrid* StringGrid_Kalibrace = nullptr;
  QToolButton* SpeedButton_NovyZaznam = nullptr;
  QToolButton* SpeedButton_OdstranitZaznam = nullptr;
  QToolButton* SpeedButton_EditovatZaznam = nullptr;
  QPushButton* Button_Storno = nullptr;
  QPushButton* Button_Ulozit = nullptr;

  TKalibracniTabulkaZaznamForm* rowEditor_ = nullptr;
  CalibrationTable* table_ = nullptr;
};
