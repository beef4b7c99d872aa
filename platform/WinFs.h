#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class Progress;

// Windows file semantics over the host file system, for Windows paths
// ("D:\a\b.wav", through the drive map).
//  - Names are found case-blind when the exact case is missing, as on NTFS,
//    and whatever the Unicode form of their accents (nameKey).
//  - Hidden = a name starting with "."; no file is a system file.
//  - A folder's entries come sorted by name, case-blind, so every run and
//    every machine sees the same order.
//  - Symbolic links to folders are listed but never walked into.
namespace WinFs {

struct Entry
{
    QString name;        // exact for a Windows name; a lossy rendering otherwise
    QByteArray raw;      // the name's bytes as the file system gave them
    bool isDir = false;
    bool isLink = false; // a symbolic link (to a folder: never walked)
    bool windowsName = true; // see isWindowsName()
};

// Whether a host name can stand in a Windows path as it is: valid UTF-8, not
// empty, none of \ / : * ? " < > | nor a control character, not ending in a
// dot or a blank, and not a reserved device name (CON, PRN, AUX, NUL, COM1-9,
// LPT1-9, with or without an extension). A file whose name is not one cannot
// be named in a list line without naming another file (or none), so it is
// never offered for deletion.
bool isWindowsName(QByteArrayView raw);
bool isWindowsName(const QString &name);

// The key under which names answer to one another: both in Unicode
// normalisation form C, then letters in either case (as
// QString::compare(..., Qt::CaseInsensitive) folds them). A name copied
// from another system may spell "ó" as "o" and a combining accent; a
// project spells it as one character: both have one key.
QString nameKey(QStringView name);
// nameKey(a) == nameKey(b), without making the keys of plain names.
bool sameName(QStringView a, QStringView b);

struct FileId
{
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileId &) const = default;
};

// What one look at a file tells (the file a symbolic link names; `isLink`
// tells whether the last component itself is a link).
struct FileStat
{
    bool exists = false;
    bool isDir = false;
    bool isFile = false;   // a regular file (not a pipe, device or folder)
    bool hidden = false;   // its name starts with "."
    bool isLink = false;
    qint64 size = -1;
    FileId id;
    quint64 links = 0;     // hard links to it
    qint64 mtimeNs = 0;    // last modification, nanoseconds since 1970
    bool caseBlind = false; // found through another letter case than written
};

// One stat of a Windows path: the name as written when it is there, else
// the first of its answers (see answers()) when a regular file answers,
// else what the resolution of each component case-blind reaches. `exists`
// false when it cannot be found. `host`, when given, receives the host path
// that was looked at.
FileStat statPath(const QString &windowsPath, QString *host = nullptr);

// A regular file that a Windows path names, as one look found it.
struct Answer
{
    QString path;  // the Windows path as the file system spells it
    QString host;
    FileStat stat; // isFile is true
};

// Every regular file (or link to one) that a Windows path may name, the
// exact spelling first: at each level of the path the name as written
// when it is there (a folder, or at the end a regular file), else every
// name of the folder that answers to it (nameKey), in listing order. So a
// path that exists as written has one answer; one whose spelling is not on
// the disk may have several, in several folders (and the program that
// wrote it opened one of them, it cannot be told which). A pipe, a device
// or a dangling link is never an answer. None when nothing answers.
std::vector<Answer> answers(const QString &windowsPath);

// The host path of a Windows path, found as statPath() finds it. "" when
// the drive is not mapped. A path that does not exist comes back as far as
// it could be resolved, the rest as given.
QString hostPath(const QString &windowsPath);

// The "directory query for normal files": true when the path names an
// existing regular file that is not hidden (hidden counts as missing): the
// name as written when it is there, else the first answer that is not
// hidden (see answers()). `host`, when given, receives its host path.
bool findNormalFile(const QString &windowsPath, QString *host = nullptr);

bool isDirectory(const QString &windowsPath);

// -1 when the file cannot be found.
qint64 fileSize(const QString &windowsPath);
QDateTime lastModified(const QString &windowsPath);

// The entries of a folder given as a host path, sorted case-blind,
// "." and ".." left out. An unreadable folder gives no entries.
// `progress`, when given, is pumped as the reading goes (a folder may hold
// tens of thousands of files): window events run meanwhile.
// `error`, when given, receives the system's error number of opening the
// folder (0 when it was read).
std::vector<Entry> listHostDir(const QString &hostDir, Progress *progress = nullptr);
std::vector<Entry> listHostDir(const QByteArray &hostDir, Progress *progress = nullptr, int *error = nullptr);
std::vector<Entry> listHostDir(const QByteArray &hostDir, int *error);

// The case-resolution cache keeps folder listings for the length of one
// analysis; drop it when a new run starts or files were moved.
void clearCache();

// While one lives, an analysis is looking at the files, with other commands
// kept out meanwhile (only such code sets one):
//  - a case-blind resolution that must read a folder (which may hold tens
//    of thousands of names) lets window events run through `progress`;
//  - what was seen of a folder a few milliseconds ago is taken as it is
//    now, without looking at the folder again: the looks of one analysis
//    are one picture of the disk, and a folder is not looked at again for
//    each of the thousands of files named in it.
class AnalysisLooks
{
public:
    explicit AnalysisLooks(Progress &progress);
    ~AnalysisLooks();
    AnalysisLooks(const AnalysisLooks &) = delete;
    AnalysisLooks &operator=(const AnalysisLooks &) = delete;

private:
    Progress *m_previous;
};

} // namespace WinFs
