// Every window's controls against its design: kind, place in twips, caption, tooltip, font,
// colour and tab order, once for all four windows; then their captions, sizes and menus.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include "tests/Session.h"
#include "resources/version.h"

namespace {

struct Row {
    const char* window;
    const char* name;
    const char* kind;  // the Qt class that shows it
    int left, top, width, height, tab;
    const char16_t* caption;
    const char16_t* tip;
    const char* font;  // face and points ("G" fixed pitch, "P" proportional, "b" bold)
    unsigned colour = 0;
};

const Row kRows[] = {
    {"frmKalvex", "fraAddStrings", "QGroupBox", 120, 120, 4455, 855, 12, u"追加文字列", u"", "P8.25"},
    {"frmKalvex", "Label1", "QLabel", 120, 308, 735, 135, 13, u"前に追加", u"", "P8.25"},
    {"frmKalvex", "txtAddText_0", "QLineEdit", 960, 240, 2415, 270, 0, u"",
     u"前に追加する文字列を指定してください", "G9"},
    {"frmKalvex", "txtHStart", "QLineEdit", 3360, 240, 495, 270, 1, u"",
     u"前に追加する文字の開始桁数を指定できます", "G9"},
    {"frmKalvex", "cmdAddTab_0", "QPushButton", 3840, 240, 495, 255, 2, u"Tab", u"タブを追加します", "P9"},
    {"frmKalvex", "Label2", "QLabel", 120, 548, 1215, 135, 14, u"後ろに追加", u"", "P8.25"},
    {"frmKalvex", "txtAddText_1", "QLineEdit", 960, 480, 2415, 270, 3, u"",
     u"後ろに追加する文字列を追加してください", "G9"},
    {"frmKalvex", "txtTStart", "QLineEdit", 3360, 480, 495, 270, 4, u"",
     u"後ろに追加する文字の開始桁数を指定できます", "G9"},
    {"frmKalvex", "cmdAddTab_1", "QPushButton", 3840, 480, 495, 255, 5, u"Tab", u"タブを追加します", "P9"},
    {"frmKalvex", "fraOption", "QGroupBox", 120, 1080, 4455, 975, 11, u"エスケープ処理", u"", "P8.25"},
    {"frmKalvex", "optDblCote_0", "QRadioButton", 120, 240, 975, 165, 6, u"変換なし",
     u"エスケープ処理を行いません", "P8.25"},
    {"frmKalvex", "optDblCote_1", "QRadioButton", 120, 480, 2175, 165, 7,
     u"[\"] \u21D2 [\"\"] \uFF08VB,ASP向け\uFF09", u"ASP用エスケープ処理", "P8.25"},
    {"frmKalvex", "optDblCote_2", "QRadioButton", 120, 720, 2895, 165, 8,
     u"[\"] \u21D2 [\\\"]  [\\]\u21D2[\\\\]\uFF08C,JAVA向け\uFF09", u"JSP用エスケープ処理", "P8.25"},
    {"frmKalvex", "cmdAdd", "QPushButton", 2040, 2160, 1215, 375, 9, u"編集", u"編集を行います", "P8.25"},
    {"frmKalvex", "cmdEnd", "QPushButton", 3240, 2160, 1215, 375, 10, u"終了", u"終了します", "P8.25"},
    {"frmText", "txtText", "forms::MultiLineBox", 0, 0, -1, -1, 0, u"", u"", "G9"},
    {"frmReturn", "txtReturn", "forms::MultiLineBox", 0, 0, -1, -1, 0, u"", u"[Esc]キー：閉じる", "G9"},
    {"frmAbout", "lblAPPName", "QLabel", 360, 240, 3255, 255, 1, u"design_test", u"", "P12b", 0x8080FF},
    {"frmAbout", "lblVer", "QLabel", 1320, 600, 2295, 255, 0, u"Ver 1.1.0", u"", "P9.75b", 0x8080FF},
    {"frmAbout", "lblCrtTitle", "QLabel", 360, 1320, 495, 255, 2, u"作者", u"", "P9"},
    {"frmAbout", "lblCrt", "QLabel", 1080, 1320, 2295, 255, 3, KALVEX_AUTHOR_TEXT, u"", "P9"},
    {"frmAbout", "lblHPTitle", "QLabel", 360, 1560, 495, 255, 5, u"ＨＰ", u"", "P9"},
    {"frmAbout", "lblHP", "QLabel", 1080, 1560, 2295, 255, 6, KALVEX_HOMEPAGE_TEXT, u"", "P9", 0xFF8080},
    {"frmAbout", "cmdClose", "QPushButton", 840, 1920, 2175, 375, 7, u"と\uFF5Eじ\uFF5Eる", u"", "P9"},
    {"frmAbout", "lblCopyright", "QLabel", 480, 2400, 3255, 255, 4, KALVEX_LEGAL_COPYRIGHT_TEXT, u"", "P9"},
};

struct WindowRow {
    const char* name;
    const char16_t* caption;
    int width, height;  // client, twips; -1 where it follows the main window
    bool fixed, minimize;
    const char16_t* menus;
};

const WindowRow kWindows[] = {
    {"frmKalvex", u"Kalvex", 4710, 2625, true, true, u"ファイル(&F)[終了(&E)]ヘルプ(&H)[Kalvexについて]"},
    {"frmText", u"Text([Esc]でクリア)", -1, -1, false, false, u"クリア(&C)"},
    {"frmReturn", u"編集結果([ctrl]+[c]でクリップボードへコピー)", 4305, 2805, false, true,
     u"ファイル(&F)[閉じる(&Q)]編集(&E)[クリップボードへコピー]"},
    {"frmAbout", u"Kalvex", 3885, 2715, true, false, u""},
};

QString Caption(const QWidget* w) {
    if (auto* frame = qobject_cast<const QGroupBox*>(w)) return frame->title();
    if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
    return {};
}

QString FontOf(const QWidget* w) {
    const QFont f = w->font();
    const char face = f.families().value(0) == u"ＭＳ ゴシック"     ? 'G'
                      : f.families().value(0) == u"ＭＳ Ｐゴシック" ? 'P'
                                                                     : '?';
    return QString(QChar(face)) + QString::number(f.pointSizeF()) + (f.bold() ? "b" : "");
}

QString Menus(const QMainWindow* window) {
    QString menus;
    for (QAction* menu : window->menuBar()->actions()) {
        menus += menu->text();
        if (!menu->menu()) continue;
        for (QAction* item : menu->menu()->actions()) menus += u'[' + item->text() + u']';
    }
    return menus;
}

// The window's focusable controls in the order Tab walks them.
QStringList TabOrder(QWidget* window) {
    QStringList order;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty() &&
            w->window() == window && !order.contains(w->objectName()))
            order << w->objectName();
    return order;
}

