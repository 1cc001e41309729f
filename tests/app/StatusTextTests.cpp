#include "app/Crc32.h"
#include "app/StatusText.h"

#include <gtest/gtest.h>

TEST(Crc32, MatchesTheStandardCheckValues) {
    EXPECT_EQ(Crc32("", 0), 0x00000000u);
    EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32("The quick brown fox jumps over the lazy dog", 43), 0x414FA339u);
}

TEST(StatusText, WidensEachByteAsASignedCharacter) {
    std::u16string wide = WidenStatusText(std::string("A\x7F\x80\xE9\xFF", 5));
    ASSERT_EQ(wide.size(), 5u);
    EXPECT_EQ(wide[0], u'A');
    EXPECT_EQ(wide[1], char16_t(0x007F));
    EXPECT_EQ(wide[2], char16_t(0xFF80));
    EXPECT_EQ(wide[3], char16_t(0xFFE9));
    EXPECT_EQ(wide[4], char16_t(0xFFFF));
}

TEST(StatusText, ValidUtf8IsNotDecoded) {
    // "é" in UTF-8 is two bytes and becomes two characters.
    EXPECT_EQ(WidenStatusText("\xC3\xA9"), (std::u16string{char16_t(0xFFC3), char16_t(0xFFA9)}));
}

TEST(StatusText, CrcCoversTwoBytesPerCharacterLowByteFirst) {
    // "AB" as UTF-16LE is 41 00 42 00.
    const unsigned char bytes[] = {0x41, 0x00, 0x42, 0x00};
    EXPECT_EQ(StatusTextCrc(u"AB"), Crc32(bytes, sizeof(bytes)));
    const unsigned char high[] = {0xE9, 0xFF};
    EXPECT_EQ(StatusTextCrc(WidenStatusText("\xE9")), Crc32(high, sizeof(high)));
    EXPECT_NE(StatusTextCrc(u"AB"), StatusTextCrc(u"BA"));
}

TEST(StatusFilter, DropsALineEqualToTheLastAcceptedOne) {
    StatusFilter filter;
    EXPECT_TRUE(filter.Accept(u"Opening output."));
    EXPECT_FALSE(filter.Accept(u"Opening output."));
    EXPECT_TRUE(filter.Accept(u"MIDI Output device opened."));
    // Only the last line counts: an older one comes through again.
    EXPECT_TRUE(filter.Accept(u"Opening output."));
    EXPECT_EQ(filter.LastCrc(), StatusTextCrc(u"Opening output."));
}

TEST(StatusFilter, DropsAnEmptyFirstLineButNotALaterOne) {
    StatusFilter filter;
    EXPECT_EQ(filter.LastCrc(), 0u);
    EXPECT_FALSE(filter.Accept(u""));
    EXPECT_TRUE(filter.Accept(u"x"));
    EXPECT_TRUE(filter.Accept(u""));
    EXPECT_FALSE(filter.Accept(u""));
}
