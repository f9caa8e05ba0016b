#include "bench/sample_text.h"

#include <random>
#include <span>
#include <string_view>

namespace kalvex_bench {
namespace {

// '§' is replaced by a number, '¤' by a word; the rest is copied.
constexpr char16_t kNumber = u'§';
constexpr char16_t kWord = u'¤';

constexpr std::u16string_view kMarkup[] = {
    u"<tr class=\"row§\"><td align=\"right\">§</td><td>¤</td></tr>",
    u"<td><a href=\"detail.jsp?id=§&amp;mode=¤\">¤ §</a></td>",
    u"<input type=\"text\" name=\"¤§\" value=\"\" size=\"§\" maxlength=\"§\">",
    u"<option value=\"§\">¤ ¤</option>",
    u"<img src=\"images/¤§.gif\" width=\"§\" height=\"§\" alt=\"¤\" border=\"0\">",
    u"<div class=\"¤\" style=\"margin-left: §px; color: #336699\">",
    u"<script type=\"text/javascript\">var re = /^\\d{3}-\\d{4}$/;</script>",
    u"document.write(\"<a href=\\\"¤.jsp?n=\" + § + \"\\\">¤</a>\");",
    u"var path = \"C:\\\\data\\\\¤\\\\§.csv\"; // server-side ¤ path",
    u"<form method=\"post\" action=\"/servlet/¤\" name=\"form§\">",
    u"<p>The ¤ of order § is shown below; press \"¤\" to go on.</p>",
    u"</table>",
    u"<br>",
};

constexpr std::u16string_view kJapanese[] = {
    u"<p class=\"note\">ご注文の内容をご確認のうえ「送信」ボタンを押してください。</p>",
    u"<td>商品番号 §：¤（在庫あり）</td><td align=\"right\">￥§</td>",
    u"<h2>お問い合わせ窓口</h2><p>受付時間は平日９時〜１７時です。</p>",
    u"<option value=\"§\">東京都 千代田区 丸の内 §丁目</option>",
};

// Markup where every tag carries quoted attributes, paths and scripts carry backslashes, and a
// third of the lines hold Japanese text: the worst case for escaping that real pages come near.
constexpr std::u16string_view kDenseMarkup[] = {
    u"<td class=\"c§\" id=\"r§\"><a href=\"\\\\files\\¤\\§.html\" title=\"¤\">¤</a></td>",
    u"<input type=\"hidden\" name=\"¤\" value=\"C:\\data\\¤\\§.csv\" class=\"p\">",
    u"<img src=\"img\\¤§.gif\" width=\"§\" height=\"§\" alt=\"¤ §\" border=\"0\">",
    u"document.write(\"<a href=\\\"¤.jsp?n=\" + § + \"\\\">¤</a>\");",
    u"var re = new RegExp(\"^\\\\d+\\\\.\\\\d{2}$\"); s = s.replace(/\\\\/g, \"\\\\\\\\\");",
    u"<option value=\"§\" label=\"¤\" class=\"o\">¤ §</option>",
    u"<div class=\"¤\" style=\"width:§px\" data-path=\"\\¤\\§\">",
};

constexpr std::u16string_view kDenseJapanese[] = {
    u"<p class=\"msg\" id=\"m§\">「¤」を選択し、\"送信\"を押してください。</p>",
    u"<td class=\"price\" title=\"価格\">￥§</td><td class=\"n\">商品 ¤ （在庫 §）</td>",
    u"alert(\"\\\"¤\\\" は必須項目です。\\n保存先：C:\\\\データ\\\\§\");",
    u"<option value=\"§\" title=\"東京都\">東京都 千代田区 丸の内 §丁目</option>",
};

constexpr std::u16string_view kWords[] = {u"item",    u"price", u"customer", u"order",
                                          u"summary", u"name",  u"address",  u"status"};

struct Patterns {
    std::span<const std::u16string_view> markup;
    std::span<const std::u16string_view> japanese;
    std::uint32_t japanesePercent;
};

constexpr Patterns kRealistic{kMarkup, kJapanese, 4};
constexpr Patterns kDense{kDenseMarkup, kDenseJapanese, 33};

class Generator {
  public:
    Generator(const Patterns& patterns, std::uint32_t seed) : patterns_(patterns), engine_(seed) {}

    void AppendLine(std::u16string& out) {
        out.append(Below(4) * 2, u' ');  // indentation of nested markup
        const auto& choice =
            Below(100) < patterns_.japanesePercent ? patterns_.japanese : patterns_.markup;
        const std::u16string_view pattern = choice[Below(choice.size())];
        for (const char16_t c : pattern) {
            if (c == kNumber) {
                AppendNumber(out, Below(100000));
            } else if (c == kWord) {
                out += kWords[Below(std::size(kWords))];
            } else {
                out += c;
            }
        }
        out += u"\r\n";
    }

  private:
    // Raw draws and modulo rather than std distributions, which differ between libraries.
    std::uint32_t Below(std::size_t n) {
        return static_cast<std::uint32_t>(engine_() % static_cast<std::uint32_t>(n));
    }

    static void AppendNumber(std::u16string& out, std::uint32_t n) {
        char16_t digits[10];
        int count = 0;
        do {
            digits[count++] = static_cast<char16_t>(u'0' + n % 10);
            n /= 10;
        } while (n != 0);
        while (count > 0) out += digits[--count];
    }

    const Patterns& patterns_;
    std::mt19937 engine_;
};

std::u16string Make(const Patterns& patterns, std::size_t units, std::uint32_t seed) {
    std::u16string text;
    text.reserve(units + 256);
    Generator generator(patterns, seed);
    while (text.size() < units) generator.AppendLine(text);
    return text;
}

}  // namespace

std::u16string MakeSampleText(std::size_t units, std::uint32_t seed) {
    return Make(kRealistic, units, seed);
}

std::u16string MakeDenseSampleText(std::size_t units, std::uint32_t seed) {
    return Make(kDense, units, seed);
}

}  // namespace kalvex_bench
