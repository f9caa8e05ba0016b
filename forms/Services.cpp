#include "Services.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMessageBox>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include "version.h"

namespace forms {

namespace {

QStringList Families(Face face) {
    // The design faces first, then faces with the same metrics, then what every
    // Japanese desktop has.
    if (face == Face::Gothic) {
        return {QStringLiteral("ＭＳ ゴシック"),
                QStringLiteral("MS Gothic"),
                QStringLiteral("IPAGothic"),
                QStringLiteral("IPAゴシック"),
                QStringLiteral("Noto Sans Mono CJK JP"),
                QStringLiteral("monospace")};
    }
    return {QStringLiteral("ＭＳ Ｐゴシック"),  QStringLiteral("MS PGothic"),
            QStringLiteral("IPAPGothic"),       QStringLiteral("IPA Pゴシック"),
            QStringLiteral("Noto Sans CJK JP"), QStringLiteral("sans-serif")};
}

std::function<void()>& EndAction() {
    static std::function<void()> action = [] {
        for (QWidget* w : QApplication::topLevelWidgets()) w->hide();
        QCoreApplication::exit(0);
    };
    return action;
}

class KeyDownFilter : public QObject {
  public:
    KeyDownFilter(QObject* parent, std::function<bool(QKeyEvent*)> handler)
        : QObject(parent), handler_(std::move(handler)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && handler_(static_cast<QKeyEvent*>(event)))
            return true;
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<bool(QKeyEvent*)> handler_;
};

class ClickFilter : public QObject {
  public:
    ClickFilter(QObject* parent, std::function<void()> handler)
        : QObject(parent), handler_(std::move(handler)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            auto* widget = static_cast<QWidget*>(watched);
            if (mouse->button() == Qt::LeftButton &&
                widget->rect().contains(mouse->position().toPoint()))
                handler_();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> handler_;
};

// A text box claims the common edit shortcuts before the window sees them; for these
// keys it declines, so the window's action fires instead.
class ShortcutYield : public QObject {
  public:
    ShortcutYield(QObject* parent, QKeySequence keys) : QObject(parent), keys_(std::move(keys)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (QKeySequence(key->keyCombination()) == keys_) {
                event->ignore();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QKeySequence keys_;
};

}  // namespace

QFont JapaneseFont(Face face, qreal points, bool bold) {
    QFont font;
    font.setFamilies(Families(face));
    font.setStyleHint(face == Face::Gothic ? QFont::Monospace : QFont::SansSerif);
    if (face == Face::Gothic) font.setFixedPitch(true);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void MsgBox(QWidget* owner, const QString& prompt, const QString& title) {
    QMessageBox box(QMessageBox::Warning, title, prompt, QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void CopyToClipboard(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

AppInfo App() {
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    AppInfo info;
    // Only a Windows executable's name ends in an extension (".exe"); a name may hold
    // other dots, which belong to it.
#ifdef Q_OS_WIN
    info.exeName = exe.completeBaseName();
#else
    info.exeName = exe.fileName();
#endif
    info.major = KALVEX_VERSION_MAJOR;
    info.minor = KALVEX_VERSION_MINOR;
    info.revision = KALVEX_VERSION_REVISION;
    info.legalCopyright = QString::fromUtf8(KALVEX_LEGAL_COPYRIGHT);
    info.path = QDir::toNativeSeparators(exe.absolutePath());
    return info;
}

void ShellOpen(const QString& address) {
    QDesktopServices::openUrl(QUrl::fromUserInput(address, App().path));
}

void End() { EndAction()(); }

void SetEndAction(std::function<void()> action) { EndAction() = std::move(action); }

void OnKeyDown(QWidget* control, std::function<bool(QKeyEvent*)> handler) {
    control->installEventFilter(new KeyDownFilter(control, std::move(handler)));
}

void OnClick(QWidget* control, std::function<void()> handler) {
    control->installEventFilter(new ClickFilter(control, std::move(handler)));
}

void SetTabOrder(std::initializer_list<QWidget*> order) {
    QWidget* previous = nullptr;
    for (QWidget* control : order) {
        if (previous) QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

void YieldShortcutToWindow(QWidget* control, const QKeySequence& keys) {
    control->installEventFilter(new ShortcutYield(control, keys));
}

}  // namespace forms
