#include "Form.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "Twips.h"

namespace forms {

Form::Form(QWidget* owner, Qt::WindowFlags flags)
    : QMainWindow(owner, flags | Qt::Window), client_(new QWidget(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
}

void Form::Load() {
    if (loaded_) return;
    loaded_ = true;
    Form_Load();
}

void Form::ShowModeless() {
    const bool first = !isVisible();
    if (isMinimized()) showNormal();
    else show();
    raise();
    activateWindow();
    if (first) WaitUntilOnScreen();
}

void Form::ShowModal() {
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &Form::closed, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    ShowModeless();
    loop.exec(QEventLoop::DialogExec);
}

void Form::Unload() { close(); }

void Form::closeEvent(QCloseEvent* event) {
    Form_Unload();
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) emit closed();
}

void Form::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void Form::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) Form_Resize();
}

void Form::keyPressEvent(QKeyEvent* event) {
    // Keys that a control ignored also arrive here; those are not the window's.
    QWidget* focus = focusWidget();
    const bool controlHasFocus = focus && focus != this && focus->hasFocus();
    if (!controlHasFocus && Form_KeyDown(event)) return;
    QMainWindow::keyPressEvent(event);
}

QMargins Form::FrameMargins() const {
    if (const QWindow* w = windowHandle(); w && isVisible()) return w->frameMargins();
    // Not framed yet: assume the frame of the window it belongs to.
    if (const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr) {
        if (const QWindow* w = owner->windowHandle(); w && owner->isVisible())
            return w->frameMargins();
    }
    return {};
}

int Form::MenuHeight() const {
    const QWidget* menu = menuWidget();
    if (!menu || menu->isHidden()) return 0;
    return menu->sizeHint().height();
}

int Form::Left() const { return Twips(geometry().left() - FrameMargins().left()); }
int Form::Top() const { return Twips(geometry().top() - FrameMargins().top()); }
int Form::Width() const {
    const QMargins m = FrameMargins();
    return Twips(geometry().width() + m.left() + m.right());
}
int Form::Height() const {
    const QMargins m = FrameMargins();
    return Twips(geometry().height() + m.top() + m.bottom());
}

void Form::Move(int left, int top, int width, int height) {
    const QRect outer = PxRect(left, top, width, height);
    const QMargins m = FrameMargins();
    setGeometry(outer.marginsRemoved(m));
    if (!isVisible()) pendingOuter_ = outer;
}

int Form::ScaleWidth() const { return Twips(client_->width()); }
int Form::ScaleHeight() const { return Twips(client_->height()); }

WindowState Form::State() const { return isMinimized() ? kMinimized : kNormal; }

void Form::SetState(WindowState state) {
    if (state == State()) return;
    if (state == kMinimized) showMinimized();
    else showNormal();
}

void Form::SetClientSize(int width, int height, bool fixed) {
    const QSize size(Px(width), Px(height) + MenuHeight());
    if (fixed) setFixedSize(size);
    else resize(size);
}

void Form::CentreOver(const QWidget* other) {
    QRect frame = frameGeometry();
    frame.moveCenter(other->frameGeometry().center());
    move(frame.topLeft());
}

// The window manager places and frames a window only after it is mapped; until then its
// outer geometry, and any asked for, is a guess. Wait (briefly) for the window to appear,
// then set the outer geometry asked for again.
void Form::WaitUntilOnScreen() {
    QWindow* w = windowHandle();
    if (w && !w->isExposed()) {
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        QTimer poll;
        connect(&poll, &QTimer::timeout, &loop, [&] {
            if (w->isExposed()) loop.quit();
        });
        timeout.start(1500);
        poll.start(10);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!pendingOuter_) return;
    const QRect outer = *pendingOuter_;
    pendingOuter_.reset();
    setGeometry(outer.marginsRemoved(FrameMargins()));
}

}  // namespace forms
