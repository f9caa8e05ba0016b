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

// 逆変換's note, short and put before the result window's caption so that its numbers show at
// the window's design width, the one that needs attention first: lines kept as they are and the
// first of them, lines read back, blank lines dropped, values written as <%= expression %>.
std::u16string ReverseNote(const modConvert::Reversed& reversed) {
    auto number = [](std::size_t n) {
        const std::string digits = std::to_string(n);
        return std::u16string(digits.begin(), digits.end());
    };
    std::u16string note = u"逆変換";
    if (reversed.kept > 0)
        note += u" " + number(reversed.kept) + u"行そのまま(" + number(reversed.firstKept) +
                u"行目〜)";
    note += u" " + number(reversed.read) + u"行戻し";
    if (reversed.dropped > 0) note += u" 空行-" + number(reversed.dropped);
    if (reversed.values > 0) note += u" 式" + number(reversed.values);
    return note;
}

// The opt-in escapes name themselves in the result window's caption.
std::u16string VariantNote(modConvert::Variant variant) {
    switch (variant) {
        case modConvert::Variant::UnicodeEscapes:
            return u"編集（非ASCIIを \\uXXXX に）";
        case modConvert::Variant::Apostrophes:
            return u"編集（' を \\' に）";
        case modConvert::Variant::Tabs:
            return u"編集（タブを \\t / vbTab に）";
        case modConvert::Variant::Joins:
            return u"編集（<%= 式 %> を連結に）";
    }
    return {};
}

std::optional<modConvert::Variant> VariantOf(TextCommand command) {
    switch (command) {
        case TextCommand::EditUnicode:
            return modConvert::Variant::UnicodeEscapes;
        case TextCommand::EditApostrophes:
            return modConvert::Variant::Apostrophes;
        case TextCommand::EditTabs:
            return modConvert::Variant::Tabs;
        case TextCommand::EditJoins:
            return modConvert::Variant::Joins;
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
            out.note = VariantNote(*variant);
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
