#include "frmAbout.h"

#include <QColor>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include "Services.h"
#include "Twips.h"
#include "version.h"

namespace {

constexpr int kDesignClientWidth = 3885;
constexpr int kDesignClientHeight = 2715;

// A fixed single border: title, system menu and close box only.
constexpr Qt::WindowFlags kBorder = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                    Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

void SetTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void SetCaption(QLabel* label, const QString& caption) {
    label->setText(caption);
    label->setAccessibleName(caption);
}

}  // namespace

frmAbout::frmAbout(QWidget* owner) : forms::Form(owner, kBorder) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Kalvex"));

    // Created in tab order, which is also the focus chain's order.
    lblVer = NewLabel("lblVer", 1320, 600, 2295, 255, QStringLiteral("Version"));
    lblVer->setFont(forms::JapaneseFont(forms::Face::PGothic, 9.75, true));
    SetTextColour(lblVer, QColor(128, 128, 255));

    lblAPPName = NewLabel("lblAPPName", 360, 240, 3255, 255, QStringLiteral("APPName"));
    lblAPPName->setFont(forms::JapaneseFont(forms::Face::PGothic, 12, true));
    SetTextColour(lblAPPName, QColor(128, 128, 255));

    lblCrtTitle = NewLabel("lblCrtTitle", 360, 1320, 495, 255, QStringLiteral("作者"));
    lblCrt = NewLabel("lblCrt", 1080, 1320, 2295, 255, QString::fromUtf8(KALVEX_AUTHOR));
    lblCopyright = NewLabel("lblCopyright", 480, 2400, 3255, 255, QString());
    lblHPTitle = NewLabel("lblHPTitle", 360, 1560, 495, 255, QStringLiteral("ＨＰ"));

    lblHP = NewLabel("lblHP", 1080, 1560, 2295, 255, QString::fromUtf8(KALVEX_HOMEPAGE));
    SetTextColour(lblHP, QColor(255, 128, 128));
    lblHP->setCursor(Qt::PointingHandCursor);
    forms::OnClick(lblHP, [this] { lblHP_Click(); });

    cmdClose = new QPushButton(QStringLiteral("と\uFF5Eじ\uFF5Eる"), Client());
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setAccessibleName(cmdClose->text());
    cmdClose->setGeometry(forms::PxRect(840, 1920, 2175, 375));
    // Enter, like Space, presses the focused button, as buttons do on Windows; outside a
    // dialog Qt's buttons would leave Enter alone.
    cmdClose->setAutoDefault(true);
    connect(cmdClose, &QPushButton::clicked, this, &frmAbout::cmdClose_Click);

    forms::SetTabOrder(
        {lblVer, lblAPPName, lblCrtTitle, lblCrt, lblCopyright, lblHPTitle, lblHP, cmdClose});

    SetClientSize(kDesignClientWidth, kDesignClientHeight, true);
}

QLabel* frmAbout::NewLabel(const char* name, int left, int top, int width, int height,
                           const QString& caption) {
    auto* label = new QLabel(Client());
    label->setObjectName(QString::fromLatin1(name));
    SetCaption(label, caption);
    label->setGeometry(forms::PxRect(left, top, width, height));
    // Captions sit at the top left of the label's box and are never cut into lines.
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(false);
    label->setTextFormat(Qt::PlainText);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

void frmAbout::Form_Load() {
    const forms::AppInfo app = forms::App();
    SetCaption(lblAPPName, app.exeName);
    SetCaption(lblVer,
               QStringLiteral("Ver %1.%2.%3").arg(app.major).arg(app.minor).arg(app.revision));
    SetCaption(lblCopyright, app.legalCopyright);
}

bool frmAbout::Form_KeyDown(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape) return false;
    Unload();
    return true;
}

void frmAbout::lblHP_Click() { forms::ShellOpen(lblHP->text()); }

void frmAbout::cmdClose_Click() { Unload(); }
