// The forms runtime on Qt: a failing handler, the text boxes' own behaviour and the fixed-pitch
// face. (What each window holds is read by a screen reader's interface in the e2e session, large
// texts pass through the windows in the session test.)
#include <map>

#include <QFontMetrics>

#include "forms/Guard.h"
#include "forms/Rules.h"
#include "text_windows/frmReturn.h"
#include "tests/Session.h"

namespace {

constexpr forms::Window kProbe{"frmProbe", u"Probe", forms::Border::SizableModal, 3000, 1500};
constexpr forms::Control kProbeControls[] = {
    {"txtLine", forms::Kind::TextBox, {0, 0, 1500, 270}, u"abc"},
    {"txtBox", forms::Kind::MultiLineBox, {0, 300, 3000, 1200}, u""},
};

class Probe : public forms::Form {
  public:
    Probe() : forms::Form(kProbe, kProbeControls, {}) {}
    forms::Ctl Box() const { return C("txtBox"); }
    void FailOnChange() {
        OnChange("txtBox", [] { throw std::runtime_error("a handler that fails"); });
    }
};

}  // namespace

class FormsTest : public QObject {
    Q_OBJECT
  private slots:
    // A letter chooses one item of its menu: no two items of a menu share one, nor one of the
    // toolkit's editing items (U T C P D A) in a context menu.
    void noTwoItemsOfAMenuShareALetter() {
        frmKalvex main;
        frmText input(&main, [](modConvert::Command) {});
        frmReturn result(&main);
        for (const forms::Form* form : {(forms::Form*)&main, (forms::Form*)&input,
                                        (forms::Form*)&result}) {
            std::map<std::string_view, std::u16string> letters;  // of each menu; the bar's ""
            for (const forms::MenuItem& item : form->Menus()) {
                const bool context = forms::PlaceOf(item, form->Menus(), form->Controls()) ==
                                     forms::MenuPlace::ContextMenu;
                std::u16string& used = letters.try_emplace(item.menu, context ? u"UTCPDA" : u"")
                                           .first->second;
                const char16_t letter = forms::LetterOf(item.caption);
                QVERIFY2(!letter || used.find(letter) == used.npos, item.name.data());
                if (letter) used += letter;
            }
        }
    }

    // A handler that fails is dropped with the alert; what the user typed stays.
    void aFailingHandlerAlertsAndKeepsTheText() {
        static int alerts = 0;
        forms::ListenToAlerts([]() noexcept { ++alerts; });
        Probe probe;
        probe.FailOnChange();
        probe.ShowModeless();
        auto* box = Find<QPlainTextEdit>("frmProbe", "txtBox");
        box->setFocus();
        QTest::keyClicks(box, "ab");
        forms::ListenToAlerts(nullptr);
        QCOMPARE(alerts, 2);
        QCOMPARE(box->toPlainText(), QStringLiteral("ab"));
    }

    // A single-line box takes the first line of a paste. Ctrl+Z brings back a page cleared by
    // mistake, but the box does not keep every page of a day's clearing and pasting. A paste
    // goes where the cursor stands.
    void pastesAndUndoInBothKindsOfBox() {
        Probe probe;
        probe.ShowModeless();
        auto paste = [](QWidget* into, const char* text) {
            QGuiApplication::clipboard()->setText(QString::fromLatin1(text));
            QTest::keyClick(into, Qt::Key_V, Qt::ControlModifier);
        };
        auto* line = Find<QLineEdit>("frmProbe", "txtLine");
        line->setCursorPosition(2);
        paste(line, "H1\r\nH2");
        QCOMPARE(line->text(), QStringLiteral("abH1c"));
        auto* box = Find<QPlainTextEdit>("frmProbe", "txtBox");
        box->setFocus();
        for (const char* page : {"one", "two", "ab"}) {
            probe.Box().Clear();
            paste(box, page);
        }
        QVERIFY(box->document()->availableUndoSteps() <= 2);
        QTextCursor cursor = box->textCursor();
        cursor.setPosition(1);
        box->setTextCursor(cursor);
        paste(box, "X");
        QCOMPARE(box->toPlainText(), QStringLiteral("aXb"));
        probe.Box().Clear();
        paste(box, "new");
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->toPlainText(), QStringLiteral("aXb"));
    }

    void fixedPitchFaceDrawsDoubleWidthAsTwoCells() {
        const QFontMetrics metrics(forms::JapaneseFont({forms::Face::Gothic, 9}));
        QCOMPARE(metrics.horizontalAdvance(u'あ'), 2 * metrics.horizontalAdvance(u'x'));
        QCOMPARE(metrics.horizontalAdvance(u'W'), metrics.horizontalAdvance(u'i'));
    }
};

KALVEX_TEST_MAIN(FormsTest)
#include "forms_test.moc"
