#include "services/ModuleVersion.h"

#include "platform/DriveMap.h"

#include <QCoreApplication>
#include <QFileInfo>

#ifndef VELMAR_VERSION
#error "VELMAR_VERSION must be defined by the build"
#endif

namespace ModuleVersion {
namespace {

// The host file a path names: a Windows path through the drive map, any
// other text as a host path.
QString hostFile(const QString &ruta)
{
    const QString host = DriveMap::instance().toHost(ruta);
    return host.isEmpty() ? ruta : host;
}

bool isProgram(const QString &host)
{
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    if (program.isEmpty())
        return false;
    const QFileInfo fi(host);
    return fi.isFile() && fi.canonicalFilePath() == program;
}

} // namespace

QString versionText(const QString &version)
{
    const QStringList parts = version.split(u'.');
    if (parts.size() > 4)
        return {};
    QStringList out;
    for (const QString &p : parts) {
        bool ok = false;
        const uint v = p.toUInt(&ok);
        // Only plain digits: no sign, no blanks.
        if (!ok || v > 65535 || p.isEmpty() || !p.front().isDigit() || !p.back().isDigit())
            return {};
        out << QString::number(v);
    }
    while (out.size() < 4)
        out << QStringLiteral("0");
    return out.join(u'.');
}

QString versionPrograma()
{
    return versionText(QStringLiteral(VELMAR_VERSION));
}

QString VersionArchivo(const QString &ruta)
{
    if (ruta.isEmpty())
        return {};
    QString host = hostFile(ruta);
    if (!isProgram(host)) {
        // The program's file named as on Windows, with ".EXE" after it.
        if (!host.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
            return {};
        host.chop(4);
        if (!isProgram(host))
            return {};
    }
    return versionPrograma();
}

} // namespace ModuleVersion
