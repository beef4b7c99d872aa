#include "main/Form1.h"
#include "main/Perdidos.h"
#include "main/Unused.h"

#include "platform/Ask.h"
#include "platform/DriveMap.h"
#include "platform/Settings.h"
#include "platform/WinFs.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/Fixtures.h"

#include "tests/support/WindowTest.h"
#include "tests/support/OrdinaryUser.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <QTimer>
#include <QUrl>

namespace {

class FolderRoadWindow : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        answerDialogs();
    }
    // A project naming one take of its own folder's "Audio" sub-folder.
    void project(const QString &rel, const QString &take)
    {
        const QString folder = rel.left(rel.lastIndexOf(u'/') + 1);
        write(folder + "Audio/" + take, Fixtures::noise(64, 7));
        write(rel, Fixtures::vipBytes({win(folder + "Audio/" + take)}));
    }
    static void drop(Form1 &f, const QStringList &hostPaths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &p : hostPaths)
            urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        f.ListProyectos_OLEDragDrop(&data);
    }
};

TEST_F(FolderRoadWindow, FolderListsEveryProjectAtAnyDepthWithoutBackupsUnlessTicked)
{
    project("Proyectos/A.vip", "a.wav");
    project("Proyectos/Viejos/B.vip", "b.wav");
    project("Proyectos/Viejos/C_BAK.vip", "c.wav");
    write("Proyectos/Viejos/Audio/suelta.wav", Fixtures::noise(64, 9));
    Form1 &f = form1();
    f.show();
    f.AbrirRuta(win("Proyectos"));
    EXPECT_EQ(Form1::lines(f.ListProyectos),
              (QStringList{"1 --> D:\\Proyectos\\A.vip", "2 --> D:\\Proyectos\\Viejos\\B.vip"}));
    EXPECT_EQ(f.LabelCheck[0]->text(), "Encontrados 2 proyectos en:");
    EXPECT_EQ(f.LabelCheck[1]->text(), "D:\\Proyectos");
    EXPECT_FALSE(f.Decoding);
    EXPECT_FALSE(f.analysisRunning());
    // c.wav is used only by the backup project, which was left out.
    EXPECT_TRUE(Form1::lines(f.ListBorrar).contains("D:\\Proyectos\\Viejos\\Audio\\suelta.wav"));
    EXPECT_FALSE(Form1::lines(f.ListBorrar).contains("D:\\Proyectos\\Audio\\a.wav"));
    EXPECT_FALSE(Form1::lines(f.ListBorrar).contains("D:\\Proyectos\\Viejos\\Audio\\b.wav"));
    EXPECT_TRUE(f.SalvaListados->isVisible());
    EXPECT_FALSE(f.cmdPerdidos->isHidden());
    // The first project is decoded into ListVip.
    EXPECT_EQ(Form1::lines(f.ListVip), QStringList{"D:\\Proyectos\\Audio\\a.wav"});
    EXPECT_EQ(f.LabelCount[1]->text(), "A.vip");
    // The clock ran and was stopped with the time taken.
    EXPECT_FALSE(f.TextLapsoTotal->isHidden());
    EXPECT_TRUE(f.TextLapsoTotal->text().startsWith(" 00:0")) << f.TextLapsoTotal->text().toStdString();
    EXPECT_TRUE(f.TextLapsoTotal->text().endsWith(":00 "));

    f.CheckBAK->setChecked(true);
    f.AbrirRuta(win("Proyectos"));
    EXPECT_EQ(f.ListProyectos->count(), 3);
    EXPECT_EQ(f.ListProyectos->item(2)->text(), "3 --> D:\\Proyectos\\Viejos\\C_BAK.vip");
}

TEST_F(FolderRoadWindow, DriveRootIsSearchedWhole)
{
    project("Uno/A.vip", "a.wav");
    project("Dos/Tres/B.vip", "b.wav");
    Form1 &f = form1();
    f.show();
    f.AbrirRuta("D:\\");
    EXPECT_EQ(Form1::lines(f.ListProyectos),
              (QStringList{"1 --> D:\\Dos\\Tres\\B.vip", "2 --> D:\\Uno\\A.vip"}));
}

