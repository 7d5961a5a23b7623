#pragma once
// The options dialog "Melwick Ex オプション" (FormOption).
//
// Four pages chosen by the tab strip `TB` ("補正", "埋め込み", "演奏", "その他"), each a
// frame `FrameOption`1…4 (tab number = frame index; see controlarray.h for the naming of
// control arrays). The dialog loads its controls from the program's Options; only the
// button `ComClose` ("閉じる") takes the values back into those Options and writes the
// eleven "Option" keys. Closing it any other way (Escape, the window's close button)
// changes and stores nothing.
//
// After the dialog has stored, the caller applies the two load settings at once: the
// press-and-hold interval from PressIntervalMs(options.fukaLyrics) and the engine's input
// pause from EngineInputSleep(options.fukaInputSleep) (browser/core/options.h).
//
// Controls by objectName:
//   TB (QTabBar; tab data = key "Hosei", "Implant", "Play", "etc"), FrameOption1…4
//   page 1: OptTimeType0 "WinAmp時間", OptTimeType1 "標準時間", ChkNoAskTimeType,
//           TextTaggingBy, OptOffset0…3
//   page 2: ChkDeleteAfterImplant, ChkRenameMP3, OptILYC0 "ILYCに埋め込み(推奨)", OptILYC1
//   page 3: ComboFuka0 "再生負荷：", ComboFuka1 "歌詞更新頻度：" (items "高", "中", "低")
//   page 4: ChkUseExGenre, lblPluginIni (click, Space or Enter: choose plugin.ini)
//   ComClose

#include "browser/core/options.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;

namespace browser {

class Prompter;
class SettingsStore;
class PathLabel;

/// The dialog's pages, numbered like the tabs. The main menu "その他のオプション(&O)"
/// opens the dialog on Hosei, the embedding menu's "オプション" on Implant.
enum class OptionTab { Hosei = 1, Implant = 2, Play = 3, Etc = 4 };

/// Shows the options dialog modally on `tab`, centred on `parent` (on the screen while
/// `parent` is not shown yet, as on the first run). Returns true when the user closed it
/// with "閉じる": `options` then holds the dialog's values and `store` has all eleven
/// "Option" keys written and synced. Returns false, with nothing changed, otherwise.
/// File choices go through `prompter`.
/// `browseFolder` is where the plug-in file dialog starts while no file is chosen (the
/// selected song's folder).
bool ShowOptionsDialog(QWidget* parent, Options& options, SettingsStore& store, Prompter& prompter,
                       OptionTab tab = OptionTab::Hosei, const QString& browseFolder = QString());

class FormOption : public QDialog {
    Q_OBJECT
public:
    /// Loads the controls from `options`; `options` and `store` are written only by ComClose.
    FormOption(Options& options, SettingsStore& store, Prompter& prompter, OptionTab tab, QWidget* parent = nullptr);

    /// The page shown now.
    OptionTab currentTab() const;
    /// The values the controls show now, in the form they would be stored.
    Options shownValues() const;
    /// True once ComClose has stored the values.
    bool stored() const { return stored_; }
    /// Where the plug-in file dialog starts while no file is chosen.
    void setBrowseFolder(const QString& folder) { browseFolder_ = folder; }

private:
    void buildPages();
    void buildCorrectionPage(QWidget* page);
    void buildImplantPage(QWidget* page);
    void buildPlayPage(QWidget* page);
    void buildOtherPage(QWidget* page);
    void loadControls(const Options& options);
    void choosePluginIni();
    void storeAndClose();

    Options& options_;
    SettingsStore& store_;
    Prompter& prompter_;
    bool stored_ = false;
    QString browseFolder_;

    QTabWidget* tabs_ = nullptr;
    QButtonGroup* timeType_ = nullptr;
    QButtonGroup* offset_ = nullptr;
    QButtonGroup* ilyc_ = nullptr;
    QCheckBox* noAskTimeType_ = nullptr;
    QLineEdit* taggingBy_ = nullptr;
    QCheckBox* deleteAfterImplant_ = nullptr;
    QCheckBox* renameMp3_ = nullptr;
    QComboBox* fuka_[2] = {nullptr, nullptr};
    QCheckBox* useExGenre_ = nullptr;
    QCheckBox* fixedFont_ = nullptr;
    PathLabel* pluginIni_ = nullptr;
};

} // namespace browser
