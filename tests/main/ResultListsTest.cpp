#include "main/Acerca.h"
#include "main/Form1.h"

#include "services/Class1.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WindowTest.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>
#include <QUrl>

namespace {

class ResultLists : public WindowTest
{
protected:
    Form1 &shown()
    {
        Form1 &f = form1();
        f.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
        return f;
    }
    static void fill(QListWidget *list, const QStringList &lines, const QList<int> &selected = {})
    {
        Form1::setLines(list, lines);
        for (int row : selected)
            list->item(row)->setSelected(true);
    }
    static QList<int> selectedRows(const QListWidget *list)
    {
        QList<int> out;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->isSelected())
                out << i;
        return out;
    }
    static void moveOver(QWidget *viewport, QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), viewport->mapToGlobal(QPointF(at)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
    }
    static QPoint lineAt(const QListWidget *list, int row) { return list->visualItemRect(list->item(row)).center(); }
};

const QString kHeader1 = "1 --> D:\\P\\A.vip";
const QString kHeader2 = "2 --> D:\\P\\B.vip";

} // namespace

TEST_F(ResultLists, SelectionCountSkipsHeadersAndDeselectsSeparators)
{
    struct Case
    {
        const char *name;
        QStringList lines;
        QList<int> selected;
        QString label; // "" when hidden
        QList<int> left;
    };
    const Case cases[] = {
        {"a header, a separator and two files", {" ", kHeader1, " ", "D:\\a.wav", "D:\\b.wav"}, {1, 2, 3, 4},
         "2 seleccionados", {1, 3, 4}},
        {"files only", {"D:\\a.wav", "D:\\b.wav", "D:\\c.wav"}, {0, 1, 2}, "3 seleccionados", {0, 1, 2}},
        {"one file beside a header", {kHeader1, " ", "D:\\a.wav"}, {0, 1, 2}, "", {0, 2}},
    };
    Form1 &f = shown();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fill(f.ListUtilizados, c.lines, c.selected);
        f.ImageICO->show();
        const int stops = player.stops;
        f.ContarSeleccionados(f.ListUtilizados);
        EXPECT_EQ(f.LabelSelec->isHidden() ? QString() : f.LabelSelec->text(), c.label);
        EXPECT_EQ(selectedRows(f.ListUtilizados), c.left);
        EXPECT_EQ(player.stops, stops + (c.label.isEmpty() ? 0 : 1));
        EXPECT_EQ(f.ImageICO->isHidden(), !c.label.isEmpty());
    }
}

TEST_F(ResultLists, CountAndDoubleClickLeaveTheOtherRunsBusyFlags)
{
    Form1 &f = shown();
    fill(f.ListBorrar, {"D:\\a.wav", "D:\\b.wav"}, {0, 1});
    deletion.running = true;
    f.Decoding = true;
    f.ContarSeleccionados(f.ListBorrar);
    EXPECT_TRUE(deletion.running);
    EXPECT_TRUE(f.Decoding);
    EXPECT_EQ(f.LabelSelec->text(), "2 seleccionados");
    deletion.running = false;
    f.Decoding = false;

    // During an analysis the double click changes nothing, the flag stays.
    fill(f.ListUtilizados, {kHeader1, "D:\\a.wav"});
    f.ListUtilizados->setCurrentRow(0);
    f.ListUtilizados->clearSelection();
    f.Decoding = true;
    f.ListUtilizados_DblClick();
    EXPECT_TRUE(f.Decoding);
    EXPECT_TRUE(selectedRows(f.ListUtilizados).isEmpty());
    f.Decoding = false;
}

