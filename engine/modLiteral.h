// A whole text as one literal of a language that has a literal for pages: a Java text block,
// a JavaScript template, a C++ raw string, or JSON strings. The literal's value is exactly the
// text: its lines joined by LF, no line end after the last (JSON: an array of the lines).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace modConvert {

enum class Literal {
    // """ and a line break, the lines indented by hStart, the closing """ on a line of its own.
    // Escaped: \, every third " of a run, a lone CR or LF, a lone surrogate, and the white
    // space that ends a line, which javac strips. A text over javac's 65,535 bytes is written
    // as String.join("", """...""", """..."""), pieces javac cannot fold into one constant.
    TextBlock,
    // Backquotes; escaped: `, \, ${, a lone CR or LF, a lone surrogate.
    Template,
    // R"d(...)d" with a delimiter the text does not contain, cut into adjacent pieces of at most
    // MSVC's 16,380 bytes; a lone CR and NUL as "\r" and "\0" between pieces.
    Raw,
    // [, each line as a JSON string on a line of its own, ]: ", \, U+0000-U+001F and lone
    // surrogates escaped.
    Json,
};

// Whether the form can hold the text: a raw string is UTF-8, which has no lone surrogate.
bool Holds(Literal form, std::u16string_view text);

// hStart spaces, head, the literal, tail, CR LF; nothing for a text the form does not hold.
// The tail follows the literal's close: a literal has one tail, no column to line up with.
void ConvertLiteralInto(const std::function<char16_t*(std::size_t)>& room, Literal form,
                        std::u16string_view text, std::u16string_view head,
                        std::u16string_view tail, std::int16_t hStart);

std::u16string ConvertLiteral(Literal form, std::u16string_view text, std::u16string_view head,
                              std::u16string_view tail, std::int16_t hStart);

}  // namespace modConvert
