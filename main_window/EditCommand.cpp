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

// 逆変換's line before the result window's caption: what did not read back, and a head and tail
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
    if (reversed.dropped > 0) note += u"　空行 " + number(reversed.dropped) + u" 行を削除";
    if (reversed.values > 0) note += u"　<%= %> " + number(reversed.values) + u" 個";
    if (reversed.guessed)
        note += u"　前「" + reversed.head + u"」 後ろ「" + reversed.tail + u"」として";
    return note;
}

std::optional<modConvert::Variant> VariantOf(TextCommand command) {
    switch (command) {
        case TextCommand::EditUnicode:
            return modConvert::Variant::UnicodeEscapes;
        case TextCommand::EditApostrophes:
            return modConvert::Variant::Apostrophes;
        case TextCommand::EditTabs:
            return modConvert::Variant::Tabs;
        default:
            return std::nullopt;
    }
}

// A command's output and the note for the result window's caption.
struct Produced {
    forms::LargeText text;
    std::u16string note;
};

// Written straight into the text the result window shows where the engine can, so that a
// result of hundreds of megabytes is written once; nothing when the output would not fit in the
// result window or in memory.
std::optional<Produced> Produce(TextCommand command, const ConversionRequest& r,
                                std::int16_t hStart, std::int16_t tStart) {
    Produced out;
    bool fits = true;
    const auto room = [&out, &fits](std::size_t size) {
        char16_t* at = out.text.Resize(size);
        fits = at != nullptr;
        return at;
    };
    const auto put = [&room](const std::u16string& text) {
        if (char16_t* at = room(text.size())) std::copy(text.begin(), text.end(), at);
    };
    try {
        if (command == TextCommand::Edit) {
            modConvert::ConvertInto(room, r.mode, r.text, r.head, r.tail, hStart, tStart);
        } else if (const auto variant = VariantOf(command)) {
            modConvert::ConvertVariantInto(room, *variant, r.mode, r.text, r.head, r.tail, hStart,
                                           tStart);
        } else if (command == TextCommand::Reverse) {
            const modConvert::Reversed reversed =
                modConvert::ReverseLines(r.mode, r.text, r.head, r.tail, hStart, tStart);
            out.note = ReverseNote(reversed);
            put(reversed.text);
        } else {
            out.note = u"変換前チェック";
            put(modConvert::CheckReport(r.mode, r.text, r.head, r.tail, hStart, tStart));
        }
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (!fits) return std::nullopt;
    return out;
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