TEST_F(ResultLists, DoubleClickSelectsUpToTheNextProjectHeader)
{
    // Project lines as the list spaces them: a header, and a file with ">"
    // in its name, between blank lines.
    const QStringList lines{" ", kHeader1, " ", "D:\\P\\a.wav", "D:\\VIP\\toma VIP.wav", " ", kHeader2, " ",
                            "D:\\P\\b.wav", " ", "D:\\P\\x>y.wav", " ", "D:\\P\\c.wav"};
    struct Case
    {
        int row;
        QList<int> selected;
    };
    const Case cases[] = {{1, {3, 4}}, {6, {8, 10, 12}}, {3, {4}}, {12, {}}};
    Form1 &f = shown();
    for (const Case &c : cases) {
        fill(f.ListUtilizados, lines);
        f.ListUtilizados->setCurrentRow(c.row);
        f.ListUtilizados_DblClick();
        EXPECT_EQ(selectedRows(f.ListUtilizados), c.selected) << c.row;
        EXPECT_FALSE(f.Decoding);
    }

    // As the user does it: the mouse-up then counts the selection.
    fill(f.ListUtilizados, lines);
    QWidget *viewport = f.ListUtilizados->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, lineAt(f.ListUtilizados, 1));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, lineAt(f.ListUtilizados, 1));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, lineAt(f.ListUtilizados, 1));
    QTest::qWait(0);
    EXPECT_EQ(selectedRows(f.ListUtilizados), (QList<int>{3, 4}));
    EXPECT_EQ(f.LabelSelec->text(), "2 seleccionados");
    EXPECT_FALSE(f.LabelSelec->isHidden());
}

TEST_F(ResultLists, MouseOverAListShowsTheLineUnderItAndFramesTheList)
{
    Form1 &f = shown();
    QStringList many;
    for (int i = 0; i < 8; ++i)
        many << QStringLiteral("D:\\P\\t%1.wav").arg(i);
    struct Case
    {
        QListWidget *list;
        QString caption;
    };
    const Case cases[] = {{f.ListVip, " Lista 1 - Item: 6 "},
                          {f.ListUtilizados, " Lista 2 - Item: 6 "},
                          {f.ListProyectos, " Lista 3 - Item: 6 "},
                          {f.ListBorrar, " Lista 4 - Item: 6 "}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.list->objectName().toStdString());
        fill(c.list, many);
        moveOver(c.list->viewport(), lineAt(c.list, 5));
        EXPECT_EQ(f.LabelIndice->text(), c.caption);
        EXPECT_FALSE(f.LabelIndice->isHidden());
        EXPECT_FALSE(f.Shape1->isHidden());
        EXPECT_TRUE(f.Shape1->geometry().contains(QRect(c.list->mapTo(f.Shape1->parentWidget(), QPoint()),
                                                        c.list->size())));
    }

    // Below the last line, or during an analysis, the number stays.
    fill(f.ListVip, {"D:\\P\\a.wav"});
    moveOver(f.ListVip->viewport(), QPoint(5, f.ListVip->viewport()->height() - 2));
    EXPECT_EQ(f.LabelIndice->text(), " Lista 4 - Item: 6 ");
    f.Decoding = true;
    moveOver(f.ListVip->viewport(), lineAt(f.ListVip, 0));
    EXPECT_EQ(f.LabelIndice->text(), " Lista 4 - Item: 6 ");
    EXPECT_FALSE(f.Shape1->isHidden());
    f.Decoding = false;

    // An empty list is not framed.
    f.ListUtilizados->clear();
    moveOver(f.ListUtilizados->viewport(), QPoint(5, 5));
    EXPECT_TRUE(f.Shape1->isHidden());

    // The player's playlist gets its number in its own label.
    f.ViewItem(f.ListVip, lineAt(f.ListVip, 0), "Player");
    EXPECT_EQ(player.labelIndex, QStringList{" Item: 1 "});
}

TEST_F(ResultLists, RightButtonStopsAndHidesTheIconAndCtrlClicksAreCounted)
{
    Form1 &f = shown();
    for (QListWidget *list : {f.ListVip, f.ListUtilizados, f.ListBorrar}) {
        SCOPED_TRACE(list->objectName().toStdString());
        fill(list, {"D:\\P\\a.txt", "D:\\P\\b.txt"});
        f.ImageICO->show();
        const int stops = player.stops;
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, lineAt(list, 0));
        EXPECT_TRUE(f.ImageICO->isHidden());
        EXPECT_EQ(player.stops, stops + 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, lineAt(list, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, lineAt(list, 1));
        QTest::qWait(0);
        EXPECT_EQ(f.LabelSelec->text(), "2 seleccionados");
        EXPECT_FALSE(f.LabelSelec->isHidden());
    }
}

