#include "engine/modLiteral.h"

#include <algorithm>
#include <vector>

#include "engine/Line.h"

namespace modConvert {
namespace {

using line::IsJavaWhitespace;
using line::kCR;
using line::kCRLF;
using line::kLF;

// The sinks of the two passes: the first counts what the second writes, so that the result is
// allocated once.
struct Counter {
    std::size_t size = 0;
    void Put(char16_t) { ++size; }
    void Put(std::u16string_view s) { size += s.size(); }
    void PutSpaces(std::size_t n) { size += n; }
};

struct Writer {
    char16_t* o;
    void Put(char16_t c) { *o++ = c; }
    void Put(std::u16string_view s) { o = std::copy(s.begin(), s.end(), o); }
    void PutSpaces(std::size_t n) { o = std::fill_n(o, n, u' '); }
};

bool IsHigh(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

// Where the text's unit at i stands: in a CR LF, in a surrogate pair, or alone.
bool IsCrLf(std::u16string_view t, std::size_t i) {
    return t[i] == kCR && i + 1 < t.size() && t[i + 1] == kLF;
}
bool IsLoneSurrogate(std::u16string_view t, std::size_t i) {
    if (IsHigh(t[i])) return i + 1 == t.size() || !IsLow(t[i + 1]);
    return IsLow(t[i]) && (i == 0 || !IsHigh(t[i - 1]));
}

// A unit's bytes in a class file's modified UTF-8 (NUL two, each surrogate three) and in UTF-8
// (each half of a pair two).
std::size_t JavacBytes(char16_t c) { return c == 0 ? 2 : c < 0x80 ? 1 : c < 0x800 ? 2 : 3; }
std::size_t Utf8Bytes(char16_t c) {
    return c < 0x80 ? 1 : c < 0x800 || IsHigh(c) || IsLow(c) ? 2 : 3;
}

// Where the pieces of at most limit bytes end, the last one's end left out: after a piece's last
// line end where it has one, else before the unit that would pass the limit; never inside a
// line end (one byte, LF) or a surrogate pair.
std::vector<std::size_t> Cuts(std::u16string_view text, std::size_t limit,
                              std::size_t (*bytesOf)(char16_t)) {
    std::vector<std::size_t> cuts;
    std::size_t used = 0, lineEnd = 0, usedAtLineEnd = 0;  // lineEnd 0: none in this piece
    for (std::size_t i = 0; i < text.size();) {
        const bool crlf = IsCrLf(text, i);
        const bool pair = IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1]);
        const std::size_t bytes = crlf ? 1 : bytesOf(text[i]) + (pair ? bytesOf(text[i + 1]) : 0);
        if (used + bytes > limit) {
            cuts.push_back(lineEnd > 0 ? lineEnd : i);
            used = lineEnd > 0 ? used - usedAtLineEnd : 0;
            lineEnd = 0;
            continue;  // the unit again, in the new piece
        }
        used += bytes;
        i += crlf || pair ? 2 : 1;
        if (crlf) {
            lineEnd = i;
            usedAtLineEnd = used;
        }
    }
    return cuts;
}

template <typename Sink>
void PutHex(Sink& out, char16_t c) {
    const auto units = line::UnicodeEscape(c);
    out.Put({units.data(), units.size()});
}

// The escapes a lone CR or LF and a lone surrogate take in Java, JavaScript and JSON; false for
// any other unit.
template <typename Sink>
bool PutCommonEscape(Sink& out, std::u16string_view t, std::size_t i) {
    if (t[i] == kCR || t[i] == kLF) return out.Put(t[i] == kCR ? u"\\r" : u"\\n"), true;
    if (IsLoneSurrogate(t, i)) return PutHex(out, t[i]), true;
    return false;
}

// --- Java text block ---

template <typename Sink>
void PutJavaUnit(Sink& out, std::u16string_view line, std::size_t i, int& quotes) {
    const char16_t c = line[i];
    quotes = c == u'"' ? quotes + 1 : 0;
    if (quotes == 3) {  // the third " of a run would close the block
        quotes = 0;
        return out.Put(u"\\\"");
    }
    if (c == u'\\') return out.Put(u"\\\\");
    if (!PutCommonEscape(out, line, i)) out.Put(c);
}

// A line of a block, escaped. javac strips the white space that ends a line: the last unit of
// it is written as an escape, or followed by \n and a \ that takes away the line break. The last
// line of a block ends in \, so that no line end follows it in the value.
template <typename Sink>
void PutBlockLine(Sink& out, std::u16string_view line, bool last) {
    const std::size_t n = line.size();
    const char16_t end = n > 0 ? line[n - 1] : 0;
    const bool kept = !last && IsJavaWhitespace(end) && end != kCR && end != kLF;
    int quotes = 0;
    for (std::size_t i = 0; i + kept < n; ++i) PutJavaUnit(out, line, i, quotes);
    if (last) return out.Put(u"\\\r\n");
    if (!kept) return out.Put(kCRLF);
    if (end == u' ' || end == u'\t' || end == u'\f') {
        out.Put(end == u' ' ? u"\\s" : end == u'\t' ? u"\\t" : u"\\f");
        return out.Put(kCRLF);
    }
    out.Put(end);
    out.Put(u"\\n\\\r\n");
}

// A piece's lines, each indented; an empty last line is the line end before it, or no value.
template <typename Sink>
void PutBlockLines(Sink& out, std::u16string_view piece, std::size_t indent) {
    for (std::size_t at = 0;;) {
        const std::size_t end = std::min(piece.find(kCRLF, at), piece.size());
        const bool last = end == piece.size();
        if (at == end && last) return;
        if (at < end) out.PutSpaces(indent);
        PutBlockLine(out, piece.substr(at, end - at), last);
        if (last) return;
        at = end + 2;
    }
}

template <typename Sink>
void PutTextBlock(Sink& out, std::u16string_view text, std::size_t indent,
                  const std::vector<std::size_t>& cuts) {
    if (!cuts.empty()) out.Put(u"String.join(\"\", ");
    std::size_t from = 0;
    for (std::size_t k = 0; k <= cuts.size(); ++k) {
        const std::size_t to = k < cuts.size() ? cuts[k] : text.size();
        out.Put(u"\"\"\"\r\n");
        PutBlockLines(out, text.substr(from, to - from), indent);
        out.PutSpaces(indent);
        out.Put(u"\"\"\"");
        if (k < cuts.size()) out.Put(u", ");
        from = to;
    }
    if (!cuts.empty()) out.Put(u')');
}

// --- JavaScript template ---

template <typename Sink>
void PutTemplate(Sink& out, std::u16string_view text) {
    out.Put(u'`');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsCrLf(text, i)) {
            out.Put(kCRLF);
            ++i;
        } else if (c == u'`' || c == u'\\' ||
                   (c == u'$' && i + 1 < text.size() && text[i + 1] == u'{')) {
            out.Put(u'\\');
            out.Put(c);
        } else if (!PutCommonEscape(out, text, i)) {
            out.Put(c);
        }
    }
    out.Put(u'`');
}

