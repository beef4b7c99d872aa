#pragma once

#include "platform/ShellResult.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

#include <functional>
#include <optional>

// The exact file a list line names, as it was when it was listed: its host
// path as the file system gave the bytes, split at the root of its drive,
// and its identity. Whatever deletes, trashes or copies a listed file works
// from this record and checks it again right before it acts, so it never
// acts on another file that a name resolved again (case-blind, through a
// link, through "..") would reach.
struct FileRecord
{
    QByteArray root;   // host folder of the drive's root (it may be a link)
    QByteArray rel;    // the path below the root, names joined by "/"
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 mtimeNs = 0;

    bool isValid() const { return !root.isEmpty() && !rel.isEmpty(); }
    QByteArray host() const;
    // The last name of the path (the file's own name).
    QByteArray name() const;
    bool operator==(const FileRecord &) const = default;

    // Looks once at the file at `host` (exact bytes, a last name that is a
    // link not followed) below the root of drive `letter`. Nothing when the
    // path is not below that root, names "." or "..", or cannot be looked at.
    static std::optional<FileRecord> take(QChar letter, const QByteArray &host);

    // The records of many files of one folder: take(letter, host) for the
    // file `name` of the folder `hostFolder`, with the folder's part of the
    // checks made once.
    class InFolder
    {
    public:
        InFolder(QChar letter, const QByteArray &hostFolder);
        ~InFolder();
        InFolder(const InFolder &) = delete;
        InFolder &operator=(const InFolder &) = delete;
        std::optional<FileRecord> take(const QByteArray &name) const;

    private:
        QChar m_letter;
        QByteArray m_joined;    // the folder with its "/"
        QByteArray m_root;
        QByteArray m_relFolder; // below the root, with its "/" (or empty)
        bool m_below = false;   // the folder is below the root, by valid names
        int m_fd = -1;          // the folder, for looks at its files by name alone
    };
};
Q_DECLARE_METATYPE(FileRecord)

// File operations on recorded files that go through no link below the
// drive's root and act only while the record still names the same file.
namespace SafeFs {

// Why a record does not name its file any more (or never could be acted on).
struct Check
{
    // Replaced: another file bears the name now; Changed: the same file was
    // written to (its length or modification time differ).
    enum Status { Same, Missing, Replaced, Changed, Link, LinkInPath, NotFile, Unreachable };
    Status status = Unreachable;
    QString reason; // in the user's language; empty when Same

    bool ok() const { return status == Same; }
    ShellResult result() const { return ok() ? ShellResult::ok() : ShellResult::failed(reason); }
};

// A folder of a record's path, held open: every name below the drive's root
// was opened without following a link, so what is done through it happens
// in that folder, whatever is renamed meanwhile.
class Folder
{
public:
    Folder() = default;
    ~Folder();
    Folder(Folder &&other) noexcept;
    Folder &operator=(Folder &&other) noexcept;
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    // Opens the folder `rel` (names joined by "/", may be empty: the root)
    // below `root`. With `create`, missing folders are made on the way.
    static Folder open(const QByteArray &root, const QByteArray &rel, Check *why, bool create = false);
    // The folder that holds a record's file.
    static Folder parentOf(const FileRecord &record, Check *why);

private:
    int m_fd = -1;
};

// Whether `name` in `folder` is still the recorded file (a regular file,
// not a link, same device, inode, size and modification time).
Check compare(const Folder &folder, const QByteArray &name, const FileRecord &record);

// The same from the record alone.
Check check(const FileRecord &record);

// Opens the recorded file for reading, checked against the record on the
// opened file itself. -1 with the reason otherwise. The caller closes it.
int openForReading(const FileRecord &record, Check *why);

// From this length on, removing a file (freeing its blocks) may take the
// system long enough to hold the window: it is done beside the events.
constexpr qint64 kLongFileBytes = qint64(32) << 20;

// Whether a read-only file may be removed: a delete without force keeps a
// file that no one may write to (its mode grants no write permission) or
// that this process may not write to, as Windows keeps a read-only file.
enum class ReadOnly { Remove, Keep };

// Removes the recorded file for good. Done only when the file was the
// recorded one right before, and is gone after. A failure's reason is its
// cause alone ("permiso denegado"): the caller says what failed.
ShellResult remove(const FileRecord &record, ReadOnly readOnly = ReadOnly::Remove);
// The same through `folder`, the open folder that holds the file: it is
// checked, removed and looked for afterwards through that one handle.
ShellResult remove(const Folder &folder, const FileRecord &record, ReadOnly readOnly = ReadOnly::Remove);

// The names in an open folder ("." and ".." left out), in the order the
// folder gives them; `pump` (when given) is called every few hundred names
// (a folder may hold hundreds of thousands). Nothing, with `error` set to
// the system's error number, when it cannot be read.
QList<QByteArray> namesIn(const Folder &folder, const std::function<void()> &pump = {}, int *error = nullptr);

// Creates a file of a new hidden temporary name in the open folder
// `folderFd` (never an existing name, never through a link), open for
// reading and writing; its name in `name`. -1 with the system's error in
// `error` otherwise.
int createTemporary(int folderFd, QByteArray *name, int *error);

// Writes all of `size` bytes at the file's position; false with errno set
// otherwise (a disk that takes no byte at all is full: ENOSPC).
bool writeFully(int fd, const char *from, qint64 size);

// Reads exactly `size` bytes at `offset`; false on an error (errno set) or
// a file shorter than that.
bool readFully(int fd, char *into, qint64 size, qint64 offset);

// The reason a system error gives, in the user's language ("el disco está
// lleno" for a full disk).
QString systemReason(int error);

} // namespace SafeFs
