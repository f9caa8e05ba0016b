// The Win32 side of forms/Form.h: a form's window, its controls, the message loop, and the one
// conversion between twips and the screen's pixels.
#pragma once

#include <windows.h>  // with NOMINMAX and UNICODE from the build

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "forms/Form.h"

namespace forms {

// The screen's pixels per inch, read once: the program is DPI aware for the whole system (its
// manifest says so), so this holds for every window.
int ScreenDpi();
// 1440 twips an inch; MulDiv rounds half away from zero, as the platform does.
inline int Px(int twips) { return MulDiv(twips, ScreenDpi(), 1440); }
inline int ToTwips(int pixels) { return MulDiv(pixels, 1440, ScreenDpi()); }

// wchar_t is 16 bits on Windows: the program's UTF-16 strings pass as they are.
inline const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

HFONT JapaneseFont(Face face, double points, bool bold = false);
HFONT FontOf(const Font& font);

struct NativeText {
    // Shared by copies: the result window keeps the text it shows without a second copy.
    std::shared_ptr<std::u16string> text = std::make_shared<std::u16string>();
};

class NativeForm;

struct NativeControl {
    std::string name;
    Kind kind = Kind::Label;
    HWND hwnd = nullptr;  // null for a menu item
    int id = 0;
    int tabIndex = -1;
    std::string frame;
    std::string menu;  // a menu item's menu, or the text box whose context menu shows it
    std::u16string caption;  // a menu item's
    bool enabled = true;
    int colour = kDefaultColour;
    std::function<void()> click;
    std::function<void()> change;
    std::function<bool(Key)> keyDown;
    NativeForm* form = nullptr;
};

class NativeForm {
  public:
    NativeForm(Form& form, const Window& design, std::span<const Control> controls,
               std::span<const MenuItem> menus);
    ~NativeForm();
    NativeForm(const NativeForm&) = delete;

    HWND Hwnd() const { return hwnd_; }
    Border GetBorder() const { return border_; }
    NativeControl* Find(std::string_view name);
    // As Find, for a name the window's own code uses: one its tables lack stops the program.
    NativeControl* Named(std::string_view name);
    void ShowModeless();
    void ShowModal();
    // Runs the unload step, then destroys the window.
    void Close();
    RECT Outer() const;
    void SetOuter(const RECT& outer);
    void SelectOption(NativeControl& option);
    // The focused push button wears the default border, the design's default button otherwise.
    void MarkDefault(HWND focusedButton);
    void SetTip(const NativeControl& control, std::u16string_view tip);
    // The items a text box's context menu shows after the editing items.
    std::vector<const NativeControl*> ContextItems(const NativeControl& box) const;

    // Keys the form handles before its controls: the controls' KeyDown handlers, menu
    // shortcuts, Tab, Enter for the default button, arrows between option buttons.
    static bool PreviewKey(MSG& msg);
    // Deletes the forms whose windows have gone; called where no handler of theirs runs.
    static void DeleteClosed();
    // Hides every window; for the program's end.
    static void HideAll();

  private:
    friend class Form;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void AddMenus(std::span<const MenuItem> menus);
    void AddControls(std::span<const Control> controls);
    void AddToolTips(std::span<const Control> controls);
    void SetClientSize(int width, int height);
    void OnCommand(int id, int code, HWND from);
    LRESULT Colour(UINT message, WPARAM wParam, LPARAM lParam);
    bool Key(MSG& msg);
    void MoveFocus(bool backwards);
    void MoveAmongOptions(NativeControl& from, bool backwards);
    std::vector<NativeControl*> TabStops();
    void RestoreFocus();
    void EnableOthers();
    void Detach();
    NativeControl* Find(HWND hwnd);
    NativeControl* FindId(int id);

    Form* form_;  // null once the window has gone
    HWND hwnd_ = nullptr;
    Border border_;
    std::vector<NativeControl> controls_;
    NativeControl* defaultButton_ = nullptr;
    HACCEL shortcuts_ = nullptr;
    HWND tips_ = nullptr;
    HWND focus_ = nullptr;        // the control that had the focus when the window was last active
    SIZE fixedSize_{};            // the outer size of a window that cannot be resized
    std::vector<HWND> disabled_;  // the windows a modal showing disabled
    bool shown_ = false;
    bool loaded_ = false;  // events reach the form only once its load step has begun
};

// Runs the messages until done() is true or the program ends; the exit code once it ends.
std::optional<int> RunMessages(const std::function<bool()>& done);

// Opens the clipboard, waiting a little while someone else has it open.
bool OpenClipboardWaiting(HWND owner);

// Text boxes: the edit control with what the program needs of it.
void MakeTextBox(NativeControl& box);
std::u16string BoxText(HWND box);
// Clickable labels show the hand.
void MakeClickable(HWND label);

}  // namespace forms
