#pragma once
// The registry the installer writes: four roots of keys, each key holding typed values
// and sub-keys. Key and value names are compared ignoring case and keep the spelling
// they were created with. An empty key path is the root itself.
//
// FileRegistry keeps the whole registry in one text file that is replaced atomically on
// every change. Keys that a deletion leaves without values and sub-keys are removed
// with it, up the path, so that undoing an installation leaves the store as it was; a
// key created explicitly stays even when it is empty.

#include "installer/textrules.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace installer {

struct RegValue {
    enum class Type { String, ExpandString, Dword, Binary };
    Type type = Type::String;
    QString text;     // String, ExpandString
    quint32 dword = 0;
    QByteArray binary;

    static RegValue String(QString s) { return {Type::String, std::move(s), 0, {}}; }
    static RegValue Expand(QString s) { return {Type::ExpandString, std::move(s), 0, {}}; }
    static RegValue Dword(quint32 v) { return {Type::Dword, {}, v, {}}; }
    static RegValue Binary(QByteArray b) { return {Type::Binary, {}, 0, std::move(b)}; }
    bool operator==(const RegValue&) const = default;
};

class Registry {
public:
    virtual ~Registry() = default;
    virtual bool keyExists(RegRoot root, const QString& key) const = 0;
    /// Creates the key and every missing key above it.
    virtual bool createKey(RegRoot root, const QString& key) = 0;
    virtual std::optional<RegValue> value(RegRoot root, const QString& key, const QString& name) const = 0;
    /// Sets a value, creating the key when needed. An empty name is the key's default value.
    virtual bool setValue(RegRoot root, const QString& key, const QString& name, const RegValue& value) = 0;
    virtual bool deleteValue(RegRoot root, const QString& key, const QString& name) = 0;
    /// Deletes the key with everything below it. The roots themselves cannot be deleted.
    virtual bool deleteKey(RegRoot root, const QString& key) = 0;
    virtual QStringList subKeys(RegRoot root, const QString& key) const = 0;
    virtual QStringList valueNames(RegRoot root, const QString& key) const = 0;

    /// A value read as text: strings as they are, numbers in decimal; empty when absent.
    QString stringValue(RegRoot root, const QString& key, const QString& name) const;
};

/// The registry kept in one file.
class FileRegistry final : public Registry {
public:
    explicit FileRegistry(QString storePath);
    ~FileRegistry() override;

    bool keyExists(RegRoot root, const QString& key) const override;
    bool createKey(RegRoot root, const QString& key) override;
    std::optional<RegValue> value(RegRoot root, const QString& key, const QString& name) const override;
    bool setValue(RegRoot root, const QString& key, const QString& name, const RegValue& value) override;
    bool deleteValue(RegRoot root, const QString& key, const QString& name) override;
    bool deleteKey(RegRoot root, const QString& key) override;
    QStringList subKeys(RegRoot root, const QString& key) const override;
    QStringList valueNames(RegRoot root, const QString& key) const override;

    const QString& storePath() const { return path_; }
    /// The reason of the last failed load or save.
    QString lastError() const { return error_; }

    struct Node;

private:
    bool load() const;
    bool save();
    /// The key's node, or nullptr when the store cannot be read or the key is absent.
    const Node* find(RegRoot root, const QString& key) const;
    /// The key's node, created with its missing parents (the store must be loaded).
    Node* obtain(RegRoot root, const QString& key, bool* created);

    QString path_;
    mutable std::unique_ptr<Node> roots_[4];
    mutable struct stat loadedStat_ {};
    mutable bool loaded_ = false;
    mutable QString error_;
};

/// Splits a key text at its "\" separators, dropping empty parts ("/" belongs to names,
/// as in "text/plain").
QStringList KeyParts(const QString& key);

} // namespace installer
