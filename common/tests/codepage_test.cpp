#include "common/codepage.h"
#include "testing/testsupport.h"

#include <gtest/gtest.h>

using common::DecodeCp932;
using common::EncodeCp932;
using common::EncodeCp932Prefix;
using testsupport::Sjis;

TEST(Cp932, DecodesJapaneseAndWindowsSpecificMappings)
{
    EXPECT_EQ(DecodeCp932(Sjis("歌詞")), QString::fromUtf8("歌詞"));
    // 0x8160 is the Windows wave dash: FULLWIDTH TILDE, not U+301C.
    EXPECT_EQ(DecodeCp932(QByteArray("\x81\x60", 2)), QString(QChar(0xFF5E)));
    // Half-width katakana are single bytes.
    EXPECT_EQ(DecodeCp932(QByteArray("\xB6\xD7\xB5\xB9")), QString::fromUtf8("ｶﾗｵｹ"));
    // NEC and IBM extensions.
    EXPECT_EQ(DecodeCp932(QByteArray("\x87\x40")), QString::fromUtf8("①"));
    EXPECT_EQ(DecodeCp932(QByteArray("\xFA\x40")), QString::fromUtf8("ⅰ"));
}

TEST(Cp932, UndecodableBytesRoundTripUnchanged)
{
    // A lone lead byte at the end, an invalid trail byte and bytes no character uses.
    const QByteArray raw("a\x81" "b\xA0\x80\xFD\xFF z\x82", 10);
    const QString text = DecodeCp932(raw);
    EXPECT_TRUE(text.startsWith(QLatin1Char('a')));
    const auto back = EncodeCp932(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, raw);
}

TEST(Cp932, ByteSequencesRoundTrip)
{
    // Leads 0x87, 0xED and 0xEE hold Windows' duplicate characters (NEC row 13 and the
    // NEC-selected IBM extensions, a few IBM ones), which encode to their other code as
    // on Windows.
    QByteArray all;
    for (int lead = 0; lead < 256; ++lead) {
        if (lead == 0x87 || lead == 0xED || lead == 0xEE || lead == 0xFA)
            continue;
        all.append(char(lead));
        all.append(char(0x40 + lead % 0x3F)); // a trail byte that is never a lead byte
    }
    const auto back = EncodeCp932(DecodeCp932(all));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
}

TEST(Cp932, RefusesCharactersWithoutACp932Form)
{
    QString error;
    EXPECT_FALSE(EncodeCp932(QString::fromUtf8("ok 😀"), &error).has_value());
    EXPECT_TRUE(error.contains(QLatin1String("U+1F600"))) << error.toStdString();
    EXPECT_FALSE(EncodeCp932(QString::fromUtf8("한국어")).has_value());
    EXPECT_FALSE(common::IsCp932Encodable(QString::fromUtf8("é")));
    EXPECT_TRUE(common::IsCp932Encodable(QString::fromUtf8("タイトル ～ Ⅲ")));
}

TEST(Cp932, PrefixCutsAtAWholeCharacter)
{
    // 16 double-byte characters, cut to 30 bytes: the 16th does not fit whole.
    const QString title = QString::fromUtf8("あいうえおかきくけこさしすせそた");
    const auto cut = EncodeCp932Prefix(title, 30);
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->size(), 30);
    EXPECT_EQ(DecodeCp932(*cut), title.left(15));
    // A mix: an odd cut drops the double-byte character that would be split.
    const auto mixed = EncodeCp932Prefix(QString::fromUtf8("aあい"), 4);
    ASSERT_TRUE(mixed.has_value());
    EXPECT_EQ(*mixed, Sjis("aあ"));
    EXPECT_EQ(EncodeCp932Prefix(QStringLiteral("0123456789"), 4).value(), QByteArray("0123"));
}

TEST(Utf8Check, AcceptsWellFormedAndRefusesMalformed)
{
    bool multi = true;
    EXPECT_TRUE(common::IsValidUtf8("plain", &multi));
    EXPECT_FALSE(multi);
    EXPECT_TRUE(common::IsValidUtf8("\xE6\xAD\x8C", &multi));
    EXPECT_TRUE(multi);
    EXPECT_FALSE(common::IsValidUtf8("\xC0\xAF"));         // overlong
    EXPECT_FALSE(common::IsValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(common::IsValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(common::IsValidUtf8("\xE6\xAD"));         // truncated
    EXPECT_FALSE(common::IsValidUtf8(Sjis("歌詞")));
}
