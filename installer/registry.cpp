#include "installer/registry.h"

#include "common/atomicfile.h"
#include "installer/fileops.h"

#include <QFile>
#include <cerrno>
#include <cstring>

namespace installer {

struct FileRegistry::Node {
    QString name;
    std::map<QString, std::unique_ptr<Node>> children;        // by folded name
    std::map<QString, std::pair<QString, RegValue>> values;   // folded name -> (spelling, value)
    bool empty() const { return children.empty() && values.empty(); }
};

namespace {

const QByteArray kMagic = "Tovel! Setup registry 1";

QString Fold(const QString& s)
{
    return s.toCaseFolded();
}

int RootIndex(RegRoot root)
{
    return int(root);
}

// Key names in headers: "%" and characters that cannot stand in a line are escaped.
QString EscapeKeyPart(const QString& part)
{
    QString out;
    for (QChar c : part) {
        const char16_t u = c.unicode();
        if (u == '%' || u < 0x20 || u == 0x7F)
            out += QStringLiteral("%%%1").arg(uint(u), 2, 16, QLatin1Char('0'));
        else if (c.isSurrogate())
            out += QStringLiteral("%u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString EscapeString(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        const bool pair = c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        if (u == '"' || u == '\\') {
            out += QLatin1Char('\\');
            out += c;
        } else if (pair) {
            out += c;
            out += text[++i];
        } else if (u < 0x20 || u == 0x7F || c.isSurrogate()) {
            out += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out + QLatin1Char('"');
}

/// Reads a quoted string at `pos`; advances `pos` past it.
std::optional<QString> UnescapeString(const QString& line, qsizetype& pos)
{
    if (pos >= line.size() || line[pos] != QLatin1Char('"'))
        return std::nullopt;
    QString out;
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line[pos];
        if (c == QLatin1Char('"')) {
            ++pos;
            return out;
        }
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (++pos >= line.size())
            return std::nullopt;
        if (line[pos] == QLatin1Char('u')) {
            bool ok = false;
            if (line.size() - (pos + 1) < 4)
                return std::nullopt;
            const uint u = line.mid(pos + 1, 4).toUInt(&ok, 16);
            if (!ok)
                return std::nullopt;
            out += QChar(char16_t(u));
            pos += 4;
        } else {
            out += line[pos];
        }
    }
    return std::nullopt;
}

std::optional<QString> UnescapeKeyPart(const QString& part)
{
    QString out;
    for (qsizetype i = 0; i < part.size(); ++i) {
        if (part[i] != QLatin1Char('%')) {
            out += part[i];
            continue;
        }
        bool ok = false;
        if (i + 1 < part.size() && part[i + 1] == QLatin1Char('u')) {
            const uint u = part.mid(i + 2, 4).toUInt(&ok, 16);
            if (!ok || i + 5 >= part.size())
                return std::nullopt;
            out += QChar(char16_t(u));
            i += 5;
        } else {
            const uint u = part.mid(i + 1, 2).toUInt(&ok, 16);
            if (!ok || i + 2 >= part.size())
                return std::nullopt;
            out += QChar(char16_t(u));
            i += 2;
        }
    }
    return out;
}

QString FormatValue(const RegValue& v)
{
    switch (v.type) {
    case RegValue::Type::String:
        return QStringLiteral("str:") + EscapeString(v.text);
    case RegValue::Type::ExpandString:
        return QStringLiteral("expand:") + EscapeString(v.text);
    case RegValue::Type::Dword:
        return QStringLiteral("dword:%1").arg(v.dword, 8, 16, QLatin1Char('0'));
    case RegValue::Type::Binary: {
        QStringList bytes;
        for (char b : v.binary)
            bytes << QStringLiteral("%1").arg(uint(static_cast<unsigned char>(b)), 2, 16, QLatin1Char('0'));
        return QStringLiteral("hex:") + bytes.join(QLatin1Char(','));
    }
    }
    return {};
}

std::optional<RegValue> ParseValue(const QString& line, qsizetype pos)
{
    const QStringView rest = QStringView(line).mid(pos);
    if (rest.startsWith(u"str:") || rest.startsWith(u"expand:")) {
        const bool expand = rest.startsWith(u"expand:");
        qsizetype at = pos + (expand ? 7 : 4);
        const auto text = UnescapeString(line, at);
        if (!text || at != line.size())
            return std::nullopt;
        return expand ? RegValue::Expand(*text) : RegValue::String(*text);
    }
    if (rest.startsWith(u"dword:")) {
        bool ok = false;
        const uint v = rest.mid(6).toString().toUInt(&ok, 16);
        if (!ok || rest.size() != 14)
            return std::nullopt;
        return RegValue::Dword(v);
    }
    if (rest.startsWith(u"hex:")) {
        QByteArray bytes;
        const QStringView list = rest.mid(4);
        if (!list.isEmpty()) {
            for (const auto part : list.split(QLatin1Char(','))) {
                bool ok = false;
                const uint b = part.toUInt(&ok, 16);
                if (!ok || part.size() != 2)
                    return std::nullopt;
                bytes.append(char(b));
            }
        }
        return RegValue::Binary(bytes);
    }
    return std::nullopt;
}

void Serialize(const FileRegistry::Node& node, const QString& path, QString& out)
{
    // A key is written when it holds values or is empty; a key that only holds sub-keys
    // comes back with them. Roots are written only for their values.
    const bool root = !path.contains(QLatin1Char('\\'));
    if (root ? !node.values.empty() : (!node.values.empty() || node.children.empty()))
        out += QLatin1Char('[') + path + QStringLiteral("]\n");
    for (const auto& [folded, entry] : node.values) {
        out += entry.first.isEmpty() ? QStringLiteral("@") : EscapeString(entry.first);
        out += QLatin1Char('=') + FormatValue(entry.second) + QLatin1Char('\n');
    }
    for (const auto& [folded, child] : node.children)
        Serialize(*child, path + QLatin1Char('\\') + EscapeKeyPart(child->name), out);
}


using RootNodes = std::unique_ptr<FileRegistry::Node>[4];

bool SameStat(const struct stat& a, const struct stat& b)
{
    return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec
        && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// A "[ROOT\key\sub]" line: the key's node, created with its parents when new; null when
// the line names no root or an empty part.
FileRegistry::Node* OpenKeyLine(const QString& line, RootNodes& roots)
{
    const QStringList parts = line.mid(1, line.size() - 2).split(QLatin1Char('\\'));
    int rootIndex = -1;
    for (int r = 0; r < 4; ++r)
        if (parts.front() == RootName(RegRoot(r)))
            rootIndex = r;
    if (rootIndex < 0)
        return nullptr;
    FileRegistry::Node* current = roots[rootIndex].get();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const auto name = UnescapeKeyPart(parts[i]);
        if (!name || name->isEmpty())
            return nullptr;
        auto& child = current->children[Fold(*name)];
        if (!child) {
            child = std::make_unique<FileRegistry::Node>();
            child->name = *name;
        }
        current = child.get();
    }
    return current;
}

// A "name=value" or "@=value" (default value) line, stored into `key`.
bool ReadValueLine(const QString& line, FileRegistry::Node& key)
{
    qsizetype pos = 0;
    QString name;
    if (line.startsWith(QLatin1String("@="))) {
        pos = 1;
    } else {
        const auto parsed = UnescapeString(line, pos);
        if (!parsed || pos >= line.size() || line[pos] != QLatin1Char('='))
            return false;
        name = *parsed;
    }
    const auto value = ParseValue(line, pos + 1);
    if (!value)
        return false;
    key.values[Fold(name)] = {name, *value};
    return true;
}

// The lines after the store's first; the index of the first line that cannot be read, or -1.
qsizetype ParseStoreLines(const QStringList& lines, RootNodes& roots)
{
    FileRegistry::Node* current = nullptr;
    for (qsizetype n = 1; n < lines.size(); ++n) {
        const QString& line = lines[n];
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            current = OpenKeyLine(line, roots);
            if (!current)
                return n;
        } else if (!current || !ReadValueLine(line, *current)) {
            return n;
        }
    }
    return -1;
}

} // namespace

QStringList KeyParts(const QString& key)
{
    QStringList parts;
    QString current;
    for (QChar c : key) {
        if (c == QLatin1Char('\\')) {
            if (!current.isEmpty())
                parts << current;
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.isEmpty())
        parts << current;
    return parts;
}

QString Registry::stringValue(RegRoot root, const QString& key, const QString& name) const
{
    const auto v = value(root, key, name);
    if (!v)
        return {};
    switch (v->type) {
    case RegValue::Type::String:
    case RegValue::Type::ExpandString:
        return v->text;
    case RegValue::Type::Dword:
        return QString::number(v->dword);
    case RegValue::Type::Binary:
        return QString::fromLatin1(v->binary.toHex());
    }
    return {};
}

FileRegistry::FileRegistry(QString storePath) : path_(std::move(storePath))
{
    for (auto& root : roots_)
        root = std::make_unique<Node>();
}

FileRegistry::~FileRegistry() = default;

bool FileRegistry::load() const
{
    struct stat st {};
    const QByteArray native = QFile::encodeName(path_);
    const bool exists = ::stat(native.constData(), &st) == 0;
    if (loaded_ && exists && SameStat(st, loadedStat_))
        return true;
    if (loaded_ && !exists && loadedStat_.st_ino == 0)
        return true;

    RootNodes fresh;
    for (auto& root : fresh)
        root = std::make_unique<Node>();
    if (exists) {
        QFile file(path_);
        if (!file.open(QIODevice::ReadOnly)) {
            error_ = QStringLiteral("cannot read the registry %1: %2").arg(path_, file.errorString());
            loaded_ = false;
            return false;
        }
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        if (lines.isEmpty() || lines.front().toUtf8() != kMagic) {
            error_ = QStringLiteral("%1 is not a registry store").arg(path_);
            loaded_ = false;
            return false;
        }
        const qsizetype bad = ParseStoreLines(lines, fresh);
        if (bad >= 0) {
            error_ = QStringLiteral("%1: line %2 cannot be read").arg(path_).arg(bad + 1);
            loaded_ = false;
            return false;
        }
    }
    for (int r = 0; r < 4; ++r)
        roots_[r] = std::move(fresh[r]);
    if (exists)
        loadedStat_ = st;
    else
        loadedStat_ = {};
    loaded_ = true;
    return true;
}

bool FileRegistry::save()
{
    QString text;
    for (int r = 0; r < 4; ++r)
        Serialize(*roots_[r], RootName(RegRoot(r)), text);
    fs::ReportMutation(path_, "write");
    const QByteArray native = QFile::encodeName(path_);
    if (text.isEmpty()) {
        // Nothing left: the store goes, so an installation that is undone leaves no trace.
        if (::unlink(native.constData()) != 0 && errno != ENOENT) {
            error_ = QStringLiteral("cannot remove %1: %2").arg(path_, QString::fromLocal8Bit(std::strerror(errno)));
            loaded_ = false;
            return false;
        }
        loadedStat_ = {};
        return true;
    }
    const int slash = path_.lastIndexOf(QLatin1Char('/'));
    if (slash > 0)
        fs::CreateFolderPath(path_.left(slash + 1));
    if (!common::WriteFileAtomically(path_, kMagic + '\n' + text.toUtf8(), &error_)) {
        loaded_ = false; // reload from disk before the next use
        return false;
    }
    ::stat(native.constData(), &loadedStat_);
    return true;
}

const FileRegistry::Node* FileRegistry::find(RegRoot root, const QString& key) const
{
    if (!load())
        return nullptr;
    const Node* node = roots_[RootIndex(root)].get();
    for (const QString& part : KeyParts(key)) {
        const auto it = node->children.find(Fold(part));
        if (it == node->children.end())
            return nullptr;
        node = it->second.get();
    }
    return node;
}

FileRegistry::Node* FileRegistry::obtain(RegRoot root, const QString& key, bool* created)
{
    Node* node = roots_[RootIndex(root)].get();
    for (const QString& part : KeyParts(key)) {
        auto& child = node->children[Fold(part)];
        if (!child) {
            child = std::make_unique<Node>();
            child->name = part;
            if (created)
                *created = true;
        }
        node = child.get();
    }
    return node;
}

bool FileRegistry::keyExists(RegRoot root, const QString& key) const
{
    return find(root, key) != nullptr;
}

bool FileRegistry::createKey(RegRoot root, const QString& key)
{
    if (!load())
        return false;
    bool created = false;
    obtain(root, key, &created);
    return !created || save();
}

std::optional<RegValue> FileRegistry::value(RegRoot root, const QString& key, const QString& name) const
{
    const Node* node = find(root, key);
    if (!node)
        return std::nullopt;
    const auto it = node->values.find(Fold(name));
    if (it == node->values.end())
        return std::nullopt;
    return it->second.second;
}

bool FileRegistry::setValue(RegRoot root, const QString& key, const QString& name, const RegValue& value)
{
    if (!load())
        return false;
    Node* node = obtain(root, key, nullptr);
    auto& entry = node->values[Fold(name)];
    if (entry.first.isEmpty())
        entry.first = name;
    entry.second = value;
    return save();
}

namespace {
/// Removes empty keys from the end of `path` upwards (never the root).
void Prune(std::vector<std::pair<FileRegistry::Node*, QString>>& path)
{
    while (path.size() > 1) {
        auto [node, folded] = path.back();
        path.pop_back();
        FileRegistry::Node* parent = path.back().first;
        const auto it = parent->children.find(folded);
        if (it == parent->children.end() || !it->second->empty())
            break;
        parent->children.erase(it);
    }
}
} // namespace

bool FileRegistry::deleteValue(RegRoot root, const QString& key, const QString& name)
{
    if (!load())
        return false;
    std::vector<std::pair<Node*, QString>> path{{roots_[RootIndex(root)].get(), QString()}};
    for (const QString& part : KeyParts(key)) {
        const auto it = path.back().first->children.find(Fold(part));
        if (it == path.back().first->children.end())
            return false;
        path.emplace_back(it->second.get(), Fold(part));
    }
    if (path.back().first->values.erase(Fold(name)) == 0)
        return false;
    Prune(path);
    return save();
}

bool FileRegistry::deleteKey(RegRoot root, const QString& key)
{
    const QStringList parts = KeyParts(key);
    if (parts.isEmpty() || !load())
        return false;
    std::vector<std::pair<Node*, QString>> path{{roots_[RootIndex(root)].get(), QString()}};
    for (const QString& part : parts) {
        const auto it = path.back().first->children.find(Fold(part));
        if (it == path.back().first->children.end())
            return false;
        path.emplace_back(it->second.get(), Fold(part));
    }
    const QString folded = path.back().second;
    path.pop_back();
    path.back().first->children.erase(folded);
    Prune(path);
    return save();
}

QStringList FileRegistry::subKeys(RegRoot root, const QString& key) const
{
    QStringList names;
    const Node* node = find(root, key);
    if (!node)
        return names;
    for (const auto& [folded, child] : node->children)
        names << child->name;
    return names;
}

QStringList FileRegistry::valueNames(RegRoot root, const QString& key) const
{
    QStringList names;
    const Node* node = find(root, key);
    if (!node)
        return names;
    for (const auto& [folded, entry] : node->values)
        names << entry.first;
    return names;
}

} // namespace installer
