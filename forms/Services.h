// What every window needs from the platform beyond its own widgets: fonts, the message
// box, the clipboard, application information, the shell, and ending the program.
#pragma once

#include <QFont>
#include <QString>
#include <functional>
#include <initializer_list>

class QWidget;
class QKeyEvent;
class QKeySequence;

namespace forms {

// The two faces the windows are designed with; fallbacks apply where they are absent.
enum class Face {
    Gothic,   // "ＭＳ ゴシック": fixed pitch, a double-width character is two cells
    PGothic,  // "ＭＳ Ｐゴシック": proportional
};
QFont JapaneseFont(Face face, qreal points, bool bold = false);

// Modal message box with the exclamation icon and a single OK button.
void MsgBox(QWidget* owner, const QString& prompt, const QString& title);

// Clears the clipboard, then puts text on it.
void CopyToClipboard(const QString& text);

struct AppInfo {
    QString exeName;  // the executable's file name without folder or extension
    int major = 0;
    int minor = 0;
    int revision = 0;
    QString legalCopyright;
    QString path;  // the executable's folder
};
AppInfo App();

// Opens an address with the desktop's default handler; the outcome is not examined.
void ShellOpen(const QString& address);

// Ends the program at once: every window disappears, no unload step runs.
void End();
// Tests replace what End does, since a real end would stop the test process's event loops.
void SetEndAction(std::function<void()> action);

// Calls handler for every key pressed in control; the key goes on to the control unless
// the handler returns true.
void OnKeyDown(QWidget* control, std::function<bool(QKeyEvent*)> handler);

// Calls handler when control is clicked: the left button pressed and released over it.
void OnClick(QWidget* control, std::function<void()> handler);

// Chains the controls' tab order in the order given.
void SetTabOrder(std::initializer_list<QWidget*> order);

// Makes the window's own shortcut for keys win over the text box that has the focus.
void YieldShortcutToWindow(QWidget* control, const QKeySequence& keys);

}  // namespace forms
