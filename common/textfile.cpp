#include "common/textfile.h"

#include "common/atomicfile.h"
#include "common/codepage.h"

#include <QFile>

namespace common {
namespace {
constexpr char kBom[] = "\xEF\xBB\xBF";
}

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
    } else {
        bool multi = false;
        if (IsValidUtf8(bytes, &multi) && multi) {
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

bool ReadTextFile(const QString& path, QString& text, TextFormat* format, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot open %1: %2").arg(path, f.errorString());
        return false;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
        return false;
    }
    DecodedText decoded = DecodeText(bytes);
    text = std::move(decoded.text);
    if (format)
        *format = decoded.format;
    return true;
}

bool WriteTextFile(const QString& path, QStringView text, TextFormat format, QString* error)
{
    QString reason;
    const std::optional<QByteArray> bytes = EncodeText(text, format, &reason);
    if (!bytes) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, reason);
        return false;
    }
    return WriteFileAtomically(path, *bytes, error);
}

TextFormat DetectTextFileFormat(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return DecodeText(f.readAll()).format;
}

bool WriteTextFile(const QString& path, QStringView text, QString* error)
{
    return WriteTextFile(path, text, DetectTextFileFormat(path), error);
}

} // namespace common
