#include "frmText.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "Services.h"
#include "TextBox.h"
#include "Twips.h"

namespace {
constexpr int kDesignClientWidth = 5265;
constexpr int kDesignClientHeight = 3990;
}  // namespace

// A companion of the main window: no close box or system menu, no taskbar button of its
// own, but sizable and movable.
frmText::frmText(forms::Form* main)
    : forms::Form(main, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), main_(main) {
    setObjectName(QStringLiteral("frmText"));
    setWindowTitle(QStringLiteral("Text([Esc]でクリア)"));
    // The main window keeps the keyboard when this window appears at start.
    setAttribute(Qt::WA_ShowWithoutActivating);

    mnuClear = menuBar()->addAction(QStringLiteral("クリア(&C)"));
    mnuClear->setObjectName(QStringLiteral("mnuClear"));
    connect(mnuClear, &QAction::triggered, this, &frmText::mnuClear_Click);

    txtText = text_windows::NewMultiLineBox(Client(), QStringLiteral("txtText"));
    txtText->setPlainText(QStringLiteral("Text1"));
    txtText->setAccessibleName(windowTitle());
    forms::OnKeyDown(txtText, [this](QKeyEvent* e) { return txtText_KeyDown(e); });

    SetClientSize(kDesignClientWidth, kDesignClientHeight, false);
}

std::u16string frmText::Text() const { return text_windows::U16TextWithCrLf(txtText); }

void frmText::Form_Load() {
    txtText->setPlainText(QString());
    DockBesideMain();
}

void frmText::Form_Resize() {
    if (State() == forms::kNormal) FitTextBox();
}

bool frmText::Form_KeyDown(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape) return false;
    ClearText();
    return true;
}

void frmText::closeEvent(QCloseEvent* event) {
    // Only the main window closes this one; a close from the window manager is refused.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    forms::Form::closeEvent(event);
}

void frmText::DockBesideMain() {
    Move(main_->Left() + main_->Width(), main_->Top(), main_->Width(), main_->Height());
    txtText->move(forms::Px(ScaleLeft()), forms::Px(ScaleTop()));
    FitTextBox();
}

void frmText::FitTextBox() { txtText->resize(forms::Px(ScaleWidth()), forms::Px(ScaleHeight())); }

// Undoable, so that Ctrl+Z brings back a text cleared by mistake.
void frmText::ClearText() {
    QTextCursor cursor(txtText->document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
}

bool frmText::txtText_KeyDown(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        ClearText();
        return true;
    }
    // Shift+Enter would insert a soft line separator that looks like a line break but is
    // not one; make every visible line break a real one.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ShiftModifier)) {
        txtText->insertPlainText(QStringLiteral("\n"));
        return true;
    }
    return false;
}

void frmText::mnuClear_Click() { ClearText(); }
