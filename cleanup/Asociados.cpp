#include "cleanup/Asociados.h"

#include "platform/DriveMap.h"
#include "platform/EventPump.h"
#include "platform/Trash.h"
#include "platform/WinFs.h"

#include <QFile>
#include <QSet>

#include <cerrno>

#include <dirent.h>
#include <sys/stat.h>

namespace Asociados {
namespace {

constexpr qint64 kMega = 1048576;

// Extensions that are never associated files, whatever the table says.
bool audioOProyecto(const QString &ext)
{
    static const QSet<QString> own = {QStringLiteral("vip"), QStringLiteral("wav"), QStringLiteral("aif"),
                                      QStringLiteral("ogg"), QStringLiteral("flc"), QStringLiteral("mp3"),
                                      QStringLiteral("mid")};
    return own.contains(ext);
}

} // namespace

const QStringList &tiposAudio()
{
    static const QStringList tipos = {QStringLiteral("WAV"), QStringLiteral("MP3"), QStringLiteral("AIF"),
                                      QStringLiteral("OGG"), QStringLiteral("FLAC")};
    return tipos;
}

General::Tabla tabla(const Filtro &seleccion)
{
    static const char *const pares[5][2] = {{"h2", "hdp"}, {"hm2", "hmp"}, {"ha2", "hap"}, {"hg2", "hgp"},
                                            {"hf2", "hfp"}};
    General::Tabla t;
    for (int i = 0; i < 5; ++i) {
        t[2 * i] = seleccion[i] ? QString::fromLatin1(pares[i][0]) : General::kSinExtension;
        t[2 * i + 1] = seleccion[i] ? QString::fromLatin1(pares[i][1]) : General::kSinExtension;
    }
    t[10] = QStringLiteral("hz");
    t[11] = QStringLiteral("hs");
    t[12] = QStringLiteral("vi~");
    return t;
}

bool esAsociado(const QString &name, const General::Tabla &tabla)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    // Most names are passed over here, before any text is made.
    if (dot < 0 || name.size() - dot - 1 > 3 || name.size() - dot - 1 == 0)
        return false;
    const QString ext = name.mid(dot + 1).toLower();
    if (audioOProyecto(ext))
        return false;
    for (const QString &e : tabla) {
        if (e != General::kSinExtension && e == ext)
            return true;
    }
    return false;
}

QString ExtensionAudio(const General::Tabla &tabla, const QString &ext)
{
    for (int i = 0; i < General::kExtensiones; ++i) {
        if (tabla[size_t(i)] == ext)
            return tabla[size_t(i)] == General::kSinExtension ? General::kSinExtension : General::ExtAudio[size_t(i)];
    }
    return General::kSinExtension;
}

QString audioDe(const QString &line, const General::Tabla &tabla)
{
    const qsizetype slash = line.lastIndexOf(u'\\');
    const qsizetype dot = line.lastIndexOf(u'.');
    if (dot < 0 || dot < slash)
        return {};
    const QString ext = line.mid(dot + 1);
    if (ext.isEmpty())
        return {};
    const QString audio = ExtensionAudio(tabla, ext.toLower());
    if (audio == General::kSinExtension)
        return {};
    return line.left(dot + 1) + audio;
}

double megas(qint64 bytes)
{
    if (bytes <= 0)
        return 0;
    // In whole hundredths, exactly: bytes * 100 / 1048576, a half to even.
    const qint64 whole = bytes / kMega;
    const qint64 rest = bytes % kMega;
    const qint64 scaled = rest * 100;
    qint64 cents = scaled / kMega;
    const qint64 remainder = scaled % kMega;
    if (remainder * 2 > kMega || (remainder * 2 == kMega && (cents % 2) == 1))
        ++cents;
    return double(whole) + double(cents) / 100.0;
}

QString textoMegas(double mb, const QLocale &locale)
{
    // Two decimals at most, trailing zeros dropped, no grouping.
    QString text = QString::number(mb, 'f', 2);
    while (text.contains(u'.') && (text.endsWith(u'0') || text.endsWith(u'.')))
        text.chop(1);
    return text.replace(u'.', locale.decimalPoint());
}

double totales(std::vector<Linea> &lines, const QLocale &locale, Progress *progress)
{
    qint64 total = 0;
    size_t looked = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (progress && (++looked & 4095) == 0)
            progress->pump();
        if (lines[i].role != Linea::Header || lines[i].totalled)
            continue;
        size_t j = i + 1;
        while (j < lines.size() && lines[j].role == Linea::Blank)
            ++j;
        qint64 n = 0;
        qint64 bytes = 0;
        for (; j < lines.size() && lines[j].role == Linea::File; ++j) {
            if (progress && (++looked & 4095) == 0)
                progress->pump();
            ++n;
            if (lines[j].record.size > 0)
                bytes += lines[j].record.size;
        }
        lines[i].text += QStringLiteral(" - ") + QString::number(n) + QStringLiteral(" archivos  ")
            + textoMegas(megas(bytes), locale) + QStringLiteral(" Mb. total");
        lines[i].totalled = true;
        total += bytes;
        i = j - 1;
    }
    return megas(total);
}

