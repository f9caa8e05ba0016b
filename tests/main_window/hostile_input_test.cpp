// Odd and hostile input through the real windows: every outcome is either the right conversion
// or the one clear message, and nothing the user typed is lost.
#include <QTest>

#include "KalvexSession.h"
#include "modConvert.h"

namespace {

const QString kHead = QStringLiteral("out.println(\"");
const QString kTail = QStringLiteral("\");");

// The input box makes a line break of every CR LF, lone CR and lone LF, and of the three units
// its document keeps for itself: the paragraph separator and the frame marks U+FDD0 and U+FDD1.
QString WithCrLfBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const char16_t unit : {u'\r', u'\u2029', u'\uFDD0', u'\uFDD1'}) text.replace(unit, u'\n');
    return text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
}

}  // namespace

class HostileInputTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { QVERIFY(session_.Start()); }
    void cleanup() { session_.Finish(); }

    void oddCharactersSurviveTheRoundTrip_data() {
        QTest::addColumn<QString>("pasted");
        const QChar nul(u'\0');
        QTest::newRow("NUL") << QString(QStringLiteral("a") + nul + QStringLiteral("b\r\n") + nul);
        QTest::newRow("lone surrogates") << QString(QStringLiteral("x") + QChar(0xD800) +
                                                    QStringLiteral("\"\r\n") + QChar(0xDFFF));
        QTest::newRow("emoji") << QStringLiteral("<p>\U0001F600\\\U0001F469\u200D\U0001F4BB</p>");
        QTest::newRow("right-to-left marks")
            << QStringLiteral("\u200F\u202Eabc\u202C \u05E9\u05DC\u05D5\u05DD \"q\"");
        QTest::newRow("lone CR and LF") << QStringLiteral("a\rb\nc\r\nd\n\re\r");
        QTest::newRow("separator-like units")
            << QStringLiteral("a\u2028b\u0085c\u000Bd\u000Ce\t\u3000\uFFFC");
        QTest::newRow("units the document keeps for itself")
            << QStringLiteral("a\u2029b\uFDD0c\uFDD1d");
    }
    void oddCharactersSurviveTheRoundTrip() {
        QFETCH(QString, pasted);
        session_.Paste(pasted);
        session_.Fill(kHead, kTail, 2);
        const KalvexSession::Outcome outcome = session_.EditAndCopy();
        QVERIFY(outcome.messages.isEmpty());
        QVERIFY(outcome.copied);
        const QString expected =
            Expected(WithCrLfBreaks(pasted), kHead, kTail, modConvert::kEscapeBackslash);
        QVERIFY2(*outcome.copied == expected, FirstDifference(*outcome.copied, expected));
    }

    void aLineOfTenMillionCharacters() {
        const QString line = QStringLiteral("<td class=\"c\">値 \\ 12</td>").repeated(400'000);
        QCOMPARE(line.size(), 10'000'000);
        session_.Paste(line);
        session_.Fill(kHead, kTail, 2);
        const KalvexSession::Outcome outcome = session_.EditAndCopy();
        QVERIFY(outcome.copied);
        const QString expected = Expected(line, kHead, kTail, modConvert::kEscapeBackslash);
        QVERIFY2(*outcome.copied == expected, FirstDifference(*outcome.copied, expected));
        // Too wide for the box to scroll along: shown wrapped, so that all of it can be read.
        QVERIFY(outcome.wrapped);
    }

    void aMillionEmptyLines() {
        const QString text = QStringLiteral("\r\n").repeated(1'000'000);
        session_.Paste(text);
        session_.Fill(QStringLiteral("<"), QStringLiteral(">"), 0);
        const KalvexSession::Outcome outcome = session_.EditAndCopy();
        QVERIFY(outcome.copied);
        QCOMPARE(outcome.copied->size(), 4 * 1'000'001);  // the last, empty line counts too
        QVERIFY(*outcome.copied == QStringLiteral("<>\r\n").repeated(1'000'001));
    }

    void widestColumnsOnALargeText() {
        QString text;
        for (int n = 0; n < 20'000; ++n) text += QStringLiteral("<td>行 %1 \"\\\"</td>\r\n").arg(n);
        session_.InputBox()->setPlainText(text);
        session_.Fill(kHead, kTail, 2, QStringLiteral("999"), QStringLiteral("999"));
        KalvexSession::Outcome outcome = session_.EditAndCopy();
        QVERIFY(outcome.copied);
        QString expected = Expected(text, kHead, kTail, modConvert::kEscapeBackslash, 999, 999);
        QVERIFY2(*outcome.copied == expected, FirstDifference(*outcome.copied, expected));

        // The tail column alone: every line padded out to byte column 999.
        session_.Fill(kHead, kTail, 2, QString(), QStringLiteral("999"));
        outcome = session_.EditAndCopy();
        QVERIFY(outcome.copied);
        expected = Expected(text, kHead, kTail, modConvert::kEscapeBackslash, 0, 999);
        QVERIFY2(*outcome.copied == expected, FirstDifference(*outcome.copied, expected));
        const QString firstLine = outcome.copied->left(outcome.copied->indexOf(kTail));
        QCOMPARE(modConvert::AnsiByteLength(firstLine.toStdU16String()), 998);
    }

    void headAndTailOfThousandsOfCharacters() {
        const QString head = QStringLiteral("\"あ\\").repeated(3000);
        const QString tail = QStringLiteral("\t;").repeated(4000);
        const QString text = QStringLiteral("one\r\ntwo\r\n").repeated(500);
        session_.Paste(text);
        session_.Fill(head, tail, 1, QString(), QStringLiteral("5"));
        const KalvexSession::Outcome outcome = session_.EditAndCopy();
        QVERIFY(outcome.copied);
        const QString expected = Expected(text, head, tail, modConvert::kEscapeQuoteDoubling, 0, 5);
        QVERIFY2(*outcome.copied == expected, FirstDifference(*outcome.copied, expected));
    }

    void textPastedIntoColumnFields() {
        auto* tStart = session_.Find<QLineEdit>("txtTStart");
        session_.Fill(kHead, kTail, 0);
        const auto pasteInto = [](QLineEdit* field, const QString& text) {
            field->setFocus();
            field->selectAll();
            QGuiApplication::clipboard()->setText(text);
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        };
        session_.InputBox()->setPlainText(QStringLiteral("x"));

        pasteInto(tStart, QStringLiteral("12345678"));
        QCOMPARE(tStart->text(), QStringLiteral("123"));
        KalvexSession::Outcome outcome = session_.EditAndCopy();
        QVERIFY(outcome.copied);
        QCOMPARE(*outcome.copied,
                 Expected(QStringLiteral("x"), kHead, kTail, modConvert::kEscapeNone, 0, 123));

        for (const QString& bad : {QStringLiteral("-5"), QStringLiteral("１２"),
                                   QStringLiteral("1\n2"), QStringLiteral("\u0000")}) {
            pasteInto(tStart, bad);
            outcome = session_.EditAndCopy();
            QVERIFY2(!outcome.copied, qPrintable(tStart->text()));
            QCOMPARE(outcome.messages, QStringList{QStringLiteral("半角数字を入力してください")});
            QCOMPARE(session_.Main()->focusWidget(), tStart);
        }
        QCOMPARE(QString::fromStdU16String(session_.Input()->Text()), QStringLiteral("x"));
    }

    void enterPressedAgainWhileTheResultIsUp() {
        session_.InputBox()->setPlainText(QStringLiteral("a\"b"));
        session_.Fill(kHead, kTail, 2);
        auto* head = session_.Find<QLineEdit>("txtAddText_0");
        head->setFocus();
        int windows = 0;
        QString copied;
        ModalScript modal;
        modal.When<frmReturn>([&](frmReturn* form) {
            ++windows;
            // Keys from the window system for the main window: the modal window blocks them.
            for (int i = 0; i < 5; ++i)
                QTest::keyClick(session_.Main()->windowHandle(), Qt::Key_Return);
            QCoreApplication::processEvents();
            QCOMPARE(QApplication::activeModalWidget(), form);
            copied = form->WholeText();
            form->Unload();
        });
        QTest::keyClick(session_.Main()->windowHandle(), Qt::Key_Return);
        QCOMPARE(windows, 1);
        QCOMPARE(copied, QStringLiteral("out.println(\"a\\\"b\");\r\n"));
    }

    void resultTooLargeForATextBoxIsRefusedAndNothingIsLost() {
        // The longest head and tail a field takes, on 33,000 lines: over two billion characters.
        const QString head(32767, u'h');
        const QString tail(32767, u't');
        const QString text = QStringLiteral("\r\n").repeated(33'000);
        session_.InputBox()->setPlainText(text);
        session_.Fill(head, tail, 2, QString(), QStringLiteral("999"));
        const KalvexSession::Outcome outcome = session_.EditAndCopy();
        QVERIFY(!outcome.copied);
        QCOMPARE(outcome.messages,
                 QStringList{QStringLiteral("テキストが大きすぎるため編集できません。"
                                            "テキストを分けて編集してください。")});
        QCOMPARE(session_.Input()->Text().size(), std::size_t(text.size()));
        QCOMPARE(session_.Find<QLineEdit>("txtTStart")->text(), QStringLiteral("999"));
        QCOMPARE(session_.Find<QLineEdit>("txtAddText_0")->text(), head);
        QCOMPARE(session_.Find<QLineEdit>("txtAddText_1")->text(), tail);

        // One line fewer in a thousand and it fits no better: the limit is the result's size.
        session_.InputBox()->setPlainText(QStringLiteral("\r\n").repeated(100));
        QVERIFY(session_.EditAndCopy().copied);
    }

  private:
    KalvexSession session_;
};

QTEST_MAIN(HostileInputTest)
#include "hostile_input_test.moc"
