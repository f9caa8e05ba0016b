// The result window as the Edit command sees it.
#pragma once

#include "forms/Form.h"
#include "main_window/EditCommand.h"
#include "text_windows/frmReturn.h"

class ResultWindow : public ResultPresenter {
  public:
    // owner is the window the result window belongs to and is centred over.
    explicit ResultWindow(forms::Form* owner) : owner_(owner) {}

    void Prepare() override { slot_.Get(owner_)->Clear(); }
    void Present(const forms::LargeText& text) override { slot_.Get(owner_)->Present(text); }
    // Closes the window if it exists (a failed Edit leaves it hidden).
    void Dispose() {
        if (frmReturn* form = slot_.Existing()) form->Unload();
    }

  private:
    forms::Form* owner_;
    forms::FormSlot<frmReturn> slot_;
};
