#include "songfiles/embed.h"

#include "common/atomicfile.h"
#include "common/codepage.h"
#include "common/textfile.h"
#include "common/utf8text.h"
#include "songfiles/lyrics3.h"
#include "songfiles/pathprobe.h"
#include "songfiles/songfile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace songfiles {
namespace {

using common::U;

EmbedMessage Msg(const char* text, const QString& detail = {})
{
    return {U(text), detail};
}

/// A file that is no song but a WAVE file without an MPEG stream (PCM) is still a WAVE file.
EmbedMessage NotASong(const QString& path)
{
    SongFile song;
    if (song.open(path) && song.layout().riffForm == "WAVE")
        return Msg(embedmsg::kWave);
    return Msg(embedmsg::kNotMp3, song.layout().notASongReason);
}

/// The first character of `text` that the code page cannot hold, described; empty when
/// there is none.
QString FirstUnencodable(const QString& text)
{
    if (common::IsCp932Encodable(text))
        return {};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        if (!common::IsCp932Encodable(QStringView(text).mid(i, len)))
            return common::DescribeCharacter(text, i);
        i += len - 1;
    }
    return {};
}

/// Reads the lyrics file: its text as it goes into the song, or the message why not.
EmbedMessage ReadLyricsFile(const QString& path, QString& text)
{
    const QFileInfo info(path);
    if (info.isFile() && info.size() > kMaxEmbedLyricsBytes)
        return Msg(embedmsg::kTooLarge, QStringLiteral("%1 bytes, at most %2").arg(info.size()).arg(kMaxEmbedLyricsBytes));
    QByteArray bytes;
    QString why;
    common::FileFailure failure = common::FileFailure::None;
    if (!info.isFile() || !common::ReadRegularFile(path, kMaxEmbedLyricsBytes, bytes, &why, &failure)) {
        if (failure == common::FileFailure::TooLarge) // grew since it was measured
            return Msg(embedmsg::kTooLarge, why);
        return Msg(embedmsg::kCannotReadLyrics, why.isEmpty() ? QStringLiteral("not a regular file") : why);
    }
    if (bytes.isEmpty())
        return Msg(embedmsg::kEmptyLyrics);
    if (!common::IsTextContent(bytes, &why))
        return Msg(embedmsg::kCannotReadLyrics, why);
    // A CP932 lyrics file goes into the song byte for byte (its NEC and IBM duplicate
    // codes included); other encodings are converted to CP932.
    const common::DecodedText decoded = common::DecodeText(bytes);
    text = decoded.format.encoding == common::TextEncoding::Cp932 ? common::DecodeCp932Exact(bytes) : decoded.text;
    if (text.isEmpty())
        return Msg(embedmsg::kEmptyLyrics);
    if (const QString bad = FirstUnencodable(text); !bad.isEmpty())
        return {U(embedmsg::kUnencodable).arg(bad), {}};
    return {};
}

QString BaseName(const QString& path)
{
    return QFileInfo(path).completeBaseName();
}

/// The embedded block parsed with its stored bytes kept exactly.
bool ReadExactLyrics3(const QString& songPath, Lyrics3Record& record, QString* why)
{
    SongFile song;
    std::optional<QByteArray> block;
    if (!song.open(songPath) || !song.readLyrics3Block(block)) {
        *why = song.errorString();
        return false;
    }
    if (!block) {
        *why = QStringLiteral("%1 has no embedded lyrics").arg(songPath);
        return false;
    }
    std::optional<Lyrics3Record> parsed = ParseLyrics3(*block, why, Lyrics3Decoding::Exact);
    if (!parsed)
        return false;
    record = std::move(*parsed);
    return true;
}

QString CutAtNul(QString text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

} // namespace

EmbedMessage CheckKindForEmbed(const QString& songPath, SongKind kind)
{
    if (kind == kNotASong)
        return NotASong(songPath);
    EmbedMessage message;
    if (kind & Wave)
        message = Msg(embedmsg::kWave);
    if (kind & Id3v2)
        message = Msg(embedmsg::kId3v2);
    if (kind & Embedded)
        message = Msg(embedmsg::kEmbedded);
    if (kind & MacBinary) {
        QString why;
        if (!CutMacBinary(songPath, &why))
            message = Msg(embedmsg::kMacBinaryFailed, why);
    }
    return message;
}

bool RenameNoReplace(const QString& path, const QString& newPath, QString* error, bool* existed)
{
    if (existed)
        *existed = false;
    const QByteArray from = QFile::encodeName(path);
    const QByteArray to = QFile::encodeName(newPath);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    int err = errno;
    if (err == EINVAL || err == ENOSYS) {
        // The file system cannot rename without replacing: a hard link fails on an
        // existing name just as well; the old name goes only once the new one is there.
        if (::link(from.constData(), to.constData()) == 0) {
            if (::unlink(from.constData()) == 0)
                return true;
            err = errno;
            ::unlink(to.constData());
        } else {
            err = errno;
        }
    }
    if (existed)
        *existed = err == EEXIST;
    if (error)
        *error = QStringLiteral("%1 → %2: %3").arg(path, newPath, QString::fromLocal8Bit(std::strerror(err)));
    return false;
}

