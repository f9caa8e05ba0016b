// forms::Form and forms::Ctl on Qt Widgets: each form is a NativeForm window whose controls are
// built from the window's design table.
#include "forms/qt/NativeForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <optional>
#include <utility>

#include "forms/Guard.h"
#include "forms/qt/TextBoxes.h"

namespace forms {

namespace {

class EventFilter : public QObject {
  public:
    EventFilter(QObject* parent, std::function<bool(QEvent*)> handler)
        : QObject(parent), handler_(std::move(handler)) {}
    // A handler that fails takes its event with it.
    bool eventFilter(QObject*, QEvent* event) override {
        return Guarded(true, [&] { return handler_(event); });
    }

  private:
    std::function<bool(QEvent*)> handler_;
};

template <class T = QWidget>
T* As(const NativeControl* control) {
    return control ? qobject_cast<T*>(control->object.data()) : nullptr;
}

// Runs handler on the control's events; an event it returns true for goes no further.
void Filter(QObject* control, std::function<bool(QEvent*)> handler) {
    control->installEventFilter(new EventFilter(control, std::move(handler)));
}

// The virtual-key code of a key event: Esc 27, Enter 13, letters and digits as in ASCII.
int VirtualKey(const QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Escape) return kKeyEscape;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return kKeyReturn;
    return key < 0x80 ? key : 0;
}

// A held key repeats on X as a release and a press at the same moment. The toolkit tells them
// from a real release by the press already waiting behind it; when the press comes a moment too
// late, both pass for real. The shared time stamp still tells.
class KeyReader {
  public:
    // Null for an event that is not a key press.
    std::optional<Key> Read(const QEvent* event) {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return {};
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (event->type() == QEvent::KeyRelease) {
            released_ = {key->key(), key->timestamp()};
            return {};
        }
        const bool sameMoment = released_ == std::pair(key->key(), key->timestamp());
        return Key{VirtualKey(key), key->isAutoRepeat() || sameMoment};
    }

  private:
    std::pair<int, quint64> released_{};
};

Qt::WindowFlags FlagsOf(Border border) {
    const Qt::WindowFlags titled = Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (border == Border::SizableTool) return Qt::Tool | titled;
    const Qt::WindowFlags closable =
        Qt::Window | titled | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    return border == Border::FixedDialog ? closable : closable | Qt::WindowMinimizeButtonHint;
}

QFont FontOf(const Font& font) {
    if (font.face != Face::Window) return JapaneseFont(font.face, font.points, font.bold);
    // Set outright, so that a frame's own font does not pass on to it.
    QFont own = QApplication::font();
    own.setResolveMask(QFont::AllPropertiesResolved);
    return own;
}

// The design heights of labels and option buttons are a little short for the fallback faces;
// grow them so no text is cut off.
void GrowToText(QWidget* control, int height, bool keepTop) {
    const QRect at = control->geometry();
    if (at.height() >= height) return;
    const int top = keepTop ? at.top() : at.top() - (height - at.height()) / 2;
    control->setGeometry(at.left(), top, at.width(), height);
}

QWidget* NewWidget(const Control& design, QWidget* parent) {
    const QString caption = ToQString(design.caption);
    switch (design.kind) {
        case Kind::Frame:
            return new QGroupBox(caption, parent);
        case Kind::Label: {
            auto* label = new QLabel(caption, parent);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setTextFormat(Qt::PlainText);
            return label;
        }
        case Kind::TextBox:
        case Kind::ColumnBox: {
            QLineEdit* box = NewSingleLineBox(caption, parent);
            if (design.kind == Kind::ColumnBox) {
                // Three half-width digits at most, so the input method stays off.
                box->setMaxLength(3);
                box->setAlignment(Qt::AlignRight);
                box->setAttribute(Qt::WA_InputMethodEnabled, false);
            }
            return box;
        }
        case Kind::MultiLineBox:
            return new MultiLineBox(caption, parent);
        case Kind::Button: {
            auto* button = new QPushButton(caption, parent);
            button->setAutoDefault(true);  // a focused button takes Enter
            return button;
        }
        case Kind::Option:
            return new QRadioButton(caption, parent);
    }
    return nullptr;
}

void Style(QWidget* widget, const Control& design) {
    widget->setObjectName(QString::fromUtf8(design.name));
    widget->setGeometry(PxRect(design.at));
    widget->setFont(FontOf(design.font));
    widget->setToolTip(ToQString(design.tip));
    widget->setAccessibleName(ToQString(design.tip.empty() ? design.caption : design.tip));
    if (design.colour != kDefaultColour) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, QColor::fromRgb(QRgb(design.colour)));
        widget->setPalette(palette);
    }
    if (design.kind == Kind::Label) GrowToText(widget, widget->fontMetrics().height(), true);
    // Options stand 16 pixels apart; taller would overlap the next one.
    if (design.kind == Kind::Option)
        GrowToText(widget, std::min(widget->sizeHint().height(), 16), false);
}

}  // namespace

