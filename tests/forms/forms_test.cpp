// The forms runtime on its own: the rules the design tables are read by, every window built from
// its tables, a form's life, the text boxes' own behaviour, large texts and the fixed-pitch face.
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>

#include "about/frmAbout.h"
#include "forms/Paste.h"
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
    explicit Probe(int* loads, int* unloads)
        : forms::Form(kProbe, kProbeControls, {}), loads_(loads), unloads_(unloads) {}
    forms::Ctl Box() const { return C("txtBox"); }

  protected:
    void Form_Load() override { ++*loads_; }
    void Form_Unload() override { ++*unloads_; }

  private:
    int* loads_;
    int* unloads_;
};

using forms::Kind;

constexpr forms::Control kRows[] = {
    {"lbl", Kind::Label, {0, 0, 600, 135}, u"", {}, 0},
    {"fra", Kind::Frame, {0, 0, 3000, 900}, u"", {}, 1},
    {"optB", Kind::Option, {0, 480, 900, 165}, u"", {}, 5, {}, "fra"},
    {"optA", Kind::Option, {0, 240, 900, 165}, u"", {}, 4, {}, "fra"},
    {"txt", Kind::TextBox, {0, 0, 900, 270}, u"", {}, 2},
    {"cmdOff", Kind::Button, {0, 0, 900, 375}, u"", {}, 3},
    {"cmdLast", Kind::Button, {0, 0, 900, 375}, u"", {}, 5},
    {"box", Kind::MultiLineBox, {0, 0, 900, 900}, u"", {}, 6},
};

QStringList Names(const std::vector<const forms::Control*>& controls) {
    QStringList names;
    for (const forms::Control* control : controls) names << QString::fromUtf8(control->name);
    return names;
}

QString Name(std::string_view name) { return QString::fromUtf8(name.data(), qsizetype(name.size())); }

}  // namespace

class FormsTest : public QObject {
    Q_OBJECT
  private slots:
    // Tab goes by tab index, table order among equals; an option group is one stop.
    void tabOrderAndOptionGroups() {
        QCOMPARE(Names(forms::TabOrder(kRows)),
                 QStringList({"txt", "cmdOff", "optA", "optB", "cmdLast", "box"}));
        const auto open = [](const forms::Control& c) { return c.name != "cmdOff"; };
        const auto none = [](const forms::Control&) { return false; };
        const auto optB = [](const forms::Control& c) { return c.name == "optB"; };
        QCOMPARE(Names(forms::TabStops(kRows, open, none)),
                 QStringList({"txt", "optA", "cmdLast", "box"}));
        QCOMPARE(Names(forms::TabStops(kRows, open, optB)),
                 QStringList({"txt", "optB", "cmdLast", "box"}));
        QCOMPARE(Names(forms::OptionGroup(kRows, kRows[2], open)), QStringList({"optA", "optB"}));
    }

    void menuTreeAndGrowth() {
        constexpr forms::MenuItem menus[] = {
            {"mnuFile", u""}, {"mnuQuit", u"", "mnuFile"}, {"mnuAlone", u""}, {"mnuRev", u"", "box"}};
        using P = forms::MenuPlace;
        const P places[] = {P::Menu, P::InMenu, P::OnBar, P::ContextMenu};
        for (int i = 0; i < 4; ++i) QCOMPARE(forms::PlaceOf(menus[i], menus, kRows), places[i]);
        // A label grows down; an option about its middle, at most to the 16 pixels options
        // stand apart at; other kinds keep their size.
        const forms::Pixels at{10, 20, 60, 11};
        QVERIFY((forms::GrownToText(kRows[0], at, 14) == forms::Pixels{10, 20, 60, 14}));
        QVERIFY((forms::GrownToText(kRows[2], at, 20) == forms::Pixels{10, 18, 60, 16}));
        QVERIFY((forms::GrownToText(kRows[4], at, 20) == at));
        // Twips to pixels round half away from zero.
        QCOMPARE(QList<int>({forms::Px(7), forms::Px(8), forms::Px(-8), forms::ToTwips(16)}),
                 QList<int>({0, 1, -1, 240}));
    }

    // Each window as the program builds it holds what its tables say: a widget of its kind in
    // its frame at its place, and every menu item where it shows.
    void everyWindowIsBuiltFromItsTables() {
        frmKalvex main;
        frmText input(&main, [](TextCommand) {});
        frmReturn result(&main);
        frmAbout about;
        const char* classes[] = {"QLabel",      "QLineEdit",    "QLineEdit", "QPlainTextEdit",
                                 "QPushButton", "QRadioButton", "QGroupBox"};
        for (const forms::Form* form : {(forms::Form*)&main, (forms::Form*)&input,
                                        (forms::Form*)&result, (forms::Form*)&about}) {
            QWidget* window = static_cast<forms::QtForm&>(form->Native()).Widget();
            for (const forms::Control& design : form->Controls()) {
                auto* widget = window->findChild<QWidget*>(Name(design.name));
                QVERIFY2(widget && widget->inherits(classes[int(design.kind)]), design.name.data());
                QCOMPARE(widget->parentWidget()->objectName(), Name(design.frame));
                const QRect at = forms::ToQRect(forms::Px(design.at));
                QCOMPARE(widget->x(), at.x());
                QCOMPARE(widget->width(), at.width());
                if (design.kind != Kind::Label && design.kind != Kind::Option)
                    QCOMPARE(widget->geometry(), at);
            }
            for (const forms::MenuItem& item : form->Menus()) {
                QObject* made = window->findChild<QObject*>(Name(item.name));
                QVERIFY2(made, item.name.data());
                const auto place = forms::PlaceOf(item, form->Menus(), form->Controls());
                if (place == forms::MenuPlace::Menu) QVERIFY(qobject_cast<QMenu*>(made));
                if (place == forms::MenuPlace::OnBar || place == forms::MenuPlace::Menu)
                    QVERIFY(qobject_cast<QMenuBar*>(made->parent()));
                else
                    QCOMPARE(made->parent()->objectName(), Name(item.menu));
            }
        }
    }

