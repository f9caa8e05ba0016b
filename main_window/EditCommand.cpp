#include "EditCommand.h"

#include <QString>
#include <limits>

#include "Services.h"

modConvert::EscapeMode ModeFromOption(int option) {
    if (option == 1) return modConvert::kEscapeQuoteDoubling;
    if (option == 2) return modConvert::kEscapeBackslash;
    return modConvert::kEscapeNone;
}

std::int16_t ColumnValue(std::u16string_view digits) {
    constexpr int kTop = std::numeric_limits<std::int16_t>::max();
    int value = 0;
    for (char16_t c : digits) {
        value = value * 10 + (c - u'0');
        if (value >= kTop) return kTop;
    }
    return static_cast<std::int16_t>(value);
}

EditCommand::EditCommand(ResultPresenter& result, ColumnFields& fields, QWidget* owner)
    : result_(result), fields_(fields), owner_(owner) {}

EditOutcome EditCommand::Run(const ConversionRequest& request) {
    result_.Prepare();
    const modConvert::EscapeMode mode = ModeFromOption(request.option);
    const std::u16string& hText = request.hStartText;
    const std::u16string& tText = request.tStartText;

    std::u16string converted;
    if (hText.empty() && tText.empty()) {
        converted = modConvert::ConvertLines(mode, request.text, request.head, request.tail);
    } else {
        if (modConvert::HasNonDigit(hText)) {
            ReportInputError(ColumnField::HStart);
            return {false, ColumnField::HStart};
        }
        if (modConvert::HasNonDigit(tText)) {
            ReportInputError(ColumnField::TStart);
            return {false, ColumnField::TStart};
        }
        converted = modConvert::ConvertLinesAligned(mode, request.text, request.head, request.tail,
                                                    ColumnValue(hText), ColumnValue(tText));
    }
    result_.Present(converted);
    return {true, ColumnField::HStart};
}

void EditCommand::ReportInputError(ColumnField field) {
    forms::MsgBox(owner_, QStringLiteral("半角数字を入力してください"),
                  QStringLiteral("入力エラー"));
    fields_.FocusField(field);
}