TEST_F(ResultLists, AnAuditionCountsTheSelectionOfTheUsedAndUnusedLists)
{
    const QString a = put("P/a.wav", Fixtures::wavBytes(8000, 1, 16, 800));
    const QString b = put("P/b.wav", Fixtures::wavBytes(8000, 1, 16, 800));
    Form1 &f = shown();
    for (QListWidget *list : {f.ListUtilizados, f.ListBorrar}) {
        SCOPED_TRACE(list->objectName().toStdString());
        fill(list, {a, b}, {0, 1});
        f.LabelSelec->hide();
        list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
        list == f.ListUtilizados ? f.ListUtilizados_Click() : f.ListBorrar_Click();
        EXPECT_EQ(player.played.last(), b);
        EXPECT_FALSE(f.LabelSelec->isHidden());
        EXPECT_EQ(f.LabelSelec->text(), "2 seleccionados");
    }
}

TEST_F(ResultLists, MenusAreTheMainWindowsOwnWithNoArchivo)
{
    Form1 &f = shown();
    QStringList menus;
    for (const QAction *a : f.menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&Configurar", "RecuperaBorrados", "SalvaListados", "Acerca de..."}));
    EXPECT_FALSE(f.SalvaListados->isVisible());
    EXPECT_EQ(f.findChild<QMenu *>("MenuArchivo"), nullptr);
}

TEST_F(ResultLists, AboutBoxTogglesAndItsLinkLightsUpAndOpensOnce)
{
    QList<QUrl> opened;
    Acerca::setOpener([&](const QUrl &u) { opened << u; });
    Form1 &f = shown();
    f.About->trigger();
    Acerca &a = acerca();
    EXPECT_TRUE(a.isVisible());
    EXPECT_EQ(a.pos(), f.pos() + QPoint(333, 333));
    EXPECT_EQ(a.windowTitle(), "    Acerca de...");
    EXPECT_TRUE(a.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(a.Label1->text(), "Aplicación para la limpieza de proyectos");
    EXPECT_EQ(a.Label2->text(), "Para Samplitude/Sequoia");
    EXPECT_EQ(a.Label1->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    EXPECT_EQ(a.LabelLink->text(), "Link: " + Acerca::address());

    const auto colour = [&] { return a.LabelLink->palette().color(QPalette::WindowText); };
    EXPECT_EQ(colour(), QColor(0xFF, 0xFF, 0xC0));
    moveOver(a.LabelLink, QPoint(2, 2));
    EXPECT_EQ(colour(), QColor(0x00, 0xFF, 0xFF));
    moveOver(a.Label1, QPoint(2, 2)); // another label is not the ground
    EXPECT_EQ(colour(), QColor(0x00, 0xFF, 0xFF));
    moveOver(&a, QPoint(2, 2));
    EXPECT_EQ(colour(), QColor(0xFF, 0xFF, 0xC0));

    QTest::mouseClick(a.LabelLink, Qt::LeftButton);
    EXPECT_EQ(opened, QList<QUrl>{QUrl(Acerca::address())});
    f.About->trigger();
    EXPECT_FALSE(a.isVisible());
    Acerca::setOpener({});
}

TEST_F(ResultLists, DeletedFilesLeaveTheUnusedListAndTheOthersStayInOrder)
{
    Form1 &f = form1();
    const QStringList lines = {"D:\\a.wav", "D:\\b.wav", "D:\\c.wav", "D:\\d.wav", "D:\\e.wav", "D:\\f.wav"};
    const QList<QStringList> gone = {{}, {"D:\\a.wav"}, {"D:\\f.wav"}, {"D:\\a.wav", "D:\\c.wav", "D:\\d.wav"},
                                     {"D:\\b.wav", "D:\\f.wav", "D:\\e.wav"}, lines};
    for (const QStringList &g : gone) {
        f.setUnusedList(lines, std::vector<FileRecord>(size_t(lines.size())));
        std::vector<qsizetype> entries;
        for (const QString &l : g)
            entries.push_back(lines.indexOf(l));
        f.quitarBorrados(f.analysis()->number, entries);
        QStringList expected;
        for (const QString &l : lines)
            if (!g.contains(l))
                expected << l;
        EXPECT_EQ(Form1::lines(f.ListBorrar), expected) << g.join(u' ').toStdString();
    }
}
