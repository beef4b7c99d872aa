#pragma once

#include "platform/FileRecord.h"
#include "platform/ShellCopy.h"
#include "platform/ShellResult.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Progress;

// The deletion of the unused files the user selected: to the trash or for
// good, optionally after a verified backup copy of each file recorded in the
// deletion log. It works on the exact files the analysis recorded and checks
// each right before it copies or removes it; the window only gathers the
// items and the options and shows the outcome.
namespace Deletion {

// Every file operation of a run, in one place, so that a test can make any
// of them fail. The default is the real thing.
class FileOps
{
public:
    virtual ~FileOps();

    // Empties every trash of the user (asking first).
    virtual ShellResult emptyTrash();
    // Sends the recorded file to the trash; with `confirm`, asks first
    // (declined leaves it). Never deletes for good.
    virtual ShellResult trash(const FileRecord &file, const QString &shown, bool confirm);
    // Deletes the recorded file for good, through `folder`, the open folder
    // that holds it. A failure's reason is its cause alone.
    virtual ShellResult remove(const SafeFs::Folder &folder, const FileRecord &file);
    // The same unless the file is read-only (a delete without force).
    virtual ShellResult removeUnlessReadOnly(const SafeFs::Folder &folder, const FileRecord &file);

    // Backup copies into the open backup folder (named `shown` in
    // messages), made safe together; `progress` is pumped inside long
    // copies and comparisons.
    virtual void beginCopies(const SafeFs::Folder &folder, const QString &shown, Progress &progress);
    virtual ShellResult addCopy(const FileRecord &file);
    virtual int pendingCopies() const;
    virtual qint64 pendingCopyBytes() const;
    virtual std::vector<ShellCopy::Batch::Committed> commitCopies();
    // Takes back a committed copy that no log line names.
    virtual bool withdrawCopy(const ShellCopy::Batch::Committed &copy);
    // The names already in the backup folder.
    virtual QList<QByteArray> namesIn(const SafeFs::Folder &folder, Progress &progress);

    // The deletion log of the open backup folder.
    virtual bool openLog(const SafeFs::Folder &folder, const QString &date, const QString &time, QString *why);
    virtual bool addLogLine(const QString &line, QString *why);
    virtual bool syncLog(QString *why);
    virtual void closeLog();

private:
    std::unique_ptr<ShellCopy::Batch> m_copies;
    struct Log;
    std::shared_ptr<Log> m_log;
};

// One selected file: the line as the user saw it and the file it names.
struct Item
{
    int row = 0; // its row in the window's list (the progress shows it)
    QString path;
    FileRecord record;
};

struct Options
{
    bool toTrash = false;     // else for good
    bool confirm = false;     // ask before each file goes (to the trash or for good)
    bool emptyTrashFirst = false;
    // For good: a read-only file is kept (and counted as failed).
    bool keepReadOnly = false;
    // A hidden file (a name that starts with ".") counts as absent, as a
    // search for normal files does not see it: neither copied nor deleted,
    // reported as not found. The associated-files deletion, which takes
    // every listed line, turns it off.
    bool hiddenCountsAsAbsent = true;
    // The backup folder (a Windows path); empty: no backup.
    QString backupFolder;
    QStringList protectedFolders; // honoured in every mode
    QString date, time;           // of the log's header line
    int rows = 0;                 // the list's length (the progress runs over it)
};

// What became of one item. NotReached: the run stopped (a cancel, or the
// log could not be written) before it came to the item, which was not
// touched (no copy, no line, the file where it was).
enum class Status { NotReached, Deleted, Skipped, Failed };

struct ItemResult
{
    Status status = Status::NotReached;
    QString reason;
};

struct Report
{
    std::vector<ItemResult> items; // one per item, in order
    int deleted = 0;
    int skipped = 0;
    int failed = 0;
    int notReached = 0;     // items the run never came to (see Status::NotReached)
    bool started = false;   // false: nothing was touched (see `stopped`)
    bool cancelled = false; // the user cancelled
    // Why the run stopped before its end, other than a cancel (the log could
    // not be written); empty when it did not.
    QString stopped;
    // One line per skipped or failed item with the reason, and per item not
    // reached when the log stopped the run.
    QStringList problems;
    // Of the skipped: those whose name was taken in the backup folder (by a
    // file there before the run, or copied earlier in it).
    int nameTaken = 0;
    // Why the trash was not emptied first, when the run was asked to and
    // could not ("" otherwise): the run did not do all it was asked.
    QString trashNotEmptied;
};

// Runs the deletion of `items`. `progress` shows the row reached, lets the
// window's events run and tells a cancel (seen between items); `onItem` is
// told each item's outcome as soon as it is known.
Report run(const std::vector<Item> &items, const Options &options, FileOps &files, Progress &progress,
           const std::function<void(size_t index, const ItemResult &)> &onItem = {});

} // namespace Deletion
