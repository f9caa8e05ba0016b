// The Edit command: checks the column fields, converts the text and presents the result.
#pragma once

#include <functional>
#include <string>

#include "engine/modConvert.h"
#include "forms/Form.h"
#include "text_windows/frmReturn.h"

struct ConversionRequest {
    std::u16string text;
    std::u16string head;
    std::u16string tail;
    modConvert::EscapeMode mode = modConvert::kEscapeNone;
    std::u16string hStartText;
    std::u16string tStartText;
};

enum class ColumnField { HStart, TStart };

// TooLarge: the result would not fit in the result window or in memory.
enum class EditOutcome { Converted, HStartError, TStartError, TooLarge };

class EditCommand {
  public:
    // owner is the main window: the messages and the result window belong to it, and
    // focusField puts its focus on a column field that failed the check.
    EditCommand(forms::Form* owner, std::function<void(ColumnField)> focusField)
        : owner_(owner), focusField_(std::move(focusField)) {}
    // Takes the request whole: its text is let go before the result is shown, for the memory.
    EditOutcome Run(ConversionRequest request);
    // Tells the user that the text is too large to edit.
    void ReportTooLarge();
    // Closes the result window if it exists: a failed Edit leaves it hidden.
    void Dispose() {
        if (frmReturn* result = result_.Existing()) result->Unload();
    }

  private:
    EditOutcome ReportInputError(ColumnField field);

    forms::Form* owner_;
    std::function<void(ColumnField)> focusField_;
    forms::FormSlot<frmReturn> result_;
};
