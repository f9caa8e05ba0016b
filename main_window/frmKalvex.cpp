#include "frmKalvex.h"

#include <QAction>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <new>

#include "Services.h"
#include "Twips.h"

namespace {

constexpr int kClientWidth = 4710;
constexpr int kClientHeight = 2625;

struct Twips {
    int left, top, width, height;
};

template <class W>
W* Place(W* control, const QString& name, Twips at) {
    control->setObjectName(name);
    control->setGeometry(forms::PxRect(at.left, at.top, at.width, at.height));
    return control;
}

QFont LabelFont() { return forms::JapaneseFont(forms::Face::PGothic, 8.25); }
QFont TextBoxFont() { return forms::JapaneseFont(forms::Face::Gothic, 9); }

// The design heights of labels and option buttons are a little short for the fallback
// faces; grow them (about the design centre) so no text is cut off.
void GrowToText(QWidget* control, int height, bool keepTop) {
    const QRect at = control->geometry();
    if (at.height() >= height) return;
    const int top = keepTop ? at.top() : at.top() - (height - at.height()) / 2;
    control->setGeometry(at.left(), top, at.width(), height);
}

QGroupBox* NewFrame(QWidget* parent, const QString& name, const QString& caption, Twips at) {
    auto* frame = Place(new QGroupBox(caption, parent), name, at);
    frame->setFont(LabelFont());
    frame->setAccessibleName(caption);
    return frame;
}

QLabel* NewLabel(QWidget* parent, const QString& name, const QString& caption, Twips at) {
    auto* label = Place(new QLabel(caption, parent), name, at);
    label->setFont(LabelFont());
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAccessibleName(caption);
    GrowToText(label, label->fontMetrics().height(), true);
    return label;
}

QLineEdit* NewTextBox(QWidget* parent, const QString& name, const QString& tip, Twips at) {
    auto* box = Place(new QLineEdit(parent), name, at);
    box->setFont(TextBoxFont());
    box->setToolTip(tip);
    box->setAccessibleName(tip);
    return box;
}

// Column fields take at most three half-width digits, so the input method stays off.
QLineEdit* NewColumnBox(QWidget* parent, const QString& name, const QString& tip, Twips at) {
    QLineEdit* box = NewTextBox(parent, name, tip, at);
    box->setMaxLength(3);
    box->setAlignment(Qt::AlignRight);
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    box->setInputMethodHints(Qt::ImhDigitsOnly | Qt::ImhPreferLatin);
    return box;
}

// A focused push button takes Enter itself, as on every dialog-like window.
QPushButton* NewButton(QWidget* parent, const QString& name, const QString& caption,
                       const QString& tip, Twips at) {
    auto* button = Place(new QPushButton(caption, parent), name, at);
    button->setToolTip(tip);
    button->setAccessibleName(caption);
    button->setAutoDefault(true);
    return button;
}

QRadioButton* NewOption(QWidget* parent, const QString& name, const QString& caption,
                        const QString& tip, Twips at) {
    auto* option = Place(new QRadioButton(caption, parent), name, at);
    option->setFont(LabelFont());
    option->setToolTip(tip);
    option->setAccessibleName(caption);
    // Options stand 16 pixels apart; taller would overlap the next one.
    GrowToText(option, std::min(option->sizeHint().height(), 16), false);
    return option;
}

}  // namespace

frmKalvex::frmKalvex()
    : forms::Form(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                               Qt::WindowCloseButtonHint),
      result_(this),
      edit_(result_, *this, this) {
    setObjectName(QStringLiteral("frmKalvex"));
    setWindowTitle(QStringLiteral("Kalvex"));
    CreateMenus();
    CreateControls();
    SetTabOrder();
    SetClientSize(kClientWidth, kClientHeight, true);
}

