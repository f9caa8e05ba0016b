// The Qt side of forms/Form.h: a form's window, its controls, and the one conversion between
// twips and Qt's logical pixels.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "forms/Form.h"

namespace forms {

// 1440 twips per inch at 96 dots per inch: one Qt logical pixel is a 96-DPI pixel whatever the
// screen's scale, so 15 twips are one pixel. Rounded half away from zero, as the platform does.
constexpr int Px(int twips) { return (twips + (twips >= 0 ? 7 : -7)) / 15; }
constexpr int ToTwips(int pixels) { return pixels * 15; }
constexpr QRect PxRect(const Twips& at) {
    return QRect(Px(at.left), Px(at.top), Px(at.width), Px(at.height));
}
constexpr Twips TwipsOf(const QRect& r) {
    return {ToTwips(r.left()), ToTwips(r.top()), ToTwips(r.width()), ToTwips(r.height())};
}

inline QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

QFont JapaneseFont(Face face, double points, bool bold = false);

struct NativeText {
    QString text;
};

struct NativeControl {
    std::string name;
    QPointer<QObject> object;  // a widget, or a menu or menu item
};

class NativeForm : public QMainWindow {
    Q_OBJECT
  public:
    NativeForm(Form& form, const Window& design, std::span<const Control> controls,
               std::span<const MenuItem> menus);
    ~NativeForm() override;

    NativeControl* Find(std::string_view name) const;
    // As Find, for a name the window's own code uses: one its tables lack stops the program.
    NativeControl* Named(std::string_view name) const;
    QRect Outer() const;
    void SetOuter(const QRect& outer);
    void CentreOver(const QRect& area);
    QSize ClientSize() const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend class Form;
    void AddMenus(std::span<const MenuItem> menus);
    void AddControls(std::span<const Control> controls);
    void ChainTabOrder(std::span<const Control> controls);
    void YieldCopyToWindow();
    QMargins FrameMargins() const;
    int MenuHeight() const;

    Form* form_;  // null once the form has gone
    Border border_;
    std::vector<NativeControl> controls_;
    QPointer<QPushButton> defaultButton_;
    bool onScreen_ = false;
    // The last place asked for before the window manager framed the window: asked for again
    // once the real frame is known.
    std::function<void()> settle_;
};

}  // namespace forms
