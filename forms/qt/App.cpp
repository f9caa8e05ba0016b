// The program around the windows on Qt: start-up, application information, the shell, the
// message box, the clipboard, the end, fonts and large texts.
#include "forms/App.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>
#include <QUrl>

#include "forms/Guard.h"
#include "forms/Rules.h"
#include "forms/qt/NativeForm.h"
#include "resources/AppIcon.h"
#include "resources/version.h"

namespace forms {

namespace {

void PutOnClipboard(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

}  // namespace

// The faces in their order, then the toolkit's generic family for the pitch.
QFont JapaneseFont(const Font& font) {
    const bool fixed = font.face == Face::Gothic;
    QStringList families;
    for (std::u16string_view name : FaceNames(font.face)) families << ToQString(name);
    families << (fixed ? QStringLiteral("monospace") : QStringLiteral("sans-serif"));
    QFont made;
    made.setFamilies(families);
    made.setStyleHint(fixed ? QFont::Monospace : QFont::SansSerif);
    if (fixed) made.setFixedPitch(true);
    made.setPointSizeF(font.points);
    made.setBold(font.bold);
    return made;
}

// One Qt logical pixel is a 96-DPI pixel whatever the screen's scale.
int ScreenDpi() { return 96; }

void Fatal(const std::string& message) { qFatal("%s", message.c_str()); }

struct Application::Native {
    // The toolkit gets the program's path only: its own options (-style, -stylesheet,
    // -platform, -reverse) would otherwise change the program.
    explicit Native(const char* programPath) : argv{const_cast<char*>(programPath), nullptr} {}
    int argc = 1;
    char* argv[2];
    QApplication app{argc, argv};
    QTranslator translator;
};

Application::Application(const char* programPath) : native_(std::make_unique<Native>(programPath)) {
    QApplication::setApplicationName(ToQString(App().exeName));
    // The toolkit's own words, as in its text boxes' context menus, in the program's language.
    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (native_->translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"),
                                 QStringLiteral("_"), translations))
        QCoreApplication::installTranslator(&native_->translator);
    QApplication::setFont(JapaneseFont(Resolved({})));
    QApplication::setWindowIcon(KalvexIcon());
}

Application::~Application() = default;

int Application::Exec() { return QApplication::exec(); }

AppInfo App() {
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    // Only a Windows executable's name ends in an extension (".exe"); a name may hold other
    // dots, which belong to it.
    return {exe.fileName().toStdU16String(),
            KALVEX_VERSION_MAJOR,
            KALVEX_VERSION_MINOR,
            KALVEX_VERSION_REVISION,
            QString::fromUtf8(KALVEX_LEGAL_COPYRIGHT).toStdU16String(),
            QDir::toNativeSeparators(exe.absolutePath()).toStdU16String()};
}

void ShellOpen(const Form*, std::u16string_view address) {
    QDesktopServices::openUrl(QUrl::fromUserInput(ToQString(address), ToQString(App().path)));
}

void MsgBox(const Form* owner, std::u16string_view prompt, std::u16string_view title) {
    QMessageBox box(QMessageBox::Warning, ToQString(title), ToQString(prompt), QMessageBox::Ok,
                    owner ? static_cast<QtForm&>(owner->Native()).Widget() : nullptr);
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
void CopyToClipboard(const LargeText& text) {
    PutOnClipboard(text.Native() ? text.Native()->text : QString());
}

void Beep() noexcept { QApplication::beep(); }

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

std::shared_ptr<NativeText> NewNativeText(std::size_t size, char16_t*& units) {
    auto text = std::make_shared<NativeText>();
    text->text.resize(qsizetype(size));
    units = reinterpret_cast<char16_t*>(text->text.data());
    return text;
}

}  // namespace forms
