// The native hooks: all the core (Form.cpp, Rules.cpp) asks of a toolkit. Implemented per
// toolkit, in forms/qt/ and forms/win32/, and nothing more: besides these, each backend supplies
// Ctl's members (Form.h), the functions of App.h, NativeControl and NativeText.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "forms/Form.h"
#include "forms/Rules.h"

namespace forms {

// The platform's alert sound.
void Beep() noexcept;

// The screen's pixels per inch, the same for every window.
int ScreenDpi();

// Twips to pixels and back at the screen's DPI.
int Px(int twips);
int ToTwips(int pixels);
Pixels Px(const Twips& at);
Twips ToTwips(const Pixels& at);

// Ends the program at once with a message for the developer: a window's code named a control
// its tables lack.
[[noreturn]] void Fatal(const std::string& message);

// A text of size units, not yet written, and where its units go.
std::shared_ptr<NativeText> NewNativeText(std::size_t size, char16_t*& units);

// The control or menu item a backend made under that name; null for none and for no name.
template <class Made>
Made* FindNamed(std::vector<Made>& made, std::string_view name) {
    for (Made& control : made)
        if (!name.empty() && control.name == name) return &control;
    return nullptr;
}

// A form's window. The form owns it from its constructor to its destructor; the toolkit's window
// inside dies once: in Close, after the unload step, or in the destructor, without it (or with
// its owner's window, as the toolkit does). After that the NativeForm stays, empty: IsOpen is
// false. Form calls the other hooks only while IsOpen is true.
class NativeForm {
  public:
    // The window, hidden, built from the form's tables: the controls, then the menus.
    static std::unique_ptr<NativeForm> Make(Form& form, const Window& design);
    virtual ~NativeForm() = default;

    virtual bool IsOpen() const = 0;
    // A control or menu item by its name in the tables; null for none.
    virtual NativeControl* Find(std::string_view name) = 0;
    virtual void ShowModeless() = 0;
    // Returns once the window has closed.
    virtual void ShowModal() = 0;
    virtual void Close() = 0;
    virtual Pixels Outer() const = 0;
    virtual void SetOuter(const Pixels& outer) = 0;
    // Only the place; over the screen's work area when other is null.
    virtual void CentreOver(const NativeForm* other) = 0;
    virtual Pixels Client() const = 0;
    virtual bool IsMinimized() const = 0;
    virtual void SetMinimized(bool minimized) = 0;
    virtual void SetCaption(std::u16string_view caption) = 0;
    // The handlers come guarded: an exception stops in them.
    virtual void OnClick(NativeControl& control, std::function<void()> handler) = 0;
    virtual void OnChange(NativeControl& control, std::function<void()> handler) = 0;
    virtual void OnKeyDown(NativeControl& control, std::function<bool(Key)> handler) = 0;
    // What the tab order reads of a control: whether the user can reach it now (enabled and
    // shown), and whether an option button is the selected one.
    virtual bool IsReachable(const NativeControl& control) const = 0;
    virtual bool IsSelected(const NativeControl& control) const = 0;

    // The form's own events, for the backends: guarded, and none reaches a form before its load
    // step has begun.
    static void SendUnload(Form& form);
    static void SendResize(Form& form);
    static bool SendKeyDown(Form& form, Key key);
    static void SendOnScreen(Form& form);

  protected:
    // The controls Tab visits now, in order. The first of them takes the focus when the window
    // opens, and when it is activated again with no control to give the focus back to.
    std::vector<const Control*> TabStops(std::span<const Control> controls);
    const Control* FirstStop(std::span<const Control> controls);
};

}  // namespace forms