void CheckWindow(const WindowRow& design) {
    auto* window = Find<QMainWindow>(design.name);
    QVERIFY2(window, design.name);
    QCOMPARE(window->windowTitle(), QString::fromUtf16(design.caption));
    if (design.width > 0)
        QCOMPARE(window->centralWidget()->size(),
                 QSize(forms::Px(design.width), forms::Px(design.height)));
    QCOMPARE(window->minimumSize() == window->maximumSize(), design.fixed);
    QVERIFY(!window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint), design.minimize);
    QCOMPARE(Menus(window), QString::fromUtf16(design.menus));

    std::vector<const Row*> focusable;
    for (const Row& row : kRows) {
        if (std::string_view(row.window) != design.name) continue;
        auto* w = window->findChild<QWidget*>(QLatin1String(row.name));
        QVERIFY2(w, row.name);
        QCOMPARE(w->metaObject()->className(), row.kind);
        const QRect at = w->geometry();
        if (row.width < 0) {
            QCOMPARE(at, window->centralWidget()->rect());
        } else {
            // Labels and options grow to their text's height, never in place or width.
            QCOMPARE(at.left(), forms::Px(row.left));
            QCOMPARE(at.width(), forms::Px(row.width));
            QVERIFY2(std::abs(at.center().y() - forms::Px(row.top + row.height / 2)) <= 4, row.name);
        }
        QCOMPARE(Caption(w), QString::fromUtf16(row.caption));
        QCOMPARE(w->toolTip(), QString::fromUtf16(row.tip));
        QCOMPARE(FontOf(w), QString::fromLatin1(row.font));
        if (row.colour) QCOMPARE(w->palette().color(QPalette::WindowText).rgb() & 0xFFFFFF, row.colour);
        if (w->focusPolicy() & Qt::TabFocus) focusable.push_back(&row);
    }
    std::stable_sort(focusable.begin(), focusable.end(),
                     [](const Row* a, const Row* b) { return a->tab < b->tab; });
    QStringList order;
    for (const Row* row : focusable) order << QString::fromLatin1(row->name);
    QCOMPARE(TabOrder(window), order);
}

}  // namespace

class DesignTest : public QObject {
    Q_OBJECT
  private slots:
    void everyWindowAsDesigned() {
        Session session;
        CheckWindow(kWindows[0]);
        CheckWindow(kWindows[1]);
        Find<QMainWindow>("frmKalvex")->findChild<QAction*>(QStringLiteral("mnuKalvex"))->trigger();
        QTRY_VERIFY(Find("frmAbout"));
        CheckWindow(kWindows[3]);
        QObject scope;
        bool checked = false;
        WhenModal<QWidget>(&scope, "frmReturn", [&checked](QWidget* result) {
            CheckWindow(kWindows[2]);
            checked = true;
            result->close();
        });
        QTest::mouseClick(Find("frmKalvex", "cmdAdd"), Qt::LeftButton);
        QVERIFY(checked);
    }
};

KALVEX_TEST_MAIN(DesignTest)
#include "design_test.moc"
