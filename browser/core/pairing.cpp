#include "browser/core/pairing.h"

#include "browser/core/filepane.h"

#include <QSet>

namespace browser {

QString NameStem(const QString& name)
{
    return name.left(qMax<qsizetype>(0, name.size() - 3)).toLower();
}

QString ExtensionStem(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? name : name.left(dot)).toLower();
}

void PairRow(FilePane& pane, int row, FilePane& other)
{
    if (other.isEmpty() || row < 0 || row >= pane.rowCount())
        return;
    const QList<int> partners = other.rowsWithNameStem(NameStem(pane.row(row).name));
    for (int y : partners) {
        if (!pane.row(row).paired()) {
            pane.updateRow(row, [&](FileRow& r) {
                r.setCell(Col::Match, PairMark());
                r.icon += pane.increment();
            });
        }
        const FileRow& partner = other.row(y);
        if (!partner.paired() && partner.icon > 0) {
            other.updateRow(y, [&](FileRow& r) {
                r.setCell(Col::Match, PairMark());
                r.icon += other.increment();
            });
        }
    }
}

namespace {
void RepairPane(FilePane& pane, const FilePane& other)
{
    QSet<QString> stems;
    stems.reserve(other.rowCount());
    for (const FileRow& r : other.rows())
        stems.insert(ExtensionStem(r.name));
    for (int i = 0; i < pane.rowCount(); ++i) {
        const FileRow& x = pane.row(i);
        if (x.icon <= 0)
            continue;
        const bool paired = stems.contains(ExtensionStem(x.name));
        if (paired && x.cell(Col::Match).isEmpty()) {
            pane.updateRow(i, [&](FileRow& r) {
                r.setCell(Col::Match, PairMark());
                r.icon += pane.increment();
            });
        } else if (!paired && x.cell(Col::Match) == PairMark()) {
            pane.updateRow(i, [&](FileRow& r) {
                r.setCell(Col::Match, QString());
                r.icon -= pane.increment();
            });
        }
    }
}
} // namespace

void RepairAll(FilePane& left, FilePane& right)
{
    if (left.isEmpty() || right.isEmpty()) {
        if (left.isEmpty())
            ClearPairMarks(right);
        if (right.isEmpty())
            ClearPairMarks(left);
        return;
    }
    RepairPane(left, right);
    RepairPane(right, left);
}

void ClearPairMarks(FilePane& pane)
{
    for (int i = 0; i < pane.rowCount(); ++i) {
        if (pane.row(i).cell(Col::Match) == PairMark()) {
            pane.updateRow(i, [&](FileRow& r) {
                r.setCell(Col::Match, QString());
                r.icon -= pane.increment();
            });
        }
    }
}

int FindPartnerRow(const FilePane& pane, int row, const FilePane& other)
{
    if (row < 0 || row >= pane.rowCount())
        return -1;
    const QList<int>& partners = other.rowsWithNameStem(NameStem(pane.row(row).name));
    return partners.isEmpty() ? -1 : partners.first();
}

int FindSameStemRow(const FilePane& pane, const QString& name)
{
    const QString stem = ExtensionStem(name);
    for (int i = 0; i < pane.rowCount(); ++i)
        if (ExtensionStem(pane.row(i).name) == stem)
            return i;
    return -1;
}

} // namespace browser
