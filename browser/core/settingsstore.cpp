#include "browser/core/settingsstore.h"

#include <QSettings>

namespace browser {
namespace {

QString Id(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}

std::optional<bool> ParseBool(const QString& text)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("1") || t == QLatin1String("-1"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("0"))
        return false;
    return std::nullopt;
}

} // namespace

QString LoadSetting(const SettingsStore& store, const QString& section, const QString& key, const QString& defaultValue)
{
    return store.text(section, key, defaultValue);
}

bool LoadSetting(const SettingsStore& store, const QString& section, const QString& key, bool defaultValue)
{
    if (!store.contains(section, key))
        return defaultValue;
    return ParseBool(store.text(section, key, QString())).value_or(defaultValue);
}

int LoadSetting(const SettingsStore& store, const QString& section, const QString& key, int defaultValue)
{
    if (!store.contains(section, key))
        return defaultValue;
    bool ok = false;
    const QString t = store.text(section, key, QString()).trimmed();
    const int v = t.toInt(&ok);
    if (ok)
        return v;
    // A value written as a decimal fraction is rounded, as a numeric conversion would.
    const double d = t.toDouble(&ok);
    return ok && d > -2147483648.0 && d < 2147483647.0 ? static_cast<int>(qRound64(d)) : defaultValue;
}

double LoadSetting(const SettingsStore& store, const QString& section, const QString& key, double defaultValue)
{
    if (!store.contains(section, key))
        return defaultValue;
    bool ok = false;
    const double v = store.text(section, key, QString()).trimmed().toDouble(&ok);
    return ok ? v : defaultValue;
}

void StoreSetting(SettingsStore& store, const QString& section, const QString& key, const QString& value)
{
    store.setText(section, key, value);
}

void StoreSetting(SettingsStore& store, const QString& section, const QString& key, const char* value)
{
    store.setText(section, key, QString::fromUtf8(value));
}

void StoreSetting(SettingsStore& store, const QString& section, const QString& key, bool value)
{
    store.setText(section, key, value ? QStringLiteral("True") : QStringLiteral("False"));
}

void StoreSetting(SettingsStore& store, const QString& section, const QString& key, int value)
{
    store.setText(section, key, QString::number(value));
}

void StoreSetting(SettingsStore& store, const QString& section, const QString& key, double value)
{
    store.setText(section, key, QString::number(value, 'g', 15));
}

IniSettingsStore::IniSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("MelwickEx"),
                                            QStringLiteral("MelwickEx")))
{
}

IniSettingsStore::IniSettingsStore(const QString& path)
    : settings_(std::make_unique<QSettings>(path, QSettings::IniFormat))
{
}

IniSettingsStore::~IniSettingsStore() = default;

bool IniSettingsStore::contains(const QString& section, const QString& key) const
{
    return settings_->contains(Id(section, key));
}

QString IniSettingsStore::text(const QString& section, const QString& key, const QString& defaultValue) const
{
    const QVariant v = settings_->value(Id(section, key));
    return v.isValid() ? v.toString() : defaultValue;
}

void IniSettingsStore::setText(const QString& section, const QString& key, const QString& value)
{
    settings_->setValue(Id(section, key), value);
}

void IniSettingsStore::sync()
{
    settings_->sync();
}

QString IniSettingsStore::fileName() const
{
    return settings_->fileName();
}

} // namespace browser
