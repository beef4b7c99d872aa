#include "cleanup/ParaBorrar.h"
#include "cleanup/Form2.h"
#include "cleanup/Recuperar.h"
#include "main/FolderListWindows.h"
#include "main/FolderLists.h"
#include "main/Form1.h"
#include "main/Unused.h"

#include "platform/Ask.h"
#include "platform/DriveMap.h"
#include "platform/Settings.h"
#include "platform/ShellCopy.h"
#include "platform/SpanishDate.h"
#include "platform/Trash.h"
#include "platform/WinFs.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/DuringRestore.h"
#include "tests/support/Readable.h"
#include "tests/support/Fixtures.h"
#include "tests/support/OrdinaryUser.h"

#include "main/Peers.h"
#include "services/Class1.h"
#include "services/ShellOps.h"
#include "services/WinColor.h"
#include "tests/support/WindowTest.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The deletion window with the main window below it; the player is a fake.
class DeletionWindow : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        use(paraBorrarPeer());
        // Every question answered as a user who means the deletion would
        // (its first button, unless `answerFor` says otherwise), each noted
        // as "title | text".
        Ask::setFunction([this](const QString &title, const QString &text, const QStringList &) {
            questions << title + " | " + text;
            return answerFor ? answerFor(title) : 0;
        });
    }

    QStringList questions;
    std::function<int(const QString &title)> answerFor;

    // The deletion window over these lines of the main window's list, each
    // with its file recorded as the analysis records it.
    ParaBorrar &window(const QStringList &lines)
    {
        offer(lines);
        ParaBorrar &w = paraBorrar();
        w.show();
        return w;
    }
    static void offer(const QStringList &lines)
    {
        std::vector<FileRecord> records;
        for (const QString &l : lines)
            records.push_back(Fixtures::recordOfWindows(l));
        form1().setUnusedList(lines, records);
    }
    static void select(ParaBorrar &w, std::initializer_list<int> rows)
    {
        for (int r : rows)
            w.ListBorrar->item(r)->setSelected(true);
    }
};

} // namespace

TEST_F(DeletionWindow, FirstLoadCopiesTheListWithNothingSelected)
{
    ParaBorrar &w = window({win("a.wav"), win("b.wav")});
    EXPECT_EQ(Form1::lines(w.ListBorrar), (QStringList{win("a.wav"), win("b.wav")}));
    EXPECT_TRUE(w.ListBorrar->selectedItems().isEmpty());
    EXPECT_EQ(w.LabelErase->text(), "Archivos no utilizados: 2");
    EXPECT_FALSE(w.cmdHecho->isHidden());
    EXPECT_TRUE(w.Cancela->isHidden());
    for (QCheckBox *c : {w.CheckBackup, w.CheckConfirmar, w.CheckBorrarPapelera, w.CheckVaciarPapelera, w.CheckAudio})
        EXPECT_FALSE(c->isChecked());
    EXPECT_EQ(w.HScroll5->value(), 100);
    EXPECT_EQ(w.windowTitle(), "        Archivos que se borraran");
    EXPECT_FALSE(w.ImageInfoSound->pixmap().isNull());
    for (const QPushButton *b : {w.cmdHecho, w.Cancela, w.Salir})
        EXPECT_FALSE(b->icon().isNull()) << b->objectName().toStdString();

    w.ParaBorrarCheckToolTip->setChecked(true);
    EXPECT_TRUE(w.CheckConfirmar->toolTip().isEmpty());
    EXPECT_TRUE(w.ListBorrar->toolTip().isEmpty());
    EXPECT_EQ(w.CheckBackup->toolTip(), "Copia de seguridad de los archivos a borrar");
}

TEST_F(DeletionWindow, ClickAuditionsTheItemUnderTheMouseWhenTicked)
{
    ASSERT_TRUE(Fixtures::writeWav(host("Toma.WAV"), 1, 8000, 16, 0.1));
    put("x.flac", Fixtures::noise(64, 2));
    ParaBorrar &w = window({win("x.flac"), win("Toma.WAV"), win("Borrado Toma 2.wav")});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const auto click = [&](int row, Qt::MouseButton button) {
        QTest::mouseClick(w.ListBorrar->viewport(), button, {},
                          w.ListBorrar->visualItemRect(w.ListBorrar->item(row)).center());
    };
    click(1, Qt::LeftButton); // audition off: nothing is player.played
    EXPECT_TRUE(player.played.isEmpty());
    w.CheckAudio->click();    // ticked: the current item plays at once
    EXPECT_EQ(player.played, QStringList{win("Toma.WAV")});
    click(0, Qt::LeftButton);
    EXPECT_FALSE(w.TextSound->isHidden());
    EXPECT_EQ(w.TextSound->toPlainText(), "Este archivo no se puede reproducir");
    click(2, Qt::LeftButton);
    EXPECT_EQ(w.TextSound->toPlainText(), "Este archivo ha sido borrado");
    click(1, Qt::LeftButton);
    EXPECT_EQ(player.played.size(), 2) << player.played.join(" | ").toStdString();
    EXPECT_EQ(player.played.last(), win("Toma.WAV"));
    EXPECT_TRUE(w.TextSound->isHidden());
    EXPECT_FALSE(w.ImageICO->isHidden());
    EXPECT_EQ(form1().Buscado, win("Toma.WAV"));
    EXPECT_EQ(form1().TipGeneral->Title(), win("Toma.WAV"));
    const int before = player.stops;
    click(1, Qt::RightButton);
    EXPECT_EQ(player.stops, before + 1);
    EXPECT_EQ(player.played.size(), 2);
}

TEST_F(DeletionWindow, AuditionBalloonNamesTheClickedFileAndCallsItMisplacedOnlyWhenItIs)
{
    ASSERT_TRUE(Fixtures::writeWav(host("Uno/a.wav"), 1, 8000, 16, 0.1));
    ASSERT_TRUE(Fixtures::writeWav(host("Dos/b.wav"), 1, 8000, 16, 0.1));
    ParaBorrar &w = window({win("Uno/a.wav"), win("Dos/b.wav")});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.CheckAudio->setChecked(true);
    const auto click = [&](int row) {
        QTest::mouseClick(w.ListBorrar->viewport(), Qt::LeftButton, {},
                          w.ListBorrar->visualItemRect(w.ListBorrar->item(row)).center());
    };
    click(0);
    click(1);
    EXPECT_EQ(form1().TipGeneral->Title(), win("Dos/b.wav"));
    // The file is where its line says: nothing about being misplaced.
    EXPECT_TRUE(form1().TipGeneral->TipText().startsWith(" Tamaño: ")) << form1().TipGeneral->TipText().toStdString();
    EXPECT_FALSE(form1().TipGeneral->TipText().contains("desubicado")) << form1().TipGeneral->TipText().toStdString();
}

TEST_F(DeletionWindow, EmptyMainListLeavesTheButtonHidden)
{
    ParaBorrar &w = window({});
    EXPECT_TRUE(w.cmdHecho->isHidden());
}

TEST_F(DeletionWindow, DeleteKeyRemovesSelectedLinesOnly)
{
    const QStringList six = {"0", "1", "2", "3", "4", "5"};
    ParaBorrar &w = window(six);
    select(w, {2, 3, 5});
    QTest::keyClick(w.ListBorrar, Qt::Key_Delete);
    EXPECT_EQ(Form1::lines(w.ListBorrar), (QStringList{"0", "1", "4"}));
}

