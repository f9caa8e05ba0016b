// A user's session with the real windows on the offscreen platform: paste into the input
// window, fill the main window, press 編集 and copy the result with Ctrl+C.
#pragma once

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <optional>

#include "../ModalScript.h"
#include "Services.h"
#include "frmKalvex.h"
#include "frmReturn.h"
#include "frmText.h"
#include "modConvert.h"

// Runs the event loop until ready() holds or timeoutMs have passed; true when it held.
template <class Ready>
bool WaitUntil(Ready ready, int timeoutMs = 5000) {
    QElapsedTimer waited;
    waited.start();
    while (!ready()) {
        if (waited.elapsed() > timeoutMs) return false;
        QTest::qWait(5);
    }
    return true;
}

class KalvexSession {
  public:
    // Starts the program's windows; false when they did not come up.
    bool Start() {
        QApplication::setQuitOnLastWindowClosed(false);
        forms::SetEndAction([] {});
        main_ = slot_.Get();
        return WaitUntil([this] { return Input() && Input()->isVisible(); }) &&
               QTest::qWaitForWindowActive(main_);
    }

    void Finish() {
        modal_.Reset();
        if (frmKalvex* main = slot_.Existing()) main->Unload();
        WaitUntil([] { return QApplication::topLevelWidgets().isEmpty(); });
    }

    frmKalvex* Main() const { return main_; }
    frmText* Input() const { return main_->findChild<frmText*>(); }
    QPlainTextEdit* InputBox() const {
        return Input()->findChild<QPlainTextEdit*>(QStringLiteral("txtText"));
    }
    template <class T>
    T* Find(const char* name) const {
        return main_->findChild<T*>(QString::fromUtf8(name));
    }

    // As Ctrl+V in the input box, with text copied from another program.
    void Paste(const QString& text) {
        Input()->activateWindow();
        if (!QTest::qWaitForWindowActive(Input())) qWarning("the input window is not active");
        InputBox()->setFocus();
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(InputBox(), Qt::Key_V, Qt::ControlModifier);
    }

    // head, tail and the escape option (0 none, 1 quote doubling, 2 backslash) as typed and
    // chosen; the column fields only when given.
    void Fill(const QString& head, const QString& tail, int option,
              const QString& hStart = QString(), const QString& tStart = QString()) {
        Find<QLineEdit>("txtAddText_0")->setText(head);
        Find<QLineEdit>("txtAddText_1")->setText(tail);
        Find<QLineEdit>("txtHStart")->setText(hStart);
        Find<QLineEdit>("txtTStart")->setText(tStart);
        Find<QRadioButton>(option == 1   ? "optDblCote_1"
                           : option == 2 ? "optDblCote_2"
                                         : "optDblCote_0")
            ->setChecked(true);
    }

    struct Outcome {
        std::optional<QString> copied;  // what Ctrl+C in the result window put on the clipboard
        QStringList messages;           // texts of the message boxes shown meanwhile
        bool wrapped = false;           // the result box wraps its lines
        int scrollWidth = 0;            // how far the result box scrolls to the side
    };

    // Clicks 編集; in the result window, if one opens, presses Ctrl+C and then Esc.
    Outcome EditAndCopy() {
        Outcome outcome;
        modal_.When<QMessageBox>([&outcome](QMessageBox* box) {
            outcome.messages << box->text();
            box->accept();
        });
        modal_.When<frmReturn>([&outcome](frmReturn* form) {
            auto* box = form->findChild<QPlainTextEdit*>(QStringLiteral("txtReturn"));
            // The box has the keyboard once the window is active, as for the user.
            if (!WaitUntil([box] { return QApplication::focusWidget() == box; }))
                qWarning("the result box did not get the focus");
            QGuiApplication::clipboard()->setText(QStringLiteral("sentinel"));
            QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
            outcome.copied = QGuiApplication::clipboard()->text();
            outcome.wrapped = box->lineWrapMode() != QPlainTextEdit::NoWrap;
            outcome.scrollWidth = box->horizontalScrollBar()->maximum();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QTest::mouseClick(Find<QPushButton>("cmdAdd"), Qt::LeftButton);
        modal_.Reset();
        return outcome;
    }

  private:
    forms::FormSlot<frmKalvex> slot_;
    frmKalvex* main_ = nullptr;
    ModalScript modal_;
};

// What the engine itself makes of text: the result the windows must hand over unchanged.
inline QString Expected(const QString& text, const QString& head, const QString& tail,
                        modConvert::EscapeMode mode, std::int16_t hStart = 0,
                        std::int16_t tStart = 0) {
    return QString::fromStdU16String(modConvert::ConvertLinesAligned(
        mode, text.toStdU16String(), head.toStdU16String(), tail.toStdU16String(), hStart, tStart));
}

// Where two long texts first differ, for a failure message that fits on a screen.
inline QByteArray FirstDifference(const QString& actual, const QString& expected) {
    qsizetype at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    return QStringLiteral("sizes %1 and %2, first difference at %3: got \"%4\", expected \"%5\"")
        .arg(actual.size())
        .arg(expected.size())
        .arg(at)
        .arg(actual.mid(at, 20), expected.mid(at, 20))
        .toUtf8();
}