// --- C++ raw string ---

// The first of "", "d", "d1", "d2", ... that no )delimiter" in the text ends with: candidate k
// is "" for 0, "d" for 1, "d" and k - 1 beyond. (A )d0" takes "d" needlessly, but harmlessly.)
std::u16string Delimiter(std::u16string_view text) {
    std::vector<bool> taken(std::count(text.begin(), text.end(), u')') + 2);
    for (std::size_t at = text.find(u')'); at != text.npos; at = text.find(u')', at + 1)) {
        std::size_t i = at + 1, k = 0;
        if (i < text.size() && text[i] == u'd') {
            k = 1;
            for (++i; i < text.size() && text[i] >= u'0' && text[i] <= u'9' && k < taken.size();
                 ++i)
                k = (k - 1) * 10 + (text[i] - u'0') + 1;
        }
        if (i < text.size() && text[i] == u'"' && k < taken.size()) taken[k] = true;
    }
    const std::size_t k = std::find(taken.begin(), taken.end(), false) - taken.begin();
    std::u16string delimiter(k > 0, u'd');
    for (const char digit : k > 1 ? std::to_string(k - 1) : "") delimiter += char16_t(digit);
    return delimiter;
}

template <typename Sink>
void PutRaw(Sink& out, std::u16string_view text, std::size_t indent,
            const std::vector<std::size_t>& cuts) {
    const std::u16string d = Delimiter(text);
    const auto open = [&] {
        out.Put(u"R\"");
        out.Put(d);
        out.Put(u'(');
    };
    const auto close = [&] {
        out.Put(u')');
        out.Put(d);
        out.Put(u'"');
    };
    open();
    auto cut = cuts.begin();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (cut != cuts.end() && *cut == i) {
            ++cut;
            close();
            out.Put(kCRLF);
            out.PutSpaces(indent);
            open();
        }
        const char16_t c = text[i];
        if (c == kLF || IsCrLf(text, i)) {  // a line break in the source is LF in the value
            out.Put(kCRLF);
            i += c == kCR;
        } else if (c == kCR || c == 0) {  // the source's line ends and NULs are not safe
            close();
            out.Put(c == kCR ? u" \"\\r\" " : u" \"\\0\" ");
            open();
        } else {
            out.Put(c);
        }
    }
    close();
}

