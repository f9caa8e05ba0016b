// Helpers shared by the two multi-line text boxes.
#pragma once

#include <QString>
#include <string>

class QPlainTextEdit;
class QWidget;

namespace text_windows {

// A multi-line box with both scroll bars, no wrapping, in the fixed-pitch face.
QPlainTextEdit* NewMultiLineBox(QWidget* parent, const QString& name);

// True when some line of text is too wide for box to scroll to its end without wrapping.
bool HasLineTooWideToScroll(const QPlainTextEdit* box, const QString& text);

// The box's text with CR LF between lines, every character kept as typed
// (no-break spaces included).
QString TextWithCrLf(const QPlainTextEdit* box);
std::u16string U16TextWithCrLf(const QPlainTextEdit* box);

}  // namespace text_windows
