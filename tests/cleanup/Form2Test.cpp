#include "cleanup/Form2.h"

#include "cleanup/Asociados.h"
#include "cleanup/DeletionRun.h"
#include "cleanup/ParaBorrar.h"
#include "cleanup/Recuperar.h"
#include "main/Form1.h"
#include "main/Peers.h"
#include "platform/Ask.h"
#include "platform/Settings.h"
#include "platform/ShellCopy.h"
#include "platform/Trash.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/DuringRestore.h"
#include "tests/support/Readable.h"
#include "tests/support/Fixtures.h"
#include "tests/support/WindowTest.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// File operations whose answers a test chooses; the real ones otherwise.
class Ops final : public Deletion::FileOps
{
public:
    std::function<ShellResult(const FileRecord &)> onTrash, onRemove;
    int trashed = 0, removed = 0;
    ShellResult trash(const FileRecord &file, const QString &shown, bool confirm) override
    {
        ++trashed;
        return onTrash ? onTrash(file) : FileOps::trash(file, shown, confirm);
    }
    ShellResult remove(const SafeFs::Folder &folder, const FileRecord &file) override
    {
        ++removed;
        return onRemove ? onRemove(file) : FileOps::remove(folder, file);
    }
    ShellResult removeUnlessReadOnly(const SafeFs::Folder &folder, const FileRecord &file) override
    {
        ++removed;
        return onRemove ? onRemove(file) : FileOps::removeUnlessReadOnly(folder, file);
    }
};

class AssociatedWindow : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        answerDialogs();
    }
    QString host(const QString &rel) const { return dir.path() + u'/' + rel; }
    void put(const QString &rel, int size = 16) { write(rel, QByteArray(size, 'x')); }
    static void drop(Form2 &w, const QStringList &hostPaths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &p : hostPaths)
            urls << (p.contains("://") ? QUrl(p) : QUrl::fromLocalFile(p));
        data.setUrls(urls);
        w.ListAsociados_OLEDragDrop(&data);
    }
    // The window with `rel` (a folder of the library) dropped on its list.
    Form2 &dropped(const QString &rel)
    {
        Form2 &w = form2();
        w.show();
        drop(w, {host(rel)});
        return w;
    }
    static QStringList lines(const Form2 &w) { return Form1::lines(w.ListAsociados); }
    static QStringList selected(const Form2 &w)
    {
        QStringList out;
        for (int i = 0; i < w.ListAsociados->count(); ++i)
            if (w.ListAsociados->item(i)->isSelected())
                out << w.ListAsociados->item(i)->text();
        return out;
    }
    static void select(Form2 &w, std::initializer_list<int> rows)
    {
        for (int r : rows)
            w.ListAsociados->item(r)->setSelected(true);
    }
    static void selectAll(Form2 &w) { QTest::keyClick(w.ListAsociados, Qt::Key_A, Qt::ControlModifier); }
    static void click(Form2 &w, int row, Qt::MouseButton button = Qt::LeftButton)
    {
        w.ListAsociados->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        QTest::mouseClick(w.ListAsociados->viewport(), button, {},
                          w.ListAsociados->visualItemRect(w.ListAsociados->item(row)).center());
    }
    // The trash's copy of a file sent there, read back through its layout.
    QString trashInfo(const QString &name) const
    {
        QFile f(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/info/" + name
                + ".trashinfo");
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    bool inTrash(const QString &name) const
    {
        return QFileInfo::exists(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash/files/"
                                 + name);
    }

    // The lines the last Insert handed to the player.
    static QStringList handed(const Form2 &w)
    {
        QStringList out;
        for (int i = 0; i < w.ListSound->count(); ++i)
            if (w.ListSound->item(i)->isSelected())
                out << w.ListSound->item(i)->text();
        return out;
    }
};

} // namespace

