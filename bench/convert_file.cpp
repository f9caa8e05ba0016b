// Benchmark driver, not part of the product: converts a UTF-8 file into a UTF-8 file with the
// engine, as bench/compare.sh's standard tools do.
//
//   kalvex_convert_file [--mode N] [--head S] [--tail S] [--columns H T] [--block BYTES] IN OUT
//
// Defaults: backslash escaping, head `out.println("`, tail `");`. It streams blocks of whole lines
// through buffers it reuses, since the conversion is line by line: on machines where the first
// write to fresh memory is slow, converting the whole file in one result would spend most of its
// time on that. A block is cut at its last CR LF and the CR LF dropped, which AppendConverted
// allows for: an empty piece is an empty line, so the result equals the whole file's.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/modConvert.h"
#include "bench/utf8.h"

namespace {

struct Options {
    modConvert::EscapeMode mode = modConvert::kEscapeBackslash;
    std::string head = "out.println(\"";
    std::string tail = "\");";
    std::int16_t hStart = 0;
    std::int16_t tStart = 0;
    std::size_t block = 128 * 1024;  // small enough for the buffers to stay in cache
    const char* in = nullptr;
    const char* out = nullptr;
};

[[noreturn]] void Fail(const char* what, const char* detail = "") {
    std::fprintf(stderr, "kalvex_convert_file: %s%s\n", what, detail);
    std::exit(2);
}

Options Parse(int argc, char** argv) {
    Options o;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        const auto value = [&]() -> const char* {
            if (i + 1 >= argc) Fail("missing value after ", argv[i]);
            return argv[++i];
        };
        if (a == "--mode") {
            o.mode = static_cast<modConvert::EscapeMode>(std::atoi(value()));
        } else if (a == "--head") {
            o.head = value();
        } else if (a == "--tail") {
            o.tail = value();
        } else if (a == "--columns") {
            o.hStart = static_cast<std::int16_t>(std::atoi(value()));
            o.tStart = static_cast<std::int16_t>(std::atoi(value()));
        } else if (a == "--block") {
            o.block = std::strtoull(value(), nullptr, 10);
            if (o.block < 64) Fail("block too small");
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.size() != 2) Fail("usage: kalvex_convert_file [options] IN OUT");
    o.in = files[0];
    o.out = files[1];
    return o;
}

std::u16string ToUtf16(const std::string& s) {
    std::u16string u(s.size(), u'\0');
    u.resize(kalvex_bench::DecodeUtf8(s.data(), s.data() + s.size(), u.data()) - u.data());
    return u;
}

// Reused across blocks, so that after the first block no memory is fresh.
class Converter {
  public:
    Converter(const Options& o, std::FILE* out)
        : o_(o), head_(ToUtf16(o.head)), tail_(ToUtf16(o.tail)), out_(out) {}

    void Convert(const char* p, std::size_t n) {
        if (text_.size() < n) text_.resize(n);
        const char16_t* textEnd = kalvex_bench::DecodeUtf8(p, p + n, text_.data());
        result_.clear();
        modConvert::AppendConverted(result_, o_.mode,
                                    {text_.data(), std::size_t(textEnd - text_.data())}, head_,
                                    tail_, o_.hStart, o_.tStart);
        if (bytes_.size() < 3 * result_.size()) bytes_.resize(3 * result_.size());
        const char* bytesEnd = kalvex_bench::EncodeUtf8(
            result_.data(), result_.data() + result_.size(), bytes_.data());
        const std::size_t count = bytesEnd - bytes_.data();
        if (std::fwrite(bytes_.data(), 1, count, out_) != count) Fail("cannot write ", o_.out);
    }

  private:
    const Options& o_;
    std::u16string head_;
    std::u16string tail_;
    std::FILE* out_;
    std::vector<char16_t> text_;
    std::u16string result_;
    std::vector<char> bytes_;
};

// Position of the CR of the last CR LF in [p, p + n), or n.
std::size_t FindLastSeparator(const char* p, std::size_t n) {
    for (std::size_t i = n; i >= 2; --i) {
        if (p[i - 1] == '\n' && p[i - 2] == '\r') return i - 2;
    }
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = Parse(argc, argv);
    std::FILE* in = std::fopen(o.in, "rb");
    if (!in) Fail("cannot open ", o.in);
    std::FILE* out = std::fopen(o.out, "wb");
    if (!out) Fail("cannot create ", o.out);

    Converter converter(o, out);
    std::vector<char> raw(o.block);
    std::size_t have = 0;
    bool started = false;
    for (;;) {
        const std::size_t got = std::fread(raw.data() + have, 1, raw.size() - have, in);
        have += got;
        if (have < raw.size()) {
            if (std::ferror(in)) Fail("cannot read ", o.in);
            // End of file: what is left is the last piece, empty when the file ends in CR LF.
            if (started || have > 0) converter.Convert(raw.data(), have);
            break;
        }
        const std::size_t cut = FindLastSeparator(raw.data(), have);
        if (cut == have) {  // a line longer than the block
            raw.resize(raw.size() * 2);
            continue;
        }
        converter.Convert(raw.data(), cut);
        started = true;
        have -= cut + 2;
        std::memmove(raw.data(), raw.data() + cut + 2, have);
    }
    std::fclose(in);
    if (std::fclose(out) != 0) Fail("cannot write ", o.out);
    return 0;
}
