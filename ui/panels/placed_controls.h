#pragma once

// The main window's controls sit at fixed places, as the window was designed; these place one
// and give it its object name. Shared by the main window and its panels.

#include <QColor>
#include <QString>
#include <string>

#include "alarms/alarm_limit.h"

class AlarmLimits;
class QGroupBox;
class QImage;
class QLabel;
class QWidget;

// A static text whose top-left corner is at (left, top), sized to its text.
QLabel* PlaceLabel(QWidget* parent, const char* text, int left, int top,
                   const char* name = nullptr);
// A value label keeps a fixed width, so that a longer number never needs a new layout.
QLabel* PlaceValue(QWidget* parent, const char* name, const char* designText, int left, int top,
                   int width);
// An image control: a label its picture covers whole.
QLabel* PlacePicture(QWidget* parent, const char* name, int left, int top, int width, int height);
QGroupBox* PlaceGroup(QWidget* parent, const char* name, const char* caption, int left, int top,
                      int width, int height);
void SetTextColour(QWidget* widget, const QColor& colour);
// One of the main window's alarm twins: its caption, then the limit's edit, spinner and switch,
// bound to the shared limits.
void PlaceAlarmTwin(QWidget* parent, const char* caption, const char* name, int left, int top,
                    AlarmLimits& limits, AlarmLimit limit);

// A label repaints only when its text really changes.
void ShowText(QLabel* label, const QString& text);
void ShowText(QLabel* label, const std::string& text);
void ShowPicture(QLabel* image, const QImage& bitmap);