TEST_F(DeletionWindow, ShownAgainAfterANewAnalysisItOffersTheNewList)
{
    ParaBorrar &w = window({win("old1.wav"), win("old2.wav")});
    w.hide();
    offer({win("new1.wav"), win("new2.wav")});
    w.show();
    EXPECT_EQ(Form1::lines(w.ListBorrar), (QStringList{win("new1.wav"), win("new2.wav")}));

    // The same lines naming other files (replaced since) are another list.
    w.hide();
    put("new2.wav", "the file listed now");
    const FileRecord now = Fixtures::recordOfWindows(win("new2.wav"));
    ASSERT_NE(now, w.recordAt(1));
    offer({win("new1.wav"), win("new2.wav")});
    w.show();
    EXPECT_EQ(w.recordAt(1), now);
}

TEST_F(DeletionWindow, NoRunStartsWhileTheMainWindowAnalyses)
{
    const QString a = put("P/a.wav", "a");
    ParaBorrar &w = window({a});
    select(w, {0});
    DialogAnswerer answer;
    form1().Decoding = true;
    w.cmdHecho->click();
    EXPECT_TRUE(QFileInfo::exists(host("P/a.wav")));
    EXPECT_EQ(Form1::lines(w.ListBorrar), QStringList{a});
    form1().Decoding = false;
    w.cmdHecho->click();
    EXPECT_FALSE(QFileInfo::exists(host("P/a.wav")));
}

TEST_F(DeletionWindow, DeletesForGoodOnlySelectedExistingFiles)
{
    const QString a = put("P/a.wav", "a"), b = put("P/b.wav", "b"), c = put("P/c.wav", "c");
    ParaBorrar &w = window({a, b, c, win("P/gone.wav")});
    select(w, {0, 2, 3});
    DialogAnswerer answer;
    w.cmdHecho->click();
    EXPECT_FALSE(QFileInfo::exists(host("P/a.wav")));
    EXPECT_TRUE(QFileInfo::exists(host("P/b.wav")));
    EXPECT_FALSE(QFileInfo::exists(host("P/c.wav")));
    EXPECT_EQ(Form1::lines(w.ListBorrar),
              (QStringList{a + "  --> Borrado", b, c + "  --> Borrado", win("P/gone.wav")}));
    EXPECT_EQ(w.lastOutcome().deleted, 2);
    EXPECT_EQ(w.lastOutcome().skipped, 1);
    EXPECT_FALSE(w.EstaBorrando);
    EXPECT_TRUE(w.cmdHecho->isHidden());
    EXPECT_FALSE(w.Salir->isHidden());
    EXPECT_TRUE(w.XP_Bar->isHidden());
    EXPECT_EQ(questions, QStringList{"Borrar definitivamente | Se van a borrar definitivamente 3 archivos sin copia de "
                                     "seguridad. No se podrán recuperar. ¿Continuar?"})
        << "once for the run";
}

TEST_F(DeletionWindow, ARunClosesThePlayerAndRestoreWindowsOnlyWhenShown)
{
    const QString a = put("P/a.wav", "a"), b = put("P/b.wav", "b");
    ParaBorrar &w = window({a, b});
    recuperar(); // loaded, hidden (its load unloads the player)
    select(w, {0});
    DialogAnswerer answer;
    const int hidden = player.unloads;
    w.cmdHecho->click();
    EXPECT_TRUE(recuperarLoaded());
    EXPECT_EQ(player.unloads, hidden);

    w.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    recuperar().show();
    player.visible = true;
    ParaBorrar &again = window({b});
    select(again, {0});
    const int before = player.unloads;
    again.cmdHecho->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(recuperarLoaded());
    EXPECT_EQ(player.unloads, before + 1);
}

// A deletion for good without a backup is agreed to once, before any file
// is touched; "Cancelar" leaves every file and the window as they were.
TEST_F(DeletionWindow, ADeletionForGoodWithoutABackupIsAgreedToOnceAndCancelTouchesNothing)
{
    const QString a = put("P/a.wav", "a"), b = put("P/b.wav", "b"), c = put("P/c.wav", "c");
    put("Audio/Keep/k.wav", "k");
    FolderLists::storeProtectedFolders({win("Audio/Keep")});
    ParaBorrar &w = window({a, b, c, win("Audio/Keep/k.wav")});
    select(w, {0, 2, 3});
    QStringList buttons;
    bool nested = false;
    Ask::setFunction([&](const QString &title, const QString &text, const QStringList &b) {
        questions << title + " | " + text;
        buttons = b;
        // Nothing starts while the question is open (one nested press at most).
        if (!std::exchange(nested, true))
            w.cmdHecho_Click();
        return 1; // Cancelar
    });
    DialogAnswerer answer;
    w.cmdHecho->click();
    EXPECT_EQ(questions, QStringList{"Borrar definitivamente | Se van a borrar definitivamente 2 archivos sin copia de "
                                     "seguridad. No se podrán recuperar. ¿Continuar?"})
        << "the protected file is not counted";
    EXPECT_EQ(buttons, (QStringList{"Borrar", "Cancelar"}));
    for (const char *f : {"P/a.wav", "P/b.wav", "P/c.wav", "Audio/Keep/k.wav"})
        EXPECT_TRUE(QFileInfo::exists(host(f))) << f;
    EXPECT_EQ(Form1::lines(w.ListBorrar), (QStringList{a, b, c, win("Audio/Keep/k.wav")}));
    EXPECT_EQ(w.ListBorrar->selectedItems().size(), 3);
    EXPECT_FALSE(w.cmdHecho->isHidden());
    EXPECT_TRUE(w.LabelEstado->isHidden());
    EXPECT_FALSE(w.EstaBorrando);
    EXPECT_TRUE(answer.messages().isEmpty());

    // To the trash or with a backup, nothing is lost for good: no question.
    questions.clear();
    w.CheckBorrarPapelera->setChecked(true);
    Ask::setFunction([&](const QString &title, const QString &text, const QStringList &) {
        questions << title + " | " + text;
        return 0;
    });
    w.cmdHecho->click();
    EXPECT_TRUE(questions.isEmpty()) << questions.join("\n").toStdString();
    EXPECT_FALSE(QFileInfo::exists(host("P/a.wav")));
}