TEST_F(AssociatedWindow, LoadWithoutProjectsShowsTheFilterAndScansNothing)
{
    Form2 &w = form2();
    w.show();
    EXPECT_EQ(w.windowTitle(), "        Archivos asociados para borrar...si están seleccionados.");
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(w.ListAsociados->count(), 0);
    EXPECT_FALSE(w.ListFilter->isHidden());
    QStringList types;
    QList<bool> ticked;
    for (int i = 0; i < w.ListFilter->count(); ++i) {
        types << w.ListFilter->item(i)->text();
        ticked << (w.ListFilter->item(i)->checkState() == Qt::Checked);
    }
    EXPECT_EQ(types, (QStringList{"WAV", "MP3", "AIF", "OGG", "FLAC"}));
    EXPECT_EQ(ticked, (QList<bool>{true, false, false, false, false}));
    EXPECT_EQ(General::ExtAsociados[0], "h2");
    EXPECT_EQ(General::ExtAsociados[2], "-");
    for (QWidget *hidden : {static_cast<QWidget *>(w.FrameOpciones), static_cast<QWidget *>(w.cmdOpciones),
                            static_cast<QWidget *>(w.TextAviso), static_cast<QWidget *>(w.LabelTotal),
                            static_cast<QWidget *>(w.LabelTotFolder), static_cast<QWidget *>(w.LabelSelec)})
        EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(w.size(), QSize(505, 697));
    EXPECT_EQ(w.FrameOpciones->title(), "Opciones de borrado de asociados ");
    EXPECT_EQ(w.CheckVaciarPapelera->text(), "Borrar antes la papelera reciclaje");
    EXPECT_EQ(w.CheckBorrarPapelera->text(), "Borrar enviando a Papelera Reciclaje");
    EXPECT_EQ(w.CheckConfirmar->text(), "Confirmar antes de borrar");
    EXPECT_EQ(w.cmdHecho->toolTip(), "Borra solo los seleccionados de la lista. según opciones elegidas.");
    EXPECT_EQ(w.cmdOpciones->toolTip(), "Abre ventana de opciones de borrado.");
    EXPECT_EQ(w.Salir->toolTip(), "Cerrar ventana");
    EXPECT_EQ(w.AudioFilter->text(), "Filtros audio");
    EXPECT_EQ(w.TextNota->toPlainText(), "Pulsar Ctr+A, para seleccionar todos");
    EXPECT_EQ(w.TextAviso->toPlainText(),
              "Los archivos seleccionados para ser borrardos  \n"
              "al abrir un proyecto VIP donde se utilizaban\n"
              "Samplitude/Sequoia, los vuelve a generar.\n");
    EXPECT_EQ(w.ListAsociados->toolTip(),
              "Clic en un item, reproduce el audio. Botón dcho Stop, Doble clic en una ruta selecciona todos sus "
              "archivos.");
    w.CheckToolTip->click();
    EXPECT_TRUE(w.ListAsociados->toolTip().isEmpty());
    w.HScroll2->setValue(60);
    EXPECT_EQ(w.Label1->text(), "40");
    w.AudioFilter->trigger();
    EXPECT_TRUE(w.ListFilter->isHidden());
    w.cmdOpciones->click();
    EXPECT_FALSE(w.FrameOpciones->isHidden());
    EXPECT_FALSE(w.cmdHecho->isHidden());
    EXPECT_TRUE(answerer->messages().isEmpty());
}

TEST_F(AssociatedWindow, LoadScansTheFolderOfTheFirstListedProject)
{
    put("P/Take 1.h2", 5243);
    put("P/Take 1.hdp", 5243);
    put("P/Sub/Take 2.hdp", 5243);
    put("Otro/x.h2");
    Form1::setLines(form1().ListProyectos, {"1 --> " + win("P/Tema.vip"), "2 --> " + win("Otro/Tema.vip")});
    Form2 &w = form2();
    EXPECT_EQ(lines(w), (QStringList{" ", "Carpeta 1 -> D:\\P - 2 archivos  0.01 Mb. total", " ", win("P/Take 1.h2"),
                                     win("P/Take 1.hdp"), " ", "Carpeta 2 -> D:\\P\\Sub - 1 archivos  0.01 Mb. total",
                                     " ", win("P/Sub/Take 2.hdp")}));
    EXPECT_EQ(w.LabelTotal->text(), "3 archivos asociados en  2 Carpetas");
    EXPECT_TRUE(w.LabelTotFolder->text().startsWith("En  2 Carpetas escaneadas en un tiempo de : 00:00:00"))
        << w.LabelTotFolder->text().toStdString();
    EXPECT_EQ(General::NumAsociados, 3);
    EXPECT_EQ(General::TotalMbAsociados, 0.02);
    EXPECT_TRUE(w.ListFilter->isHidden());
    EXPECT_FALSE(w.cmdOpciones->isHidden());
    EXPECT_FALSE(w.TextAviso->isHidden());
    EXPECT_FALSE(w.TextNota->isHidden());
    EXPECT_TRUE(w.XP_BarFolder->isHidden());
    EXPECT_EQ(w.Timer1->interval(), 500);
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_TRUE(form1().LabelTime->isHidden());
    const unsigned before = w.TextAviso->property("backColour").toUInt();
    w.Timer1_Timer();
    EXPECT_NE(w.TextAviso->property("backColour").toUInt(), before);
    EXPECT_TRUE(answerer->messages().isEmpty());
}

