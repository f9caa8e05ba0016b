// The main window: head and tail strings, column fields, escape option, Edit and End.
#pragma once

#include <array>

#include "EditCommand.h"
#include "Form.h"
#include "ResultWindow.h"
#include "frmAbout.h"
#include "frmText.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmKalvex : public forms::Form, public ColumnFields {
    Q_OBJECT
  public:
    frmKalvex();

    // The request as the fields hold it now.
    ConversionRequest GatherRequest();
    void FocusField(ColumnField field) override;

  protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Unload() override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void CreateControls();
    void CreateMenus();
    void SetTabOrder();
    void InitControls();
    void ShowInputWindow();

    void cmdAdd_Click();
    void cmdAddTab_Click(int index);
    void txtAddText_Change(int index);
    void cmdEnd_Click();
    void mnuEnd_Click();
    void mnuKalvex_Click();

    QGroupBox* fraAddStrings;
    QLabel* Label1;
    QLabel* Label2;
    std::array<QLineEdit*, 2> txtAddText;
    QLineEdit* txtHStart;
    QLineEdit* txtTStart;
    std::array<QPushButton*, 2> cmdAddTab;
    QGroupBox* fraOption;
    std::array<QRadioButton*, 3> optDblCote;
    QPushButton* cmdAdd;
    QPushButton* cmdEnd;
    QAction* mnuEnd;
    QAction* mnuKalvex;

    forms::FormSlot<frmText> input_;
    forms::FormSlot<frmAbout> about_;
    ResultWindow result_;
    EditCommand edit_;
};