EmbedResult EmbedLyricsFile(const EmbedRequest& request, const AskNameMismatch& askNameMismatch,
                            const AfterEmbed& afterEmbed)
{
    EmbedResult result;
    result.songPath = request.songPath;
    if (BaseName(request.songPath).compare(BaseName(request.lyricsPath), Qt::CaseInsensitive) != 0 && askNameMismatch &&
        !askNameMismatch()) {
        result.status = EmbedResult::Status::Cancelled;
        return result;
    }
    auto fail = [&](EmbedMessage message) {
        result.status = EmbedResult::Status::Failed;
        result.failure = std::move(message);
        return result;
    };

    QString text;
    if (EmbedMessage m = ReadLyricsFile(request.lyricsPath, text); !m.isEmpty())
        return fail(std::move(m));
    if (!request.songWritableChecked && !FileWritable(request.songPath))
        return fail(Msg(embedmsg::kCannotWriteSong));

    SongFile probe;
    const SongKind kind = probe.open(request.songPath) ? probe.kind() : kNotASong;
    if (EmbedMessage m = CheckKindForEmbed(request.songPath, kind); !m.isEmpty())
        return fail(std::move(m));

    // A block already there keeps its other fields (title, artist …); only the lyrics
    // change. IND is computed from the lyrics when the block is built.
    Lyrics3Record record;
    QString why;
    if (HasFlag(kind, Lyrics3) && !ReadEmbeddedLyrics3(request.songPath, record))
        record = Lyrics3Record();
    record[LYR] = text;
    if (!EmbedLyrics3(request.songPath, record, request.target, &why))
        return fail(Msg(embedmsg::kEmbedFailed, why));
    result.status = EmbedResult::Status::Embedded;
    if (afterEmbed)
        afterEmbed();

    const QFileInfo song(request.songPath);
    if (request.renameMp3 && song.suffix().compare(QLatin1String("mp3"), Qt::CaseInsensitive) != 0) {
        const QString newPath = song.path() + QLatin1Char('/') + song.completeBaseName() + QStringLiteral(".mp3");
        bool existed = false;
        if (QFileInfo::exists(newPath) || QFileInfo(newPath).isSymLink())
            result.renameNote = Msg(embedmsg::kRenameExists);
        else if (!RenameNoReplace(request.songPath, newPath, &why, &existed))
            result.renameNote = existed ? Msg(embedmsg::kRenameExists) : Msg(embedmsg::kRenameFailed, why);
        else
            result.songPath = newPath;
    }
    return result;
}

EmbedMessage CheckDropEmbed(const QString& droppedPath, const QString& songPath)
{
    // Only the last three characters of the name count ("x.TXT" yes, "x.text" no).
    const QString ext = QFileInfo(droppedPath).fileName().right(3).toLower();
    if (ext != QLatin1String("txt") && ext != QLatin1String("lrc") && ext != QLatin1String("kra"))
        return Msg(embedmsg::kDropNotLyrics);
    if (!FileExists(droppedPath))
        return Msg(embedmsg::kDropLyricsMissing);
    if (!FileExists(songPath))
        return Msg(embedmsg::kDropSongMissing);
    if (!IsPlayableSong(songPath))
        return Msg(embedmsg::kDropSongNotPlayable);
    if (!FileWritable(songPath))
        return Msg(embedmsg::kDropSongNotWritable);
    return {};
}

bool ReadEmbeddedLyricsText(const QString& songPath, QString& text, EmbedMessage* failure)
{
    Lyrics3Record record;
    QString why;
    if (!ReadEmbeddedLyrics3(songPath, record, &why)) {
        if (failure)
            *failure = Msg(embedmsg::kCannotRead, why);
        return false;
    }
    text = CutAtNul(record[LYR]);
    return true;
}

EmbedMessage SaveEmbeddedLyrics(const QString& songPath, const QString& targetPath)
{
    Lyrics3Record record;
    QString why;
    if (!ReadExactLyrics3(songPath, record, &why))
        return Msg(embedmsg::kCannotRead, why);
    const QString text = CutAtNul(record[LYR]);
    const std::optional<QByteArray> bytes = common::EncodeCp932(text, &why); // decoded exactly, encodes back
    if (!bytes)
        return Msg(embedmsg::kWriteFailed, why);
    const QFileInfo target(targetPath);
    if (target.exists()) {
        // Checked on the permission bits too: the owner may be able to write anyway.
        if (!target.isFile() || !(target.permissions() & QFileDevice::WriteOwner) || !FileWritable(targetPath))
            return Msg(embedmsg::kWriteFailed, QStringLiteral("%1 is read-only").arg(targetPath));
    }
    if (!common::WriteFileAtomically(targetPath, *bytes, &why))
        return Msg(embedmsg::kWriteFailed, why);
    return {};
}

EmbedMessage DeleteEmbeddedLyrics(const QString& songPath)
{
    if (!FileWritable(songPath))
        return Msg(embedmsg::kAccessFailed, QStringLiteral("the file cannot be written"));
    QString why;
    if (!DeleteLyrics3(songPath, &why))
        return Msg(embedmsg::kAccessFailed, why);
    return {};
}

} // namespace songfiles
