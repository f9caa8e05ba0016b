// The input window: holds the text to convert, docked beside the main window.
#pragma once

#include <functional>
#include <string>

#include "engine/modCommand.h"
#include "forms/Form.h"

class frmText : public forms::Form {
  public:
    // main is the window this one docks beside and belongs to, and runs the box's commands.
    frmText(forms::Form* main, std::function<void(modConvert::Command)> run);

    // The commands that write escapes of the chosen option (tabs, joins) are offered only
    // while one is chosen.
    void OfferEscapedVariants(bool offered);

    // The text as typed, with CR LF line ends.
    std::u16string Text() const { return C("txtText").Text(); }

  protected:
    void Form_Load() override;
    void Form_Resize() override;
    bool Form_KeyDown(forms::Key key) override;

  private:
    void DockBesideMain();
    void FitTextBox();
    void ClearText();
    bool txtText_KeyDown(forms::Key key);
    void mnuClear_Click();
    void OfferLiterals();

    std::function<void(modConvert::Command)> run_;
};
