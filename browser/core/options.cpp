#include "browser/core/options.h"

#include "browser/core/settingsstore.h"

#include <QFileInfo>

namespace browser {
namespace {
const QString kOption = QStringLiteral("Option");

int InRange(int value, int lo, int hi, int fallback)
{
    return value >= lo && value <= hi ? value : fallback;
}
} // namespace

Options LoadOptions(const SettingsStore& store)
{
    Options o;
    o.taggingBy = LoadSetting(store, kOption, QStringLiteral("TaggingBy"), QString());
    o.winAmpTime = LoadSetting(store, kOption, QStringLiteral("WinAmpTime"), true);
    o.noAskTimeType = LoadSetting(store, kOption, QStringLiteral("NoAskTimeType"), true);
    o.offset = InRange(LoadSetting(store, kOption, QStringLiteral("Offset"), 0), 0, 3, 0);
    o.ilyc = LoadSetting(store, kOption, QStringLiteral("ILYC"), true);
    o.deleteAfterImplant = LoadSetting(store, kOption, QStringLiteral("DeleteAfterImplant"), false);
    o.renameMp3 = LoadSetting(store, kOption, QStringLiteral("RenameMP3"), true);
    o.fukaInputSleep = InRange(LoadSetting(store, kOption, QStringLiteral("FukaInputSleep"), 0), 0, 2, 0);
    o.fukaLyrics = InRange(LoadSetting(store, kOption, QStringLiteral("FukaLyrics"), 0), 0, 2, 0);
    o.pluginIni = LoadSetting(store, kOption, QStringLiteral("PluginIni"), QString());
    if (!o.pluginIni.isEmpty() && !QFileInfo(o.pluginIni).isFile())
        o.pluginIni.clear();
    o.useExGenre = LoadSetting(store, kOption, QStringLiteral("UseExGenre"), false);
    o.lyricsFixedFont = LoadSetting(store, kOption, QStringLiteral("LyricsFixedFont"), false);
    return o;
}

void StoreOptions(SettingsStore& store, const Options& o)
{
    StoreSetting(store, kOption, QStringLiteral("WinAmpTime"), o.winAmpTime);
    StoreSetting(store, kOption, QStringLiteral("TaggingBy"), o.taggingBy);
    StoreSetting(store, kOption, QStringLiteral("NoAskTimeType"), o.noAskTimeType);
    StoreSetting(store, kOption, QStringLiteral("Offset"), o.offset);
    StoreSetting(store, kOption, QStringLiteral("ILYC"), o.ilyc);
    StoreSetting(store, kOption, QStringLiteral("DeleteAfterImplant"), o.deleteAfterImplant);
    StoreSetting(store, kOption, QStringLiteral("RenameMP3"), o.renameMp3);
    StoreSetting(store, kOption, QStringLiteral("FukaInputSleep"), o.fukaInputSleep);
    StoreSetting(store, kOption, QStringLiteral("FukaLyrics"), o.fukaLyrics);
    StoreSetting(store, kOption, QStringLiteral("PluginIni"), o.pluginIni);
    StoreSetting(store, kOption, QStringLiteral("UseExGenre"), o.useExGenre);
}

void StoreDisplayOptions(SettingsStore& store, const Options& o)
{
    StoreSetting(store, kOption, QStringLiteral("LyricsFixedFont"), o.lyricsFixedFont);
}

int PressIntervalMs(int fukaLyrics)
{
    switch (fukaLyrics) {
    case 1:
        return 20;
    case 2:
        return 400;
    default:
        return 1;
    }
}

int EngineInputSleep(int fukaInputSleep)
{
    switch (fukaInputSleep) {
    case 1:
        return 5;
    case 2:
        return 25;
    default:
        return 1;
    }
}

} // namespace browser
