#include "EditCommand.h"

#include <limits>
#include <new>
#include <optional>

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

// A text box counts its characters in an int, its closing line end among them.
constexpr std::size_t kMostShownUnits = std::numeric_limits<int>::max() - 1;

// Converted straight into the string the result window shows, so a result of hundreds of
// megabytes is written once and never copied. Nothing, when the result would not fit in the
// result window or in memory.
std::optional<QString> Convert(const ConversionRequest& request, std::int16_t hStart,
                               std::int16_t tStart) {
    QString out;
    bool fits = true;
    auto room = [&out, &fits](std::size_t size) -> char16_t* {
        fits = size <= kMostShownUnits;
        if (!fits) return nullptr;
        out.resize(static_cast<qsizetype>(size));
        return reinterpret_cast<char16_t*>(out.data());
    };
    try {
        modConvert::ConvertInto(room, ModeFromOption(request.option), request.text, request.head,
                                request.tail, hStart, tStart);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (!fits) return std::nullopt;
    return out;
}

}  // namespace

EditCommand::EditCommand(ResultPresenter& result, ColumnFields& fields, QWidget* owner)
    : result_(result), fields_(fields), owner_(owner) {}

EditOutcome EditCommand::Run(ConversionRequest request) {
    result_.Prepare();
    const std::u16string& hText = request.hStartText;
    const std::u16string& tText = request.tStartText;

    std::optional<QString> converted;
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
    if (!converted) {
        ReportTooLarge();
        return {false, ColumnField::HStart, true};
    }
    result_.Present(*converted);
    return {true, ColumnField::HStart};
}

void EditCommand::ReportInputError(ColumnField field) {
    forms::MsgBox(owner_, QStringLiteral("半角数字を入力してください"),
                  QStringLiteral("入力エラー"));
    fields_.FocusField(field);
}

void EditCommand::ReportTooLarge() {
    forms::MsgBox(owner_,
                  QStringLiteral("テキストが大きすぎるため編集できません。"
                                 "テキストを分けて編集してください。"),
                  QStringLiteral("編集エラー"));
}
