#pragma once

#include <QFont>

// The window was laid out for Tahoma 8 pt. Wine's metric-compatible Tahoma is loaded when it is
// installed; otherwise the font falls back to the system's sans-serif.
void LoadProgramFonts();

QFont ProgramFont();        // Tahoma, 11 pixels (8 pt)
QFont DirectionNameFont();  // Tahoma bold, 35 pixels
