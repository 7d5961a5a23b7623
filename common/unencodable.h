#pragma once
// Which characters of a text CP932 cannot hold, and where: for the message that refuses
// a save and offers another encoding.

#include <QList>
#include <QString>
#include <QStringView>

namespace common {

struct Unencodable {
    int line = 0;      // from 1; CR LF, LF and CR each end a line
    QString character; // as DescribeCharacter gives it: "'😀' (U+1F600)"
};

/// The first `max` characters of `text` without a CP932 form, in text order; `total`
/// (if given) receives how many there are in all.
QList<Unencodable> FindCp932Unencodable(QStringView text, int max, int* total = nullptr);

} // namespace common