// --- JSON ---

template <typename Sink>
void PutJsonString(Sink& out, std::u16string_view line) {
    out.Put(u'"');
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char16_t c = line[i];
        constexpr std::u16string_view kShort = u"btnvfr";  // \b to \r; \v is not JSON's
        if (c == u'"' || c == u'\\') {
            out.Put(u'\\');
            out.Put(c);
        } else if (c >= 0x08 && c <= 0x0D && c != 0x0B) {
            out.Put(u'\\');
            out.Put(kShort[c - 0x08]);
        } else if (c < 0x20 || IsLoneSurrogate(line, i)) {
            PutHex(out, c);
        } else {
            out.Put(c);
        }
    }
    out.Put(u'"');
}

template <typename Sink>
void PutJson(Sink& out, std::u16string_view text, std::size_t indent) {
    out.Put(u"[\r\n");
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find(kCRLF, at), text.size());
        out.PutSpaces(indent);
        PutJsonString(out, text.substr(at, end - at));
        if (end < text.size()) out.Put(u',');
        out.Put(kCRLF);
        at = end == text.size() ? end : end + 2;
        if (at == text.size() && end < text.size()) {  // a last line that is empty
            out.PutSpaces(indent);
            out.Put(u"\"\"\r\n");
        }
    }
    out.PutSpaces(indent);
    out.Put(u']');
}

template <typename Sink>
void PutLiteral(Sink& out, Literal form, std::u16string_view text, std::u16string_view head,
                std::u16string_view tail, std::size_t indent,
                const std::vector<std::size_t>& cuts) {
    out.PutSpaces(indent);
    out.Put(head);
    switch (form) {
        case Literal::TextBlock:
            PutTextBlock(out, text, indent, cuts);
            break;
        case Literal::Template:
            PutTemplate(out, text);
            break;
        case Literal::Raw:
            PutRaw(out, text, indent, cuts);
            break;
        case Literal::Json:
            PutJson(out, text, indent);
            break;
    }
    out.Put(tail);
    out.Put(kCRLF);
}

}  // namespace

bool Holds(Literal form, std::u16string_view text) {
    if (form != Literal::Raw) return true;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (IsLoneSurrogate(text, i)) return false;
    return true;
}

void ConvertLiteralInto(const std::function<char16_t*(std::size_t)>& room, Literal form,
                        std::u16string_view text, std::u16string_view head,
                        std::u16string_view tail, std::int16_t hStart) {
    if (!Holds(form, text)) {
        room(0);
        return;
    }
    const std::vector<std::size_t> cuts =
        form == Literal::TextBlock ? Cuts(text, line::kJavaConstantBytes, JavacBytes)
        : form == Literal::Raw     ? Cuts(text, line::kMsvcLiteralBytes, Utf8Bytes)
                                   : std::vector<std::size_t>();
    const std::size_t indent = line::Count(hStart);
    Counter counter;
    PutLiteral(counter, form, text, head, tail, indent, cuts);
    if (char16_t* units = room(counter.size)) {
        Writer writer{units};
        PutLiteral(writer, form, text, head, tail, indent, cuts);
    }
}

std::u16string ConvertLiteral(Literal form, std::u16string_view text, std::u16string_view head,
                              std::u16string_view tail, std::int16_t hStart) {
    std::u16string out;
    ConvertLiteralInto(
        [&out](std::size_t size) {
            out.resize(size);
            return out.data();
        },
        form, text, head, tail, hStart);
    return out;
}

}  // namespace modConvert
