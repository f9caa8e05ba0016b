#include "cli/Stream.h"

#include <algorithm>
#include <vector>

#include "cli/Messages.h"

namespace cli {
namespace {

constexpr std::size_t kMostWhole = 2147483646;

}  // namespace

std::string TooLarge() {
    return Say("テキストが大きすぎるため編集できません", "the text is too large to edit");
}

void RunByLine(modConvert::Command command, modConvert::Fields fields, Decoder& decoder,
               const Read& read, const Put& put, std::size_t block) {
    std::vector<char> bytes(block);
    std::vector<char16_t> text(2 * block + 8);
    std::vector<char16_t> out;
    std::size_t have = 0;
    std::size_t lastLf = std::u16string_view::npos;
    bool cut = false;  // a piece went before: what is left is one line at least, empty or not
    const auto run = [&](std::u16string_view piece) {
        // Given an empty text a command writes no line: one empty line is half of two.
        fields.text = piece.empty() ? std::u16string_view(u"\r\n") : piece;
        std::size_t size = 0;
        modConvert::RunCommand(command, fields, [&](std::size_t n) {
            if (out.size() < n) out.resize(n + n / 4);
            size = n;
            return out.data();
        });
        put({out.data(), piece.empty() ? size / 2 : size});
    };
    for (;;) {
        const std::size_t got = read(bytes.data(), bytes.size());
        if (text.size() < have + 2 * got + 8) text.resize(2 * (have + 2 * got + 8));
        const std::size_t from = have;
        have = decoder.Decode(bytes.data(), got, text.data() + have) - text.data();
        // Lines end in CR LF only once decoded; only the new units need looking at.
        const std::size_t lf = std::u16string_view(text.data() + from, have - from).rfind(u'\n');
        if (lf != std::u16string_view::npos) lastLf = from + lf;
        if (got == 0) break;
        if (have < block || lastLf == std::u16string_view::npos) continue;
        run({text.data(), lastLf - 1});
        cut = true;
        std::copy(text.begin() + lastLf + 1, text.begin() + have, text.begin());
        have -= lastLf + 1;
        lastLf = std::u16string_view::npos;
    }
    decoder.Finish();
    if (cut || have > 0) run({text.data(), have});
}

std::u16string ReadWhole(Decoder& decoder, const Read& read, std::size_t block) {
    std::vector<char> bytes(block);
    std::u16string text;
    for (;;) {
        const std::size_t got = read(bytes.data(), bytes.size());
        const std::size_t have = text.size();
        text.resize(have + 2 * got + 8);
        text.resize(decoder.Decode(bytes.data(), got, text.data() + have) - text.data());
        if (text.size() > kMostWhole) throw Failure{TooLarge()};
        if (got == 0) break;
    }
    decoder.Finish();
    return text;
}

}  // namespace cli
