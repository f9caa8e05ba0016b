// The result window as the Edit command sees it.
#pragma once

#include "EditCommand.h"
#include "Form.h"
#include "frmReturn.h"

class ResultWindow : public ResultPresenter {
  public:
    // owner is the window the result window belongs to and is centred over; may be null.
    explicit ResultWindow(QWidget* owner) : owner_(owner) {}

    void Prepare() override;
    void Present(const QString& text) override;
    // Closes the window if it exists (a failed Edit leaves it hidden).
    void Dispose();
    frmReturn* Existing() const { return slot_.Existing(); }

  private:
    QWidget* owner_;
    forms::FormSlot<frmReturn> slot_;
};
