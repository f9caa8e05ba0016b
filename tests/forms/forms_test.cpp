// The forms runtime on its own: a form's life, the text boxes' own behaviour, large texts, fonts
// and application information.
#include <QFileInfo>
#include <QFontMetrics>

#include "forms/Paste.h"
#include "tests/Session.h"

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

}  // namespace

class FormsTest : public QObject {
    Q_OBJECT
  private slots:
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
        const QFontMetrics metrics(forms::JapaneseFont(forms::Face::Gothic, 9));
        QCOMPARE(metrics.horizontalAdvance(u'あ'), 2 * metrics.horizontalAdvance(u'x'));
        QCOMPARE(metrics.horizontalAdvance(u'W'), metrics.horizontalAdvance(u'i'));
    }

    void appInfoNamesTheExecutableWholeAndTheVersion() {
        const forms::AppInfo app = forms::App();
        QCOMPARE(QString::fromStdU16String(app.exeName),
                 QFileInfo(QCoreApplication::applicationFilePath()).fileName());
        QCOMPARE(QString("%1.%2.%3").arg(app.major).arg(app.minor).arg(app.revision), "1.1.0");
    }
};

KALVEX_TEST_MAIN(FormsTest)
#include "forms_test.moc"
