#include "cleanup/DeletionLog.h"

#include "platform/Ansi.h"
#include "platform/EventPump.h"
#include "services/BuscarPaths.h"

#include <QHash>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace DeletionLog {

QString fileName()
{
    return QStringLiteral("Archivos_Borrados.log");
}

QString header(const QString &date, const QString &time)
{
    return QStringLiteral("Archivos borrados  ") + date + QStringLiteral(" a las ") + time;
}

QString dashes()
{
    return QString(61, u'-');
}

bool Writer::open(const QString &hostFolder, const QString &date, const QString &time, QString *error)
{
    m_file.setFileName(hostFolder + u'/' + fileName());
    // An existing log keeps the record of earlier runs: its backups are
    // still in this folder.
    QByteArray existing;
    if (m_file.exists()) {
        if (!m_file.open(QIODevice::ReadOnly)) {
            if (error)
                *error = m_file.errorString();
            return false;
        }
        existing = m_file.readAll();
        m_file.close();
    }
    m_utf8 = existing.startsWith("\xEF\xBB\xBF");
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    if (existing.isEmpty() && m_file.size() > 0)
        m_file.resize(0);
    if (!existing.isEmpty() && !existing.endsWith('\n')) {
        if (m_file.write("\r\n") != 2) {
            if (error)
                *error = m_file.errorString();
            return false;
        }
    }
    return write({header(date, time), dashes()}, error) && sync(error);
}

bool Writer::add(const QString &line, QString *error)
{
    if (!m_utf8 && !Ansi::canEncode(line) && !switchToUtf8(error))
        return false;
    return write({line}, error);
}

bool Writer::sync(QString *error)
{
    // The lines' bytes and the file's length: all a reader needs.
    if (!m_file.isOpen()) {
        if (error)
            *error = QStringLiteral("el registro no está abierto");
        return false;
    }
    const int fd = m_file.handle();
    const int failed = EventPump::runBlocking([fd] { return ::fdatasync(fd) == 0 ? 0 : errno; });
    if (failed != 0) {
        if (error)
            *error = QString::fromLocal8Bit(strerror(failed));
        return false;
    }
    return true;
}

void Writer::close()
{
    m_file.close();
}

bool Writer::write(const QStringList &lines, QString *error)
{
    QByteArray bytes;
    for (const QString &l : lines)
        bytes += (m_utf8 ? l.toUtf8() : Ansi::encode(l)) + "\r\n";
    if (m_utf8 && m_file.size() == 0)
        bytes.prepend("\xEF\xBB\xBF");
    if (m_file.write(bytes) != bytes.size() || !m_file.flush()) {
        if (error)
            *error = m_file.errorString().isEmpty() ? QStringLiteral("error de escritura") : m_file.errorString();
        return false;
    }
    return true;
}

bool Writer::switchToUtf8(QString *error)
{
    // A path that Windows-1252 cannot hold: the whole log becomes UTF-8
    // with a byte-order mark (never a "?" in place of a letter).
    const QString name = m_file.fileName();
    m_file.close();
    QFile in(name);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = in.errorString();
        return false;
    }
    const QStringList lines = Ansi::readLines(in.readAll());
    in.close();
    QSaveFile out(name);
    QByteArray bytes = "\xEF\xBB\xBF";
    for (const QString &l : lines)
        bytes += l.toUtf8() + "\r\n";
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    m_utf8 = true;
    m_file.setFileName(name);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    return true;
}

Contents read(const QStringList &lines)
{
    Contents out;
    QStringList paths;
    QHash<QString, QStringList> names; // file name -> the distinct paths naming it
    for (const QString &line : lines) {
        if (line.startsWith(QStringLiteral("Archivos borrados"))) {
            if (out.label.isEmpty())
                out.label = line;
            continue;
        }
        if (line.startsWith(QStringLiteral("------")) || line.trimmed().isEmpty())
            continue;
        QStringList &same = names[Buscar::Obtener_Nombre_Archivo(line)];
        if (same.contains(line))
            continue;
        same << line;
        paths << line;
    }
    for (const QString &p : std::as_const(paths)) {
        const QString name = Buscar::Obtener_Nombre_Archivo(p);
        if (names.value(name).size() > 1) {
            if (!out.repeated.contains(name))
                out.repeated << name;
            continue;
        }
        out.paths << p;
    }
    return out;
}

} // namespace DeletionLog
