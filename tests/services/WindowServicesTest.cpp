#include "services/ModAlpha.h"
#include "services/ModuleOpen.h"
#include "services/Dialogo.h"
#include "services/NameIcons.h"
#include "services/ModuleVersion.h"
#include "services/WindowPlace.h"
#include "tests/support/OrdinaryUser.h"
#include "tests/support/CLocale.h"
#include "platform/SpanishDate.h"

#include "platform/DriveMap.h"
#include "platform/Settings.h"
#include "tests/support/DialogAnswerer.h"
#include "tests/support/Fixtures.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFileIconProvider>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

TEST(ModAlpha, OpacityRoundsHalvesToTheEvenAlpha)
{
    const struct { int percent, alpha; } table[] = {
        {0, 0},    {1, 3},    {2, 5},    {3, 8},    {10, 26},  {20, 51},  {30, 76},
        {40, 102}, {50, 128}, {60, 153}, {70, 178}, {80, 204}, {90, 230}, {99, 252}, {100, 255},
    };
    for (const auto &row : table)
        EXPECT_EQ(ModAlpha::alphaFromPercent(row.percent), row.alpha) << row.percent;
    EXPECT_EQ(ModAlpha::alphaFromPercent(150), 255);
    EXPECT_EQ(ModAlpha::alphaFromPercent(-5), 0);
}

TEST(ModAlpha, AppliesTheOpacityToTheWindow)
{
    QWidget window;
    auto *child = new QWidget(&window);
    window.show();
    ModAlpha::AplicarAlpha(&window, 60);
    EXPECT_EQ(ModAlpha::alphaOf(&window), 153);
    ModAlpha::AplicarAlpha(child, 50); // a control: its window
    EXPECT_EQ(ModAlpha::alphaOf(&window), 128);
    ModAlpha::AplicarAlpha(&window, 0);
    EXPECT_EQ(ModAlpha::alphaOf(&window), 0);
    ModAlpha::AplicarAlpha(&window, 100);
    EXPECT_EQ(ModAlpha::alphaOf(&window), 255);
    ModAlpha::AplicarAlpha(nullptr, 50);
}

TEST(ModAlpha, StoredOpacityOutsideTheRangeOrNotANumberGivesTheDefault)
{
    const auto stored = [](const Settings::IntKey &key, const char *text) {
        Settings::set(key.key(), text);
        return key.value();
    };
    constexpr Settings::IntKey any = ModAlpha::opacityKey("HScroll1", 0);
    EXPECT_EQ(stored(any, "60"), 60);
    EXPECT_EQ(stored(any, " 60 "), 60);
    EXPECT_EQ(stored(any, "0"), 0);
    EXPECT_EQ(stored(any, "100"), 100);
    for (const char *bad : {"101", "-1", "-30", "5000", "abc", "transparente", "", "60.5", "1e2", "0x40", "6 0"})
        EXPECT_EQ(stored(any, bad), 100) << bad;
    EXPECT_EQ(any.valueOr(80), 80) << "another default";
    Settings::remove("HScroll1");
    EXPECT_EQ(any.value(), 100);

    constexpr Settings::IntKey window = ModAlpha::opacityKey("HScroll5");
    EXPECT_EQ(stored(window, "10"), 100) << "below the window's own minimum";
    EXPECT_EQ(stored(window, "20"), 20);
    Settings::remove("HScroll5");
}

TEST(ModAlpha, TopmostKeepsPlaceSizeAndVisibility)
{
    QWidget window;
    window.setGeometry(120, 140, 300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QPoint pos = window.pos();
    const QSize size = window.size();
    ModAlpha::setTopmost(&window, true);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), pos);
    EXPECT_EQ(window.size(), size);
    ModAlpha::setTopmost(&window, false);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), pos);

    QWidget hidden;
    ModAlpha::setTopmost(&hidden);
    EXPECT_TRUE(hidden.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(hidden.isVisible()) << "a hidden window is not shown by it";
    ModAlpha::setTopmost(nullptr);
}

