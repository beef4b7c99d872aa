#include "platform/FileRecord.h"
#include "platform/Trash.h"
#include "tests/support/Fixtures.h"
#include "tests/support/OrdinaryUser.h"
#include "tests/support/TrashFolders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <functional>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// "<uid>" in a path becomes the user's number.
QString u(const char *text)
{
    return QString::fromUtf8(text).replace(QStringLiteral("<uid>"), QString::number(::geteuid()));
}

bool under(const QString &path, const QString &folder)
{
    const QFileInfo info(path);
    const QString real = info.exists() ? info.canonicalFilePath() : QDir::cleanPath(path);
    return real == folder || real.startsWith(folder + u'/');
}

// Gives a folder and all it holds to user "nobody" (as root only).
bool giveAway(const QString &path)
{
    bool ok = ::lchown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
    for (const QFileInfo &e : QDir(path).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        ok = (e.isDir() && !e.isSymLink() ? giveAway(e.absoluteFilePath())
                                          : ::lchown(QFile::encodeName(e.absoluteFilePath()).constData(), 65534,
                                                     65534) == 0)
            && ok;
    return ok;
}

class TrashTest : public TrashFolders
{
public:
    // What the cases' set-ups use.
    using TrashFolders::folder;
    using TrashFolders::host;
    using TrashFolders::link;

    // The start of a case: the home trash under "home" (no volume), the
    // volume "vol" and the folder "victim", shaped as a trash with files in
    // it (mode 1777, as a shared trash), that a link planted where a trash
    // belongs points to.
    void start()
    {
        clear();
        volume("vol");
        for (const char *f : {"keep.wav", "files/keep.wav", "info/keep.wav.trashinfo", "<uid>/files/keep.wav",
                              "<uid>/info/keep.wav.trashinfo"})
            write("victim/" + u(f), "victim's bytes");
        ASSERT_EQ(::chmod(QFile::encodeName(host("victim")).constData(), 01777), 0);
    }
    QString victim(const char *rel = "") const { return host("victim/" + u(rel)); }
    // A trash with its "files" and "info" folders.
    bool trashAt(const QString &rel) { return folder(rel + "/files") && folder(rel + "/info"); }
    bool sticky(const QString &rel) { return folder(rel, 01777); }
};

// How a case sets up its folders; false when it could not.
using Plant = std::function<bool(TrashTest &)>;

} // namespace

