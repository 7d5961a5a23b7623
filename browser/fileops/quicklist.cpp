#include "browser/fileops/quicklist.h"

#include <QDir>
#include <QFileInfo>

namespace fileops {

namespace {
const QString kSection = QStringLiteral("Init");
}

void QuickAccessList::load(const browser::SettingsStore& store)
{
    folders_.clear();
    const int max = browser::LoadSetting(store, kSection, QStringLiteral("QuickListMax"), 0);
    for (int n = 1; n <= max; ++n) {
        const QString folder = browser::LoadSetting(store, kSection, QStringLiteral("QuickList") + QString::number(n), QString());
        if (!folder.isEmpty())
            folders_ << folder;
    }
}

void QuickAccessList::store(browser::SettingsStore& store) const
{
    browser::StoreSetting(store, kSection, QStringLiteral("QuickListMax"), count());
    for (int n = 1; n <= count(); ++n)
        browser::StoreSetting(store, kSection, QStringLiteral("QuickList") + QString::number(n), folders_[n - 1]);
}

bool QuickAccessList::add(const QString& folder)
{
    if (folder.isEmpty() || folders_.contains(folder, Qt::CaseSensitive))
        return false;
    folders_ << folder;
    return true;
}

int QuickAccessList::moveUp(int row)
{
    if (row <= 0 || row >= count())
        return row;
    folders_.swapItemsAt(row, row - 1);
    return row - 1;
}

int QuickAccessList::moveDown(int row)
{
    if (row < 0 || row >= count() - 1)
        return row;
    folders_.swapItemsAt(row, row + 1);
    return row + 1;
}

int QuickAccessList::remove(int row)
{
    if (row < 0 || row >= count())
        return -1;
    folders_.removeAt(row);
    if (row > 0)
        return row - 1;
    return isEmpty() ? -1 : 0;
}

QList<QuickEntry> QuickAccessList::menuEntries() const
{
    QList<QuickEntry> entries;
    for (const QString& folder : folders_)
        entries.push_back(QuickEntry{MenuCaption(folder), folder});
    return entries;
}

QString MenuCaption(const QString& path)
{
    QString caption = path;
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString SameFolderCaption(int pane)
{
    return (pane == 0 ? QStringLiteral("右") : QStringLiteral("左")) + QStringLiteral("と同じフォルダを選択");
}

QString QuickListEditStatus()
{
    return QStringLiteral("ExplorerからのD&Dにはまだ対応してませんm(_ _)m");
}

QuickChoice ChooseQuickFolder(const QString& wanted, const QString& current, const std::function<bool(const QString&)>& accessible)
{
    const auto canEnter = [&](const QString& folder) {
        if (accessible)
            return accessible(folder);
        const QFileInfo info(folder);
        return QDir::isAbsolutePath(folder) && info.isDir() && info.isExecutable() && info.isReadable();
    };
    if (!wanted.isEmpty() && canEnter(wanted))
        return QuickChoice{wanted, true};
    return QuickChoice{current, false};
}

} // namespace fileops
