#include "browser/gui/formoption.h"

#include "browser/core/prompter.h"
#include "browser/core/settingsstore.h"
#include "browser/gui/controlarray.h"
#include "browser/gui/pathlabel.h"
#include "common/utf8text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace browser {
namespace {

using common::U;

QGroupBox* Frame(QWidget* page, const char* name, const char* caption)
{
    auto* box = new QGroupBox(U(caption), page);
    box->setObjectName(QLatin1String(name));
    return box;
}

QRadioButton* Option(QWidget* parent, QButtonGroup* group, const QString& arrayName, int index, const char* caption)
{
    auto* button = new QRadioButton(U(caption), parent);
    button->setObjectName(ControlName(arrayName, index));
    group->addButton(button, index);
    return button;
}

QCheckBox* Check(QWidget* parent, const char* name, const char* caption)
{
    auto* box = new QCheckBox(U(caption), parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

// Selects button `index` of `group`, or `fallback` when the value has no button.
void Select(QButtonGroup* group, int index, int fallback)
{
    QAbstractButton* b = group->button(index);
    if (!b)
        b = group->button(fallback);
    b->setChecked(true);
}

// The selected index of a load combo box, within 0-2.
int LoadIndex(const QComboBox* combo)
{
    const int i = combo->currentIndex();
    return i >= 0 && i <= 2 ? i : 0;
}

// A tagger's name ends up on one "@TaggingBy=" line of lyrics files: no line breaks.
QString OneLine(QString text)
{
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

const char* const kTabKeys[] = {"Hosei", "Implant", "Play", "etc"};
const char* const kTabCaptions[] = {"補正", "埋め込み", "演奏", "その他"};

} // namespace

FormOption::FormOption(Options& options, SettingsStore& store, Prompter& prompter, OptionTab tab, QWidget* parent)
    : QDialog(parent), options_(options), store_(store), prompter_(prompter)
{
    setObjectName(QStringLiteral("FormOption"));
    setWindowTitle(U("Melwick Ex オプション"));

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("TabOption"));
    tabs_->tabBar()->setObjectName(QStringLiteral("TB"));
    buildPages();

    auto* close = new QPushButton(U("閉じる"), this);
    close->setObjectName(QStringLiteral("ComClose"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &FormOption::storeAndClose);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    loadControls(options);
    const int first = static_cast<int>(tab);
    tabs_->setCurrentIndex(first >= 1 && first <= 4 ? first - 1 : 0);
}

void FormOption::buildPages()
{
    QWidget* pages[4];
    for (int i = 0; i < 4; ++i) {
        pages[i] = new QWidget;
        pages[i]->setObjectName(ControlName(QStringLiteral("FrameOption"), i + 1));
        tabs_->addTab(pages[i], U(kTabCaptions[i]));
        tabs_->tabBar()->setTabData(i, QLatin1String(kTabKeys[i]));
    }
    buildCorrectionPage(pages[0]);
    buildImplantPage(pages[1]);
    buildPlayPage(pages[2]);
    buildOtherPage(pages[3]);
}

// 1 "補正": time base, tagger's name, what to do with @Offset and @Silence.
void FormOption::buildCorrectionPage(QWidget* page)
{
    QGroupBox* timeType = Frame(page, "FrameTimeType", "デフォルトのタイムタイプ");
    timeType_ = new QButtonGroup(this);
    auto* timeButtons = new QHBoxLayout;
    timeButtons->addWidget(Option(timeType, timeType_, QStringLiteral("OptTimeType"), 0, "WinAmp時間"));
    timeButtons->addWidget(Option(timeType, timeType_, QStringLiteral("OptTimeType"), 1, "標準時間"));
    timeButtons->addStretch(1);
    noAskTimeType_ = Check(timeType, "ChkNoAskTimeType", "補正データ付加時に確認しない");
    auto* timeLayout = new QVBoxLayout(timeType);
    timeLayout->addLayout(timeButtons);
    timeLayout->addWidget(noAskTimeType_);

    QGroupBox* name = Frame(page, "FrameTaggingBy", "あなたの名前 ( @TaggingBy = )");
    taggingBy_ = new QLineEdit(name);
    taggingBy_->setObjectName(QStringLiteral("TextTaggingBy"));
    auto* nameLayout = new QVBoxLayout(name);
    nameLayout->addWidget(taggingBy_);

    QGroupBox* offset = Frame(page, "FrameOffset", "@Offset と @Silence の両方が付加されている場合");
    offset_ = new QButtonGroup(this);
    auto* offsetLayout = new QVBoxLayout(offset);
    offsetLayout->addWidget(Option(offset, offset_, QStringLiteral("OptOffset"), 0, "@Offset 処理のみ行う (推奨)"));
    offsetLayout->addWidget(Option(offset, offset_, QStringLiteral("OptOffset"), 1, "@Silence 処理のみ行う"));
    offsetLayout->addWidget(Option(offset, offset_, QStringLiteral("OptOffset"), 2, "両方ともする"));
    offsetLayout->addWidget(Option(offset, offset_, QStringLiteral("OptOffset"), 3, "両方ともしない"));

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(timeType);
    layout->addWidget(name);
    layout->addWidget(offset);
    layout->addStretch(1);
}

// 2 "埋め込み": what happens around embedding lyrics into songs.
void FormOption::buildImplantPage(QWidget* page)
{
    QGroupBox* common = Frame(page, "FrameImplantCommon", "MP3 RMP 共通設定");
    deleteAfterImplant_ = Check(common, "ChkDeleteAfterImplant", "埋め込んだら元歌詞ファイルを削除する");
    auto* commonLayout = new QVBoxLayout(common);
    commonLayout->addWidget(deleteAfterImplant_);

    QGroupBox* rmp = Frame(page, "FrameImplantRmp", "RMPでの埋め込み");
    renameMp3_ = Check(rmp, "ChkRenameMP3", "埋め込み後、拡張子をMP3に直す。");
    ilyc_ = new QButtonGroup(this);
    auto* rmpLayout = new QVBoxLayout(rmp);
    rmpLayout->addWidget(renameMp3_);
    rmpLayout->addWidget(Option(rmp, ilyc_, QStringLiteral("OptILYC"), 0, "ILYCに埋め込み(推奨)"));
    rmpLayout->addWidget(Option(rmp, ilyc_, QStringLiteral("OptILYC"), 1, "IID3に埋め込み"));

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(common);
    layout->addWidget(rmp);
    layout->addStretch(1);
}

// 3 "演奏": the two load settings.
void FormOption::buildPlayPage(QWidget* page)
{
    QGroupBox* load = Frame(page, "FrameFuka", "負荷設定");
    auto* form = new QFormLayout(load);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    const char* const captions[] = {"再生負荷：", "歌詞更新頻度："};
    for (int i = 0; i < 2; ++i) {
        fuka_[i] = new QComboBox(load);
        fuka_[i]->setObjectName(ControlName(QStringLiteral("ComboFuka"), i));
        fuka_[i]->addItems({U("高"), U("中"), U("低")});
        fuka_[i]->setMinimumContentsLength(4);
        auto* label = new QLabel(U(captions[i]), load);
        label->setObjectName(ControlName(QStringLiteral("lblFuka"), i));
        label->setBuddy(fuka_[i]);
        form->addRow(label, fuka_[i]);
    }

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(load);
    layout->addStretch(1);
}

// 4 "その他": extended genres, the WinAmp plug-in's settings file.
void FormOption::buildOtherPage(QWidget* page)
{
    useExGenre_ = Check(page, "ChkUseExGenre", "拡張ジャンルを使う");
    QGroupBox* plugin = Frame(page, "FramePluginIni", "WinAmp の Plugin.ini");
    pluginIni_ = new PathLabel(plugin);
    pluginIni_->setObjectName(QStringLiteral("lblPluginIni"));
    connect(pluginIni_, &PathLabel::clicked, this, &FormOption::choosePluginIni);
    auto* clear = new QPushButton(U("クリア"), plugin);
    clear->setObjectName(QStringLiteral("ComPluginIniClear"));
    clear->setAutoDefault(false);
    connect(clear, &QPushButton::clicked, this, [this] { pluginIni_->setPath(QString()); });
    auto* pluginLayout = new QHBoxLayout(plugin);
    pluginLayout->addWidget(pluginIni_, 1);
    pluginLayout->addWidget(clear);

    fixedFont_ = Check(page, "ChkLyricsFixedFont", "歌詞を等幅フォント (CJK) で表示する");

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(useExGenre_);
    layout->addWidget(fixedFont_);
    layout->addWidget(plugin);
    layout->addStretch(1);
}

void FormOption::loadControls(const Options& o)
{
    Select(timeType_, o.winAmpTime ? 0 : 1, 0);
    noAskTimeType_->setChecked(o.noAskTimeType);
    taggingBy_->setText(o.taggingBy);
    Select(offset_, o.offset, 0);
    deleteAfterImplant_->setChecked(o.deleteAfterImplant);
    Select(ilyc_, o.ilyc ? 0 : 1, 0);
    renameMp3_->setChecked(o.renameMp3);
    fuka_[0]->setCurrentIndex(o.fukaInputSleep >= 0 && o.fukaInputSleep <= 2 ? o.fukaInputSleep : 0);
    fuka_[1]->setCurrentIndex(o.fukaLyrics >= 0 && o.fukaLyrics <= 2 ? o.fukaLyrics : 0);
    // A plug-in file that has gone away is shown, and later stored, as not set.
    pluginIni_->setPath(!o.pluginIni.isEmpty() && QFileInfo(o.pluginIni).isFile() ? o.pluginIni : QString());
    useExGenre_->setChecked(o.useExGenre);
    fixedFont_->setChecked(o.lyricsFixedFont);
}

OptionTab FormOption::currentTab() const
{
    return static_cast<OptionTab>(tabs_->currentIndex() + 1);
}

Options FormOption::shownValues() const
{
    Options o;
    o.winAmpTime = timeType_->checkedId() == 0;
    o.taggingBy = OneLine(taggingBy_->text());
    o.noAskTimeType = noAskTimeType_->isChecked();
    o.offset = offset_->checkedId() >= 0 ? offset_->checkedId() : 0;
    o.ilyc = ilyc_->checkedId() == 0;
    o.deleteAfterImplant = deleteAfterImplant_->isChecked();
    o.renameMp3 = renameMp3_->isChecked();
    o.fukaInputSleep = LoadIndex(fuka_[0]);
    o.fukaLyrics = LoadIndex(fuka_[1]);
    o.pluginIni = pluginIni_->path();
    o.useExGenre = useExGenre_->isChecked();
    o.lyricsFixedFont = fixedFont_->isChecked();
    return o;
}

void FormOption::choosePluginIni()
{
    const QString current = pluginIni_->path();
    FileDialogRequest request;
    request.title = U("WinAmpのPlugin.iniを指定");
    request.filter = QStringLiteral("plugin.ini|plugin.ini");
    request.fileName = current;
    request.folder = current.isEmpty() ? browseFolder_ : QFileInfo(current).absolutePath();
    request.mustExist = true;
    const std::optional<QString> chosen = prompter_.openFile(request);
    if (chosen && !chosen->isEmpty())
        pluginIni_->setPath(*chosen);
}

void FormOption::storeAndClose()
{
    options_ = shownValues();
    StoreOptions(store_, options_);
    StoreDisplayOptions(store_, options_);
    store_.sync();
    stored_ = true;
    accept();
}

bool ShowOptionsDialog(QWidget* parent, Options& options, SettingsStore& store, Prompter& prompter, OptionTab tab,
                       const QString& browseFolder)
{
    FormOption dialog(options, store, prompter, tab, parent);
    dialog.setBrowseFolder(browseFolder);
    if (!parent || !parent->isVisible()) {
        // On the first run the main window is not shown yet: centre on the screen instead.
        dialog.adjustSize();
        if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
            QRect r = dialog.frameGeometry();
            r.moveCenter(screen->availableGeometry().center());
            dialog.move(r.topLeft());
        }
    }
    dialog.exec();
    return dialog.stored();
}

} // namespace browser
