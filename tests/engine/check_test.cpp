// The check before converting: where each problem is found, the advice for each escaping and the
// report's groups with their caps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/modCheck.h"

namespace {

using namespace modConvert;

// The report's rows after its summary, each group's heading, findings and count of more,
// joined with LF: a row that should not be there fails as one missing does.
std::u16string Groups(const std::u16string& report) {
    std::u16string groups;
    bool summary = true;
    for (const std::u16string& line : SplitLines(report)) {
        summary = summary && !line.empty();
        if (!summary && !line.empty()) groups += line + u"\n";
    }
    return groups;
}

struct CheckCase {
    EscapeMode mode;
    std::u16string text, tail;
    std::int16_t hStart, tStart;
    std::u16string groups;  // head "<" throughout; empty: nothing found
};

TEST(CheckReport, FindsEachProblemWhereTheConvertedLineHasIt) {
    const std::u16string a1030(1030, u'a');
    std::u16string lines26;
    for (int i = 0; i < 25; ++i) lines26 += u"x\r\n";
    const std::u16string bytes65535 = std::u16string(65534, u'a') + u"表\r\n" +
                                      std::u16string(65535, u'a') + u"\r\n" +
                                      std::u16string(32768, u'\0');
    const std::u16string nonCp932 = u"■ Shift_JIS にない文字\n";
    const std::u16string over1023 = u"■ 1023 文字を超える行\n行 1 桁 1024: ";
    const CheckCase cases[] = {
        {1, u"a\\表", u"", 1, 0, u"■ 2 バイト目が 0x5C の文字\n行 1 桁 6: 「表」 U+8868 (95 5C)\n"},
        {0, u"\"\r\n\"ソ", u"", 0, 0, u"■ 2 バイト目が 0x5C の文字\n行 2 桁 3: 「ソ」 U+30BD (83 5C)\n"},
        {2, u"ソ“\"＂", u"", 0, 0,
         u"■ VB.NET が引用符と読む文字\n行 1 桁 4: 「“」 U+201C (81 67)\n行 1 桁 8: 「＂」 U+FF02 (FA 57)\n"},
        {2, u"¢\U0001F600\xDC00¥?\?=\x7F", u"", 0, 0,
         nonCp932 + u"行 1 桁 2: 「¢」 U+00A2 (81 91) →「￠」\n行 1 桁 4: 「\U0001F600」 U+1F600 "
                    u"(3F 3F) →「??」\n行 1 桁 6: U+DC00 (3F) →「?」\n行 1 桁 7: 「¥」 U+00A5 (5C) →「\\」\n"},
        {1, u"“\x7F\x85\u2028\U0001F600 ?\?=?\?\?/?\?", u"", 0, 0,
         nonCp932 + u"行 1 桁 5: U+0085 (3F) →「?」\n行 1 桁 6: U+2028 (3F) →「?」\n行 1 桁 7: 「"
                    u"\U0001F600」 U+1F600 (3F 3F) →「??」\n■ 改行と読まれる文字 (U+2028 U+2029 "
                    u"U+0085)\n行 1 桁 5: U+0085 (3F)\n行 1 桁 6: U+2028 (3F)\n■ 三文字表記 (?\?= "
                    u"?\?/ など)\n行 1 桁 10: 「?\?=」 U+003F U+003F U+003D (3F 3F 3D)\n行 1 桁 14: "
                    u"「?\?/」 U+003F U+003F U+002F (3F 3F 2F)\n■ C/C++ の \\uXXXX にできない文字\n"
                    u"行 1 桁 4: U+007F (7F)\n行 1 桁 5: U+0085 (3F)\n行 1 桁 7: 「\U0001F600」 "
                    u"U+1F600 (3F 3F)\n"},
        {1, bytes65535, u"", 0, 0,
         u"■ 2 バイト目が 0x5C の文字\n行 1 桁 65536: 「表」 U+8868 (95 5C)\n■ 65,535 バイトを超える"
         u"文字列\n行 1 桁 65536: 「表」 U+8868 (95 5C)\n行 3 桁 32769: U+0000 (00)\n■ 16,380 バイト"
         u"を超える文字列 (MSVC)\n行 1 桁 16382: 「a」 U+0061 (61)\n行 2 桁 16382: 「a」 U+0061 "
         u"(61)\n行 3 桁 16382: U+0000 (00)\n"},
        {1, std::u16string(5458, u'あ') + u"\U0001F600aaa", u"", 0, 0,
         u"■ Shift_JIS にない文字\n行 1 桁 10918: 「\U0001F600」 U+1F600 (3F 3F) →「??」\n■ C/C++ の "
         u"\\uXXXX にできない文字\n行 1 桁 10918: 「\U0001F600」 U+1F600 (3F 3F)\n■ 16,380 バイトを"
         u"超える文字列 (MSVC)\n行 1 桁 10922: 「a」 U+0061 (61)\n"},
        {0, u"50% <%= x %> %><%@", u"", 0, 0,
         u"■ JSP・ASP のコード (<%= %> <% %> <%@ %>)\n行 1 桁 6: 「<%=」 U+003C U+0025 U+003D (3C 25 3D)\n"
         u"行 1 桁 17: 「<%@」 U+003C U+0025 U+0040 (3C 25 40)\n■ %>\n行 1 桁 15: 「%>」 U+0025 U+003E (25 3E)\n"},
        {1, u"abc\r\nab\"", u";", 0, 5, u"■ 末尾の桁を越える行\n行 2 桁 6: 「;」 U+003B (3B)\n"},
        {1, u"abcdefg", u"", 0, 5, u""},
        {1, u"a\t\r\n\t\tb\t", u"", 0, 9,
         u"■ タブのある行\n行 1 桁 3: U+0009 (09)\n行 2 桁 2: U+0009 (09) この行に 3 個\n"},
        {1, u"a\t", u"", 0, 0, u""},
        {2, lines26, u" _", 0, 0, u"■ 24 行を超える行継続\n行 25 桁 4: 「_」 U+005F (5F)\n"},
        {2, lines26.substr(6), u" _", 0, 0, u""},
        {2, a1030, u"_", 0, 0, over1023 + u"「a」 U+0061 (61)\n"},
        {2, u"表", u"_", 1100, 0, over1023 + u"「 」 U+0020 (20)\n"},
        {2, a1030.substr(10), u"\" _", 0, 1022, over1023 + u"「_」 U+005F (5F)\n"},
        {2, a1030, u"", 0, 0, u""},
    };
    for (const CheckCase& c : cases) {
        const std::u16string report = CheckReport(c.mode, c.text, u"<", c.tail, c.hStart, c.tStart);
        EXPECT_EQ(Groups(report), c.groups) << c.text.size();
        EXPECT_EQ(report == u"問題は見つかりませんでした。", c.groups.empty());
    }
}

TEST(CheckReport, SumsUpEachProblemWithAdviceForTheEscapingThenListsItsFirstHundred) {
    const std::pair<EscapeMode, std::u16string> advice[] = {
        {1, u"%>: 1 件。JSP のスクリプトレットの中ではそこでスクリプトが終わるため、%\\> と書いて"
            u"ください。サーブレットの .java ではそのままで構いません。"},
        {2, u"%>: 1 件。ASP のスクリプトの中ではそこでスクリプトが終わるため、\"%\" & \">\" と"
            u"書いてください。"},
        {0, u"%>: 1 件。JSP や ASP のスクリプトの中に書くときだけ"},
    };
    for (const auto& [mode, first] : advice) {
        EXPECT_TRUE(CheckReport(mode, u"%>", u"", u"", 0, 0).starts_with(first)) << mode;
    }
    std::u16string text;
    for (int i = 0; i < 103; ++i) text += u"表\t%>\r\n";
    const auto lines = SplitLines(CheckReport(kEscapeBackslash, text, u"", u"", 0, 9));
    ASSERT_EQ(lines.size(), 3 + 3 * 103u);
    EXPECT_TRUE(lines[0].starts_with(u"2 バイト目が 0x5C の文字: 103 件。ソースを Shift_JIS "
                                     u"(Windows-31J) で保存する場合"));
    EXPECT_TRUE(lines[0].ends_with(u"UTF-8 で保存するソースには関係ありません。"));
    EXPECT_TRUE(lines[1].starts_with(u"%>: 103 件。"));
    EXPECT_TRUE(lines[2].starts_with(u"タブのある行: 103 件。"));
    EXPECT_EQ(lines[4], u"■ 2 バイト目が 0x5C の文字");
    EXPECT_EQ(lines[104], u"行 100 桁 1: 「表」 U+8868 (95 5C)");
    EXPECT_EQ(lines[105], u"ほかに 3 件あります。");
    EXPECT_EQ(lines[107], u"■ %>");
    EXPECT_EQ(lines[210], u"■ タブのある行");
    EXPECT_EQ(lines[211], u"行 1 桁 3: U+0009 (09)");
    EXPECT_EQ(lines.back(), u"ほかに 3 件あります。");
}

}  // namespace
