// The result window: shows the converted text modally and copies all of it.
#pragma once

#include "Form.h"

class QAction;
class QKeyEvent;
class QPlainTextEdit;

class frmReturn : public forms::Form {
    Q_OBJECT
  public:
    explicit frmReturn(QWidget* owner = nullptr);

    // Empties txtReturn.
    void Clear();
    // Puts text into txtReturn and shows the window modally, centred over owner (or the
    // screen); returns once the window is closed and destroyed.
    void Present(const QString& text, const QWidget* over);
    // The whole current text, with CR LF line ends.
    QString WholeText() const;

  protected:
    void Form_Load() override;
    void Form_Resize() override;
    void showEvent(QShowEvent* event) override;

  private:
    void PlaceResultBox();
    void FitResultBox();
    void mnuQuit_Click();
    void mnuClipCopy_Click();
    bool txtReturn_KeyDown(QKeyEvent* event);

    QPlainTextEdit* txtReturn;
    QAction* mnuQuit;
    QAction* mnuClipCopy;
    // The text as presented: the box shows a lone CR as a line break, so while the user
    // has not changed anything the copy takes this, exactly as converted.
    QString presented_;
    bool filled_ = true;  // the box holds presented_
};
