#include "services/Dialogo.h"
#include "services/Module3Ui.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QListWidget>
#include <QRandomGenerator>
#include <QScrollBar>

TEST(Module3, ScrollExtentIsNotThePlainMaximum)
{
    EXPECT_EQ(Module3::scrollExtent({}), 10);
    EXPECT_EQ(Module3::scrollExtent({100, 105, 108}), 115);
    EXPECT_EQ(Module3::scrollExtent({108, 105, 100}), 108);
    QListWidget empty;
    EXPECT_EQ(Module3::AjustarScrollHorizontal(&empty), 10);
    EXPECT_EQ(empty.property("horizontalExtent").toInt(), 10);
}

TEST(Module3, TheListScrollsSidewaysOverTheExtent)
{
    for (const bool uniform : {true, false}) {
        QListWidget list;
        list.setUniformItemSizes(uniform);
        list.resize(200, 120);
        list.addItems({"D:\\a.wav", "D:\\" + QString(120, u'x') + ".wav", "D:\\b.wav"});
        list.show();
        const int extent = Module3::AjustarScrollHorizontal(&list);
        list.doItemsLayout();
        QScrollBar *bar = list.horizontalScrollBar();
        EXPECT_EQ(bar->maximum() + list.viewport()->width(), extent) << uniform;
        // Refilled shorter, the list no longer scrolls past its lines.
        list.clear();
        list.addItems({"D:\\a.wav"});
        Module3::AjustarScrollHorizontal(&list);
        list.doItemsLayout();
        EXPECT_EQ(bar->maximum(), 0) << uniform;
    }
}

TEST(Dialogo, FiltersAreShownAsWritten)
{
    EXPECT_EQ(Dialogo::nameFilters("Proyectos (*.vip)|*.vip"), QStringList{"Proyectos (*.vip)"});
    EXPECT_EQ(Dialogo::nameFilters("Audio|*.wav;*.mp3"), QStringList{"Audio (*.wav *.mp3)"});
}

TEST(Module3, ScrollExtentOfALongListFollowsTheRuleOverMeasuredWidths)
{
    QListWidget list;
    QStringList texts;
    const QString alphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 \\:._-()[]ñáéÑTVAWYLfijrt'";
    QRandomGenerator rng(11);
    for (int i = 0; i < 3000; ++i) {
        QString t = "D:\\Proyectos\\";
        const int n = 10 + int(rng.bounded(140));
        for (int k = 0; k < n; ++k)
            t += alphabet[rng.bounded(int(alphabet.size()))];
        texts << t;
    }
    list.addItems(texts);
    QList<int> widths;
    // No line is drawn wider than it measures: the list scrolls far enough
    // to show each one whole.
    const QFontMetrics drawn(list.font());
    int cut = 0;
    for (const QString &t : texts) {
        widths << Module3::MedirTexto(&list, t);
        cut += widths.last() < drawn.horizontalAdvance(t) + 10;
    }
    EXPECT_EQ(cut, 0);
    EXPECT_EQ(Module3::AjustarScrollHorizontal(&list), Module3::scrollExtent(widths));
}

TEST(Module3, ScrollExtentCountsLinesOfEveryScript)
{
    // Characters outside the basic plane, combining marks, right-to-left and
    // wide scripts: each line's measured width decides, as for any other.
    const QString plain = "D:\\a.wav";
    const struct
    {
        const char *script;
        QString line;
    } rows[] = {
        {"outside the basic plane",
         "D:\\Música\\" + QString::fromUtf8("\xF0\x9F\x8E\xB5\xF0\x9F\x8E\xB6\xF0\x9F\x8E\xB8\xF0\x9F\x8E\xB9").repeated(6) + ".wav"},
        {"wide", "D:\\" + QString::fromUtf8("\xE6\xB7\xB7\xE9\x9F\xB3\xE9\x8C\xB2\xE9\x9F\xB3").repeated(8) + ".wav"},
        {"right-to-left", "D:\\" + QString::fromUtf8("\xD8\xA7\xD9\x84\xD8\xB5\xD9\x88\xD8\xAA").repeated(8) + ".wav"},
        {"combining marks", "D:\\e" + QString::fromUtf8("\xCC\x81").repeated(40) + ".wav"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.script);
        QListWidget list;
        list.addItems({plain, r.line});
        QList<int> widths;
        for (const QString &t : {plain, r.line})
            widths << Module3::MedirTexto(&list, t);
        EXPECT_EQ(Module3::AjustarScrollHorizontal(&list), Module3::scrollExtent(widths));
    }
}
