// The native hooks on Qt Widgets: each form's window is a QtForm::MainWindow whose controls are
// built from the window's design table.
#include "forms/qt/NativeForm.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionFocusRect>
#include <QWindow>
#include <optional>
#include <utility>

#include "forms/Guard.h"
#include "forms/Rules.h"
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

// A label that opens its address: Tab reaches it, Enter and Space click it, and it shows the
// focus as a button does; otherwise it looks as the label it is.
class LinkLabel : public QLabel {
    Q_OBJECT  // a class name of its own, which the reader's factory below is asked for first
  public:
    using QLabel::QLabel;
    std::function<void()> click;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            Click();
    }
    void keyPressEvent(QKeyEvent* event) override {
        const int key = event->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space)
            return QLabel::keyPressEvent(event);
        Click();
    }
    void paintEvent(QPaintEvent* event) override {
        QLabel::paintEvent(event);
        if (!hasFocus()) return;
        QPainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }

  private:
    friend class LinkAccessible;
    void Click() {
        if (click) click();
    }
};

// A screen reader hears it as a link and can press it.
class LinkAccessible : public QAccessibleWidget {
  public:
    explicit LinkAccessible(LinkLabel* link) : QAccessibleWidget(link, QAccessible::Link) {}
    QStringList actionNames() const override {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action != pressAction()) return QAccessibleWidget::doAction(action);
        static_cast<LinkLabel*>(widget())->Click();
    }
};

QAccessibleInterface* AccessibleLink(const QString& className, QObject* object) {
    auto* link = qobject_cast<LinkLabel*>(object);
    return link && className == QLatin1String(LinkLabel::staticMetaObject.className())
               ? new LinkAccessible(link)
               : nullptr;
}

Qt::WindowFlags FlagsOf(Border border) {
    const Qt::WindowFlags titled = Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (IsTool(border)) return Qt::Tool | titled;
    const Qt::WindowFlags closable =
        Qt::Window | titled | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    return CanMinimize(border) ? closable | Qt::WindowMinimizeButtonHint : closable;
}

// Set outright, so that a frame's own font does not pass on to the controls in it.
QFont FontOf(const Font& font) {
    QFont own = JapaneseFont(Resolved(font));
    own.setResolveMask(QFont::AllPropertiesResolved);
    return own;
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
                box->setMaxLength(kColumnDigits);
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
        case Kind::Link: {
            static const bool once = [] {
                QAccessible::installFactory(AccessibleLink);
                return true;
            }();
            (void)once;
            auto* link = new LinkLabel(caption, parent);
            link->setTextFormat(Qt::PlainText);
            link->setFocusPolicy(Qt::StrongFocus);
            link->setCursor(Qt::PointingHandCursor);
            return link;
        }
    }
    return nullptr;
}

void Style(QWidget* widget, const Control& design, const Accessible& reading) {
    widget->setObjectName(QString::fromUtf8(design.name));
    widget->setFont(FontOf(design.font));
    widget->setToolTip(ToQString(design.tip));
    widget->setAccessibleName(ToQString(reading.name));
    widget->setAccessibleDescription(ToQString(reading.description));
    if (design.colour != kDefaultColour) {
        const Rgb rgb = RgbOf(design.colour);
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, QColor(rgb.red, rgb.green, rgb.blue));
        widget->setPalette(palette);
    }
    const int textHeight =
        design.kind == Kind::Option ? widget->sizeHint().height() : widget->fontMetrics().height();
    widget->setGeometry(ToQRect(GrownToText(design, Px(design.at), textHeight, ScreenDpi())));
}

}  // namespace

std::unique_ptr<NativeForm> NativeForm::Make(Form& form, const Window& design) {
    return std::make_unique<QtForm>(form, design);
}

QtForm::QtForm(Form& form, const Window& design) : form_(form), border_(design.border) {
    auto* owner = form.Owner() ? static_cast<QtForm&>(form.Owner()->Native()).Widget() : nullptr;
    window_ = new MainWindow(*this, owner, FlagsOf(border_));
    window_->setAttribute(Qt::WA_DeleteOnClose);
    window_->setAttribute(Qt::WA_ShowWithoutActivating, IsTool(border_));
    window_->setObjectName(QString::fromUtf8(design.name));
    window_->setWindowTitle(ToQString(design.caption));
    window_->setCentralWidget(new QWidget(window_));
    controls_.reserve(form.Controls().size() + form.Menus().size());
    AddControls();
    AddMenus();
    if (const Control* first = FirstStop(form.Controls())) As(Find(first->name))->setFocus();
    defaultButton_ = As<QPushButton>(Find(design.defaultButton));
    if (defaultButton_) defaultButton_->setDefault(true);
    const QSize client(Px(design.clientWidth), Px(design.clientHeight) + MenuHeight());
    if (IsFixedSize(border_))
        window_->setFixedSize(client);
    else
        window_->resize(client);
}

QtForm::~QtForm() { delete window_; }

