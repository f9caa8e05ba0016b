// Fuzzes splitting, both conversions, the opt-in escapes and the reverse conversion. Input:
// escape mode, HStart and TStart (16 bits each, any value), head and tail lengths (one byte
// each), then head, tail and the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/engine/fuzz/FuzzInput.h"
#include "engine/modConvert.h"
#include "engine/modReverse.h"
#include "engine/Statement.h"
#include "engine/modVariant.h"

namespace {

using namespace modConvert;
using namespace kalvex_fuzz;

constexpr std::u16string_view kCRLF = u"\r\n";

std::size_t NonNegative(std::int16_t v) { return v < 0 ? 0 : static_cast<std::size_t>(v); }

// Wide columns on many lines make results of many megabytes that slow fuzzing down and reach
// no other code: such a text keeps only the lines that fit the budget.
Units CutToBudget(const Units& text, std::size_t paddingPerLine) {
    constexpr std::size_t kBudget = std::size_t{1} << 16;
    std::size_t lines = kBudget / (paddingPerLine + 1) + 1;
    const std::u16string_view t = text.view();
    for (std::size_t at = t.find(kCRLF); at != std::u16string_view::npos;
         at = t.find(kCRLF, at + 2)) {
        if (--lines == 0) return Units(std::u16string(t.substr(0, at)));
    }
    return text;
}

void CheckSplit(std::u16string_view text, const std::vector<std::u16string>& lines) {
    KALVEX_CHECK(text.empty() == lines.empty());
    std::u16string joined;
    for (const std::u16string& line : lines) {
        KALVEX_CHECK(line.find(kCRLF) == std::u16string::npos);
        if (&line != &lines.front()) joined += kCRLF;
        joined += line;
    }
    KALVEX_CHECK(joined == text);
}

std::size_t LeadingSpaces(std::u16string_view s) {
    const std::size_t n = s.find_first_not_of(u' ');
    return n == std::u16string_view::npos ? s.size() : n;
}

// Walks out line by line: HStart spaces, head, escaped line, filler spaces, tail, CR LF. Head and
// tail may hold CR LF themselves, so out is not split; the filler is the run of spaces after the
// escaped line, less the spaces the tail itself starts with.
void CheckLayout(std::u16string_view out, const std::vector<std::u16string>& lines, EscapeMode mode,
                 std::u16string_view head, std::u16string_view tail, std::int16_t hStart,
                 std::int16_t tStart) {
    const std::u16string tailEnd = std::u16string(tail) + std::u16string(kCRLF);
    const auto column = static_cast<std::int64_t>(NonNegative(tStart));
    std::size_t at = 0;
    for (const std::u16string& line : lines) {
        const std::u16string prefix = std::u16string(NonNegative(hStart), u' ') +
                                      std::u16string(head) + EscapeLine(mode, line);
        KALVEX_CHECK(out.substr(at, prefix.size()) == prefix);
        at += prefix.size();
        const std::size_t run = LeadingSpaces(out.substr(at));
        KALVEX_CHECK(run >= LeadingSpaces(tailEnd));
        const std::size_t filler = run - LeadingSpaces(tailEnd);
        at += filler;
        KALVEX_CHECK(out.substr(at, tailEnd.size()) == tailEnd);
        at += tailEnd.size();

        // Spaces are one byte each: the tail's first unit is at 1-based byte column TStart, or
        // right after a line that reaches it.
        const std::int64_t width = AnsiByteLength(prefix);
        KALVEX_CHECK(width < column ? width + static_cast<std::int64_t>(filler) + 1 == column
                                    : filler == 0);
    }
    KALVEX_CHECK(at == out.size());
}

// A streaming caller converts line by line into one reused string, after what it holds already.
void CheckAppendedLineByLine(const std::u16string& whole, const std::vector<std::u16string>& lines,
                             EscapeMode mode, std::u16string_view head, std::u16string_view tail,
                             std::int16_t hStart, std::int16_t tStart) {
    const std::u16string kept = u"kept\r\n";
    std::u16string out = kept;
    for (const std::u16string& line : lines) {
        const Units exact(line);
        AppendConverted(out, mode, exact.view(), head, tail, hStart, tStart);
    }
    KALVEX_CHECK(TerminatorIntact(out));
    KALVEX_CHECK(out == kept + whole);
}

std::u16string SwapQuotes(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) c = c == u'\'' ? u'"' : c == u'"' ? u'\'' : c;
    return out;
}