TEST(WindowPlace, StoredPositionsOffEveryScreenAreNotUsed)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(WindowPlace::reachable(screen.topLeft() + QPoint(30, 40), QSize(300, 200)),
              screen.topLeft() + QPoint(30, 40));
    for (const QPoint far : {QPoint(-90000, 10), QPoint(10, 90000), QPoint(-400, -300)})
        EXPECT_EQ(WindowPlace::reachable(far, QSize(300, 200)), screen.topLeft()) << far.x() << "," << far.y();

    Settings::reset();
    QWidget w;
    w.resize(300, 200);
    constexpr Settings::PlaceKeys keys{{{"Prueba_Left"}, 150}, {{"Prueba_Top"}, 150}};
    Settings::set("Prueba_Left", "1350000");
    Settings::set("Prueba_Top", "300");
    EXPECT_TRUE(WindowPlace::stored(keys));
    WindowPlace::restore(&w, keys);
    EXPECT_EQ(w.pos(), screen.topLeft());
    Settings::set("Prueba_Left", "450");
    WindowPlace::restore(&w, keys);
    EXPECT_EQ(w.pos(), QPoint(30, 20));
    w.move(40, 60);
    WindowPlace::save(&w, keys);
    EXPECT_EQ(Settings::get("Prueba_Left"), "600");
    EXPECT_EQ(Settings::get("Prueba_Top"), "900");
    Settings::set("Prueba_Top", "abc"); // not a number: the default
    WindowPlace::restore(&w, keys);
    EXPECT_EQ(w.pos(), QPoint(40, 10));
    Settings::set("Prueba_Left", "");
    EXPECT_FALSE(WindowPlace::stored(keys)) << "no number in either";
    Settings::remove("Prueba_Left");
    Settings::remove("Prueba_Top");
    EXPECT_FALSE(WindowPlace::stored(keys));
}

TEST(WindowPlace, AWindowWithNoStoredPlaceOpensBesideTheMainWindowOffItsButtons)
{
    // On this executable's screen, a main window whose commands stand in a
    // column on its left; all frames as the usual title bar and border.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget main;
    const QMargins frame = WindowPlace::frameMargins(&main);
    const QRect buttons(QPoint(6, 4), QSize(150, 300)); // in the window
    WindowPlace::setMainWindow(&main, [&] { return buttons; });
    const auto buttonsOf = [&] { return buttons.translated(main.pos() + QPoint(frame.left(), frame.top())); };
    const struct
    {
        QRect main;   // its frame
        QSize window; // the small window
        const char *where;
    } table[] = {
        {{area.left(), area.top(), 300, 400}, {200, 150}, "right"},
        {{area.right() + 1 - 300, area.top() + 30, 300, 400}, {200, 150}, "left"},
        {area, {200, 150}, "off the buttons"},
        {area, {area.width() - 100, 150}, "off the buttons, narrower"},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.where);
        main.resize(row.main.size().shrunkBy(frame));
        main.move(row.main.topLeft()); // by its frame, as windows are placed
        QWidget w;
        w.setMinimumWidth(100);
        w.resize(row.window);
        WindowPlace::besideMain(&w);
        const QRect placed(w.pos(), w.size().grownBy(frame));
        EXPECT_TRUE(area.contains(placed)) << placed;
        EXPECT_FALSE(placed.intersects(buttonsOf())) << placed;
        if (QString(row.where) == "right") {
            EXPECT_EQ(placed.topLeft(), row.main.topRight() + QPoint(1, 0));
        }
        if (QString(row.where) == "left") {
            EXPECT_EQ(placed.topRight(), row.main.topLeft() - QPoint(1, 0));
        }
        if (QString(row.where) == "off the buttons") {
            EXPECT_EQ(placed.size(), row.window.grownBy(frame)) << "the size it had";
        }
    }

    // One not shown yet goes beside the main window where that stands when
    // it is shown; a stored place wins.
    QWidget later;
    later.resize(200, 150);
    main.resize(QSize(300, 400).shrunkBy(frame));
    main.move(area.topLeft());
    WindowPlace::besideMain(&later);
    main.move(area.right() + 1 - 300, area.top());
    later.show();
    EXPECT_LT(later.frameGeometry().right(), main.pos().x()) << "now on its left";
    EXPECT_GT(later.frameGeometry().right(), main.pos().x() - 20);
    later.hide();
    Settings::set("Prueba_Left", "450");
    Settings::set("Prueba_Top", "300");
    QWidget stored;
    stored.resize(200, 150);
    WindowPlace::besideMain(&stored);
    WindowPlace::restore(&stored, {{{"Prueba_Left"}, 0}, {{"Prueba_Top"}, 0}});
    stored.show();
    EXPECT_EQ(stored.pos(), QPoint(30, 20));
    Settings::remove("Prueba_Left");
    Settings::remove("Prueba_Top");
    WindowPlace::setMainWindow(nullptr, {});
}

