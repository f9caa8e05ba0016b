#!/usr/bin/env python3
"""Writes engine/cp932_table.cpp, the code page 932 tables of the engine:

- the UTF-16 code units that code page 932 turns into two bytes, from a list of units and ranges
  (XXXX or XXXX-YYYY, '#' comments);
- the units whose two-byte form ends in 0x5C, and the units that do not convert back to
  themselves, from tools/cp932/5c-trail-units.txt and tools/cp932/lossy-units.txt (same format);
- each unit's bytes, from tools/cp932/unit-bytes.txt (XXXX[-YYYY] and the first unit's bytes in
  hex; consecutive units of a range have consecutive codes; units not listed become '?').
The three files in tools/cp932/ are written by tools/dump_cp932.sh from the system's own
conversion under wine; they are checked against the two-byte list before anything is written.

It also writes cli/cp932_decode_table.cpp, the runs of codes that decode to consecutive units,
from tools/cp932/decoded-codes.txt and the byte list: every unit that comes back as itself
decodes from its bytes.

Run it only when a list changes; the build uses the committed output and needs no Python.

    tools/gen_cp932_table.py [LIST] [OUTPUT]

LIST defaults to ../shared/cp932/double-byte-units.txt beside the repository, OUTPUT to
engine/cp932_table.cpp. With --check, it compares instead of writing and exits 1 on a difference.
"""

import pathlib
import re
import sys

EXPECTED_UNITS = 9216  # the count the list itself declares; a different count means a bad list
BLOCK_BITS = 256  # code units per second-level block: 101 distinct blocks, about 3.5 KB for the double-byte set
WORDS = BLOCK_BITS // 64
DEFAULT_BYTE = 0x3F  # '?', what a unit with no mapping becomes

ROOT = pathlib.Path(__file__).resolve().parent.parent
LISTS = ROOT / "tools/cp932"


def read_ranges(path):
    """Yields (first, last, rest of the line) for each range of the list, and checks them."""
    for number, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        line = raw.split("#", 1)[0].strip()
        if not line:
            continue
        match = re.fullmatch(r"([0-9A-Fa-f]{4})(?:-([0-9A-Fa-f]{4}))?(?:\s+(\S+))?", line)
        if not match:
            sys.exit(f"{path}:{number}: not a unit or range: {raw!r}")
        first = int(match.group(1), 16)
        last = int(match.group(2) or match.group(1), 16)
        if last < first:
            sys.exit(f"{path}:{number}: range runs backwards: {raw!r}")
        yield first, last, match.group(3)


def read_units(path, expected=None):
    units = set()
    for first, last, rest in read_ranges(path):
        if rest is not None:
            sys.exit(f"{path}: a unit list holds units only: {rest!r}")
        units.update(range(first, last + 1))
    declared = re.search(r"^# (\d+) code units", path.read_text(encoding="utf-8"), re.M)
    expected = expected or (int(declared.group(1)) if declared else None)
    if expected is not None and len(units) != expected:
        sys.exit(f"{path}: {len(units)} units, expected {expected}")
    return units


