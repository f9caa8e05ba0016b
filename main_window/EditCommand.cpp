#include "main_window/EditCommand.h"

#include <limits>
#include <new>
#include <optional>

#include "forms/App.h"

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

// Converted straight into the text the result window shows, so a result of hundreds of
// megabytes is written once and never copied. Nothing, when the result would not fit in the
// result window or in memory.
std::optional<forms::LargeText> Convert(const ConversionRequest& request, std::int16_t hStart,
                                        std::int16_t tStart) {
    forms::LargeText out;
    bool fits = true;
    auto room = [&out, &fits](std::size_t size) {
        char16_t* at = out.Resize(size);
        fits = at != nullptr;
        return at;
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

EditOutcome EditCommand::Run(ConversionRequest request) {
    frmReturn* result = result_.Get(owner_);
    result->Clear();
    const std::u16string& hText = request.hStartText;
    const std::u16string& tText = request.tStartText;

    std::optional<forms::LargeText> converted;
    if (hText.empty() && tText.empty()) {
        converted = Convert(request, 0, 0);
    } else {
        if (modConvert::HasNonDigit(hText)) return ReportInputError(ColumnField::HStart);
        if (modConvert::HasNonDigit(tText)) return ReportInputError(ColumnField::TStart);
        converted = Convert(request, ColumnValue(hText), ColumnValue(tText));
    }
    std::u16string().swap(request.text);
    if (!converted) {
        ReportTooLarge();
        return EditOutcome::TooLarge;
    }
    result->Present(*converted);
    return EditOutcome::Converted;
}

EditOutcome EditCommand::ReportInputError(ColumnField field) {
    forms::MsgBox(owner_, u"半角数字を入力してください", u"入力エラー");
    focusField_(field);
    return field == ColumnField::HStart ? EditOutcome::HStartError : EditOutcome::TStartError;
}

void EditCommand::ReportTooLarge() {
    forms::MsgBox(owner_,
                  u"テキストが大きすぎるため編集できません。テキストを分けて編集してください。",
                  u"編集エラー");
}
