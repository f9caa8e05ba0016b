// The two kinds of text box, with what the plain Qt widgets lack for them.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace forms {

// A single-line box that keeps only the first line of a pasted text.
QLineEdit* NewSingleLineBox(const QString& text, QWidget* parent);

// Both scroll bars, no wrapping; holds texts of hundreds of megabytes.
class MultiLineBox : public QPlainTextEdit {
    Q_OBJECT
  public:
    MultiLineBox(const QString& text, QWidget* parent);

    // Shows text; a box not yet on screen takes it once it has its size.
    void Fill(const QString& text);
    // Empties the box as an edit the user can undo.
    void ClearUndoably();
    // The text with CR LF between lines, every character kept as typed.
    std::u16string Text() const;
    // Shown in the context menu after the editing items and a separator.
    void AddContextAction(QAction* action) { contextActions_.push_back(action); }

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void FillNow();
    void DropUndoHistory();

    std::optional<QString> pending_;
    std::vector<QAction*> contextActions_;
    bool justCleared_ = false;  // the last change was ClearUndoably
    qint64 removed_ = 0;        // characters removed since the document was last set anew
};

}  // namespace forms
