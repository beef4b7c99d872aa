#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The deletion log "Archivos_Borrados.log" in the backup folder: one block
// per run (a header line "Archivos borrados  <date> a las <time>", a line of
// 61 "-", then the full path of each file deleted), Windows-1252 with CR LF,
// or UTF-8 with a byte-order mark once a path needs it. A new run adds its
// block after those of earlier runs, whose backups are still in the folder.
namespace DeletionLog {

QString fileName();
QString header(const QString &date, const QString &time);
QString dashes();

// The log of one run, open for the whole run. add() writes a line; sync()
// brings every line written so far to the disk. A file may be deleted only
// after sync() has returned true for its line: then a crash leaves a log
// that restores every file already deleted. (One sync for the lines of many
// files costs one flush instead of one per file.)
class Writer
{
public:
    Writer() = default;
    ~Writer();
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    // Opens (or creates) the log in the open folder `folderFd` and writes
    // the run's header lines, on disk when it returns true. The writer keeps
    // its own handle of that folder: the log is opened, and rewritten when it
    // turns to UTF-8, through it alone, wherever the folder's path leads
    // meanwhile. False, with the reason, when it cannot be written, or when
    // something other than a regular file (a link, a pipe, a folder) bears
    // the log's name: nothing is ever written through a link. Of an existing
    // log only its first and last bytes are read.
    bool open(int folderFd, const QString &date, const QString &time, QString *error);
    // Writes one line whole or not at all: a line that cannot be written in
    // full is taken back, so the log never ends in half a line.
    bool add(const QString &line, QString *error);
    bool sync(QString *error);
    void close();
    bool isOpen() const { return m_fd >= 0; }

private:
    bool write(const QStringList &lines, QString *error);
    bool switchToUtf8(QString *error);

    int m_dirFd = -1;
    int m_fd = -1;
    qint64 m_size = 0;
    bool m_utf8 = false;
};

// Whether `line`, written to a log, reads back as itself and names a backup
// copy called `backupName`: no line break or other control character, not
// taken for a header, a file name equal to the copy's. A file whose line
// would not is never deleted with a backup: the restore could not bring it
// back.
bool lineReadsBack(const QString &line, const QString &backupName);

// Why a log line names no file the restore may write, in the user's
// language; "" when it does. A line the restore may act on is a drive path
// ("X:\..."), collapsed within its drive, with no NUL or other control
// character, every name of it a name Windows allows, ending in an audio
// ending (only audio files are ever deleted with a backup).
QString lineProblem(const QString &line);

// A line of the log that is left out, with the reason.
struct Refused
{
    qint64 lineNumber = 0; // from 1
    QString shown;         // the line as it can be shown (controls made visible, long ones cut)
    QString reason;
};

// What the restore takes from a log.
struct Contents
{
    QString label;          // the header line of the newest run that lists files (else the newest)
    QStringList paths;      // each path once, in log order
    QStringList repeated;   // file names listed more than once (left out)
    std::vector<Refused> refused; // lines that cannot be restored (at most kMaxRefusedShown kept)
    qint64 refusedCount = 0;      // all of them
    bool cut = false;       // the log is longer than the reader's bound: only its start was read
    QString readError;      // why the file could not be read to its end; empty when it could
    qint64 bytesRead = 0;
};

constexpr int kMaxLineChars = 32767;
constexpr int kMaxRefusedShown = 1000;

// The bounds of reading a log. A deletion run logs some hundred thousand
// paths at most; a longer file is read up to the bound and said to be cut.
struct ReadLimits
{
    qint64 blockBytes = 256 * 1024; // read at a time
    qint64 maxBytes = qint64(64) << 20; // some times the longest log a run writes
    qint64 maxLines = 1000000;
};
// The bounds in force (tests make them small).
ReadLimits &readLimits();

// Reads the lines of a log: header and dash lines are skipped wherever they
// stand; blank lines and lines of NULs (the tail a crash leaves) are no
// lines. A file name listed more than once, in either letter case, is left
// out: one backup copy cannot go back to two folders. Lines `lineProblem`
// refuses are left out with their reason.
Contents read(const QStringList &lines);

// Reads the log open on `fd` (a regular file, from its current offset) a
// block at a time, never the whole file: Windows-1252, or UTF-8 after a
// byte-order mark; CR LF, LF or CR end a line. A line longer than
// kMaxLineChars is refused unread. `goOn` is called between lines and
// blocks, and between names as the repeated ones are set apart (it lets
// window events run); reading stops when it says false, and what it gives
// is then incomplete.
Contents readFile(int fd, const std::function<bool()> &goOn = {});

} // namespace DeletionLog
