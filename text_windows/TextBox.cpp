#include "TextBox.h"

#include <QPlainTextEdit>
#include <QTextDocument>

#include "Services.h"

namespace text_windows {

QPlainTextEdit* NewMultiLineBox(QWidget* parent, const QString& name) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setFont(forms::JapaneseFont(forms::Face::Gothic, 9));
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setTabChangesFocus(false);
    return box;
}

QString TextWithCrLf(const QPlainTextEdit* box) {
    // toPlainText() would turn no-break spaces into spaces; the raw text keeps them and
    // marks each line break with a paragraph separator.
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    return text;
}

}  // namespace text_windows
