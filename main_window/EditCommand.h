// The Edit command: checks the column fields, converts the text and presents the result.
#pragma once

#include <string>

#include "engine/modCommand.h"
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

// The escape options in the order of their buttons (none, VB/ASP, C/Java) as the engine's modes.
constexpr modConvert::EscapeMode EscapeModeOf(int option) {
    return option == 1   ? modConvert::kEscapeQuoteDoubling
           : option == 2 ? modConvert::kEscapeBackslash
                         : modConvert::kEscapeNone;
}

// TooLarge: the result would not fit in the result window or in memory.
enum class EditOutcome { Converted, HStartError, TStartError, TooLarge };

class EditCommand {
  public:
    // owner is the main window: the messages and the result window belong to it.
    explicit EditCommand(forms::Form* owner) : owner_(owner) {}
    // Takes the request whole: its text is let go before the result is shown, for the memory.
    // An input error has been reported when it returns; the focus is the window's to move.
    // The context menu's commands read the fields as 編集 does and show their output likewise.
    EditOutcome Run(ConversionRequest request,
                    modConvert::Command command = modConvert::Command::Edit);
    // Tells the user that the text is too large to edit.
    void ReportTooLarge();
    // Closes the result window if it exists: a failed Edit leaves it hidden.
    void Dispose() {
        if (frmReturn* result = result_.Existing()) result->Unload();
    }

  private:
    EditOutcome ReportInputError(EditOutcome error);

    forms::Form* owner_;
    forms::FormSlot<frmReturn> result_;
};
