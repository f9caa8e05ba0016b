// The About box: the program's name, version and copyright, the author and the author's
// home page, which a click on its address opens with the desktop's default handler.
#pragma once

#include "Form.h"

class QKeyEvent;
class QLabel;
class QPushButton;

class frmAbout : public forms::Form {
    Q_OBJECT
  public:
    // The box belongs to no other window: it stays open, and usable, on its own.
    explicit frmAbout(QWidget* owner = nullptr);

  protected:
    void Form_Load() override;
    bool Form_KeyDown(QKeyEvent* event) override;

  private:
    QLabel* NewLabel(const char* name, int left, int top, int width, int height,
                     const QString& caption);
    void lblHP_Click();
    void cmdClose_Click();

    QLabel* lblVer;
    QLabel* lblAPPName;
    QLabel* lblCrtTitle;
    QLabel* lblCrt;
    QLabel* lblCopyright;
    QLabel* lblHPTitle;
    QLabel* lblHP;
    QPushButton* cmdClose;
};