// The apostrophe variant is the C/Java form with ' and " trading places. Without units above
// U+007E or tabs the other variants write what the plain form does.
void CheckVariantsAgainstPlain(std::u16string_view text, EscapeMode mode, std::u16string_view head,
                               std::u16string_view tail, std::int16_t hStart, std::int16_t tStart) {
    KALVEX_CHECK(ConvertVariant(Variant::Apostrophes, mode, text, head, tail, hStart, tStart) ==
                 SwapQuotes(ConvertLinesAligned(kEscapeBackslash, SwapQuotes(text),
                                                SwapQuotes(head), SwapQuotes(tail), hStart,
                                                tStart)));
    std::u16string ascii(text);
    for (char16_t& c : ascii) c = c > 0x7E || c == u'\t' ? u'x' : c;
    for (const auto& [v, m] : {std::pair(Variant::UnicodeEscapes, kEscapeBackslash),
                              std::pair(Variant::Tabs, mode)}) {
        KALVEX_CHECK(ConvertVariant(v, mode, ascii, head, tail, hStart, tStart) ==
                     ConvertLinesAligned(m, ascii, head, tail, hStart, tStart));
    }
}

// The reverse conversion gives back each line, less its trailing spaces where the tail landed on
// column TStart, since they cannot be told from filler; when head and tail can join a line's CR
// and LF into CR LFs, a text that converts as that one does.
// convert(text, head, tail, hStart, tStart) is the conversion to reverse.
template <class Converter>
void CheckReversed(const Converter& convert, EscapeMode mode, std::u16string_view text,
                   const std::vector<std::u16string>& lines, std::u16string_view head,
                   std::u16string_view tail, std::int16_t hStart, std::int16_t tStart) {
    if (head.empty() && tail.empty()) return;  // the guess may take over
    const auto prefix = AnsiByteLength(head) + static_cast<std::int64_t>(NonNegative(hStart));
    std::u16string expected;
    for (const std::u16string& line : lines) {
        const auto width = line.empty() ? 0 : AnsiByteLength(convert(line, u"", u"", 0, 0)) - 2;
        const bool padded = prefix + width < static_cast<std::int64_t>(NonNegative(tStart));
        if (&line != &lines.front()) expected += kCRLF;
        expected += padded ? line.substr(0, line.find_last_not_of(u' ') + 1) : line;
    }
    const std::u16string converted = convert(text, head, tail, hStart, tStart);
    const Reversed back = ReverseLines(mode, converted, head, tail, hStart, tStart);
    KALVEX_CHECK(back.kept == 0 && back.code == 0);
    if (head.ends_with(u'\r') && tail.starts_with(u'\n')) {
        KALVEX_CHECK(convert(back.text, head, tail, hStart, tStart) ==
                     convert(expected, head, tail, hStart, tStart));
    } else {
        KALVEX_CHECK(back.text == expected);
    }
}

