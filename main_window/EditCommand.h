// The Edit command: checks the column fields, converts the text and presents the result.
#pragma once

#include <cstdint>
#include <string>

#include "engine/modConvert.h"
#include "forms/LargeText.h"

namespace forms {
class Form;
}

struct ConversionRequest {
    std::u16string text;
    std::u16string head;
    std::u16string tail;
    int option = 0;  // index of the selected escape option button
    std::u16string hStartText;
    std::u16string tStartText;
};

enum class ColumnField { HStart, TStart };

// The result window as the command uses it.
class ResultPresenter {
  public:
    virtual ~ResultPresenter() = default;
    // Creates the window, hidden, if it does not exist, and empties it.
    virtual void Prepare() = 0;
    // Shows text modally; returns when the window has been closed.
    virtual void Present(const forms::LargeText& text) = 0;
};

// The window that holds the column fields.
class ColumnFields {
  public:
    virtual ~ColumnFields() = default;
    virtual void FocusField(ColumnField field) = 0;
};

enum class EditOutcome {
    Converted,
    HStartError,  // the head column holds more than half-width digits
    TStartError,
    TooLarge,  // the result would not fit in the result window or in memory
};

modConvert::EscapeMode ModeFromOption(int option);

// The value of a digits-only column text; empty is 0 and a value past the 16-bit range
// stops at its top.
std::int16_t ColumnValue(std::u16string_view digits);

class EditCommand {
  public:
    // owner is the window the messages belong to.
    EditCommand(ResultPresenter& result, ColumnFields& fields, const forms::Form* owner);
    // Takes the request whole: its text is let go before the result is shown, for the memory.
    EditOutcome Run(ConversionRequest request);
    // Tells the user that the text is too large to edit.
    void ReportTooLarge();

  private:
    EditOutcome ReportInputError(ColumnField field);

    ResultPresenter& result_;
    ColumnFields& fields_;
    const forms::Form* owner_;
};
