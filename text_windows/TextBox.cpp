#include "TextBox.h"

#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <algorithm>
#include <limits>

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

// The document's raw text, its paragraph separators made CR LF in one pass into a string sized
// once. Its plain text would turn no-break spaces into spaces; replacing the separators in place
// moves the rest of the text once per thousand lines; and walking it block by block looks each
// block up again, at five times the cost of this copy.
template <class String>
String JoinLines(const QTextDocument* document) {
    const QString raw = document->toRawText();
    // Sized from the separators themselves, not from the document's count of its blocks: what
    // is written can never pass what was allocated.
    const qsizetype size = raw.size() + raw.count(QChar::ParagraphSeparator);
    String out;
    out.resize(size);
    auto* at = reinterpret_cast<char16_t*>(out.data());
    const char16_t* from = reinterpret_cast<const char16_t*>(raw.utf16());
    const char16_t* end = from + raw.size();
    for (;;) {
        const char16_t* stop = std::find(from, end, u'\u2029');
        at = std::copy(from, stop, at);
        if (stop == end) break;
        *at++ = u'\r';
        *at++ = u'\n';
        from = stop + 1;
    }
    return out;
}

}  // namespace

// The toolkit measures a line's width in 26.6 fixed point: past 2^25 pixels the width
// overflows, and the box can no longer scroll along the line.
bool HasLineTooWideToScroll(const QPlainTextEdit* box, const QString& text) {
    constexpr qsizetype kWidestPixels = std::numeric_limits<int>::max() / 64;
    // Every unit counted as double width, the widest this fixed-pitch face draws.
    const int cell = std::max(1, box->fontMetrics().horizontalAdvance(u'x'));
    const qsizetype longest = kWidestPixels / (2 * cell);
    if (text.size() <= longest) return false;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) end = text.size();
        if (end - start > longest) return true;
        start = end + 1;
    }
    return false;
}

QString TextWithCrLf(const QPlainTextEdit* box) { return JoinLines<QString>(box->document()); }

std::u16string U16TextWithCrLf(const QPlainTextEdit* box) {
    return JoinLines<std::u16string>(box->document());
}

}  // namespace text_windows