    // Tab visits the main window's stops in the order the rule gives for their state.
    void tabWalksTheMainWindowsStops() {
        Session session;
        const auto widget = [](const forms::Control& c) {
            return Find("frmKalvex", std::string(c.name).c_str());
        };
        const auto stops = forms::TabStops(
            session.Window().Controls(),
            [&](const forms::Control& c) { return widget(c)->isEnabled(); },
            [&](const forms::Control& c) {
                auto* option = qobject_cast<QRadioButton*>(widget(c));
                return option && option->isChecked();
            });
        QVERIFY(stops.size() > 4);
        widget(*stops[0])->setFocus();
        for (std::size_t i = 1; i <= stops.size(); ++i) {
            QTest::keyClick(Session::Main()->focusWidget(), Qt::Key_Tab);
            QCOMPARE(Session::Main()->focusWidget(), widget(*stops[i % stops.size()]));
        }
    }

    void aFormLivesFromFirstUseUntilClosed() {
        int loads = 0, unloads = 0;
        forms::FormSlot<Probe> slot;
        Probe* first = slot.Get(&loads, &unloads);
        QCOMPARE(slot.Get(&loads, &unloads), first);
        QCOMPARE(loads, 1);
        QVERIFY(!Find("frmProbe"));  // loaded, not shown
        QObject scope;
        WhenModal<QWidget>(&scope, "frmProbe", [](QWidget* w) { w->close(); });
        first->ShowModal();  // returns once closed
        QCOMPARE(unloads, 1);
        QVERIFY(!slot.Existing());
        slot.Get(&loads, &unloads);
        QCOMPARE(loads, 2);
    }

    // Every way of pasting into a box ends in these two rules.
    void pastedTextPerKindOfBox_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<QString>("crLf");
        QTest::newRow("empty") << "" << "" << "";
        QTest::newRow("no break") << "out.println(\"" << "out.println(\"" << "out.println(\"";
        QTest::newRow("break first") << "\r\nx" << "" << "\r\nx";
        QTest::newRow("lone CR") << "a\rb" << "a" << "a\r\nb";
        QTest::newRow("lone LF, LF last") << "a\nb\n" << "a" << "a\r\nb\r\n";
        QTest::newRow("CR LF, then LF CR") << "a\r\nb\n\rc" << "a" << "a\r\nb\r\n\r\nc";
        QTest::newRow("paragraph separator") << "a\u2029b" << "a\u2029b" << "a\r\nb";
    }
    void pastedTextPerKindOfBox() {
        QFETCH(QString, text);
        QFETCH(QString, firstLine);
        QFETCH(QString, crLf);
        QCOMPARE(QString::fromStdU16String(forms::FirstLine(text.toStdU16String())), firstLine);
        QCOMPARE(QString::fromStdU16String(forms::WithCrLf(text.toStdU16String())), crLf);
    }

    void singleLineBoxTakesTheFirstLineOfAPaste() {
        int n = 0;
        Probe probe(&n, &n);
        probe.ShowModeless();
        auto* line = Find<QLineEdit>("frmProbe", "txtLine");
        line->setCursorPosition(2);
        QGuiApplication::clipboard()->setText(QStringLiteral("H1\r\nH2"));
        QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(line->text(), QStringLiteral("abH1c"));
    }

    // Ctrl+Z brings back a page cleared by mistake, but the box does not keep every page of a
    // day's clearing and pasting; a paste still goes where the cursor stands.
    void undoBringsBackTheClearedPageOnly() {
        int n = 0;
        Probe probe(&n, &n);
        probe.ShowModeless();
        auto* box = Find<QPlainTextEdit>("frmProbe", "txtBox");
        box->setFocus();
        auto paste = [box](const char* text) {
            QGuiApplication::clipboard()->setText(QString::fromLatin1(text));
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        };
        for (const char* page : {"one", "two", "ab"}) {
            probe.Box().Clear();
            paste(page);
        }
        QVERIFY(box->document()->availableUndoSteps() <= 2);
        QTextCursor cursor = box->textCursor();
        cursor.setPosition(1);
        box->setTextCursor(cursor);
        paste("X");
        QCOMPARE(box->toPlainText(), QStringLiteral("aXb"));
        probe.Box().Clear();
        paste("new");
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->toPlainText(), QStringLiteral("aXb"));
    }

    void aLargeTextFillsTheBoxOnceShownAndReadsBackExactly() {
        int n = 0;
        Probe probe(&n, &n);
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
