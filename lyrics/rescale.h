#pragma once
// Linear rescaling of all time tags so that two reference tags land on new times (the
// play-along adjustment).

#include <QString>
#include <QStringView>

namespace lyrics {

struct RescaleResult {
    bool ok = false;
    QString text;    // the rescaled text, or the text unchanged on failure
    QString message; // why it failed, for the caller to show
};

/// The message shown when the last reference time is not after the first.
QString RescaleOrderMessage();

/// Maps every tag so that `firstOld` becomes `firstNew` and `lastOld` becomes `lastNew`,
/// the others linearly (times in ms). Should a tag in front of the first reference map
/// below 0, tags in front of it are scaled proportionally from 0 instead. Results are
/// never negative.
RescaleResult RescaleTags(QStringView text, int firstOld, int lastOld, int firstNew, int lastNew);

} // namespace lyrics
