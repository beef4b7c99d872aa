#pragma once

#include "platform/ShellResult.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <memory>
#include <vector>

class Progress;
class QDateTime;
struct FileRecord;

// Copying a file into a folder the way the desktop shell does it: the user
// is asked before a missing folder is created and before an existing file is
// replaced (through Ask), and a copy never leaves a partial file behind (it
// is written under a temporary name in the target folder, flushed, then
// renamed). The copy keeps the source's modification time.
namespace ShellCopy {

// Where a restored file goes: a folder below a drive's root, opened name by
// name without following a link, and the file's name in it.
struct RestoreTarget
{
    QByteArray root;     // host folder of the drive's root (it may be a link)
    QByteArray folder;   // the folders below the root, joined by "/"; empty: the root
    QByteArray name;     // the file's own name
    QString shownFolder; // the folder and the file as the user knows them
    QString shownFile;
};

// What the replace question tells of a file: its size in bytes and its
// modification time, in the user's formats.
QString fileFacts(qint64 bytes, const QDateTime &modified);

// Copies the regular file `sourceName` of the open folder `sourceFolderFd`
// (not through a link) to `target`. A missing folder is made, through the
// same walk, only after the user says yes to "La carpeta ... no existe";
// an existing file is replaced only after a yes to "Ya existe el archivo
// ..." (with the size and date of both files), and only while it is still
// that regular file (a link or a folder in
// its place is never replaced). The copy is written under a temporary name
// in the target folder and flushed, then named: without replacing anything
// when nothing was there. Done only when the file is in place with the
// source's length; Declined when the user kept the existing file; Failed
// with the reason otherwise (nothing left behind).
ShellResult restoreInto(int sourceFolderFd, const QByteArray &sourceName, const RestoreTarget &target);

// Tests make the restore's writes fail (a full disk): the call that writes
// the copy's bytes, ::write when unset.
using WriteCall = ssize_t (*)(int fd, const void *data, size_t size);
void setRestoreWriteForTest(WriteCall call);

// Backup copies of many files into one folder, made safe together: add()
// writes a whole copy under a hidden temporary name in the folder; commit()
// brings every copy added since the last commit to the disk at once (one
// flush for the lot rather than one per file), reads each back against its
// source byte for byte, then gives each good copy its name, never replacing
// a file that is there, and brings the names to the disk. Asks nothing: the
// caller has checked the folder and the names. A copy that is not
// committed, or fails, leaves nothing behind.
class Batch
{
public:
    // `folderFd` the open backup folder: the batch keeps its own handle of
    // it, and every copy and name goes through that handle, wherever the
    // folder's path leads meanwhile. `shownFolder` names it in messages.
    // `progress` (when given) is pumped between the pieces of a copy and of
    // its comparison, so that a long file does not hold the window.
    Batch(int folderFd, const QString &shownFolder, Progress *progress = nullptr);
    ~Batch();
    Batch(const Batch &) = delete;
    Batch &operator=(const Batch &) = delete;

    // Copies the recorded file, to come under its own name in the folder.
    // Failed, with the reason, when the file is not the recorded one any
    // more (it is opened without following a link and checked on the opened
    // file) or the copy cannot be written in full.
    ShellResult add(const FileRecord &source);

    // Copies waiting for commit(), and their bytes.
    int pending() const { return int(m_entries.size()); }
    qint64 pendingBytes() const { return m_bytes; }

    struct Committed
    {
        ShellResult result;
        bool differs = false; // the copy read back was not the source: it was dropped
        bool changed = false; // the source is not the recorded file any more
        QByteArray name;      // the copy's name in the folder, once named
        quint64 device = 0;   // and the copy's identity
        quint64 inode = 0;
    };
    // One result per add() that succeeded since the last commit, in order.
    // Done: the copy is on disk under its name, equal to its source byte for
    // byte, and its name is on disk too.
    std::vector<Committed> commit();

    // Takes back a copy that commit() named (one that no log line will name):
    // removed only while its name still holds that very copy.
    bool withdraw(const Committed &copy);

private:
    struct Entry;
    bool sameBytes(Entry &e, QString *why, bool *changed);
    void drop(Entry &e);
    void pump();

    QString m_folder;
    int m_folderFd = -1;
    Progress *m_progress = nullptr;
    std::vector<std::unique_ptr<Entry>> m_entries;
    qint64 m_bytes = 0;
    std::vector<char> m_a, m_b;
};

// Tests make a copy differ from its source between its writing and its
// comparison (a disk that kept other bytes): called with the copy's handle
// once add() has written it. Unset: nothing happens there.
using CopyWrittenCall = void (*)(int copyFd);
void setCopyWrittenForTest(CopyWrittenCall call);

} // namespace ShellCopy
