#pragma once

#include <QString>

#include "alarm_limit.h"
#include "up_down.h"

class QLineEdit;

// A limit's edit is its value: the program only ever writes it as a decimal integer, and
// reads it back whenever it steps or checks the limit.

// The edit text as a decimal integer ("%d" rules, C locale); 0 when it holds none.
int ReadLimitText(const QString& text);

// One click: up raises the value while it is below the upper bound, down lowers it while it
// is above the lower bound. A value already outside the bounds is not pulled back in.
int StepLimitValue(int value, UpDownButton button, LimitBounds bounds);

// Reads the edit, steps the value and writes it back; used by both windows' spinners.
void StepLimitEdit(QLineEdit& edit, UpDownButton button, LimitBounds bounds);
