#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <cstdio>
#include <cstring>

#include "Form.h"
#include "Services.h"
#include "Twips.h"
#include "frmAbout.h"
#include "version.h"

namespace {

// Run as a renamed copy with this argument, the test binary prints the name the box shows.
constexpr char kPrintAppNameArg[] = "--print-about-app-name";

const QColor kNameColour(128, 128, 255);
const QColor kAddressColour(255, 128, 128);

template <class W = QWidget>
W* Control(QWidget* box, const char* name) {
    W* control = box->findChild<W*>(QString::fromLatin1(name));
    if (!control) qFatal("no control %s", name);
    return control;
}

QLabel* Label(QWidget* box, const char* name) { return Control<QLabel>(box, name); }

// Whether any pixel of the widget as drawn has exactly this colour.
bool DrawsColour(QWidget* widget, const QColor& colour) {
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour) return true;
    return false;
}

// Stands in for the desktop's handler of an address scheme.
class UrlRecorder : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened.append(url); }
};

// The windows' default font, as the program sets it at start.
void SetProgramFont() { QApplication::setFont(forms::JapaneseFont(forms::Face::PGothic, 9)); }

}  // namespace

class AboutTest : public QObject {
    Q_OBJECT
  private slots:
    // A failed check can leave a box open; the next case starts without one.
    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<frmAbout*>(w)) delete w;
        if (!scheme_.isEmpty()) QDesktopServices::unsetUrlHandler(scheme_);
        scheme_.clear();
        recorder_.opened.clear();
    }

    void windowIsAFixedSingleBorderWithoutMenu() {
        forms::FormSlot<frmAbout> slot;
        frmAbout* box = slot.Get();
        QCOMPARE(box->windowTitle(), QStringLiteral("Kalvex"));
        QVERIFY(box->isWindow());
        QVERIFY(!box->parentWidget());
        const Qt::WindowFlags flags = box->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!box->menuWidget());

        const QSize client = forms::PxSize(3885, 2715);
        QCOMPARE(box->minimumSize(), client);
        QCOMPARE(box->maximumSize(), client);
        box->ShowModeless();
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QCOMPARE(box->centralWidget()->geometry(), QRect(QPoint(0, 0), client));
    }

    void controlsSitAtTheirDesignPlaces_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        auto row = [](const char* name, int l, int t, int w, int h) {
            QTest::newRow(name) << QString::fromLatin1(name) << QRect(l, t, w, h);
        };
        row("lblAPPName", 360, 240, 3255, 255);
        row("lblVer", 1320, 600, 2295, 255);
        row("lblCrtTitle", 360, 1320, 495, 255);
        row("lblCrt", 1080, 1320, 2295, 255);
        row("lblHPTitle", 360, 1560, 495, 255);
        row("lblHP", 1080, 1560, 2295, 255);
        row("cmdClose", 840, 1920, 2175, 375);
        row("lblCopyright", 480, 2400, 3255, 255);
    }
    void controlsSitAtTheirDesignPlaces() {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        forms::FormSlot<frmAbout> slot;
        frmAbout* box = slot.Get();
        auto* control = box->findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->parentWidget(), box->centralWidget());
        QCOMPARE(control->geometry(),
                 forms::PxRect(twips.left(), twips.top(), twips.width(), twips.height()));
        QVERIFY(control->isVisibleTo(box));
    }

    void fixedCaptionsAndAccessibleNames() {
        forms::FormSlot<frmAbout> slot;
        frmAbout* box = slot.Get();
        QCOMPARE(Label(box, "lblCrtTitle")->text(), QStringLiteral("作者"));
        QCOMPARE(Label(box, "lblHPTitle")->text(), QStringLiteral("ＨＰ"));
        QCOMPARE(Label(box, "lblCrt")->text(), QString::fromUtf8(KALVEX_AUTHOR));
        QCOMPARE(Label(box, "lblHP")->text(), QString::fromUtf8(KALVEX_HOMEPAGE));
        // The wave dashes are FULLWIDTH TILDE, not the look-alike WAVE DASH (U+301C).
        const QString close = Control<QPushButton>(box, "cmdClose")->text();
        QCOMPARE(close, QString::fromUtf16(u"\u3068\uFF5E\u3058\uFF5E\u308B"));

        for (const char* name : {"lblAPPName", "lblVer", "lblCrtTitle", "lblCrt", "lblHPTitle",
                                 "lblHP", "lblCopyright"}) {
            QLabel* label = Label(box, name);
            QCOMPARE(label->accessibleName(), label->text());
        }
        QCOMPARE(Control(box, "cmdClose")->accessibleName(), close);
    }

    void loadStepFillsNameVersionAndCopyright() {
        // Before the load step the labels hold their design captions.
        frmAbout unloaded;
        QCOMPARE(Label(&unloaded, "lblAPPName")->text(), QStringLiteral("APPName"));
        QCOMPARE(Label(&unloaded, "lblVer")->text(), QStringLiteral("Version"));

        forms::FormSlot<frmAbout> slot;
        frmAbout* box = slot.Get();
        QCOMPARE(Label(box, "lblAPPName")->text(), QStringLiteral("about_test"));
        QCOMPARE(Label(box, "lblVer")->text(), QStringLiteral("Ver 1.1.0"));
        QCOMPARE(Label(box, "lblCopyright")->text(), QString::fromUtf8(KALVEX_LEGAL_COPYRIGHT));
        QVERIFY(!Label(box, "lblCopyright")->text().isEmpty());
    }

    void nameFollowsARenamedExecutable() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
