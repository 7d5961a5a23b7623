#include "browser/gui/tagcommands/tagfile.h"

#include "common/atomicfile.h"
#include "lyrics/linebreaks.h"

namespace browser {

LineBreakStyle DetectLineBreakStyle(QStringView text)
{
    bool crlf = false, lf = false, cr = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n') {
                crlf = true;
                ++i;
            } else {
                cr = true;
            }
        } else if (text[i] == u'\n') {
            lf = true;
        }
    }
    if (crlf + lf + cr > 1)
        return LineBreakStyle::Mixed;
    if (lf)
        return LineBreakStyle::Lf;
    if (cr)
        return LineBreakStyle::Cr;
    return LineBreakStyle::CrLf;
}

bool ReadLyricsFile(const QString& path, LyricsFileText& out, QString* error)
{
    // Only regular files: a FIFO or device with a lyrics name would block the worker.
    if (!common::ReadRegularFile(path, common::kMaxTextFileBytes, out.bytes, error))
        return false;
    common::DecodedText decoded = common::DecodeText(out.bytes);
    out.format = decoded.format;
    out.style = DetectLineBreakStyle(decoded.text);
    // A mixed file is used as it stands, like the lyrics pane does.
    out.text = out.style == LineBreakStyle::Mixed ? decoded.text : lyrics::NormalizeLineBreaks(decoded.text);
    return true;
}

std::optional<QByteArray> EncodeLikeFile(const QString& crlfText, const LyricsFileText& file, QString* error)
{
    QString text = crlfText;
    if (file.style == LineBreakStyle::Lf)
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    else if (file.style == LineBreakStyle::Cr)
        text.replace(QLatin1String("\r\n"), QLatin1String("\r"));
    // Lines the command did not change keep their bytes (CP932 has duplicate codes).
    return common::EncodeTextKeepingLines(text, file.format, file.bytes, error);
}

bool ReplaceFileBytes(const QString& path, const QByteArray& bytes, QString* error)
{
    common::AtomicFile file(path);
    if (file.open() && file.write(bytes) && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace browser
