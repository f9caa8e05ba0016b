#include "engine/modCommand.h"

#include <algorithm>

#include "engine/modCheck.h"
#include "engine/modReverse.h"
#include "engine/modVariant.h"

namespace modConvert {
namespace {

std::u16string Number(std::size_t n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

// 逆変換's note, short so that its numbers show at the result window's design width, the ones
// that need attention first: lines kept as they are, lines of code kept inside <% %>, each with
// the first of them; lines read back, blank lines dropped, values written as <%= expression %>,
// and lines whose written line break (\n, vbCrLf) was their end, which the join item writes back
// when the tail ends with it.
std::u16string ReverseNote(const Reversed& reversed) {
    std::u16string note(RowOf(Command::Reverse).note);
    const auto lines = [&note](std::size_t count, std::size_t first, std::u16string_view what) {
        if (count == 0) return;
        note.append(u" ").append(Number(count)).append(what).append(u"(");
        note.append(Number(first)).append(u"行目〜)");
    };
    lines(reversed.kept, reversed.firstKept, u"行そのまま");
    lines(reversed.code, reversed.firstCode, u"行コード");
    note.append(u" ").append(Number(reversed.read)).append(u"行戻し");
    if (reversed.dropped > 0) note.append(u" 空行-").append(Number(reversed.dropped));
    if (reversed.values > 0) note.append(u" 式").append(Number(reversed.values));
    if (reversed.lineEnds > 0) note.append(u" 行末改行").append(Number(reversed.lineEnds));
    return note;
}

void Put(const std::function<char16_t*(std::size_t)>& room, const std::u16string& text) {
    if (char16_t* at = room(text.size())) std::copy(text.begin(), text.end(), at);
}

void RunVariant(Variant variant, const Fields& f,
                const std::function<char16_t*(std::size_t)>& room) {
    ConvertVariantInto(room, variant, f.mode, f.text, f.head, f.tail, f.hStart, f.tStart);
}

// A text the form cannot hold gets no literal, and the note says why.
std::u16string RunLiteral(Command command, Literal form, const Fields& f,
                          const std::function<char16_t*(std::size_t)>& room) {
    ConvertLiteralInto(room, form, f.text, f.head, f.tail, f.hStart);
    std::u16string note(RowOf(command).note);
    if (!Holds(form, f.text)) note += u": 対のないサロゲートは UTF-8 の文字列に書けません";
    return note;
}

}  // namespace

std::u16string RunCommand(Command command, const Fields& f,
                          const std::function<char16_t*(std::size_t)>& room) {
    switch (command) {
        case Command::Edit:
            ConvertInto(room, f.mode, f.text, f.head, f.tail, f.hStart, f.tStart);
            break;
        case Command::Reverse: {
            const Reversed reversed =
                ReverseLines(f.mode, f.text, f.head, f.tail, f.hStart, f.tStart);
            Put(room, reversed.text);
            return ReverseNote(reversed);
        }
        case Command::Check:
            Put(room, CheckReport(f.mode, f.text, f.head, f.tail, f.hStart, f.tStart));
            break;
        case Command::EditUnicode:
            RunVariant(Variant::UnicodeEscapes, f, room);
            break;
        case Command::EditApostrophes:
            RunVariant(Variant::Apostrophes, f, room);
            break;
        case Command::EditTabs:
            RunVariant(Variant::Tabs, f, room);
            break;
        case Command::EditJoins:
            RunVariant(Variant::Joins, f, room);
            break;
        case Command::LiteralTextBlock:
            return RunLiteral(command, Literal::TextBlock, f, room);
        case Command::LiteralTemplate:
            return RunLiteral(command, Literal::Template, f, room);
        case Command::LiteralRaw:
            return RunLiteral(command, Literal::Raw, f, room);
        case Command::LiteralJson:
            return RunLiteral(command, Literal::Json, f, room);
    }
    return std::u16string(RowOf(command).note);
}

}  // namespace modConvert