QString raiz(const QString &path)
{
    if (path.size() == 3)
        return path;
    return path.endsWith(u'\\') ? path.chopped(1) : path;
}

} // namespace Asociados

namespace Buscar {
namespace {

using Asociados::Caption;
using Asociados::Linea;

QString razonCarpeta(int error, const QString &folder)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("No existe la carpeta ") + folder;
    case ENOTDIR:
        return QStringLiteral("No es una carpeta: ") + folder;
    default:
        return QStringLiteral("No se puede leer la carpeta ") + folder + QStringLiteral(": ")
            + SafeFs::systemReason(error);
    }
}

// Whether a folder name is a trash folder of the desktop: ".Trash" of a
// volume, ".Trash-<uid>" of a volume, or (named "Trash") the user's own.
class Papeleras
{
public:
    Papeleras()
    {
        for (const QString &t : Trash::trashFolders()) {
            struct stat st;
            if (::stat(QFile::encodeName(t).constData(), &st) == 0)
                m_ids.insert(qMakePair(quint64(st.st_dev), quint64(st.st_ino)));
        }
    }
    bool es(const QByteArray &name, const QByteArray &host) const
    {
        if (name == ".Trash")
            return true;
        if (name.startsWith(".Trash-") && name.size() > 7) {
            for (qsizetype i = 7; i < name.size(); ++i) {
                if (name[i] < '0' || name[i] > '9')
                    return false;
            }
            return true;
        }
        // Only a folder of the name is looked at: no cost for the others.
        return name == "Trash" && idEs(host);
    }
    bool idEs(const QByteArray &host) const
    {
        struct stat st;
        return ::stat(host.constData(), &st) == 0 && m_ids.contains(qMakePair(quint64(st.st_dev), quint64(st.st_ino)));
    }

private:
    QSet<QPair<quint64, quint64>> m_ids;
};

QByteArray unir(const QByteArray &host, const QByteArray &name)
{
    return host.endsWith('/') ? host + name : host + '/' + name;
}