NativeForm::NativeForm(Form& form, const Window& design, std::span<const Control> controls,
                       std::span<const MenuItem> menus)
    : QMainWindow(form.Owner() ? form.Owner()->Native() : nullptr, FlagsOf(design.border)),
      form_(&form),
      border_(design.border) {
    setAttribute(Qt::WA_DeleteOnClose);
    // A tool window appears beside its owner and leaves it the keyboard.
    setAttribute(Qt::WA_ShowWithoutActivating, border_ == Border::SizableTool);
    setObjectName(QString::fromUtf8(design.name));
    setWindowTitle(ToQString(design.caption));
    setCentralWidget(new QWidget(this));
    controls_.reserve(controls.size() + menus.size());
    AddControls(controls);
    AddMenus(menus);
    ChainTabOrder(controls);
    defaultButton_ = As<QPushButton>(Find(design.defaultButton));
    if (defaultButton_) defaultButton_->setDefault(true);
    const QSize client(Px(design.clientWidth), Px(design.clientHeight) + MenuHeight());
    if (border_ == Border::FixedMain || border_ == Border::FixedDialog)
        setFixedSize(client);
    else
        resize(client);
}

NativeForm::~NativeForm() {
    if (form_) form_->native_ = nullptr;
}

NativeControl* NativeForm::Find(std::string_view name) const {
    for (const NativeControl& control : controls_)
        if (!name.empty() && control.name == name) return const_cast<NativeControl*>(&control);
    return nullptr;
}

NativeControl* NativeForm::Named(std::string_view name) const {
    NativeControl* control = Find(name);
    if (!control)
        qFatal("Kalvex: %s has no control or menu item named %.*s", qPrintable(objectName()),
               int(name.size()), name.data());
    return control;
}

void NativeForm::AddMenus(std::span<const MenuItem> menus) {
    for (const MenuItem& item : menus) {
        const QString caption = ToQString(item.caption);
        QObject* made = nullptr;
        if (std::any_of(menus.begin(), menus.end(), [&](auto& m) { return m.menu == item.name; })) {
            made = menuBar()->addMenu(caption);
        } else {
            QMenu* menu = As<QMenu>(Find(item.menu));
            auto* box = As<MultiLineBox>(Find(item.menu));
            QAction* action = box    ? new QAction(caption, box)
                              : menu ? menu->addAction(caption)
                                     : menuBar()->addAction(caption);
            if (box) box->AddContextAction(action);
            if (item.shortcut == Shortcut::Copy) {
                action->setShortcut(QKeySequence::Copy);
                YieldCopyToWindow();
            }
            made = action;
        }
        made->setObjectName(QString::fromUtf8(item.name));
        controls_.push_back({std::string(item.name), made});
    }
}

// A text box claims the common edit shortcuts before the window sees them; for the window's
// own copy it declines, so Ctrl+C copies the whole text, not the selection.
void NativeForm::YieldCopyToWindow() {
    for (const NativeControl& control : controls_) {
        if (!As<MultiLineBox>(&control)) continue;
        Filter(control.object, [](QEvent* event) {
            const bool copy = event->type() == QEvent::ShortcutOverride &&
                              static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy);
            if (copy) event->ignore();
            return copy;
        });
    }
}

void NativeForm::AddControls(std::span<const Control> controls) {
    for (const Control& design : controls) {
        QWidget* frame = As(Find(design.frame));
        QWidget* widget = NewWidget(design, frame ? frame : centralWidget());
        Style(widget, design);
        controls_.push_back({std::string(design.name), widget});
    }
}

void NativeForm::ChainTabOrder(std::span<const Control> controls) {
    std::vector<const Control*> order;
    for (const Control& design : controls)
        if (design.kind != Kind::Label && design.kind != Kind::Frame) order.push_back(&design);
    std::stable_sort(order.begin(), order.end(),
                     [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
    QWidget* previous = nullptr;
    for (const Control* design : order) {
        QWidget* widget = As(Find(design->name));
        if (previous)
            setTabOrder(previous, widget);
        else
            widget->setFocus();  // the first in the order has the focus when the window opens
        previous = widget;
    }
}

void NativeForm::closeEvent(QCloseEvent* event) {
    // A window without a close box ignores the window manager's close.
    if (event->spontaneous() && border_ == Border::SizableTool) {
        event->ignore();
        return;
    }
    if (form_) Guarded([this] { form_->Form_Unload(); });
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && form_) form_->closed_ = true;
}

void NativeForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (form_) Guarded([this] { form_->Form_Resize(); });
}

void NativeForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    // No window has a maximize button, and one without a minimize button is minimized only
    // with the window it belongs to; where the window manager does either all the same, the
    // window goes back to normal once that change is over.
    const bool minimizable = windowFlags().testFlag(Qt::WindowMinimizeButtonHint) || parentWidget();
    if (isMaximized() || isFullScreen() || (isMinimized() && !minimizable))
        QMetaObject::invokeMethod(this, &QWidget::showNormal, Qt::QueuedConnection);
    else if (form_)
        Guarded([this] { form_->Form_Resize(); });
}

void NativeForm::keyPressEvent(QKeyEvent* event) {
    // The default button takes Enter from every control that leaves it unused.
    if (defaultButton_ && VirtualKey(event) == kKeyReturn) {
        if (defaultButton_->isEnabled()) defaultButton_->click();
        return;
    }
    // Keys that a control ignored also arrive here; those are not the window's.
    QWidget* focus = focusWidget();
    const bool controlHasFocus = focus && focus != this && focus->hasFocus();
    if (!controlHasFocus && form_ && Guarded(true, [&] {
            return form_->Form_KeyDown({VirtualKey(event), event->isAutoRepeat()});
        }))
        return;
    QMainWindow::keyPressEvent(event);
}

QMargins NativeForm::FrameMargins() const {
    if (const QWindow* w = windowHandle(); w && isVisible()) return w->frameMargins();
    // Not framed yet: assume the frame of the window it belongs to.
    const auto* owner = qobject_cast<const NativeForm*>(parentWidget());
    return owner ? owner->FrameMargins() : QMargins();
}

int NativeForm::MenuHeight() const {
    const QWidget* menu = menuWidget();
    return menu && !menu->isHidden() ? menu->sizeHint().height() : 0;
}

// A hidden window has not laid out its client area yet; its size follows from the window's.
QSize NativeForm::ClientSize() const {
    return isVisible() ? centralWidget()->size() : size() - QSize(0, MenuHeight());
}

QRect NativeForm::Outer() const { return geometry().marginsAdded(FrameMargins()); }

void NativeForm::SetOuter(const QRect& outer) {
    setGeometry(outer.marginsRemoved(FrameMargins()));
    if (!onScreen_) settle_ = [this, outer] { SetOuter(outer); };
}

// Only the place: the client keeps its size whatever frame the window manager gives it.
void NativeForm::CentreOver(const QRect& area) {
    QRect outer = Outer();
    outer.moveCenter(area.center());
    setGeometry(outer.marginsRemoved(FrameMargins()));
    if (!onScreen_) settle_ = [this, area] { CentreOver(area); };
}

void NativeForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!onScreen_ && windowHandle()) windowHandle()->installEventFilter(this);
}

