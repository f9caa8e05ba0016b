// The base of every window: load step, close and destroy, modal and modeless showing,
// geometry in twips with the outer frame and the client area kept apart.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <optional>

namespace forms {

enum WindowState { kNormal = 0, kMinimized = 1 };

class Form : public QMainWindow {
    Q_OBJECT
  public:
    // A form is destroyed when it closes; owner (may be null) is the window it belongs to.
    explicit Form(QWidget* owner, Qt::WindowFlags flags);

    // Runs the load step; FormSlot calls it once, right after creating the form.
    void Load();
    // Makes the window visible and returns; a visible window is brought forward.
    void ShowModeless();
    // Shows the window and returns once it has been closed; meanwhile the other windows
    // of the program take no input. The form no longer exists when this returns.
    void ShowModal();
    // Closes the window: its unload step runs and the window is destroyed.
    void Unload();

    // Outer frame, in twips.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void Move(int left, int top, int width, int height);

    // Client area under the menu bar, in twips; its origin is always 0, 0.
    int ScaleLeft() const { return 0; }
    int ScaleTop() const { return 0; }
    int ScaleWidth() const;
    int ScaleHeight() const;

    WindowState State() const;
    void SetState(WindowState state);

    bool IsOnScreen() const { return onScreen_; }
    // Closed and waiting to be destroyed: no longer the form's instance.
    bool IsClosed() const { return closed_; }

  signals:
    void closed();
    // The window is on screen for the first time: placed and framed by the window manager.
    void shownOnScreen();

  protected:
    virtual void Form_Load() {}
    virtual void Form_Unload() {}
    // Raised after a change of size or of window state; minimizing and restoring included.
    virtual void Form_Resize() {}
    // Keys reach the window only while none of its controls has the focus.
    // Returns true when the key was handled.
    virtual bool Form_KeyDown(QKeyEvent* /*event*/) { return false; }

    // The panel under the menu bar on which controls are placed in twips.
    QWidget* Client() const { return client_; }
    // Sizes the window so that its client area is width x height twips under the menu bar.
    void SetClientSize(int width, int height, bool fixed);
    // Centres the window's outer frame over an area (another window's frame, a screen).
    void CentreOver(const QRect& area);

    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QMargins FrameMargins() const;
    int MenuHeight() const;
    void SetOuterGeometry(const QRect& outer);

    QWidget* client_;
    bool loaded_ = false;
    bool onScreen_ = false;
    bool closed_ = false;
    // An outer geometry set before the window manager framed the window: applied again
    // once the real frame is known.
    std::optional<QRect> pendingOuter_;
};

// At most one instance of a form: created (and loaded) on first use, forgotten when the
// form is destroyed, so the next use creates it afresh with its design values.
template <class F>
class FormSlot {
  public:
    template <class... Args>
    F* Get(Args&&... args) {
        if (!Existing()) {
            form_ = new F(std::forward<Args>(args)...);
            form_->Load();
        }
        return form_;
    }
    F* Existing() const { return form_ && !form_->IsClosed() ? form_.data() : nullptr; }

  private:
    QPointer<F> form_;
};

}  // namespace forms
