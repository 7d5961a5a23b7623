#pragma once
// The per-user settings store of the workbench, addressed by section and key.
//
// Every value is kept as text; the typed helpers convert on the way in and out, and an
// absent or unreadable value yields the caller's default. The program uses an INI file
// under the user's configuration folder (application "MelwickEx"); tests use the
// in-memory store of testing/browser/memorysettingsstore.h.

#include <QString>
#include <memory>
#include <optional>

class QSettings;

namespace browser {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual bool contains(const QString& section, const QString& key) const = 0;
    /// The stored text, or `defaultValue` when the key is absent.
    virtual QString text(const QString& section, const QString& key, const QString& defaultValue) const = 0;
    virtual void setText(const QString& section, const QString& key, const QString& value) = 0;
    /// Writes pending changes to the medium (no-op for memory).
    virtual void sync() {}
};

// Typed access. Booleans are written "True"/"False" and read back case-insensitively
// (also "1"/"0" and "-1"); numbers are decimal with "." whatever the locale.
QString LoadSetting(const SettingsStore& store, const QString& section, const QString& key, const QString& defaultValue);
bool LoadSetting(const SettingsStore& store, const QString& section, const QString& key, bool defaultValue);
int LoadSetting(const SettingsStore& store, const QString& section, const QString& key, int defaultValue);
double LoadSetting(const SettingsStore& store, const QString& section, const QString& key, double defaultValue);

void StoreSetting(SettingsStore& store, const QString& section, const QString& key, const QString& value);
void StoreSetting(SettingsStore& store, const QString& section, const QString& key, const char* value);
void StoreSetting(SettingsStore& store, const QString& section, const QString& key, bool value);
void StoreSetting(SettingsStore& store, const QString& section, const QString& key, int value);
void StoreSetting(SettingsStore& store, const QString& section, const QString& key, double value);

/// Settings in an INI file (QSettings, IniFormat). The default location is the user's
/// configuration folder, organisation and application "MelwickEx".
class IniSettingsStore : public SettingsStore {
public:
    IniSettingsStore();                            // the user's own settings file
    explicit IniSettingsStore(const QString& path); // a given file
    ~IniSettingsStore() override;
    bool contains(const QString& section, const QString& key) const override;
    QString text(const QString& section, const QString& key, const QString& defaultValue) const override;
    void setText(const QString& section, const QString& key, const QString& value) override;
    void sync() override;
    QString fileName() const;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace browser
