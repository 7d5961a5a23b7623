#include "common/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <vector>

namespace common {
namespace {

constexpr char16_t kEscapeBase = 0xDC00; // lone surrogates DC80..DCFF carry raw bytes

bool IsAscii(QByteArrayView bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool IsAscii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

/// One iconv conversion descriptor, closed on scope exit.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (ok())
            iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    void reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }
    size_t convert(char** in, size_t* inLeft, char** out, size_t* outLeft)
    {
        return iconv(cd_, in, inLeft, out, outLeft);
    }

private:
    iconv_t cd_;
};

} // namespace

QString DecodeCp932(QByteArrayView bytes)
{
    if (IsAscii(bytes))
        return QString::fromLatin1(bytes.data(), bytes.size());

    Iconv cd("UTF-16LE", "CP932");
    QString out;
    out.reserve(bytes.size());
    if (!cd.ok()) {
        // No converter: keep every non-ASCII byte escaped so that nothing is lost.
        for (char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            out.append(b < 0x80 ? QChar(b) : QChar(char16_t(kEscapeBase + b)));
        }
        return out;
    }

    std::vector<char> buf(static_cast<size_t>(bytes.size()) * 2 + 16);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = static_cast<size_t>(bytes.size());
    while (inLeft > 0) {
        char* outp = buf.data();
        size_t outLeft = buf.size();
        const size_t r = cd.convert(&in, &inLeft, &outp, &outLeft);
        const size_t produced = buf.size() - outLeft;
        out.append(reinterpret_cast<const QChar*>(buf.data()), static_cast<qsizetype>(produced / 2));
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL (a lead byte at the end): escape one byte and go on.
            const auto b = static_cast<unsigned char>(*in);
            out.append(b < 0x80 ? QChar(b) : QChar(char16_t(kEscapeBase + b)));
            ++in;
            --inLeft;
            cd.reset();
        }
    }
    return out;
}

QString DecodeCp932Exact(QByteArrayView bytes)
{
    QString out = DecodeCp932(bytes);
    const std::optional<QByteArray> again = EncodeCp932(out);
    if (again && *again == bytes)
        return out;
    // Character by character: a lead byte and its trail byte, or a single byte.
    out.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i < bytes.size();) {
        const unsigned char b = p[i];
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        const qsizetype len = lead && i + 1 < bytes.size() ? 2 : 1;
        const QByteArrayView piece = bytes.sliced(i, len);
        const QString decoded = DecodeCp932(piece);
        const std::optional<QByteArray> encoded = EncodeCp932(decoded);
        if (encoded && *encoded == piece) {
            out += decoded;
        } else {
            for (char c : piece) {
                const auto u = static_cast<unsigned char>(c);
                out += u < 0x80 ? QChar(u) : QChar(char16_t(kEscapeBase + u));
            }
        }
        i += len;
    }
    return out;
}

QString DescribeCharacter(QStringView text, qsizetype index)
{
    char32_t cp = text.at(index).unicode();
    qsizetype len = 1;
    if (text.at(index).isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate()) {
        cp = QChar::surrogateToUcs4(text.at(index), text.at(index + 1));
        len = 2;
    }
    const QString hex = QStringLiteral("U+") + QString::number(static_cast<uint>(cp), 16).toUpper().rightJustified(4, QLatin1Char('0'));
    if (QChar::isSurrogate(cp))
        return hex;
    return QStringLiteral("'%1' (%2)").arg(text.mid(index, len).toString(), hex);
}

