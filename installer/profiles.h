#pragma once
// INI access for the installer, with a cache like the system's profile cache: a file is
// parsed once and read from memory until it changes on disk. Writes go to the file at
// once, unless deferred for a batch (the uninstall definition is written in one go).

#include "common/ini.h"

#include <QHash>
#include <QString>
#include <map>
#include <memory>
#include <sys/stat.h>

namespace installer {

class Profiles {
public:
    /// ReadIniString: the value, or `fallback` when file, section or key is missing.
    /// Values have no length limit.
    QString read(const QString& file, QStringView section, QStringView key, const QString& fallback = {});
    /// WriteIniString: flushes pending writes of the file, then sets the value. True on
    /// success (with deferred writes: when the value could be recorded).
    bool write(const QString& file, QStringView section, QStringView key, QStringView value);
    bool removeSection(const QString& file, QStringView section);
    bool hasSection(const QString& file, QStringView section);
    /// The document as currently known (loaded on demand); empty when unreadable.
    const common::IniDocument& document(const QString& file);

    /// While deferred, writes stay in memory until flush().
    void setDeferred(bool deferred) { deferred_ = deferred; }
    /// Writes every changed file; false when one could not be written (`error` says why).
    bool flush(QString* error = nullptr);
    /// Starts `file` afresh as an empty document in `encoding`, to be written by flush()
    /// (or by the next write when not deferred).
    void startDocument(const QString& file, common::IniDocument::Encoding encoding);
    /// Forgets a file, e.g. after it was deleted or replaced.
    void forget(const QString& file);
    /// A file only this run uses (the definition's work copy): read once, never
    /// checked for changes again.
    void pin(const QString& file);

private:
    struct Entry {
        common::IniDocument doc;
        struct stat st {};
        bool exists = false;
        bool dirty = false;
        bool readable = true;
        bool pinned = false;
    };
    Entry& entry(const QString& file);
    bool save(const QString& file, Entry& e, QString* error);

    std::map<QString, Entry> files_;
    bool deferred_ = false;
};

/// FindKeyNumber: for n = 1, 2, … the first n whose value of prefix+n is empty, or whose
/// first comma field equals `entry`'s first field (ignoring case unless told otherwise:
/// paths on this system are case-sensitive).
int FindKeyNumber(Profiles& profiles, const QString& file, const QString& section, const QString& prefix,
                  const QString& entry, Qt::CaseSensitivity cs = Qt::CaseInsensitive);

/// The same answers as FindKeyNumber for a list that is only written through this index,
/// without reading the list again for every entry.
class KeyNumberIndex {
public:
    KeyNumberIndex(Profiles& profiles, QString file, QString section, QString prefix,
                   Qt::CaseSensitivity cs = Qt::CaseInsensitive);
    int find(const QString& entry);
    /// Records that `entry` was written at number n.
    void written(int n, const QString& entry);

private:
    void advance();
    QString keyOf(const QString& entry) const;
    Profiles& profiles_;
    Qt::CaseSensitivity cs_;
    QString file_, section_, prefix_;
    QHash<QString, int> first_; // folded first field -> lowest number
    int nextEmpty_ = 1;
};

} // namespace installer