TEST(ModuleVersion, VersionTextHasFourParts)
{
    EXPECT_EQ(ModuleVersion::versionText("1.0.0"), "1.0.0.0");
    EXPECT_EQ(ModuleVersion::versionText("3.0.0.93"), "3.0.0.93");
    EXPECT_EQ(ModuleVersion::versionText("2"), "2.0.0.0");
    EXPECT_EQ(ModuleVersion::versionText("65535.0.1.2"), "65535.0.1.2");
    for (const char *bad : {"", "1..2", "1.2.3.4.5", "65536.0", "1.x", "-1.0", "1.0 ", "+1.0"})
        EXPECT_EQ(ModuleVersion::versionText(bad), "") << bad;
    EXPECT_EQ(ModuleVersion::versionPrograma(), ModuleVersion::versionText(VELMAR_VERSION));
    EXPECT_EQ(ModuleVersion::versionPrograma().count(u'.'), 3);
}

TEST(ModuleVersion, OnlyTheProgramsOwnFileHasAVersion)
{
    const QString program = QCoreApplication::applicationFilePath();
    const QString version = ModuleVersion::versionPrograma();
    ASSERT_FALSE(version.isEmpty());
    EXPECT_EQ(ModuleVersion::VersionArchivo(program), version);
    EXPECT_EQ(ModuleVersion::VersionArchivo(program + ".EXE"), version) << "named as on Windows";
    const QString windows = DriveMap::instance().toWindows(program);
    EXPECT_EQ(ModuleVersion::VersionArchivo(windows + ".EXE"), version);
    EXPECT_EQ(ModuleVersion::VersionArchivo(windows), version);

    QTemporaryDir dir;
    const QString other = dir.filePath("otro.exe");
    ASSERT_TRUE(Fixtures::writeFile(other, "MZ no version here"));
    EXPECT_EQ(ModuleVersion::VersionArchivo(other), "");
    EXPECT_EQ(ModuleVersion::VersionArchivo(dir.filePath("falta.exe")), "");
    EXPECT_EQ(ModuleVersion::VersionArchivo(""), "");
    EXPECT_EQ(ModuleVersion::VersionArchivo(dir.path()), "") << "a folder";
}

namespace {

// Answers the next folder dialog with `host` ("" cancels it) and notes its
// title and whether it offered to create folders.
struct FolderAnswer
{
    QString title;
    bool readOnly = false;
    bool seen = false;
};

void answerFolderDialog(const QString &host, FolderAnswer *seen)
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, host, seen] {
        auto *fd = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!fd || !fd->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        seen->seen = true;
        seen->title = fd->windowTitle();
        seen->readOnly = fd->testOption(QFileDialog::ReadOnly);
        if (host.isEmpty()) {
            fd->reject();
            return;
        }
        fd->setDirectory(host);
        if (auto *edit = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            edit->setText(host);
        QMetaObject::invokeMethod(fd, "accept");
    });
    timer->start();
}

// The drive Q: is `folder` while one lives; the drives set before come back
// after it, also when a test stops early.
class DriveQ
{
public:
    explicit DriveQ(const QString &folder) : m_saved(qgetenv("VELMAR_DRIVES"))
    {
        qputenv("VELMAR_DRIVES", ("Q=" + folder).toUtf8());
        DriveMap::instance().reload();
    }
    ~DriveQ()
    {
        if (m_saved.isNull())
            qunsetenv("VELMAR_DRIVES");
        else
            qputenv("VELMAR_DRIVES", m_saved);
        DriveMap::instance().reload();
    }
    DriveQ(const DriveQ &) = delete;
    DriveQ &operator=(const DriveQ &) = delete;

private:
    QByteArray m_saved;
};

} // namespace

