// Fuzzes 逆変換 of the literal forms: what ConvertLiteral writes for a text the form holds comes
// back as exactly the text, every line read, nothing kept; twice in a row, as the text twice. A
// raw string writes a lone LF as a line break of the source, as it writes CR LF (both are LF in
// its value): that LF comes back as a line break. A text block writes a lone LF after white space
// javac strips (U+3000, U+2028, ...) at a piece's end as it writes a line break after it: texts
// without one.
// Input: the form (from 0xF0 on, with the text repeated past the pieces' limits), HStart, TStart,
// head and tail lengths (one byte each), then head, tail and the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/Line.h"
#include "engine/Statement.h"
#include "engine/modLiteral.h"
#include "engine/modReverse.h"
#include "tests/engine/fuzz/FuzzInput.h"

namespace {

using namespace modConvert;
using namespace kalvex_fuzz;

// Whether C++ joins what s starts with (blanks aside, a literal or nothing: the next line's) to a
// raw string before it.
bool JoinsRaw(std::u16string_view s) {
    return s.find_first_not_of(u" \t") == s.npos || statement::JoinsRaw(s);
}

// A fair head and tail: one line each; a head that ends outside any literal and comment (after
// one that opens them, the form's output is no literal of its own) and does not tag a template;
// a tail that does not go on with the literal (C++ joins a literal that follows a raw string to
// it) nor opens one that spans lines.
bool Fair(Literal form, std::u16string_view head, std::u16string_view tail) {
    if (head.find_first_of(u"\r\n") != head.npos || tail.find_first_of(u"\r\n") != tail.npos)
        return false;
    statement::Spanning open;
    statement::Carry({kEscapeBackslash, false}, tail, open);
    return statement::EndsInCode(head) && open.empty() &&
           !(form == Literal::Template && statement::TagsTemplate(head)) &&
           !(form == Literal::Raw && JoinsRaw(tail) && !tail.empty());
}

std::size_t LineCount(std::u16string_view s) {
    std::size_t n = 0;
    for (std::size_t at = s.find(u"\r\n"); at != s.npos; at = s.find(u"\r\n", at + 2)) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::uint8_t shape = in.Byte();
    const auto form = static_cast<Literal>(shape % 4);
    const auto hStart = static_cast<std::int16_t>(in.Byte() % 40 - 8);
    const std::int16_t tStart = in.Int16();  // the forms have no tail column
    const std::size_t headUnits = in.Byte() % 16;
    const std::size_t tailUnits = in.Byte() % 16;
    const Units head = in.Text(headUnits);
    const Units tail = in.Text(tailUnits);
    std::u16string text = in.Rest().str();
    // Past javac's 65,535 bytes and MSVC's 16,380: String.join's and the raw string's pieces.
    while (shape >= 0xF0 && !text.empty() && text.size() < 70000) text += text;
    for (std::size_t i = 1; form == Literal::TextBlock && i < text.size(); ++i) {
        const char16_t c = text[i - 1];
        if (text[i] == u'\n' && line::IsJavaWhitespace(c) &&
            !std::u16string_view(u" \t\f\r").contains(c))
            text[i] = u'x';
    }
    if (!Holds(form, text) || !Fair(form, head.view(), tail.view())) return 0;
    // With both fields empty, a text block alone may be C#'s raw string: it is kept.
    const bool apart = !head.view().empty() || !tail.view().empty();
    if (form == Literal::TextBlock && !apart) return 0;

    const std::u16string written = ConvertLiteral(form, text, head.view(), tail.view(), hStart);
    std::u16string expected;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool loneLf = text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r');
        if (form == Literal::Raw && loneLf) expected += u'\r';
        expected += text[i];
    }
    const Reversed back =
        ReverseLines(kEscapeBackslash, written, head.view(), tail.view(), hStart, tStart);
    KALVEX_CHECK(back.kept == 0 && back.code == 0 && back.dropped == 0);
    KALVEX_CHECK(back.text == expected);
    KALVEX_CHECK(back.read == LineCount(written));

    // Two in a row, each read on its own; with both fields empty a text is one literal alone,
    // and C++ joins a literal that starts the next line to a raw string.
    if (!apart || (form == Literal::Raw && JoinsRaw(head.view()))) return 0;
    const Reversed twice =
        ReverseLines(kEscapeBackslash, written + written, head.view(), tail.view(), hStart, tStart);
    KALVEX_CHECK(twice.kept == 0 && twice.code == 0);
    KALVEX_CHECK(twice.text == expected + u"\r\n" + expected);
    return 0;
}
