#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include "forms/qt/FormWindow.h"
#include "forms/qt/Native.h"
#include "forms/qt/Twips.h"

namespace forms {

namespace {

Qt::WindowFlags FlagsOf(Border border) {
    const Qt::WindowFlags base = Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    switch (border) {
        case Border::FixedMain:
        case Border::SizableModal:
            return Qt::Window | base | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint;
        case Border::SizableTool:
            return Qt::Tool | base;
        case Border::FixedDialog:
            return Qt::Window | base | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    return Qt::Window;
}

bool IsFixed(Border border) { return border == Border::FixedMain || border == Border::FixedDialog; }

}  // namespace

FormWindow::FormWindow(NativeForm& form, Border border, QWidget* owner)
    : QMainWindow(owner, FlagsOf(border)), form_(form), client_(new QWidget(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    // A tool window appears beside its owner and leaves it the keyboard.
    if (border == Border::SizableTool) setAttribute(Qt::WA_ShowWithoutActivating);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
}

void FormWindow::SetClientSize(int width, int height) {
    const QSize size(Px(width), Px(height) + MenuHeight());
    if (IsFixed(form_.GetBorder()))
        setFixedSize(size);
    else
        resize(size);
}

void FormWindow::ShowModeless() {
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    if (!testAttribute(Qt::WA_ShowWithoutActivating)) activateWindow();
}

void FormWindow::ShowModal() {
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    const QPointer<FormWindow> self(this);
    ShowModeless();
    if (self && !form_.IsClosed() && isVisible()) loop.exec(QEventLoop::DialogExec);
}

void FormWindow::closeEvent(QCloseEvent* event) {
    // A window without a close box ignores the window manager's close.
    if (event->spontaneous() && form_.GetBorder() == Border::SizableTool) {
        event->ignore();
        return;
    }
    form_.Closing();
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) form_.Closed();
}

void FormWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    form_.Resized();
}

void FormWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    // None of the windows has a maximize button; a window manager that maximizes anyway is
    // undone.
    if (isMaximized() || isFullScreen()) {
        showNormal();
        return;
    }
    form_.Resized();
}

// The default button takes Enter from every control that leaves it unused but a button,
// which presses itself.
bool FormWindow::PressDefault(QKeyEvent* event) {
    if (!defaultButton_ || (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter))
        return false;
    if (!defaultButton_->isEnabled()) return true;
    defaultButton_->click();
    return true;
}

void FormWindow::keyPressEvent(QKeyEvent* event) {
    if (PressDefault(event)) return;
    // Keys that a control ignored also arrive here; those are not the window's.
    QWidget* focus = focusWidget();
    const bool controlHasFocus = focus && focus != this && focus->hasFocus();
    if (!controlHasFocus && form_.KeyDown({VirtualKey(event), event->isAutoRepeat()})) return;
    QMainWindow::keyPressEvent(event);
}

QMargins FormWindow::FrameMargins() const {
    if (const QWindow* w = windowHandle(); w && isVisible()) return w->frameMargins();
    // Not framed yet: assume the frame of the window it belongs to.
    if (const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr) {
        if (const QWindow* w = owner->windowHandle(); w && owner->isVisible())
            return w->frameMargins();
    }
    return {};
}

int FormWindow::MenuHeight() const {
    const QWidget* menu = menuWidget();
    if (!menu || menu->isHidden()) return 0;
    return menu->sizeHint().height();
}

QRect FormWindow::Outer() const { return geometry().marginsAdded(FrameMargins()); }

void FormWindow::SetOuter(const QRect& outer) {
    setGeometry(outer.marginsRemoved(FrameMargins()));
    if (!form_.IsOnScreen()) pendingOuter_ = outer;
}

// Only the place: the client keeps its size whatever frame the window manager gives it.
void FormWindow::CentreOver(const QRect& area) {
    QRect outer = Outer();
    outer.moveCenter(area.center());
    setGeometry(outer.marginsRemoved(FrameMargins()));
    if (!form_.IsOnScreen()) pendingCentre_ = area.center();
}

void FormWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!form_.IsOnScreen() && windowHandle()) windowHandle()->installEventFilter(this);
}

// The window manager places and frames a window only once it is mapped; until then its
// outer geometry, and any asked for, is a guess. The first exposure settles both.
bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
    QWindow* window = windowHandle();
    if (watched == window && event->type() == QEvent::Expose && window->isExposed() &&
        !form_.IsOnScreen()) {
        window->removeEventFilter(this);
        if (pendingOuter_) setGeometry(pendingOuter_->marginsRemoved(FrameMargins()));
        if (pendingCentre_) {
            QRect outer = Outer();
            outer.moveCenter(*pendingCentre_);
            setGeometry(outer.marginsRemoved(FrameMargins()));
        }
        pendingOuter_.reset();
        pendingCentre_.reset();
        form_.OnScreen();
    }
    return QMainWindow::eventFilter(watched, event);
}

int VirtualKey(const QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            return kKeyEscape;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kKeyReturn;
        default:
            return event->key() < 0x80 ? event->key() : 0;
    }
}

}  // namespace forms
