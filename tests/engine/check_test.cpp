// The check before converting: each rule's report line, the cap and the empty report.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/modCheck.h"

namespace {

using namespace modConvert;

std::vector<std::u16string> ReportLines(const std::u16string& report) {
    std::vector<std::u16string> lines;
    for (std::size_t at = 0; at <= report.size();) {
        const std::size_t end = std::min(report.find(u"\r\n", at), report.size());
        lines.push_back(report.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

struct CheckCase {
    EscapeMode mode;
    std::u16string text;
    std::u16string tail;
    std::int16_t hStart;
    std::int16_t tStart;
    std::vector<std::u16string> starts;  // of the report's lines; head "<" throughout
};

TEST(CheckReport, ReportsEachRuleWhereTheConvertedLineHasIt) {
    const std::u16string a1030(1030, u'a');
    const std::u16string lines26 = [] {
        std::u16string s;
        for (int i = 0; i < 25; ++i) s += u"x\r\n";
        return s;
    }();
    const std::u16string backslash =
        u"2 バイト目が 0x5C で、ソースを別の文字コードで読むコンパイラーには \\ に見えます。文字"
        u"コードを指定してコンパイルする (例: javac -encoding Windows-31J) か、\\u8868 と書いて"
        u"ください。";
    const std::u16string vbQuote =
        u"VB.NET はこの文字も引用符と読むため、\" を重ねるだけでは文字列"
        u"がここで切れます。ChrW(&H201C) と書いてください。";
    const CheckCase cases[] = {
        {1, u"a表", u"", 1, 0, {u"行 1 桁 4: 「表」 U+8868 (95 5C) " + backslash}},
        {0, u"\"\r\n\"ソ", u"", 0, 0, {u"行 2 桁 3: 「ソ」 U+30BD (83 5C) 2 バイト目が 0x5C"}},
        {1, u"\\ソ", u"", 0, 0, {u"行 1 桁 4: 「ソ」 U+30BD (83 5C) 2 バイト目"}},
        {2,
         u"ソ“\"＂",
         u"",
         0,
         0,
         {u"行 1 桁 4: 「“」 U+201C (81 67) " + vbQuote,
          u"行 1 桁 8: 「＂」 U+FF02 (FA 57) VB.NET"}},
        {1, u"“", u"", 0, 0, {u"問題は見つかりませんでした。"}},
        {2,
         u"¢\U0001F600\xDC00¥",
         u"",
         0,
         0,
         {u"行 1 桁 2: 「¢」 U+00A2 (81 91) コードページ 932 にない文字で、変換すると「￠」",
          u"行 1 桁 4: 「\U0001F600」 U+1F600 (3F 3F) コードページ 932 "
          u"にない文字で、変換すると「??」",
          u"行 1 桁 6: U+DC00 (3F) コードページ 932 にない文字で、変換すると「?」",
          u"行 1 桁 7: 「¥」 U+00A5 (5C) コードページ 932 にない文字で、変換すると「\\」"}},
        {0, u"50% <%= x %>%", u"", 0, 0, {u"行 1 桁 12: 「%>」 U+0025 U+003E (25 3E) JSP や ASP"}},
        {1, u"abc\r\nab\"", u";", 0, 5, {u"行 2 桁 6: 「;」 U+003B (3B) 行が 5 桁目に届くため"}},
        {1, u"abcdefg", u"", 0, 5, {u"問題は見つかりませんでした。"}},
        {1,
         u"a\t\r\n\t",
         u"",
         0,
         9,
         {u"行 1 桁 3: U+0009 (09) タブは", u"行 2 桁 2: U+0009 (09) タブは"}},
        {1, u"a\t", u"", 0, 0, {u"問題は見つかりませんでした。"}},
        {2, lines26, u" _", 0, 0, {u"行 25 桁 4: 「_」 U+005F (5F) 行継続 (_) が 24 行を超えて"}},
        {2, lines26.substr(6), u" _", 0, 0, {u"問題は見つかりませんでした。"}},
        {2, a1030, u"_", 0, 0, {u"行 1 桁 1024: 「a」 U+0061 (61) 変換後の行がここで 1023 文字"}},
        {2, u"表", u"_", 1100, 0, {u"行 1 桁 1024: 「 」 U+0020 (20) 変換後の行"}},
        {2, a1030.substr(10), u"\" _", 0, 1022, {u"行 1 桁 1024: 「_」 U+005F (5F) 変換後の行"}},
        {2, a1030, u"", 0, 0, {u"問題は見つかりませんでした。"}},
    };
    for (const CheckCase& c : cases) {
        const auto lines =
            ReportLines(CheckReport(c.mode, c.text, u"<", c.tail, c.hStart, c.tStart));
        ASSERT_EQ(lines.size(), c.starts.size()) << lines.front().size();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].substr(0, c.starts[i].size()), c.starts[i]);
        }
    }
}

TEST(CheckReport, ReportsTheFirstThousandAndCountsTheRest) {
    std::u16string text;
    for (int i = 0; i < 1003; ++i) text += u"表\r\n";
    const auto lines = ReportLines(CheckReport(kEscapeBackslash, text, u"", u"", 0, 0));
    ASSERT_EQ(lines.size(), 1001u);
    const std::u16string last = u"行 1000 桁 1: 「表」 U+8868 (95 5C)";
    EXPECT_EQ(lines[999].substr(0, last.size()), last);
    EXPECT_EQ(lines[1000], u"ほかに 3 件あります。");
}

}  // namespace
