#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "../ModalScript.h"
#include "Services.h"
#include "Twips.h"
#include "frmKalvex.h"
#include "frmReturn.h"
#include "frmText.h"

namespace {

struct Row {
    const char* name;
    int left, top, width, height;
    const char* caption;  // text of a frame, label, button or option; empty for text boxes
    const char* tip;
};

// The main window's design, in twips, relative to the client area or the frame.
const Row kRows[] = {
    {"fraAddStrings", 120, 120, 4455, 855, "追加文字列", ""},
    {"Label1", 120, 308, 735, 135, "前に追加", ""},
    {"txtAddText_0", 960, 240, 2415, 270, "", "前に追加する文字列を指定してください"},
    {"txtHStart", 3360, 240, 495, 270, "", "前に追加する文字の開始桁数を指定できます"},
    {"cmdAddTab_0", 3840, 240, 495, 255, "Tab", "タブを追加します"},
    {"Label2", 120, 548, 1215, 135, "後ろに追加", ""},
    {"txtAddText_1", 960, 480, 2415, 270, "", "後ろに追加する文字列を追加してください"},
    {"txtTStart", 3360, 480, 495, 270, "", "後ろに追加する文字の開始桁数を指定できます"},
    {"cmdAddTab_1", 3840, 480, 495, 255, "Tab", "タブを追加します"},
    {"fraOption", 120, 1080, 4455, 975, "エスケープ処理", ""},
    {"optDblCote_0", 120, 240, 975, 165, "変換なし", "エスケープ処理を行いません"},
    {"optDblCote_1", 120, 480, 2175, 165, "[\"] ⇒ [\"\"] （VB,ASP向け）", "ASP用エスケープ処理"},
    {"optDblCote_2", 120, 720, 2895, 165, "[\"] ⇒ [\\\"]  [\\]⇒[\\\\]（C,JAVA向け）",
     "JSP用エスケープ処理"},
    {"cmdAdd", 2040, 2160, 1215, 375, "編集", "編集を行います"},
    {"cmdEnd", 3240, 2160, 1215, 375, "終了", "終了します"},
};

QString Caption(QWidget* w) {
    if (auto* frame = qobject_cast<QGroupBox*>(w)) return frame->title();
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
    return {};
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QApplication::setFont(forms::JapaneseFont(forms::Face::PGothic, 9));
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void init() {
        ends_ = 0;
        forms::SetEndAction([this] { ++ends_; });
        main_ = slot_.Get();
        QTRY_VERIFY(Input());
        QTRY_VERIFY(Input()->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(main_));
    }
    void cleanup() {
        modal_.Reset();
        if (frmKalvex* main = slot_.Existing()) main->Unload();
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void controlsStandWhereDesigned() {
        QCOMPARE(main_->windowTitle(), QStringLiteral("Kalvex"));
        QCOMPARE(main_->centralWidget()->size(), forms::PxSize(4710, 2625));
        QCOMPARE(main_->minimumSize(), main_->maximumSize());  // fixed size
        QVERIFY(main_->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(main_->windowFlags() & Qt::WindowMaximizeButtonHint));
        for (const Row& row : kRows) {
            QWidget* w = Find<QWidget>(row.name);
            const QRect design = forms::PxRect(row.left, row.top, row.width, row.height);
            const QRect at = w->geometry();
            QCOMPARE(at.left(), design.left());
            QCOMPARE(at.width(), design.width());
            if (qobject_cast<QLabel*>(w) || qobject_cast<QRadioButton*>(w)) {
                // Grown to fit their text, about the design's top or centre.
                QVERIFY2(at.height() >= design.height(), row.name);
                QVERIFY2(qAbs(at.center().y() - design.center().y()) <= 3, row.name);
            } else {
                QCOMPARE(at, design);
            }
            QCOMPARE(Caption(w), QString::fromUtf8(row.caption));
            QCOMPARE(w->toolTip(), QString::fromUtf8(row.tip));
            QVERIFY2(!w->accessibleName().isEmpty(), row.name);
        }
        QCOMPARE(Find<QWidget>("Label1")->parentWidget(), Find<QWidget>("fraAddStrings"));
        QCOMPARE(Find<QWidget>("optDblCote_2")->parentWidget(), Find<QWidget>("fraOption"));
    }

    void fontsFollowTheControlKind() {
        for (const char* name : {"txtAddText_0", "txtHStart", "txtAddText_1", "txtTStart"}) {
            QCOMPARE(Find<QWidget>(name)->font().pointSizeF(), 9.0);
            QVERIFY(Find<QWidget>(name)->font().families().contains(QStringLiteral("IPAGothic")));
        }
        for (const char* name : {"fraAddStrings", "Label1", "Label2", "fraOption", "optDblCote_0",
                                 "optDblCote_1", "optDblCote_2", "cmdAdd", "cmdEnd"}) {
            QCOMPARE(Find<QWidget>(name)->font().pointSizeF(), 8.25);
            QVERIFY(Find<QWidget>(name)->font().families().contains(QStringLiteral("IPAPGothic")));
        }
        QCOMPARE(Find<QWidget>("cmdAddTab_0")->font(), QApplication::font());
    }

    void menusAreTheDesignedOnes() {
        QString menus;
        for (QAction* menu : main_->menuBar()->actions()) {
            menus += menu->text() + u'[';
            for (QAction* item : menu->menu()->actions()) {
                menus += item->text() + u';';
                QVERIFY(item->shortcut().isEmpty());
            }
            menus += u']';
        }
        QCOMPARE(menus, QStringLiteral("ファイル(&F)[終了(&E);]ヘルプ(&H)[Kalvexについて;]"));
    }

    void startsEmptyWithFocusOnTheHead() {
        QCOMPARE(QApplication::focusWidget(), Find<QWidget>("txtAddText_0"));
        for (const char* name : {"txtAddText_0", "txtAddText_1", "txtHStart", "txtTStart"})
            QVERIFY(Find<QLineEdit>(name)->text().isEmpty());
        QVERIFY(!Find<QLineEdit>("txtHStart")->isEnabled());
        QVERIFY(!Find<QLineEdit>("txtTStart")->isEnabled());
        QVERIFY(Find<QRadioButton>("optDblCote_0")->isChecked());
        QCOMPARE(InputBox()->toPlainText(), QString());
    }

    void tabWalksTheDesignedOrder() {
        Find<QLineEdit>("txtAddText_0")->setText(QStringLiteral("h"));
        Find<QLineEdit>("txtAddText_1")->setText(QStringLiteral("t"));
        Find<QWidget>("txtAddText_0")->setFocus();
        QStringList walked;
        for (int i = 0; i < 10; ++i) {
            walked << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(walked, (QStringList{"txtAddText_0", "txtHStart", "cmdAddTab_0", "txtAddText_1",
                                      "txtTStart", "cmdAddTab_1", "optDblCote_0", "cmdAdd",
                                      "cmdEnd", "txtAddText_0"}));
    }

    void columnFieldsFollowTheirStrings() {
        auto* head = Find<QLineEdit>("txtAddText_0");
        auto* column = Find<QLineEdit>("txtHStart");
        head->setFocus();
        QTest::keyClicks(head, QStringLiteral("o"));
        QVERIFY(column->isEnabled());
        QTest::keyClicks(column, QStringLiteral("12"));
        head->setFocus();
        QTest::keyClick(head, Qt::Key_Backspace);
        QVERIFY(!column->isEnabled());
        QCOMPARE(column->text(), QStringLiteral("12"));  // kept while disabled
        QVERIFY(!Find<QLineEdit>("txtTStart")->isEnabled());
    }

    void tabButtonsAppendTabs() {
        auto* tail = Find<QLineEdit>("txtAddText_1");
        QTest::mouseClick(Find<QPushButton>("cmdAddTab_1"), Qt::LeftButton);
        QTest::mouseClick(Find<QPushButton>("cmdAddTab_1"), Qt::LeftButton);
        QCOMPARE(tail->text(), QStringLiteral("\t\t"));
        QVERIFY(Find<QLineEdit>("txtTStart")->isEnabled());
        QCOMPARE(Find<QLineEdit>("txtAddText_0")->text(), QString());
    }

    void columnFieldsTakeThreeRightAlignedCharacters() {
        auto* column = Find<QLineEdit>("txtTStart");
        Find<QLineEdit>("txtAddText_1")->setText(QStringLiteral(";"));
        column->setFocus();
        QTest::keyClicks(column, QStringLiteral("1234"));
        QCOMPARE(column->text(), QStringLiteral("123"));
        QVERIFY(column->alignment() & Qt::AlignRight);
        QVERIFY(!column->testAttribute(Qt::WA_InputMethodEnabled));
    }

    void enterRunsTheEditExceptOnAButton() {
        auto* head = Find<QLineEdit>("txtAddText_0");
        head->setText(QStringLiteral("<"));
        Find<QLineEdit>("txtAddText_1")->setText(QStringLiteral(">"));
        Find<QRadioButton>("optDblCote_2")->setChecked(true);
        InputBox()->setPlainText(QStringLiteral("a\"b\nc\\d"));
        QString shown;
        bool modalOverBoth = false;
        modal_.When<frmReturn>([&](frmReturn* form) {
            shown = form->WholeText();
            modalOverBoth =
                form->windowModality() == Qt::ApplicationModal && form->parentWidget() == main_;
            form->Unload();
        });
        head->setFocus();
        QTest::keyClick(head, Qt::Key_Return);
        QCOMPARE(shown, QStringLiteral("<a\\\"b>\r\n<c\\\\d>\r\n"));
        QVERIFY(modalOverBoth);

        // A focused push button takes Enter itself.
        auto* tab = Find<QPushButton>("cmdAddTab_0");
        tab->setFocus();
        QTest::keyClick(tab, Qt::Key_Return);
        QCOMPARE(head->text(), QStringLiteral("<\t"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void disabledBadFieldReportsAndLeavesTheFocus() {
        auto* head = Find<QLineEdit>("txtAddText_0");
        head->setText(QStringLiteral("x"));
        Find<QLineEdit>("txtHStart")->setText(QStringLiteral("a"));
        head->clear();  // the field keeps "a" but is now disabled
        auto* option = Find<QRadioButton>("optDblCote_1");
        option->setFocus();
        int messages = 0;
        modal_.When<QMessageBox>([&](QMessageBox* box) {
            ++messages;
            box->accept();
        });
        QTest::keyClick(option, Qt::Key_Return);
        QCOMPARE(messages, 1);
        QCOMPARE(main_->focusWidget(), option);
    }

    void inputWindowDocksAndKeepsItsPlace() {
        frmText* input = Input();
        QCOMPARE(input->windowTitle(), QStringLiteral("Text([Esc]でクリア)"));
        QCOMPARE(InputBox()->accessibleName(), input->windowTitle());
        const QRect mainFrame = main_->frameGeometry();
        const QRect inputFrame = input->frameGeometry();
        QCOMPARE(inputFrame.left(), mainFrame.right() + 1);
        QCOMPARE(inputFrame.top(), mainFrame.top());
        QCOMPARE(inputFrame.size(), mainFrame.size());
        QCOMPARE(InputBox()->geometry(), input->centralWidget()->rect());

        main_->move(main_->pos() + QPoint(40, 30));
        QTRY_COMPARE(main_->frameGeometry().topLeft(), mainFrame.topLeft() + QPoint(40, 30));
        QCOMPARE(input->frameGeometry(), inputFrame);

        input->resize(500, 400);
        QTRY_COMPARE(input->centralWidget()->width(), 500);
        QCOMPARE(InputBox()->size(), input->centralWidget()->size());
    }

    void minimizeAndRestoreAreMirrored() {
        main_->SetState(forms::kMinimized);
        QTRY_VERIFY(Input()->isMinimized());
        main_->SetState(forms::kNormal);
        QTRY_VERIFY(!Input()->isMinimized());
        QVERIFY(Input()->isVisible());
    }

    void escAndClearEmptyTheTextAndUndoBringsItBack() {
        QPlainTextEdit* box = InputBox();
        Input()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Input()));
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("keep me"));
        QTest::keyClick(box, Qt::Key_Escape);
        QCOMPARE(box->toPlainText(), QString());
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->toPlainText(), QStringLiteral("keep me"));

        Input()->findChild<QAction*>(QStringLiteral("mnuClear"))->trigger();
        QCOMPARE(box->toPlainText(), QString());

        box->setPlainText(QStringLiteral("x"));
        box->clearFocus();
        QTest::keyClick(Input(), Qt::Key_Escape);  // no control has the focus
        QCOMPARE(box->toPlainText(), QString());
    }

    void pastedLineEndsBecomeCrLf_data() {
        QTest::addColumn<QString>("pasted");
        QTest::newRow("LF") << QStringLiteral("<p>\n  あ\n\n");
        QTest::newRow("CR LF") << QStringLiteral("<p>\r\n  あ\r\n\r\n");
    }
    void pastedLineEndsBecomeCrLf() {
        QFETCH(QString, pasted);
        QPlainTextEdit* box = InputBox();
        Input()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Input()));
        box->setFocus();
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(QString::fromStdU16String(Input()->Text()), QStringLiteral("<p>\r\n  あ\r\n\r\n"));
        QCOMPARE(main_->GatherRequest().text, u"<p>\r\n  あ\r\n\r\n");
    }

