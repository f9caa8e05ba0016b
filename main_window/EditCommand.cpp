#include "main_window/EditCommand.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>

#include "forms/App.h"

namespace {

using modConvert::HasNonDigit;

// The value of a digits-only column text; empty is 0 and a value past the 16-bit range
// stops at its top.
std::int16_t ColumnValue(std::u16string_view digits) {
    constexpr int kTop = std::numeric_limits<std::int16_t>::max();
    int value = 0;
    for (char16_t c : digits) value = std::min(value * 10 + (c - u'0'), kTop);
    return static_cast<std::int16_t>(value);
}

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
        modConvert::ConvertInto(room, request.mode, request.text, request.head, request.tail,
                                hStart, tStart);
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
    // Empty fields pass the checks and count as 0: with both empty, the plain conversion.
    if (HasNonDigit(request.hStartText)) return ReportInputError(EditOutcome::HStartError);
    if (HasNonDigit(request.tStartText)) return ReportInputError(EditOutcome::TStartError);
    const std::optional<forms::LargeText> converted =
        Convert(request, ColumnValue(request.hStartText), ColumnValue(request.tStartText));
    std::u16string().swap(request.text);
    if (!converted) {
        ReportTooLarge();
        return EditOutcome::TooLarge;
    }
    result->Present(*converted);
    return EditOutcome::Converted;
}

EditOutcome EditCommand::ReportInputError(EditOutcome error) {
    forms::MsgBox(owner_, u"半角数字を入力してください", u"入力エラー");
    return error;
}

void EditCommand::ReportTooLarge() {
    forms::MsgBox(owner_,
                  u"テキストが大きすぎるため編集できません。テキストを分けて編集してください。",
                  u"編集エラー");
}
