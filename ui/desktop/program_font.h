#pragma once

#include <QFont>

// The window was laid out for Tahoma 8 pt (11 pixels). Wine's metric-compatible Tahoma (package
// fonts-wine) is used when fontconfig knows a Tahoma or when Wine's font folder is in one of the
// data folders (XDG_DATA_DIRS). Without it the system's sans-serif is used at the largest size
// whose texts are no wider than Tahoma's, so that no caption runs into a control.
void LoadProgramFonts();
// fontconfig reads its configuration (tens of XML files) and font list on first use. Called before
// the QApplication exists, this reads them on a thread of its own meanwhile, and
// LoadProgramFonts waits for it.
void BeginFontConfiguration();

QFont ProgramFont();        // Tahoma, 11 pixels (8 pt), or the fitted fallback
QFont DirectionNameFont();  // Tahoma bold, 35 pixels, or the fallback scaled alike