void frmKalvex::CreateControls() {
    QWidget* client = Client();
    fraAddStrings = NewFrame(client, QStringLiteral("fraAddStrings"), QStringLiteral("追加文字列"),
                             {120, 120, 4455, 855});
    Label1 = NewLabel(fraAddStrings, QStringLiteral("Label1"), QStringLiteral("前に追加"),
                      {120, 308, 735, 135});
    txtAddText[0] =
        NewTextBox(fraAddStrings, QStringLiteral("txtAddText_0"),
                   QStringLiteral("前に追加する文字列を指定してください"), {960, 240, 2415, 270});
    txtHStart = NewColumnBox(fraAddStrings, QStringLiteral("txtHStart"),
                             QStringLiteral("前に追加する文字の開始桁数を指定できます"),
                             {3360, 240, 495, 270});
    cmdAddTab[0] = NewButton(fraAddStrings, QStringLiteral("cmdAddTab_0"), QStringLiteral("Tab"),
                             QStringLiteral("タブを追加します"), {3840, 240, 495, 255});
    Label2 = NewLabel(fraAddStrings, QStringLiteral("Label2"), QStringLiteral("後ろに追加"),
                      {120, 548, 1215, 135});
    txtAddText[1] =
        NewTextBox(fraAddStrings, QStringLiteral("txtAddText_1"),
                   QStringLiteral("後ろに追加する文字列を追加してください"), {960, 480, 2415, 270});
    txtTStart = NewColumnBox(fraAddStrings, QStringLiteral("txtTStart"),
                             QStringLiteral("後ろに追加する文字の開始桁数を指定できます"),
                             {3360, 480, 495, 270});
    cmdAddTab[1] = NewButton(fraAddStrings, QStringLiteral("cmdAddTab_1"), QStringLiteral("Tab"),
                             QStringLiteral("タブを追加します"), {3840, 480, 495, 255});

    fraOption = NewFrame(client, QStringLiteral("fraOption"), QStringLiteral("エスケープ処理"),
                         {120, 1080, 4455, 975});
    optDblCote[0] = NewOption(fraOption, QStringLiteral("optDblCote_0"), QStringLiteral("変換なし"),
                              QStringLiteral("エスケープ処理を行いません"), {120, 240, 975, 165});
    optDblCote[1] = NewOption(fraOption, QStringLiteral("optDblCote_1"),
                              QStringLiteral("[\"] ⇒ [\"\"] （VB,ASP向け）"),
                              QStringLiteral("ASP用エスケープ処理"), {120, 480, 2175, 165});
    optDblCote[2] = NewOption(fraOption, QStringLiteral("optDblCote_2"),
                              QStringLiteral("[\"] ⇒ [\\\"]  [\\]⇒[\\\\]（C,JAVA向け）"),
                              QStringLiteral("JSP用エスケープ処理"), {120, 720, 2895, 165});

    // Frames pass their font on; the Tab buttons keep the window's own.
    QFont windowFont = font();
    windowFont.setResolveMask(QFont::AllPropertiesResolved);
    for (QPushButton* tab : cmdAddTab) tab->setFont(windowFont);

    cmdAdd = NewButton(client, QStringLiteral("cmdAdd"), QStringLiteral("編集"),
                       QStringLiteral("編集を行います"), {2040, 2160, 1215, 375});
    cmdAdd->setFont(LabelFont());
    cmdAdd->setDefault(true);
    cmdEnd = NewButton(client, QStringLiteral("cmdEnd"), QStringLiteral("終了"),
                       QStringLiteral("終了します"), {3240, 2160, 1215, 375});
    cmdEnd->setFont(LabelFont());

    for (int i = 0; i < 2; ++i) {
        connect(txtAddText[i], &QLineEdit::textChanged, this, [this, i] { txtAddText_Change(i); });
        connect(cmdAddTab[i], &QPushButton::clicked, this, [this, i] { cmdAddTab_Click(i); });
    }
    connect(cmdAdd, &QPushButton::clicked, this, &frmKalvex::cmdAdd_Click);
    connect(cmdEnd, &QPushButton::clicked, this, &frmKalvex::cmdEnd_Click);
}

