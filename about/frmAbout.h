// The About box: the program's name, version and copyright, the author and the author's home
// page, which a click on its address opens with the desktop's default handler.
#pragma once

#include "forms/Form.h"

class frmAbout : public forms::Form {
  public:
    // The box belongs to no other window: it stays open, and usable, on its own.
    frmAbout();

  protected:
    void Form_Load() override;
    bool Form_KeyDown(forms::Key key) override;

  private:
    void lblHP_Click();
    void cmdClose_Click();
};
