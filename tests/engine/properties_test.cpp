// Properties that must hold for any text, checked over random texts with fixed seeds. The texts
// are dense in what matters: CR LF, lone CR and LF, quotes, backslashes, NUL, double-byte units,
// surrogates (paired and lone).
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "modConvert.h"

namespace {

using namespace modConvert;

constexpr int kRuns = 400;
constexpr EscapeMode kModes[] = {kEscapeNone, kEscapeBackslash, kEscapeQuoteDoubling, 3, -1};

class Random {
  public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}

    // Raw draws and modulo, not std distributions, so every library gives the same texts.
    int Below(int n) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(n)); }
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }

    // Up to maxPieces pieces, each a line end with odds 1 in lineEndOdds (never when 0).
    std::u16string Text(int maxPieces, int lineEndOdds = 6) {
        // One unit each, NUL and lone surrogates among them; a surrogate pair is the last piece.
        static const std::u16string kUnits =
            u"aZ0 \t'\\\\\"\"あ漢ｱ①¥" + std::u16string{0, 0xD800, 0xDC00};
        static const std::u16string kLineEnds[] = {u"\r\n", u"\r\n", u"\r\n",
                                                   u"\r",   u"\n",   u"\n\r"};
        std::u16string s;
        for (int n = Below(maxPieces + 1); n > 0; --n) {
            if (lineEndOdds > 0 && Below(lineEndOdds) == 0) {
                s += kLineEnds[Below(std::size(kLineEnds))];
            } else if (const int unit = Below(kUnits.size() + 1); unit < int(kUnits.size())) {
                s += kUnits[unit];
            } else {
                s += u"\U0001F600";
            }
        }
        return s;
    }

    EscapeMode Mode() { return kModes[Below(std::size(kModes))]; }

  private:
    std::mt19937 engine_;
};

