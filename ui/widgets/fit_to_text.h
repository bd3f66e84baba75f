#pragma once

class QLabel;

// Sizes a label to its text, as QLabel::adjustSize does. A label's size hint lays its text out
// three times (for the widest, the narrowest and the preferred width); a plain one-line label
// without margins, frame or indent, the kind that captions and values are, has all three the
// same, and is measured here once. Any other label is left to adjustSize.
void FitToText(QLabel& label);
