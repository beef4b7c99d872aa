#include "services/Dialogo.h"
#include "services/Module3.h"

#include <gtest/gtest.h>

#include <QListWidget>

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
