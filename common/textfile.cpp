#include "common/textfile.h"

#include "common/atomicfile.h"
#include "common/codepage.h"

#include <QHash>
#include <QList>

namespace common {
namespace {
constexpr char kBom[] = "\xEF\xBB\xBF";

bool Set(QString* out, const QString& text)
{
    if (out)
        *out = text;
    return false;
}

QString DecodeUtf16(QByteArrayView body, bool bigEndian)
{
    QString out(body.size() / 2, Qt::Uninitialized);
    const auto* p = reinterpret_cast<const unsigned char*>(body.data());
    for (qsizetype i = 0; i < out.size(); ++i) {
        const char16_t u = bigEndian ? char16_t(p[2 * i] << 8 | p[2 * i + 1]) : char16_t(p[2 * i + 1] << 8 | p[2 * i]);
        out[i] = QChar(u);
    }
    return out;
}

QByteArray EncodeUtf16(QStringView text, bool bigEndian)
{
    QByteArray out;
    out.reserve(2 + text.size() * 2);
    out.append(bigEndian ? "\xFE\xFF" : "\xFF\xFE", 2);
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const char hi = char(u >> 8), lo = char(u & 0xFF);
        if (bigEndian) {
            out.append(hi);
            out.append(lo);
        } else {
            out.append(lo);
            out.append(hi);
        }
    }
    return out;
}

/// Calls `f(content, terminator)` for every line of `bytes` or text (CR LF, LF or CR).
template <typename View, typename F>
void ForEachLine(View all, F f)
{
    qsizetype start = 0;
    const qsizetype n = all.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = all[i];
        if (c != '\r' && c != '\n')
            continue;
        const qsizetype termLength = c == '\r' && i + 1 < n && all[i + 1] == '\n' ? 2 : 1;
        f(all.sliced(start, i - start), all.sliced(i, termLength));
        i += termLength - 1;
        start = i + 1;
    }
    if (start < n)
        f(all.sliced(start), all.sliced(n));
}

} // namespace

DecodedText DecodeText(QByteArrayView bytes)
{
    DecodedText out;
    if (bytes.startsWith(QByteArrayView(kBom, 3))) {
        const QByteArrayView body = bytes.sliced(3);
        if (IsValidUtf8(body)) {
            out.format = {TextEncoding::Utf8, true};
            out.text = QString::fromUtf8(body);
            return out;
        }
        // A BOM in front of bytes that are not UTF-8: treat the whole file as CP932 so
        // that nothing is lost (the BOM bytes decode to escaped bytes and write back).
    } else if ((bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) && bytes.size() % 2 == 0) {
        const bool bigEndian = bytes.startsWith("\xFE\xFF");
        out.format = {bigEndian ? TextEncoding::Utf16Be : TextEncoding::Utf16Le, true};
        out.text = DecodeUtf16(bytes.sliced(2), bigEndian);
        return out;
    } else {
        bool multi = false;
        int longest = 1;
        // Two-byte UTF-8 sequences are also CP932 half-width katakana pairs; without a
        // longer sequence (every Japanese character in UTF-8 has three bytes) CP932 wins.
        if (IsValidUtf8(bytes, &multi, &longest) && multi && (longest >= 3 || !IsCleanCp932(bytes))) {
            out.format = {TextEncoding::Utf8, false};
            out.text = QString::fromUtf8(bytes);
            return out;
        }
    }
    out.format = {TextEncoding::Cp932, false};
    out.text = DecodeCp932(bytes);
    return out;
}

std::optional<QByteArray> EncodeText(QStringView text, TextFormat format, QString* error)
{
    if (format.encoding == TextEncoding::Cp932)
        return EncodeCp932(text, error);
    if (format.encoding == TextEncoding::Utf16Le || format.encoding == TextEncoding::Utf16Be)
        return EncodeUtf16(text, format.encoding == TextEncoding::Utf16Be); // holds any code unit
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool pairStart = c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        if (pairStart) {
            ++i;
            continue;
        }
        if (c.isSurrogate()) {
            if (error)
                *error = QStringLiteral("the text holds %1, which UTF-8 cannot hold").arg(DescribeCharacter(text, i));
            return std::nullopt;
        }
    }
    QByteArray out;
    if (format.bom)
        out.append(kBom, 3);
    out.append(text.toUtf8());
    return out;
}

