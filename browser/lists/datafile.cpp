#include "browser/lists/datafile.h"

#include "browser/core/filepane.h"
#include "browser/core/pairing.h"
#include "common/atomicfile.h"
#include "common/rawname.h"
#include "common/codepage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace browser::lists {
namespace {

const QString kFirstLine = QStringLiteral("[Melwick Data File]");
const QString kCrLf = QStringLiteral("\r\n");

/// The key=value lines of a row, in creation order, without the file name and "match".
QList<Col> RecordColumns(PaneMode mode)
{
    QList<Col> out;
    for (const ColumnDef& c : ModeColumns(mode))
        if (c.col != Col::Filename && c.col != Col::Match)
            out << c.col;
    return out;
}

bool HasLineBreak(const QString& s)
{
    return s.contains(QLatin1Char('\r')) || s.contains(QLatin1Char('\n'));
}

/// The first text of the list that cannot be written, described for the message.
std::optional<QString> Unwritable(const QString& what, const QString& owner, const QString& text)
{
    if (HasLineBreak(text))
        return QString::fromUtf8("%1 の %2 に改行が含まれています。").arg(owner, what);
    QString why;
    if (!common::IsCp932Encodable(text)) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            if (!common::IsCp932Encodable(QStringView(text).mid(i, len)))
                return QString::fromUtf8("%1 の %2 に保存できない文字 %3 があります。")
                    .arg(owner, what, common::DescribeCharacter(text, i));
            i += len - 1;
        }
    }
    return std::nullopt;
}

/// Val() of the old dialect: leading blanks, an optional sign, digits and a fraction.
double LeadingValue(QStringView s)
{
    s = s.trimmed();
    qsizetype i = 0;
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
        ++i;
    while (i < s.size() && s[i].unicode() >= '0' && s[i].unicode() <= '9')
        ++i;
    if (i < s.size() && s[i] == QLatin1Char('.')) {
        ++i;
        while (i < s.size() && s[i].unicode() >= '0' && s[i].unicode() <= '9')
            ++i;
    }
    bool ok = false;
    const double v = s.left(i).toDouble(&ok);
    return ok ? v : 0.0;
}

QStringView ValueOf(QStringView line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? QStringView() : line.mid(eq + 1);
}

QStringView KeyOf(QStringView line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? line : line.left(eq);
}

class Lines {
public:
    explicit Lines(QString text)
        : text_(std::move(text))
    {
    }
    /// The next line without its line break; false at the end of the text.
    bool next(QStringView& line)
    {
        if (pos_ >= text_.size())
            return false;
        qsizetype end = text_.indexOf(QLatin1Char('\n'), pos_);
        qsizetype after = end < 0 ? text_.size() : end + 1;
        if (end < 0)
            end = text_.size();
        if (end > pos_ && text_.at(end - 1) == QLatin1Char('\r'))
            --end;
        line = QStringView(text_).mid(pos_, end - pos_);
        pos_ = after;
        return true;
    }

private:
    QString text_;
    qsizetype pos_ = 0;
};

/// A folder read from a file: "\" read as the separator when the text has no "/" (a
/// file written on Windows). nullopt when it is not an absolute path or climbs with "..".
std::optional<QString> ReadFolder(QStringView value)
{
    QString folder = value.toString();
    if (!folder.contains(QLatin1Char('/')))
        folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        return std::nullopt;
    for (const QString& part : folder.split(QLatin1Char('/')))
        if (part == QLatin1String(".."))
            return std::nullopt;
    return WithTrailingSeparator(folder);
}

bool BadName(const QString& name)
{
    return name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('/'))
        || name.contains(QLatin1Char('\\')) || name.contains(QChar(0));
}

} // namespace

QString SaveFailedMessage()
{
    return QString::fromUtf8("ファイルの保存に失敗しました。");
}

QString LoadFailedMessage()
{
    return QString::fromUtf8("ファイルの読み込みに失敗しました。");
}

