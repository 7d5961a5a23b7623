#pragma once
// INI files read and written with the rules of the Windows profile functions
// (GetPrivateProfileString / WritePrivateProfileString), which the installer's
// definitions and the WinAmp plug-in's plugin.ini rely on:
//
// - section and key names are compared case-insensitively, blanks around them ignored;
// - the first matching section is the one used, and in it the first matching key;
// - a value loses the blanks around it, and one pair of matching quotes ("…" or '…');
// - lines beginning with ";" are comments; lines without "=" are not keys;
// - a write changes only the line it concerns (or adds one); every other byte of the
//   file is kept as it was, line endings included;
// - texts are CP932 (a file that starts with a UTF-8 byte-order mark is UTF-8).
//
// The scan is code-page aware: a CP932 trail byte that looks like "]" or "[" never ends
// a section name.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <vector>

namespace common {

class IniDocument {
public:
    enum class Encoding { Cp932, Utf8 };

    /// An empty document (CP932, CR LF line endings).
    IniDocument() = default;
    /// Parses file bytes; never fails.
    static IniDocument FromBytes(const QByteArray& bytes);
    /// An empty document in `encoding` (a UTF-8 one starts with a byte-order mark).
    static IniDocument Empty(Encoding encoding);
    /// The document's bytes: the parsed bytes with the edits applied.
    QByteArray toBytes() const;

    Encoding encoding() const { return encoding_; }
    /// Grows with every change of the document's bytes.
    quint64 revision() const { return revision_; }
    /// True when the document holds no section and no key (blank lines at most).
    bool isEmpty() const;

    /// Section names in file order, each once (the first spelling).
    QStringList sections() const;
    bool hasSection(QStringView section) const;
    /// Key names of the first matching section, in file order.
    QStringList keys(QStringView section) const;

    /// The value, or nullopt when the section or key is missing.
    std::optional<QString> value(QStringView section, QStringView key) const;
    QString value(QStringView section, QStringView key, const QString& fallback) const;

    /// Replaces the key's value, or adds the key after the section's last key, or adds
    /// the section at the end. Fails (document unchanged) when a name is empty or holds a
    /// line break, a key holds "=", a value holds a line break, or a text has no form in
    /// the document's encoding.
    bool setValue(QStringView section, QStringView key, QStringView value, QString* error = nullptr);
    /// Removes the key's line; false when there was none.
    bool removeKey(QStringView section, QStringView key);
    /// Removes the first matching section with all its lines; false when there was none.
    bool removeSection(QStringView section);

private:
    struct Line {
        QByteArray text; // without the line ending
        QByteArray eol;  // "\r\n", "\n" or empty (last line without ending)
        QString key;     // the key name when this is a key line, else empty
        qsizetype valueStart = -1;
        bool isKey() const { return valueStart >= 0; }
    };
    struct Block {
        bool hasHeader = false; // the part before the first section has none
        Line header;
        QString name;
        std::vector<Line> body;
        QHash<QString, qsizetype> keyIndex; // folded key name -> first body line
        void reindex();
    };

    Line parseBodyLine(QByteArray text, QByteArray eol) const;
    QString decode(QByteArrayView bytes) const;
    std::optional<QByteArray> encode(QStringView text, QString* error) const;
    const Block* findBlock(QStringView section) const;
    Block* findBlock(QStringView section);
    void reindexBlocks();
    Line* lastLine();
    QByteArray newLineEnding() const;

    Encoding encoding_ = Encoding::Cp932;
    quint64 revision_ = 0;
    QByteArray bom_;
    QByteArray eolStyle_;
    std::vector<Block> blocks_; // blocks_[0] is the part before the first section
    QHash<QString, qsizetype> sectionIndex_; // folded section name -> first block
};

/// Loads a file into `doc`. A missing file gives an empty document and true; an
/// unreadable or oversized one gives false with `error`.
bool LoadIniFile(const QString& path, IniDocument& doc, QString* error = nullptr);
/// Replaces the file with the document's bytes atomically.
bool SaveIniFile(const QString& path, const IniDocument& doc, QString* error = nullptr);

/// GetPrivateProfileString: the value, or `fallback` when the file, section or key is
/// missing.
QString ReadProfileString(const QString& path, QStringView section, QStringView key, const QString& fallback = {});
/// WritePrivateProfileString with a value: sets the key, creating file and section.
bool WriteProfileString(const QString& path, QStringView section, QStringView key, QStringView value,
                        QString* error = nullptr);
/// WritePrivateProfileString without a value: removes the key.
bool DeleteProfileKey(const QString& path, QStringView section, QStringView key, QString* error = nullptr);
/// WritePrivateProfileString without a key: removes the section.
bool DeleteProfileSection(const QString& path, QStringView section, QString* error = nullptr);

} // namespace common