TEST_F(FolderRoadWindow, DroppedProjectFileIsAnalysedAloneAndShowsItsOwnFolder)
{
    project("Otra/X.vip", "x.wav");
    project("Proyectos/Tema.VIP", "t.wav");
    project("Proyectos/Otro.vip", "o.wav");
    Form1 &f = form1();
    f.show();
    drop(f, {dir.path() + "/Otra"});
    ASSERT_EQ(f.ListProyectos->count(), 1);
    // Upper-case extension: the project-file branch, not a folder search.
    drop(f, {dir.path() + "/Proyectos/Tema.VIP"});
    EXPECT_EQ(Form1::lines(f.ListProyectos), QStringList{"1 --> D:\\Proyectos\\Tema.VIP"});
    EXPECT_EQ(f.LabelCheck[1]->text(), "D:\\Proyectos");
    // o.wav belongs to a project that was not dropped: unused here.
    EXPECT_TRUE(Form1::lines(f.ListBorrar).contains("D:\\Proyectos\\Audio\\o.wav"));
}

TEST_F(FolderRoadWindow, RealDropEventOnTheListOrOnItsNoticeRunsTheRoad)
{
    project("P/A.vip", "a.wav");
    Form1 &f = form1();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    auto *data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(dir.path() + "/P")});
    // The notice lies over the list and says "drag here": it takes the drop
    // as the list does.
    f.ListProyectosInfo->show();
    for (QWidget *target : {f.ListProyectos->viewport(), f.ListProyectosInfo->viewport()}) {
        f.ListProyectos->clear();
        const QPoint at = target->rect().center();
        f.Decoding = true;
        QDragEnterEvent refused(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &refused);
        EXPECT_FALSE(refused.isAccepted());
        f.Decoding = false;
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent dropEvent(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropEvent);
        EXPECT_TRUE(QTest::qWaitFor([&] { return f.ListProyectos->count() == 1; }, 5000));
        ASSERT_EQ(f.ListProyectos->count(), 1);
        EXPECT_EQ(f.ListProyectos->item(0)->text(), "1 --> D:\\P\\A.vip");
    }
    delete data;
}

TEST_F(FolderRoadWindow, BackupPathsAndUnusablePathsGiveTheirOwnOutcomes)
{
    project("Viejos_BAK/A.vip", "a.wav");
    project("Todo/X_BAK.vip", "x.wav");
    write("Vacia/nota.txt", "texto");
    Form1 &f = form1();
    f.show();

    f.AbrirRuta(win("Viejos_BAK"));
    EXPECT_EQ(asked(), QStringList{"Proyectos Vip's | Este es un proyecto BAK y no se procesará"});
    EXPECT_EQ(f.ListProyectos->count(), 0);
    EXPECT_FALSE(f.Decoding);

    // Only backups inside: nothing usable is listed, the window is reset.
    f.AbrirRuta(win("Todo"));
    EXPECT_EQ(f.ListProyectos->count(), 0);
    EXPECT_FALSE(f.Decoding);
    EXPECT_FALSE(f.analysisRunning());

    // A folder without projects, a file of another type, a missing path:
    // the run's own end resets the window (it is not taken for a reset
    // inside a run, which would cancel and leave the run's notice up).
    for (const QString &p : {win("Vacia"), win("Vacia/nota.txt"), win("nada"), QString()}) {
        f.AbrirRuta(p);
        EXPECT_EQ(f.ListProyectos->count(), 0) << p.toStdString();
        EXPECT_FALSE(f.Decoding);
        EXPECT_TRUE(f.LabelAviso->isHidden()) << p.toStdString();
        EXPECT_TRUE(f.cmdCancelar->isHidden()) << p.toStdString();
        EXPECT_FALSE(f.cancelar) << p.toStdString();
    }
}