TEST_F(AssociatedWindow, LoadThatFindsNothingSaysSo)
{
    put("P/a.wav");
    Form1::setLines(form1().ListProyectos,
                    {"1 --> " + win("P/a.vip"), "2 --> " + win("P/b.vip"), "3 --> " + win("P/c.vip")});
    Form2 &w = form2();
    EXPECT_EQ(w.ListAsociados->count(), 0);
    EXPECT_EQ(answerer->messages(), QStringList{"Asociados a Proyectos VIP | No hay archivos asociados en los 3 proyectos"});
    EXPECT_FALSE(w.Salir->isHidden());
}

TEST_F(AssociatedWindow, DroppedFoldersAreScannedTheLastOneStays)
{
    put("A/a.h2", 1048576);
    put("B/b.hdp", 2 * 1048576);
    put("B/c.hz");
    Form2 &w = form2();
    w.show();
    drop(w, {host("A"), host("B")});
    EXPECT_EQ(lines(w), (QStringList{" ", "Carpeta 1 -> D:\\B - 2 archivos  2 Mb. total", " ", win("B/b.hdp"),
                                     win("B/c.hz")}));
    EXPECT_EQ(w.LabelTotal->text(), "2 archivos asociados en  1 carpetas  2 Mb. total");
    EXPECT_TRUE(w.LabelTotFolder->text().startsWith("En  1 Carpetas escaneadas en un tiempo de : "));
    EXPECT_TRUE(w.LabelEstado->isHidden());
    // A dropped file is scanned as a folder: it finds nothing, and says why.
    drop(w, {host("A/a.h2")});
    EXPECT_EQ(w.ListAsociados->count(), 0);
    EXPECT_TRUE(w.LabelTotFolder->text().startsWith("1 Carpetas escaneadas en un tiempo de : "));
    EXPECT_EQ(w.LabelEstado->text(), "No es una carpeta: " + win("A/a.h2"));
}

TEST_F(AssociatedWindow, DropOfSomethingNotLocalSaysWhatCanBeDropped)
{
    put("A/a.h2");
    Form2 &w = dropped("A");
    drop(w, {"https://example.org/a.h2"});
    EXPECT_EQ(w.LabelEstado->text(), "Solo se pueden soltar carpetas o archivos de este equipo.");
    EXPECT_EQ(w.ListAsociados->count(), 4) << "the list stays as it was";
}

TEST_F(AssociatedWindow, RealDropOnTheListScansTheFolder)
{
    put("A/a.h2");
    Form2 &w = form2();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(host("A"))});
    const QPoint at = w.ListAsociados->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.ListAsociados->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent dropEvent(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.ListAsociados->viewport(), &dropEvent);
    QTRY_COMPARE(w.ListAsociados->count(), 4);
}

TEST_F(AssociatedWindow, FilterChangeIsSavedAndReachesTheNextScan)
{
    put("A/a.h2");
    put("A/a.hmp");
    Form2 &w = dropped("A");
    EXPECT_EQ(lines(w).mid(3), QStringList{win("A/a.h2")});
    w.ListFilter->item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(Settings::get(Form2::filterKey(1)), "True");
    EXPECT_EQ(Settings::get(Form2::filterKey(0)), "True");
    EXPECT_EQ(Settings::get(Form2::filterKey(4)), "False");
    EXPECT_EQ(General::ExtAsociados[2], "-") << "the table follows at the next drop";
    drop(w, {host("A")});
    EXPECT_EQ(lines(w).mid(3), (QStringList{win("A/a.h2"), win("A/a.hmp")}));
}

