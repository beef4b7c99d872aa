#pragma once

#include <QByteArray>
#include <QString>

// Text files that the program writes into a folder (listings, the
// missing-files log), never through a symbolic link: a link planted where a
// listing or its folder stands would make the program replace a file
// outside the folders it analyses. The folder is held open, and every name
// below it is opened without following a link.
namespace NoLinkWrite {

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

    // The folder at a host path (the project folder, as the analysis read
    // it). Not open, with the reason in Spanish in *error, when it cannot be.
    static Folder open(const QString &hostFolder, QString *error);

    // The sub-folder `name` of this folder, made when it is missing. A link
    // of that name is refused (nothing is made or written), as is a file.
    Folder sub(const QString &name, QString *error) const;

    // Writes `bytes` as the file `name` of this folder, replacing a file of
    // that name whole or not at all (a new file renamed over it; the old
    // file's permissions are kept). A link of that name, or anything that is
    // not a plain file, is refused and left as it is. False with the reason
    // in Spanish in *error.
    bool write(const QString &name, const QByteArray &bytes, QString *error) const;

private:
    explicit Folder(int fd) : m_fd(fd) {}
    int m_fd = -1;
};

} // namespace NoLinkWrite