#ifdef Q_OS_WIN
        const QString copy = dir.filePath(QStringLiteral("Kal.vex-copy.exe"));
#else
        const QString copy = dir.filePath(QStringLiteral("Kal.vex-copy"));
#endif
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(env);
        child.start(copy, {QString::fromLatin1(kPrintAppNameArg)});
        QVERIFY2(child.waitForFinished(), qPrintable(child.errorString()));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).trimmed(),
                 QStringLiteral("Kal.vex-copy"));
    }

    void fontsAndColours() {
        forms::FormSlot<frmAbout> slot;
        frmAbout* box = slot.Get();
        box->ShowModeless();
        QVERIFY(QTest::qWaitForWindowExposed(box));

        QLabel* name = Label(box, "lblAPPName");
        QCOMPARE(name->font().families().value(0), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(name->font().pointSizeF(), 12.0);
        QVERIFY(name->font().bold());
        QCOMPARE(name->palette().color(QPalette::WindowText), kNameColour);
        QVERIFY(DrawsColour(name, kNameColour));

        QLabel* version = Label(box, "lblVer");
        QCOMPARE(version->font().families().value(0), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(version->font().pointSizeF(), 9.75);
        QVERIFY(version->font().bold());
        QCOMPARE(version->palette().color(QPalette::WindowText), kNameColour);
        QVERIFY(DrawsColour(version, kNameColour));

        QLabel* address = Label(box, "lblHP");
        QCOMPARE(address->palette().color(QPalette::WindowText), kAddressColour);
        QVERIFY(DrawsColour(address, kAddressColour));
        QVERIFY(!DrawsColour(Label(box, "lblCrt"), kAddressColour));

        // The rest keep the window's default font and the default text colour.
        const QColor plain = QApplication::palette().color(QPalette::WindowText);
        for (const char* n :
             {"lblCrtTitle", "lblCrt", "lblHPTitle", "lblHP", "lblCopyright", "cmdClose"}) {
            QWidget* control = Control(box, n);
            QVERIFY2(!control->testAttribute(Qt::WA_SetFont), n);
            QCOMPARE(control->font(), QApplication::font());
        }
        for (const char* n : {"lblCrtTitle", "lblCrt", "lblHPTitle", "lblCopyright"})
            QCOMPARE(Label(box, n)->palette().color(QPalette::WindowText), plain);
    }

    void onlyTheCloseButtonTakesTheFocus() {
        forms::FormSlot<frmAbout> slot;
        frmAbout* box = slot.Get();
        auto* close = Control<QPushButton>(box, "cmdClose");
        for (QWidget* w : box->findChildren<QWidget*>()) {
            if (w == close) continue;
            QVERIFY2(w->focusPolicy() == Qt::NoFocus, qPrintable(w->objectName()));
        }
        QVERIFY(close->focusPolicy() & Qt::TabFocus);

        box->ShowModeless();
        QVERIFY(QTest::qWaitForWindowActive(box));
        QTRY_COMPARE(QApplication::focusWidget(), close);
        // Tab finds nothing else to go to.
        QTest::keyClick(close, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), close);
    }

    void clickOnTheAddressOpensItAndKeepsTheBox() {
        forms::FormSlot<frmAbout> slot;
        frmAbout* box = slot.Get();
        box->ShowModeless();
        QVERIFY(QTest::qWaitForWindowExposed(box));

        const QUrl home(QString::fromUtf8(KALVEX_HOMEPAGE));
        scheme_ = home.scheme();
        QDesktopServices::setUrlHandler(scheme_, &recorder_, "open");

        QLabel* address = Label(box, "lblHP");
        QCOMPARE(address->cursor().shape(), Qt::PointingHandCursor);
        // Other labels are no links.
        QTest::mouseClick(Label(box, "lblCrt"), Qt::LeftButton);
        QTest::mouseClick(address, Qt::RightButton);
        QCOMPARE(recorder_.opened.size(), 0);

        QTest::mouseClick(address, Qt::LeftButton);
        QCOMPARE(recorder_.opened, QList<QUrl>{home});
        QVERIFY(box->isVisible());
        QCOMPARE(slot.Existing(), box);
    }

    void helpItemAgainKeepsOneBoxAndBringsItForward() {
        QLineEdit mainWindow;  // stands in for the window the Help item belongs to
        mainWindow.setWindowTitle(QStringLiteral("main"));
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));

        forms::FormSlot<frmAbout> slot;
        frmAbout* first = slot.Get();
        first->ShowModeless();
        QVERIFY(QTest::qWaitForWindowActive(first));
        QCOMPARE(first->windowModality(), Qt::NonModal);
        QVERIFY(!QApplication::activeModalWidget());

        // The other window stays usable while the box is open.
        mainWindow.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        QTest::keyClicks(&mainWindow, QStringLiteral("abc"));
        QCOMPARE(mainWindow.text(), QStringLiteral("abc"));

        frmAbout* second = slot.Get();
        second->ShowModeless();
        QCOMPARE(second, first);
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(first));
        int boxes = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<frmAbout*>(w)) ++boxes;
        QCOMPARE(boxes, 1);
    }

    void closeButtonClosesAndDestroys() {
        forms::FormSlot<frmAbout> slot;
        QPointer<frmAbout> box = slot.Get();
        box->ShowModeless();
        QVERIFY(QTest::qWaitForWindowActive(box));
        QTest::mouseClick(Control(box, "cmdClose"), Qt::LeftButton);
        QVERIFY(!box->isVisible());
        QTRY_VERIFY(box.isNull());
        QVERIFY(!slot.Existing());
    }

    void escapeClosesOnlyWhileNoControlHasTheFocus() {
        forms::FormSlot<frmAbout> slot;
        QPointer<frmAbout> box = slot.Get();
        box->ShowModeless();
        QVERIFY(QTest::qWaitForWindowActive(box));
        QWidget* close = Control(box, "cmdClose");
        QTRY_COMPARE(QApplication::focusWidget(), close);

        // The box does not preview keys: Esc on the focused button is not the window's.
        QTest::keyClick(close, Qt::Key_Escape);
        QVERIFY(box->isVisible());

        close->clearFocus();
        QVERIFY(!QApplication::focusWidget());
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(!box->isVisible());
        QTRY_VERIFY(box.isNull());
        QVERIFY(!slot.Existing());
    }

  private:
    UrlRecorder recorder_;
    QString scheme_;
};

int main(int argc, char* argv[]) {
    if (argc == 2 && std::strcmp(argv[1], kPrintAppNameArg) == 0) {
        QApplication app(argc, argv);
        forms::FormSlot<frmAbout> slot;
        const QString name = Label(slot.Get(), "lblAPPName")->text();
        std::fputs(name.toUtf8().constData(), stdout);
        std::fputc('\n', stdout);
        return 0;
    }
    QApplication app(argc, argv);
    SetProgramFont();
    AboutTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "about_test.moc"
