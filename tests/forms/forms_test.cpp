#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "../ModalScript.h"
#include "Form.h"
#include "Services.h"
#include "Twips.h"

namespace {

// A form that counts its load and unload steps and reports its own destruction.
class ProbeForm : public forms::Form {
    Q_OBJECT
  public:
    explicit ProbeForm(int* loads, int* unloads)
        : forms::Form(nullptr, Qt::Window), loads_(loads), unloads_(unloads) {
        SetClientSize(3000, 1500, false);
    }

  protected:
    void Form_Load() override { ++*loads_; }
    void Form_Unload() override { ++*unloads_; }

  private:
    int* loads_;
    int* unloads_;
};

}  // namespace

class FormsTest : public QObject {
    Q_OBJECT
  private slots:
    void cleanup() { modal_.Reset(); }

    void twipsConvertAtFifteenPerPixel() {
        QCOMPARE(forms::Px(4710), 314);
        QCOMPARE(forms::Px(0), 0);
        QCOMPARE(forms::Px(7), 0);
        QCOMPARE(forms::Px(8), 1);     // half a pixel rounds up
        QCOMPARE(forms::Px(308), 21);  // 20.53 pixels
        QCOMPARE(forms::Px(-8), -1);
        QCOMPARE(forms::Twips(forms::Px(2565)), 2565);
        QCOMPARE(forms::PxRect(120, 240, 975, 165), QRect(8, 16, 65, 11));
    }

    void slotCreatesOnceAndAfreshAfterClose() {
        int loads = 0, unloads = 0;
        forms::FormSlot<ProbeForm> slot;
        QVERIFY(!slot.Existing());
        ProbeForm* first = slot.Get(&loads, &unloads);
        QCOMPARE(slot.Get(&loads, &unloads), first);
        QCOMPARE(loads, 1);
        QVERIFY(!first->isVisible());  // a use loads the form without showing it

        first->resize(600, 400);
        first->ShowModeless();
        first->Unload();
        QCOMPARE(unloads, 1);
        QTRY_VERIFY(!slot.Existing());

        ProbeForm* second = slot.Get(&loads, &unloads);
        QCOMPARE(loads, 2);
        QCOMPARE(second->ScaleWidth(), 3000);  // design size again, not the user's
        QCOMPARE(second->ScaleHeight(), 1500);
        second->Unload();
    }

    void modalShowReturnsOnceClosedAndBlocksOthers() {
        int loads = 0, unloads = 0;
        QWidget other;
        other.show();
        forms::FormSlot<ProbeForm> slot;
        bool blockedWhileShown = false;
        modal_.When<ProbeForm>([&](ProbeForm* form) {
            blockedWhileShown = form->windowModality() == Qt::ApplicationModal &&
                                QApplication::activeModalWidget() == form;
            form->Unload();
        });
        slot.Get(&loads, &unloads)->ShowModal();
        QVERIFY(blockedWhileShown);
        QCOMPARE(unloads, 1);
        QTRY_VERIFY(!slot.Existing());
    }

    void outerGeometryRoundTripsInTwips() {
        int loads = 0, unloads = 0;
        forms::FormSlot<ProbeForm> slot;
        ProbeForm* form = slot.Get(&loads, &unloads);
        form->Move(1500, 750, 4500, 3000);
        QCOMPARE(form->Left(), 1500);
        QCOMPARE(form->Top(), 750);
        QCOMPARE(form->Width(), 4500);
        QCOMPARE(form->Height(), 3000);
        form->Unload();
    }

    void messageBoxIsExclamationWithOkOnly() {
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int buttons = 0;
        modal_.When<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->buttons().size();
            box->button(QMessageBox::Ok)->click();
        });
        forms::MsgBox(nullptr, QStringLiteral("prompt"), QStringLiteral("title"));
        QCOMPARE(title, QStringLiteral("title"));
        QCOMPARE(text, QStringLiteral("prompt"));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(buttons, 1);
    }

    void clipboardIsReplacedEvenByEmptyText() {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("sentinel"));
        forms::CopyToClipboard(QStringLiteral("a\r\nb"));
        QCOMPARE(clipboard->text(), QStringLiteral("a\r\nb"));
        forms::CopyToClipboard(QString());
        QCOMPARE(clipboard->text(), QString());
    }

    void appInfoNamesTheExecutableAndVersion() {
        const forms::AppInfo info = forms::App();
        QCOMPARE(info.exeName, QStringLiteral("forms_test"));
        QCOMPARE(QStringLiteral("%1.%2.%3").arg(info.major).arg(info.minor).arg(info.revision),
                 QStringLiteral("1.1.0"));
        QVERIFY(!info.legalCopyright.isEmpty());
        QVERIFY(QFileInfo(info.path).isDir());
    }

    // Column alignment on screen relies on a double-width character being two cells.
    void fixedPitchFaceHasDoubleWidthCells() {
        const QFont font = forms::JapaneseFont(forms::Face::Gothic, 9);
        const QFontMetrics metrics(font);
        const int cell = metrics.horizontalAdvance(QLatin1Char('A'));
        QVERIFY(cell > 0);
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("あ")), 2 * cell);
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("漢字")), 4 * cell);
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("ｱ")), cell);
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("iW")), 2 * cell);
    }

  private:
    ModalScript modal_;
};

QTEST_MAIN(FormsTest)
#include "forms_test.moc"
