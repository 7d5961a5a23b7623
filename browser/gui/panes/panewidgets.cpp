#include "browser/gui/panes/panewidgets.h"

#include "browser/gui/filelistmodel.h"
#include "browser/gui/panes/foldericons.h"
#include "browser/gui/titlelabel.h"
#include "browser/gui/makecontrols.h"
#include "common/utf8text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace browser {
namespace {

using common::U;

} // namespace

void PaneWidgets::build(int i, FilePane& pane, QObject* owner)
{
    const QString n = QString::number(i);
    frame = new QWidget;
    frame->setObjectName(QStringLiteral("FramePane") + n);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(2, 2, 2, 0);
    layout->setSpacing(2);
    buildButtons(i);
    layout->addWidget(frameButtons);
    auto* label = new TitleLabel(frame);
    label->setObjectName(QStringLiteral("lblTitle") + n);
    label->setAutoFillBackground(true);
    label->setFrameShape(QFrame::StyledPanel);
    title = label;
    layout->addWidget(title);

    buildFolder(i, owner);
    layout->addWidget(frameFolder, 1);
    buildList(i, pane, owner);
    layout->addWidget(frameFile, 1);
    frameFile->hide();
}

void PaneWidgets::buildButtons(int i)
{
    const QString n = QString::number(i);
    const QString side = i == 0 ? QStringLiteral("Left") : QStringLiteral("Right");
    frameButtons = new QWidget(frame);
    frameButtons->setObjectName(QStringLiteral("FrameButtons") + n);
    auto* buttons = new QHBoxLayout(frameButtons);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(2);
    viewGroup = new QButtonGroup(frameButtons);
    modeGroup = new QButtonGroup(frameButtons);
    const char* views[] = {"フォルダ", "ファイル"};
    const QStyle::StandardPixmap viewIcons[] = {QStyle::SP_DirIcon, QStyle::SP_FileDialogDetailedView};
    const char* modes[] = {"歌詞", "曲"};
    for (int k = 0; k < 2; ++k) {
        QToolButton* v = MakeTextToolButton(QStringLiteral("OptWindows%1%2").arg(side).arg(k), U(views[k]), frameButtons);
        v->setIcon(frame->style()->standardIcon(viewIcons[k]));
        v->setToolButtonStyle(Qt::ToolButtonIconOnly);
        v->setCheckable(true);
        viewGroup->addButton(v, k);
        viewButtons[static_cast<size_t>(k)] = v;
        buttons->addWidget(v);
    }
    buttons->addSpacing(4);
    for (int k = 0; k < 2; ++k) {
        QToolButton* m = MakeTextToolButton(QStringLiteral("OptFileType%1%2").arg(side).arg(k), U(modes[k]), frameButtons);
        m->setCheckable(true);
        modeGroup->addButton(m, k);
        modeButtons[static_cast<size_t>(k)] = m;
        buttons->addWidget(m);
    }
    buttons->addSpacing(4);
    filter = new QCheckBox(U("フィルター"), frameButtons);
    filter->setObjectName(QStringLiteral("ChkFilter") + n);
    filter->setEnabled(false);
    buttons->addWidget(filter);
    subFolder = new QCheckBox(U("サブフォルダ"), frameButtons);
    subFolder->setObjectName(QStringLiteral("ChkSubFolder") + n);
    buttons->addWidget(subFolder);
    buttons->addStretch(1);
    quick = MakeTextToolButton(QStringLiteral("ComQuick") + n, U("クイックアクセス"), frameButtons);
    quick->setIcon(QIcon::fromTheme(QStringLiteral("bookmarks"), frame->style()->standardIcon(QStyle::SP_DirLinkIcon)));
    quick->setToolButtonStyle(Qt::ToolButtonIconOnly);
    buttons->addWidget(quick);
    viewButtons[0]->setChecked(true);
    modeButtons[i == 0 ? 0 : 1]->setChecked(true);

}

void PaneWidgets::buildFolder(int i, QObject* owner)
{
    const QString n = QString::number(i);
    frameFolder = new QWidget(frame);
    frameFolder->setObjectName(QStringLiteral("FrameFolder") + n);
    auto* folder = new QVBoxLayout(frameFolder);
    folder->setContentsMargins(0, 0, 0, 0);
    folder->setSpacing(2);
    drives = new QComboBox(frameFolder);
    drives->setObjectName(QStringLiteral("DRV") + n);
    drives->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    drives->setMinimumContentsLength(8);
    folder->addWidget(drives);
    folders = new QFileSystemModel(owner);
    folders->setObjectName(QStringLiteral("FolderModel") + n);
    folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    folders->setReadOnly(true);
    folders->setOption(QFileSystemModel::DontUseCustomDirectoryIcons);
    folders->setIconProvider(PlainFolderIcons::shared());
    tree = new QTreeView(frameFolder);
    tree->setObjectName(QStringLiteral("FTV") + n);
    tree->setModel(folders);
    for (int c = 1; c < folders->columnCount(); ++c)
        tree->setColumnHidden(c, true);
    tree->setHeaderHidden(true);
    tree->setUniformRowHeights(true);
    tree->setAnimated(false);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    folder->addWidget(tree, 1);

}

void PaneWidgets::buildList(int i, FilePane& pane, QObject* owner)
{
    const QString n = QString::number(i);
    frameFile = new QWidget(frame);
    frameFile->setObjectName(QStringLiteral("FrameFile") + n);
    auto* file = new QVBoxLayout(frameFile);
    file->setContentsMargins(0, 0, 0, 0);
    model = new FileListModel(pane, owner);
    list = new QTableView(frameFile);
    list->setObjectName(QStringLiteral("ListFile") + n);
    list->setModel(model);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(false);
    list->setWordWrap(false);
    list->setTextElideMode(Qt::ElideRight);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setContextMenuPolicy(Qt::NoContextMenu);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->horizontalHeader()->setSectionsMovable(true);
    list->horizontalHeader()->setHighlightSections(false);
    list->horizontalHeader()->setStretchLastSection(true);
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list->horizontalHeader()->setSectionsClickable(true);
    list->setIconSize(QSize(16, 16));
    file->addWidget(list);

}

} // namespace browser
