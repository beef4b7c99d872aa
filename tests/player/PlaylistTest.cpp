#include "player/Playlist.h"
#include "services/InfoTexts.h"

#include <gtest/gtest.h>

#include <QLocale>

using namespace Playlist;

namespace {

const QString kDrop = QStringLiteral("---------------------- < Drag de Disco duro > -------------------");

} // namespace

TEST(PlaylistLines, SeparatorsAreFoundByTheirMarkOnly)
{
    EXPECT_TRUE(isSeparator(kDrop));
    EXPECT_TRUE(isSeparator(dropSeparator(true)));
    EXPECT_TRUE(isSeparator(copySeparator(QStringLiteral("Lista 1"))));
    EXPECT_TRUE(isSeparator(QStringLiteral("x ---------------------- <y")));
    EXPECT_FALSE(isSeparator(QStringLiteral("--------------------- < 21 dashes")));
    EXPECT_FALSE(isSeparator(QStringLiteral("----------------------<no blank")));
    EXPECT_FALSE(isSeparator(QStringLiteral("D:\\Audio\\take.wav")));
    EXPECT_FALSE(isSeparator(QString()));
}

TEST(PlaylistLines, SeparatorTextsAndDashRuns)
{
    EXPECT_EQ(dropSeparator(false), kDrop);
    EXPECT_EQ(dropSeparator(true), "---------------------- < Drag de WM > -------------------");
    EXPECT_EQ(copySeparator("Asociados para borrar"),
              "---------------------- < Copiado de Asociados para borrar > ----------------------");
    EXPECT_EQ(copySeparator("Lista 4"), QString(22, u'-') + " < Copiado de Lista 4 > " + QString(22, u'-'));
    EXPECT_TRUE(dropSeparator(false).endsWith(" " + QString(19, u'-')));
}

TEST(PlaylistLines, HelpTextHasEightLinesStartingEmpty)
{
    const QStringList h = helpText();
    ASSERT_EQ(h.size(), 8);
    EXPECT_EQ(h[0], "");
    EXPECT_EQ(h[1], " Arrastrar uno o varios archivos de audio ");
    EXPECT_EQ(h[2], "");
    EXPECT_EQ(h[7], " El programa discrimina el contenido ");
}

TEST(PlaylistLines, DroppedPathsLowerTheirExtensionEverywhere)
{
    struct Case
    {
        const char *in;
        const char *out;
    };
    const Case cases[] = {
        {"C:\\A\\X.WAV", "C:\\A\\X.wav"},
        {"C:\\WAV\\X.WAV", "C:\\wav\\X.wav"},
        {"C:\\A\\B.Mp3", "C:\\A\\B.mp3"},
        {"C:\\A\\b.mp3", "C:\\A\\b.mp3"},
        {"C:\\A\\Song.MID", "C:\\A\\Song.mid"},
        {"C:\\A\\x.reapeaks", ""},
        {"C:\\A\\x.wav.reapeaks", ""},
        {"C:\\A\\x.aif", ""},
        {"C:\\A\\x.aiff", ""},
        {"C:\\A\\x.flac", ""},
        {"C:\\A\\sin extension", ""},
        {"C:\\A.wav\\folder", "C:\\A.wav\\folder"}, // the extension test reads the whole path
        {"C:\\A.WAV\\sin", "C:\\A.wav\\sin"},
        {"C:\\A\\x.wave", "C:\\A\\x.wave"}, // holds ".wav": kept, as the rule says
        {"", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(droppedFile(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(PlaylistLines, CopiedLinesKeepTheirCase)
{
    EXPECT_TRUE(isCopiedAudio("C:\\A\\take.WAV"));
    EXPECT_TRUE(isCopiedAudio("C:\\A\\take.Mp3"));
    EXPECT_FALSE(isCopiedAudio("C:\\A\\take.aif"));
    EXPECT_FALSE(isCopiedAudio("3 --> C:\\P\\Song.VIP"));
    EXPECT_FALSE(isCopiedAudio(" "));
    EXPECT_FALSE(isCopiedAudio("C:\\A.wav\\take"));
}

TEST(PlaylistLines, SuprRemovesALineOrAWholeBlock)
{
    const QString s1 = copySeparator("Lista 1");
    const QString s2 = kDrop;
    const QStringList l = {s1, "a", "b", s2, "c", "d"};
    EXPECT_EQ(removeAt(l, 1), (QStringList{s1, "b", s2, "c", "d"}));
    EXPECT_EQ(removeAt(l, 0), (QStringList{s2, "c", "d"}));
    EXPECT_EQ(removeAt(l, 3), (QStringList{s1, "a", "b"}));
    EXPECT_EQ(removeAt({s1, s2, "x"}, 0), (QStringList{s2, "x"}));
    EXPECT_EQ(removeAt({s1}, 0), QStringList{});
    EXPECT_EQ(removeAt(l, -1), l);
    EXPECT_EQ(removeAt(l, 6), l);
    EXPECT_EQ(removeAt(helpText(), 0).size(), 7);
}

TEST(PlaylistLines, CountsAndHints)
{
    EXPECT_EQ(fileCount({kDrop, "a", "b", copySeparator("x"), "c"}), 3);
    EXPECT_EQ(fileCount({}), 0);
    EXPECT_EQ(countText(3), " 3 archivos ");
    EXPECT_EQ(separatorHint(kDrop), " Tecla <Supr> para borrar los items de  < Drag de Disco duro > ");
}

TEST(PlaylistLines, BalloonAndNowPlayingTexts)
{
    const QString point = QLocale::system().decimalPoint();
    const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 9));
    const QString date = "5/3/24 14:07:09";

    EXPECT_EQ(InfoTexts::balloonText(0, when, "No tiene información"),
              " Tamaño: 0 Kb\r\n Fecha: " + date + "\r\n" + QString(40, u'-') + "\r\nNo tiene información");
    EXPECT_TRUE(InfoTexts::balloonText(5 * 1048576, when, "").startsWith(" Tamaño: 5 Mb\r\n"));
    EXPECT_TRUE(InfoTexts::balloonText(3LL * 1024 * 1048576, when, "").startsWith(" Tamaño: 3072 Mb\r\n"));
    EXPECT_TRUE(InfoTexts::balloonText(1048576 + 524288, when, "").startsWith(" Tamaño: 1" + point + "5 Mb\r\n"));
    EXPECT_TRUE(InfoTexts::balloonText(12940000, when, "").startsWith(" Tamaño: 12" + point + "34 Mb\r\n"));

    const QDateTime midnight(QDate(2024, 3, 5), QTime(0, 0));
    EXPECT_EQ(InfoTexts::dateText(midnight), "5/3/24");

    EXPECT_EQ(nowPlayingLine("D:\\Tomas\\Voz 1.wav", "00:30", 5242880),
              " D:\\Tomas\\Voz 1.wav - Duración: 00:30 - 5 Mb. ");
    EXPECT_EQ(nowPlayingLine("D:\\a.wav", "", 3 * 524288), " D:\\a.wav - Duración:  - 1" + point + "5 Mb. ");
    EXPECT_EQ(InfoTexts::numberText(0.07, 2), "0" + point + "07");
    EXPECT_EQ(InfoTexts::numberText(1234567.0, 1), "1234567");
}
