// The native hooks: all the core (Form.cpp, Rules.cpp) asks of a toolkit. Implemented per
// toolkit, in forms/qt/ and forms/win32/, and nothing more: besides these, each backend supplies
// Ctl's members (Form.h), the functions of App.h, NativeControl and NativeText.
//
// The contract, one line a hook: what the core gives -> what the backend must do.
// Beep               nothing                 -> the platform's alert sound; never throws
// ScreenDpi          nothing                 -> the DPI every twips figure is converted at
// Fatal              a message               -> ends the program at once, naming it
// NewNativeText      a size                  -> room for that many units, not yet written
// Make               the form and its tables -> the window, hidden; its controls_ reserved for
//                                               every control and menu item before the first
//                                               is added (Find hands out pointers into it); a
//                                               control per row with its kind's class, font,
//                                               tip, place (GrownToText), the focus on FirstStop
// Make, reading      AccessibleOf, ReadingOrder -> each control's accessible name, description
//                                               (its tip, also when changed later), role, its
//                                               label tied to it and its frame as its group; on
//                                               Win32 the z-order is ReadingOrder, WS_TABSTOP on
//                                               what takes the focus, WS_GROUP where a group of
//                                               stops starts; Alt+a label's letter goes to its box
// Find               a name                  -> the control or menu item made for it, null for none
// ShowModeless       nothing                 -> shows, brings forward; only a non-tool window
//                                               takes the activation; the first showing sends
//                                               SendOnScreen once the window manager has framed it
// ShowModal          nothing                 -> as ShowModeless, the other windows taking no
//                                               input, and returns once the window has closed
// Close              nothing                 -> SendUnload, then the window goes (unless the
//                                               unload step already closed it)
// Outer/SetOuter     pixels                  -> the frame's rectangle, as the window manager has it
// CentreOver         another window or none  -> moves only, over it or over the work area
// Client             nothing                 -> the client area under the menu bar, origin 0, 0
// IsMinimized/SetMinimized                   -> the window's own state; SendResize after a change
// SetCaption         a caption               -> the title bar's text
// Activate           nothing                 -> takes the activation and gives the focus back to
//                                               the control that last had it (F6 calls it)
// OnClick            a guarded handler       -> on a button's or option's click, a menu item's
//                                               choice, a link's click, Enter or Space
// OnChange           a guarded handler       -> on every change of a text box's text
// OnKeyDown          a guarded handler       -> before the control sees the key; true keeps it
// IsReachable/IsSelected                     -> what TabStops reads: enabled and shown; checked
// Keys, every backend, from the focused control outwards:
//   Tab, Shift+Tab   -> the next stop of TabStops (a multi-line box takes Tab as text)
//   Enter            -> a focused button presses itself; otherwise the default button, which
//                       wears the default border (on Win32 the focused button wears it)
//   arrows           -> on an option, the next or previous of OptionGroup, chosen and clicked
//   Enter, Space     -> on a link, its click
//   F6, Shift+F6     -> SendPaneKey: the next window of the family, or the one before
//   Ctrl+C           -> a Copy menu shortcut wins over the box's own copy
//   Shift+F10, menu key -> a multi-line box's context menu, its items after the editing ones
//   Esc and others   -> the control's KeyDown, then the form's while no control has the focus
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
    virtual void Activate() = 0;
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
    // F6 (Shift+F6 backwards): activates the next window of form's family.
    static void SendPaneKey(Form& form, bool backwards);

  protected:
    // The controls Tab visits now, in order. The first of them takes the focus when the window
    // opens, and when it is activated again with no control to give the focus back to.
    std::vector<const Control*> TabStops(std::span<const Control> controls);
    const Control* FirstStop(std::span<const Control> controls);
};

}  // namespace forms
