#pragma once
// A settings store kept in memory, for tests and benchmarks that must not touch the
// user's settings file.

#include "browser/core/settingsstore.h"

#include <QHash>

namespace browser {

/// Settings kept in memory.
class MemorySettingsStore : public SettingsStore {
public:
    bool contains(const QString& section, const QString& key) const override;
    QString text(const QString& section, const QString& key, const QString& defaultValue) const override;
    void setText(const QString& section, const QString& key, const QString& value) override;
    /// Every entry as "section/key" → text, for comparing whole stores in tests.
    const QHash<QString, QString>& entries() const { return values_; }
    void clear() { values_.clear(); }

private:
    QHash<QString, QString> values_;
};

} // namespace browser
