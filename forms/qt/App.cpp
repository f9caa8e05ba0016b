// The program around the windows on Qt: start-up, application information, the shell, the
// message box, the clipboard, the end, fonts and large texts.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <QUrl>
#include <limits>

#include "resources/AppIcon.h"
#include "forms/App.h"
#include "forms/Guard.h"
#include "forms/qt/NativeForm.h"
#include "resources/version.h"

namespace forms {

namespace {

// The design faces first, then faces with the same metrics, then what every Japanese desktop has.
QStringList Families(Face face) {
    if (face == Face::Gothic)
        return {"ＭＳ ゴシック", "MS Gothic", "IPAGothic", "IPAゴシック", "Noto Sans Mono CJK JP",
                "monospace"};
    return {"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic", "IPA Pゴシック", "Noto Sans CJK JP",
            "sans-serif"};
}

// A text box counts its characters in an int, its closing line end among them.
constexpr std::size_t kMostShownUnits = std::numeric_limits<int>::max() - 1;

void PutOnClipboard(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

}  // namespace

QFont JapaneseFont(Face face, double points, bool bold) {
    QFont font;
    font.setFamilies(Families(face));
    font.setStyleHint(face == Face::Gothic ? QFont::Monospace : QFont::SansSerif);
    if (face == Face::Gothic) font.setFixedPitch(true);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

struct Application::Native {
    // The toolkit gets the program's path only: its own options (-style, -stylesheet,
    // -platform, -reverse) would otherwise change the program.
    explicit Native(const char* programPath) : argv{const_cast<char*>(programPath), nullptr} {}
    int argc = 1;
    char* argv[2];
    QApplication app{argc, argv};
    QTranslator translator;
};

Application::Application(const char* programPath)
    : native_(std::make_unique<Native>(programPath)) {
    QApplication::setApplicationName(ToQString(App().exeName));
    // The toolkit's own words, as in its text boxes' context menus, in the program's language.
    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (native_->translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"),
                                 QStringLiteral("_"), translations))
        QCoreApplication::installTranslator(&native_->translator);
    // The windows' default font, as on a Japanese desktop.
    QApplication::setFont(JapaneseFont(Face::PGothic, 9));
    QApplication::setWindowIcon(KalvexIcon());
}

Application::~Application() = default;

int Application::Exec() { return QApplication::exec(); }

AppInfo App() {
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    // Only a Windows executable's name ends in an extension (".exe"); a name may hold other
    // dots, which belong to it.
    return {exe.fileName().toStdU16String(), KALVEX_VERSION_MAJOR, KALVEX_VERSION_MINOR,
            KALVEX_VERSION_REVISION, QString::fromUtf8(KALVEX_LEGAL_COPYRIGHT).toStdU16String(),
            QDir::toNativeSeparators(exe.absolutePath()).toStdU16String()};
}

void ShellOpen(const Form*, std::u16string_view address) {
    QDesktopServices::openUrl(QUrl::fromUserInput(ToQString(address), ToQString(App().path)));
}

void MsgBox(const Form* owner, std::u16string_view prompt, std::u16string_view title) {
    QMessageBox box(QMessageBox::Warning, ToQString(title), ToQString(prompt), QMessageBox::Ok,
                    owner ? owner->Native() : nullptr);
    box.setWindowModality(Qt::ApplicationModal);
    // Ctrl+C copies the box's title, text and button, as a Windows message box does.
    auto* copy = new QAction(&box);
    copy->setShortcut(QKeySequence::Copy);
    QObject::connect(copy, &QAction::triggered, [&box] {
        const QString rule = QStringLiteral("---------------------------\n");
        PutOnClipboard(rule + box.windowTitle() + u'\n' + rule + box.text() + u'\n' + rule +
                       box.button(QMessageBox::Ok)->text().remove(u'&') + u'\n' + rule);
    });
    box.addAction(copy);
    box.exec();
}

void CopyToClipboard(std::u16string_view text) { PutOnClipboard(ToQString(text)); }
void CopyToClipboard(const LargeText& text) { PutOnClipboard(text.Native().text); }

void Alert() noexcept { QApplication::beep(); }

// Until the event loop next runs: once the result window is up, or the paste is in.
void ShowBusy() {
    static bool shown = false;
    if (std::exchange(shown, true)) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QTimer::singleShot(0, [] {
        QApplication::restoreOverrideCursor();
        shown = false;
    });
}

void End() {
    for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
    QCoreApplication::exit(0);
}

LargeText::LargeText() : native_(std::make_unique<NativeText>()) {}
LargeText::~LargeText() = default;
LargeText::LargeText(const LargeText& other)
    : native_(std::make_unique<NativeText>(*other.native_)) {}
LargeText& LargeText::operator=(const LargeText& other) {
    *native_ = *other.native_;
    return *this;
}

char16_t* LargeText::Resize(std::size_t size) {
    if (size > kMostShownUnits) return nullptr;
    native_->text.resize(qsizetype(size));
    return reinterpret_cast<char16_t*>(native_->text.data());
}

}  // namespace forms
