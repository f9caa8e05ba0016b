#include "Form.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenuBar>
#include <QShowEvent>
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
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void Form::ShowModal() {
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &Form::closed, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    const QPointer<Form> self(this);
    ShowModeless();
    if (self && isVisible()) loop.exec(QEventLoop::DialogExec);
}

void Form::Unload() { close(); }

void Form::closeEvent(QCloseEvent* event) {
    Form_Unload();
    QMainWindow::closeEvent(event);
    if (!event->isAccepted()) return;
    closed_ = true;
    emit closed();
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
    SetOuterGeometry(PxRect(left, top, width, height));
}

void Form::SetOuterGeometry(const QRect& outer) {
    setGeometry(outer.marginsRemoved(FrameMargins()));
    if (!isVisible()) pendingOuter_ = outer;
}

// A hidden window has not laid out its client panel yet; its size follows from the window's.
int Form::ScaleWidth() const { return Twips(isVisible() ? client_->width() : width()); }
int Form::ScaleHeight() const {
    return Twips(isVisible() ? client_->height() : height() - MenuHeight());
}

WindowState Form::State() const { return isMinimized() ? kMinimized : kNormal; }

void Form::SetState(WindowState state) {
    if (state == State()) return;
    if (state == kMinimized)
        showMinimized();
    else
        showNormal();
}

void Form::SetClientSize(int width, int height, bool fixed) {
    const QSize size(Px(width), Px(height) + MenuHeight());
    if (fixed)
        setFixedSize(size);
    else
        resize(size);
}

void Form::CentreOver(const QRect& area) {
    QRect outer = geometry().marginsAdded(FrameMargins());
    outer.moveCenter(area.center());
    SetOuterGeometry(outer);
}

void Form::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!onScreen_ && windowHandle()) windowHandle()->installEventFilter(this);
}

// The window manager places and frames a window only once it is mapped; until then its
// outer geometry, and any asked for, is a guess. The first exposure settles both.
bool Form::eventFilter(QObject* watched, QEvent* event) {
    QWindow* window = windowHandle();
    if (watched == window && event->type() == QEvent::Expose && window->isExposed() && !onScreen_) {
        onScreen_ = true;
        window->removeEventFilter(this);
        if (pendingOuter_) {
            setGeometry(pendingOuter_->marginsRemoved(FrameMargins()));
            pendingOuter_.reset();
        }
        emit shownOnScreen();
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace forms