std::u16string ReplaceAll(std::u16string s, std::u16string_view from, std::u16string_view to) {
    for (std::size_t at = s.find(from); at != std::u16string::npos;
         at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

// Reverses an escaped line, or gives nothing when it holds a quotation mark that would end the
// literal early.
std::optional<std::u16string> Unescape(EscapeMode mode, std::u16string_view s) {
    std::u16string plain;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (mode == kEscapeBackslash && s[i] == u'\\') {
            if (++i == s.size()) return std::nullopt;
        } else if (mode == kEscapeBackslash && s[i] == u'"') {
            return std::nullopt;
        } else if (mode == kEscapeQuoteDoubling && s[i] == u'"') {
            if (++i == s.size() || s[i] != u'"') return std::nullopt;
        }
        plain += s[i];
    }
    return plain;
}

TEST(EscapeProperties, MatchesTheTwoPassesAndUnescapesBack) {
    Random random(11);
    for (int run = 0; run < kRuns; ++run) {
        const std::u16string line = random.Text(40);
        const std::u16string c = EscapeForC(line);
        EXPECT_EQ(c, ReplaceAll(ReplaceAll(line, u"\\", u"\\\\"), u"\"", u"\\\""));
        EXPECT_EQ(Unescape(kEscapeBackslash, c), line);
        EXPECT_EQ(Unescape(kEscapeQuoteDoubling, EscapeForVB(line)), line);
    }
}

TEST(ConvertProperties, AlignedWithZeroColumnsEqualsPlain) {
    Random random(22);
    for (int run = 0; run < kRuns; ++run) {
        const EscapeMode mode = random.Mode();
        const std::u16string text = random.Text(60);
        const std::u16string head = random.Text(6);  // line ends in them too
        const std::u16string tail = random.Text(6);
        EXPECT_EQ(ConvertLinesAligned(mode, text, head, tail, 0, 0),
                  ConvertLines(mode, text, head, tail));
    }
}

// Each output line is indentation, head and escaped input line, then filler spaces up to byte
// column tStart if the line is narrower than that, then the tail.
TEST(ConvertProperties, OneOutputLinePerInputLineWithTheTailAtItsColumn) {
    Random random(33);
    for (int run = 0; run < kRuns; ++run) {
        const EscapeMode mode = random.Mode();
        // Long texts, half of them with long lines, for the block-wise copy.
        const std::u16string text = run % 2 ? random.Text(200) : random.Text(400, 80);
        const std::u16string head = random.Text(6, 0);
        const std::u16string tail = random.Text(6, 0);
        const auto hStart = static_cast<std::int16_t>(random.Between(-3, 12));
        const auto tStart = static_cast<std::int16_t>(random.Between(-3, 40));
        SCOPED_TRACE(testing::Message() << "run " << run);

        const std::vector<std::u16string> in = SplitLines(text);
        std::vector<std::u16string> out =
            SplitLines(ConvertLinesAligned(mode, text, head, tail, hStart, tStart));
        if (text.empty()) {
            EXPECT_TRUE(out.empty());
            continue;
        }
        ASSERT_EQ(out.size(), in.size() + 1);
        EXPECT_EQ(out.back(), u"");  // every line ends in CR LF
        for (std::size_t k = 0; k < in.size(); ++k) {
            const std::u16string start =
                std::u16string(std::max(0, +hStart), u' ') + head + EscapeLine(mode, in[k]);
            const std::u16string& line = out[k];
            ASSERT_GE(line.size(), start.size() + tail.size());
            const std::size_t filler = line.size() - start.size() - tail.size();
            EXPECT_EQ(line.substr(0, start.size()), start);
            EXPECT_EQ(line.substr(start.size(), filler), std::u16string(filler, u' '));
            EXPECT_EQ(line.substr(start.size() + filler), tail);
            const std::int64_t beforeTail = AnsiByteLength(line.substr(0, start.size() + filler));
            if (AnsiByteLength(start) < tStart) {
                EXPECT_EQ(beforeTail, tStart - 1);
            } else {
                EXPECT_EQ(filler, 0u);
            }
        }
    }
}

TEST(ConvertProperties, PiecesCutAtLineEndsConvertAsTheWhole) {
    Random random(44);
    std::u16string out;  // reused, as a streaming caller does
    for (int run = 0; run < kRuns; ++run) {
        const EscapeMode mode = random.Mode();
        const std::u16string text = random.Text(60);
        const auto hStart = static_cast<std::int16_t>(random.Between(0, 4));
        const auto tStart = static_cast<std::int16_t>(random.Between(0, 30));
        out.clear();
        if (!text.empty()) {
            std::size_t from = 0;
            for (std::size_t at = text.find(u"\r\n"); at != std::u16string::npos;
                 at = text.find(u"\r\n", at + 2)) {
                if (random.Below(2) == 0) continue;
                AppendConverted(out, mode, std::u16string_view(text).substr(from, at - from),
                                u"h\"", u"\\t", hStart, tStart);
                from = at + 2;
            }
            AppendConverted(out, mode, std::u16string_view(text).substr(from), u"h\"", u"\\t",
                            hStart, tStart);
        }
        EXPECT_EQ(out, ConvertLinesAligned(mode, text, u"h\"", u"\\t", hStart, tStart))
            << "run " << run;
    }
}

// Into a caller's buffer with room to spare and a guard behind it: the size asked for is the
// result's, and nothing is written past it.
TEST(ConvertProperties, IntoCallerStorageAsksOnceForExactlyTheResult) {
    Random random(45);
    for (int run = 0; run < kRuns; ++run) {
        const EscapeMode mode = random.Mode();
        const std::u16string text = random.Text(60);
        const auto hStart = static_cast<std::int16_t>(random.Between(-3, 4));
        const auto tStart = static_cast<std::int16_t>(random.Between(-3, 30));
        const std::u16string expected = ConvertLinesAligned(mode, text, u"h", u"t", hStart, tStart);
        std::u16string buffer(expected.size() + 8, u'#');
        int calls = 0;
        std::size_t asked = 0;
        auto room = [&](std::size_t size) {
            ++calls;
            asked = size;
            return buffer.data();
        };
        ConvertInto(room, mode, text, u"h", u"t", hStart, tStart);
        ASSERT_EQ(calls, 1) << "run " << run;
        ASSERT_EQ(asked, expected.size()) << "run " << run;
        EXPECT_EQ(buffer.substr(0, asked), expected) << "run " << run;
        EXPECT_EQ(buffer.substr(asked), std::u16string(8, u'#')) << "run " << run;
    }
}

TEST(ConvertProperties, DecliningTheRoomWritesNothing) {
    // A billion units, measured and never allocated: each empty line is padded to column 999.
    std::u16string text;
    for (int i = 0; i < 1'100'000; ++i) text += u"\r\n";
    std::size_t asked = 0;
    ConvertInto(
        [&asked](std::size_t size) -> char16_t* {
            asked = size;
            return nullptr;
        },
        kEscapeBackslash, text, u"h", u"t", 0, 999);
    EXPECT_EQ(asked, (1'100'000 + 1) * std::size_t(1 + 997 + 1 + 2));  // h, pad, t, CR LF
}

}  // namespace
