#include "main_window/EditCommand.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <string>

#include "engine/modCheck.h"
#include "engine/modReverse.h"
#include "engine/modVariant.h"
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

// 逆変換's line after the result window's caption: what did not read back, and a head and tail
// that were taken from the text.
std::u16string ReverseNote(const modConvert::Reversed& reversed) {
    auto number = [](std::size_t n) {
        const std::string digits = std::to_string(n);
        return std::u16string(digits.begin(), digits.end());
    };
    std::u16string note = reversed.kept == 0
                              ? u"逆変換: すべての行を戻しました"
                              : u"逆変換: " + number(reversed.kept) + u" 行はそのまま（最初は " +
                                    number(reversed.firstKept) + u" 行目）";
    if (reversed.guessed)
        note += u"　前「" + reversed.head + u"」 後ろ「" + reversed.tail + u"」として";
    return note;
}

// The output of a context-menu command, and the note for the result window's caption.
std::u16string RunText(TextCommand command, const ConversionRequest& r, std::int16_t hStart,
                       std::int16_t tStart, std::u16string& note) {
    using modConvert::Variant;
    switch (command) {
        case TextCommand::Reverse: {
            modConvert::Reversed reversed =
                modConvert::ReverseLines(r.mode, r.text, r.head, r.tail, hStart, tStart);
            note = ReverseNote(reversed);
            return std::move(reversed.text);
        }
        case TextCommand::Check:
            note = u"変換前チェック";
            return modConvert::CheckReport(r.mode, r.text, r.head, r.tail, hStart, tStart);
        case TextCommand::EditUnicode:
            return ConvertVariant(Variant::UnicodeEscapes, r.mode, r.text, r.head, r.tail, hStart,
                                  tStart);
        case TextCommand::EditApostrophes:
            return ConvertVariant(Variant::Apostrophes, r.mode, r.text, r.head, r.tail, hStart,
                                  tStart);
        case TextCommand::EditTabs:
            return ConvertVariant(Variant::Tabs, r.mode, r.text, r.head, r.tail, hStart, tStart);
        case TextCommand::Edit:
            break;
    }
    return {};
}

// The same, into the text the result window shows; nothing when it does not fit.
std::optional<forms::LargeText> ConvertText(TextCommand command, const ConversionRequest& request,
                                            std::int16_t hStart, std::int16_t tStart,
                                            std::u16string& note) {
    try {
        const std::u16string text = RunText(command, request, hStart, tStart, note);
        forms::LargeText out;
        char16_t* at = out.Resize(text.size());
        if (!at) return std::nullopt;
        std::copy(text.begin(), text.end(), at);
        return out;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace

EditOutcome EditCommand::Run(ConversionRequest request, TextCommand command) {
    frmReturn* result = result_.Get(owner_);
    result->Clear();
    // Empty fields pass the checks and count as 0: with both empty, the plain conversion.
    if (HasNonDigit(request.hStartText)) return ReportInputError(EditOutcome::HStartError);
    if (HasNonDigit(request.tStartText)) return ReportInputError(EditOutcome::TStartError);
    const std::int16_t hStart = ColumnValue(request.hStartText);
    const std::int16_t tStart = ColumnValue(request.tStartText);
    std::u16string note;
    const std::optional<forms::LargeText> converted =
        command == TextCommand::Edit ? Convert(request, hStart, tStart)
                                     : ConvertText(command, request, hStart, tStart, note);
    std::u16string().swap(request.text);
    if (!converted) {
        ReportTooLarge();
        return EditOutcome::TooLarge;
    }
    result->Present(*converted, note);
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
