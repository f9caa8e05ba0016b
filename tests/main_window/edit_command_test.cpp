#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "../ModalScript.h"
#include "EditCommand.h"
#include "ResultWindow.h"
#include "frmReturn.h"
#include "modConvert.h"

namespace {

class RecordingFields : public ColumnFields {
  public:
    void FocusField(ColumnField field) override { focused.push_back(field); }
    std::vector<ColumnField> focused;
};

}  // namespace

class EditCommandTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        owner_ = std::make_unique<QWidget>();
        owner_->resize(300, 200);
        owner_->show();
        result_ = std::make_unique<ResultWindow>(owner_.get());
        fields_ = RecordingFields();
        shown_.clear();
        messages_ = 0;
    }
    void cleanup() {
        modal_.Reset();
        result_.reset();
        owner_.reset();
    }

    void bothColumnsEmptyConvertsPlainly_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("mode");
        QTest::newRow("none") << 0 << int(modConvert::kEscapeNone);
        QTest::newRow("quote doubling") << 1 << int(modConvert::kEscapeQuoteDoubling);
        QTest::newRow("backslash") << 2 << int(modConvert::kEscapeBackslash);
        QTest::newRow("unknown index") << 7 << int(modConvert::kEscapeNone);
    }
    void bothColumnsEmptyConvertsPlainly() {
        QFETCH(int, option);
        QFETCH(int, mode);
        ConversionRequest request = Request(u"<a href=\"x\\y\">\r\n\tあ\r\n", u"");
        request.option = option;
        const EditOutcome outcome = Run(request);
        QVERIFY(outcome.converted);
        QCOMPARE(shown_, QStringList{QString::fromStdU16String(
                             modConvert::ConvertLines(static_cast<modConvert::EscapeMode>(mode),
                                                      request.text, request.head, request.tail))});
        QCOMPARE(messages_, 0);
    }

    void zeroAndEmptyMatchThePlainConversion() {
        ConversionRequest request = Request(u"ab\r\ncd", u"0");
        QVERIFY(Run(request).converted);
        QCOMPARE(shown_, QStringList{QStringLiteral("out(\"ab\");\r\nout(\"cd\");\r\n")});
    }

    void leadingZerosCountAsDecimal() {
        QVERIFY(Run(Request(u"x", u"007")).converted);
        QCOMPARE(shown_, QStringList{QStringLiteral("       out(\"x\");\r\n")});
    }

    void tailColumnAlignsByCodePageBytes() {
        ConversionRequest request = Request(u"あ\r\nab", u"");
        request.tStartText = u"12";
        QVERIFY(Run(request).converted);
        // out(" is 5 bytes, あ 2: the tail starts at byte column 12 on both lines.
        QCOMPARE(shown_, QStringList{QStringLiteral("out(\"あ    \");\r\nout(\"ab    \");\r\n")});
    }

    void badColumnsReportTheFirstFieldOnly_data() {
        QTest::addColumn<QString>("hStart");
        QTest::addColumn<QString>("tStart");
        QTest::addColumn<int>("field");
        QTest::newRow("letters in both") << "a"
                                         << "b" << int(ColumnField::HStart);
        QTest::newRow("decimal point in tail") << ""
                                               << "1.5" << int(ColumnField::TStart);
        QTest::newRow("full-width digit in head") << "１"
                                                  << "" << int(ColumnField::HStart);
        QTest::newRow("full-width digit in tail") << "3"
                                                  << "２" << int(ColumnField::TStart);
        QTest::newRow("superscript two") << "²"
                                         << "" << int(ColumnField::HStart);
        QTest::newRow("minus sign") << "-1"
                                    << "" << int(ColumnField::HStart);
        QTest::newRow("space") << ""
                               << " 1" << int(ColumnField::TStart);
    }
    void badColumnsReportTheFirstFieldOnly() {
        QFETCH(QString, hStart);
        QFETCH(QString, tStart);
        QFETCH(int, field);
        ConversionRequest request = Request(u"text", u"");
        request.hStartText = hStart.toStdU16String();
        request.tStartText = tStart.toStdU16String();
        const EditOutcome outcome = Run(request);
        QVERIFY(!outcome.converted);
        QCOMPARE(int(outcome.failedField), field);
        QCOMPARE(messages_, 1);
        QCOMPARE(message_, QStringLiteral("入力エラー|半角数字を入力してください"));
        QCOMPARE(fields_.focused, std::vector<ColumnField>{ColumnField(field)});
        QVERIFY(shown_.isEmpty());
        // The result window was prepared before the check: it exists, hidden and empty.
        QVERIFY(result_->Existing());
        QVERIFY(!result_->Existing()->isVisible());
        QCOMPARE(result_->Existing()->WholeText(), QString());
    }

    void emptyTextStillShowsTheWindow() {
        QVERIFY(Run(Request(u"", u"")).converted);
        QCOMPARE(shown_, QStringList{QString()});
    }

    void secondRunShowsOnlyItsOwnText() {
        QVERIFY(Run(Request(u"first", u"")).converted);
        QVERIFY(Run(Request(u"second", u"")).converted);
        QCOMPARE(shown_, (QStringList{QStringLiteral("out(\"first\");\r\n"),
                                      QStringLiteral("out(\"second\");\r\n")}));
    }

    void failedRunThenGoodRunReusesTheHiddenWindow() {
        ConversionRequest bad = Request(u"x", u"z");
        QVERIFY(!Run(bad).converted);
        frmReturn* hidden = result_->Existing();
        QVERIFY(hidden);
        QVERIFY(Run(Request(u"y", u"")).converted);
        QCOMPARE(shown_, QStringList{QStringLiteral("out(\"y\");\r\n")});
        QTRY_VERIFY(!result_->Existing());
    }

    void columnValuesSaturateInsteadOfOverflowing() {
        QCOMPARE(ColumnValue(u""), 0);
        QCOMPARE(ColumnValue(u"999"), 999);
        QCOMPARE(ColumnValue(u"32767"), 32767);
        QCOMPARE(ColumnValue(u"99999999999999999999"), 32767);
    }

  private:
    static ConversionRequest Request(std::u16string_view text, std::u16string_view hStart) {
        ConversionRequest request;
        request.text = text;
        request.head = u"out(\"";
        request.tail = u"\");";
        request.hStartText = hStart;
        return request;
    }

    // Runs the command, answering its message box and reading then closing its result window.
    EditOutcome Run(const ConversionRequest& request) {
        modal_.When<QMessageBox>([this](QMessageBox* box) {
            ++messages_;
            message_ = box->windowTitle() + u'|' + box->text();
            box->button(QMessageBox::Ok)->click();
        });
        modal_.When<frmReturn>([this](frmReturn* form) {
            shown_ << form->WholeText();
            form->Unload();
        });
        EditCommand command(*result_, fields_, owner_.get());
        const EditOutcome outcome = command.Run(request);
        modal_.Reset();
        return outcome;
    }

    std::unique_ptr<QWidget> owner_;
    std::unique_ptr<ResultWindow> result_;
    RecordingFields fields_;
    ModalScript modal_;
    QStringList shown_;
    int messages_ = 0;
    QString message_;
};

QTEST_MAIN(EditCommandTest)
#include "edit_command_test.moc"
