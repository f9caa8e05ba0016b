// The Qt side of forms/Native.h: a form's window and its controls.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <vector>

#include "forms/Native.h"

namespace forms {

inline QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}
inline QRect ToQRect(const Pixels& at) { return QRect(at.left, at.top, at.width, at.height); }

QFont JapaneseFont(const Font& font);

struct NativeText {
    QString text;
};

struct NativeControl {
    std::string_view name;
    QPointer<QObject> object;  // a widget, or a menu or menu item; null once the window has gone
};

template <class T = QWidget>
T* As(const NativeControl* control) {
    return control ? qobject_cast<T*>(control->object.data()) : nullptr;
}

class QtForm final : public NativeForm {
  public:
    QtForm(Form& form, const Window& design);
    ~QtForm() override;

    bool IsOpen() const override { return window_ && !closed_; }
    NativeControl* Find(std::string_view name) override;
    void ShowModeless() override;
    void ShowModal() override;
    void Close() override;
    Pixels Outer() const override;
    void SetOuter(const Pixels& outer) override;
    void CentreOver(const NativeForm* other) override;
    Pixels Client() const override;
    bool IsMinimized() const override { return window_->isMinimized(); }
    void SetMinimized(bool minimized) override;
    void SetCaption(std::u16string_view caption) override;
    void Activate() override;
    void OnClick(NativeControl& control, std::function<void()> handler) override;
    void OnChange(NativeControl& control, std::function<void()> handler) override;
    void OnKeyDown(NativeControl& control, std::function<bool(Key)> handler) override;
    bool IsReachable(const NativeControl& control) const override;
    bool IsSelected(const NativeControl& control) const override;

    QWidget* Widget() const { return window_; }  // null once the window has gone

  private:
    // The window itself: what it hears from the window system goes to its QtForm.
    class MainWindow : public QMainWindow {
      public:
        MainWindow(QtForm& form, QWidget* owner, Qt::WindowFlags flags)
            : QMainWindow(owner, flags), form_(form) {}

      protected:
        bool focusNextPrevChild(bool next) override;
        void closeEvent(QCloseEvent* event) override;
        void resizeEvent(QResizeEvent* event) override;
        void changeEvent(QEvent* event) override;
        void keyPressEvent(QKeyEvent* event) override;
        void showEvent(QShowEvent* event) override;
        bool eventFilter(QObject* watched, QEvent* event) override;

      private:
        QtForm& form_;
    };

    void AddControls();
    void AddMenus();
    void MoveFocus(bool backwards);
    void YieldCopyToWindow();
    void CentreOver(const QRect& area);
    QMargins FrameMargins() const;
    int MenuHeight() const;

    Form& form_;
    Border border_;
    QPointer<MainWindow> window_;
    bool closed_ = false;
    std::vector<NativeControl> controls_;
    QPointer<QPushButton> defaultButton_;
    bool onScreen_ = false;
    // The last place asked for before the window manager framed the window: asked for again
    // once the real frame is known.
    std::function<void()> settle_;
};

}  // namespace forms
