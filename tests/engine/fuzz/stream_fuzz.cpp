// Fuzzes kalvex-cli's streaming path: a file's bytes decoded and a command that goes by line run
// on them in pieces, read a few bytes at a time, give what decoding the whole file and one call
// on its text give, and encode to the same bytes; or both fail at the same line and byte (the
// pieces may meet a character that cannot be written before bytes that cannot be read). Input:
// the command, the encodings, the read size, the escape mode, HStart and TStart (one byte each),
// head and tail lengths (one byte each), then head, tail and the file's bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Stream.h"
#include "engine/modCommand.h"
#include "tests/engine/fuzz/FuzzInput.h"

namespace {

using namespace kalvex_fuzz;

struct Outcome {
    std::string bytes;
    std::optional<cli::BadText> bad;
};

std::string Encode(cli::Encoder& encoder, std::u16string_view text) {
    std::string bytes(3 * text.size(), '\0');
    bytes.resize(encoder.Encode(text.data(), text.data() + text.size(), bytes.data()) -
                 bytes.data());
    return bytes;
}

template <typename F>
Outcome Catching(F&& f) {
    Outcome o;
    try {
        f(o.bytes);
    } catch (const cli::BadText& bad) {
        o.bad = bad;
    }
    return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    std::vector<modConvert::Command> byLine;
    for (const modConvert::CommandRow& row : modConvert::kCommands)
        if (row.byLine) byLine.push_back(row.command);
    const modConvert::Command command = byLine[in.Byte() % byLine.size()];
    const std::uint8_t codes = in.Byte();
    const cli::Encoding from = codes & 1 ? cli::Encoding::Cp932 : cli::Encoding::Utf8;
    const cli::Encoding to = codes & 2 ? cli::Encoding::Cp932 : cli::Encoding::Utf8;
    const bool lf = codes & 4;
    const std::size_t block = 1 + in.Byte() % 48;
    const auto mode = static_cast<modConvert::EscapeMode>(in.Byte() % 4);
    const auto hStart = static_cast<std::int16_t>(in.Byte() % 8);
    const auto tStart = static_cast<std::int16_t>(in.Byte() % 64);
    const std::size_t headUnits = in.Byte() % 16;
    const std::size_t tailUnits = in.Byte() % 16;
    const Units head = in.Text(headUnits);
    const Units tail = in.Text(tailUnits);
    std::string file;
    while (!in.AtEnd()) file += static_cast<char>(in.Byte());
    const modConvert::Fields fields{mode, {}, head.view(), tail.view(), hStart, tStart};

    const Outcome whole = Catching([&](std::string& bytes) {
        cli::Decoder decoder(from);
        std::u16string text(2 * file.size() + 8, u'\0');
        text.resize(decoder.Decode(file.data(), file.size(), text.data()) - text.data());
        decoder.Finish();
        modConvert::Fields f = fields;
        f.text = text;
        std::u16string out;
        modConvert::RunCommand(command, f, [&](std::size_t n) {
            out.resize(n);
            return out.data();
        });
        cli::Encoder encoder(to, lf);
        bytes = Encode(encoder, out);
    });
    const Outcome streamed = Catching([&](std::string& bytes) {
        cli::Decoder decoder(from);
        cli::Encoder encoder(to, lf);
        std::size_t at = 0;
        cli::RunByLine(
            command, fields, decoder,
            [&](char* buffer, std::size_t n) {
                const std::size_t got = std::min({n, block, file.size() - at});
                file.copy(buffer, got, at);
                at += got;
                return got;
            },
            [&](std::u16string_view piece) { bytes += Encode(encoder, piece); }, block);
    });
    KALVEX_CHECK(whole.bad.has_value() == streamed.bad.has_value());
    if (!whole.bad) {
        KALVEX_CHECK(whole.bytes == streamed.bytes);
    } else if (whole.bad->character != 0 || streamed.bad->character == 0) {
        KALVEX_CHECK(whole.bad->line == streamed.bad->line);
        KALVEX_CHECK(whole.bad->offset == streamed.bad->offset);
        KALVEX_CHECK(whole.bad->character == streamed.bad->character);
    }
    // Else a piece that cannot be written was met before the bytes that cannot be read.
    return 0;
}
