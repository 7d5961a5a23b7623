#include "testing/browser/memorysettingsstore.h"

namespace browser {
namespace {

QString Id(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}

} // namespace

bool MemorySettingsStore::contains(const QString& section, const QString& key) const
{
    return values_.contains(Id(section, key));
}

QString MemorySettingsStore::text(const QString& section, const QString& key, const QString& defaultValue) const
{
    return values_.value(Id(section, key), defaultValue);
}

void MemorySettingsStore::setText(const QString& section, const QString& key, const QString& value)
{
    values_.insert(Id(section, key), value);
}

} // namespace browser
