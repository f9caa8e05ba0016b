// The About box: its address opens with the desktop's handler, one box at most, and how it
// closes.
#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QUrl>

#include "tests/Session.h"
#include "resources/version.h"

class AboutTest : public QObject {
    Q_OBJECT
  public slots:
    void open(const QUrl& url) { opened_ << url; }

  private slots:
    void addressOpensAndOneBoxAtMost() {
        Session session;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
        auto* help = Find<QMainWindow>("frmKalvex")->findChild<QAction*>(QStringLiteral("mnuKalvex"));
        help->trigger();
        QTRY_VERIFY(Find("frmAbout"));
        QWidget* box = Find("frmAbout");
        QTest::mouseClick(Find("frmAbout", "lblHP"), Qt::LeftButton);
        QCOMPARE(opened_, QList<QUrl>{QUrl(QString::fromUtf16(KALVEX_HOMEPAGE_TEXT))});
        QCOMPARE(Find("frmAbout"), box);  // the box stays open

        help->trigger();
        int boxes = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
            boxes += top->objectName() == u"frmAbout" && top->isVisible();
        QCOMPARE(boxes, 1);

        // The button always has the focus, so Esc is never the box's own.
        QVERIFY(QTest::qWaitForWindowActive(box));
        QTest::keyClick(box->focusWidget(), Qt::Key_Escape);
        QVERIFY(Find("frmAbout"));
        QTest::mouseClick(Find("frmAbout", "cmdClose"), Qt::LeftButton);
        QTRY_VERIFY(!Find("frmAbout"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

  private:
    QList<QUrl> opened_;
};

KALVEX_TEST_MAIN(AboutTest)
#include "about_test.moc"