TEST_F(FolderRoadWindow, AllBackupProjectsTickedOffListNothingButStillShowTheMissingButton)
{
    project("Todo/X_BAK.vip", "x.wav");
    project("Todo/Y.vip", "y.wav");
    Form1 &f = form1();
    f.show();
    // The folder has one usable project so the search finds something; the
    // only other one is a backup.
    f.AbrirRuta(win("Todo"));
    EXPECT_EQ(Form1::lines(f.ListProyectos), QStringList{"1 --> D:\\Todo\\Y.vip"});
    EXPECT_FALSE(f.cmdPerdidos->isHidden());
}

TEST_F(FolderRoadWindow, DropsWithoutLocalFilesResetTheWindow)
{
    project("P/A.vip", "a.wav");
    Form1 &f = form1();
    f.show();
    drop(f, {dir.path() + "/P"});
    ASSERT_EQ(f.ListProyectos->count(), 1);
    QMimeData text;
    text.setText("D:\\P\\A.vip");
    f.ListProyectos_OLEDragDrop(&text);
    EXPECT_EQ(f.ListProyectos->count(), 0);

    drop(f, {dir.path() + "/P"});
    QMimeData remote;
    remote.setUrls({QUrl("https://example.org/A.vip")});
    f.ListProyectos_OLEDragDrop(&remote);
    EXPECT_EQ(f.ListProyectos->count(), 0);
}

// Paths dropped together are analysed together: every project counts as a
// user of its takes, each listed once, and the folder shown is that of the
// last path holding a project. Dropped as a file manager drops them.
TEST_F(FolderRoadWindow, PathsDroppedTogetherAreAnalysedTogether)
{
    project("Temas/Tema 1.VIP", "uno.wav");
    project("Temas/Tema 2.VIP", "dos.wav");
    project("Uno/A.vip", "a.wav");
    project("Dos/B.vip", "b.wav");
    project("Dos/Viejo_BAK.vip", "viejo.wav");
    write("Vacia/nota.txt", "texto");
    struct Case
    {
        QStringList dropped;
        QStringList projects;
        QString shown;
        QStringList notices;
    };
    const QList<Case> cases = {
        {{"Temas/Tema 1.VIP", "Temas/Tema 2.VIP"},
         {"1 --> D:\\Temas\\Tema 1.VIP", "2 --> D:\\Temas\\Tema 2.VIP"},
         "D:\\Temas",
         {}},
        {{"Uno", "Dos"}, {"1 --> D:\\Uno\\A.vip", "2 --> D:\\Dos\\B.vip"}, "D:\\Dos", {}},
        // A project and the folder that holds it: listed once; a path
        // without projects changes nothing of the others.
        {{"Dos", "Uno/A.vip", "Uno", "Vacia"},
         {"1 --> D:\\Dos\\B.vip", "2 --> D:\\Uno\\A.vip"},
         "D:\\Uno",
         {}},
        // A backup among others: one notice, the others analysed.
        {{"Dos/Viejo_BAK.vip", "Temas/Tema 2.VIP"},
         {"1 --> D:\\Temas\\Tema 2.VIP"},
         "D:\\Temas",
         {"Proyectos Vip's | Este es un proyecto BAK y no se procesará"}},
    };
    Form1 &f = form1();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    for (const Case &c : cases) {
        answerDialogs();
        f.ListProyectos->clear();
        auto *data = new QMimeData;
        QList<QUrl> urls;
        for (const QString &rel : c.dropped)
            urls << QUrl::fromLocalFile(host(rel));
        data->setUrls(urls);
        QWidget *target = f.ListProyectos->viewport();
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent dropEvent(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropEvent);
        const std::string what = c.dropped.join(", ").toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !f.Decoding && f.ListProyectos->count() > 0; }, 5000)) << what;
        EXPECT_EQ(Form1::lines(f.ListProyectos), c.projects) << what;
        EXPECT_EQ(f.LabelCheck[0]->text(), QStringLiteral("Encontrados %1 proyectos en:").arg(c.projects.size()))
            << what;
        EXPECT_EQ(f.LabelCheck[1]->text(), c.shown) << what;
        EXPECT_EQ(asked(), c.notices) << what;
        // No take of a listed project is offered.
        const QStringList unused = Form1::lines(f.ListBorrar);
        const QStringList used = Form1::lines(f.ListUtilizados);
        for (const QString &item : c.projects) {
            const QString vip = item.mid(item.indexOf(u'>') + 2);
            const QString folder = vip.left(vip.lastIndexOf(u'\\'));
            for (const QString &line : used) {
                if (line.startsWith(folder + "\\Audio\\")) {
                    EXPECT_FALSE(unused.contains(line)) << what << ": " << line.toStdString();
                }
            }
        }
        EXPECT_FALSE(used.filter("Audio").isEmpty()) << what;
        delete data;
    }
    // Last, Tema 1 was not dropped: its take is offered.
    EXPECT_TRUE(Form1::lines(f.ListBorrar).contains("D:\\Temas\\Audio\\uno.wav"));
}

