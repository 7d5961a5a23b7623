#include "common/ini.h"

#include "common/atomicfile.h"
#include "common/codepage.h"

#include <QFile>
#include <QFileInfo>

namespace common {
namespace {

constexpr qint64 kMaxIniFileSize = 64 * 1024 * 1024;
const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool IsCp932Lead(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

/// Byte offsets of the characters of `text` that are ASCII `c`, at character boundaries.
/// With `last` the last such offset, else the first; -1 when there is none.
qsizetype FindAscii(QByteArrayView text, qsizetype from, char c, bool last, IniDocument::Encoding encoding)
{
    qsizetype found = -1;
    for (qsizetype i = from; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (encoding == IniDocument::Encoding::Cp932 && IsCp932Lead(b)) {
            ++i; // skip the trail byte, whatever it looks like
            continue;
        }
        if (b == static_cast<unsigned char>(c)) {
            found = i;
            if (!last)
                break;
        }
    }
    return found;
}

QByteArrayView Trimmed(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QString Fold(QStringView name)
{
    return name.toString().toCaseFolded();
}

QString TrimmedName(QStringView name)
{
    return name.trimmed().toString();
}

/// Adds `key` only when it is not there yet: the first occurrence wins.
void InsertFirst(QHash<QString, qsizetype>& hash, const QString& key, qsizetype value)
{
    if (!hash.contains(key))
        hash.insert(key, value);
}

bool HasLineBreak(QStringView text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

} // namespace

void IniDocument::Block::reindex()
{
    keyIndex.clear();
    for (qsizetype i = 0; i < qsizetype(body.size()); ++i)
        if (body[i].isKey())
            InsertFirst(keyIndex, Fold(body[i].key), i);
}

QString IniDocument::decode(QByteArrayView bytes) const
{
    return encoding_ == Encoding::Utf8 ? QString::fromUtf8(bytes) : DecodeCp932(bytes);
}

std::optional<QByteArray> IniDocument::encode(QStringView text, QString* error) const
{
    if (encoding_ == Encoding::Utf8)
        return text.toUtf8();
    return EncodeCp932(text, error);
}

IniDocument::Line IniDocument::parseBodyLine(QByteArray text, QByteArray eol) const
{
    Line line;
    line.text = std::move(text);
    line.eol = std::move(eol);
    const QByteArrayView content = Trimmed(line.text);
    if (content.isEmpty() || content.front() == ';')
        return line;
    const qsizetype eq = FindAscii(line.text, 0, '=', false, encoding_);
    if (eq < 0)
        return line;
    const QByteArrayView name = Trimmed(QByteArrayView(line.text).first(eq));
    if (name.isEmpty())
        return line;
    line.key = decode(name);
    line.valueStart = eq + 1;
    return line;
}

IniDocument IniDocument::FromBytes(const QByteArray& input)
{
    IniDocument doc;
    QByteArray bytes = input;
    if (bytes.startsWith(kUtf8Bom)) {
        doc.encoding_ = Encoding::Utf8;
        doc.bom_ = kUtf8Bom;
        bytes.remove(0, kUtf8Bom.size());
    }
    doc.blocks_.emplace_back();
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', pos);
        QByteArray text;
        QByteArray eol;
        if (nl < 0) {
            text = bytes.mid(pos);
            pos = bytes.size();
        } else {
            qsizetype end = nl;
            if (end > pos && bytes[end - 1] == '\r')
                --end;
            text = bytes.mid(pos, end - pos);
            eol = bytes.mid(end, nl + 1 - end);
            pos = nl + 1;
            if (doc.eolStyle_.isEmpty())
                doc.eolStyle_ = eol;
        }
        const QByteArrayView content = Trimmed(text);
        if (!content.isEmpty() && content.front() == '[') {
            const qsizetype start = text.indexOf('[');
            const qsizetype close = FindAscii(text, start + 1, ']', true, doc.encoding_);
            if (close > start) {
                Block block;
                block.hasHeader = true;
                block.name = doc.decode(Trimmed(QByteArrayView(text).sliced(start + 1, close - start - 1)));
                block.header.text = std::move(text);
                block.header.eol = std::move(eol);
                doc.blocks_.push_back(std::move(block));
                continue;
            }
        }
        doc.blocks_.back().body.push_back(doc.parseBodyLine(std::move(text), std::move(eol)));
    }
    for (auto& block : doc.blocks_)
        block.reindex();
    doc.reindexBlocks();
    return doc;
}

IniDocument IniDocument::Empty(Encoding encoding)
{
    IniDocument doc;
    doc.blocks_.emplace_back();
    if (encoding == Encoding::Utf8) {
        doc.encoding_ = Encoding::Utf8;
        doc.bom_ = kUtf8Bom;
    }
    return doc;
}

void IniDocument::reindexBlocks()
{
    sectionIndex_.clear();
    for (qsizetype i = 0; i < qsizetype(blocks_.size()); ++i)
        if (blocks_[i].hasHeader)
            InsertFirst(sectionIndex_, Fold(blocks_[i].name), i);
}

QByteArray IniDocument::toBytes() const
{
    QByteArray out = bom_;
    for (const auto& block : blocks_) {
        if (block.hasHeader)
            out += block.header.text + block.header.eol;
        for (const auto& line : block.body)
            out += line.text + line.eol;
    }
    return out;
}

bool IniDocument::isEmpty() const
{
    for (const auto& block : blocks_) {
        if (block.hasHeader)
            return false;
        for (const auto& line : block.body)
            if (!Trimmed(line.text).isEmpty())
                return false;
    }
    return true;
}

QStringList IniDocument::sections() const
{
    QStringList names;
    for (qsizetype i = 0; i < qsizetype(blocks_.size()); ++i)
        if (blocks_[i].hasHeader && sectionIndex_.value(Fold(blocks_[i].name), -1) == i)
            names.append(blocks_[i].name);
    return names;
}

const IniDocument::Block* IniDocument::findBlock(QStringView section) const
{
    const auto it = sectionIndex_.constFind(Fold(section.trimmed()));
    return it == sectionIndex_.cend() ? nullptr : &blocks_[*it];
}

IniDocument::Block* IniDocument::findBlock(QStringView section)
{
    return const_cast<Block*>(std::as_const(*this).findBlock(section));
}

bool IniDocument::hasSection(QStringView section) const
{
    return findBlock(section) != nullptr;
}

QStringList IniDocument::keys(QStringView section) const
{
    QStringList names;
    if (const Block* block = findBlock(section))
        for (const auto& line : block->body)
            if (line.isKey())
                names.append(line.key);
    return names;
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const
{
    const Block* block = findBlock(section);
    if (!block)
        return std::nullopt;
    const auto it = block->keyIndex.constFind(Fold(key.trimmed()));
    if (it == block->keyIndex.cend())
        return std::nullopt;
    const Line& line = block->body[*it];
    QByteArrayView v = Trimmed(QByteArrayView(line.text).sliced(line.valueStart));
    // One pair of matching quotes around the whole value is taken away.
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.sliced(1, v.size() - 2);
    return decode(v);
}

QString IniDocument::value(QStringView section, QStringView key, const QString& fallback) const
{
    return value(section, key).value_or(fallback);
}

QByteArray IniDocument::newLineEnding() const
{
    return eolStyle_.isEmpty() ? QByteArrayLiteral("\r\n") : eolStyle_;
}

IniDocument::Line* IniDocument::lastLine()
{
    for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it) {
        if (!it->body.empty())
            return &it->body.back();
        if (it->hasHeader)
            return &it->header;
    }
    return nullptr;
}

bool IniDocument::setValue(QStringView sectionIn, QStringView keyIn, QStringView value, QString* error)
{
    const QString section = TrimmedName(sectionIn);
    const QString key = TrimmedName(keyIn);
    auto refuse = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (section.isEmpty() || HasLineBreak(section))
        return refuse(QStringLiteral("invalid section name \"%1\"").arg(section));
    if (key.isEmpty() || HasLineBreak(key) || key.contains(QLatin1Char('=')) || key.startsWith(QLatin1Char(';')))
        return refuse(QStringLiteral("invalid key name \"%1\"").arg(key));
    if (HasLineBreak(value))
        return refuse(QStringLiteral("a value cannot hold a line break"));
    const auto valueBytes = encode(value, error);
    if (!valueBytes)
        return false;

    Block* block = findBlock(section);
    if (block) {
        const auto it = block->keyIndex.constFind(Fold(key));
        if (it != block->keyIndex.cend()) {
            // Keep the key as it is spelled in the file; only the value changes.
            Line& line = block->body[*it];
            const QByteArray name = Trimmed(QByteArrayView(line.text).first(line.valueStart - 1)).toByteArray();
            const qsizetype indent = line.text.indexOf(name);
            QByteArray text = line.text.left(indent) + name + '=' + *valueBytes;
            if (text != line.text) {
                line.text = std::move(text);
                line.valueStart = line.text.size() - valueBytes->size();
                ++revision_;
            }
            return true;
        }
    }
    const auto keyBytes = encode(key, error);
    if (!keyBytes)
        return false;
    const QByteArray eol = newLineEnding();
    if (!block) {
        const auto sectionBytes = encode(section, error);
        if (!sectionBytes)
            return false;
        if (Line* last = lastLine(); last && last->eol.isEmpty())
            last->eol = eol;
        Block fresh;
        fresh.hasHeader = true;
        fresh.name = section;
        fresh.header.text = '[' + *sectionBytes + ']';
        fresh.header.eol = eol;
        blocks_.push_back(std::move(fresh));
        InsertFirst(sectionIndex_, Fold(section), qsizetype(blocks_.size()) - 1);
        block = &blocks_.back();
    }
    // The new key goes after the section's last key, before any blank lines that
    // separate it from the next section.
    qsizetype at = 0;
    for (qsizetype i = qsizetype(block->body.size()) - 1; i >= 0; --i) {
        if (block->body[i].isKey()) {
            at = i + 1;
            break;
        }
    }
    Line* before = at > 0 ? &block->body[at - 1] : &block->header;
    if (before->eol.isEmpty())
        before->eol = eol;
    Line line = parseBodyLine(*keyBytes + '=' + *valueBytes, eol);
    line.key = key; // the name as given, even when the encoding round trip differs
    block->body.insert(block->body.begin() + at, std::move(line));
    InsertFirst(block->keyIndex, Fold(key), at);
    ++revision_;
    return true;
}

bool IniDocument::removeKey(QStringView section, QStringView key)
{
    Block* block = findBlock(section);
    if (!block)
        return false;
    const auto it = block->keyIndex.constFind(Fold(key.trimmed()));
    if (it == block->keyIndex.cend())
        return false;
    block->body.erase(block->body.begin() + *it);
    block->reindex();
    ++revision_;
    return true;
}

bool IniDocument::removeSection(QStringView section)
{
    const auto it = sectionIndex_.constFind(Fold(section.trimmed()));
    if (it == sectionIndex_.cend())
        return false;
    blocks_.erase(blocks_.begin() + *it);
    reindexBlocks();
    ++revision_;
    return true;
}

bool LoadIniFile(const QString& path, IniDocument& doc, QString* error)
{
    QFile file(path);
    if (!file.exists()) {
        doc = IniDocument();
        return true;
    }
    // Only regular files: a device or a pipe named as an INI file could block or never end.
    if (!QFileInfo(path).isFile()) {
        if (error)
            *error = QStringLiteral("%1 is not a regular file").arg(path);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > kMaxIniFileSize) {
        if (error)
            *error = QStringLiteral("%1 is too large for an INI file").arg(path);
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() > kMaxIniFileSize) {
        if (error)
            *error = QStringLiteral("%1 is too large for an INI file").arg(path);
        return false;
    }
    doc = IniDocument::FromBytes(bytes);
    return true;
}

bool SaveIniFile(const QString& path, const IniDocument& doc, QString* error)
{
    return WriteFileAtomically(path, doc.toBytes(), error);
}

QString ReadProfileString(const QString& path, QStringView section, QStringView key, const QString& fallback)
{
    IniDocument doc;
    if (!LoadIniFile(path, doc))
        return fallback;
    return doc.value(section, key, fallback);
}

namespace {
template <typename Edit>
bool EditProfile(const QString& path, QString* error, Edit edit)
{
    IniDocument doc;
    if (!LoadIniFile(path, doc, error))
        return false;
    const quint64 before = doc.revision();
    if (!edit(doc))
        return false;
    if (doc.revision() == before)
        return true; // nothing to change: a missing file stays missing
    return SaveIniFile(path, doc, error);
}
} // namespace

bool WriteProfileString(const QString& path, QStringView section, QStringView key, QStringView value, QString* error)
{
    return EditProfile(path, error, [&](IniDocument& doc) { return doc.setValue(section, key, value, error); });
}

bool DeleteProfileKey(const QString& path, QStringView section, QStringView key, QString* error)
{
    return EditProfile(path, error, [&](IniDocument& doc) {
        doc.removeKey(section, key);
        return true;
    });
}

bool DeleteProfileSection(const QString& path, QStringView section, QString* error)
{
    return EditProfile(path, error, [&](IniDocument& doc) {
        doc.removeSection(section);
        return true;
    });
}

} // namespace common
