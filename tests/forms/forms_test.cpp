// The forms runtime on Qt: every window built from its tables, a form's life, the text boxes' own
// behaviour, large texts and the fixed-pitch face.
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>

#include "about/frmAbout.h"
#include "forms/Guard.h"
#include "forms/Rules.h"
#include "tests/Session.h"
#include "text_windows/frmReturn.h"

namespace {

constexpr forms::Window kProbe{"frmProbe", u"Probe", forms::Border::SizableModal, 3000, 1500};
constexpr forms::Control kProbeControls[] = {
    {"txtLine", forms::Kind::TextBox, {0, 0, 1500, 270}, u"abc"},
    {"txtBox", forms::Kind::MultiLineBox, {0, 300, 3000, 1200}, u""},
};

class Probe : public forms::Form {
  public:
    Probe() : forms::Form(kProbe, kProbeControls, {}) {}
    static inline int loads = 0, unloads = 0;  // of every probe
    forms::Ctl Box() const { return C("txtBox"); }
    void FailOnChange() {
        OnChange("txtBox", [] { throw std::runtime_error("a handler that fails"); });
    }

  protected:
    void Form_Load() override { ++loads; }
    void Form_Unload() override { ++unloads; }
};

using forms::Kind;

}  // namespace

class FormsTest : public QObject {
    Q_OBJECT
  private slots:
    // Each window as the program builds it holds what its tables say: a widget of its kind in
    // its frame at its place, and every menu item where it shows.
    void everyWindowIsBuiltFromItsTables() {
        frmKalvex main;
        frmText input(&main, [](TextCommand) {});
        frmReturn result(&main);
        frmAbout about;
        const char* classes[] = {"QLabel",      "QLineEdit",    "QLineEdit", "QPlainTextEdit",
                                 "QPushButton", "QRadioButton", "QGroupBox", "QLabel"};
        for (const forms::Form* form : {(forms::Form*)&main, (forms::Form*)&input,
                                        (forms::Form*)&result, (forms::Form*)&about}) {
            QWidget* window = static_cast<forms::QtForm&>(form->Native()).Widget();
            for (const forms::Control& design : form->Controls()) {
                auto* widget = window->findChild<QWidget*>(QString::fromUtf8(design.name));
                QVERIFY2(widget && widget->inherits(classes[int(design.kind)]), design.name.data());
                QCOMPARE(widget->parentWidget()->objectName(), QString::fromUtf8(design.frame));
                const QRect at = forms::ToQRect(forms::Px(design.at));
                QCOMPARE(widget->x(), at.x());
                QCOMPARE(widget->width(), at.width());
                if (design.kind != Kind::Label && design.kind != Kind::Option)
                    QCOMPARE(widget->geometry(), at);
            }
            for (const forms::MenuItem& item : form->Menus()) {
                QObject* made = window->findChild<QObject*>(QString::fromUtf8(item.name));
                QVERIFY2(made, item.name.data());
                const auto place = forms::PlaceOf(item, form->Menus(), form->Controls());
                if (place == forms::MenuPlace::Menu) QVERIFY(qobject_cast<QMenu*>(made));
                if (place == forms::MenuPlace::OnBar || place == forms::MenuPlace::Menu)
                    QVERIFY(qobject_cast<QMenuBar*>(made->parent()));
                else
                    QCOMPARE(made->parent()->objectName(), QString::fromUtf8(item.menu));
            }
        }
    }

    void aFormLivesFromFirstUseUntilClosed() {
        Probe::loads = Probe::unloads = 0;
        forms::FormSlot<Probe> slot;
        Probe* first = slot.Get();
        QCOMPARE(slot.Get(), first);
        QCOMPARE(Probe::loads, 1);
        QVERIFY(!Find("frmProbe"));  // loaded, not shown
        QObject scope;
        WhenModal<QWidget>(&scope, "frmProbe", [](QWidget* w) { w->close(); });
        first->ShowModal();  // returns once closed
        QCOMPARE(Probe::unloads, 1);
        QVERIFY(!slot.Existing());
        slot.Get();
        QCOMPARE(Probe::loads, 2);
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

    void aLargeTextFillsTheBoxOnceShownAndReadsBackExactly() {
        Probe probe;
        forms::LargeText text;
        QVERIFY(!text.Resize(std::size_t(1) << 31));  // more than a text box holds
        char16_t* at = text.Resize(5);
        std::copy_n(u"a\rb\r\n", 5, at);
        probe.Box().Fill(text);
        probe.ShowModeless();
        QTRY_COMPARE(Find<QPlainTextEdit>("frmProbe", "txtBox")->blockCount(), 3);
        QVERIFY(!probe.Box().IsModified());
        forms::CopyToClipboard(text);  // as the result window copies a result left untouched
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("a\rb\r\n"));
    }

    void fixedPitchFaceDrawsDoubleWidthAsTwoCells() {
        const QFontMetrics metrics(forms::JapaneseFont({forms::Face::Gothic, 9}));
        QCOMPARE(metrics.horizontalAdvance(u'あ'), 2 * metrics.horizontalAdvance(u'x'));
        QCOMPARE(metrics.horizontalAdvance(u'W'), metrics.horizontalAdvance(u'i'));
    }
};

KALVEX_TEST_MAIN(FormsTest)
#include "forms_test.moc"
