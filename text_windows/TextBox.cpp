#include "TextBox.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <cstring>

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

namespace {

// Block by block into a string sized once: the document's own plain text would cost a copy of
// the whole text and turn no-break spaces into spaces, and replacing its separators afterwards
// moves the rest of the text once per thousand lines.
template <class String>
String JoinBlocks(const QTextDocument* document) {
    const qsizetype separators = document->blockCount() - 1;
    String out;
    out.resize(document->characterCount() - 1 + separators);
    auto* at = reinterpret_cast<char16_t*>(out.data());
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block != document->begin()) {
            *at++ = u'\r';
            *at++ = u'\n';
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QString piece = it.fragment().text();
            std::memcpy(at, piece.utf16(), piece.size() * sizeof(char16_t));
            at += piece.size();
        }
    }
    Q_ASSERT(at == reinterpret_cast<char16_t*>(out.data()) + out.size());
    return out;
}

}  // namespace

QString TextWithCrLf(const QPlainTextEdit* box) { return JoinBlocks<QString>(box->document()); }

std::u16string U16TextWithCrLf(const QPlainTextEdit* box) {
    return JoinBlocks<std::u16string>(box->document());
}

}  // namespace text_windows
