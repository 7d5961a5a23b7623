#include "installer/profiles.h"

#include "installer/fileops.h"
#include "installer/textrules.h"

#include <QFile>

namespace installer {
namespace {

bool SameStat(const struct stat& a, const struct stat& b)
{
    return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_size == b.st_size
        && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

} // namespace

Profiles::Entry& Profiles::entry(const QString& file)
{
    auto it = files_.find(file);
    if (it != files_.end() && (it->second.dirty || it->second.pinned))
        return it->second; // our own pending writes win; a pinned file never changes
    struct stat st {};
    const bool exists = ::stat(QFile::encodeName(file).constData(), &st) == 0;
    if (it != files_.end()) {
        Entry& e = it->second;
        if (e.exists == exists && (!exists || SameStat(e.st, st)))
            return e;
    }
    Entry& e = files_[file];
    e = Entry();
    e.exists = exists;
    if (exists)
        e.st = st;
    e.readable = common::LoadIniFile(file, e.doc);
    if (!e.readable)
        e.doc = common::IniDocument();
    return e;
}

QString Profiles::read(const QString& file, QStringView section, QStringView key, const QString& fallback)
{
    return entry(file).doc.value(section, key, fallback);
}

const common::IniDocument& Profiles::document(const QString& file)
{
    return entry(file).doc;
}

bool Profiles::hasSection(const QString& file, QStringView section)
{
    return entry(file).doc.hasSection(section);
}

bool Profiles::save(const QString& file, Entry& e, QString* error)
{
    // Replaced in one step, and a link planted under the file's name is replaced rather
    // than followed out of the folder.
    if (const int failure = fs::WriteFileReplacing(file, e.doc.toBytes())) {
        if (error)
            *error = fs::SystemMessage(failure);
        return false;
    }
    e.dirty = false;
    e.exists = ::stat(QFile::encodeName(file).constData(), &e.st) == 0;
    return true;
}

bool Profiles::write(const QString& file, QStringView section, QStringView key, QStringView value)
{
    Entry& e = entry(file);
    if (!e.readable)
        return false; // never overwrite a file that could not be read
    const quint64 before = e.doc.revision();
    if (!e.doc.setValue(section, key, value))
        return false;
    const bool changed = e.doc.revision() != before;
    if (deferred_) {
        e.dirty = e.dirty || changed;
        return true;
    }
    if (!changed && e.exists)
        return true;
    if (!save(file, e, nullptr)) {
        forget(file);
        return false;
    }
    return true;
}

bool Profiles::removeSection(const QString& file, QStringView section)
{
    Entry& e = entry(file);
    if (!e.readable)
        return false;
    if (!e.doc.removeSection(section))
        return true;
    if (deferred_) {
        e.dirty = true;
        return true;
    }
    if (!save(file, e, nullptr)) {
        forget(file);
        return false;
    }
    return true;
}

bool Profiles::flush(QString* error)
{
    bool ok = true;
    for (auto it = files_.begin(); it != files_.end();) {
        Entry& e = it->second;
        if (e.dirty && !save(it->first, e, error)) {
            ok = false;
            it = files_.erase(it);
            continue;
        }
        ++it;
    }
    return ok;
}

void Profiles::forget(const QString& file)
{
    files_.erase(file);
}

void Profiles::startDocument(const QString& file, common::IniDocument::Encoding encoding)
{
    Entry& e = files_[file];
    e = Entry();
    e.doc = common::IniDocument::Empty(encoding);
    e.dirty = true;
}

void Profiles::pin(const QString& file)
{
    entry(file).pinned = true;
}

int FindKeyNumber(Profiles& profiles, const QString& file, const QString& section, const QString& prefix,
                  const QString& entry, Qt::CaseSensitivity cs)
{
    // The path part of an entry: a path may hold commas itself.
    const QString wanted = SplitPathEntry(entry).path;
    for (int n = 1;; ++n) {
        const QString value = profiles.read(file, section, prefix + QString::number(n));
        if (value.isEmpty() || SplitPathEntry(value).path.compare(wanted, cs) == 0)
            return n;
    }
}

KeyNumberIndex::KeyNumberIndex(Profiles& profiles, QString file, QString section, QString prefix, Qt::CaseSensitivity cs)
    : profiles_(profiles), cs_(cs), file_(std::move(file)), section_(std::move(section)), prefix_(std::move(prefix))
{
    advance();
}

QString KeyNumberIndex::keyOf(const QString& entry) const
{
    const QString field = SplitPathEntry(entry).path;
    return cs_ == Qt::CaseSensitive ? field : field.toCaseFolded();
}

void KeyNumberIndex::advance()
{
    for (;;) {
        const QString value = profiles_.read(file_, section_, prefix_ + QString::number(nextEmpty_));
        if (value.isEmpty())
            return;
        const QString field = keyOf(value);
        if (!first_.contains(field))
            first_.insert(field, nextEmpty_);
        ++nextEmpty_;
    }
}

int KeyNumberIndex::find(const QString& entry)
{
    return first_.value(keyOf(entry), nextEmpty_);
}

void KeyNumberIndex::written(int n, const QString& entry)
{
    if (entry.isEmpty() || n != nextEmpty_)
        return; // a replacement keeps its first field, so nothing changes
    advance();
}

} // namespace installer
