#include "frmReturn.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>

#include "Services.h"
#include "TextBox.h"
#include "Twips.h"

namespace {
constexpr int kDesignClientWidth = 4305;
constexpr int kDesignClientHeight = 2805;
}  // namespace

frmReturn::frmReturn(QWidget* owner)
    : forms::Form(owner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                             Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                             Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmReturn"));
    setWindowTitle(QStringLiteral("編集結果([ctrl]+[c]でクリップボードへコピー)"));

    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuQuit = mnuFile->addAction(QStringLiteral("閉じる(&Q)"));
    mnuQuit->setObjectName(QStringLiteral("mnuQuit"));
    QMenu* mnuEdit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuClipCopy = mnuEdit->addAction(QStringLiteral("クリップボードへコピー"));
    mnuClipCopy->setObjectName(QStringLiteral("mnuClipCopy"));
    mnuClipCopy->setShortcut(QKeySequence::Copy);
    connect(mnuQuit, &QAction::triggered, this, &frmReturn::mnuQuit_Click);
    connect(mnuClipCopy, &QAction::triggered, this, &frmReturn::mnuClipCopy_Click);

    txtReturn = text_windows::NewMultiLineBox(Client(), QStringLiteral("txtReturn"));
    // Ctrl+C belongs to the window: it copies the whole text, not the selection.
    forms::YieldShortcutToWindow(txtReturn, QKeySequence::Copy);
    forms::OnKeyDown(txtReturn, [this](QKeyEvent* e) { return txtReturn_KeyDown(e); });

    SetClientSize(kDesignClientWidth, kDesignClientHeight, false);
}

void frmReturn::Form_Load() {
    PlaceResultBox();
    txtReturn->setToolTip(QStringLiteral("[Esc]キー：閉じる"));
    txtReturn->setAccessibleName(txtReturn->toolTip());
}

void frmReturn::Form_Resize() {
    if (State() == forms::kNormal) FitResultBox();
}

void frmReturn::PlaceResultBox() {
    txtReturn->move(forms::Px(ScaleLeft()), forms::Px(ScaleTop()));
    FitResultBox();
}

void frmReturn::FitResultBox() {
    txtReturn->resize(forms::Px(ScaleWidth()), forms::Px(ScaleHeight()));
}

void frmReturn::Clear() {
    presented_.clear();
    txtReturn->clear();
    filled_ = true;
}

void frmReturn::Present(const QString& text, const QWidget* over) {
    presented_ = text;
    filled_ = false;
    if (over)
        CentreOver(over->frameGeometry());
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        CentreOver(screen->availableGeometry());
    ShowModal();
}

// A text box that gets its first size with a text in it makes a layout object for every line
// of it (hundreds of megabytes for a large text); filled once it has its size, it lays out
// only the lines in view.
void frmReturn::showEvent(QShowEvent* event) {
    forms::Form::showEvent(event);
    if (filled_) return;
    // Rather wrapped than cut: a line too wide to scroll along could not be read to its end.
    if (text_windows::HasLineTooWideToScroll(txtReturn, presented_))
        txtReturn->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Into the document itself: the box's own setPlainText would then go over the whole text
    // again to give it the cursor's character format, a fifth more time for a large text.
    txtReturn->document()->setPlainText(presented_);
    txtReturn->document()->setModified(false);
    txtReturn->moveCursor(QTextCursor::Start);
    filled_ = true;
}

QString frmReturn::WholeText() const {
    if (!txtReturn->document()->isModified()) return presented_;
    return text_windows::TextWithCrLf(txtReturn);
}

void frmReturn::mnuQuit_Click() { Unload(); }

void frmReturn::mnuClipCopy_Click() { forms::CopyToClipboard(WholeText()); }

bool frmReturn::txtReturn_KeyDown(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Unload();
        return true;
    }
    // Enter held down for 編集 goes on repeating into this box once it opens: a result not
    // yet touched takes no repeated line break, so the copy stays the converted text.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    return enter && event->isAutoRepeat() && !txtReturn->document()->isModified();
}