    void pasteReplacesTheSelectionAndUndoesAsOneStep() {
        QPlainTextEdit* box = InputBox();
        Input()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Input()));
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("keep this end"));
        QTextCursor cursor = box->textCursor();
        cursor.setPosition(5);
        cursor.setPosition(9, QTextCursor::KeepAnchor);
        box->setTextCursor(cursor);
        QGuiApplication::clipboard()->setText(QStringLiteral("one\ntwo"));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(QString::fromStdU16String(Input()->Text()), QStringLiteral("keep one\r\ntwo end"));
        QCOMPARE(box->textCursor().position(), 12);  // after the pasted text
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(QString::fromStdU16String(Input()->Text()), QStringLiteral("keep this end"));
    }

    void noBreakSpacesAndShiftEnterStayPlain() {
        QPlainTextEdit* box = InputBox();
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("a\u00a0b"));
        QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(box, QStringLiteral("c"));
        QCOMPARE(QString::fromStdU16String(Input()->Text()), QStringLiteral("a\u00a0b\r\nc"));
    }

    void closingTheMainWindowLeavesNothingBehind() {
        // A failed Edit leaves the result window created and hidden.
        Find<QLineEdit>("txtAddText_0")->setText(QStringLiteral("x"));
        Find<QLineEdit>("txtHStart")->setText(QStringLiteral("z"));
        modal_.When<QMessageBox>([](QMessageBox* box) { box->accept(); });
        QTest::mouseClick(Find<QPushButton>("cmdAdd"), Qt::LeftButton);
        QVERIFY(main_->findChild<frmReturn*>());
        main_->close();
        QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
        QCOMPARE(ends_, 0);
    }

    void endButtonAndMenuEndAtOnce() {
        QTest::mouseClick(Find<QPushButton>("cmdEnd"), Qt::LeftButton);
        QCOMPARE(ends_, 1);
        main_->findChild<QAction*>(QStringLiteral("mnuEnd"))->trigger();
        QCOMPARE(ends_, 2);
        QVERIFY(Input()->isVisible());  // End itself hides; no unload step ran
    }

  private:
    template <class T>
    T* Find(const char* name) {
        T* w = main_->findChild<T*>(QString::fromUtf8(name));
        if (!w) qFatal("no control %s", name);
        return w;
    }
    frmText* Input() { return main_->findChild<frmText*>(); }
    QPlainTextEdit* InputBox() {
        return Input()->findChild<QPlainTextEdit*>(QStringLiteral("txtText"));
    }

    forms::FormSlot<frmKalvex> slot_;
    frmKalvex* main_ = nullptr;
    ModalScript modal_;
    int ends_ = 0;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
