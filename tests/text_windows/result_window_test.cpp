#include <QApplication>
#include <QClipboard>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>

#include "../ModalScript.h"
#include "Form.h"
#include "Twips.h"
#include "frmReturn.h"

class ResultWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        owner_ = std::make_unique<QWidget>();
        owner_->setGeometry(200, 150, 400, 300);
        owner_->show();
        QGuiApplication::clipboard()->setText(QStringLiteral("sentinel"));
    }
    void cleanup() {
        modal_.Reset();
        owner_.reset();
    }

    void designMatchesTheWindowTable() {
        QString title, tip, font, menus, accessible;
        QSize client, box;
        QPoint boxAt;
        bool wraps = true, maximizable = true, minimizable = false, editable = false;
        Qt::ScrollBarPolicy horizontal = Qt::ScrollBarAsNeeded;
        QKeySequence copyKeys;
        QPoint centre, ownerCentre = owner_->frameGeometry().center();
        modal_.When<frmReturn>([&](frmReturn* form) {
            auto* text = Box(form);
            title = form->windowTitle();
            client = form->centralWidget()->size();
            box = text->size();
            boxAt = text->pos();
            tip = text->toolTip();
            accessible = text->accessibleName();
            font = text->font().family();
            wraps = text->lineWrapMode() != QPlainTextEdit::NoWrap;
            horizontal = text->horizontalScrollBarPolicy();
            editable = !text->isReadOnly();
            maximizable = form->windowFlags() & Qt::WindowMaximizeButtonHint;
            minimizable = form->windowFlags() & Qt::WindowMinimizeButtonHint;
            for (QAction* menu : form->menuBar()->actions()) {
                menus += menu->text() + u'[';
                for (QAction* item : menu->menu()->actions()) menus += item->text() + u';';
                menus += u']';
            }
            copyKeys = form->findChild<QAction*>(QStringLiteral("mnuClipCopy"))->shortcut();
            centre = form->frameGeometry().center();
            form->Unload();
        });
        Present(QStringLiteral("x\r\n"));
        QCOMPARE(title, QStringLiteral("編集結果([ctrl]+[c]でクリップボードへコピー)"));
        QCOMPARE(client, forms::PxSize(4305, 2805));
        QCOMPARE(box, client);
        QCOMPARE(boxAt, QPoint(0, 0));
        QCOMPARE(tip, QStringLiteral("[Esc]キー：閉じる"));
        QCOMPARE(accessible, tip);
        QVERIFY2(
            font.contains(QStringLiteral("Gothic")) || font.contains(QStringLiteral("ゴシック")),
            qPrintable(font));
        QVERIFY(!wraps);
        QCOMPARE(horizontal, Qt::ScrollBarAlwaysOn);
        QVERIFY(editable);
        QVERIFY(!maximizable);
        QVERIFY(minimizable);
        QCOMPARE(menus,
                 QStringLiteral("ファイル(&F)[閉じる(&Q);]編集(&E)[クリップボードへコピー;]"));
        QCOMPARE(copyKeys, QKeySequence(QKeySequence::Copy));
        QVERIFY2((centre - ownerCentre).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2 vs %3,%4")
                                .arg(centre.x())
                                .arg(centre.y())
                                .arg(ownerCentre.x())
                                .arg(ownerCentre.y())));
    }

    void ctrlCCopiesTheWholeTextWhateverIsSelected() {
        modal_.When<frmReturn>([](frmReturn* form) {
            if (!QTest::qWaitForWindowActive(form)) return form->Unload();  // fails below
            QPlainTextEdit* text = Box(form);
            QTextCursor cursor = text->textCursor();
            cursor.setPosition(2);
            cursor.setPosition(5, QTextCursor::KeepAnchor);  // a partial selection
            text->setTextCursor(cursor);
            text->setFocus();
            QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
            form->Unload();
        });
        Present(QStringLiteral("line one\r\nline two\r\n"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("line one\r\nline two\r\n"));
    }

    void theUsersEditsAreWhatIsCopied() {
        modal_.When<frmReturn>([](frmReturn* form) {
            if (!QTest::qWaitForWindowActive(form)) return form->Unload();  // fails below
            QPlainTextEdit* text = Box(form);
            text->setFocus();
            text->moveCursor(QTextCursor::Start);
            QTest::keyClicks(text, QStringLiteral("// "));
            QTest::keyClick(text, Qt::Key_C, Qt::ControlModifier);
            form->Unload();
        });
        Present(QStringLiteral("a\r\nb\r\n"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("// a\r\nb\r\n"));
    }

    void enterHeldDownLeavesAnUntouchedResultAlone() {
        QString held, typed;
        modal_.When<frmReturn>([&](frmReturn* form) {
            QPlainTextEdit* text = Box(form);
            const auto press = [text](bool repeated) {
                QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r", repeated);
                QApplication::sendEvent(text, &key);
            };
            press(true);  // repeats of the Enter that ran 編集
            press(true);
            held = form->WholeText();
            press(false);  // the user's own Enter, then holding it down
            press(true);
            typed = form->WholeText();
            form->Unload();
        });
        Present(QStringLiteral("a\r\n"));
        QCOMPARE(held, QStringLiteral("a\r\n"));
        QCOMPARE(typed, QStringLiteral("\r\n\r\na\r\n"));
    }

    void unchangedTextIsCopiedExactly() {
        // A lone CR shows as a line break in the box, yet belongs inside its line.
        const QString converted = QStringLiteral("a\rb\u00a0\r\n\r\n");
        modal_.When<frmReturn>([](frmReturn* form) {
            form->findChild<QAction*>(QStringLiteral("mnuClipCopy"))->trigger();
            form->Unload();
        });
        Present(converted);
        QCOMPARE(QGuiApplication::clipboard()->text(), converted);
    }

    void emptyResultLeavesAnEmptyClipboard() {
        modal_.When<frmReturn>([](frmReturn* form) {
            form->findChild<QAction*>(QStringLiteral("mnuClipCopy"))->trigger();
            form->Unload();
        });
        Present(QString());
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
    }

    void escInTheBoxAndTheMenuClose() {
        modal_.When<frmReturn>([](frmReturn* form) { QTest::keyClick(Box(form), Qt::Key_Escape); });
        Present(QStringLiteral("x"));  // returns only once the window is closed
        QTRY_VERIFY(!slot_.Existing());
        modal_.When<frmReturn>([](frmReturn* form) {
            form->findChild<QAction*>(QStringLiteral("mnuQuit"))->trigger();
        });
        Present(QStringLiteral("x"));
        QTRY_VERIFY(!slot_.Existing());
    }

    void boxFollowsResizesAndNextWindowHasDesignSize() {
        QSize fitted, client, refitted, restoredClient;
        modal_.When<frmReturn>([&](frmReturn* form) {
            form->resize(500, 420);
            QTRY_COMPARE(form->centralWidget()->width(), 500);
            fitted = Box(form)->size();
            client = form->centralWidget()->size();
            form->SetState(forms::kMinimized);
            form->resize(450, 350);
            form->SetState(forms::kNormal);
            QTRY_VERIFY(!form->isMinimized());
            refitted = Box(form)->size();
            restoredClient = form->centralWidget()->size();
            form->Unload();
        });
        Present(QStringLiteral("x"));
        QCOMPARE(fitted, client);
        QCOMPARE(refitted, restoredClient);
        QTRY_VERIFY(!slot_.Existing());

        QSize next;
        modal_.When<frmReturn>([&](frmReturn* form) {
            next = form->centralWidget()->size();
            form->Unload();
        });
        Present(QStringLiteral("y"));
        QCOMPARE(next, forms::PxSize(4305, 2805));
    }

  private:
    static QPlainTextEdit* Box(frmReturn* form) {
        return form->findChild<QPlainTextEdit*>(QStringLiteral("txtReturn"));
    }
    void Present(const QString& text) {
        frmReturn* form = slot_.Get(owner_.get());
        form->Clear();
        form->Present(text, owner_.get());
    }

    std::unique_ptr<QWidget> owner_;
    forms::FormSlot<frmReturn> slot_;
    ModalScript modal_;
};

QTEST_MAIN(ResultWindowTest)
#include "result_window_test.moc"