NativeControl* QtForm::Find(std::string_view name) { return FindNamed(controls_, name); }

bool QtForm::IsReachable(const NativeControl& control) const {
    const QWidget* widget = As(&control);
    return widget->isEnabled() && widget->isVisibleTo(window_);
}

bool QtForm::IsSelected(const NativeControl& control) const {
    const auto* option = As<QRadioButton>(&control);
    return option && option->isChecked();
}

void QtForm::AddControls() {
    for (const Control& design : form_.Controls()) {
        QWidget* frame = As(Find(design.frame));
        QWidget* widget = NewWidget(design, frame ? frame : window_->centralWidget());
        Style(widget, design, AccessibleOf(form_.Controls(), design));
        controls_.push_back({design.name, widget});
    }
    // A label names the box after it: a screen reader reads it as the box's label, and Alt and
    // its letter, if it has one, go to the box.
    for (const Control& design : form_.Controls())
        if (const Control* box = BoxOf(form_.Controls(), design))
            As<QLabel>(Find(design.name))->setBuddy(As(Find(box->name)));
}

void QtForm::AddMenus() {
    const std::span<const MenuItem> menus = form_.Menus();
    QMenuBar* bar = window_->menuBar();
    for (const MenuItem& item : menus) {
        const QString caption = ToQString(item.caption);
        const MenuPlace place = PlaceOf(item, menus, form_.Controls());
        QObject* made = nullptr;
        if (place == MenuPlace::Menu) {
            made = bar->addMenu(caption);
        } else if (place == MenuPlace::SubMenu) {
            auto* box = As<MultiLineBox>(Find(item.menu));
            auto* menu = new QMenu(caption, box);
            box->AddContextAction(menu->menuAction());
            made = menu;
        } else {
            auto* box = As<MultiLineBox>(Find(item.menu));
            QAction* action = place == MenuPlace::ContextMenu ? new QAction(caption, box)
                              : place == MenuPlace::InMenu
                                  ? As<QMenu>(Find(item.menu))->addAction(caption)
                                  : bar->addAction(caption);
            if (box) box->AddContextAction(action);
            if (item.shortcut == Shortcut::Copy) {
                action->setShortcut(QKeySequence::Copy);
                YieldCopyToWindow();
            }
            made = action;
        }
        made->setObjectName(QString::fromUtf8(item.name));
        controls_.push_back({item.name, made});
    }
}

