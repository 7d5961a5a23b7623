#include "browser/core/columns.h"

#include "browser/core/settingsstore.h"

#include <cmath>

namespace browser {
namespace {

const char* const kKeyNames[kCellCount] = {"filename", "path",  "size",    "timestamp", "ext",     "artist", "title",
                                            "tagtype",  "timetype", "taggingby", "album", "comment", "tags",   "version",
                                            "layer",    "sr",    "br",      "playtime",  "match"};

constexpr std::array<int, kMaxColumns + 1> kLyricsWidths = {0, 1700, 900, 900, 600, 1200, 1200, 600, 600, 900, 500, 1700};
constexpr std::array<int, kMaxColumns + 1> kSongWidths = {0,   1700, 900, 900, 600, 1200, 1200, 900, 900,
                                                          900, 250,  250, 250, 250, 500,  500,  1700};

ColumnDef Def(Col col, const char* caption, bool right = false)
{
    return {col, ColumnKeyName(col), QString::fromUtf8(caption), right};
}

} // namespace

QString ColumnKeyName(Col col)
{
    return QString::fromLatin1(kKeyNames[static_cast<int>(col)]);
}

std::optional<Col> ColumnFromKey(QStringView key)
{
    for (int i = 0; i < kCellCount; ++i)
        if (key == QLatin1String(kKeyNames[i]))
            return static_cast<Col>(i);
    return std::nullopt;
}

const QList<ColumnDef>& ModeColumns(PaneMode mode)
{
    static const QList<ColumnDef> lyrics = {
        Def(Col::Filename, "ファイル名"),   Def(Col::Size, "サイズ", true), Def(Col::Timestamp, "更新日時"),
        Def(Col::Ext, "種類"),             Def(Col::Artist, "アーティスト"), Def(Col::Title, "曲名"),
        Def(Col::TagType, "タグ"),         Def(Col::TimeType, "時間"),       Def(Col::TaggingBy, "作成者"),
        Def(Col::Match, "同名"),           Def(Col::Path, "フォルダ"),
    };
    static const QList<ColumnDef> songs = {
        Def(Col::Filename, "ファイル名"),   Def(Col::Size, "サイズ", true), Def(Col::Timestamp, "更新日時", true),
        Def(Col::Ext, "種類"),             Def(Col::Artist, "アーティスト"), Def(Col::Title, "曲名"),
        Def(Col::Album, "アルバム"),       Def(Col::Comment, "コメント"),    Def(Col::Tags, "情報"),
        Def(Col::Version, "version", true), Def(Col::Layer, "layer", true),  Def(Col::Sr, "s/r", true),
        Def(Col::Br, "b/r", true),         Def(Col::PlayTime, "演奏時間", true), Def(Col::Match, "同名"),
        Def(Col::Path, "フォルダ"),
    };
    return mode == PaneMode::Lyrics ? lyrics : songs;
}

int ColumnIndex(PaneMode mode, Col col)
{
    const QList<ColumnDef>& cols = ModeColumns(mode);
    for (qsizetype i = 0; i < cols.size(); ++i)
        if (cols.at(i).col == col)
            return static_cast<int>(i);
    return -1;
}

int DefaultColumnWidth(PaneMode mode, int n)
{
    if (n < 1 || n > ModeColumnCount(mode))
        return 0;
    return mode == PaneMode::Lyrics ? kLyricsWidths[n] : kSongWidths[n];
}

int TwipsToPixels(int twips)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

int KeepTwips(int twips, int pixels)
{
    return TwipsToPixels(twips) == pixels ? twips : PixelsToTwips(pixels);
}

ColumnLayout::ColumnLayout()
{
    reset();
}

void ColumnLayout::reset()
{
    for (PaneMode mode : {PaneMode::Lyrics, PaneMode::Song}) {
        for (int n = 0; n <= kMaxColumns; ++n) {
            width_[Index(mode)][n] = DefaultColumnWidth(mode, n);
            pos_[Index(mode)][n] = n <= ModeColumnCount(mode) ? n : 0;
        }
    }
}

QList<int> ColumnLayout::displayOrder(PaneMode mode) const
{
    const int count = ModeColumnCount(mode);
    QList<int> order;
    for (int n = 1; n <= count; ++n)
        order << n;
    for (int p = 1; p <= count; ++p) {
        for (int n = 1; n <= count; ++n) {
            if (position(mode, n) == p) {
                order.removeOne(n);
                order.insert(p - 1, n);
                break;
            }
        }
    }
    return order;
}

ColumnLayout LoadColumnLayout(const SettingsStore& store, const ColumnLayout& defaults)
{
    ColumnLayout layout = defaults;
    const PaneMode modes[] = {PaneMode::Lyrics, PaneMode::Song};
    for (PaneMode mode : modes) {
        const QString section = mode == PaneMode::Lyrics ? QStringLiteral("LVS0") : QStringLiteral("LVS1");
        for (int n = 1; n <= ModeColumnCount(mode); ++n)
            layout.setWidth(mode, n, LoadSetting(store, section, QString::number(n), defaults.width(mode, n)));
    }
    for (PaneMode mode : modes) {
        const QString section = mode == PaneMode::Lyrics ? QStringLiteral("LVP0") : QStringLiteral("LVP1");
        for (int n = 1; n <= ModeColumnCount(mode); ++n)
            layout.setPosition(mode, n, LoadSetting(store, section, QString::number(n), n));
    }
    return layout;
}

void StoreColumnLayout(SettingsStore& store, const ColumnLayout& layout)
{
    for (PaneMode mode : {PaneMode::Lyrics, PaneMode::Song}) {
        const int m = mode == PaneMode::Lyrics ? 0 : 1;
        for (int n = 1; n <= ModeColumnCount(mode); ++n) {
            StoreSetting(store, QStringLiteral("LVS%1").arg(m), QString::number(n), layout.width(mode, n));
            StoreSetting(store, QStringLiteral("LVP%1").arg(m), QString::number(n), layout.position(mode, n));
        }
    }
}

} // namespace browser
