#include "services/Dialogo.h"
#include "services/Module3.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QRandomGenerator>

TEST(Module3, ScrollExtentIsNotThePlainMaximum)
{
    EXPECT_EQ(Module3::scrollExtent({}), 10);
    EXPECT_EQ(Module3::scrollExtent({100, 105, 108}), 115);
    EXPECT_EQ(Module3::scrollExtent({108, 105, 100}), 108);
    QListWidget empty;
    EXPECT_EQ(Module3::AjustarScrollHorizontal(&empty), 10);
    EXPECT_EQ(empty.property("horizontalExtent").toInt(), 10);
}

TEST(Dialogo, FiltersMatchCaseBlind)
{
    EXPECT_EQ(Dialogo::nameFilters("Proyectos (*.vip)|*.vip"), QStringList{"Proyectos (*.vip) (*.[vV][iI][pP])"});
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
    for (const QString &t : texts)
        widths << Module3::MedirTexto(&list, t);
    EXPECT_EQ(Module3::AjustarScrollHorizontal(&list), Module3::scrollExtent(widths));
}
