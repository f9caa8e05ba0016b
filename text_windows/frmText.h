// The input window: holds the text to convert, docked beside the main window.
#pragma once

#include <string>

#include "Form.h"

class QAction;
class QKeyEvent;
class QPlainTextEdit;

class frmText : public forms::Form {
    Q_OBJECT
  public:
    // main is the window this one docks beside and belongs to.
    explicit frmText(forms::Form* main);

    // The text as typed, with CR LF line ends.
    std::u16string Text() const;

  protected:
    void Form_Load() override;
    void Form_Resize() override;
    bool Form_KeyDown(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void DockBesideMain();
    void FitTextBox();
    void ClearText();
    bool txtText_KeyDown(QKeyEvent* event);
    void mnuClear_Click();

    forms::Form* main_;
    QPlainTextEdit* txtText;
    QAction* mnuClear;
};
