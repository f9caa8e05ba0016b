// A user's work through the real windows: paste, fill the fields, 編集 or Enter, copy the
// result with Ctrl+C; every outcome is the engine's own conversion or the one clear message.
#include "tests/Session.h"

#include <QMainWindow>
#include <QMenu>

#include "engine/modCheck.h"
#include "engine/modLiteral.h"
#include "engine/modReverse.h"
#include "engine/modVariant.h"

namespace {

const QString kHead = QStringLiteral("out.println(\"");
const QString kTail = QStringLiteral("\");");
const QString kInputError = QStringLiteral("半角数字を入力してください");
const QString kTooLarge =
    QStringLiteral("テキストが大きすぎるため編集できません。テキストを分けて編集してください。");

// The input box makes a line break of every CR LF, lone CR and lone LF, and of the units its
// document keeps for itself: the paragraph separator and the frame marks U+FDD0 and U+FDD1.
QString AsTheBoxKeepsIt(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const char16_t unit : {u'\r', u'\u2029', u'\uFDD0', u'\uFDD1'}) text.replace(unit, u'\n');
    return text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
}

QString Lines(int count) {
    QString text;
    for (int n = 0; n < count; ++n) text += QStringLiteral("<td>行 %1 \"\\\"</td>\r\n").arg(n);
    return text;
}

// What a command's engine function makes of the fields "<", ">", C/Java, 3 and 30.
std::u16string Direct(modConvert::Command command, const std::u16string& text) {
    using namespace modConvert;
    const auto variant = [&](Variant v) { return ConvertVariant(v, 1, text, u"<", u">", 3, 30); };
    const auto literal = [&](Literal form) { return ConvertLiteral(form, text, u"<", u">", 3); };
    // clang-format off
    switch (command) {
        case Command::Edit: return ConvertLinesAligned(1, text, u"<", u">", 3, 30);
        case Command::Reverse: return ReverseLines(1, text, u"<", u">", 3, 30).text;
        case Command::Check: return CheckReport(1, text, u"<", u">", 3, 30);
        case Command::EditUnicode: return variant(Variant::UnicodeEscapes);
        case Command::EditApostrophes: return variant(Variant::Apostrophes);
        case Command::EditTabs: return variant(Variant::Tabs);
        case Command::EditJoins: return variant(Variant::Joins);
        case Command::LiteralTextBlock: return literal(Literal::TextBlock);
        case Command::LiteralTemplate: return literal(Literal::Template);
        case Command::LiteralRaw: return literal(Literal::Raw);
        case Command::LiteralJson: return literal(Literal::Json);
    }
    // clang-format on
    return {};
}

}  // namespace