// The window manager places and frames a window only once it is mapped; until then its outer
// geometry, and any asked for, is a guess. The first exposure settles both.
bool NativeForm::eventFilter(QObject* watched, QEvent* event) {
    QWindow* window = windowHandle();
    if (watched == window && event->type() == QEvent::Expose && window->isExposed() && !onScreen_) {
        onScreen_ = true;
        window->removeEventFilter(this);
        if (settle_) std::exchange(settle_, nullptr)();
        // After the window system's events already queued, the window manager's placement of
        // this window among them, so that the form sees where the window really stands.
        QMetaObject::invokeMethod(
            this, [this] { if (form_) Guarded([this] { form_->Form_OnScreen(); }); },
            Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- Form ---

Form::Form(const Window& design, std::span<const Control> controls,
           std::span<const MenuItem> menus, Form* owner)
    : owner_(owner), native_(new NativeForm(*this, design, controls, menus)) {}

Form::~Form() {
    if (!native_) return;
    native_->form_ = nullptr;
    delete native_;
}

void Form::Load() { Form_Load(); }

void Form::ShowModeless() {
    if (!native_) return;
    if (native_->isMinimized())
        native_->showNormal();
    else
        native_->show();
    native_->raise();
    if (!native_->testAttribute(Qt::WA_ShowWithoutActivating)) native_->activateWindow();
}

void Form::ShowModal() {
    if (!native_) return;
    native_->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    QObject::connect(native_, &QObject::destroyed, &loop, &QEventLoop::quit);
    ShowModeless();
    if (native_ && native_->isVisible()) loop.exec(QEventLoop::DialogExec);
}

void Form::Unload() {
    if (native_) native_->close();
}
bool Form::IsClosed() const { return closed_ || !native_; }

void Form::SetCaption(std::u16string_view caption) {
    if (native_) native_->setWindowTitle(ToQString(caption));
}

Twips Form::Outer() const { return TwipsOf(native_->Outer()); }
void Form::Move(const Twips& outer) { native_->SetOuter(PxRect(outer)); }

void Form::CentreOver(const Form* other) {
    if (other && other->native_)
        native_->CentreOver(other->native_->Outer());
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        native_->CentreOver(screen->availableGeometry());
}

Twips Form::Client() const { return TwipsOf(QRect(QPoint(), native_->ClientSize())); }

WindowState Form::State() const { return native_ && native_->isMinimized() ? kMinimized : kNormal; }

void Form::SetState(WindowState state) {
    if (!native_ || state == State()) return;
    if (state == kMinimized)
        native_->showMinimized();
    else
        native_->showNormal();
}

Ctl Form::C(std::string_view name) const { return Ctl(native_ ? native_->Named(name) : nullptr); }

void Form::OnClick(std::string_view name, std::function<void()> action) {
    QObject* object = native_->Named(name)->object;
    const auto handler = [action] { Guarded(action); };
    if (auto* action = qobject_cast<QAction*>(object)) {
        QObject::connect(action, &QAction::triggered, action, handler);
    } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
        QObject::connect(button, &QAbstractButton::clicked, button, handler);
    } else if (auto* label = qobject_cast<QLabel*>(object)) {
        label->setCursor(Qt::PointingHandCursor);
        // A click: the left button pressed and released over the label.
        Filter(label, [label, handler](QEvent* event) {
            if (event->type() != QEvent::MouseButtonRelease) return false;
            auto* mouse = static_cast<QMouseEvent*>(event);
            const bool over = label->rect().contains(mouse->position().toPoint());
            if (mouse->button() == Qt::LeftButton && over) handler();
            return false;
        });
    }
}

void Form::OnChange(std::string_view name, std::function<void()> action) {
    QObject* object = native_->Named(name)->object;
    const auto handler = [action] { Guarded(action); };
    if (auto* line = qobject_cast<QLineEdit*>(object))
        QObject::connect(line, &QLineEdit::textChanged, line, handler);
    else if (auto* box = qobject_cast<QPlainTextEdit*>(object))
        QObject::connect(box, &QPlainTextEdit::textChanged, box, handler);
}

void Form::OnKeyDown(std::string_view name, std::function<bool(Key)> handler) {
    Filter(native_->Named(name)->object, [handler, reader = KeyReader()](QEvent* event) mutable {
        const std::optional<Key> key = reader.Read(event);
        return key && handler(*key);
    });
}

// --- Ctl: a control whose window has closed does nothing ---

std::u16string Ctl::Text() const {
    if (auto* box = As<MultiLineBox>(native_)) return box->Text();
    if (auto* line = As<QLineEdit>(native_)) return line->text().toStdU16String();
    if (auto* label = As<QLabel>(native_)) return label->text().toStdU16String();
    return {};
}

void Ctl::SetText(std::u16string_view text) {
    const QString q = ToQString(text);
    if (auto* box = As<MultiLineBox>(native_)) box->setPlainText(q);
    if (auto* line = As<QLineEdit>(native_)) line->setText(q);
    if (auto* label = As<QLabel>(native_)) {
        label->setText(q);
        label->setAccessibleName(q);
    }
}

void Ctl::Clear() {
    if (auto* box = As<MultiLineBox>(native_)) box->ClearUndoably();
    if (auto* line = As<QLineEdit>(native_)) line->clear();
}

void Ctl::Fill(const LargeText& text) {
    if (auto* box = As<MultiLineBox>(native_)) box->Fill(text.Native().text);
}

bool Ctl::IsModified() const {
    auto* box = As<MultiLineBox>(native_);
    return box && box->document()->isModified();
}

void Ctl::SetEnabled(bool enabled) {
    if (QWidget* widget = As(native_)) widget->setEnabled(enabled);
    if (auto* action = As<QAction>(native_)) action->setEnabled(enabled);
}

void Ctl::SetFocus() {
    if (QWidget* widget = As(native_); widget && widget->isEnabled()) widget->setFocus();
}

void Ctl::SetToolTip(std::u16string_view tip) {
    if (QWidget* widget = As(native_)) {
        widget->setToolTip(ToQString(tip));
        widget->setAccessibleName(widget->toolTip());
    }
}

bool Ctl::Value() const {
    auto* option = As<QRadioButton>(native_);
    return option && option->isChecked();
}

void Ctl::SetValue(bool selected) {
    if (auto* option = As<QRadioButton>(native_)) option->setChecked(selected);
}

void Ctl::Move(const Twips& at) {
    if (QWidget* widget = As(native_)) widget->setGeometry(PxRect(at));
}

}  // namespace forms
