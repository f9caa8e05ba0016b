#include "TextBox.h"

#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <cstring>
#include <limits>

#include "LargeBuffer.h"
#include "Services.h"

namespace text_windows {
namespace {

class MultiLineBox : public QPlainTextEdit {
  public:
    using QPlainTextEdit::QPlainTextEdit;

  protected:
    // Straight into the document: the toolkit's paste first builds a second document from the
    // text and then copies that in, twice the time and memory for a large text.
    void insertFromMimeData(const QMimeData* source) override {
        if (!source || !source->hasText()) return;
        insertPlainText(source->text());
        ensureCursorVisible();
    }
};

}  // namespace

QPlainTextEdit* NewMultiLineBox(QWidget* parent, const QString& name) {
    auto* box = new MultiLineBox(parent);
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
    const qsizetype size = document->characterCount() - 1 + separators;
    String out;
    out.reserve(size);
    forms::AdviseLargeBuffer(out.data(), size * sizeof(char16_t));
    out.resize(size);
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

// The toolkit measures a line's width in 26.6 fixed point: past 2^25 pixels the width
// overflows, and the box can no longer scroll along the line.
bool HasLineTooWideToScroll(const QPlainTextEdit* box, const QString& text) {
    constexpr qsizetype kWidestPixels = std::numeric_limits<int>::max() / 64;
    // Every unit counted as double width, the widest this fixed-pitch face draws.
    const qsizetype longest = kWidestPixels / (2 * box->fontMetrics().horizontalAdvance(u'x'));
    if (text.size() <= longest) return false;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) end = text.size();
        if (end - start > longest) return true;
        start = end + 1;
    }
    return false;
}

QString TextWithCrLf(const QPlainTextEdit* box) { return JoinBlocks<QString>(box->document()); }

std::u16string U16TextWithCrLf(const QPlainTextEdit* box) {
    return JoinBlocks<std::u16string>(box->document());
}

}  // namespace text_windows
