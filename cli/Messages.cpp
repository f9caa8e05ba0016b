#include "cli/Messages.h"

#include "engine/modCommand.h"

namespace cli {
namespace {

bool japanese = false;

// The variants of 編集 as the table names them, one after another.
std::string VariantNames() {
    std::string names;
    for (const modConvert::CommandRow& row : modConvert::kCommands) {
        if (row.command == modConvert::Command::Edit ||
            row.command == modConvert::Command::Reverse ||
            row.command == modConvert::Command::Check)
            continue;
        if (!names.empty()) names += '|';
        names += row.cliName;
    }
    return names;
}

}  // namespace

void UseJapanese(bool yes) { japanese = yes; }
bool Japanese() { return japanese; }

std::string Say(const char* ja, const char* en) { return japanese ? ja : en; }

std::string HelpText() {
    const std::string variants = VariantNames();
    if (japanese) {
        return "使い方: kalvex-cli [オプション]... [ファイル]...\n"
               "Kalvex の編集を行います: ファイル (なければ標準入力) "
               "の各行を、前に追加する文字列と後ろに\n"
               "追加する文字列で囲み、エスケープ処理をして、標準出力に書きます。\n"
               "\n"
               "メインウィンドウの項目:\n"
               "  --head 文字列          前に追加する文字列\n"
               "  --head-column 桁数     その前に置くスペースの数 (半角数字 3 桁まで)\n"
               "  --tail 文字列          後ろに追加する文字列\n"
               "  --tail-column 桁数     後ろの文字列が始まる桁 (半角数字 3 桁まで)\n"
               "  --escape none|vb|c     変換なし (既定)、VB・ASP 向け、C・JAVA 向け\n"
               "コマンド (既定は編集):\n"
               "  --reverse              逆変換 (読み取った内容を標準エラー出力に)\n"
               "  --check                変換前チェック: 見つかれば終了ステータス 1\n"
               "  --check-format report|lines  報告 (既定) か、1 件 1 行 (ファイル:行:桁: 種類: "
               "内容)\n"
               "  --fail-on 種類,...     終了ステータス 1 にする種類 (all (既定)、none)\n"
               "  --variant " +
               variants +
               "\n"
               "                         編集の追加版 (tab と joins は --escape vb か c と)\n"
               "入出力:\n"
               "  --from utf-8|cp932     入力の文字コード (既定 utf-8、BOM は読み飛ばします)\n"
               "  --to utf-8|cp932       出力の文字コード (既定 utf-8)\n"
               "  --eol crlf|lf          出力の改行 (既定 crlf、ウィンドウと同じ)\n"
               "  -o ファイル            出力先。書き終えてから置き換えるので、失敗しても元のまま\n"
               "  --clipboard            "
               "クリップボードの文字列を変換して、クリップボードに戻します\n"
               "  --help                 この説明\n"
               "  --version              バージョン\n"
               "\n"
               "終了ステータス: 0 成功、1 変換前チェックの指摘あり、2 使い方か入力の誤り。\n";
    }
    return "Usage: kalvex-cli [OPTION]... [FILE]...\n"
           "Does Kalvex's edit: wraps each line of the FILEs (or standard input) in a head and a\n"
           "tail, escapes it, and writes it to standard output.\n"
           "\n"
           "The main window's fields:\n"
           "  --head STR             string before each line\n"
           "  --head-column N        spaces before the head (up to three half-width digits)\n"
           "  --tail STR             string after each line\n"
           "  --tail-column N        column where the tail starts (up to three half-width digits)\n"
           "  --escape none|vb|c     no escaping (default), VB/ASP, C/Java\n"
           "Commands (the edit by default):\n"
           "  --reverse              reverse conversion (what it read goes to standard error)\n"
           "  --check                check before converting: exit status 1 on findings\n"
           "  --check-format report|lines  the report (default), or one finding a line\n"
           "                         (file:line:column: kind: message)\n"
           "  --fail-on KIND,...     kinds that give exit status 1 (all (default), none)\n"
           "  --variant " +
           variants +
           "\n"
           "                         variants of the edit (tab and joins need --escape vb or c)\n"
           "Input and output:\n"
           "  --from utf-8|cp932     encoding of the input (default utf-8; a BOM is skipped)\n"
           "  --to utf-8|cp932       encoding of the output (default utf-8)\n"
           "  --eol crlf|lf          line ends of the output (default crlf, as the window)\n"
           "  -o FILE                write FILE, replacing it only once written whole\n"
           "  --clipboard            convert the clipboard's text and put the result back\n"
           "  --help                 this help\n"
           "  --version              the version\n"
           "\n"
           "Exit status: 0 success, 1 findings of the check, 2 a usage or input error.\n";
}

}  // namespace cli
