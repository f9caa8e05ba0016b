// The main window: head and tail strings, column fields, escape option, Edit and End.
#pragma once

#include "about/frmAbout.h"
#include "forms/Form.h"
#include "main_window/EditCommand.h"
#include "text_windows/frmText.h"

class frmKalvex : public forms::Form {
  public:
    frmKalvex();

  protected:
    void Form_Load() override;
    void Form_OnScreen() override;
    void Form_Resize() override;
    void Form_Unload() override;

  private:
    void InitControls();
    ConversionRequest GatherRequest();  // as the fields hold it now
    frmText* Input();  // created on first use, hidden
    void RunCommand(modConvert::Command command);
    void cmdAdd_Click();
    void optDblCote_Click(int index);
    void cmdAddTab_Click(int index);
    void txtAddText_Change(int index);
    void cmdEnd_Click();
    void mnuEnd_Click();
    void mnuKalvex_Click();

    forms::FormSlot<frmText> input_;
    forms::FormSlot<frmAbout> about_;
    EditCommand edit_;
};