TEST(ModuleOpen, FolderDialogHasItsFixedTitleAndReturnsTheFolder)
{
    QTemporaryDir dir;
    const QString sub = dir.filePath("Muestras");
    ASSERT_TRUE(QDir().mkpath(sub));
    const DriveQ drive(dir.path());

    FolderAnswer seen;
    answerFolderDialog(sub, &seen);
    EXPECT_EQ(ModuleOpen::SeleccionarCarpeta(nullptr), "Q:\\Muestras");
    EXPECT_TRUE(seen.seen);
    EXPECT_EQ(seen.title, "Selecciona una carpeta para salvar los datos compilados");
    EXPECT_TRUE(seen.readOnly) << "no way to create a folder";

    FolderAnswer root;
    answerFolderDialog(dir.path(), &root);
    EXPECT_EQ(ModuleOpen::SeleccionarCarpeta(nullptr), "Q:\\") << "a drive root keeps its \\";

    FolderAnswer cancelled;
    answerFolderDialog("", &cancelled);
    EXPECT_EQ(ModuleOpen::SeleccionarCarpeta(nullptr), "");
    EXPECT_TRUE(cancelled.seen);

}

TEST(ModuleOpen, AFolderThatDoesNotExistIsNotChosen)
{
    // The dialog tells of the missing folder in a second dialog of its own
    // and stays open; the answerer closes both, nothing is chosen.
    QTemporaryDir dir;
    DialogAnswerer answerer;
    answerer.queuePath(dir.filePath("no existe"));
    EXPECT_EQ(ModuleOpen::SeleccionarCarpeta(nullptr), "");
    EXPECT_GE(answerer.answered(), 2);
}

TEST(NameIcons, NoDialogReadsTheFilesItLists)
{
    // A file whose name tells nothing, holding what a reader takes for a PDF
    // document: whatever reads it would as well read a file that never
    // answers (a link to /proc/kmsg) and hang.
    QTemporaryDir dir;
    const QString file = dir.filePath("documento");
    ASSERT_TRUE(Fixtures::writeFile(file, "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj\n<< /Type /Catalog >>\nendobj\n"));
    ASSERT_TRUE(QFileIconProvider().type(QFileInfo(file)).contains("PDF")) << "the desktop's own lookup reads it";
    EXPECT_FALSE(NameIcons::provider().type(QFileInfo(file)).contains("PDF"));
    EXPECT_FALSE(NameIcons::provider().icon(QFileInfo(file)).isNull());
    EXPECT_FALSE(NameIcons::provider().icon(QFileInfo(dir.path())).isNull());

    // Both dialogs list through it.
    int seen = 0;
    const auto check = [&](QDialog *d) {
        auto *fd = qobject_cast<QFileDialog *>(d);
        EXPECT_TRUE(fd && fd->iconProvider() == &NameIcons::provider());
        ++seen;
        d->reject();
    };
    whenModal(check);
    Dialogo::AbrirArchivo(nullptr, "Proyectos (*.vip)|*.vip", "t", QString());
    whenModal(check);
    ModuleOpen::SeleccionarCarpeta(nullptr);
    EXPECT_EQ(seen, 2);
}