TEST_F(AssociatedWindow, ClickAuditionsTheAudioFileTheLineBelongsTo)
{
    // The main window plays the clicked line's audio: it is there, as in the program.
    form1();
    put("h2o/Take 1.h2");
    put("h2o/Take 1.wav");
    put("h2o/Take 2.hdp");
    put("h2o/x.hz");
    put("wavo/Take 1.wav");
    Form2 &w = dropped("h2o");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    ASSERT_EQ(lines(w), (QStringList{" ", "Carpeta 1 -> D:\\h2o - 3 archivos  0 Mb. total", " ", win("h2o/Take 1.h2"),
                                     win("h2o/Take 2.hdp"), win("h2o/x.hz")}));
    click(w, 3);
    EXPECT_EQ(player.played, QStringList{win("h2o/Take 1.wav")});
    EXPECT_FALSE(w.ImageICO->isHidden());
    click(w, 4); // its audio file is missing: nothing plays, nothing is said
    EXPECT_EQ(player.played.size(), 1);
    EXPECT_TRUE(w.TextSound->isHidden());
    click(w, 5); // "hz" belongs to no audio type
    EXPECT_FALSE(w.TextSound->isHidden());
    EXPECT_EQ(player.played.size(), 1);
    click(w, 1); // a header is deselected and plays nothing
    EXPECT_TRUE(w.ListAsociados->selectedItems().isEmpty());
    EXPECT_EQ(player.played.size(), 1);
    const int before = player.stops;
    click(w, 3, Qt::RightButton);
    EXPECT_GT(player.stops, before);
    select(w, {3, 4});
    w.ListAsociados_Click(); // two lines selected: no audition
    EXPECT_EQ(player.played.size(), 1);
    EXPECT_EQ(w.LabelSelec->text(), "2 seleccionados  0 Mb.");
}

TEST_F(AssociatedWindow, HeaderOfAFolderNamedLikeTheCaptionsIsAHeader)
{
    form1();
    put("Carpeta nueva/Take 1.h2");
    put("Carpeta nueva/Take 1.wav");
    Form2 &w = dropped("Carpeta nueva");
    click(w, 3);
    EXPECT_EQ(player.played, QStringList{win("Carpeta nueva/Take 1.wav")});
    w.ListAsociados->clearSelection();
    w.ListAsociados_DblClick(w.ListAsociados->item(1));
    EXPECT_EQ(selected(w), QStringList{win("Carpeta nueva/Take 1.h2")});
    EXPECT_EQ(w.LabelSelec->text(), "Seleccionados 1 archivos");
}

