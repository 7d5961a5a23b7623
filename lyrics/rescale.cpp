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
    auto scaled = [&](int t, bool proportional) {
        if (t == firstOld)
            return double(firstNew);
        if (t == lastOld)
            return double(lastNew);
        if (proportional && t < firstOld)
            return std::floor(double(t) * firstNew / firstOld + 0.5);
        return std::floor((double(t) - firstOld) * k + 0.5) + firstNew;
    };
    // A tag in front of the first reference that would fall below 0: the tags are scaled
    // proportionally from 0 instead. A negative result that remains (new times below 0) is
    // written as 0.
    bool proportional = false;
    for (TagMatch m = FindNextTag(text); m.found() && !proportional; m = FindNextTag(text, m.end()))
        proportional = scaled(m.msec(), false) < 0;
    QString out = RewriteTagTimes(text, [&](const TagMatch& m) {
        const double v = scaled(m.msec(), proportional);
        return TagTime{v < 0 ? 0 : qint64(std::min(v, double(kMaxTagMsec))), m.layout};
    });
    return {true, std::move(out), {}};
}

} // namespace lyrics