// A text box claims the common edit shortcuts before the window sees them; for the window's
// own copy it declines, so Ctrl+C copies the whole text, not the selection.
void QtForm::YieldCopyToWindow() {
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

// Tab and Shift+Tab go by the tab order rule, as on Windows: one stop for an option group.
void QtForm::MoveFocus(bool backwards) {
    const auto widget = [this](const Control& c) { return As(Find(c.name)); };
    const auto stops = TabStops(form_.Controls());
    const Control* from = nullptr;
    for (const Control* stop : stops)
        if (widget(*stop) == window_->focusWidget()) from = stop;
    if (const Control* to = Next(stops, from, backwards))
        widget(*to)->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
}

void QtForm::ShowModeless() {
    window_->isMinimized() ? window_->showNormal() : window_->show();
    window_->raise();
    if (!IsTool(border_)) window_->activateWindow();
}

void QtForm::ShowModal() {
    window_->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    QObject::connect(window_, &QObject::destroyed, &loop, &QEventLoop::quit);
    ShowModeless();
    if (IsOpen() && window_->isVisible()) loop.exec(QEventLoop::DialogExec);
}

void QtForm::Close() { window_->close(); }

void QtForm::SetCaption(std::u16string_view caption) {
    window_->setWindowTitle(ToQString(caption));
}

void QtForm::Activate() {
    window_->raise();
    window_->activateWindow();
}

void QtForm::SetMinimized(bool minimized) {
    minimized ? window_->showMinimized() : window_->showNormal();
}

QMargins QtForm::FrameMargins() const {
    if (const QWindow* w = window_->windowHandle(); w && window_->isVisible())
        return w->frameMargins();
    // Not framed yet: assume the frame of the window it belongs to.
    const Form* owner = form_.Owner();
    return owner && !owner->IsClosed() ? static_cast<const QtForm&>(owner->Native()).FrameMargins()
                                       : QMargins();
}

int QtForm::MenuHeight() const {
    const QWidget* menu = window_->menuWidget();
    return menu && !menu->isHidden() ? menu->sizeHint().height() : 0;
}

// A hidden window has not laid out its client area yet; its size follows from the window's.
Pixels QtForm::Client() const {
    const QSize size = window_->isVisible() ? window_->centralWidget()->size()
                                            : window_->size() - QSize(0, MenuHeight());
    return {0, 0, size.width(), size.height()};
}

Pixels QtForm::Outer() const {
    const QRect outer = window_->geometry().marginsAdded(FrameMargins());
    return {outer.left(), outer.top(), outer.width(), outer.height()};
}

void QtForm::SetOuter(const Pixels& outer) {
    window_->setGeometry(ToQRect(outer).marginsRemoved(FrameMargins()));
    if (!onScreen_) settle_ = [this, outer] { SetOuter(outer); };
}

void QtForm::CentreOver(const NativeForm* other) {
    if (other)
        CentreOver(ToQRect(other->Outer()));
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        CentreOver(screen->availableGeometry());
}

// Only the place: the client keeps its size whatever frame the window manager gives it.
void QtForm::CentreOver(const QRect& area) {
    QRect outer = ToQRect(Outer());
    outer.moveCenter(area.center());
    window_->setGeometry(outer.marginsRemoved(FrameMargins()));
    if (!onScreen_) settle_ = [this, area] { CentreOver(area); };
}

void QtForm::OnClick(NativeControl& control, std::function<void()> handler) {
    if (auto* action = As<QAction>(&control)) {
        QObject::connect(action, &QAction::triggered, action, handler);
    } else if (auto* menu = As<QMenu>(&control)) {
        QObject::connect(menu, &QMenu::aboutToShow, menu, handler);
    } else if (auto* button = As<QAbstractButton>(&control)) {
        QObject::connect(button, &QAbstractButton::clicked, button, handler);
    } else if (auto* link = As<LinkLabel>(&control)) {
        link->click = std::move(handler);
    }
}

void QtForm::OnChange(NativeControl& control, std::function<void()> handler) {
    if (auto* line = As<QLineEdit>(&control))
        QObject::connect(line, &QLineEdit::textChanged, line, handler);
    else if (auto* box = As<QPlainTextEdit>(&control))
        QObject::connect(box, &QPlainTextEdit::textChanged, box, handler);
}

void QtForm::OnKeyDown(NativeControl& control, std::function<bool(Key)> handler) {
    Filter(control.object, [handler, reader = KeyReader()](QEvent* event) mutable {
        const std::optional<Key> key = reader.Read(event);
        return key && handler(*key);
    });
}

// --- What the window hears ---

bool QtForm::MainWindow::focusNextPrevChild(bool next) {
    Guarded([&] { form_.MoveFocus(!next); });
    return true;
}

void QtForm::MainWindow::closeEvent(QCloseEvent* event) {
    // A window without a close box ignores the window manager's close.
    if (event->spontaneous() && IsTool(form_.border_)) return event->ignore();
    NativeForm::SendUnload(form_.form_);
    if (!event->isAccepted()) return;
    form_.closed_ = true;  // the toolkit deletes the window next
    QMainWindow::closeEvent(event);
}

void QtForm::MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    NativeForm::SendResize(form_.form_);
}

// No window has a maximize button, and one without a minimize button is minimized only with
// the window it belongs to; where the window manager does either all the same, the window goes
// back to normal once that change is over.
void QtForm::MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    const bool minimizable = CanMinimize(form_.border_) || form_.form_.Owner();
    if (isMaximized() || isFullScreen() || (isMinimized() && !minimizable))
        QMetaObject::invokeMethod(this, &QWidget::showNormal, Qt::QueuedConnection);
    else
        NativeForm::SendResize(form_.form_);
}

void QtForm::MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F6) {
        NativeForm::SendPaneKey(form_.form_, event->modifiers() & Qt::ShiftModifier);
        return;
    }
    // The default button takes Enter from every control that leaves it unused.
    QPushButton* button = form_.defaultButton_;
    if (button && VirtualKey(event) == kKeyReturn) {
        if (button->isEnabled()) Guarded([&] { button->click(); });
        return;
    }
    // Keys that a control ignored also arrive here; those are not the window's.
    const bool controlHasFocus =
        focusWidget() && focusWidget() != this && focusWidget()->hasFocus();
    const Key key{VirtualKey(event), event->isAutoRepeat()};
    if (controlHasFocus || !NativeForm::SendKeyDown(form_.form_, key))
        QMainWindow::keyPressEvent(event);
}

void QtForm::MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!form_.onScreen_ && windowHandle()) windowHandle()->installEventFilter(this);
}

// The window manager places and frames a window only once it is mapped; until then its outer
// geometry, and any asked for, is a guess. The first exposure settles both.
bool QtForm::MainWindow::eventFilter(QObject* watched, QEvent* event) {
    QWindow* window = windowHandle();
    if (watched != window || event->type() != QEvent::Expose || !window->isExposed() ||
        form_.onScreen_)
        return QMainWindow::eventFilter(watched, event);
    window->removeEventFilter(this);
    form_.onScreen_ = true;
    if (form_.settle_) std::exchange(form_.settle_, nullptr)();
    // After the window system's events already queued, the window manager's placement of this
    // window among them, so that the form sees where the window really stands.
    QMetaObject::invokeMethod(
        this, [this] { NativeForm::SendOnScreen(form_.form_); }, Qt::QueuedConnection);
    return false;
}

}  // namespace forms

#include "NativeForm.moc"