// A servlet or ASP block that the join item writes from a page of lines with values and
// scriptlets between them: 逆変換 with both fields empty reads its every statement back to the
// page, and the join item on that gives the block back.
void CheckBlockRoundTrip(EscapeMode mode, const std::vector<std::u16string>& lines) {
    const bool vb = mode == kEscapeQuoteDoubling;
    std::u16string page;
    std::size_t statements = 0, code = 0;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        std::u16string line = lines[k];
        std::replace_if(line.begin(), line.end(), [](char16_t c) { return c == u'%' || c == u'?'; },
                        u'x');
        if (k % 3 == 1) line = u"<%= v[1] %>" + line;
        if (k % 2 == 0) line += u"<%= v(2).x %>";
        page += line + u"\r\n";
        ++statements;
        if (k % 4 == 3) {
            page += vb ? u"  <% If v(1) Then %>\r\n" : u"  <% if (v[1] != null) { %>\r\n";
            ++code;
        }
    }
    if (page.empty()) return;
    page.resize(page.size() - 2);
    const std::u16string_view head = vb ? u"Response.Write \"" : u"out.println(\"";
    const std::u16string_view tail = vb ? u"\"" : u"\");";
    const std::u16string block = ConvertVariant(Variant::Joins, mode, page, head, tail, 0, 0);
    const Reversed back = ReverseLines(mode, block, u"", u"", 0, 0);
    KALVEX_CHECK(back.read == statements && back.code == code && back.kept == 0);
    KALVEX_CHECK(back.text == page);
    KALVEX_CHECK(ConvertVariant(Variant::Joins, mode, back.text, head, tail, 0, 0) == block);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const EscapeMode mode = in.Int16();
    const std::int16_t hStart = in.Int16();
    const std::int16_t tStart = in.Int16();
    const std::size_t headUnits = in.Byte() % 24;
    const std::size_t tailUnits = in.Byte() % 24;
    const Units head = in.Text(headUnits);
    const Units tail = in.Text(tailUnits);
    const Units text = CutToBudget(in.Rest(), NonNegative(hStart) + NonNegative(tStart));

    const std::vector<std::u16string> lines = SplitLines(text.view());
    CheckSplit(text.view(), lines);

    const std::u16string plain = ConvertLines(mode, text.view(), head.view(), tail.view());
    KALVEX_CHECK(TerminatorIntact(plain));
    KALVEX_CHECK(ConvertLinesAligned(mode, text.view(), head.view(), tail.view(), 0, 0) == plain);
    CheckLayout(plain, lines, mode, head.view(), tail.view(), 0, 0);

    const std::u16string aligned =
        ConvertLinesAligned(mode, text.view(), head.view(), tail.view(), hStart, tStart);
    KALVEX_CHECK(TerminatorIntact(aligned));
    CheckLayout(aligned, lines, mode, head.view(), tail.view(), hStart, tStart);
    CheckAppendedLineByLine(aligned, lines, mode, head.view(), tail.view(), hStart, tStart);

    // Into a caller's storage: room asked for once, exactly the result's, nothing written past it.
    std::u16string storage(aligned.size() + 1, u'#');
    int asked = 0;
    auto room = [&](std::size_t size) {
        KALVEX_CHECK(++asked == 1 && size == aligned.size());
        return storage.data();
    };
    ConvertInto(room, mode, text.view(), head.view(), tail.view(), hStart, tStart);
    KALVEX_CHECK(asked == 1 && storage == aligned + u'#');

    CheckVariantsAgainstPlain(text.view(), mode, head.view(), tail.view(), hStart, tStart);

    // 逆変換 reads a literal as its language does: after a head ending with ', a ' of the text
    // ends the literal (only the apostrophe variant escapes it); after a PHP head, $name is a
    // variable and \uXXXX no escape (a line of PHP's shape, of the text or of head and tail, makes
    // the block PHP too). After a head outside any literal, a line that is itself a template or
    // opens a JSON array is read as that literal form.
    bool php = statement::LooksLikePhp(head.view());
    for (const std::u16string& line : lines) {
        php = php || statement::LooksLikePhp(line);
        for (const std::u16string& part : SplitLines(head.str() + line + tail.str()))
            php = php || statement::LooksLikePhp(part);
    }
    const bool forms = statement::EndsInCode(head.view());
    const auto form = [forms](char16_t c) { return forms && (c == u'`' || c == u'['); };
    std::u16string readable = text.str();
    for (char16_t& c : readable) {
        if ((head.view().ends_with(u'\'') && c == u'\'') || (php && c == u'$') || form(c)) c = u'x';
    }
    const std::vector<std::u16string> readableLines = SplitLines(readable);
    CheckReversed(std::bind_front(ConvertLinesAligned, mode), mode, readable, readableLines,
                  head.view(), tail.view(), hStart, tStart);
    for (const Variant v : {Variant::UnicodeEscapes, Variant::Tabs}) {
        if (v == Variant::UnicodeEscapes && php) continue;
        CheckReversed(std::bind_front(ConvertVariant, v, mode),
                      v == Variant::Tabs ? mode : kEscapeBackslash, readable, readableLines,
                      head.view(), tail.view(), hStart, tStart);
    }
    // The C/Java reading takes a bare " for the end of the literal: texts without one. After a
    // PHP head, $name is a variable, and \' no escape unless the head ends with '.
    std::u16string unquoted = text.str();
    const bool phpDouble = php && !head.view().ends_with(u'\'');
    std::replace_if(unquoted.begin(), unquoted.end(), [&](char16_t c) {
        return c == u'"' || form(c) || (php && c == u'$') || (phpDouble && c == u'\'');
    }, u'x');
    CheckReversed(std::bind_front(ConvertVariant, Variant::Apostrophes, mode), kEscapeBackslash,
                  unquoted, SplitLines(unquoted), head.view(), tail.view(), hStart, tStart);
    // The joins come back as <%= expression %> written so, with a simple expression.
    const std::u16string withValue = readable + u"<%= v[1] %>";
    if (!text.view().empty() && text.view().find(u"<%=") == std::u16string_view::npos &&
        (mode == kEscapeBackslash || mode == kEscapeQuoteDoubling)) {
        CheckReversed(std::bind_front(ConvertVariant, Variant::Joins, mode), mode, withValue,
                      SplitLines(withValue), head.view(), tail.view(), hStart, tStart);
        CheckBlockRoundTrip(mode, lines);
    }
    return 0;
}
