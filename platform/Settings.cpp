#include "platform/Settings.h"

#include <QSettings>

#include <memory>

namespace Settings {
namespace {

std::unique_ptr<QSettings> g_store;

QSettings &store()
{
    if (!g_store) {
        g_store = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                              QStringLiteral("Velmar"), QStringLiteral("Velmar"));
        g_store->beginGroup(QStringLiteral("Ruzvel"));
    }
    return *g_store;
}

} // namespace

QString get(const QString &key, const QString &defaultValue)
{
    const QVariant v = store().value(key);
    if (!v.isValid())
        return defaultValue;
    return v.toString();
}

void set(const QString &key, const QString &value)
{
    store().setValue(key, value);
}

bool contains(const QString &key)
{
    return store().contains(key);
}

void remove(const QString &key)
{
    store().remove(key);
}

bool sync()
{
    store().sync();
    return store().status() == QSettings::NoError;
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
}

} // namespace Settings
