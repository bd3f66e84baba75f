#include "ui/widgets/fit_to_text.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStyle>
#include <QTextDocument>

namespace {

// Laid out the way QLabel lays out a plain text for its size hint. A label showing a picture
// has no text.
bool MeasuredAsPlainText(const QLabel& label) {
  const QString text = label.text();
  const bool plain = label.textFormat() == Qt::PlainText ||
                     (label.textFormat() == Qt::AutoText && !Qt::mightBeRichText(text));
  constexpr Qt::TextInteractionFlags kEditing =
      Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard | Qt::TextEditable;
  return plain && !text.isEmpty() && !label.wordWrap() && label.margin() == 0 &&
         label.indent() <= 0 && label.contentsMargins().isNull() && label.minimumSize().isNull() &&
         label.buddy() == nullptr && !(label.textInteractionFlags() & kEditing);
}

}  // namespace

void FitToText(QLabel& label) {
  if (!MeasuredAsPlainText(label)) {
    label.adjustSize();
    return;
  }
  label.ensurePolished();
  const QString text = label.text();
  const Qt::LayoutDirection direction = text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
  // Centring is left out, as QLabel leaves it out, so that no half pixel is rounded away.
  const int flags = QStyle::visualAlignment(direction, label.alignment()) &
                    ~(Qt::AlignVCenter | Qt::AlignHCenter);
  label.resize(label.fontMetrics().boundingRect(0, 0, 2000, 2000, flags, text).size());
}
