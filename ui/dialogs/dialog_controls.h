#pragma once

class QLabel;
class QLineEdit;
class QPushButton;
class QRect;
class QWidget;

// Controls of the small fixed-layout dialogs, created at their designed place under their
// published names.

// A label sized to its text, its top-left corner at (left, top).
QLabel* PlaceLabel(QWidget* parent, const char* name, const char* text, int left, int top);

// An 88 x 21 edit, as the calibration row editor has them.
QLineEdit* PlaceEdit(QWidget* parent, const char* name, int left, int top);

// A push button that is never the default one: Enter in an edit or on a grid must not close
// the dialog.
QPushButton* PlaceButton(QWidget* parent, const char* name, const char* caption,
                         const QRect& geometry);