TEST_F(AssociatedWindow, SelectionKeysAndTheDoubleClickTakeFileLinesOnly)
{
    put("A/a.h2");
    put("A/b.h2");
    put("A/B/c.h2");
    Form2 &w = dropped("A");
    QTest::keyClick(w.ListAsociados, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(selected(w).isEmpty());
    selectAll(w);
    EXPECT_EQ(selected(w), (QStringList{win("A/a.h2"), win("A/b.h2"), win("A/B/c.h2")}));
    EXPECT_EQ(General::NumAsociados, 3);
    EXPECT_EQ(w.LabelSelec->text(), "3 seleccionados  0 Mb.");
    w.ListAsociados->clearSelection();
    w.ListAsociados_DblClick(w.ListAsociados->item(1));
    EXPECT_EQ(selected(w), (QStringList{win("A/a.h2"), win("A/b.h2")}));
    EXPECT_EQ(w.LabelSelec->text(), "Seleccionados 2 archivos");
}

TEST_F(AssociatedWindow, InsertHandsTheAudioOfTheHdpAndHmpLinesToThePlayer)
{
    put("A/Take 1.hdp");
    put("A/Take 2.HDP");
    put("A/Take 3.h2");
    Form2 &w = dropped("A");
    select(w, {3});
    QTest::keyClick(w.ListAsociados, Qt::Key_Insert);
    EXPECT_EQ(handed(w), QStringList{win("A/Take 1.wav")});
    selectAll(w);
    QTest::keyClick(w.ListAsociados, Qt::Key_Insert);
    EXPECT_EQ(handed(w), (QStringList{win("A/Take 1.wav"), win("A/Take 2.wav")}));
    EXPECT_EQ(player.copied, (QStringList{"Asociados para borrar", "Asociados para borrar"}));
    EXPECT_TRUE(selected(w).isEmpty());
}

TEST_F(AssociatedWindow, ItemUnderTheMouseIsShown)
{
    put("A/a.h2");
    Form2 &w = dropped("A");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::mouseMove(w.ListAsociados->viewport(), w.ListAsociados->visualItemRect(w.ListAsociados->item(3)).center());
    QTRY_COMPARE(w.LabelIndice->text(), QString(" Item: 4 "));
    EXPECT_FALSE(w.LabelIndice->isHidden());
}

TEST_F(AssociatedWindow, DeletesToTheTrashEveryFileLineKeepingHeadersAndBlanks)
{
    put("A/a.h2");
    put("A/B/b.hdp");
    Form2 &w = dropped("A");
    w.CheckBorrarPapelera->setChecked(true);
    w.ListAsociados->selectAll(); // headers and blank lines too
    w.cmdHecho->click();
    EXPECT_FALSE(QFileInfo::exists(host("A/a.h2")));
    EXPECT_FALSE(QFileInfo::exists(host("A/B/b.hdp")));
    EXPECT_TRUE(inTrash("a.h2"));
    EXPECT_TRUE(trashInfo("b.hdp").contains("Path=" + QUrl::toPercentEncoding(host("A/B/b.hdp"), "/")))
        << trashInfo("b.hdp").toStdString();
    EXPECT_EQ(lines(w), (QStringList{" ", "Carpeta 1 -> D:\\A - 0 archivos  0 Mb. total", " ", " ",
                                     "Carpeta 2 -> D:\\A\\B - 0 archivos  0 Mb. total", " "}));
    EXPECT_EQ(selected(w).size(), 6) << "headers and blanks stay, selected";
    EXPECT_EQ(w.TextBorrados->toPlainText(), "Todos los archivos seleccionados de la lista ha sido borrados.");
    EXPECT_FALSE(w.TextBorrados->isHidden());
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(w.lastOutcome().deleted, 2);
    EXPECT_FALSE(w.borrando());
}

TEST_F(AssociatedWindow, ReadOnlyFileStaysWhenDeletingForGood)
{
    put("A/a.h2");
    put("A/b.h2");
    ASSERT_EQ(::chmod(QFile::encodeName(host("A/b.h2")).constData(), 0444), 0);
    Form2 &w = dropped("A");
    selectAll(w);
    ASSERT_EQ(w.LabelSelec->text(), "2 seleccionados  0 Mb.");
    w.cmdHecho->click();
    EXPECT_FALSE(QFileInfo::exists(host("A/a.h2")));
    EXPECT_TRUE(QFileInfo::exists(host("A/b.h2")));
    // Every count is of the lines left.
    EXPECT_EQ(lines(w), (QStringList{" ", "Carpeta 1 -> D:\\A - 1 archivos  0 Mb. total", " ", win("A/b.h2")}));
    EXPECT_EQ(w.LabelSelec->text(), "1 seleccionados  0 Mb.");
    EXPECT_EQ(w.LabelTotal->text(), "1 archivos asociados en  1 carpetas  0 Mb. total");
    EXPECT_EQ(selected(w), QStringList{win("A/b.h2")});
    EXPECT_EQ(w.TextBorrados->toPlainText(), "Borrados: 1    Fallidos: 1");
    EXPECT_TRUE(w.LabelEstado->text().contains(win("A/b.h2") + "  ->  no se ha podido borrar: es de solo lectura"))
        << w.LabelEstado->text().toStdString();
    EXPECT_FALSE(w.LabelEstado->isHidden());
}

// A line leaves the list only when its file is really gone: a file replaced
// or gone since the scan is reported, and its line stays.
TEST_F(AssociatedWindow, FilesChangedSinceTheScanAreNotDeleted)
{
    put("A/a.h2");
    put("A/b.h2");
    put("A/c.h2");
    Form2 &w = dropped("A");
    QFile::remove(host("A/b.h2"));
    QFile::remove(host("A/c.h2"));
    put("A/c.h2", 99);
    selectAll(w);
    w.cmdHecho->click();
    EXPECT_TRUE(QFileInfo::exists(host("A/c.h2")));
    EXPECT_EQ(lines(w).mid(3), (QStringList{win("A/b.h2"), win("A/c.h2")}));
    EXPECT_EQ(w.TextBorrados->toPlainText(), "Borrados: 1    Fallidos: 2");
    EXPECT_TRUE(w.LabelEstado->text().contains(win("A/b.h2") + "  ->  no existe"));
}

TEST_F(AssociatedWindow, TrashFailureNeverDeletesForGood)
{
    put("A/a.h2");
    Form2 &w = dropped("A");
    Ops ops;
    ops.onTrash = [](const FileRecord &) { return ShellResult::failed("la papelera no acepta el archivo"); };
    w.setFileOps(&ops);
    w.CheckBorrarPapelera->setChecked(true);
    selectAll(w);
    w.cmdHecho->click();
    w.setFileOps(nullptr);
    EXPECT_EQ(ops.trashed, 1);
    EXPECT_EQ(ops.removed, 0);
    EXPECT_TRUE(QFileInfo::exists(host("A/a.h2")));
    EXPECT_EQ(selected(w), QStringList{win("A/a.h2")});
    EXPECT_TRUE(w.LabelEstado->text().contains("la papelera no acepta el archivo"));
}

TEST_F(AssociatedWindow, EachFileIsConfirmedBeforeItGoesToTheTrash)
{
    put("A/a.h2");
    put("A/b.h2");
    Form2 &w = dropped("A");
    w.CheckBorrarPapelera->setChecked(true);
    w.CheckConfirmar->setChecked(true);
    QStringList asked;
    Ask::setFunction([&](const QString &, const QString &text, const QStringList &) {
        asked << text;
        return asked.size() == 1 ? 0 : 1; // yes to the first, no to the second
    });
    selectAll(w);
    w.cmdHecho->click();
    EXPECT_EQ(asked.size(), 2);
    EXPECT_FALSE(QFileInfo::exists(host("A/a.h2")));
    EXPECT_TRUE(QFileInfo::exists(host("A/b.h2")));
    EXPECT_EQ(w.TextBorrados->toPlainText(), "Borrados: 1    Fallidos: 1");
}

TEST_F(AssociatedWindow, EmptyingTheTrashFirstAsksOnceAndNoDeletesWithoutEmptying)
{
    put("viejo.txt");
    ASSERT_TRUE(Trash::moveToTrash(host("viejo.txt")).done());
    put("A/a.h2");
    put("A/b.h2");
    Form2 &w = dropped("A");
    w.CheckVaciarPapelera->setChecked(true);
    int questions = 0;
    Ask::setFunction([&](const QString &, const QString &, const QStringList &) {
        ++questions;
        return 1; // no
    });
    selectAll(w);
    w.cmdHecho->click();
    EXPECT_EQ(questions, 1);
    EXPECT_TRUE(inTrash("viejo.txt"));
    EXPECT_FALSE(QFileInfo::exists(host("A/a.h2")));
    EXPECT_FALSE(QFileInfo::exists(host("A/b.h2")));
    EXPECT_TRUE(w.LabelSelec->isHidden()) << "nothing is selected any more";
    EXPECT_EQ(w.LabelTotal->text(), "0 archivos asociados en  0 carpetas  0 Mb. total");
}

// A long selection is deleted as one deletion: the trash emptied (when
// asked) once, before the first file, every file's outcome joined in order.
TEST_F(AssociatedWindow, ALongSelectionIsDeletedAsOneDeletion)
{
    put("viejo.txt");
    ASSERT_TRUE(Trash::moveToTrash(host("viejo.txt")).done());
    constexpr int kFiles = 8200;
    for (int i = 0; i < kFiles; ++i)
        put(QStringLiteral("A/t%1.h2").arg(i, 4, 10, QChar(u'0')));
    for (const char *keep : {"A/t0010.h2", "A/t8190.h2"})
        ASSERT_EQ(::chmod(QFile::encodeName(host(keep)).constData(), 0444), 0);
    Form2 &w = dropped("A");
    ASSERT_EQ(w.ListAsociados->count(), kFiles + 3);
    w.CheckVaciarPapelera->setChecked(true);
    int questions = 0;
    Ask::setFunction([&](const QString &, const QString &, const QStringList &) {
        ++questions;
        return 1; // the trash stays as it is
    });
    selectAll(w);
    w.cmdHecho->click();
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(w.lastOutcome().deleted, kFiles - 2);
    EXPECT_EQ(w.lastOutcome().failed, 2);
    const QString why = "  ->  no se ha podido borrar: es de solo lectura";
    EXPECT_EQ(w.lastOutcome().problems, (QStringList{win("A/t0010.h2") + why, win("A/t8190.h2") + why}));
    EXPECT_EQ(lines(w).mid(3), (QStringList{win("A/t0010.h2"), win("A/t8190.h2")}));
    EXPECT_EQ(selected(w), (QStringList{win("A/t0010.h2"), win("A/t8190.h2")}));
    EXPECT_EQ(w.LabelSelec->text(), "2 seleccionados  0 Mb.");
    EXPECT_FALSE(QFileInfo::exists(host("A/t8199.h2")));
}

TEST_F(AssociatedWindow, NothingSelectedSaysSoAndTheListStillAuditions)
{
    form1();
    put("A/Take.h2");
    put("A/Take.wav");
    Form2 &w = dropped("A");
    w.cmdHecho->click();
    EXPECT_EQ(answerer->messages(), QStringList{"Borrar asociados | No hay nada seleccionado"});
    click(w, 3);
    EXPECT_EQ(player.played, QStringList{win("A/Take.wav")});
}

// Nothing starts inside a running deletion: no scan, no unload; and no
// scan while the main window analyses.
TEST_F(AssociatedWindow, NoScanOrUnloadInsideARunningDeletion)
{
    put("A/a.h2");
    put("B/b.h2");
    Form2 &w = dropped("A");
    w.CheckBorrarPapelera->setChecked(true);
    w.CheckConfirmar->setChecked(true);
    bool wasLoaded = false;
    QStringList during;
    Ask::setFunction([&](const QString &, const QString &, const QStringList &) {
        drop(w, {host("B")});
        unloadForm2();
        w.close(); // the user closing it
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        wasLoaded = form2Loaded();
        during = lines(w);
        return 0;
    });
    selectAll(w);
    w.cmdHecho->click();
    EXPECT_TRUE(wasLoaded);
    EXPECT_EQ(during.mid(3), QStringList{win("A/a.h2")});
    EXPECT_FALSE(QFileInfo::exists(host("A/a.h2")));
    EXPECT_TRUE(QFileInfo::exists(host("B/b.h2")));

    form1().Decoding = true;
    drop(w, {host("B")});
    EXPECT_EQ(w.LabelEstado->text(), "Espere a que termine el análisis de proyectos.");
    EXPECT_EQ(lines(w).size(), 3);
    form1().Decoding = false;
}

TEST_F(AssociatedWindow, NoDeletionInsideARunningScan)
{
    put("A/a.h2");
    put("B/b.h2");
    put("P/unused.wav");
    Form2 &w = dropped("A");
    selectAll(w);
    form1().setUnusedList({win("P/unused.wav")}, {Fixtures::recordOf(host("P/unused.wav"))});
    ParaBorrar &other = paraBorrar();
    other.show();
    other.ListBorrar->selectAll();
    QString said;
    QTimer::singleShot(0, &w, [&] {
        ASSERT_TRUE(w.escaneando());
        w.cmdHecho->click();
        said = w.LabelEstado->text();
        other.cmdHecho->click();
    });
    drop(w, {host("B")});
    EXPECT_EQ(said, "Espere a que termine la búsqueda de archivos asociados.");
    EXPECT_TRUE(answerer->messages().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(host("A/a.h2")));
    EXPECT_TRUE(QFileInfo::exists(host("P/unused.wav")));
    other.close();
}

// Insert reads a long selection with the window's events running: no scan
// or deletion starts meanwhile, no key is taken, and the list stays.
TEST_F(AssociatedWindow, NothingStartsWhileInsertHandsALongSelectionOver)
{
    constexpr int kFiles = 1500;
    for (int i = 0; i < kFiles; ++i)
        put(QStringLiteral("A/t%1.hdp").arg(i));
    put("B/b.h2");
    Form2 &w = dropped("A");
    selectAll(w);
    bool inside = false, keyTaken = true;
    QString said;
    QTimer::singleShot(0, &w, [&] {
        inside = w.escaneando();
        drop(w, {host("B")});
        said = w.LabelEstado->text();
        w.cmdHecho->click();
        w.ListAsociados->clearSelection();
        selectAll(w);
        keyTaken = !selected(w).isEmpty();
    });
    w.ListAsociados_KeyDown(Qt::Key_Insert, {});
    EXPECT_TRUE(inside);
    EXPECT_EQ(said, "Espere a que termine la búsqueda de archivos asociados.");
    EXPECT_FALSE(keyTaken);
    EXPECT_EQ(handed(w).size(), kFiles);
    EXPECT_EQ(lines(w).size(), kFiles + 3);
    EXPECT_TRUE(QFileInfo::exists(host("A/t0.hdp")));
    EXPECT_TRUE(answerer->messages().isEmpty());
}

// A restore writes into the folders the window scans and deletes in: no
// scan or deletion starts inside it, and no restore inside a scan.
TEST_F(AssociatedWindow, NoScanOrDeletionInsideARestoreNorARestoreInsideAScan)
{
    // A restore let in where it must not be waits for an answer for ever.
    Watchdog watchdog;
    put("A/a.h2");
    put("C/c.h2");
    write("B/Archivos_Borrados.log", "Archivos borrados  12/31/2026 a las 23:59:59\r\n" + QByteArray(61, '-')
                                          + "\r\n" + win("R/back.wav").toLatin1() + "\r\n");
    write("B/back.wav", "b");
    put("R/keep.wav"); // the folder the file goes back to
    Form2 &w = dropped("A");
    Recuperar &r = recuperar();
    r.leerLog(win("B/Archivos_Borrados.log"));
    ASSERT_FALSE(r.cmdRecuperar->isHidden());

    QString said;
    duringRestore() = [&] {
        selectAll(w);
        w.cmdHecho_Click();
        said = w.LabelEstado->text();
        drop(w, {host("C")});
    };
    ShellCopy::setRestoreWriteForTest(writeAndAct);
    r.cmdRecuperar_Click();
    ShellCopy::setRestoreWriteForTest(nullptr);
    duringRestore() = nullptr;
    EXPECT_EQ(said, "Espere a que termine la recuperación de archivos.");
    EXPECT_TRUE(QFileInfo::exists(host("A/a.h2"))) << "nothing deleted inside the restore";
    EXPECT_EQ(lines(w).mid(3), QStringList{win("A/a.h2")}) << "no scan inside the restore";
    EXPECT_EQ(Form1::lines(r.ListRecuperar), QStringList{win("R/back.wav")});
    ASSERT_TRUE(QFile::remove(host("R/back.wav")));

    r.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Recuperar &again = recuperar();
    again.leerLog(win("B/Archivos_Borrados.log"));
    ASSERT_FALSE(again.cmdRecuperar->isHidden());
    bool restoredInside = true;
    QTimer::singleShot(0, &w, [&] {
        ASSERT_TRUE(w.escaneando());
        again.cmdRecuperar_Click();
        restoredInside = QFileInfo::exists(host("R/back.wav"));
    });
    drop(w, {host("C")});
    EXPECT_FALSE(restoredInside);
    again.cmdRecuperar_Click();
    EXPECT_TRUE(QFileInfo::exists(host("R/back.wav"))) << "once the scan is over";
}

// The main window's reset and a new analysis, pressed while the window
// scans, are refused: the window is never unloaded under its own loop.
TEST_F(AssociatedWindow, MainWindowWaitsForARunningScan)
{
    use(form2Peer());
    put("A/a.h2");
    put("B/b.h2");
    Form1 &f = form1();
    Form1::setLines(f.ListProyectos, {"1 --> " + win("A/a.vip")});
    Form2 &w = form2();
    bool stillLoaded = false;
    QTimer::singleShot(0, &w, [&] {
        ASSERT_TRUE(w.escaneando());
        f.cmdReset_Click();
        f.AbrirRuta(win("B"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        stillLoaded = form2Loaded();
    });
    drop(w, {host("B")});
    EXPECT_TRUE(stillLoaded);
    EXPECT_EQ(lines(w).mid(3), QStringList{win("B/b.h2")});
    EXPECT_EQ(f.ListProyectos->count(), 1);
    f.cmdAsociados->click(); // shown again, not loaded anew
    EXPECT_EQ(&form2(), &w);
    f.cmdReset_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(form2Loaded());
}

TEST_F(AssociatedWindow, UnloadSavesTheSettings)
{
    Settings::set("Form2.CheckBorrarPapelera", "1");
    Settings::set("HScroll2", "70");
    Form2 &w = form2();
    EXPECT_TRUE(w.CheckBorrarPapelera->isChecked());
    EXPECT_EQ(w.HScroll2->value(), 70);
    w.CheckConfirmar->setChecked(true);
    w.CheckToolTip->setChecked(true);
    w.Salir->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(form2Loaded());
    EXPECT_EQ(Settings::get("Form2.CheckConfirmar"), "1");
    EXPECT_EQ(Settings::get("Form2.CheckBorrarPapelera"), "1");
    EXPECT_EQ(Settings::get("Form2.CheckVaciarPapelera"), "0");
    EXPECT_EQ(Settings::get("Form2.CheckToolTip"), "1");
    EXPECT_EQ(Settings::get("HScroll2"), "70");
    EXPECT_TRUE(Settings::contains("Form2_Left"));
    EXPECT_TRUE(Settings::contains("Form2_Top"));
}

TEST_F(AssociatedWindow, FixedBackgroundsCarryTheirTextColourUnderADarkTheme)
{
    const DarkPalette dark;
    put("A/a.h2");
    Form2 &w = dropped("A");
    for (int blink = 0; blink < 2; ++blink) {
        EXPECT_EQ(unreadable(w.TextAviso), "") << blink;
        w.Timer1_Timer();
    }
    drop(w, {"https://example.org/a.h2"});
    EXPECT_EQ(unreadable(w.LabelEstado, QPalette::WindowText, QPalette::Window), "");
}