// Only a regular file is an associated file: a pipe or a device named like
// one would block its reading or its removal, and a link is not the file.
// Looked at only for the names that match, a few of a folder's.
bool esNormal(const QByteArray &host)
{
    struct stat st;
    return ::lstat(host.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

struct Coincidencia
{
    QString name;
    QByteArray raw;
    bool windowsName = true;
};

// A folder of the walk, as listed.
struct Carpeta
{
    QString line;          // its Windows path as the walk lists it
    QByteArray host;       // its host path, as bytes
    bool windowsNames = true; // its own and every folder name above can be Windows names
    std::vector<Coincidencia> files; // the associated files it holds, in listing order
};

class Escaneo
{
public:
    Escaneo(const General::Tabla &tabla, Progress &progress, Asociados::Resultado &r)
        : m_tabla(tabla), m_progress(progress), m_r(r)
    {
    }

    void recorrer(const QString &raiz, const QByteArray &host);
    void listar(QChar letter);

private:
    // Lists one folder's entries: its associated files into it, its
    // sub-folders (in listing order) into `subs`. False when it cannot be read.
    bool leer(Carpeta &c, std::vector<WinFs::Entry> &subs);

    const General::Tabla &m_tabla;
    Progress &m_progress;
    Asociados::Resultado &m_r;
    std::vector<Carpeta> m_carpetas;
    Papeleras m_papeleras;
    int m_barra = 1;
};

bool Escaneo::leer(Carpeta &c, std::vector<WinFs::Entry> &subs)
{
    int error = 0;
    // A folder of a hundred thousand files takes a while to read and sort:
    // the window's events run meanwhile.
    std::vector<WinFs::Entry> entries = WinFs::listHostDir(c.host, &m_progress, &error);
    if (error != 0)
        return false;
    size_t looked = 0;
    for (WinFs::Entry &e : entries) {
        if ((++looked & 255) == 0)
            m_progress.pump();
        if (e.isDir)
            subs.push_back(std::move(e));
        else if (Asociados::esAsociado(e.name, m_tabla) && esNormal(unir(c.host, e.raw)))
            c.files.push_back(Coincidencia{e.name, e.raw, e.windowsName});
    }
    return true;
}

void Escaneo::recorrer(const QString &raiz, const QByteArray &host)
{
    struct Pendiente
    {
        QString line;
        QByteArray host;
        bool windowsNames;
        bool entrar; // a link to a folder is listed, never entered
        QString padre;
    };
    m_carpetas.push_back(Carpeta{raiz, host, true, {}});
    std::vector<Pendiente> stack;
    // The root is read as the others are, its sub-folders pushed in reverse
    // so the first is walked first: parents before children, depth first.
    const auto abrir = [&](size_t index) {
        std::vector<WinFs::Entry> subs;
        if (!leer(m_carpetas[index], subs)) {
            if (index > 0)
                m_r.carpetasIlegibles << m_carpetas[index].line;
            return;
        }
        const Carpeta &c = m_carpetas[index];
        const QString base = c.line.endsWith(u'\\') ? c.line : c.line + u'\\';
        for (auto it = subs.rbegin(); it != subs.rend(); ++it) {
            const QByteArray subHost = unir(c.host, it->raw);
            // The trash keeps what the user threw away: never offered.
            if (m_papeleras.es(it->raw, subHost))
                continue;
            stack.push_back(Pendiente{base + it->name, subHost, c.windowsNames && it->windowsName, !it->isLink,
                                      c.line});
        }
    };
    abrir(0);
    while (!stack.empty() && !m_progress.cancelled()) {
        Pendiente p = std::move(stack.back());
        stack.pop_back();
        m_progress.setCaption(Caption::CarpetaActual, p.padre);
        m_progress.pump();
        ++m_r.NumCarpetasEscaneadas;
        m_progress.setCaption(Caption::CarpetasEncontradas,
                              QString::number(m_r.NumCarpetasEscaneadas) + QStringLiteral(" carpetas encontradas...."));
        m_r.carpetas << p.line;
        // An activity indicator cycling from 1 to 1000, not a share of the work.
        if (++m_barra > 999)
            m_barra = 1;
        m_progress.setValue(m_barra);
        m_carpetas.push_back(Carpeta{p.line, p.host, p.windowsNames, {}});
        if (p.entrar)
            abrir(m_carpetas.size() - 1);
    }
    m_progress.pump();
}

void Escaneo::listar(QChar letter)
{
    // Room for every line at once: a vector of half a million lines that
    // grows moves them all, again and again, each time in one stretch.
    size_t most = 0;
    for (const Carpeta &c : m_carpetas)
        most += c.files.empty() ? 0 : c.files.size() + 3;
    m_r.lines.reserve(most);
    QString ultima; // the last folder that received a header
    for (size_t i = 0; i < m_carpetas.size() && !m_progress.cancelled(); ++i) {
        Carpeta &c = m_carpetas[i];
        m_progress.setCaption(Caption::EscaneandoCarpeta, QStringLiteral("Escaneando carpeta = ") + QString::number(i));
        m_progress.pump();
        if (c.line.contains(QStringLiteral("RECYCLE")))
            continue;
        QString folder = c.line + u'\\';
        folder.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        for (const Coincidencia &f : c.files) {
            const QString line = c.line + u'\\' + f.name;
            if (!c.windowsNames || !f.windowsName) {
                m_r.pasadosPorAlto << line;
                continue;
            }
            if (folder != ultima) {
                ++m_r.NumCarpetasAsociados;
                m_r.lines.push_back(Linea{Linea::Blank, QStringLiteral(" "), {}, false});
                m_r.lines.push_back(Linea{Linea::Header,
                                          QStringLiteral("Carpeta ") + QString::number(m_r.NumCarpetasAsociados)
                                              + QStringLiteral(" -> ") + folder.chopped(1),
                                          {},
                                          false});
                m_r.lines.push_back(Linea{Linea::Blank, QStringLiteral(" "), {}, false});
                ultima = folder;
            }
            Linea l{Linea::File, line, {}, false};
            if (const auto record = FileRecord::take(letter, unir(c.host, f.raw)))
                l.record = *record;
            m_r.lines.push_back(std::move(l));
            ++m_r.NumAsociados;
            m_progress.pump();
        }
        // Its names are let go as it is done with: a million of them at
        // the end would be let go in one stretch.
        releaseInPieces(c.files, m_progress);
    }
    releaseInPieces(m_carpetas, m_progress);
}

} // namespace

QString ErrorCarpeta(const QString &windowsFolder)
{
    const QString host = WinFs::hostPath(windowsFolder);
    if (host.isEmpty())
        return QStringLiteral("La unidad de la ruta no está disponible: ") + windowsFolder;
    DIR *d = ::opendir(QFile::encodeName(host).constData());
    if (!d)
        return razonCarpeta(errno, windowsFolder);
    ::closedir(d);
    return {};
}

Asociados::Resultado BuscarAsociados(const QString &path, const General::Tabla &tabla, Progress &progress)
{
    Asociados::Resultado r;
    const QString raiz = Asociados::raiz(path);
    r.carpetas << raiz;
    r.NumCarpetasEscaneadas = 1;
    r.errorRaiz = ErrorCarpeta(raiz);
    const QByteArray host = QFile::encodeName(WinFs::hostPath(raiz));
    if (r.errorRaiz.isEmpty() && Papeleras().idEs(host))
        r.errorRaiz = QStringLiteral("Es una papelera de reciclaje; no se examina: ") + raiz;
    if (r.errorRaiz.isEmpty()) {
        Escaneo escaneo(tabla, progress, r);
        progress.setCaption(Caption::InicioRecorrido, {});
        progress.setRange(1, 1000);
        progress.setValue(1);
        escaneo.recorrer(raiz, host);
        progress.setCaption(Caption::FinRecorrido, {});
        escaneo.listar(raiz.isEmpty() ? QChar() : raiz[0].toUpper());
    }
    r.cancelled = progress.cancelled();
    return r;
}

} // namespace Buscar
