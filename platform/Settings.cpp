#include "platform/Settings.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QSettings>

#include <memory>
#include <optional>

#include <sys/stat.h>

namespace Settings {
namespace {

const QString kGroup = QStringLiteral("Ruzvel");

std::unique_ptr<QSettings> g_store;
// What the last look at the file found, and the file as it was then (the
// store's own status is told once, when it reads the file).
FileCheck g_check;
QByteArray g_stamp;
// The file could not be read as it is written: nothing is written over it.
bool g_held = false;
// While it is held, what was set (a value) or removed (no value) since.
QHash<QString, std::optional<QString>> g_pending;

// A key or group name as the store writes it: "%XX" a Latin-1 character,
// "%UXXXX" a UTF-16 unit, "\" the "/" between groups, the rest UTF-8.
std::optional<QString> unescape(QByteArrayView raw)
{
    if (raw.contains('\0') || !raw.isValidUtf8())
        return std::nullopt;
    const auto hex = [&](qsizetype from, int digits) -> std::optional<ushort> {
        if (from + digits > raw.size())
            return std::nullopt;
        bool ok = false;
        const ushort v = raw.sliced(from, digits).toByteArray().toUShort(&ok, 16);
        return ok ? std::optional<ushort>(v) : std::nullopt;
    };
    QString out;
    qsizetype plain = 0;
    const auto flush = [&](qsizetype to) {
        out += QString::fromUtf8(raw.sliced(plain, to - plain));
    };
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\') {
            flush(i);
            out += u'/';
            plain = i + 1;
        } else if (raw[i] == '%') {
            if (i + 1 < raw.size() && raw[i + 1] == 'U') {
                if (const auto v = hex(i + 2, 4)) {
                    flush(i);
                    out += QChar(*v);
                    i += 5;
                    plain = i + 1;
                }
            } else if (const auto v = hex(i + 1, 2)) {
                flush(i);
                out += QChar(*v);
                i += 2;
                plain = i + 1;
            }
        }
    }
    flush(raw.size());
    return out;
}

// The file's key lines read line by line, as the store writes them (one key
// per line, every group under its "[name]" line), against what the store
// read from it.
FileCheck examine(QSettings &s)
{
    FileCheck c;
    // A file that could not be written (a full disk) reads as well as it
    // did: the store's access errors count only when the file cannot be
    // read, as looked at here.
    const QString status
        = s.status() == QSettings::FormatError ? QStringLiteral("el formato del archivo no es válido") : QString();
    QFile f(s.fileName());
    if (!f.exists()) {
        c.problem = status;
        return c;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        c.problem = QStringLiteral("no se puede leer el archivo: ") + f.errorString();
        return c;
    }
    QByteArray bytes = f.readAll();
    // The store skips a UTF-8 byte-order mark, and then takes the group
    // line after it for a format error (told only when it reads the file,
    // not when it finds it unchanged): the group is read as a group here
    // too, and the mark is what is named.
    const bool byteOrderMark = bytes.startsWith("\xEF\xBB\xBF");
    if (byteOrderMark)
        bytes.remove(0, 3);

    const QString group = s.group();
    while (!s.group().isEmpty())
        s.endGroup();
    const QStringList all = s.allKeys();
    const QSet<QString> read(all.cbegin(), all.cend());
    // Every value the program writes is a text: one read as a list (a comma
    // outside quotes) or as another type reads as no text at all.
    QSet<QString> notTextType;
    for (const QString &k : all) {
        if (s.value(k).typeId() != QMetaType::QString)
            notTextType.insert(k);
    }
    s.beginGroup(group);

    QString current; // "" outside any group, and under "[General]"
    QString notText; // the first key whose value is no UTF-8 text
    for (const QByteArray &whole : bytes.split('\n')) {
        QByteArrayView line(whole);
        // A NUL byte ends nothing here: a file saved as UTF-16 has one in
        // every line, and a name that holds one is no name.
        while (!line.isEmpty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.chop(1);
        while (!line.isEmpty() && (line.front() == ' ' || line.front() == '\t'))
            line = line.sliced(1);
        if (line.isEmpty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const qsizetype end = line.lastIndexOf(']');
            const auto name = unescape(line.sliced(1, (end < 0 ? line.size() : end) - 1));
            if (!name) {
                c.undecodable = true;
                current.clear();
                continue;
            }
            current = *name == QStringLiteral("General") ? QString()
                : *name == QStringLiteral("%General") ? QStringLiteral("General")
                                                       : *name;
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        QByteArrayView rawKey = line.first(eq < 0 ? line.size() : eq);
        while (!rawKey.isEmpty() && (rawKey.back() == ' ' || rawKey.back() == '\t'))
            rawKey.chop(1);
        const auto key = unescape(rawKey);
        if (!key) {
            c.undecodable = true;
            continue;
        }
        if (eq < 0)
            continue; // not a key line (the store's status says so)
        const QString full = current.isEmpty() ? *key : current + u'/' + *key;
        c.keys << full;
        if (!read.contains(full)) {
            c.notReadBack << full;
        } else if (notTextType.contains(full)) {
            c.notReadBack << full;
        } else if (!line.sliced(eq + 1).isValidUtf8()) {
            // Read, but not as written: a value saved in another code page
            // reads its accents as U+FFFD, and the next write keeps them so.
            c.notReadBack << full;
            if (notText.isEmpty())
                notText = full;
        }
    }
    if (c.undecodable)
        c.problem = QStringLiteral("no está escrito como texto UTF-8 (¿guardado como UTF-16?)");
    else if (!c.notReadBack.isEmpty() && c.notReadBack.first() == notText)
        c.problem = QStringLiteral("el valor de %1 no está escrito como texto UTF-8 (¿guardado en otra codificación?)")
                        .arg(notText);
    else if (!c.notReadBack.isEmpty())
        c.problem
            = QStringLiteral("hay líneas que no se leen tal como están escritas (%1)").arg(c.notReadBack.first());
    else if (byteOrderMark)
        c.problem = QStringLiteral("empieza con una marca de orden de bytes (BOM): guárdelo como UTF-8 sin ella");
    else
        c.problem = status;
    return c;
}

// The file's size and modification time, to tell whether it changed.
QByteArray stamp(const QString &file)
{
    struct stat st;
    if (::stat(QFile::encodeName(file).constData(), &st) != 0)
        return QByteArray();
    return QByteArray::number(qint64(st.st_size)) + ':' + QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.'
        + QByteArray::number(qint64(st.st_mtim.tv_nsec)) + ':' + QByteArray::number(quint64(st.st_ino));
}

void open()
{
    g_store = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Velmar"),
                                          QStringLiteral("Velmar"));
    g_store->beginGroup(kGroup);
    g_stamp = stamp(g_store->fileName());
    g_check = examine(*g_store);
    g_held = !g_check.ok();
}

QSettings &store()
{
    if (!g_store)
        open();
    return *g_store;
}

const std::optional<QString> *pending(const QString &key)
{
    if (!g_held)
        return nullptr;
    const auto it = g_pending.constFind(key);
    return it == g_pending.cend() ? nullptr : &*it;
}

} // namespace