// The trash of the mount a file lies on: the longest mount point that holds
// the file's real folder, the home trash when it lies on that mount too.
TEST_F(TrashTest, AFileGoesToTheTrashOfTheMountItLiesOn)
{
    struct Case
    {
        const char *what;
        const char *home;  // the data folder of the home trash
        const char *file;
        const char *trash; // nullptr: no trash can take it
        const char *path;  // the record's Path; nullptr: the absolute path
    };
    const Case cases[] = {
        {"on a volume: its own trash", "home", "vol/A/x.wav", "vol/.Trash-<uid>", "A/x.wav"},
        {"at a volume's top", "home", "vol/top.wav", "vol/.Trash-<uid>", "top.wav"},
        {"on a mount inside a mount: the inner one's", "home", "vol/inner/B/y.wav", "vol/inner/.Trash-<uid>", "B/y.wav"},
        {"a folder named like a volume is not on it", "home", "volume/z.wav", "home/Trash", nullptr},
        {"the home trash on the file's mount", "vol/home", "vol/A/w.wav", "vol/home/Trash", nullptr},
        {"the home trash on the outer mount", "vol/home", "vol/inner/v.wav", "vol/inner/.Trash-<uid>", "v.wav"},
        {"a shared trash with the sticky bit", "home", "shared/C/s.wav", "shared/.Trash/<uid>", "C/s.wav"},
        {"on no volume, with the home trash on one", "vol/home", "loose/u.wav", nullptr, nullptr},
    };
    volume("vol");
    volume("vol/inner");
    volume("shared");
    ASSERT_TRUE(sticky("shared/.Trash"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        setHome(c.home);
        const QString file = write(c.file, c.what);
        const ShellResult r = Trash::moveToTrash(Fixtures::recordOf(file));
        if (!c.trash) {
            EXPECT_EQ(r.outcome, ShellResult::Failed);
            EXPECT_FALSE(r.reason.isEmpty());
            EXPECT_EQ(readAll(file), c.what);
            continue;
        }
        ASSERT_TRUE(r.done()) << qPrintable(r.reason);
        EXPECT_FALSE(QFileInfo::exists(file));
        const QString trash = host(u(c.trash));
        const QString name = QFileInfo(file).fileName();
        EXPECT_EQ(readAll(trash + "/files/" + name), c.what);
        const QByteArray info = readAll(trash + "/info/" + name + ".trashinfo");
        const QByteArray path = c.path ? QByteArray(c.path) : QFile::encodeName(file).toPercentEncoding("/");
        EXPECT_TRUE(info.contains("\nPath=" + path + "\n")) << info.constData();
    }
}

// Anyone who may write a disk's top folder may plant a link where a trash
// belongs: a trash that is a link at any level, or not the user's, is never
// used (the file stays, or goes to the volume's other trash).
TEST_F(TrashTest, ATrashThatIsALinkOrAnothersIsNeverUsed)
{
    struct Case
    {
        const char *what;
        Plant plant;
        const char *file;
        const char *trash; // nullptr: no trash can take it
        bool asRoot = false;
    };
    const Case cases[] = {
        {"the home trash is a link", [](TrashTest &t) { return t.link("home/Trash", t.victim()); }, "loose/a.wav",
         nullptr},
        {"the home trash's files is a link",
         [](TrashTest &t) { return t.folder("home/Trash/info") && t.link("home/Trash/files", t.victim("files")); },
         "loose/a.wav", nullptr},
        {"the home trash's info is a link",
         [](TrashTest &t) { return t.folder("home/Trash/files") && t.link("home/Trash/info", t.victim("info")); },
         "loose/a.wav", nullptr},
        {"the volume's own trash is a link", [](TrashTest &t) { return t.link(u("vol/.Trash-<uid>"), t.victim()); },
         "vol/a.wav", nullptr},
        {"the volume's own trash's files is a link",
         [](TrashTest &t) {
             return t.folder(u("vol/.Trash-<uid>/info")) && t.link(u("vol/.Trash-<uid>/files"), t.victim("files"));
         },
         "vol/a.wav", nullptr},
        {"the volume's own trash's info is a link",
         [](TrashTest &t) {
             return t.folder(u("vol/.Trash-<uid>/files")) && t.link(u("vol/.Trash-<uid>/info"), t.victim("info"));
         },
         "vol/a.wav", nullptr},
        {"the volume's own trash is a file",
         [](TrashTest &t) { return Fixtures::writeFile(t.host(u("vol/.Trash-<uid>")), "x"); }, "vol/a.wav", nullptr},
        {"the shared trash is a link", [](TrashTest &t) { return t.link("vol/.Trash", t.victim()); }, "vol/a.wav",
         "vol/.Trash-<uid>"},
        {"the shared trash has no sticky bit",
         [](TrashTest &t) { return t.trashAt(u("vol/.Trash/<uid>")) && t.folder("vol/.Trash", 0777); }, "vol/a.wav",
         "vol/.Trash-<uid>"},
        {"the user's folder of the shared trash is a link",
         [](TrashTest &t) { return t.sticky("vol/.Trash") && t.link(u("vol/.Trash/<uid>"), t.victim("<uid>")); },
         "vol/a.wav", "vol/.Trash-<uid>"},
        {"the shared trash's files is a link",
         [](TrashTest &t) {
             return t.folder(u("vol/.Trash/<uid>/info")) && t.sticky("vol/.Trash")
                 && t.link(u("vol/.Trash/<uid>/files"), t.victim("<uid>/files"));
         },
         "vol/a.wav", "vol/.Trash-<uid>"},
        {"the volume's own trash is another's",
         [](TrashTest &t) { return t.trashAt(u("vol/.Trash-<uid>")) && giveAway(t.host(u("vol/.Trash-<uid>"))); },
         "vol/a.wav", nullptr, true},
        {"the home trash's info is another's",
         [](TrashTest &t) { return t.trashAt("home/Trash") && giveAway(t.host("home/Trash/info")); }, "loose/a.wav",
         nullptr, true},
        {"the user's folder of the shared trash is another's",
         [](TrashTest &t) {
             return t.trashAt(u("vol/.Trash/<uid>")) && t.sticky("vol/.Trash")
                 && giveAway(t.host(u("vol/.Trash/<uid>")));
         },
         "vol/a.wav", "vol/.Trash-<uid>", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (c.asRoot && ::geteuid() != 0) {
            std::printf("skipped, only as root (no folder of another user can be made): %s\n", c.what);
            continue;
        }
        start();
        ASSERT_TRUE(c.plant(*this)) << "the case could not be set up";
        const QStringList victimBefore = tree("victim");
        const QString file = write(c.file, "the take");
        const ShellResult r = Trash::moveToTrash(Fixtures::recordOf(file));
        EXPECT_EQ(tree("victim"), victimBefore) << "nothing reached through the link";
        if (c.trash) {
            ASSERT_TRUE(r.done()) << qPrintable(r.reason);
            EXPECT_EQ(readAll(host(u(c.trash)) + "/files/a.wav"), "the take");
            continue;
        }
        EXPECT_EQ(r.outcome, ShellResult::Failed);
        EXPECT_FALSE(r.reason.isEmpty());
        EXPECT_EQ(readAll(file), "the take");
        for (const QString &i : trashInfos())
            EXPECT_TRUE(i.startsWith("victim/")) << qPrintable(i) << " left behind";
    }
}

// Emptying goes through the trash folders themselves: a trash of the user's
// that is a link, or another's, is left and reported; a link inside is
// removed, never what it points to; every other trash is still emptied.
TEST_F(TrashTest, EmptyingNeverFollowsALink)
{
    struct Case
    {
        const char *what;
        Plant plant;
        bool reported;
        const char *kept = "victim"; // a folder left exactly as it was
        bool asRoot = false;
        const char *emptied = nullptr; // a trash left with empty "files" and "info"
    };
    const Case cases[] = {
        {"the home trash is a link", [](TrashTest &t) { return t.link("home/Trash", t.victim()); }, true},
        {"the home trash's files is a link",
         [](TrashTest &t) { return t.folder("home/Trash/info") && t.link("home/Trash/files", t.victim("files")); },
         true},
        {"the home trash's info is a link",
         [](TrashTest &t) { return t.folder("home/Trash/files") && t.link("home/Trash/info", t.victim("info")); },
         true},
        {"the volume's own trash is a link", [](TrashTest &t) { return t.link(u("vol/.Trash-<uid>"), t.victim()); },
         true},
        {"the volume's own trash's files is a link",
         [](TrashTest &t) {
             return t.folder(u("vol/.Trash-<uid>/info")) && t.link(u("vol/.Trash-<uid>/files"), t.victim("files"));
         },
         true},
        {"the volume's own trash's info is a link",
         [](TrashTest &t) {
             return t.folder(u("vol/.Trash-<uid>/files")) && t.link(u("vol/.Trash-<uid>/info"), t.victim("info"));
         },
         true},
        {"the shared trash is a link", [](TrashTest &t) { return t.link("vol/.Trash", t.victim()); }, false},
        {"the user's folder of the shared trash is a link",
         [](TrashTest &t) { return t.sticky("vol/.Trash") && t.link(u("vol/.Trash/<uid>"), t.victim("<uid>")); },
         true},
        {"a shared trash without the sticky bit is no trash",
         [](TrashTest &t) {
             return t.trashAt(u("vol/.Trash/<uid>")) && Fixtures::writeFile(t.host(u("vol/.Trash/<uid>/files/x")), "x")
                 && t.folder("vol/.Trash", 0777);
         },
         false, "vol/.Trash"},
        {"links inside the trash",
         [](TrashTest &t) {
             return t.trashAt("home/Trash") && t.link("home/Trash/files/to-folder", t.victim())
                 && t.link("home/Trash/files/to-file", t.victim("keep.wav"))
                 && t.link("home/Trash/files/folder/deeper/to-folder", t.victim("files"))
                 && t.link("home/Trash/info/to-info", t.victim("info"))
                 && t.link("home/Trash/directorysizes", t.victim("keep.wav"));
         },
         false, "victim", false, "home/Trash"},
        {"the volume's own trash is another's",
         [](TrashTest &t) {
             return Fixtures::writeFile(t.host(u("vol/.Trash-<uid>/files/x")), "x") && t.folder(u("vol/.Trash-<uid>/info"))
                 && giveAway(t.host(u("vol/.Trash-<uid>")));
         },
         true, "vol", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (c.asRoot && ::geteuid() != 0) {
            std::printf("skipped, only as root (no folder of another user can be made): %s\n", c.what);
            continue;
        }
        start();
        // A trash of the user's that is sound, on a volume of its own.
        const QString other = ownTrash(volume("other"));
        ASSERT_TRUE(Fixtures::writeFile(other + "/files/old.wav", "old"));
        ASSERT_TRUE(Fixtures::writeFile(other + "/info/old.wav.trashinfo", "[Trash Info]\n"));
        ASSERT_TRUE(c.plant(*this)) << "the case could not be set up";
        const QStringList before = tree(c.kept);
        const QStringList victimBefore = tree("victim");
        ASSERT_FALSE(Trash::isEmpty());
        const ShellResult r = Trash::emptyAll();
        EXPECT_EQ(r.outcome, c.reported ? ShellResult::Failed : ShellResult::Done) << qPrintable(r.reason);
        EXPECT_EQ(tree(c.kept), before);
        EXPECT_EQ(tree("victim"), victimBefore);
        EXPECT_EQ(tree("other"), (QStringList{u(".Trash-<uid>"), u(".Trash-<uid>/files"), u(".Trash-<uid>/info")}));
        if (c.emptied) {
            EXPECT_EQ(tree(c.emptied), QStringList({"files", "info"}));
        }
        EXPECT_TRUE(Trash::isEmpty()) << "what is left is no trash of the user's";
    }
}

// On a real bind mount (as root): a file in a bind-mounted folder goes to
// that mount's own trash, although its device is the home trash's.
TEST_F(TrashTest, TheTrashOfABindMountIsTheMountsOwn)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a bind mount needs root; AFileGoesToTheTrashOfTheMountItLiesOn covers the rule";
    // In a mount namespace of this process where the system lets it: the
    // mount goes with the process, whatever happens to the test.
    if (::unshare(CLONE_NEWNS) == 0)
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    ASSERT_TRUE(folder("source"));
    ASSERT_TRUE(folder("bound ñ"));
    const QByteArray mountPoint = QFile::encodeName(host("bound ñ"));
    if (::mount(QFile::encodeName(host("source")).constData(), mountPoint.constData(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "no bind mount here: " << std::strerror(errno);
    struct Unmount
    {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{mountPoint};

    // The system's list holds it, with its odd name.
    ASSERT_TRUE(Trash::systemVolumes().contains(host("bound ñ")));
    struct stat a, b;
    ASSERT_EQ(::stat(mountPoint.constData(), &a), 0);
    ASSERT_EQ(::stat(QFile::encodeName(dir.path()).constData(), &b), 0);
    ASSERT_EQ(a.st_dev, b.st_dev) << "the device tells the mounts apart";
    // The test's own volumes: the system's mounts inside its folder.
    QStringList mine;
    for (const QString &v : Trash::systemVolumes())
        if (v.startsWith(dir.path() + u'/'))
            mine << v;
    Trash::setVolumes(mine);

    const QString take = write("bound ñ/A/take.wav", "take");
    ASSERT_TRUE(Trash::moveToTrash(Fixtures::recordOf(take)).done());
    EXPECT_FALSE(QFileInfo::exists(take));
    EXPECT_EQ(readAll(ownTrash(host("bound ñ")) + "/files/take.wav"), "take");
    EXPECT_TRUE(readAll(ownTrash(host("bound ñ")) + "/info/take.wav.trashinfo").contains("\nPath=A/take.wav\n"));
    EXPECT_EQ(readAll(ownTrash(host("source")) + "/files/take.wav"), "take") << "the mount's trash lies in its source";

    // The home trash on the mount takes the mount's files.
    setHome("bound ñ/home");
    const QString other = write("bound ñ/B/other.wav", "other");
    ASSERT_TRUE(Trash::moveToTrash(Fixtures::recordOf(other)).done());
    EXPECT_EQ(readAll(host("bound ñ/home/Trash/files/other.wav")), "other");

    // Emptying enters no folder that another volume is mounted on, even of
    // the same device.
    ASSERT_TRUE(folder("bound ñ/home/Trash/files/mounted"));
    write("victim/keep.wav", "victim's bytes");
    const QByteArray inner = QFile::encodeName(host("bound ñ/home/Trash/files/mounted"));
    ASSERT_EQ(::mount(QFile::encodeName(host("victim")).constData(), inner.constData(), nullptr, MS_BIND, nullptr), 0);
    Unmount second{inner};
    EXPECT_EQ(Trash::emptyAll().outcome, ShellResult::Failed);
    EXPECT_EQ(readAll(host("victim/keep.wav")), "victim's bytes");
    EXPECT_FALSE(QFileInfo::exists(host("bound ñ/home/Trash/files/other.wav")));
}

// No trash can take the file (a trash folder that cannot be made or written,
// on the file's own volume and in the home trash, or a move into "files"
// refused): the failure is reported, the file stays, and no record is left.
TEST_F(TrashTest, WithNoUsableTrashTheFileStaysAndNoRecordIsLeft)
{
    RUN_AS_ORDINARY_USER();
    struct Case
    {
        const char *what;
        Plant plant;
        const char *file;
    };
    const Case cases[] = {
        {"the volume's top takes no trash", [](TrashTest &t) { return t.folder("vol", 0555); }, "vol/A/a.wav"},
        {"the volume's trash takes no record",
         [](TrashTest &t) { return t.trashAt(u("vol/.Trash-<uid>")) && t.folder(u("vol/.Trash-<uid>/info"), 0500); },
         "vol/A/a.wav"},
        {"the volume's trash takes no file",
         [](TrashTest &t) { return t.trashAt(u("vol/.Trash-<uid>")) && t.folder(u("vol/.Trash-<uid>/files"), 0500); },
         "vol/A/a.wav"},
        {"the data folder takes no home trash", [](TrashTest &t) { return t.folder("home", 0555); }, "loose/a.wav"},
        {"the home trash takes no folder", [](TrashTest &t) { return t.folder("home/Trash", 0500); }, "loose/a.wav"},
        {"the home trash takes no record",
         [](TrashTest &t) { return t.trashAt("home/Trash") && t.folder("home/Trash/info", 0500); }, "loose/a.wav"},
        {"the home trash takes no file",
         [](TrashTest &t) { return t.trashAt("home/Trash") && t.folder("home/Trash/files", 0500); }, "loose/a.wav"},
        {"the file's folder lets nothing out", [](TrashTest &t) { return t.folder("loose", 0555); }, "loose/a.wav"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        start();
        const QString file = write(c.file, "the take");
        ASSERT_TRUE(c.plant(*this)) << "the case could not be set up";
        const ShellResult r = Trash::moveToTrash(Fixtures::recordOf(file));
        EXPECT_EQ(r.outcome, ShellResult::Failed);
        EXPECT_FALSE(r.reason.isEmpty());
        EXPECT_EQ(readAll(file), "the take") << "the file stays where it was";
        for (const QString &i : trashInfos())
            EXPECT_TRUE(i.startsWith("victim/")) << qPrintable(i) << " left behind";
        for (const char *trash : {"home/Trash", "vol/.Trash-<uid>"})
            EXPECT_TRUE(tree(u(trash) + "/files").isEmpty());
    }
}

// The suite's own trashes: this process, and every process it starts (the
// list goes with the environment), reach no trash outside the temporary
// folders.
TEST(TrashOfTheSuite, ReachesOnlyTemporaryTrashes)
{
    const QString temp = QDir(QDir::tempPath()).canonicalPath();
    EXPECT_TRUE(qEnvironmentVariableIsSet("VELMAR_TRASH_VOLUMES"));
    for (const QString &v : qEnvironmentVariable("VELMAR_TRASH_VOLUMES").split(u';', Qt::SkipEmptyParts))
        EXPECT_TRUE(under(v, temp)) << qPrintable(v);
    for (const QString &v : Trash::volumes())
        EXPECT_TRUE(under(v, temp)) << qPrintable(v);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    EXPECT_TRUE(under(data, temp)) << qPrintable(data);
    QTemporaryDir files;
    ASSERT_TRUE(Fixtures::writeFile(files.path() + "/take.wav", "take"));
    ASSERT_TRUE(Trash::moveToTrash(files.path() + "/take.wav").done());
    ASSERT_FALSE(Trash::trashFolders().isEmpty());
    for (const QString &t : Trash::trashFolders())
        EXPECT_TRUE(under(t, temp)) << qPrintable(t);
    EXPECT_TRUE(Trash::emptyAll().done());
}
