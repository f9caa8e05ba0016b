// forms::Form and forms::Ctl on Qt Widgets: each window is a FormWindow whose controls are
// built from the window's design table.
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>

#include "forms/qt/FormWindow.h"
#include "forms/qt/Native.h"
#include "forms/qt/TextBoxes.h"
#include "forms/qt/Twips.h"

namespace forms {

namespace {

// Calls a handler for every key pressed in a control; the key goes on unless it returns true.
class KeyDownFilter : public QObject {
  public:
    KeyDownFilter(QObject* parent, std::function<bool(Key)> handler)
        : QObject(parent), handler_(std::move(handler)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (handler_({VirtualKey(key), key->isAutoRepeat()})) return true;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<bool(Key)> handler_;
};

// A click on a label: the left button pressed and released over it.
class ClickFilter : public QObject {
  public:
    ClickFilter(QObject* parent, std::function<void()> handler)
        : QObject(parent), handler_(std::move(handler)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            auto* widget = static_cast<QWidget*>(watched);
            if (mouse->button() == Qt::LeftButton &&
                widget->rect().contains(mouse->position().toPoint()))
                handler_();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> handler_;
};

// A text box claims the common edit shortcuts before the window sees them; for the window's
// own copy it declines, so Ctrl+C copies the whole text, not the selection.
class CopyYield : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride &&
            static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

bool TakesFocus(Kind kind) { return kind != Kind::Label && kind != Kind::Frame; }

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
            label->setFocusPolicy(Qt::NoFocus);
            return label;
        }
        case Kind::TextBox:
        case Kind::ColumnBox: {
            auto* box = new SingleLineBox(parent);
            box->setText(caption);
            if (design.kind == Kind::ColumnBox) {
                // Three half-width digits at most, so the input method stays off.
                box->setMaxLength(3);
                box->setAlignment(Qt::AlignRight);
                box->setAttribute(Qt::WA_InputMethodEnabled, false);
                box->setInputMethodHints(Qt::ImhDigitsOnly | Qt::ImhPreferLatin);
            }
            return box;
        }
        case Kind::MultiLineBox: {
            auto* box = new MultiLineBox(parent);
            box->setPlainText(caption);
            return box;
        }
        case Kind::Button: {
            auto* button = new QPushButton(caption, parent);
            // A focused button takes Enter, as buttons do on every desktop.
            button->setAutoDefault(true);
            return button;
        }
        case Kind::Option:
            return new QRadioButton(caption, parent);
    }
    return nullptr;
}

void Style(QWidget* widget, const Control& design) {
    widget->setObjectName(QString::fromUtf8(design.name.data(), qsizetype(design.name.size())));
    widget->setGeometry(PxRect(design.at));
    widget->setFont(FontOf(design.font));
    if (!design.tip.empty()) widget->setToolTip(ToQString(design.tip));
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
                       std::span<const MenuItem> menus, Form* owner)
    : form_(form), border_(design.border) {
    window_ = new FormWindow(*this, design.border, owner ? owner->Native().Widget() : nullptr);
    window_->setObjectName(QString::fromUtf8(design.name.data(), qsizetype(design.name.size())));
    window_->setWindowTitle(ToQString(design.caption));
    AddMenus(menus);
    AddControls(controls);
    ChainTabOrder(controls);
    if (NativeControl* button = Find(design.defaultButton)) {
        auto* push = qobject_cast<QPushButton*>(button->object.data());
        push->setDefault(true);
        window_->SetDefaultButton(push);
    }
    window_->SetClientSize(design.clientWidth, design.clientHeight);
}

NativeForm::~NativeForm() { delete window_.data(); }

NativeControl* NativeForm::Find(std::string_view name) const {
    for (const auto& control : controls_)
        if (control->name == name) return control.get();
    return nullptr;
}

void NativeForm::AddControls(std::span<const Control> controls) {
    for (const Control& design : controls) {
        QWidget* parent = window_->Client();
        if (NativeControl* frame = Find(design.frame)) parent = frame->Widget();
        QWidget* widget = NewWidget(design, parent);
        Style(widget, design);
        controls_.push_back(
            std::make_unique<NativeControl>(std::string(design.name), design.kind, widget));
    }
}

void NativeForm::AddMenus(std::span<const MenuItem> menus) {
    for (const MenuItem& item : menus) {
        QObject* made = nullptr;
        const QString caption = ToQString(item.caption);
        const bool hasItems = std::any_of(menus.begin(), menus.end(),
                                          [&](const MenuItem& m) { return m.menu == item.name; });
        if (hasItems) {
            made = window_->menuBar()->addMenu(caption);
        } else {
            NativeControl* menu = Find(item.menu);
            QAction* action = menu ? qobject_cast<QMenu*>(menu->object.data())->addAction(caption)
                                   : window_->menuBar()->addAction(caption);
            if (item.shortcut == Shortcut::Copy) action->setShortcut(QKeySequence::Copy);
            made = action;
        }
        made->setObjectName(QString::fromUtf8(item.name.data(), qsizetype(item.name.size())));
        controls_.push_back(std::make_unique<NativeControl>(std::string(item.name), Kind::Label,
                                                            made, true));
    }
}

// The window's own copy wins over every text box in it.
void NativeForm::YieldCopyToWindow() {
    for (const auto& control : controls_)
        if (control->kind == Kind::MultiLineBox && !control->menu)
            control->Widget()->installEventFilter(new CopyYield(control->Widget()));
}

void NativeForm::ChainTabOrder(std::span<const Control> controls) {
    std::vector<const Control*> order;
    for (const Control& design : controls)
        if (TakesFocus(design.kind)) order.push_back(&design);
    std::stable_sort(order.begin(), order.end(),
                     [](const Control* a, const Control* b) { return a->tabIndex < b->tabIndex; });
    QWidget* previous = nullptr;
    for (const Control* design : order) {
        QWidget* widget = Find(design->name)->Widget();
        if (previous)
            QWidget::setTabOrder(previous, widget);
        else
            widget->setFocus();  // the first in the order has the focus when the window opens
        previous = widget;
    }
}

void NativeForm::OnScreen() {
    onScreen_ = true;
    form_.Form_OnScreen();
}

// --- Form ---

Form::Form(const Window& design, std::span<const Control> controls,
           std::span<const MenuItem> menus, Form* owner)
    : owner_(owner), native_(std::make_unique<NativeForm>(*this, design, controls, menus, owner)) {
    for (const MenuItem& item : menus)
        if (item.shortcut == Shortcut::Copy) native_->YieldCopyToWindow();
}

Form::~Form() = default;

void Form::Load() {
    if (loaded_) return;
    loaded_ = true;
    Form_Load();
}

void Form::ShowModeless() {
    if (FormWindow* w = native_->Widget()) w->ShowModeless();
}
void Form::ShowModal() {
    if (FormWindow* w = native_->Widget()) w->ShowModal();
}
void Form::Unload() {
    if (FormWindow* w = native_->Widget()) w->close();
}
bool Form::IsClosed() const { return native_->IsClosed() || !native_->Widget(); }
bool Form::IsOnScreen() const { return native_->IsOnScreen(); }

int Form::Left() const { return ToTwips(native_->Widget()->Outer().left()); }
int Form::Top() const { return ToTwips(native_->Widget()->Outer().top()); }
int Form::Width() const { return ToTwips(native_->Widget()->Outer().width()); }
int Form::Height() const { return ToTwips(native_->Widget()->Outer().height()); }

void Form::Move(int left, int top, int width, int height) {
    native_->Widget()->SetOuter(PxRect({left, top, width, height}));
}

void Form::CentreOver(const Form* other) {
    if (other && other->native_->Widget()) {
        native_->Widget()->CentreOver(other->native_->Widget()->Outer());
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        native_->Widget()->CentreOver(screen->availableGeometry());
    }
}

// A hidden window has not laid out its client panel yet; its size follows from the window's.
int Form::ScaleWidth() const {
    const FormWindow* w = native_->Widget();
    return ToTwips(w->isVisible() ? w->Client()->width() : w->width());
}
int Form::ScaleHeight() const {
    const FormWindow* w = native_->Widget();
    return ToTwips(w->isVisible() ? w->Client()->height() : w->height() - w->MenuHeight());
}

WindowState Form::State() const { return native_->Widget()->isMinimized() ? kMinimized : kNormal; }

void Form::SetState(WindowState state) {
    if (state == State()) return;
    if (state == kMinimized)
        native_->Widget()->showMinimized();
    else
        native_->Widget()->showNormal();
}

Ctl Form::C(std::string_view name) const { return Ctl(native_->Find(name)); }

void Form::OnClick(std::string_view name, std::function<void()> handler) {
    NativeControl* control = native_->Find(name);
    if (auto* action = qobject_cast<QAction*>(control->object.data()))
        QObject::connect(action, &QAction::triggered, action, [handler] { handler(); });
    else if (auto* button = qobject_cast<QAbstractButton*>(control->object.data()))
        QObject::connect(button, &QAbstractButton::clicked, button, [handler] { handler(); });
    else {
        control->Widget()->setCursor(Qt::PointingHandCursor);
        control->Widget()->installEventFilter(new ClickFilter(control->Widget(), handler));
    }
}

void Form::OnChange(std::string_view name, std::function<void()> handler) {
    QObject* object = native_->Find(name)->object;
    if (auto* line = qobject_cast<QLineEdit*>(object))
        QObject::connect(line, &QLineEdit::textChanged, line, [handler] { handler(); });
    else if (auto* box = qobject_cast<QPlainTextEdit*>(object))
        QObject::connect(box, &QPlainTextEdit::textChanged, box, [handler] { handler(); });
}

void Form::OnKeyDown(std::string_view name, std::function<bool(Key)> handler) {
    QWidget* widget = native_->Find(name)->Widget();
    widget->installEventFilter(new KeyDownFilter(widget, std::move(handler)));
}

}  // namespace forms