TEST(Dialogo, ProjectsOfEitherCaseAreOffered)
{
    QTemporaryDir dir;
    for (const char *name : {"Tema.VIP", "otro.vip", "nota.txt"}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const DriveQ drive(dir.path());
    QStringList offered;
    whenModal([&](QDialog *d) {
        auto *view = d->findChild<QAbstractItemView *>(QStringLiteral("listView"));
        const auto rows = [&] { return view->model()->rowCount(view->rootIndex()); };
        EXPECT_TRUE(QTest::qWaitFor([&] { return rows() == 2; }, 5000));
        for (int i = 0; i < rows(); ++i)
            offered << view->model()->index(i, 0, view->rootIndex()).data().toString();
        d->reject();
    });
    Dialogo::AbrirArchivo(nullptr, "Proyectos (*.vip)|*.vip", "t", "Q:\\");
    offered.sort();
    EXPECT_EQ(offered, (QStringList{"Tema.VIP", "otro.vip"}));
}

namespace {

// Types `text` into a dialog's name box and presses Enter, or with
// `button` its accept button, as a person would.
void typeInto(QFileDialog *fd, const QString &text, bool button = false)
{
    auto *edit = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    auto *box = fd->findChild<QDialogButtonBox *>();
    ASSERT_TRUE(edit && box);
    edit->setText(text);
    if (!button) {
        QTest::keyClick(edit, Qt::Key_Return);
        return;
    }
    for (QAbstractButton *b : box->buttons())
        if (box->buttonRole(b) == QDialogButtonBox::AcceptRole) {
            EXPECT_TRUE(b->isEnabled());
            b->click();
        }
}

QString hostOf(const QFileDialog *fd)
{
    return QDir::cleanPath(fd->directory().absolutePath());
}

// A dialog still open after a few seconds is closed: a test fails, it
// never hangs.
struct DialogWatchdog
{
    DialogWatchdog()
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [] {
            ADD_FAILURE() << "a dialog stayed open";
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                d->reject();
        });
        timer.start(5000);
    }
    QTimer timer;
};

// A window of its own name: the owner of a dialog.
struct Owner
{
    explicit Owner(const char *name) { widget.setObjectName(QString::fromLatin1(name)); }
    QWidget widget;
};

} // namespace

TEST(Dialogo, ATypedWindowsPathOfAMappedDriveOpensThereInBothDialogs)
{
    QTemporaryDir dir;
    ASSERT_TRUE(Fixtures::writeFile(dir.filePath("Audio/Tema/Tema.vip"), "x"));
    const DriveQ drive(dir.path());
    const QString tema = QDir::cleanPath(dir.filePath("Audio/Tema"));
    for (const char *typed : {"Q:\\Audio\\Tema", "Q:/Audio/Tema", "q:\\audio\\tema\\"}) {
        SCOPED_TRACE(typed);
        const DialogWatchdog watchdog;
        QStringList seen;
        whenModal([&](QDialog *d) {
            auto *fd = static_cast<QFileDialog *>(d);
            typeInto(fd, QString::fromLatin1(typed));
            seen << hostOf(fd);
            typeInto(fd, QStringLiteral("Q:\\Audio\\Tema\\Tema.vip"), true);
        });
        EXPECT_EQ(Dialogo::AbrirArchivo(nullptr, "Proyectos (*.vip)|*.vip", "t", QString()),
                  "Q:\\Audio\\Tema\\Tema.vip");
        whenModal([&](QDialog *d) {
            auto *fd = static_cast<QFileDialog *>(d);
            typeInto(fd, QString::fromLatin1(typed), true);
            seen << hostOf(fd);
            typeInto(fd, QString()); // the folder it shows
        });
        EXPECT_EQ(ModuleOpen::SeleccionarCarpeta(nullptr), "Q:\\Audio\\Tema");
        EXPECT_EQ(seen, (QStringList{tema, tema})) << "the file dialog, then the folder dialog";
    }
}

TEST(Dialogo, TheDetailViewWritesDatesAsThePrograms)
{
    RUN_UNDER_C_LOCALE();
    QTemporaryDir dir;
    const QString file = dir.filePath("Tema.vip");
    ASSERT_TRUE(Fixtures::writeFile(file, "x"));
    const QDateTime when(QDate(2026, 12, 10), QTime(9, 5));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    }
    QString shown;
    whenModal([&](QDialog *d) {
        auto *details = d->findChild<QAbstractItemView *>(QStringLiteral("treeView"));
        auto *model = d->findChild<QFileSystemModel *>();
        if (details && model) {
            QModelIndex at;
            // The model lists the folder in the background.
            QTRY_VERIFY_WITH_TIMEOUT((at = model->index(file)).isValid() && model->lastModified(at).isValid(), 5000);
            shown = Dialogo::detailText(details, at.siblingAtColumn(3));
        }
        d->reject();
    });
    Dialogo::AbrirArchivo(nullptr, "Proyectos (*.vip)|*.vip", "t", dir.path());
    EXPECT_EQ(shown, SpanishDate::dateTime(when));
    EXPECT_EQ(shown, "10/12/26 9:05");
}

