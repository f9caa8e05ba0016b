// A window of the forms runtime, built from its design tables. Windows derive from Form and
// override the Form_ events they handle; control events reach them through the On... calls.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "forms/Design.h"
#include "forms/LargeText.h"

namespace forms {

class NativeForm;  // the window, as the toolkit has it
struct NativeControl;

enum WindowState { kNormal = 0, kMinimized = 1 };

// Virtual-key codes, as key events report them.
inline constexpr int kKeyReturn = 13;
inline constexpr int kKeyEscape = 27;

struct Key {
    int code;
    bool repeat = false;  // sent again because the key is held down
};

// One control of a window, as its handlers use it. Implemented per toolkit; a control whose
// window has closed does nothing.
class Ctl {
  public:
    explicit Ctl(NativeControl* native) : native_(native) {}

    // A text box's text (multi-line boxes with CR LF line ends), a label's caption.
    std::u16string Text() const;
    void SetText(std::u16string_view text);
    // Empties a text box as an edit the user can undo.
    void Clear();
    // Fills a multi-line box with a large text without copying it; it then reads back
    // IsModified() false until the user changes it.
    void Fill(const LargeText& text);
    bool IsModified() const;
    void SetEnabled(bool enabled);
    // A disabled control does not take the focus; a disabled menu item shows greyed.
    void SetFocus();
    void SetToolTip(std::u16string_view tip);
    // An option button's state.
    bool Value() const;
    void SetValue(bool selected);
    void Move(const Twips& at);

  private:
    NativeControl* native_;
};

class Form {
  public:
    Form(const Window& design, std::span<const Control> controls, std::span<const MenuItem> menus,
         Form* owner = nullptr);
    virtual ~Form();
    Form(const Form&) = delete;

    // Runs the load step; FormSlot calls it once, right after creating the form.
    void Load();
    // Makes the window visible and returns; a visible window is brought forward. Only a
    // window that may take the activation takes it.
    void ShowModeless();
    // Shows the window and returns once it has been closed; meanwhile the program's other
    // windows take no input.
    void ShowModal();
    // Runs the unload step and destroys the window.
    void Unload();
    bool IsClosed() const;

    // The window's outer rectangle, title bar and borders included, in twips.
    Twips Outer() const;
    void Move(const Twips& outer);
    // Centres the window over another one, or over the screen.
    void CentreOver(const Form* other);
    // Client area under the menu bar, in twips; its origin is always 0, 0.
    Twips Client() const;

    WindowState State() const;
    void SetState(WindowState state);

    void SetCaption(std::u16string_view caption);

    Form* Owner() const { return owner_; }
    NativeForm& Native() const { return *native_; }
    // The tables the window was built from.
    std::span<const Control> Controls() const { return controls_; }
    std::span<const MenuItem> Menus() const { return menus_; }

  protected:
    virtual void Form_Load() {}
    virtual void Form_Unload() {}
    // After a change of size or of window state, minimizing and restoring included.
    virtual void Form_Resize() {}
    // Only while none of the window's controls has the focus; true when handled.
    virtual bool Form_KeyDown(Key) { return false; }
    // Once, when the window is first placed and framed on screen.
    virtual void Form_OnScreen() {}

    Ctl C(std::string_view name) const;
    Ctl C(std::string_view array, int index) const { return C(Member(array, index)); }
    // The name of a control array's member: "txtAddText", 0 is "txtAddText_0".
    static std::string Member(std::string_view array, int index) {
        return std::string(array) + '_' + std::to_string(index);
    }

    void OnClick(std::string_view control, std::function<void()> handler);
    void OnChange(std::string_view control, std::function<void()> handler);
    // The key goes on to the control unless the handler returns true.
    void OnKeyDown(std::string_view control, std::function<bool(Key)> handler);

  private:
    friend class NativeForm;
    // A name the window's own code uses: one its tables lack stops the program.
    NativeControl& Named(std::string_view name) const;

    std::string_view name_;
    bool tool_;  // a tool window, which belongs to its owner
    std::span<const Control> controls_;
    std::span<const MenuItem> menus_;
    Form* owner_;
    bool loaded_ = false;
    std::unique_ptr<NativeForm> native_;
};

// At most one instance of a form: created (and loaded) on first use, replaced by a fresh
// one with its design values once it has been closed.
template <class F>
class FormSlot {
  public:
    template <class... Args>
    F* Get(Args&&... args) {
        if (!Existing()) {
            form_ = std::make_unique<F>(std::forward<Args>(args)...);
            form_->Load();
        }
        return form_.get();
    }
    F* Existing() const { return form_ && !form_->IsClosed() ? form_.get() : nullptr; }

  private:
    std::unique_ptr<F> form_;
};

}  // namespace forms
