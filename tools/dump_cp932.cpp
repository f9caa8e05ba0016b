// Prints what the system's code page 932 conversion does to each UTF-16 code unit, as one of
// three lists that tools/gen_cp932_table.py turns into tables. Run under wine as a Japanese
// system (tools/dump_cp932.sh) or on Japanese Windows.
//
//   dump_cp932 trail5c   units whose two-byte form ends in 0x5C, the backslash's byte
//   dump_cp932 lossy     units that do not come back as themselves when converted back
//   dump_cp932 bytes     each unit's bytes, but for units that become the default character
//   dump_cp932 decode    each byte and each pair of bytes that decodes to one unit, and the unit
//
// Each conversion is WideCharToMultiByte(932, 0, ...) or MultiByteToWideChar(932, 0, ...) on a
// single unit, as a text holding that unit alone would be converted.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Unit {
    std::string bytes;
    bool usedDefault = false;  // no mapping: the bytes are the default character
    bool comesBack = false;
};

Unit Convert(wchar_t u) {
    Unit r;
    char bytes[8];
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(932, 0, &u, 1, bytes, sizeof bytes, nullptr, &usedDefault);
    r.bytes.assign(bytes, n > 0 ? n : 0);
    r.usedDefault = usedDefault != FALSE;
    wchar_t back[4];
    const int m = MultiByteToWideChar(932, 0, bytes, n, back, 4);
    r.comesBack = m == 1 && back[0] == u;
    return r;
}

unsigned Code(const std::string& bytes) {
    unsigned code = 0;
    for (const char b : bytes) code = code << 8 | static_cast<unsigned char>(b);
    return code;
}

// Ranges of consecutive units, XXXX or XXXX-YYYY, one a line.
std::vector<std::string> Ranges(const std::vector<bool>& in) {
    std::vector<std::string> lines;
    char line[16];
    for (unsigned u = 0; u < in.size();) {
        if (!in[u]) {
            ++u;
            continue;
        }
        unsigned last = u;
        while (last + 1 < in.size() && in[last + 1]) ++last;
        if (last == u) {
            std::snprintf(line, sizeof line, "%04X", u);
        } else {
            std::snprintf(line, sizeof line, "%04X-%04X", u, last);
        }
        lines.push_back(line);
        u = last + 1;
    }
    return lines;
}

// Prints runs of consecutive units whose codes are consecutive too and of one length:
// XXXX[-YYYY] and the first unit's bytes as hex, two or four digits.
void PrintBytes(const std::vector<Unit>& units) {
    const auto mapped = [&](unsigned u) { return !units[u].usedDefault; };
    for (unsigned u = 0; u < units.size();) {
        if (!mapped(u)) {
            ++u;
            continue;
        }
        const std::size_t size = units[u].bytes.size();
        const unsigned code = Code(units[u].bytes);
        unsigned last = u;
        while (last + 1 < units.size() && mapped(last + 1) &&
               units[last + 1].bytes.size() == size &&
               Code(units[last + 1].bytes) == code + (last + 1 - u)) {
            ++last;
        }
        if (last == u) {
            std::printf("%04X", u);
        } else {
            std::printf("%04X-%04X", u, last);
        }
        std::printf(size == 1 ? " %02X\n" : " %04X\n", code);
        u = last + 1;
    }
}

// Runs of codes (one byte, or lead byte << 8 | trail byte) that decode to consecutive units:
// CCCC-DDDD XXXX, the first code's unit. MB_ERR_INVALID_CHARS: a code that is not valid in code
// page 932 fails rather than becoming the default character.
void PrintDecoded() {
    std::vector<int> units(65536, -1);
    for (unsigned code = 0; code < 65536; ++code) {
        const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
        const bool single = code < 0x100;
        wchar_t out[4];
        const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, single ? bytes + 1 : bytes,
                                          single ? 1 : 2, out, 4);
        // A lead byte with a trail that is a character on its own is two characters, not one.
        if (n == 1 && (single || IsDBCSLeadByteEx(932, bytes[0]))) units[code] = out[0];
    }
    for (unsigned code = 0; code < units.size();) {
        if (units[code] < 0) {
            ++code;
            continue;
        }
        unsigned last = code;
        while (last + 1 < units.size() && (last + 1) >> 8 == code >> 8 && units[last + 1] >= 0 &&
               units[last + 1] == units[code] + static_cast<int>(last + 1 - code)) {
            ++last;
        }
        if (last == code) {
            std::printf("%04X %04X\n", code, units[code]);
        } else {
            std::printf("%04X-%04X %04X\n", code, last, units[code]);
        }
        code = last + 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // LF line ends, as the committed lists have
    const std::string what = argc == 2 ? argv[1] : "";
    if (what != "trail5c" && what != "lossy" && what != "bytes" && what != "decode") {
        std::fprintf(stderr, "usage: dump_cp932 trail5c|lossy|bytes|decode\n");
        return 2;
    }
    if (GetACP() != 932) {
        std::fprintf(stderr, "dump_cp932: the system code page is %u, not 932\n", GetACP());
        return 1;
    }
    if (what == "decode") {
        std::printf("# Generated by tools/dump_cp932.sh from MultiByteToWideChar(932,\n");
        std::printf("# MB_ERR_INVALID_CHARS, ...) on each byte and each pair of bytes alone.\n");
        std::printf("# CCCC[-DDDD] XXXX: codes (a byte, or lead * 256 + trail) and the first\n");
        std::printf("# one's unit; each later code of a range has the next unit. Codes not\n");
        std::printf("# listed are not valid in code page 932.\n");
        PrintDecoded();
        return 0;
    }
    std::vector<Unit> units(65536);
    for (unsigned u = 0; u < units.size(); ++u) units[u] = Convert(static_cast<wchar_t>(u));

    std::printf("# Generated by tools/dump_cp932.sh from WideCharToMultiByte(932, 0, ...) and\n");
    std::printf("# MultiByteToWideChar(932, 0, ...) on each UTF-16 code unit alone.\n");
    if (what == "bytes") {
        std::printf(
            "# XXXX[-YYYY] BB[BB]: the unit's bytes in hex; each later unit of a range has\n");
        std::printf("# the next code. Units not listed become the default character 3F ('?').\n");
        PrintBytes(units);
        return 0;
    }
    std::vector<bool> in(units.size());
    for (unsigned u = 0; u < units.size(); ++u) {
        const std::string& b = units[u].bytes;
        in[u] = what == "trail5c" ? b.size() == 2 && b[1] == '\x5C' : !units[u].comesBack;
    }
    if (what == "trail5c") {
        std::printf("# Units whose two-byte form ends in 5C, the byte of a backslash.\n");
    } else {
        std::printf("# Units that do not convert back to themselves: best-fit look-alikes,\n");
        std::printf("# units that become the default character '?', surrogates.\n");
    }
    const std::vector<std::string> ranges = Ranges(in);
    std::printf("# %zu code units in %zu ranges. Format: XXXX-YYYY inclusive, or XXXX.\n",
                static_cast<std::size_t>(std::count(in.begin(), in.end(), true)), ranges.size());
    for (const std::string& r : ranges) std::printf("%s\n", r.c_str());
    return 0;
}