def read_codes(path):
    """Every unit's code: one byte, or lead byte * 256 + trail byte; '?' where none is listed."""
    codes = {}
    for first, last, rest in read_ranges(path):
        if rest is None or not re.fullmatch(r"[0-9A-Fa-f]{2}|[0-9A-Fa-f]{4}", rest):
            sys.exit(f"{path}: bytes missing or malformed after {first:04X}")
        for unit in range(first, last + 1):
            codes[unit] = (int(rest, 16) + unit - first, len(rest) // 2)
    return [codes.get(unit, (DEFAULT_BYTE, 1)) for unit in range(65536)]


def check_lists(double, trail5c, lossy, codes):
    two = {u for u in range(65536) if codes[u][1] == 2}
    if two != double:
        sys.exit(f"the byte list's two-byte units differ from the two-byte list at "
                 f"{min(two ^ double):04X}")
    ends5c = {u for u in two if codes[u][0] & 0xFF == 0x5C}
    if ends5c != trail5c:
        sys.exit(f"the 5C list differs from the byte list at {min(ends5c ^ trail5c):04X}")
    # A unit that becomes an ASCII byte other than itself cannot come back as itself.
    surely_lossy = {u for u in range(0x80, 65536) if codes[u][1] == 1 and codes[u][0] < 0x80}
    if not surely_lossy <= lossy:
        sys.exit(f"the lossy list lacks {min(surely_lossy - lossy):04X}")


def build_blocks(units):
    index, blocks, seen = [], [], {}
    for high in range(65536 // BLOCK_BITS):
        words = tuple(
            sum(1 << bit for bit in range(64) if high * BLOCK_BITS + word * 64 + bit in units)
            for word in range(WORDS)
        )
        if words not in seen:
            seen[words] = len(blocks)
            blocks.append(words)
        index.append(seen[words])
    assert len(blocks) <= 256, "block numbers must fit in a byte"
    return index, blocks


def render_numbers(numbers, per_line, form):
    return ["    " + " ".join(form.format(n) + "," for n in numbers[i : i + per_line])
            for i in range(0, len(numbers), per_line)]


def render_set(index_name, blocks_name, units):
    index, blocks = build_blocks(units)
    out = [f"const std::uint8_t {index_name}[{len(index)}] = {{"]
    out += render_numbers(index, 16, "{}")
    out += ["};", "", f"const std::uint64_t {blocks_name}[{len(blocks)}][{WORDS}] = {{"]
    for words in blocks:
        out.append("    {" + ", ".join(f"0x{w:016X}u" for w in words) + "},")
    return out + ["};", ""]


def render_codes(double, codes):
    ranks = [sum(1 for u in double if u < high * BLOCK_BITS) for high in range(256)]
    doubles = [codes[u][0] for u in sorted(double)]
    singles = [u << 8 | codes[u][0] for u in range(0x80, 65536)
               if codes[u][1] == 1 and codes[u][0] != DEFAULT_BYTE]
    out = [f"const std::uint16_t kCp932DoubleRank[{len(ranks)}] = {{"]
    out += render_numbers(ranks, 16, "{}")
    out += ["};", "", f"const std::uint16_t kCp932DoubleCodes[{len(doubles)}] = {{"]
    out += render_numbers(doubles, 12, "0x{:04X}")
    out += ["};", "", f"const std::uint32_t kCp932SingleCodes[{len(singles)}] = {{"]
    out += render_numbers(singles, 8, "0x{:06X}")
    return out + ["};", ""]


def render(double, trail5c, lossy, codes, source_name):
    out = [
        f"// Generated by tools/gen_cp932_table.py from {source_name} and",
        "// tools/cp932/; do not edit.",
        "// Bit u of a set is 1 when UTF-16 code unit u is in it: kCp932 (two bytes in code page",
        "// 932), kCp932Trail5C (two bytes ending in 0x5C), kCp932Lossy (does not convert back).",
        '#include "engine/cp932_table.h"',
        "",
        "// clang-format off",
        "namespace modConvert::detail {",
        "",
    ]
    out += render_set("kCp932BlockIndex", "kCp932Blocks", double)
    out += render_set("kCp932Trail5CIndex", "kCp932Trail5CBlocks", trail5c)
    out += render_set("kCp932LossyIndex", "kCp932LossyBlocks", lossy)
    out += render_codes(double, codes)
    out += ["}  // namespace modConvert::detail", "// clang-format on", ""]
    return "\n".join(out)


def read_decoded(path):
    """(first code, last code, first unit) for each run of codes decoding to consecutive units."""
    runs = []
    for first, last, rest in read_ranges(path):
        if rest is None or not re.fullmatch(r"[0-9A-Fa-f]{4}", rest):
            sys.exit(f"{path}: unit missing or malformed after {first:04X}")
        runs.append((first, last, int(rest, 16)))
    return runs


def merge_decoded(runs, lossy, codes):
    """Every code's unit: the list's, and that of each unit that comes back as itself, so that
    decoding undoes the engine's encoding. (Wine's MB_ERR_INVALID_CHARS rejects A0 and FD-FF,
    which it decodes to U+F8F0-U+F8F3 without that flag and encodes them as.)"""
    decoded = {}
    for first, last, unit in runs:
        for code in range(first, last + 1):
            decoded[code] = unit + code - first
    for unit in range(65536):
        code = codes[unit][0]
        if unit not in lossy and decoded.setdefault(code, unit) != unit:
            sys.exit(f"{unit:04X} becomes {code:X}, which decodes to {decoded[code]:04X}")
    merged, code = [], 0
    for code in sorted(decoded):
        unit = decoded[code]
        if merged and merged[-1][1] + 1 == code and code >> 8 == merged[-1][0] >> 8 and \
                merged[-1][2] + code - merged[-1][0] == unit:
            merged[-1][1] = code
        else:
            merged.append([code, code, unit])
    return merged


def render_decoded(runs):
    out = [
        "// Generated by tools/gen_cp932_table.py from tools/cp932/decoded-codes.txt; do not edit.",
        "// Runs of code page 932 codes (a byte, or lead * 256 + trail) that decode to consecutive",
        "// UTF-16 units: first code, last code, first unit. Codes in no run are not valid.",
        "#include <cstddef>",
        "#include <cstdint>",
        "",
        "// clang-format off",
        "namespace cli::detail {",
        "",
        f"extern const std::size_t kCp932DecodeRunCount = {len(runs)};",
        f"extern const std::uint16_t kCp932DecodeRuns[{len(runs)}][3] = {{",
    ]
    out += render_numbers([f"{{0x{a:04X}, 0x{b:04X}, 0x{u:04X}}}" for a, b, u in runs], 4, "{}")
    out += ["};", "", "}  // namespace cli::detail", "// clang-format on", ""]
    return "\n".join(out)


def main(argv):
    check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    source = pathlib.Path(args[0]) if args else ROOT.parent / "shared/cp932/double-byte-units.txt"
    target = pathlib.Path(args[1]) if len(args) > 1 else ROOT / "engine/cp932_table.cpp"
    try:
        name = source.resolve().relative_to(ROOT.parent).as_posix()
    except ValueError:
        name = source.name
    double = read_units(source, EXPECTED_UNITS)
    trail5c = read_units(LISTS / "5c-trail-units.txt")
    lossy = read_units(LISTS / "lossy-units.txt")
    codes = read_codes(LISTS / "unit-bytes.txt")
    check_lists(double, trail5c, lossy, codes)
    runs = merge_decoded(read_decoded(LISTS / "decoded-codes.txt"), lossy, codes)
    outputs = {target: render(double, trail5c, lossy, codes, name),
               ROOT / "cli/cp932_decode_table.cpp": render_decoded(runs)}
    for path, text in outputs.items():
        if not check:
            path.write_text(text, encoding="utf-8")
        elif path.read_text(encoding="utf-8") != text:
            sys.exit(f"{path} is out of date; run {pathlib.Path(__file__).name}")


if __name__ == "__main__":
    main(sys.argv[1:])