std::optional<QByteArray> EncodeTextKeepingLines(QStringView text, TextFormat format, QByteArrayView original, QString* error)
{
    // UTF-8 and UTF-16 round trips are exact; only CP932 has duplicate codes.
    if (format.encoding != TextEncoding::Cp932 || original.isEmpty())
        return EncodeText(text, format, error);
    QHash<QString, QList<QByteArrayView>> kept;
    ForEachLine(original, [&](QByteArrayView line, QByteArrayView) {
        const QString decoded = DecodeCp932(line);
        const std::optional<QByteArray> again = EncodeCp932(decoded);
        if (!again || *again != line)
            kept[decoded].append(line);
    });
    if (kept.isEmpty())
        return EncodeText(text, format, error);
    QByteArray out;
    out.reserve(original.size() + 64);
    bool ok = true;
    ForEachLine(text, [&](QStringView line, QStringView terminator) {
        if (!ok)
            return;
        auto it = kept.find(line.toString());
        if (it != kept.end() && !it->isEmpty()) {
            out.append(it->takeFirst());
        } else {
            const std::optional<QByteArray> bytes = EncodeCp932(line, error);
            if (!bytes) {
                ok = false;
                return;
            }
            out.append(*bytes);
        }
        out.append(terminator.toLatin1());
    });
    if (!ok)
        return std::nullopt;
    return out;
}

bool IsTextContent(QByteArrayView bytes, QString* why)
{
    if ((bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) && bytes.size() % 2 == 0)
        return true;
    const auto u = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 2 && u(0) == 0xFF && (u(1) & 0xE0) == 0xE0)
        return Set(why, QStringLiteral("it is an MP3 file, not text"));
    if (bytes.size() >= 10 && bytes.startsWith("ID3") && u(3) < 0x10)
        return Set(why, QStringLiteral("it begins with an ID3v2 tag (a song file), not text"));
    if (bytes.size() >= 12 && bytes.startsWith("RIFF"))
        return Set(why, QStringLiteral("it is a RIFF file (%1), not text").arg(QString::fromLatin1(bytes.sliced(8, 4))));
    if (bytes.contains('\0'))
        return Set(why, QStringLiteral("it holds NUL bytes (a binary file), not text"));
    return true;
}

bool ReadTextFile(const QString& path, QString& text, TextFormat* format, QString* error)
{
    QByteArray bytes;
    if (!ReadRegularFile(path, kMaxTextFileBytes, bytes, error))
        return false;
    DecodedText decoded = DecodeText(bytes);
    text = std::move(decoded.text);
    if (format)
        *format = decoded.format;
    return true;
}

namespace {

/// Writes under the file's lock; `format` nullopt keeps the format of the file there.
bool WriteLocked(const QString& path, QStringView text, std::optional<TextFormat> format, QString* error)
{
    FileLock lock;
    QByteArray current;
    FileFailure failure = FileFailure::None;
    QString reason;
    const bool exists = FileIdentity::OfPath(path).has_value();
    if (exists) {
        if (!lock.acquire(path, &reason, &failure) || !lock.readAll(kMaxTextFileBytes, current, &reason, &failure))
            return Set(error, reason);
        if (!IsTextContent(current, &reason))
            return Set(error, QStringLiteral("%1 was not overwritten: %2").arg(path, reason));
    }
    const TextFormat found = DecodeText(current).format;
    const TextFormat target = format.value_or(found);
    const std::optional<QByteArray> bytes =
        EncodeTextKeepingLines(text, target, exists && found == target ? QByteArrayView(current) : QByteArrayView(), &reason);
    if (!bytes)
        return Set(error, QStringLiteral("cannot write %1: %2").arg(path, reason));
    return WriteFileAtomically(path, *bytes, error);
}

} // namespace

bool WriteTextFile(const QString& path, QStringView text, TextFormat format, QString* error)
{
    return WriteLocked(path, text, format, error);
}

TextFormat DetectTextFileFormat(const QString& path)
{
    QByteArray bytes;
    if (!ReadRegularFile(path, kMaxTextFileBytes, bytes, nullptr))
        return {};
    return DecodeText(bytes).format;
}

bool WriteTextFile(const QString& path, QStringView text, QString* error)
{
    return WriteLocked(path, text, std::nullopt, error);
}

} // namespace common