class SessionTest : public QObject {
    Q_OBJECT
  private slots:
    void editAsTheEngineDoes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("head");
        QTest::addColumn<QString>("tail");
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("hStart");
        QTest::addColumn<QString>("tStart");
        QTest::addColumn<QString>("error");  // "HStart", "TStart", "large" or empty
        const QString html = QStringLiteral("<a href=\"c:\\dir\">リンク</a>\r\n<p class=\"x\">");
        auto row = [](const char* name, const QString& text, const QString& head,
                      const QString& tail, int option, const QString& h = {}, const QString& t = {},
                      const QString& error = {}) {
            QTest::newRow(name) << text << head << tail << option << h << t << error;
        };
        row("quote doubling", html, kHead, kTail, 1);
        row("zero and empty are plain", html, kHead, kTail, 2, "0");
        row("both bad: head reported", html, kHead, kTail, 0, "a", "b", "HStart");
        row("tail bad", html, kHead, kTail, 0, "", "1.5", "TStart");
        row("full-width digit", html, kHead, kTail, 0, "１", "", "HStart");
        row("NUL", QString::fromUtf16(u"a\0b\r\n\0", 6), kHead, kTail, 2);
        row("lone surrogates", QString::fromUtf16(u"x\xD800\"\r\n\xDFFF", 6), kHead, kTail, 2);
        row("emoji and bidi marks", QStringLiteral("\U0001F600\\\u200F\u202Eabc \"q\""), kHead,
            kTail, 2);
        row("lone CR and LF", QStringLiteral("a\rb\nc\r\nd\n\re\r"), kHead, kTail, 2);
        row("separators the box keeps", QStringLiteral("a\u2029b\uFDD0c\uFDD1d\u2028e\u0085f"),
            kHead, kTail, 2);
        row("widest columns", Lines(20'000), kHead, kTail, 2, "999", "999");
        row("long head and tail", Lines(500), QStringLiteral("\"あ\\").repeated(3000),
            QStringLiteral("\t;").repeated(4000), 1, "", "5");
        row("a million empty lines", QStringLiteral("\r\n").repeated(1'000'000), "<", ">", 0);
        row("a line of ten million",
            QStringLiteral("<td class=\"c\">値 \\ 12</td>").repeated(400'000), kHead, kTail, 2);
        row("result too large", QStringLiteral("\r\n").repeated(33'000), QString(32767, u'h'),
            QString(32767, u't'), 2, "", "999", "large");
    }
    void editAsTheEngineDoes() {
        QFETCH(QString, text);
        QFETCH(QString, head);
        QFETCH(QString, tail);
        QFETCH(int, option);
        QFETCH(QString, hStart);
        QFETCH(QString, tStart);
        QFETCH(QString, error);
        Session session;
        Session::Paste(text);
        Session::Fill(head, tail, option, hStart, tStart);
        const Session::Outcome outcome = Session::EditAndCopy();
        if (error.isEmpty()) {
            QVERIFY(outcome.messages.isEmpty());
            QVERIFY(outcome.copied);
            QVERIFY(*outcome.copied == Expected(AsTheBoxKeepsIt(text), head, tail,
                                                EscapeModeOf(option), hStart.toInt(),
                                                tStart.toInt()));
            // A line too wide for the box to scroll along is shown wrapped, to be read whole.
            QCOMPARE(outcome.wrapped, text.size() == 10'000'000);
            return;
        }
        QVERIFY(!outcome.copied);
        QCOMPARE(outcome.messages, QStringList{error == u"large" ? kTooLarge : kInputError});
        if (error != u"large")
            QCOMPARE(Session::Main()->focusWidget(),
                     Session::Field(error == u"HStart" ? "txtHStart" : "txtTStart"));
        // Nothing typed is lost.
        QCOMPARE(
            Session::Input()->toPlainText().replace(QStringLiteral("\n"), QStringLiteral("\r\n")),
            AsTheBoxKeepsIt(text));
        QCOMPARE(Session::Field("txtAddText_0")->text(), head);
        QCOMPARE(Session::Field("txtTStart")->text(), tStart);
    }

    // Every command from its item (編集 from Enter), with the column fields set apart: each
    // hands the fields to its own engine function, columns in their places.
    void everyCommandReadsTheFieldsInTheirPlaces() {
        const QString text = QStringLiteral("   <%= x %>\t\\表\"\"\"`${y}` )\"  \r\n<p>");
        for (const modConvert::CommandRow& row : modConvert::kCommands) {
            Session session;
            Session::Paste(text);
            Session::Fill("<", ">", 2, "3", "30");
            const Session::Outcome outcome = Session::EditAndCopy(row.item);
            QVERIFY2(outcome.copied, row.item.data());
            QCOMPARE(*outcome.copied,
                     QString::fromStdU16String(Direct(row.command, text.toStdU16String())));
        }
    }

    // As the submenu opens, the raw string is greyed for a text it cannot hold.
    void rawStringGreyedForALoneSurrogate() {
        Session session;
        for (const char16_t* text : {u"a\xD800", u"a"}) {
            Session::Input()->clear();
            Session::Paste(QString::fromUtf16(text));
            emit Find<QMenu>("frmText", "mnuEditLiteral")->aboutToShow();
            QCOMPARE(Find<QAction>("frmText", "mnuLiteralRaw")->isEnabled(), text[1] == u'\0');
        }
    }

    // A held Enter repeats into the result window as a release and a press at one moment, even
    // where the toolkit takes them for real ones: the untouched result takes no line break. A
    // real press does.
    void heldEnterLeavesTheResultAlone() {
        Session session;
        Session::Paste(QStringLiteral("a"));
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);  // until it is in
        QTRY_VERIFY(!QApplication::overrideCursor());
        QObject scope;
        bool checked = false;
        WhenModal<QWidget>(&scope, "frmReturn", [&checked](QWidget* form) {
            auto* box = form->findChild<QPlainTextEdit*>(QStringLiteral("txtReturn"));
            for (const QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
                QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
                key.setTimestamp(1000);
                QApplication::sendEvent(box, &key);
            }
            QVERIFY(!box->document()->isModified());
            QTest::keyClick(box, Qt::Key_Return);
            QVERIFY(box->document()->isModified());
            checked = true;
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QTest::keyClick(Session::Field("txtAddText_0"), Qt::Key_Return);
        QVERIFY(checked);
    }
};

KALVEX_TEST_MAIN(SessionTest)
#include "session_test.moc"
