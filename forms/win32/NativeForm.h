// The Win32 side of forms/Native.h: a form's window, its controls, and the message loop.
#pragma once

#include <windows.h>  // with NOMINMAX and UNICODE from the build
// After <windows.h>, which it assumes.
#include <commctrl.h>

#include <optional>
#include <stdexcept>
#include <vector>

#include "forms/Native.h"

namespace forms {

// wchar_t is 16 bits on Windows: the program's UTF-16 strings pass to the system as they are.
inline const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

HFONT JapaneseFont(const Font& font);

struct NativeText {
    std::u16string text;
};

class Win32Form;

struct NativeControl {
    std::string_view name;
    Kind kind = Kind::Label;
    const Control* design = nullptr;  // a control's row; null for a menu item
    const MenuItem* item = nullptr;   // a menu item's row
    HWND hwnd = nullptr;              // null for a menu item
    int id = 0;
    std::u16string tip;  // its tooltip as it is now
    bool enabled = true;
    std::function<void()> click;
    std::function<void()> change;
    std::function<bool(Key)> keyDown;
    Win32Form* form = nullptr;
};

class Win32Form final : public NativeForm {
  public:
    Win32Form(Form& form, const Window& design);
    ~Win32Form() override;

    bool IsOpen() const override { return hwnd_ != nullptr; }
    NativeControl* Find(std::string_view name) override;
    void ShowModeless() override;
    void ShowModal() override;
    void Close() override;
    Pixels Outer() const override;
    void SetOuter(const Pixels& outer) override;
    void CentreOver(const NativeForm* other) override;
    Pixels Client() const override;
    bool IsMinimized() const override { return IsIconic(hwnd_); }
    void SetMinimized(bool minimized) override;
    void SetCaption(std::u16string_view caption) override;
    void Activate() override;
    void OnClick(NativeControl& control, std::function<void()> handler) override;
    void OnChange(NativeControl& control, std::function<void()> handler) override;
    void OnKeyDown(NativeControl& control, std::function<bool(Key)> handler) override;
    bool IsReachable(const NativeControl& control) const override;
    bool IsSelected(const NativeControl& control) const override;

    HWND Hwnd() const { return hwnd_; }  // null once the window has gone
    void SelectOption(NativeControl& option);
    // The focused push button wears the default border, the design's default button otherwise.
    void MarkDefault(HWND focusedButton);
    // Adds a control's tool with its tip, or changes its tip.
    void SetTip(NativeControl& control, std::u16string_view tip,
                UINT message = TTM_UPDATETIPTEXTW);
    // The items a text box's context menu (named for the box) shows after the editing items, or
    // a submenu of it shows.
    std::vector<NativeControl*> ContextItems(std::string_view menu);

    // Keys the form handles before its controls: the controls' KeyDown handlers, menu
    // shortcuts, Tab, Enter for the default button, arrows between option buttons.
    static bool PreviewKey(MSG& msg);
    // Hides every window; for the program's end.
    static void HideAll();

  private:
    // The form whose window that is, while it has one.
    static Win32Form* Showing(HWND window);
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void AddControls();
    void AddMenus();
    void AddToolTips();
    void Stack();
    void SetClientSize(int width, int height);
    void OnCommand(int id, int code, HWND from);
    LRESULT Colour(UINT message, WPARAM wParam, LPARAM lParam);
    bool KeyPressed(MSG& msg);
    void MoveFocus(bool backwards);
    void MoveAmongOptions(NativeControl& from, bool backwards);
    void RestoreFocus();
    void Detach();
    void Destroy();
    // By window, or by menu command when hwnd is null.
    NativeControl* Find(HWND hwnd, int id = -1);

    Form& form_;
    Border border_;
    HWND hwnd_ = nullptr;
    std::vector<NativeControl> controls_;
    NativeControl* defaultButton_ = nullptr;
    HACCEL shortcuts_ = nullptr;
    HWND tips_ = nullptr;
    HWND focus_ = nullptr;        // the control that had the focus when the window was last active
    SIZE fixedSize_{};            // the outer size of a window that cannot be resized
    std::vector<HWND> disabled_;  // the windows a modal showing disabled
    bool shown_ = false;
};

// Answers a screen reader's questions about the control (Accessible.cpp).
void MakeReadable(const NativeControl& control);

// Runs the messages until done() is true or the program ends; the exit code once it ends.
std::optional<int> RunMessages(const std::function<bool()>& done);

// A modal window or message box disables every other visible window of the program; the windows
// it disabled, to enable again once it has gone.
std::vector<HWND> DisableOthers(HWND except);
void EnableAgain(std::vector<HWND>& windows);

// Opens the clipboard, waiting a little while someone else has it open.
bool OpenClipboardWaiting(HWND owner);

// A window, menu or table the system made, or an exception saying what it could not make.
template <class Handle>
Handle Created(Handle handle, const char* what) {
    if (!handle) throw std::runtime_error(std::string("Kalvex: could not make ") + what);
    return handle;
}

}  // namespace forms
