// The program around the windows: the toolkit's start and event loop, application
// information, the desktop shell, the message box, the clipboard and the end.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "forms/LargeText.h"

namespace forms {

class Form;

// Starts the toolkit. The program takes no command line: only the program's path is used.
class Application {
  public:
    explicit Application(const char* programPath);
    ~Application();
    // Runs the event loop until End or until the last window has closed; the exit code.
    int Exec();

  private:
    struct Native;
    std::unique_ptr<Native> native_;
};

struct AppInfo {
    std::u16string exeName;  // the executable's file name without folder or extension
    int major = 0, minor = 0, revision = 0;
    std::u16string legalCopyright;
    std::u16string path;  // the executable's folder
};
AppInfo App();

// Opens an address with the desktop's default handler; the outcome is not examined.
void ShellOpen(const Form* owner, std::u16string_view address);

// Modal message box with the exclamation icon and a single OK button.
void MsgBox(const Form* owner, std::u16string_view prompt, std::u16string_view title);

// Clears the clipboard, then puts the text on it.
void CopyToClipboard(std::u16string_view text);
void CopyToClipboard(const LargeText& text);

// Shows the busy cursor until the program next waits for the user: for a step that may take
// more than a moment, such as a large paste or 編集 until its result shows.
void ShowBusy();

// Ends the program at once: every window disappears, no unload step runs.
void End();

}  // namespace forms