TEST(Dialogo, EachDialogStartsWhereItWasLastAnsweredElseAtTheProjectElseOnTheFirstDrive)
{
    QTemporaryDir dir;
    for (const char *folder : {"A", "B", "P"})
        ASSERT_TRUE(QDir(dir.path()).mkpath(folder));
    ASSERT_TRUE(Fixtures::writeFile(dir.filePath("A/Tema.vip"), "x"));
    const DriveQ drive(dir.path());
    Settings::reset();
    Owner form("Ventana"), other("Otra");
    for (Owner *o : {&form, &other})
        Settings::remove(Dialogo::folderKey(&o->widget));
    const QString root = QDir::cleanPath(dir.path());

    // Nothing remembered, no project shown: the first mapped drive, which the
    // sidebar names by its letter, as it does every drive.
    QStringList sidebar;
    whenModal([&](QDialog *d) {
        auto *view = d->findChild<QAbstractItemView *>(QStringLiteral("sidebar"));
        for (int i = 0; view && i < view->model()->rowCount(); ++i)
            sidebar << Dialogo::sidebarText(view, i);
        d->reject();
    });
    Dialogo::AbrirArchivo(&form.widget, "Proyectos (*.vip)|*.vip", "t", QString());
    EXPECT_EQ(sidebar, (QStringList{"Q:", "Z:"}));
    EXPECT_EQ(Dialogo::startFolder(&form.widget), root);

    // Each dialog keeps the folder it answered, a cancel keeps nothing.
    {
        DialogAnswerer answerer;
        answerer.queuePath(dir.filePath("A/Tema.vip"));
        answerer.queuePath(dir.filePath("B"));
        answerer.queuePath(QString());
        EXPECT_EQ(Dialogo::AbrirArchivo(&form.widget, "Proyectos (*.vip)|*.vip", "t", QString()), "Q:\\A\\Tema.vip");
        EXPECT_EQ(Dialogo::ElegirCarpeta(&other.widget, "t"), "Q:\\B");
        EXPECT_EQ(Dialogo::ElegirCarpeta(&form.widget, "t"), "");
    }
    EXPECT_EQ(Settings::get("Ventana_Dialogo"), "Q:\\A");
    EXPECT_EQ(Settings::get("Otra_Dialogo"), "Q:\\B");
    QString started;
    whenModal([&](QDialog *d) {
        started = hostOf(static_cast<QFileDialog *>(d));
        d->reject();
    });
    Dialogo::ElegirCarpeta(&form.widget, "t");
    EXPECT_EQ(started, root + "/A") << "where it was answered, also after a cancel";
    EXPECT_EQ(Dialogo::startFolder(&other.widget), root + "/B");

    // A remembered folder that is gone: the project shown; then the drive.
    Dialogo::setProjectFolder([] { return QStringLiteral("Q:\\P"); });
    ASSERT_TRUE(QDir(dir.filePath("A")).removeRecursively());
    EXPECT_EQ(Dialogo::startFolder(&form.widget), root + "/P");
    ASSERT_TRUE(QDir(dir.filePath("P")).removeRecursively());
    EXPECT_EQ(Dialogo::startFolder(&form.widget), root);
    Dialogo::setProjectFolder({});
    for (Owner *o : {&form, &other})
        Settings::remove(Dialogo::folderKey(&o->widget));
}

TEST(Dialogo, AFolderThatCannotBeListedIsPassedOverForTheNext)
{
    RUN_AS_ORDINARY_USER();
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("Cerrada"));
    QFile::setPermissions(dir.filePath("Cerrada"), QFileDevice::ExeOwner);
    const DriveQ drive(dir.path());
    Settings::set(Dialogo::folderKey(nullptr), "Q:\\Cerrada");
    QString start;
    whenModal([&](QDialog *d) {
        start = static_cast<QFileDialog *>(d)->directory().absolutePath();
        d->reject();
    });
    Dialogo::AbrirArchivo(nullptr, "Proyectos (*.vip)|*.vip", "t", "Q:\\Cerrada");
    QFile::setPermissions(dir.filePath("Cerrada"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    Settings::remove(Dialogo::folderKey(nullptr));
    EXPECT_EQ(QDir::cleanPath(start), QDir::cleanPath(dir.path()));
}