std::optional<QByteArray> EncodeDataFile(PaneMode mode, const QString& folder, std::span<const FileRow> rows,
                                         QString* error)
{
    auto fail = [&](const QString& why) -> std::optional<QByteArray> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (const auto why = Unwritable(QString::fromUtf8("フォルダ"), QStringLiteral("folder"), folder))
        return fail(*why);
    const QList<Col> cols = RecordColumns(mode);
    QList<QString> keys;
    for (Col c : cols)
        keys << ColumnKeyName(c) + QLatin1Char('=');

    QString text;
    text.reserve(static_cast<qsizetype>(256 + rows.size() * 200));
    text += kFirstLine + kCrLf + kCrLf + QStringLiteral("[main]") + kCrLf + QStringLiteral("data_version=1") + kCrLf;
    text += QStringLiteral("mode=") + (mode == PaneMode::Lyrics ? QStringLiteral("lyrics") : QStringLiteral("song")) + kCrLf;
    text += QStringLiteral("max=") + QString::number(rows.size()) + kCrLf;
    // Names that are not UTF-8 are Shift_JIS on disk: the data file holds their bytes.
    text += QStringLiteral("folder=") + common::Cp932Reading(folder) + kCrLf + kCrLf;
    for (size_t i = 0; i < rows.size(); ++i) {
        const FileRow& r = rows[i];
        if (HasLineBreak(r.name))
            return fail(*Unwritable(QString::fromUtf8("ファイル名"), r.name, r.name));
        text += QLatin1Char('[') + QString::number(i + 1) + QLatin1Char(']') + kCrLf;
        text += QStringLiteral("filename=") + common::Cp932Reading(r.name) + kCrLf;
        for (qsizetype c = 0; c < cols.size(); ++c) {
            const QString cell = common::Cp932Reading(r.cell(cols.at(c)));
            if (HasLineBreak(cell))
                return fail(*Unwritable(ColumnKeyName(cols.at(c)), r.name, cell));
            text += keys.at(c) + cell + kCrLf;
        }
        text += QStringLiteral("dummy=") + kCrLf;
        text += (r.checked ? QStringLiteral("checked=1") : QStringLiteral("checked=0")) + kCrLf + kCrLf;
    }
    std::optional<QByteArray> bytes = common::EncodeCp932(text);
    if (bytes)
        return bytes;
    // Name the row and the cell that cannot be held.
    for (const FileRow& r : rows) {
        if (const auto why = Unwritable(QString::fromUtf8("ファイル名"), r.name, r.name))
            return fail(*why);
        for (Col c : cols)
            if (const auto why = Unwritable(ColumnKeyName(c), r.name, r.cell(c)))
                return fail(*why);
    }
    return fail(QString::fromUtf8("保存できない文字があります。"));
}

bool SaveDataFile(const QString& path, PaneMode mode, const QString& folder, std::span<const FileRow> rows, QString* error)
{
    const std::optional<QByteArray> bytes = EncodeDataFile(mode, folder, rows, error);
    if (!bytes)
        return false;
    return common::WriteFileAtomically(path, *bytes, error);
}

void RebuildIconFromTexts(FileRow& row, PaneMode mode)
{
    if (mode == PaneMode::Lyrics) {
        const QString& kind = row.cell(Col::TagType);
        if (kind == QString::fromUtf8("なし"))
            row.icon = icons::kLyricsUntagged;
        else if (kind == QString::fromUtf8("行頭"))
            row.icon = icons::kLyricsLineHead;
        else if (kind == QString::fromUtf8("ｶﾗｵｹ"))
            row.icon = icons::kLyricsKaraoke;
        else
            row.icon = icons::kNone;
        return;
    }
    const QString& tags = row.cell(Col::Tags);
    if (tags.contains(QLatin1Char('E'))) {
        row.icon = icons::kNone;
        row.dimmed = true;
        return;
    }
    row.icon = icons::kSong + 4 * (tags.contains(QLatin1Char('R')) ? 1 : 0) + (tags.contains(QLatin1Char('L')) ? 1 : 0);
}

