#include "lyrics/rescale.h"

#include "lyrics/timetag.h"

#include <cmath>

namespace lyrics {

QString RescaleOrderMessage()
{
    return QStringLiteral("最後のタイムタグが最初のタイムタグより\r\n大きくないと計算できません。");
}

RescaleResult RescaleTags(QStringView text, int firstOld, int lastOld, int firstNew, int lastNew)
{
    if (firstNew == firstOld && lastNew == lastOld)
        return {true, text.toString(), {}};
    if (!(firstOld < lastOld && firstNew < lastNew))
        return {false, text.toString(), RescaleOrderMessage()};
    const double k = (double(lastNew) - firstNew) / (double(lastOld) - firstOld);
    auto walk = [&](bool proportional, bool* negative) {
        return RewriteTags(text, [&](const TagMatch& m, QString& out) {
            const int t = m.msec();
            double v;
            if (t == firstOld)
                v = firstNew;
            else if (t == lastOld)
                v = lastNew;
            else if (proportional && t < firstOld)
                v = std::floor(double(t) * firstNew / firstOld + 0.5);
            else
                v = std::floor((double(t) - firstOld) * k + 0.5) + firstNew;
            if (v < 0)
                *negative = true;
            AppendTimeTag(out, v < 0 ? 0 : qint64(std::min(v, double(kMaxTagMsec))), m.layout);
        });
    };
    bool negative = false;
    QString out = walk(false, &negative);
    // A tag in front of the first reference that would fall below 0: the walk starts
    // again, scaling such tags proportionally from 0. It runs once; a negative result
    // that remains (new times below 0) is written as 0.
    if (negative)
        out = walk(true, &negative);
    return {true, std::move(out), {}};
}

} // namespace lyrics
