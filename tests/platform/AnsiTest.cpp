#include "platform/Ansi.h"
#include "platform/WinPattern.h"

#include <gtest/gtest.h>

TEST(Ansi, RoundTripsEveryDefinedByte)
{
    QByteArray all;
    for (int i = 1; i < 256; ++i)
        all.append(char(i));
    const QString text = Ansi::decode(all);
    ASSERT_EQ(text.size(), 255);
    EXPECT_EQ(text[0x80 - 1], QChar(0x20AC));
    bool ok = false;
    EXPECT_EQ(Ansi::encode(text, &ok), all);
    EXPECT_TRUE(ok);
}

TEST(Ansi, TextFileIsAnsiWithCrLfOrUtf8WithBomWhenNeeded)
{
    EXPECT_EQ(Ansi::textFile({QStringLiteral("Canción"), "b"}), QByteArray("Canci\xF3n\r\nb\r\n"));
    const QByteArray u = Ansi::textFile({QStringLiteral("Καλή"), "b"});
    EXPECT_TRUE(u.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(Ansi::readLines(u), (QStringList{QStringLiteral("Καλή"), "b"}));
    EXPECT_EQ(Ansi::readLines("a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(Ansi::readLines("a\r\n\r\n"), (QStringList{"a", ""}));
}

TEST(WinPattern, WindowsMatching)
{
    struct Case { const char *pattern, *name; bool match; };
    const Case cases[] = {
        {"*.wav", "take.wav", true},   {"*.wav", "TAKE.WAV", true},   {"*.wav", "take.wave", true},
        {"*.fla", "take.flac", true},  {"*.fla", "take.fl", false},   {"*.h2", "a.h2", true},
        {"*.h2", "a.h22", false},      {"*.wav", "take.wav.bak", false}, {"*.vip", "Tema.VIP", true},
        {"?.wav", "a.wav", true},      {"?.wav", "ab.wav", false},    {"*", "anything", true},
        {"*.wav", "wav", false},       {"*.wav", ".wav", true},       {"*.*", "noext", true},
        {"*.*", "a.b", true},          {"Tema.*", "Tema", true},      {"Tema.*", "Tema.vip", true},
        {"Tema.*", "Temas", false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(WinPattern::matches(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
        EXPECT_EQ(WinPattern::Mask(c.pattern).matches(c.name), c.match) << "mask " << c.pattern << " " << c.name;
    }
}
