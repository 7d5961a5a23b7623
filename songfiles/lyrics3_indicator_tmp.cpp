// TEMPORARY until the lyrics core is merged: replaced by lyrics::HasTags.
#include "songfiles/lyrics3.h"
namespace songfiles {
QString Lyrics3Indicator(const QString& lyrics)
{
    if (lyrics.isEmpty())
        return QStringLiteral("00");
    return QStringLiteral("10");
}
} // namespace songfiles
