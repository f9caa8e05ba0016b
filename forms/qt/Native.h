// The Qt side of a form and of its controls: what forms/Form.h hides.
#pragma once

#include <QFont>
#include <QPointer>
#include <QString>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "forms/Form.h"
#include "forms/qt/FormWindow.h"

namespace forms {

QFont JapaneseFont(Face face, double points, bool bold = false);

inline QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}
inline std::u16string ToU16(const QString& text) { return text.toStdU16String(); }

struct NativeText {
    QString text;
};

struct NativeControl {
    NativeControl(std::string name, Kind kind, QObject* object, bool menu = false)
        : name(std::move(name)), kind(kind), object(object), menu(menu) {}
    QWidget* Widget() const { return qobject_cast<QWidget*>(object.data()); }

    std::string name;
    Kind kind;
    QPointer<QObject> object;  // gone with its window
    bool menu;                 // a menu or menu item
};

class NativeForm {
  public:
    NativeForm(Form& form, const Window& design, std::span<const Control> controls,
               std::span<const MenuItem> menus, Form* owner);
    ~NativeForm();

    FormWindow* Widget() const { return window_; }
    NativeControl* Find(std::string_view name) const;
    bool IsClosed() const { return closed_; }
    bool IsOnScreen() const { return onScreen_; }
    Border GetBorder() const { return border_; }

    // Events of the window, passed on to the form.
    void Closing() { form_.Form_Unload(); }
    void Closed() { closed_ = true; }
    void Resized() { form_.Form_Resize(); }
    bool KeyDown(Key key) { return form_.Form_KeyDown(key); }
    void OnScreen();
    void YieldCopyToWindow();

  private:
    void AddControls(std::span<const Control> controls);
    void AddMenus(std::span<const MenuItem> menus);
    void ChainTabOrder(std::span<const Control> controls);

    Form& form_;
    Border border_;
    QPointer<FormWindow> window_;
    std::vector<std::unique_ptr<NativeControl>> controls_;
    bool closed_ = false;
    bool onScreen_ = false;
};

}  // namespace forms
