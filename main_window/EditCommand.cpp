#include "EditCommand.h"

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

namespace {

// Converted straight into the string the result window shows, so a result of hundreds of
// megabytes is written once and never copied.
QString Convert(const ConversionRequest& request, std::int16_t hStart, std::int16_t tStart) {
    QString out;
    auto room = [&out](std::size_t size) {
        out.resize(static_cast<qsizetype>(size));
        return reinterpret_cast<char16_t*>(out.data());
    };
    modConvert::ConvertInto(room, ModeFromOption(request.option), request.text, request.head,
                            request.tail, hStart, tStart);
    return out;
}

}  // namespace

EditCommand::EditCommand(ResultPresenter& result, ColumnFields& fields, QWidget* owner)
    : result_(result), fields_(fields), owner_(owner) {}

EditOutcome EditCommand::Run(ConversionRequest request) {
    result_.Prepare();
    const std::u16string& hText = request.hStartText;
    const std::u16string& tText = request.tStartText;

    QString converted;
    if (hText.empty() && tText.empty()) {
        converted = Convert(request, 0, 0);
    } else {
        if (modConvert::HasNonDigit(hText)) {
            ReportInputError(ColumnField::HStart);
            return {false, ColumnField::HStart};
        }
        if (modConvert::HasNonDigit(tText)) {
            ReportInputError(ColumnField::TStart);
            return {false, ColumnField::TStart};
        }
        converted = Convert(request, ColumnValue(hText), ColumnValue(tText));
    }
    std::u16string().swap(request.text);
    result_.Present(converted);
    return {true, ColumnField::HStart};
}

void EditCommand::ReportInputError(ColumnField field) {
    forms::MsgBox(owner_, QStringLiteral("半角数字を入力してください"),
                  QStringLiteral("入力エラー"));
    fields_.FocusField(field);
}