// "Confirmar antes de borrar" asks before every file, in every mode.
TEST_F(DeletionWindow, ConfirmingAsksBeforeEveryFileInEveryMode)
{
    struct Mode
    {
        const char *name;
        bool toTrash, backup;
    };
    for (const Mode m : {Mode{"for good", false, false}, Mode{"trash", true, false}, Mode{"backup, for good", false, true},
                         Mode{"backup, trash", true, true}}) {
        SCOPED_TRACE(m.name);
        const QString a = put("P/a.wav", "a"), b = put("P/b.wav", "b");
        QDir(host("Backup")).removeRecursively();
        QDir().mkpath(host("Backup"));
        ParaBorrar &w = window({a, b});
        w.CheckBorrarPapelera->setChecked(m.toTrash);
        w.CheckBackup->setChecked(m.backup);
        w.CheckConfirmar->setChecked(true);
        questions.clear();
        int perFile = 0;
        answerFor = [&](const QString &title) { return title == "Eliminar archivo" && perFile++ > 0 ? 1 : 0; };
        select(w, {0, 1});
        DialogAnswerer answer;
        if (m.backup)
            answer.queuePath(host("Backup"));
        w.cmdHecho->click();
        EXPECT_EQ(perFile, 2) << questions.join("\n").toStdString();
        EXPECT_FALSE(QFileInfo::exists(host("P/a.wav")));
        EXPECT_EQ(readAll(host("P/b.wav")), "b") << "answered no";
        EXPECT_EQ(Form1::lines(w.ListBorrar), (QStringList{a + "  --> Borrado", b}));
        EXPECT_EQ(w.lastOutcome().reasons, QStringList{"no confirmado (1)"});
        if (m.backup) {
            // The file kept was asked about before its copy: neither copied
            // nor named in the log, which lists only what went.
            EXPECT_FALSE(QFileInfo::exists(host("Backup/b.wav")));
            EXPECT_TRUE(QFileInfo::exists(host("Backup/a.wav")));
            const QString log = readAll(host("Backup/Archivos_Borrados.log"));
            EXPECT_TRUE(log.contains("a.wav"));
            EXPECT_FALSE(log.contains("b.wav")) << log.toStdString();
        }
        if (m.toTrash) {
            const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash";
            EXPECT_TRUE(readAll(trash + "/info/a.wav.trashinfo").contains("Path=")) << "in the trash, restorable";
            Trash::emptyAll();
        }
        w.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(DeletionWindow, EmptyingTheTrashFirstIsAskedOnce)
{
    const QString a = put("P/a.wav", "a");
    ParaBorrar &w = window({a});
    w.CheckVaciarPapelera->setChecked(true);
    answerFor = [](const QString &title) { return title == "Vaciar Papelera de reciclaje" ? 1 : 0; }; // No
    // An empty trash is emptied without a word.
    ASSERT_TRUE(Trash::emptyAll().done());
    EXPECT_TRUE(Module2::VaciarPapelera(QString(), 0).done());
    EXPECT_TRUE(questions.isEmpty());
    // A trash of the user's that is refused (its "files" a link) is not
    // emptied: that is said, even when no other trash holds anything.
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash";
    write("Elsewhere/keep.wav", "keep");
    ASSERT_TRUE(QDir().mkpath(trash + "/info"));
    QDir(trash + "/files").removeRecursively();
    ASSERT_TRUE(QFile::link(host("Elsewhere"), trash + "/files"));
    const ShellResult refused = Module2::VaciarPapelera(QString(), 0);
    EXPECT_EQ(refused.outcome, ShellResult::Failed);
    EXPECT_TRUE(refused.reason.contains("es un enlace")) << refused.reason.toStdString();
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(readAll(host("Elsewhere/keep.wav")), "keep");
    ASSERT_TRUE(QFile::remove(trash + "/files"));
    ASSERT_TRUE(Trash::moveToTrash(write("Old/x.wav", "x")).done());
    select(w, {0});
    DialogAnswerer answer;
    w.cmdHecho->click();
    ASSERT_EQ(questions.size(), 2);
    EXPECT_TRUE(questions[0].startsWith("Borrar definitivamente | "));
    EXPECT_TRUE(questions[1].startsWith("Vaciar Papelera de reciclaje | "));
    EXPECT_FALSE(QFileInfo::exists(host("P/a.wav"))) << "a no to emptying still deletes";
}

TEST_F(DeletionWindow, ATrashThatCouldNotBeEmptiedFirstIsNoSuccess)
{
    const QString a = put("P/a.wav", "a");
    ParaBorrar &w = window({a});
    w.CheckVaciarPapelera->setChecked(true);
    const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash";
    write("Elsewhere/keep.wav", "keep");
    ASSERT_TRUE(QDir().mkpath(trash + "/info"));
    QDir(trash + "/files").removeRecursively();
    ASSERT_TRUE(QFile::link(host("Elsewhere"), trash + "/files"));
    select(w, {0});
    DialogAnswerer answer;
    w.cmdHecho->click();
    EXPECT_FALSE(QFileInfo::exists(host("P/a.wav")));
    EXPECT_EQ(readAll(host("Elsewhere/keep.wav")), "keep");
    const QString panel = w.LabelEstado->text();
    EXPECT_FALSE(panel.contains("Se han efectuado todas las operaciones")) << panel.toStdString();
    EXPECT_TRUE(panel.contains("Borrados: 1    Omitidos: 0    Fallidos: 0")) << panel.toStdString();
    EXPECT_TRUE(panel.contains("Papelera: ") && panel.contains("es un enlace")) << panel.toStdString();
    ASSERT_TRUE(QFile::remove(trash + "/files"));
}

TEST_F(DeletionWindow, BackupRunCopiesVerifiesLogsThenDeletes)
{
    const QString a = put("P/a.wav", Fixtures::noise(50000, 1));
    const QString b = put("P/Sub/b.wav", "b bytes");
    QDir().mkpath(host("Backup"));
    ParaBorrar &w = window({a, win("P/gone.wav"), b});
    w.CheckBackup->setChecked(true);
    select(w, {0, 1, 2});
    DialogAnswerer answer;
    answer.queuePath(host("Backup"));
    w.cmdHecho->click();
    EXPECT_EQ(readAll(host("Backup/a.wav")), Fixtures::noise(50000, 1));
    EXPECT_EQ(readAll(host("Backup/b.wav")), "b bytes");
    EXPECT_FALSE(QFileInfo::exists(host("P/a.wav")));
    EXPECT_FALSE(QFileInfo::exists(host("P/Sub/b.wav")));
    const QByteArray log = readAll(host("Backup/Archivos_Borrados.log"));
    const QList<QByteArray> lines = log.split('\n');
    ASSERT_EQ(lines.size(), 5) << log.constData();
    EXPECT_TRUE(lines[0].startsWith("Archivos borrados  " + SpanishDate::today().toLatin1() + " a las "));
    EXPECT_EQ(lines[1], QByteArray(61, '-') + '\r');
    EXPECT_EQ(lines[2], a.toLatin1() + '\r');
    EXPECT_EQ(lines[3], b.toLatin1() + '\r');
    EXPECT_EQ(Form1::lines(w.ListBorrar), (QStringList{a + "  --> Borrado", win("P/gone.wav"), b + "  --> Borrado"}));

    // And back: the restore copies every byte to where it was.
    Recuperar &r = recuperar();
    r.leerLog(win("Backup/Archivos_Borrados.log"));
    EXPECT_EQ(r.Label1->text(), "Hay: 2 " + QString::fromLatin1(lines[0].chopped(1)));
    EXPECT_FALSE(r.cmdRecuperar->isHidden());
    Ask::setFunction([](const QString &, const QString &, const QStringList &) { return 0; });
    r.cmdRecuperar->click();
    EXPECT_EQ(readAll(host("P/a.wav")), Fixtures::noise(50000, 1));
    EXPECT_EQ(readAll(host("P/Sub/b.wav")), "b bytes");
    EXPECT_EQ(r.Label1->text(), "Operación terminada   Recuperados: 2 de 2");
    EXPECT_FALSE(r.LabelCerrar->isHidden());
    EXPECT_EQ(r.lastOutcome().copied, 2);
}

TEST_F(DeletionWindow, ALongBackupRunLogsExactlyTheFilesItDeletedInListOrder)
{
    // More files than one batch of copies holds, from two folders, with a
    // missing file and a name taken in the backup folder among them.
    QStringList items;
    auto rel = [](int i) { return QString("%1/Toma %2.wav").arg(i % 2 ? "A" : "B").arg(i, 3, 10, QChar(u'0')); };
    for (int i = 0; i < 300; ++i)
        items << put(rel(i), Fixtures::noise(100 + i, quint32(i)));
    items[100] = win("A/gone.wav");
    put("Backup/Toma 200.wav", "an older backup");
    ParaBorrar &w = window(items);
    w.CheckBackup->setChecked(true);
    w.ListBorrar->selectAll();
    DialogAnswerer answer;
    answer.queuePath(host("Backup"));
    w.cmdHecho->click();

    QStringList deleted;
    for (int i = 0; i < 300; ++i) {
        if (i == 100 || i == 200) {
            EXPECT_EQ(w.ListBorrar->item(i)->text(), items[i]) << i;
            continue;
        }
        EXPECT_FALSE(QFileInfo::exists(host(rel(i)))) << i;
        EXPECT_EQ(readAll(host("Backup/" + QFileInfo(rel(i)).fileName())), Fixtures::noise(100 + i, quint32(i))) << i;
        EXPECT_EQ(w.ListBorrar->item(i)->text(), items[i] + "  --> Borrado") << i;
        deleted << items[i];
    }
    EXPECT_TRUE(QFileInfo::exists(host("B/Toma 200.wav"))) << "its name was taken";
    EXPECT_EQ(readAll(host("Backup/Toma 200.wav")), "an older backup");
    EXPECT_EQ(w.lastOutcome().deleted, 298);
    EXPECT_EQ(w.lastOutcome().skipped, 2);
    EXPECT_EQ(w.lastOutcome().failed, 0);
    QStringList lines = QString::fromLatin1(readAll(host("Backup/Archivos_Borrados.log"))).split("\r\n");
    ASSERT_EQ(lines.size(), 2 + 298 + 1);
    EXPECT_TRUE(lines.takeLast().isEmpty());
    lines = lines.mid(2);
    EXPECT_EQ(lines, deleted);
    EXPECT_TRUE(w.XP_Bar->isHidden());
    EXPECT_EQ(w.XP_Bar->value(), 299) << "the bar reached the last item";
}

TEST_F(DeletionWindow, ACancelledBackupRunLeavesLogCopiesAndDeletionsInStep)
{
    QStringList items;
    for (int i = 0; i < 20; ++i)
        items << put(QString("P/t%1.wav").arg(i), "bytes " + QByteArray::number(i));
    ParaBorrar &w = window(items);
    w.CheckBackup->setChecked(true);
    w.ListBorrar->selectAll();
    DialogAnswerer answer;
    answer.queuePath(host("Backup"));
    QDir().mkpath(host("Backup"));
    // Pressed at the first look at the events once the run is on (the
    // folder dialog comes before it).
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, &w, [&] {
        if (w.EstaBorrando) {
            w.Cancela->click();
            press.stop();
        }
    });
    press.start(0);
    w.cmdHecho->click();
    EXPECT_TRUE(w.lastOutcome().cancelled);
    const int deleted = w.lastOutcome().deleted;
    EXPECT_GE(deleted, 1);
    EXPECT_LT(deleted, 20);
    const QStringList lines = QString::fromLatin1(readAll(host("Backup/Archivos_Borrados.log"))).split("\r\n");
    ASSERT_EQ(lines.size(), 2 + deleted + 1);
    for (int i = 0; i < 20; ++i) {
        const bool gone = !QFileInfo::exists(host(QString("P/t%1.wav").arg(i)));
        EXPECT_EQ(gone, i < deleted) << i;
        EXPECT_EQ(lines.contains(items[i]), gone) << i;
        if (gone)
            EXPECT_EQ(readAll(host(QString("Backup/t%1.wav").arg(i))), "bytes " + QByteArray::number(i)) << i;
        else
            EXPECT_FALSE(QFileInfo::exists(host(QString("Backup/t%1.wav").arg(i)))) << "nothing copied past the cancel";
    }
}

TEST_F(DeletionWindow, CancelledBackupDialogDeletesNothing)
{
    const QString a = put("P/a.wav", "a");
    ParaBorrar &w = window({a});
    w.CheckBackup->setChecked(true);
    select(w, {0});
    DialogAnswerer answer;
    answer.queuePath(""); // cancel
    w.cmdHecho->click();
    EXPECT_TRUE(QFileInfo::exists(host("P/a.wav")));
    ASSERT_FALSE(answer.messages().isEmpty());
    EXPECT_TRUE(answer.messages().last().contains("No se ha borrado ningún archivo"));
    EXPECT_FALSE(w.cmdHecho->isHidden()) << "the user can choose a folder and try again";
}

TEST_F(DeletionWindow, ABackupIsNeverReplacedNorTakenForTheFileItself)
{
    const QString one = put("A/Take 1.wav", "first take");
    const QString two = put("B/Take 1.wav", "second take");
    const QString self = put("Backup/own.wav", "lives in the backup folder");
    ParaBorrar &w = window({one, two, self});
    w.CheckBackup->setChecked(true);
    select(w, {0, 1, 2});
    DialogAnswerer answer;
    answer.queuePath(host("Backup"));
    w.cmdHecho->click();
    EXPECT_FALSE(QFileInfo::exists(host("A/Take 1.wav")));
    EXPECT_EQ(readAll(host("B/Take 1.wav")), "second take") << "its name is taken in the backup folder";
    EXPECT_EQ(readAll(host("Backup/Take 1.wav")), "first take");
    EXPECT_EQ(readAll(host("Backup/own.wav")), "lives in the backup folder");
    EXPECT_EQ(w.lastOutcome().deleted, 1);
    EXPECT_EQ(w.lastOutcome().skipped, 2);
    EXPECT_TRUE(w.LabelEstado->text().contains("Omitidos: 2"));
}

TEST_F(DeletionWindow, ALogThatCannotBeWrittenTouchesNoFile)
{
    const QString a = put("P/a.wav", "a");
    QDir().mkpath(host("Backup/Archivos_Borrados.log"));
    ParaBorrar &w = window({a});
    w.CheckBackup->setChecked(true);
    select(w, {0});
    DialogAnswerer answer;
    answer.queuePath(host("Backup"));
    w.cmdHecho->click();
    EXPECT_TRUE(QFileInfo::exists(host("P/a.wav")));
    EXPECT_FALSE(QFileInfo::exists(host("Backup/a.wav")));
    ASSERT_FALSE(answer.messages().isEmpty());
    EXPECT_TRUE(answer.messages().last().contains("No se ha borrado ningún archivo"));
}

TEST_F(DeletionWindow, ProtectedFoldersHoldInBothModes)
{
    const QString kept = put("Audio/Keep/a.wav", "a");
    const QString lower = put("Audio/Keep/b.wav", "b");
    const QString free = put("Audio/Free/c.wav", "c");
    // Added in the open window: it counts at once.
    FormNoBorrar &nb = formNoBorrar();
    DialogAnswerer answer;
    answer.queuePath(host("Audio/Keep"));
    nb.ElegirCArpeta->click();
    ASSERT_EQ(Form1::lines(nb.List1), QStringList{win("Audio/Keep")});

    ParaBorrar &w = window({kept, QString(lower).replace("Keep", "keep"), free});
    select(w, {0, 1, 2});
    w.cmdHecho->click();
    EXPECT_TRUE(QFileInfo::exists(host("Audio/Keep/a.wav")));
    EXPECT_TRUE(QFileInfo::exists(host("Audio/Keep/b.wav"))) << "letter case does not lift the protection";
    EXPECT_FALSE(QFileInfo::exists(host("Audio/Free/c.wav")));
    w.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QDir().mkpath(host("Backup"));
    ParaBorrar &w2 = window({kept});
    w2.CheckBackup->setChecked(true);
    select(w2, {0});
    answer.queuePath(host("Backup"));
    w2.cmdHecho->click();
    EXPECT_TRUE(QFileInfo::exists(host("Audio/Keep/a.wav"))) << "with a backup too";
}

TEST_F(DeletionWindow, CancelStopsAfterTheCurrentItemAndOptionsAreLockedMeanwhile)
{
    QStringList items;
    for (int i = 0; i < 5; ++i)
        items << put(QString("P/t%1.wav").arg(i), "x");
    ParaBorrar &w = window(items);
    for (int i = 0; i < 5; ++i)
        w.ListBorrar->item(i)->setSelected(true);
    bool locked = false;
    QTimer::singleShot(0, &w, [&] {
        locked = w.EstaBorrando && !w.CheckBackup->isEnabled() && !w.CheckBorrarPapelera->isEnabled();
        QTest::keyClick(w.ListBorrar, Qt::Key_Delete); // does nothing during a run
        w.Cancela->click();
    });
    DialogAnswerer answer;
    w.cmdHecho->click();
    EXPECT_TRUE(locked);
    // The run player.stops at the first look at the events after the click: what
    // it had not reached is untouched.
    const int deleted = w.lastOutcome().deleted;
    EXPECT_GE(deleted, 1);
    EXPECT_LT(deleted, 5);
    int left = 0;
    for (int i = 0; i < 5; ++i)
        left += QFileInfo::exists(host(QString("P/t%1.wav").arg(i))) ? 1 : 0;
    EXPECT_EQ(left, 5 - deleted);
    EXPECT_TRUE(w.lastOutcome().cancelled);
    EXPECT_EQ(w.ListBorrar->count(), 5);
    EXPECT_TRUE(w.LabelEstado->text().startsWith(" >> Se han Cancelado todas las operaciones << "));
    EXPECT_FALSE(w.CancelaOp);
    EXPECT_TRUE(w.CheckBackup->isEnabled());
}

TEST_F(DeletionWindow, RestoreAsksBeforeReplacingAndCountsWhatItCouldNotDo)
{
    put("Backup/a.wav", "backup a");
    put("Backup/b.wav", "backup b");
    put("P/a.wav", "newer a");
    QByteArray log = "Archivos borrados  12/31/2026 a las 23:59:59\r\n" + QByteArray(61, '-') + "\r\n";
    for (const char *p : {"P\\a.wav", "P\\b.wav", "P\\c.wav"})
        log += "D:\\" + QByteArray(p) + "\r\n";
    put("Backup/Archivos_Borrados.log", log);
    Recuperar &r = recuperar();
    r.leerLog(win("Backup/Archivos_Borrados.log"));
    ASSERT_EQ(r.ListRecuperar->count(), 3);
    Ask::setFunction([](const QString &, const QString &, const QStringList &) { return 1; }); // do not replace
    DialogAnswerer answer;
    r.cmdRecuperar->click();
    EXPECT_EQ(readAll(host("P/a.wav")), "newer a");
    EXPECT_EQ(readAll(host("P/b.wav")), "backup b");
    EXPECT_EQ(r.lastOutcome().copied, 1);
    EXPECT_EQ(r.lastOutcome().declined, 1);
    EXPECT_EQ(r.lastOutcome().failed, 1);
    EXPECT_TRUE(r.Label1->text().startsWith("Operación terminada"));
}

TEST_F(DeletionWindow, RestoreRefusesOtherNamesAndEmptyLogs)
{
    put("L/archivos_borrados.log", QByteArray(200, 'x'));
    Recuperar &r = recuperar();
    r.leerLog(win("L/archivos_borrados.log"));
    EXPECT_EQ(r.Label1->text(), "Este archivo no es válido");

    put("L2/Archivos_Borrados.log", "Archivos borrados  1/2/26 a las 1:02:03\r\n" + QByteArray(61, '-') + "\r\n");
    Form1 &f = form1();
    recuperar().leerLog(win("L2/Archivos_Borrados.log"));
    EXPECT_EQ(Form1::lines(f.ListPath),
              (QStringList{" >>> AVISO <<< ", "   Este archivo no tiene archivos para recuperar"}));
}

TEST_F(DeletionWindow, ANewAnalysisEmptiesAnOpenWindowAndOffersOnlyItsOwnList)
{
    // A.vip leaves b.wav unused; B.vip, analysed later with the folder, uses it.
    put("P/Audio/a.wav", "a");
    put("P/Audio/b.wav", "b");
    put("P/A.vip", Fixtures::vipBytes({win("P/Audio/a.wav")}));
    Form1 &f = form1();
    {
        DialogAnswerer answer;
        answer.queuePath(host("P/A.vip"));
        f.AbrirFichero_Click();
    }
    ASSERT_EQ(Form1::lines(f.ListBorrar), QStringList{win("P/Audio/b.wav")});
    f.CommandBorrado_Click();
    ParaBorrar &w = paraBorrar();
    ASSERT_TRUE(w.isVisible());
    ASSERT_EQ(Form1::lines(w.ListBorrar), QStringList{win("P/Audio/b.wav")});

    put("P/B.vip", Fixtures::vipBytes({win("P/Audio/b.wav")}));
    // What the window shows when the main window first tells it the list
    // changed (the start of the analysis).
    struct Told final : Peers::DeletionWindow
    {
        explicit Told(ParaBorrar &window) : w(window) {}
        void toggleVisible() override { paraBorrarPeer().toggleVisible(); }
        void unusedListChanged(const std::shared_ptr<const Analysis> &analysis, const std::vector<bool> &gone,
                               Progress *progress) override
        {
            paraBorrarPeer().unusedListChanged(analysis, gone, progress);
            if (seenDuring < 0) {
                seenDuring = w.ListBorrar->count();
                offeredDuring = w.cmdHecho->isVisible();
            }
        }
        ParaBorrar &w;
        int seenDuring = -1;
        bool offeredDuring = true;
    } told(w);
    use(told);
    f.AbrirRuta(win("P"));
    use(paraBorrarPeer());
    const int seenDuring = told.seenDuring;
    const bool offeredDuring = told.offeredDuring;
    EXPECT_EQ(seenDuring, 0) << "emptied while the analysis runs";
    EXPECT_FALSE(offeredDuring);
    EXPECT_TRUE(Form1::lines(w.ListBorrar).isEmpty());
    EXPECT_TRUE(w.cmdHecho->isHidden());
    w.ListBorrar->selectAll();
    w.cmdHecho_Click();
    EXPECT_EQ(readAll(host("P/Audio/b.wav")), "b");
}

TEST_F(DeletionWindow, FilesARunDeletedLeaveTheMainList)
{
    put("P/a.wav", "a");
    put("P/b.wav", "b");
    ParaBorrar &w = window({win("P/a.wav"), win("P/b.wav")});
    select(w, {0});
    w.cmdHecho_Click();
    EXPECT_EQ(Form1::lines(form1().ListBorrar), QStringList{win("P/b.wav")});
    EXPECT_EQ(Form1::lines(w.ListBorrar), (QStringList{win("P/a.wav") + "  --> Borrado", win("P/b.wav")}));
    // Closed and opened again, the window offers what is left.
    w.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    form1().CommandBorrado_Click();
    EXPECT_EQ(Form1::lines(paraBorrar().ListBorrar), QStringList{win("P/b.wav")});
}

TEST_F(DeletionWindow, WhatAProjectFolderOnlyLinksToIsNeverTouched)
{
    // A link to a take outside every project folder, and a project naming a
    // path that climbs out of its drive.
    put("P/Audio/a.wav", "a");
    QTemporaryDir outside;
    ASSERT_TRUE(Fixtures::writeFile(outside.path() + "/precious.wav", "precious"));
    ASSERT_TRUE(QFile::link(outside.path() + "/precious.wav", host("P/Audio/link.wav")));
    put("P/A.vip", Fixtures::vipBytes({win("P/Audio/a.wav"), "D:\\..\\..\\..\\" + outside.path().mid(1).replace('/', '\\') + "\\precious.wav"}));
    Form1 &f = form1();
    f.AbrirRuta(win("P"));
    ASSERT_EQ(Form1::lines(f.ListBorrar), QStringList{win("P/Audio/link.wav")});
    f.CommandBorrado_Click();
    ParaBorrar &w = paraBorrar();
    w.ListBorrar->selectAll();
    DialogAnswerer answer; // the outcome's message
    for (const bool toTrash : {false, true}) {
        w.CheckBorrarPapelera->setChecked(toTrash);
        w.cmdHecho_Click();
        EXPECT_EQ(w.lastOutcome().deleted, 0);
        EXPECT_EQ(w.lastOutcome().skipped, 1);
        EXPECT_TRUE(w.lastOutcome().problems.join("\n").contains("enlace simbólico"));
        w.cmdHecho->show();
    }
    EXPECT_EQ(readAll(outside.path() + "/precious.wav"), "precious");
    EXPECT_TRUE(QFileInfo(host("P/Audio/link.wav")).isSymLink());
}

TEST_F(DeletionWindow, ASelectionCountDuringARunLeavesTheRunBusy)
{
    const QString a = put("P/a.wav", "a"), b = put("P/b.wav", "b");
    ParaBorrar &w = window({a, b});
    w.CheckBorrarPapelera->setChecked(true);
    w.CheckConfirmar->setChecked(true);
    Form1 &f = form1();
    f.ListBorrar->selectAll();
    bool busyAfterCount = false;
    Ask::setFunction([&](const QString &, const QString &, const QStringList &) {
        f.ContarSeleccionados(f.ListBorrar);
        busyAfterCount = w.EstaBorrando && Activity::EstaBorrando();
        return 1; // keep the file
    });
    select(w, {0});
    DialogAnswerer answer;
    w.cmdHecho->click();
    EXPECT_TRUE(busyAfterCount);
    EXPECT_EQ(f.LabelSelec->text(), "2 seleccionados");
    EXPECT_FALSE(w.EstaBorrando);
}

TEST_F(DeletionWindow, ACountLoadsNoDeletionWindowAndTheMouseShowsTheLineInTheMainWindow)
{
    Form1 &f = form1();
    offer({win("a.wav"), win("b.wav")});
    f.ListBorrar->selectAll();
    f.ContarSeleccionados(f.ListBorrar);
    EXPECT_FALSE(paraBorrarLoaded());

    ParaBorrar &w = window({win("a.wav"), win("b.wav")});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const QPoint at = w.ListBorrar->visualItemRect(w.ListBorrar->item(1)).center();
    QMouseEvent move(QEvent::MouseMove, QPointF(at), w.ListBorrar->viewport()->mapToGlobal(QPointF(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.ListBorrar->viewport(), &move);
    EXPECT_EQ(f.LabelIndice->text(), " ListBorrar - Item: 2 ");
}

TEST_F(DeletionWindow, FixedBackgroundsCarryTheirTextColourUnderADarkTheme)
{
    const DarkPalette dark;
    const QString a = put("P/a.wav", "a");
    ParaBorrar &w = window({a, win("P/gone.wav")});
    for (int blink = 0; blink < 2; ++blink) {
        EXPECT_EQ(unreadable(w.Label1, QPalette::WindowText, QPalette::Window), "") << blink;
        w.Timer1_Timer();
    }
    DialogAnswerer answer;
    // A run that deletes (green panel), then one that cannot (red panel).
    select(w, {0});
    w.cmdHecho->click();
    EXPECT_EQ(unreadable(w.LabelEstado, QPalette::WindowText, QPalette::Window), "");
    w.close();
    ParaBorrar &again = window({win("P/gone.wav")});
    select(again, {0});
    again.cmdHecho->click();
    EXPECT_EQ(unreadable(again.LabelEstado, QPalette::WindowText, QPalette::Window), "");
}

namespace {

QByteArray restoreLog(const QStringList &lines)
{
    QByteArray log = "Archivos borrados  12/31/2026 a las 23:59:59\r\n" + QByteArray(61, '-') + "\r\n";
    for (const QString &l : lines)
        log += l.toLatin1() + "\r\n";
    return log;
}

} // namespace

TEST_F(DeletionWindow, NothingStartsInsideARestoreNorARestoreInsideADeletion)
{
    // A restore let in where it must not be waits for an answer for ever.
    Watchdog watchdog;
    put("P/Audio/used.wav", "u");
    put("P/Audio/spare.wav", "s");
    put("P/A.vip", Fixtures::vipBytes({win("P/Audio/used.wav")}));
    put("R/keep.wav", "k");
    put("B/Archivos_Borrados.log", restoreLog({win("R/back.wav")}));
    put("B/back.wav", "b");
    use(recuperarPeer());
    Ask::setFunction({});
    Form1 &f = form1();
    ParaBorrar &w = window({win("P/Audio/spare.wav")});
    Recuperar &r = recuperar();
    r.leerLog(win("B/Archivos_Borrados.log"));
    ASSERT_FALSE(r.cmdRecuperar->isHidden());

    // While the restore copies, the commands the main and deletion windows
    // take from the user do nothing.
    bool busy = false;
    duringRestore() = [&] {
        busy = Activity::EstaBorrando();
        w.ListBorrar->selectAll();
        w.cmdHecho_Click();
        f.AbrirRuta(win("P"));
    };
    ShellCopy::setRestoreWriteForTest(writeAndAct);
    r.cmdRecuperar->click();
    ShellCopy::setRestoreWriteForTest(nullptr);
    duringRestore() = nullptr;
    EXPECT_TRUE(busy);
    EXPECT_EQ(readAll(host("R/back.wav")), "b");
    EXPECT_EQ(readAll(host("P/Audio/spare.wav")), "s") << "nothing deleted inside the restore";
    EXPECT_EQ(f.ListProyectos->count(), 0) << "no analysis inside the restore";
    EXPECT_FALSE(Activity::EstaBorrando());

    // While a deletion runs (here, while it asks about its file), a restore
    // window opened again restores nothing.
    QFile::remove(host("R/back.wav"));
    w.CheckBorrarPapelera->setChecked(true);
    w.CheckConfirmar->setChecked(true);
    bool listed = false;
    bool restoredInside = true;
    Ask::setFunction([&](const QString &, const QString &, const QStringList &) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Recuperar &inside = recuperar();
        inside.leerLog(win("B/Archivos_Borrados.log"));
        listed = !inside.cmdRecuperar->isHidden();
        inside.cmdRecuperar_Click();
        restoredInside = QFileInfo::exists(host("R/back.wav"));
        return 1; // no: the file stays
    });
    select(w, {0});
    {
        DialogAnswerer answer; // the run's outcome: one file kept
        w.cmdHecho_Click();
    }
    EXPECT_TRUE(listed);
    EXPECT_FALSE(restoredInside);
    EXPECT_FALSE(QFileInfo::exists(host("R/back.wav")));
    EXPECT_EQ(readAll(host("P/Audio/spare.wav")), "s");

    // Nor while the main window analyses: the restore would write into the
    // folders being read.
    Recuperar &again = recuperar();
    ASSERT_FALSE(again.cmdRecuperar->isHidden());
    f.Decoding = true;
    again.cmdRecuperar_Click();
    f.Decoding = false;
    EXPECT_FALSE(QFileInfo::exists(host("R/back.wav")));
    again.cmdRecuperar_Click();
    EXPECT_EQ(readAll(host("R/back.wav")), "b") << "once the analysis is over";
}

// The success text only when every selected file went; otherwise the
// counts in the warning colour and each reason once, with its count.
TEST_F(DeletionWindow, TheResultPanelSaysEverythingWentOnlyWhenItDid)
{
    const QString green = colourSheet(colorFromBgr(0xFF00)), warning = colourSheet(colorFromBgr(0x8080FF));
    struct Case
    {
        const char *name;
        QStringList files;   // listed and selected
        QStringList missing; // listed and selected, gone before the run
        bool backup;
        QString panel;
    };
    put("Backup/t3.wav", "an older backup");
    const Case cases[] = {
        {"all went", {"A/t1.wav", "A/t2.wav"}, {}, false,
         " >> Se han efectuado todas las operaciones << \nBorrados: 2    Omitidos: 0    Fallidos: 0"},
        {"one missing", {"A/t1.wav"}, {"A/gone.wav", "A/gone2.wav"}, false,
         "Borrados: 1    Omitidos: 2    Fallidos: 0\nno existe (2)"},
        {"nothing went", {}, {"A/gone.wav"}, false, "Borrados: 0    Omitidos: 1    Fallidos: 0\nno existe (1)"},
        {"names taken in the backup folder", {"A/t1.wav", "B/t1.wav", "A/t3.wav"}, {"A/gone.wav"}, true,
         "Borrados: 1    Omitidos: 3    Fallidos: 0\nya existe una copia con ese nombre en " + win("Backup")
             + " (2)\nno existe (1)\nHay 2 archivos con el mismo nombre que otro ya copiado: bórrelos en otra tanda "
               "con otra carpeta de copia."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList lines;
        for (const QString &f : c.files)
            lines << put(f, f.toUtf8());
        for (const QString &f : c.missing)
            lines << put(f, "gone before the run");
        ParaBorrar &w = window(lines);
        for (const QString &f : c.missing)
            QFile::remove(host(f));
        w.CheckBackup->setChecked(c.backup);
        w.ListBorrar->selectAll();
        DialogAnswerer answer;
        if (c.backup)
            answer.queuePath(host("Backup"));
        w.cmdHecho->click();
        EXPECT_EQ(w.LabelEstado->text(), c.panel);
        EXPECT_EQ(w.LabelEstado->styleSheet(), c.panel.startsWith(" >> Se han efectuado") ? green : warning);
        w.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(DeletionWindow, TheResultPanelCountsTheFilesThatCouldNotBeDeleted)
{
    RUN_AS_ORDINARY_USER();
    const QString a = put("A/a.wav", "a"), b = put("Locked/b.wav", "b");
    ASSERT_EQ(::chmod(QFile::encodeName(host("Locked")).constData(), 0555), 0);
    ParaBorrar &w = window({a, b});
    w.ListBorrar->selectAll();
    DialogAnswerer answer;
    w.cmdHecho->click();
    ::chmod(QFile::encodeName(host("Locked")).constData(), 0755);
    EXPECT_EQ(readAll(host("Locked/b.wav")), "b");
    const QStringList panel = w.LabelEstado->text().split('\n');
    ASSERT_EQ(panel.size(), 2) << w.LabelEstado->text().toStdString();
    EXPECT_EQ(panel[0], "Borrados: 1    Omitidos: 0    Fallidos: 1");
    EXPECT_TRUE(panel[1].startsWith("no se ha podido borrar: ")) << panel[1].toStdString();
    EXPECT_TRUE(panel[1].endsWith("permiso denegado (1)")) << panel[1].toStdString();
    EXPECT_EQ(w.LabelEstado->styleSheet(), colourSheet(colorFromBgr(0x8080FF)));
}

// Where the user decides, the list says when the folders hold projects the
// analysis did not read (their takes may be offered).
TEST_F(DeletionWindow, TheHintWarnsOfProjectsTheAnalysisLeftOut)
{
    put("P/Audio/a.wav", "a");
    put("P/Audio/b.wav", "b");
    put("P/Audio/c.wav", "c");
    put("P/A.vip", Fixtures::vipBytes({win("P/Audio/a.wav")}));
    put("P/B.vip", Fixtures::vipBytes({win("P/Audio/b.wav")}));
    Form1 &f = form1();
    f.AbrirRuta(win("P/A.vip"));
    ASSERT_EQ(f.analysis()->otherProjects, 1);
    f.CommandBorrado_Click();
    ParaBorrar &w = paraBorrar();
    ASSERT_EQ(Form1::lines(w.ListBorrar), (QStringList{win("P/Audio/b.wav"), win("P/Audio/c.wav")}));
    EXPECT_TRUE(w.Label1->text().startsWith(" Los items que NO estén seleccionados, no se borrarán"));
    EXPECT_TRUE(w.Label1->text().endsWith("\n" + Unused::otherProjectsNotice(1))) << w.Label1->text().toStdString();

    // The whole folder analysed: every project counts, nothing to warn of.
    f.AbrirRuta(win("P"));
    ASSERT_EQ(Form1::lines(w.ListBorrar), QStringList{win("P/Audio/c.wav")});
    EXPECT_EQ(w.Label1->text(), " Los items que NO estén seleccionados, no se borrarán    También se pueden eliminar de "
                                "la lista pulsando tecla <Supr>");
}

// The run acts on the file the analysis listed, never on another one that
// bears its name now or answers to it in another letter case.
TEST_F(DeletionWindow, ARunTouchesOnlyTheFilesTheAnalysisListed)
{
    put("P/Audio/used.wav", "u");
    put("P/Audio/x.wav", "listed");
    put("P/Audio/Take.wav", "take");
    put("P/A.vip", Fixtures::vipBytes({win("P/Audio/used.wav")}));
    Form1 &f = form1();
    f.AbrirRuta(win("P"));
    ASSERT_EQ(Form1::lines(f.ListBorrar), (QStringList{win("P/Audio/Take.wav"), win("P/Audio/x.wav")}));
    f.CommandBorrado_Click();
    ParaBorrar &w = paraBorrar();
    w.ListBorrar->selectAll();
    // Another file in x.wav's place (written beside it, so its inode is new),
    // and Take.wav left only as take.wav.
    write("P/Audio/x.new", "another file");
    ASSERT_EQ(::rename(QFile::encodeName(host("P/Audio/x.new")).constData(),
                       QFile::encodeName(host("P/Audio/x.wav")).constData()),
              0);
    ASSERT_TRUE(QFile::rename(host("P/Audio/Take.wav"), host("P/Audio/take.wav")));
    DialogAnswerer answer;
    w.cmdHecho->click();
    EXPECT_EQ(readAll(host("P/Audio/x.wav")), "another file");
    EXPECT_EQ(readAll(host("P/Audio/take.wav")), "take");
    EXPECT_EQ(w.lastOutcome().deleted, 0);
    EXPECT_EQ(w.lastOutcome().skipped, 2);
    EXPECT_EQ(Form1::lines(w.ListBorrar), (QStringList{win("P/Audio/Take.wav"), win("P/Audio/x.wav")}));
    EXPECT_TRUE(w.LabelEstado->text().startsWith("Borrados: 0    Omitidos: 2    Fallidos: 0\n"))
        << w.LabelEstado->text().toStdString();
    const QString problems = w.lastOutcome().problems.join("\n");
    EXPECT_TRUE(problems.contains(win("P/Audio/Take.wav") + "  ->  ")) << problems.toStdString();
    EXPECT_TRUE(problems.contains(win("P/Audio/x.wav") + "  ->  ")) << problems.toStdString();
}

// After a new analysis in which a listed file was replaced, the window's
// list names the new file: the texts alike do not make the lists alike.
TEST_F(DeletionWindow, ANewAnalysisGivesTheWindowTheFilesItListed)
{
    put("P/Audio/used.wav", "u");
    put("P/Audio/x.wav", "first");
    put("P/A.vip", Fixtures::vipBytes({win("P/Audio/used.wav")}));
    Form1 &f = form1();
    f.AbrirRuta(win("P"));
    f.CommandBorrado_Click();
    ParaBorrar &w = paraBorrar();
    ASSERT_EQ(Form1::lines(w.ListBorrar), QStringList{win("P/Audio/x.wav")});
    w.hide();
    write("P/Audio/x.new", "second");
    ASSERT_EQ(::rename(QFile::encodeName(host("P/Audio/x.new")).constData(),
                       QFile::encodeName(host("P/Audio/x.wav")).constData()),
              0);
    f.AbrirRuta(win("P"));
    f.CommandBorrado_Click();
    ASSERT_TRUE(w.isVisible());
    ASSERT_EQ(Form1::lines(w.ListBorrar), QStringList{win("P/Audio/x.wav")});
    w.ListBorrar->selectAll();
    DialogAnswerer answer;
    w.cmdHecho->click();
    EXPECT_EQ(w.lastOutcome().deleted, 1) << w.lastOutcome().problems.join("\n").toStdString();
    EXPECT_FALSE(QFileInfo::exists(host("P/Audio/x.wav")));
}

// Every count is of what is left once a run is over.
TEST_F(DeletionWindow, CountsAreOfWhatARunLeft)
{
    put("P/Audio/used.wav", "u");
    for (const char *n : {"a", "b", "c", "d"})
        put(QString("P/Audio/%1.wav").arg(n), n);
    put("P/A.vip", Fixtures::vipBytes({win("P/Audio/used.wav")}));
    Form1 &f = form1();
    f.AbrirRuta(win("P"));
    ASSERT_TRUE(f.LabelErase[1]->text().startsWith("Archivos no utilizados: 4"));
    f.CommandBorrado_Click();
    ParaBorrar &w = paraBorrar();
    ASSERT_EQ(w.LabelErase->text(), "Archivos no utilizados: 4");
    // A line taken out of the list with <Supr> is no longer offered.
    select(w, {3});
    QTest::keyClick(w.ListBorrar, Qt::Key_Delete);
    select(w, {0, 2});
    DialogAnswerer answer;
    w.cmdHecho->click();
    ASSERT_EQ(w.lastOutcome().deleted, 2);
    EXPECT_EQ(f.LabelErase[1]->text(), "Archivos no utilizados: 2");
    EXPECT_EQ(w.LabelErase->text(), "Archivos no utilizados: 1");
}

// Nothing starts inside a deletion run: the associated-files window's
// deletion and drop, the restore window's "Abrir log...", and closing the
// deletion window (it stays, and the run ends) are each refused with the
// busy text.
TEST_F(DeletionWindow, NothingStartsInsideADeletionRun)
{
    use(form2Peer());
    put("A/a.h2", "h");
    put("C/c.h2", "h");
    const QString one = put("P/one.wav", "1"), two = put("P/two.wav", "2");
    ParaBorrar &w = window({one, two});
    Form2 &assoc = form2();
    assoc.show();
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(host("A"))});
        assoc.ListAsociados_OLEDragDrop(&data);
    }
    ASSERT_EQ(Form1::lines(assoc.ListAsociados).mid(3), QStringList{win("A/a.h2")});
    const QString busy = "Espere a que termine el borrado de archivos no utilizados.";
    w.CheckConfirmar->setChecked(true);
    QString assocDelete, assocDrop, open, closing;
    QStringList assocLines;
    bool stayed = false;
    int dialogs = -1;
    DialogAnswerer answer;
    answerFor = [&](const QString &title) {
        if (title != "Eliminar archivo" || !assocDelete.isNull())
            return 0;
        assoc.ListAsociados->selectAll();
        assoc.cmdHecho_Click();
        assocDelete = assoc.LabelEstado->text();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(host("C"))});
        assoc.ListAsociados_OLEDragDrop(&data);
        assocDrop = assoc.LabelEstado->text();
        assocLines = Form1::lines(assoc.ListAsociados);
        // The restore window, shown during the run (the run closed it as it
        // started).
        Recuperar &r = recuperar();
        r.show();
        const int before = answer.answered();
        r.cmdOpen->click();
        dialogs = answer.answered() - before;
        open = r.Label1->text();
        w.close();
        stayed = paraBorrarLoaded() && w.isVisible();
        closing = w.LabelEstado->text();
        return 0;
    };
    // Closed in the run's own pass over the window's events, too.
    QTimer::singleShot(0, &w, [&] { w.close(); });
    w.ListBorrar->selectAll();
    w.cmdHecho->click();
    EXPECT_EQ(assocDelete, busy);
    EXPECT_TRUE(QFileInfo::exists(host("A/a.h2")));
    EXPECT_EQ(assocDrop, busy);
    EXPECT_EQ(assocLines.mid(3), QStringList{win("A/a.h2")}) << "no scan";
    EXPECT_EQ(dialogs, 0) << "no file dialog";
    EXPECT_EQ(open, busy);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(closing, busy);
    ASSERT_TRUE(paraBorrarLoaded());
    EXPECT_EQ(w.lastOutcome().deleted, 2) << "the run went to its end";
    EXPECT_FALSE(QFileInfo::exists(host("P/two.wav")));
}