TEST_F(FolderRoadWindow, DropDuringARunningAnalysisStartsNothing)
{
    project("Uno/A.vip", "a.wav");
    for (int i = 0; i < 40; ++i)
        project(QStringLiteral("Uno/S%1/P.vip").arg(i), QStringLiteral("t%1.wav").arg(i));
    project("Dos/B.vip", "b.wav");
    Form1 &f = form1();
    f.show();
    // A drop arriving while the first analysis pumps events.
    bool dropped = false;
    QTimer poke;
    QObject::connect(&poke, &QTimer::timeout, [&] {
        if (f.Decoding && !dropped) {
            dropped = true;
            drop(f, {dir.path() + "/Dos"});
        }
    });
    poke.start(0);
    f.AbrirRuta(win("Uno"));
    poke.stop();
    EXPECT_TRUE(dropped);
    EXPECT_EQ(f.ListProyectos->count(), 41);
    EXPECT_EQ(f.LabelCheck[1]->text(), "D:\\Uno");
    for (const QString &line : Form1::lines(f.ListUtilizados))
        EXPECT_FALSE(line.contains("Dos")) << line.toStdString();
}

TEST_F(FolderRoadWindow, BracketsOddNamesAndLinkLoopsAreHandled)
{
    project("Mezclas/Mezcla [v2].vip", "toma [final].wav");
    project("Mezclas/Sub/Canción ñ.vip", "voz é.wav");
    write("Mezclas/.oculto/Z.vip", Fixtures::vipBytes({win("Mezclas/Audio/toma [final].wav")}));
    write("Mezclas/FreezeData/F.vip", Fixtures::vipBytes({win("Mezclas/Audio/toma [final].wav")}));
    QDir().mkpath(dir.path() + "/Mezclas/Vacia");
    ASSERT_TRUE(QFile::link(dir.path() + "/Mezclas", dir.path() + "/Mezclas/Sub/bucle"));
    Form1 &f = form1();
    f.show();
    f.AbrirRuta(win("Mezclas"));
    const QStringList projects = Form1::lines(f.ListProyectos);
    EXPECT_TRUE(projects.contains("1 --> D:\\Mezclas\\Mezcla [v2].vip")) << projects.join('\n').toStdString();
    // A project in a dot folder is a project like any other.
    EXPECT_TRUE(projects.contains("2 --> D:\\Mezclas\\.oculto\\Z.vip")) << projects.join('\n').toStdString();
    EXPECT_TRUE(projects.contains("3 --> D:\\Mezclas\\Sub\\Canción ñ.vip")) << projects.join('\n').toStdString();
    for (const QString &p : projects)
        EXPECT_FALSE(p.contains("FreezeData") || p.contains("bucle")) << p.toStdString();
    EXPECT_FALSE(Form1::lines(f.ListBorrar).contains("D:\\Mezclas\\Audio\\toma [final].wav"));
}

