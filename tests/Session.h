// The program's real windows on Qt's offscreen platform, driven as a user would: keys and
// clicks, the clipboard, modal windows answered from inside their own event loops.
#pragma once

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <optional>

#include "engine/modConvert.h"
#include "forms/App.h"
#include "forms/qt/NativeForm.h"
#include "main_window/frmKalvex.h"

// Runs a test class in a program started as Kalvex starts: default font, icon, name.
#define KALVEX_TEST_MAIN(TestClass)               \
    int main(int argc, char* argv[]) {            \
        forms::Application app(argv[0]);          \
        TestClass test;                           \
        return QTest::qExec(&test, argc, argv);   \
    }

// The widget named name in the visible window named window.
template <class T = QWidget>
T* Find(const char* window, const char* name = nullptr) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() != QLatin1String(window) || !top->isVisible()) continue;
        return name ? top->findChild<T*>(QLatin1String(name)) : qobject_cast<T*>(top);
    }
    return nullptr;
}

// Runs action, from inside its event loop, on the next modal widget of type T to come up
// (named name, if given), as long as owner lives.
template <class T>
void WhenModal(QObject* owner, const char* name, std::function<void(T*)> action) {
    auto* timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, [timer, name, action] {
        auto* widget = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!widget || !widget->isVisible() || (name && widget->objectName() != name)) return;
        timer->stop();
        action(widget);
    });
    timer->start(5);
}

// What the engine itself makes of a text: what the windows must hand over unchanged.
inline QString Expected(const QString& text, const QString& head, const QString& tail, int mode,
                        int hStart = 0, int tStart = 0) {
    return QString::fromStdU16String(modConvert::ConvertLinesAligned(
        std::int16_t(mode), text.toStdU16String(), head.toStdU16String(), tail.toStdU16String(),
        std::int16_t(hStart), std::int16_t(tStart)));
}

class Session {
  public:
    Session() {
        QApplication::setQuitOnLastWindowClosed(false);
        slot_.Get();
        QTRY_VERIFY(Input() && Input()->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(Main()));
    }
    ~Session() {
        for (int i = 0; i < 10 && QApplication::activeModalWidget(); ++i)
            QApplication::activeModalWidget()->close();
        if (frmKalvex* main = slot_.Existing()) main->Unload();
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    frmKalvex& Window() { return *slot_.Existing(); }
    static QWidget* Main() { return Find("frmKalvex"); }
    static QPlainTextEdit* Input() { return Find<QPlainTextEdit>("frmText", "txtText"); }
    static QLineEdit* Field(const char* name) { return Find<QLineEdit>("frmKalvex", name); }

    // As Ctrl+V in the input box, with text copied from another program.
    static void Paste(const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        Input()->setFocus();
        QTest::keyClick(Input(), Qt::Key_V, Qt::ControlModifier);
    }

    // Head, tail, escape option (0 none, 1 quote doubling, 2 backslash) and column fields.
    static void Fill(const QString& head, const QString& tail, int option,
                     const QString& hStart = {}, const QString& tStart = {}) {
        Field("txtAddText_0")->setText(head);
        Field("txtAddText_1")->setText(tail);
        Field("txtHStart")->setText(hStart);
        Field("txtTStart")->setText(tStart);
        QTest::mouseClick(Find("frmKalvex", ("optDblCote_" + std::to_string(option)).c_str()),
                          Qt::LeftButton, {}, QPoint(4, 4));
    }

    struct Outcome {
        std::optional<QString> copied;  // what Ctrl+C in the result window put on the clipboard
        QStringList messages;           // message boxes shown meanwhile
        bool wrapped = false;           // the result box wraps its lines
    };

    // Presses Enter in the head field, or chooses the input box's item; in the result window, if
    // one opens, Ctrl+C, then Esc.
    static Outcome EditAndCopy(std::string_view item = {}) {
        Outcome outcome;
        QObject scope;
        WhenModal<QMessageBox>(&scope, nullptr, [&outcome](QMessageBox* box) {
            outcome.messages << box->text();
            box->accept();
        });
        WhenModal<QWidget>(&scope, "frmReturn", [&outcome](QWidget* form) {
            auto* box = form->findChild<QPlainTextEdit*>(QStringLiteral("txtReturn"));
            QTRY_COMPARE(QApplication::focusWidget(), box);
            QGuiApplication::clipboard()->setText(QStringLiteral("sentinel"));
            QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
            outcome.copied = QGuiApplication::clipboard()->text();
            outcome.wrapped = box->lineWrapMode() != QPlainTextEdit::NoWrap;
            QTest::keyClick(box, Qt::Key_Escape);
        });
        if (!item.empty()) return Find<QAction>("frmText", item.data())->trigger(), outcome;
        Field("txtAddText_0")->setFocus();
        QTest::keyClick(Field("txtAddText_0"), Qt::Key_Return);
        return outcome;
    }

  private:
    forms::FormSlot<frmKalvex> slot_;
};