namespace {

// Sets why the load stopped; always false.
bool Fail(DataFileLoad& out, DataFileLoad::Status status, const QString& why)
{
    out.status = status;
    out.error = why;
    return false;
}

bool EndedEarly(DataFileLoad& out, qint64 read, qint64 expected)
{
    return Fail(out, DataFileLoad::Status::Failed,
                  QString::fromUtf8("ファイルが途中で終わっています (%1 / %2 行)。").arg(read).arg(expected));
}

// The header up to the empty line before the first record. False, with `out` saying why,
// when the bytes are not a data file or end early; `count` gets the number of records.
bool ReadDataHeader(Lines& lines, DataFileLoad& out, qint64& count)
{
    QStringView line;
    const auto notDataFile = DataFileLoad::Status::NotDataFile;
    if (!lines.next(line) || line != kFirstLine)
        return Fail(out, notDataFile, QString::fromUtf8("Melwick形式データファイルではありません。"));
    QStringView versionLine;
    if (!lines.next(line) || !lines.next(line) || !lines.next(versionLine))
        return Fail(out, notDataFile, QString::fromUtf8("ヘッダーが途中で終わっています。"));
    const QStringView version = ValueOf(versionLine);
    if (version.isEmpty() || LeadingValue(version) > 1)
        return Fail(out, notDataFile, QString::fromUtf8("対応していないバージョンです (%1)。").arg(version));
    QStringView modeLine;
    if (!lines.next(modeLine) || ValueOf(modeLine).isEmpty())
        return Fail(out, notDataFile, QString::fromUtf8("リストのモードがありません。"));
    out.mode = ValueOf(modeLine) == QLatin1String("lyrics") ? PaneMode::Lyrics : PaneMode::Song;
    out.status = DataFileLoad::Status::Loaded;

    if (!lines.next(line))
        return EndedEarly(out, 0, 0);
    // The count only bounds the loop; nothing is sized from it.
    const double maxValue = LeadingValue(ValueOf(line));
    count = maxValue <= 0 ? 0 : maxValue >= 1e15 ? qint64(1e15) : static_cast<qint64>(maxValue);
    if (lines.next(line)) {
        out.folder = ValueOf(line).toString();
        lines.next(line); // the empty line after the header
    } else if (count > 0) {
        return EndedEarly(out, 0, count);
    }
    return true;
}

struct Record {
    FileRow row;
    QString folder;
    bool folderBad = false;
};

// One record. Every record is read through its "checked=" line, whatever its name, so an
// empty name cannot shift the lines of the records after it. False when the lines end.
bool ReadRecord(Lines& lines, const QList<Col>& columns, Record& r)
{
    // The index line (blank lines before it are tolerated; a record whose index line is
    // missing starts with its "filename=" line).
    QStringView line;
    do {
        if (!lines.next(line))
            return false;
    } while (line.isEmpty());
    if (!line.startsWith(QLatin1String("filename=")) && !lines.next(line))
        return false;
    r.row.name = ValueOf(line).toString();
    for (;;) {
        if (!lines.next(line))
            return false;
        const QStringView key = KeyOf(line);
        const QStringView value = ValueOf(line);
        if (key == QLatin1String("checked")) {
            r.row.checked = value == QLatin1String("1");
            return true;
        }
        const std::optional<Col> col = ColumnFromKey(key);
        if (!col || !columns.contains(*col) || value.isEmpty())
            continue; // unknown keys, "dummy", "match" and "filename" are not cells
        if (*col == Col::Path) {
            const std::optional<QString> f = ReadFolder(value);
            r.folderBad = !f;
            r.folder = f.value_or(QString());
            r.row.setCell(Col::Path, r.folder);
        } else {
            r.row.setCell(*col, value.toString());
        }
    }
}

// Adds a read record to the list, or to the refused names; a file that is gone is dimmed,
// one saved from a Shift_JIS file name gets its raw name back.
void AcceptRecord(Record& r, const FileExistsFn& exists, DataFileLoad& out)
{
    FileRow& row = r.row;
    if (row.name.isEmpty())
        return;
    if (BadName(row.name)) {
        out.refused << row.name + QString::fromUtf8(": ファイル名にフォルダの区切りが含まれています。");
        return;
    }
    if (r.folder.isEmpty() || r.folderBad) {
        out.refused << row.name + QString::fromUtf8(": フォルダが絶対パスではありません。");
        return;
    }
    RebuildIconFromTexts(row, out.mode);
    if (!exists(row.fullPath())) {
        const std::optional<QByteArray> bytes = common::EncodeCp932(row.name);
        const QString raw = bytes ? common::PathFromNative(*bytes) : QString();
        if (common::HasRawBytes(raw) && exists(row.cell(Col::Path) + raw))
            row.name = raw;
        else
            row.dimmed = true;
    }
    out.rows.push_back(std::move(row));
}

} // namespace

DataFileLoad ParseDataFile(QByteArrayView bytes, const FileExistsFn& existsFn)
{
    const FileExistsFn exists = existsFn ? existsFn : [](const QString& p) {
        if (common::HasRawBytes(p)) { // a name Qt cannot see (not UTF-8)
            const std::optional<common::PathStat> st = common::StatPath(p);
            return st && st->isRegular;
        }
        return QFileInfo(p).isFile();
    };
    DataFileLoad out;
    Lines lines(common::DecodeCp932(bytes));
    qint64 count = 0;
    if (!ReadDataHeader(lines, out, count))
        return out;
    const QList<Col> columns = RecordColumns(out.mode);
    for (qint64 k = 0; k < count; ++k) {
        Record r;
        if (!ReadRecord(lines, columns, r)) {
            EndedEarly(out, k, count);
            return out;
        }
        AcceptRecord(r, exists, out);
    }
    return out;
}

DataFileLoad ReadDataFile(const QString& path, const FileExistsFn& exists)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        DataFileLoad out;
        out.status = DataFileLoad::Status::NotDataFile;
        out.error = file.errorString();
        return out;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        DataFileLoad out;
        out.status = DataFileLoad::Status::NotDataFile;
        out.error = file.errorString();
        return out;
    }
    return ParseDataFile(bytes, exists);
}

void ApplyDataFile(FilePane& pane, FilePane& other, DataFileLoad&& load)
{
    if (!load.headerRead())
        return;
    pane.clearRows();
    pane.mode = load.mode;
    pane.resetSorting();
    pane.sortKey = 0;
    pane.fromDataFile = true;
    pane.appendRows(std::move(load.rows));
    if (!pane.isEmpty())
        pane.setSelectedRow(0);
    if (pane.index() == 0)
        RepairAll(pane, other);
    else
        RepairAll(other, pane);
}

QString ListFolderText(const QString& folder)
{
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

} // namespace browser::lists