TEST_F(FolderRoadWindow, UnreadableProjectIsNamedInTheStatusBox)
{
    RUN_AS_ORDINARY_USER();
    project("P/A.vip", "a.wav");
    const QString locked = write("P/Cerrado.vip", Fixtures::vipBytes({win("P/Audio/solo.wav")}));
    write("P/Audio/solo.wav", Fixtures::noise(32, 3));
    QFile::setPermissions(locked, QFileDevice::Permissions());
    Form1 &f = form1();
    f.show();
    f.AbrirRuta(win("P"));
    EXPECT_EQ(Form1::lines(f.ListProyectos), QStringList{"1 --> D:\\P\\A.vip"});
    EXPECT_FALSE(f.TextDecode->isHidden());
    EXPECT_TRUE(f.TextDecode->toPlainText().contains("D:\\P\\Cerrado.vip"));
    EXPECT_EQ(f.ListBorrar->count(), 0);
    EXPECT_TRUE(f.CommandBorrado->isHidden());
    EXPECT_EQ(f.LabelErase[1]->text(),
              "No se ofrece ningún archivo para borrar: hay proyectos que no se han podido leer");
}

TEST_F(FolderRoadWindow, NamesNoWindowsPathCanHoldAreNeverOffered)
{
    // Linux takes any byte but "/" in a name: a flat file named like a
    // path (an archive made on Windows), a newline, a Windows-forbidden
    // character, Latin-1 bytes, a device name.
    project("P/A.vip", "a.wav");
    write("outside/precious.wav", "precious");
    const QByteArray folder = QFile::encodeName(dir.path() + "/P/Audio/");
    const QList<QByteArray> odd = {"..\\..\\..\\..\\outside\\precious.wav", "a\nb.wav", "que?.wav", "dos:puntos.wav",
                                   "Canci\xf3n.wav", "CON.wav", "fin.wav "};
    for (const QByteArray &name : odd)
        ASSERT_TRUE(Fixtures::writeRaw(folder + name, "odd " + name));
    write("P/Audio/normal.wav", "normal");
    Form1 &f = form1();
    f.show();
    f.AbrirRuta(win("P"));
    EXPECT_EQ(Form1::lines(f.ListBorrar), QStringList{win("P/Audio/normal.wav")});
    // "fin.wav " does not end in an audio ending: it is not counted.
    EXPECT_TRUE(f.TextDecode->toPlainText().contains(Unused::passedOverNotice(int(odd.size()) - 1)))
        << f.TextDecode->toPlainText().toStdString();
    EXPECT_EQ(f.analysis()->unused.at(0).record, Fixtures::recordOf(dir.path() + "/P/Audio/normal.wav"));
}

TEST_F(FolderRoadWindow, AProjectWhoseNameIsNotUtf8IsTreatedAsUnreadable)
{
    project("P/A.vip", "a.wav");
    write("P/Audio/solo.wav", "only the other project uses it");
    ASSERT_TRUE(Fixtures::writeRaw(QFile::encodeName(dir.path()) + "/P/Canci\xf3n.vip",
                                   Fixtures::vipBytes({win("P/Audio/solo.wav")})));
    Form1 &f = form1();
    f.show();
    f.AbrirRuta(win("P"));
    EXPECT_EQ(Form1::lines(f.ListProyectos), QStringList{"1 --> D:\\P\\A.vip"});
    EXPECT_TRUE(f.TextDecode->toPlainText().contains("No se han podido leer 1 proyectos"))
        << f.TextDecode->toPlainText().toStdString();
    EXPECT_EQ(f.ListBorrar->count(), 0) << "solo.wav must not look unused";
    EXPECT_TRUE(f.CommandBorrado->isHidden());
}

TEST(ElapsedTime, LapsoFormatsWholeMinutesAndSeconds)
{
    EXPECT_EQ(Form1::formatLapso(75.4), "01:15:00");
    EXPECT_EQ(Form1::formatLapso(12.3), "00:12:00");
    EXPECT_EQ(Form1::formatLapso(59), "00:59:00");
    EXPECT_EQ(Form1::formatLapso(0), "00:00:00");
    // Above a minute, halves go to the even whole second.
    EXPECT_EQ(Form1::formatLapso(150.5), "02:30:00");
    EXPECT_EQ(Form1::formatLapso(151.5), "02:32:00");
    EXPECT_EQ(Form1::formatLapso(3725), "62:05:00");
}

} // namespace