namespace {

/// Encodes `text`; stops before the first character that would make the output longer
/// than `maxBytes` (when maxBytes >= 0). Returns nullopt on an unencodable character.
std::optional<QByteArray> Encode(QStringView text, qsizetype maxBytes, QString* error)
{
    if (IsAscii(text)) {
        QByteArray out = text.toLatin1();
        if (maxBytes >= 0 && out.size() > maxBytes)
            out.truncate(maxBytes);
        return out;
    }
    Iconv cd("CP932", "UTF-16LE");
    if (!cd.ok()) {
        if (error)
            *error = QStringLiteral("CP932 converter is not available");
        return std::nullopt;
    }
    QByteArray out;
    out.reserve(text.size() * 2);
    char buf[8];
    // Character by character so that a cut never splits a double-byte character and the
    // failing character can be named. Text lengths here are small (tags, lyrics).
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        qsizetype units = 1;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            units = 2;
        QByteArray piece;
        if (c.unicode() < 0x80) {
            piece.append(static_cast<char>(c.unicode()));
        } else if (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF) {
            piece.append(static_cast<char>(c.unicode() - kEscapeBase)); // a byte kept by decoding
        } else {
            char* in = reinterpret_cast<char*>(const_cast<QChar*>(text.data() + i));
            size_t inLeft = static_cast<size_t>(units) * 2;
            char* outp = buf;
            size_t outLeft = sizeof buf;
            cd.reset();
            if (cd.convert(&in, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || inLeft != 0
                || outp == buf) {
                if (error)
                    *error = QStringLiteral("the character %1 cannot be written in the Japanese code page (CP932)")
                                 .arg(DescribeCharacter(text, i));
                return std::nullopt;
            }
            piece.append(buf, outp - buf);
        }
        if (maxBytes >= 0 && out.size() + piece.size() > maxBytes)
            break;
        out.append(piece);
        i += units - 1;
    }
    return out;
}

} // namespace

std::optional<QByteArray> EncodeCp932(QStringView text, QString* error)
{
    if (IsAscii(text))
        return text.toLatin1();
    Iconv cd("CP932", "UTF-16LE");
    if (!cd.ok())
        return Encode(text, -1, error);
    // Bulk conversion; at a character iconv refuses, either write back a byte kept by
    // decoding (U+DC80..U+DCFF) or give up and name the character.
    QByteArray out;
    std::vector<char> buf(static_cast<size_t>(text.size()) * 2 + 16);
    char* in = reinterpret_cast<char*>(const_cast<QChar*>(text.data()));
    size_t inLeft = static_cast<size_t>(text.size()) * 2;
    while (inLeft > 0) {
        char* outp = buf.data();
        size_t outLeft = buf.size();
        const size_t r = cd.convert(&in, &inLeft, &outp, &outLeft);
        out.append(buf.data(), static_cast<qsizetype>(buf.size() - outLeft));
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            const qsizetype index = (reinterpret_cast<QChar*>(in) - text.data());
            const char16_t u = text.at(index).unicode();
            if (u >= 0xDC80 && u <= 0xDCFF) {
                out.append(static_cast<char>(u - kEscapeBase));
                in += 2;
                inLeft -= 2;
                cd.reset();
                continue;
            }
            if (error)
                *error = QStringLiteral("the character %1 cannot be written in the Japanese code page (CP932)")
                             .arg(DescribeCharacter(text, index));
            return std::nullopt;
        }
    }
    return out;
}

std::optional<QByteArray> EncodeCp932Prefix(QStringView text, qsizetype maxBytes, QString* error)
{
    return Encode(text, maxBytes < 0 ? 0 : maxBytes, error);
}

bool IsCp932Encodable(QStringView text)
{
    return EncodeCp932(text, nullptr).has_value();
}

bool IsCleanCp932(QByteArrayView bytes)
{
    if (IsAscii(bytes))
        return true;
    const QString text = DecodeCp932(bytes);
    for (QChar c : text)
        if (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF)
            return false;
    return true;
}

bool IsValidUtf8(QByteArrayView bytes, bool* hasMultibyte, int* longest)
{
    bool multi = false;
    int maxLen = 1;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int len;
        char32_t cp;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (i + len > n)
            return false;
        for (int k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        multi = true;
        maxLen = std::max(maxLen, len);
        i += len;
    }
    if (hasMultibyte)
        *hasMultibyte = multi;
    if (longest)
        *longest = maxLen;
    return true;
}

} // namespace common
