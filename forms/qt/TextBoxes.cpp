#include "forms/qt/TextBoxes.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QValidator>
#include <algorithm>
#include <limits>
#include <memory>
#include <utility>

#include "forms/App.h"
#include "forms/Guard.h"
#include "forms/Paste.h"

namespace forms {

namespace {

// Cuts a pasted text as a single-line box keeps it (FirstLine): the break and everything after
// it up to the cursor, the end of what was inserted, go; what stood after the cursor stays.
class FirstLineOnly : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        return Guarded(Invalid, [&] { return Cut(input, pos); });
    }

  private:
    static qsizetype FirstLineSize(const QString& text) {
        return qsizetype(
            FirstLine({reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size())})
                .size());
    }
    static State Cut(QString& input, int& pos) {
        const qsizetype cut = FirstLineSize(input);
        if (cut == input.size()) return Acceptable;
        const QString rest = input.mid(std::max<qsizetype>(pos, cut));
        input = input.left(cut) + (FirstLineSize(rest) < rest.size() ? QString() : rest);
        pos = int(cut);
        return Acceptable;
    }
};

// The toolkit measures a line's width in 26.6 fixed point: past 2^25 pixels the width
// overflows, and the box can no longer scroll along the line.
bool HasLineTooWideToScroll(const QPlainTextEdit* box, const QString& text) {
    constexpr qsizetype kWidestPixels = std::numeric_limits<int>::max() / 64;
    // Every unit counted as double width, the widest this fixed-pitch face draws.
    const int cell = std::max(1, box->fontMetrics().horizontalAdvance(u'x'));
    const qsizetype longest = kWidestPixels / (2 * cell);
    if (text.size() <= longest) return false;
    for (const QStringView line : QStringView(text).tokenize(u'\n'))
        if (line.size() > longest) return true;
    return false;
}

// Shift+F10 opens a box's context menu at the caret, as on Windows; the toolkit opens it for
// the menu key only.
class ShiftF10Menu : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() != Qt::Key_F10 || key->modifiers() != Qt::ShiftModifier) return false;
        auto* box = static_cast<QWidget*>(watched);
        const QPoint at = box->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        QContextMenuEvent open(QContextMenuEvent::Keyboard, at, box->mapToGlobal(at));
        QCoreApplication::sendEvent(box, &open);
        return true;
    }
};

}  // namespace

QLineEdit* NewSingleLineBox(const QString& text, QWidget* parent) {
    auto* box = new QLineEdit(text, parent);
    box->setValidator(new FirstLineOnly(box));
    box->installEventFilter(new ShiftF10Menu(box));
    return box;
}

MultiLineBox::MultiLineBox(const QString& text, QWidget* parent) : QPlainTextEdit(text, parent) {
    installEventFilter(new ShiftF10Menu(this));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int removed, int) {
        removed_ += removed;
        justCleared_ = false;
    });
}

void MultiLineBox::Fill(const QString& text) {
    pending_ = text;
    if (isVisible()) FillNow();
}

// A box that gets its first size with a text in it makes a layout object for every line of
// it (hundreds of megabytes for a large text); filled once it has its size, it lays out only
// the lines in view.
void MultiLineBox::showEvent(QShowEvent* event) {
    QPlainTextEdit::showEvent(event);
    if (pending_) Guarded([this] { FillNow(); });
}

void MultiLineBox::FillNow() {
    const QString text = *std::exchange(pending_, std::nullopt);
    // Rather wrapped than cut: a line too wide to scroll along could not be read to its end.
    if (HasLineTooWideToScroll(this, text)) setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Into the document itself: the box's own setPlainText would go over the whole text
    // again to give it the cursor's character format.
    document()->setPlainText(text);
    document()->setModified(false);
    removed_ = 0;
    moveCursor(QTextCursor::Start);
}

// The undo history reaches back to the last clear or paste: it keeps the page just cleared
// and the paste just made, not every page of a day's work. While undo is on, the document also
// keeps every text it ever held in one buffer, removed text included: once the removed text
// outgrows what the box holds, the document is set anew with its text alone, the cursor and
// selection where they were.
void MultiLineBox::DropUndoHistory() {
    QTextDocument* doc = document();
    doc->clearUndoRedoStacks();
    if (removed_ <= doc->characterCount()) return;
    const QTextCursor cursor = textCursor();
    const int anchor = cursor.anchor(), position = cursor.position();
    const bool modified = doc->isModified();
    doc->setPlainText(doc->toRawText());
    doc->setModified(modified);
    removed_ = 0;
    QTextCursor restored(doc);
    restored.setPosition(anchor);
    restored.setPosition(position, QTextCursor::KeepAnchor);
    setTextCursor(restored);
}

void MultiLineBox::ClearUndoably() {
    DropUndoHistory();
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    justCleared_ = true;  // until the next change
}

// Straight into the document: the toolkit's paste first builds a second document from the
// text and then copies that in, twice the time and memory for a large text.
void MultiLineBox::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) return;
    ShowBusy();  // a large text takes a while to lay out
    Guarded([&] {
        if (!justCleared_) DropUndoHistory();
        insertPlainText(source->text());
        ensureCursorVisible();
    });
}

// The editing items as a Windows edit control has them: no redo, whose letter would also clash
// with the window's own items.
void MultiLineBox::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    for (QAction* action : menu->actions())
        if (action->objectName() == u"edit-redo") menu->removeAction(action);
    if (!contextActions_.empty()) {
        menu->addSeparator();
        for (QAction* action : contextActions_) menu->addAction(action);
    }
    menu->exec(event->globalPos());
}

void MultiLineBox::keyPressEvent(QKeyEvent* event) {
    // Shift+Enter would insert a soft line separator that looks like a line break but is
    // not one; every visible line break is a real one.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ShiftModifier)) {
        Guarded([this] { insertPlainText(QStringLiteral("\n")); });
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

// The document's raw text with CR LF for its paragraph separators, in one pass into a string
// sized once. Its plain text would turn no-break spaces into spaces; replacing the separators in
// place would move the rest of the text once per thousand lines.
std::u16string MultiLineBox::Text() const {
    const QString raw = document()->toRawText();
    const std::u16string_view text(reinterpret_cast<const char16_t*>(raw.utf16()), raw.size());
    std::u16string out;
    out.reserve(text.size() + raw.count(QChar::ParagraphSeparator));
    for (std::size_t from = 0;;) {
        const std::size_t stop = text.find(u'\u2029', from);
        out.append(text.substr(from, stop - from));
        if (stop == text.npos) return out;
        out += u"\r\n";
        from = stop + 1;
    }
}

}  // namespace forms
