// The result window: shows the converted text modally and copies all of it.
#pragma once

#include "forms/Form.h"

class frmReturn : public forms::Form {
  public:
    explicit frmReturn(forms::Form* owner = nullptr);

    void Clear();  // empties txtReturn
    // Puts text into txtReturn and shows the window modally, centred over its owner (or the
    // screen); returns once the window is closed. A note, if any, goes before the caption.
    void Present(const forms::LargeText& text, std::u16string_view note = {});

  protected:
    void Form_Load() override;
    void Form_Resize() override;

  private:
    void FitResultBox();
    void mnuQuit_Click();
    void mnuClipCopy_Click();
    bool txtReturn_KeyDown(forms::Key key);

    // The text as presented: the box shows a lone CR as a line break, so while the user has
    // not changed anything the copy takes this, exactly as converted.
    forms::LargeText presented_;
};
