// Bytes to text and back for kalvex-cli: UTF-8 (with or without a BOM) or code page 932 in,
// either out. Every byte sequence is checked: what is not valid is an error naming where it is,
// never a replacement character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cli {

enum class Encoding { Utf8, Cp932 };

// Where a text cannot be read or written: 1-based line, 0-based byte offset in the file, and
// the character for one that cannot be written (0 for bytes that cannot be read).
struct BadText {
    std::size_t line;
    std::uint64_t offset;
    char32_t character = 0;
};

// Turns a file's bytes, given in pieces of any size, into the text a paste into the input box
// gives: a line ends at CR LF, a lone CR, a lone LF or U+2029, each made CR LF.
class Decoder {
  public:
    explicit Decoder(Encoding encoding) : encoding_(encoding) {}
    // Writes the text of the next n bytes at out, which has room for 2 * n + 8 units, and
    // returns its end. Throws BadText at a sequence that is not valid.
    char16_t* Decode(const char* bytes, std::size_t n, char16_t* out);
    // The end of the file: a sequence cut short there is not valid.
    void Finish() const;

  private:
    char16_t* Put(char32_t c, char16_t* out);
    char16_t* DecodeHeld(const unsigned char*& p, const unsigned char* end, char16_t* out);
    int Sequence(const unsigned char* p, std::size_t n, char32_t& c) const;
    [[noreturn]] void Fail(std::uint64_t offset) const { throw BadText{line_ + 1, offset}; }

    Encoding encoding_;
    std::uint64_t offset_ = 0;  // of the next byte
    std::size_t line_ = 0;      // line ends so far
    bool afterCR_ = false;      // an LF now ends no line: the CR before it did
    bool started_ = false;      // past a leading BOM
    unsigned char held_[4]{};   // a sequence cut by the end of the bytes given
    std::size_t heldCount_ = 0;
    std::uint64_t heldAt_ = 0;
};

// Writes converted text as bytes: UTF-8 or code page 932, lines ending CR LF or LF.
class Encoder {
  public:
    Encoder(Encoding encoding, bool lf) : encoding_(encoding), lf_(lf) {}
    // Writes the bytes of [p, end) at out, which has room for 3 bytes a unit, and returns their
    // end. Throws BadText at a lone surrogate, or for code page 932 at a character it does not
    // hold (one that would come back as another). A CR LF must not be cut between two calls.
    char* Encode(const char16_t* p, const char16_t* end, char* out);

  private:
    [[noreturn]] void Fail(const char16_t* p, const char16_t* end, const char* at,
                           const char* out) const;
    char* PutCp932(char16_t c, char* out) const;

    Encoding encoding_;
    bool lf_;
    std::uint64_t written_ = 0;  // bytes before this call
    std::size_t lines_ = 0;      // line ends before this call
    const char16_t* start_ = nullptr;
};

// Text given on the command line or for a message, which is UTF-8.
std::u16string FromUtf8(std::string_view bytes);  // throws BadText when not valid
std::string ToUtf8(std::u16string_view text);     // throws BadText at a lone surrogate

}  // namespace cli