QString get(const QString &key, const QString &defaultValue)
{
    QSettings &s = store();
    QString text;
    if (const auto *p = pending(key)) {
        if (!*p)
            return defaultValue;
        text = **p;
    } else {
        const QVariant v = s.value(key);
        if (!v.isValid())
            return defaultValue;
        text = v.toString();
    }
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

void set(const QString &key, const QString &value)
{
    QSettings &s = store();
    if (g_held)
        g_pending[key] = value;
    else
        s.setValue(key, value);
}

bool contains(const QString &key)
{
    QSettings &s = store();
    if (const auto *p = pending(key))
        return p->has_value();
    return s.contains(key);
}

void remove(const QString &key)
{
    QSettings &s = store();
    if (g_held)
        g_pending[key] = std::nullopt;
    else
        s.remove(key);
}

bool sync()
{
    store();
    if (g_held && !checkFile().ok())
        return false;
    store().sync();
    return store().status() == QSettings::NoError;
}

QString fileName()
{
    return store().fileName();
}

FileCheck checkFile()
{
    if (!g_store) {
        open();
        return g_check;
    }
    if (g_held) {
        if (stamp(g_store->fileName()) == g_stamp)
            return g_check;
        // Read anew: the file has changed, it may have been mended. A held
        // store has nothing of its own to write.
        g_store.reset();
        open();
        if (!g_held) {
            for (auto it = g_pending.cbegin(); it != g_pending.cend(); ++it) {
                if (it.value())
                    g_store->setValue(it.key(), *it.value());
                else
                    g_store->remove(it.key());
            }
            g_pending.clear();
        }
        return g_check;
    }
    // What is pending goes first: the file then holds what the store does.
    g_store->sync();
    g_stamp = stamp(g_store->fileName());
    g_check = examine(*g_store);
    g_held = !g_check.ok();
    return g_check;
}

int getInt(const QString &key, int defaultValue, int minimum, int maximum)
{
    bool ok = false;
    const int v = get(key).trimmed().toInt(&ok);
    if (!ok || v < minimum || v > maximum)
        return defaultValue;
    return v;
}

double getTwips(const QString &key, double defaultValue)
{
    QString t = get(key).trimmed();
    t.replace(u',', u'.');
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok ? v : defaultValue;
}

void reset()
{
    g_store.reset();
    g_held = false;
    g_pending.clear();
    g_check = FileCheck();
    g_stamp.clear();
}

} // namespace Settings
