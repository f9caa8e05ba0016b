#include "cli/Options.h"

#include <algorithm>
#include <iterator>
#include <limits>

#include "cli/Messages.h"

namespace cli {
namespace {

using modConvert::Command;

constexpr std::string_view kKinds[] = {
    "backslash-byte", "vb-quote",         "not-cp932", "script-code",
    "script-end",     "line-break",       "trigraph",  "long-literal",
    "no-c-escape",    "tail-past-column", "tab",       "long-continuation",
    "long-line",      "msvc-literal",
};
static_assert(std::size(kKinds) == modConvert::kProblems, "a kind of finding without a name");

[[noreturn]] void FailUsage(const std::string& what) {
    throw Failure{what + Say(" (使い方は kalvex-cli --help)", " (see kalvex-cli --help)")};
}

std::u16string Text(const std::string& option, const std::string& value) {
    try {
        return FromUtf8(value);
    } catch (const BadText&) {
        FailUsage(option + Say(": UTF-8 として正しくない値です", ": the value is not valid UTF-8"));
    }
}

// As the main window reads a column field: at most three half-width digits, empty being 0.
std::int16_t Column(const std::string& option, const std::u16string& digits) {
    if (digits.size() > 3 || modConvert::HasNonDigit(digits)) {
        throw Failure{option + Say(": 入力エラー: 半角数字を入力してください (3 桁まで)",
                                   ": input error: give at most three half-width digits")};
    }
    int value = 0;
    for (char16_t c : digits) value = value * 10 + (c - u'0');
    return static_cast<std::int16_t>(value);
}

Command CommandNamed(const std::string& name) {
    for (const modConvert::CommandRow& row : modConvert::kCommands)
        if (row.cliName == name) return row.command;
    FailUsage(Say("そのような --variant はありません: ", "no such --variant: ") + name);
}

template <typename T, std::size_t N>
T Choice(const std::string& option, const std::string& value,
         const std::pair<std::string_view, T> (&choices)[N]) {
    for (const auto& [name, choice] : choices)
        if (value == name) return choice;
    FailUsage(option + Say(" にその値はありません: ", " takes no such value: ") + value);
}

void FailOn(Options& o, const std::string& list) {
    o.failOn.fill(list == "all");
    if (list == "all" || list == "none") return;
    for (std::size_t at = 0; at <= list.size();) {
        const std::size_t comma = std::min(list.find(',', at), list.size());
        const std::string_view name = std::string_view(list).substr(at, comma - at);
        const auto* kind = std::find(std::begin(kKinds), std::end(kKinds), name);
        if (kind == std::end(kKinds)) {
            FailUsage(Say("そのような種類はありません: ", "no such kind: ") + std::string(name));
        }
        o.failOn[kind - std::begin(kKinds)] = true;
        at = comma + 1;
    }
}

}  // namespace

std::string_view KindName(modConvert::Problem problem) {
    return kKinds[static_cast<std::size_t>(problem)];
}

Options ParseOptions(const std::vector<std::string>& args) {
    Options o;
    o.failOn.fill(true);
    std::u16string hStartText, tStartText;
    std::vector<Command> commands;
    bool optionsEnd = false, io = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnd || arg == "-" || !arg.starts_with("-")) {
            o.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        // --name=value, --name value, -o FILE, -oFILE
        std::string name = arg;
        std::string value;
        bool joined = false;
        if (const std::size_t eq = arg.find('='); arg.starts_with("--") && eq != arg.npos) {
            name = arg.substr(0, eq), value = arg.substr(eq + 1), joined = true;
        } else if (arg.starts_with("-o") && arg.size() > 2) {
            name = "-o", value = arg.substr(2), joined = true;
        }
        const auto take = [&]() -> std::string {
            if (joined) return value;
            if (i + 1 == args.size()) FailUsage(name + Say(" の値がありません", " needs a value"));
            return args[++i];
        };
        const auto flag = [&]() -> bool {
            if (joined) FailUsage(name + Say(" は値をとりません", " takes no value"));
            return true;
        };
        if (name == "--head") {
            o.head = Text(name, take());
        } else if (name == "--tail") {
            o.tail = Text(name, take());
        } else if (name == "--head-column") {
            hStartText = Text(name, take());
        } else if (name == "--tail-column") {
            tStartText = Text(name, take());
        } else if (name == "--escape") {
            o.mode = Choice(name, take(),
                            {std::pair<std::string_view, modConvert::EscapeMode>{
                                 "none", modConvert::kEscapeNone},
                             {"vb", modConvert::kEscapeQuoteDoubling},
                             {"c", modConvert::kEscapeBackslash}});
        } else if (name == "--reverse" || name == "--check") {
            flag();
            commands.push_back(CommandNamed(name.substr(2)));
        } else if (name == "--variant") {
            commands.push_back(CommandNamed(take()));
        } else if (name == "--from" || name == "--to") {
            (name == "--from" ? o.from : o.to) =
                Choice(name, take(),
                       {std::pair<std::string_view, Encoding>{"utf-8", Encoding::Utf8},
                        {"cp932", Encoding::Cp932}});
            io = true;
        } else if (name == "--eol") {
            o.lf = Choice(name, take(),
                          {std::pair<std::string_view, bool>{"crlf", false}, {"lf", true}});
            io = true;
        } else if (name == "-o" || name == "--output") {
            o.output = take();
            io = true;
            if (o.output.empty()) FailUsage(name + Say(" の値がありません", " needs a value"));
        } else if (name == "--check-format") {
            o.findingLines =
                Choice(name, take(),
                       {std::pair<std::string_view, bool>{"report", false}, {"lines", true}});
        } else if (name == "--fail-on") {
            FailOn(o, take());
        } else if (name == "--clipboard") {
            o.clipboard = flag();
        } else if (name == "--help" || name == "-h") {
            o.help = flag();
        } else if (name == "--version") {
            o.version = flag();
        } else {
            FailUsage(Say("そのようなオプションはありません: ", "no such option: ") + name);
        }
    }
    if (o.help || o.version) return o;
    if (std::adjacent_find(commands.begin(), commands.end(), std::not_equal_to<>()) !=
        commands.end()) {
        FailUsage(Say("コマンドは一度に一つです", "one command at a time"));
    }
    if (!commands.empty()) o.command = commands.front();
    if (o.clipboard && (io || !o.files.empty())) {
        FailUsage(Say("--clipboard はファイル、-o、--from、--to、--eol と使えません",
                      "--clipboard takes no FILE, -o, --from, --to or --eol"));
    }
    // The main window's checks, in its order: the head's column first.
    o.hStart = Column("--head-column", hStartText);
    o.tStart = Column("--tail-column", tStartText);
    const modConvert::CommandRow& row = modConvert::RowOf(o.command);
    if (row.needsEscaping && o.mode == modConvert::kEscapeNone) {
        FailUsage("--variant " + std::string(row.cliName) +
                  Say(" は --escape vb か c と使います", " needs --escape vb or c"));
    }
    return o;
}

}  // namespace cli