void frmKalvex::CreateMenus() {
    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuEnd = mnuFile->addAction(QStringLiteral("終了(&E)"));
    mnuEnd->setObjectName(QStringLiteral("mnuEnd"));
    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuKalvex = mnuHelp->addAction(QStringLiteral("Kalvexについて"));
    mnuKalvex->setObjectName(QStringLiteral("mnuKalvex"));
    connect(mnuEnd, &QAction::triggered, this, &frmKalvex::mnuEnd_Click);
    connect(mnuKalvex, &QAction::triggered, this, &frmKalvex::mnuKalvex_Click);
}

void frmKalvex::SetTabOrder() {
    forms::SetTabOrder({txtAddText[0], txtHStart, cmdAddTab[0], txtAddText[1], txtTStart,
                        cmdAddTab[1], optDblCote[0], optDblCote[1], optDblCote[2], cmdAdd, cmdEnd});
}

void frmKalvex::Form_Load() {
    InitControls();
    ShowInputWindow();
}

void frmKalvex::InitControls() {
    txtAddText[0]->clear();
    txtAddText[1]->clear();
    txtHStart->clear();
    txtTStart->clear();
    txtHStart->setEnabled(false);
    txtTStart->setEnabled(false);
    optDblCote[0]->setChecked(true);
}

// The input window docks against the main window's frame, which is known only once the
// main window is on screen; so the main window shows itself first.
void frmKalvex::ShowInputWindow() {
    if (!IsOnScreen()) {
        connect(this, &forms::Form::shownOnScreen, this, &frmKalvex::ShowInputWindow,
                Qt::SingleShotConnection);
        ShowModeless();
        txtAddText[0]->setFocus();
        return;
    }
    input_.Get(this)->ShowModeless();
    activateWindow();
}

void frmKalvex::Form_Resize() {
    frmText* input = input_.Existing();
    if (!input) return;
    input->SetState(State() == forms::kMinimized ? forms::kMinimized : forms::kNormal);
}

void frmKalvex::Form_Unload() {
    if (frmText* input = input_.Existing()) input->Unload();
    // Nothing of the program may stay behind once its main window is gone.
    result_.Dispose();
    if (frmAbout* about = about_.Existing()) about->Unload();
}

void frmKalvex::keyPressEvent(QKeyEvent* event) {
    // cmdAdd is the default button: Enter from any control that leaves it unused.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (cmdAdd->isEnabled()) cmdAdd->click();
        return;
    }
    forms::Form::keyPressEvent(event);
}

ConversionRequest frmKalvex::GatherRequest() {
    ConversionRequest request;
    request.text = input_.Get(this)->Text();
    request.head = txtAddText[0]->text().toStdU16String();
    request.tail = txtAddText[1]->text().toStdU16String();
    if (optDblCote[1]->isChecked())
        request.option = 1;
    else if (optDblCote[2]->isChecked())
        request.option = 2;
    request.hStartText = txtHStart->text().toStdU16String();
    request.tStartText = txtTStart->text().toStdU16String();
    return request;
}

// A disabled field cannot take the focus; the focus then stays where it is.
void frmKalvex::FocusField(ColumnField field) {
    QLineEdit* box = field == ColumnField::HStart ? txtHStart : txtTStart;
    if (box->isEnabled()) box->setFocus();
}

void frmKalvex::cmdAdd_Click() {
    ConversionRequest request;
    try {
        request = GatherRequest();
    } catch (const std::bad_alloc&) {
        // The copy of a text close to the memory's size may not fit beside it.
        edit_.ReportTooLarge();
        return;
    }
    edit_.Run(std::move(request));
}

void frmKalvex::cmdAddTab_Click(int index) {
    if (index < 0 || index > 1) return;
    txtAddText[index]->setText(txtAddText[index]->text() + QChar(u'\t'));
}

void frmKalvex::txtAddText_Change(int index) {
    QLineEdit* column = index == 0 ? txtHStart : txtTStart;
    column->setEnabled(!txtAddText[index]->text().isEmpty());
}

void frmKalvex::cmdEnd_Click() { forms::End(); }

void frmKalvex::mnuEnd_Click() { forms::End(); }

void frmKalvex::mnuKalvex_Click() { about_.Get()->ShowModeless(); }
