// The Edit command: checks the column fields, converts the text and presents the result.
#pragma once

#include <QString>
#include <string>

#include "modConvert.h"

class QWidget;

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
    virtual void Present(const QString& text) = 0;
};

// The window that holds the column fields.
class ColumnFields {
  public:
    virtual ~ColumnFields() = default;
    virtual void FocusField(ColumnField field) = 0;
};

struct EditOutcome {
    bool converted = false;
    ColumnField failedField = ColumnField::HStart;  // meaningful only for a column error
    bool tooLarge = false;  // the result would not fit in the result window or in memory
};

modConvert::EscapeMode ModeFromOption(int option);

// The value of a digits-only column text; empty is 0 and a value past the 16-bit range
// stops at its top.
std::int16_t ColumnValue(std::u16string_view digits);

class EditCommand {
  public:
    // owner is the window the input-error message belongs to.
    EditCommand(ResultPresenter& result, ColumnFields& fields, QWidget* owner);
    // Takes the request whole: its text is let go before the result is shown, for the memory.
    EditOutcome Run(ConversionRequest request);
    // Tells the user that the text is too large to edit.
    void ReportTooLarge();

  private:
    void ReportInputError(ColumnField field);

    ResultPresenter& result_;
    ColumnFields& fields_;
    QWidget* owner_;
};
