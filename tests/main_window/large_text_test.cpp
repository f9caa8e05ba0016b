// Large texts through the real windows: what is pasted comes out of the result window's Ctrl+C
// whole and byte-exact.
#include <QTest>

#include "KalvexSession.h"
#include "modConvert.h"

namespace {

// Markup as pasted from a page, CR LF line ends, quotes, backslashes, tabs and Japanese.
QString PageText(qsizetype atLeast) {
    static const char16_t* const kLines[] = {
        u"<tr class=\"row\"><td align=\"right\">%1</td><td>品目 %1</td></tr>",
        u"\t<a href=\"detail.jsp?id=%1&amp;mode=view\">詳細</a>",
        u"var path = \"C:\\\\data\\\\%1.csv\"; // ¥ and \\ alike",
        u"<p>ご注文番号 %1 の内容をご確認ください。「送信」を押してください。</p>",
        u"",
    };
    QString text;
    text.reserve(atLeast + 200);
    for (int n = 0; text.size() < atLeast; ++n) {
        QString line = QString::fromUtf16(kLines[n % std::size(kLines)]);
        text += line.replace(QStringLiteral("%1"), QString::number(n)) + QStringLiteral("\r\n");
    }
    return text;
}

}  // namespace

class LargeTextTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { QVERIFY(session_.Start()); }
    void cleanup() { session_.Finish(); }

    void severalMegabytesComeOutWhole() {
        const QString text = PageText(6'000'000);
        session_.Paste(text);
        QCOMPARE(session_.Main()->GatherRequest().text.size(), std::size_t(text.size()));
        session_.Fill(QStringLiteral("out.println(\""), QStringLiteral("\");"), 2);
        const KalvexSession::Outcome outcome = session_.EditAndCopy();
        QVERIFY(outcome.messages.isEmpty());
        QVERIFY(outcome.copied);
        const QString expected = Expected(text, QStringLiteral("out.println(\""),
                                          QStringLiteral("\");"), modConvert::kEscapeBackslash);
        QVERIFY2(*outcome.copied == expected, FirstDifference(*outcome.copied, expected));
    }

    void aMillionCharacterLineComesOutWholeAndAligned() {
        QString line = PageText(1'000'000);
        line.remove(u'\r').remove(u'\n');
        line.truncate(1'000'000);
        session_.Paste(line);
        session_.Fill(QStringLiteral("Response.Write \""), QStringLiteral("\" & vbCrLf"), 1,
                      QStringLiteral("4"), QStringLiteral("60"));
        const KalvexSession::Outcome outcome = session_.EditAndCopy();
        QVERIFY(outcome.copied);
        const QString expected =
            Expected(line, QStringLiteral("Response.Write \""), QStringLiteral("\" & vbCrLf"),
                     modConvert::kEscapeQuoteDoubling, 4, 60);
        QVERIFY2(*outcome.copied == expected, FirstDifference(*outcome.copied, expected));
        QVERIFY(outcome.copied->startsWith(QStringLiteral("    Response.Write \"<tr")));
        QCOMPARE(outcome.copied->count(u'\n'), 1);
        QVERIFY(!outcome.wrapped);
        QVERIFY(outcome.scrollWidth > 5'000'000);  // pixels: the box scrolls to the line's end
    }

  private:
    KalvexSession session_;
};

QTEST_MAIN(LargeTextTest)
#include "large_text_test.moc"
