#include "main_window/EditCommand.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <string>

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

// A command's output and the note for the result window's caption.
struct Produced {
    forms::LargeText text;
    std::u16string note;
};

// Written straight into the text the result window shows, so that a result of hundreds of
// megabytes is written once; nothing when the output would not fit in the result window or in
// memory.
std::optional<Produced> Produce(modConvert::Command command, const ConversionRequest& r,
                                std::int16_t hStart, std::int16_t tStart) {
    Produced out;
    bool fits = true;
    const auto room = [&out, &fits](std::size_t size) {
        char16_t* at = out.text.Resize(size);
        fits = at != nullptr;
        return at;
    };
    try {
        out.note =
            modConvert::RunCommand(command, {r.mode, r.text, r.head, r.tail, hStart, tStart}, room);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (!fits) return std::nullopt;
    return out;
}

}  // namespace

EditOutcome EditCommand::Run(ConversionRequest request, modConvert::Command command) {
    frmReturn* result = result_.Get(owner_);
    result->Clear();
    // Empty fields pass the checks and count as 0: with both empty, the plain conversion.
    if (HasNonDigit(request.hStartText)) return ReportInputError(EditOutcome::HStartError);
    if (HasNonDigit(request.tStartText)) return ReportInputError(EditOutcome::TStartError);
    const std::int16_t hStart = ColumnValue(request.hStartText);
    const std::int16_t tStart = ColumnValue(request.tStartText);
    const std::optional<Produced> produced = Produce(command, request, hStart, tStart);
    std::u16string().swap(request.text);
    if (!produced) {
        ReportTooLarge();
        return EditOutcome::TooLarge;
    }
    result->Present(produced->text, produced->note);
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
