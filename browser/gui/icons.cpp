#include "browser/gui/icons.h"

#include <QHash>

// Resources of a static library are linked only when something names them.
static void InitIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace browser {
namespace {

QIcon Resource(const QString& name)
{
    static const bool initialised = (InitIconResources(), true);
    Q_UNUSED(initialised);
    return QIcon(QStringLiteral(":/icons/") + name + QStringLiteral(".svg"));
}

struct ButtonEntry {
    const char* key;
    const char* themeName; // freedesktop icon name, or nullptr when the theme has none that fits
    const char* file;      // our own drawing
};

// Theme names are from the freedesktop icon naming specification only, so that a theme
// never supplies a look-alike of an unrelated action.
const ButtonEntry kButtons[] = {
    {"Open", "document-open", "open"},
    {"Save", "document-save", "save"},
    {"Copy", "edit-copy", "copy"},
    {"Move", "edit-cut", "move"},
    {"Delete1", "user-trash", "delete-trash"},
    {"Delete2", "edit-delete", "delete-direct"},
    {"RenameRtoL", nullptr, "rename-right-to-left"},
    {"RenameLtoR", nullptr, "rename-left-to-right"},
    {"RenameManual", nullptr, "rename-manual"},
    {"ReSearch", "view-refresh", "research"},
    {"AutoLoad", nullptr, "autoload"},
    {"SelectAll", "edit-select-all", "select-all"},
    {"SelectInverse", nullptr, "select-inverse"},
    {"SelectNone", nullptr, "select-none"},
    {"SelectClear", nullptr, "select-clear"},
    {"SelectSearch", nullptr, "select-search"},
    {"AutoSelect", nullptr, "autoselect"},
    {"Help", "help-contents", "help"},
    {"Play", "media-playback-start", "play"},
    {"Pause", "media-playback-pause", "pause"},
    {"Stop", "media-playback-stop", "stop"},
};

const ButtonEntry* FindButton(const QString& key)
{
    for (const ButtonEntry& e : kButtons)
        if (key == QLatin1String(e.key))
            return &e;
    return nullptr;
}

const char* RowFile(int number)
{
    switch (number) {
    case 1: return "row-mp3";
    case 2: return "row-mp3-lyrics3";
    case 3: return "row-mp3-paired";
    case 4: return "row-mp3-lyrics3-paired";
    case 5: return "row-rmp";
    case 6: return "row-rmp-lyrics3";
    case 7: return "row-rmp-paired";
    case 8: return "row-rmp-lyrics3-paired";
    case 9: return "row-lyrics-none";
    case 10: return "row-lyrics-none-paired";
    case 11: return "row-lyrics-linehead";
    case 12: return "row-lyrics-linehead-paired";
    case 13: return "row-lyrics-karaoke";
    case 14: return "row-lyrics-karaoke-paired";
    default: return nullptr;
    }
}

} // namespace

QIcon RowStateIcon(int number)
{
    static QHash<int, QIcon> cache;
    const char* file = RowFile(number);
    if (!file)
        return {};
    auto it = cache.find(number);
    if (it == cache.end())
        it = cache.insert(number, Resource(QLatin1String(file)));
    return *it;
}

QList<int> RowStateIconNumbers()
{
    QList<int> out;
    for (int n = 1; RowFile(n); ++n)
        out << n;
    return out;
}

QIcon OwnButtonImage(const QString& key)
{
    const ButtonEntry* e = FindButton(key);
    return e ? Resource(QLatin1String(e->file)) : QIcon();
}

QIcon ButtonImage(const QString& key)
{
    const ButtonEntry* e = FindButton(key);
    if (!e)
        return {};
    QIcon own = Resource(QLatin1String(e->file));
    if (!e->themeName)
        return own;
    return QIcon::fromTheme(QLatin1String(e->themeName), own);
}

QStringList ButtonImageKeys()
{
    QStringList out;
    for (const ButtonEntry& e : kButtons)
        out << QLatin1String(e.key);
    return out;
}

QIcon SortArrowIcon(int number)
{
    switch (number) {
    case 1:
        return Resource(QStringLiteral("sort-descending"));
    case 2:
        return Resource(QStringLiteral("sort-ascending"));
    default:
        return {};
    }
}

QIcon ApplicationIcon()
{
    return Resource(QStringLiteral("melwickex"));
}

} // namespace browser
