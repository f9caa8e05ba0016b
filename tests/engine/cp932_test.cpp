// A text's width in code page 932 bytes adds its units' widths; each unit's width is compared
// with the system's own conversion under wine (tests/windows).
#include <gtest/gtest.h>

#include <string>

#include "engine/modConvert.h"

namespace {

using modConvert::AnsiByteLength;

TEST(AnsiByteLength, AddsTheWidthsOfAllUnits) {
    EXPECT_EQ(AnsiByteLength(u""), 0);
    EXPECT_EQ(AnsiByteLength(u"\U0001F600"), 2);  // two surrogates, one byte each
    EXPECT_EQ(AnsiByteLength(u"A\tあｱ①¥\U0001F600"), 1 + 1 + 2 + 1 + 2 + 1 + 2);
    EXPECT_EQ(AnsiByteLength(std::u16string(100000, u'漢')), 200000);
}

}  // namespace
