// FormSelectFolder: the destination folder of a copy or a move.
#include "browser/gui/fileops/formselectfolder.h"

#include "browser/core/prompter.h"
#include "browser/core/settingsstore.h"
#include "browser/fileops/quicklist.h"
#include "common/utf8text.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace browser {
namespace {

using common::U;

const QString kSection = QStringLiteral("SelectFolder");

bool Accessible(const QString& folder)
{
    return fileops::ChooseQuickFolder(folder, QString()).moved;
}

} // namespace

FormSelectFolder::FormSelectFolder(const SelectFolderRequest& request, SettingsStore& settings, Prompter& prompter,
                                   QWidget* parent)
    : QDialog(parent)
    , settings_(settings)
    , prompter_(prompter)
{
    setObjectName(QStringLiteral("FormSelectFolder"));
    setWindowTitle((request.move ? U("移動先の") : U("コピー先の")) + U("フォルダの選択"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    QToolButton* quick = buildTop(layout);
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    buildButtons(layout, request.move, &ok, &cancel);
    buildQuickMenu(request, quick);

    connect(drv_, &QComboBox::activated, this, &FormSelectFolder::driveChosen);
    connect(ftv_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            current_ = folders_->filePath(index);
            showPath();
        }
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        cancelled_ = false;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        cancelled_ = true;
        reject();
    });

    const QSize design(360, 420);
    setMinimumSize(240, 260);
    resize(LoadSetting(settings_, kSection, QStringLiteral("Width"), design.width()),
           LoadSetting(settings_, kSection, QStringLiteral("Height"), design.height()));

    if (!moveTo(request.startFolder))
        moveTo(QDir::homePath());
}

QToolButton* FormSelectFolder::buildTop(QVBoxLayout* layout)
{
    // The drive list and the quick-access button above the folder tree.
    auto* top = new QHBoxLayout;
    drv_ = new QComboBox(this);
    drv_->setObjectName(QStringLiteral("DRV"));
    drives_ = ListDrives();
    for (const Drive& d : std::as_const(drives_))
        drv_->addItem(d.label, d.root);
    top->addWidget(drv_, 1);
    auto* quick = new QToolButton(this);
    quick->setObjectName(QStringLiteral("ComQuick"));
    quick->setText(U("クイックアクセス"));
    quick->setToolButtonStyle(Qt::ToolButtonTextOnly);
    top->addWidget(quick);
    layout->addLayout(top);

    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders_->setReadOnly(true);
    ftv_ = new QTreeView(this);
    ftv_->setObjectName(QStringLiteral("FTV"));
    ftv_->setModel(folders_);
    for (int c = 1; c < folders_->columnCount(); ++c)
        ftv_->hideColumn(c);
    ftv_->header()->hide();
    layout->addWidget(ftv_, 1);
    return quick;
}

void FormSelectFolder::buildButtons(QVBoxLayout* layout, bool move, QPushButton** ok, QPushButton** cancel)
{
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    *ok = new QPushButton(move ? U("移動") : U("コピー"), this);
    (*ok)->setObjectName(QStringLiteral("ComOK"));
    (*ok)->setDefault(true);
    *cancel = new QPushButton(U("キャンセル"), this);
    (*cancel)->setObjectName(QStringLiteral("ComCancel"));
    buttons->addWidget(*ok);
    buttons->addWidget(*cancel);
    layout->addLayout(buttons);

    sb_ = new QStatusBar(this);
    sb_->setObjectName(QStringLiteral("SB"));
    sbText_ = new QLabel(sb_);
    sbText_->setTextFormat(Qt::PlainText);
    sbText_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    sb_->addWidget(sbText_, 1);
    layout->addWidget(sb_);
}

void FormSelectFolder::buildQuickMenu(const SelectFolderRequest& request, QToolButton* quick)
{
    // The quick-access pop-up: a fixed first entry, the favourite folders, the other pane.
    mnPopup_ = new QMenu(U("クイックアクセス"), this);
    mnPopup_->setObjectName(QStringLiteral("mnPopup"));
    QAction* fixed = mnPopup_->addAction(QStringLiteral("(QuickList)"));
    fixed->setObjectName(QStringLiteral("mnQuickList0"));
    fixed->setVisible(false);
    int n = 0;
    for (const fileops::QuickEntry& e : fileops::QuickAccessList(request.quickFolders).menuEntries()) {
        QAction* a = mnPopup_->addAction(e.caption);
        a->setObjectName(QStringLiteral("mnQuickList%1").arg(++n));
        a->setData(e.path);
        connect(a, &QAction::triggered, this, [this, path = e.path] { moveTo(path); });
    }
    if (n > 0)
        mnPopup_->addSeparator();
    QAction* inverse = mnPopup_->addAction(U("反対側ウィンドウのフォルダ"));
    inverse->setObjectName(QStringLiteral("mnInverse"));
    inverse->setData(request.otherPaneFolder);
    inverse->setEnabled(!request.otherPaneFolder.isEmpty());
    connect(inverse, &QAction::triggered, this, [this, path = request.otherPaneFolder] { moveTo(path); });
    // Opens while the pop-up holds more than its fixed first entry.
    quick->setEnabled(mnPopup_->actions().size() > 1);
    connect(quick, &QToolButton::clicked, this, [this, quick] { mnPopup_->exec(quick->mapToGlobal(QPoint(0, quick->height()))); });
}

FormSelectFolder::~FormSelectFolder() = default;

void FormSelectFolder::done(int result)
{
    StoreSetting(settings_, kSection, QStringLiteral("Height"), height());
    StoreSetting(settings_, kSection, QStringLiteral("Width"), width());
    QDialog::done(result);
}

bool FormSelectFolder::moveTo(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    if (path.isEmpty() || !Accessible(clean))
        return false;
    const int drive = DriveIndexFor(drives_, clean);
    if (drive < 0)
        return false;
    const QString root = drives_.at(drive).root;
    if (drive != driveIndex_) {
        folders_->setRootPath(root);
        ftv_->setRootIndex(root == QLatin1String("/") ? QModelIndex() : folders_->index(root));
        driveIndex_ = drive;
        drv_->setCurrentIndex(drive);
    }
    const QModelIndex index = folders_->index(clean);
    if (index.isValid()) {
        ftv_->setCurrentIndex(index);
        ftv_->expand(index);
        ftv_->scrollTo(index);
    }
    current_ = clean;
    showPath();
    return true;
}

void FormSelectFolder::driveChosen(int index)
{
    if (index < 0 || index >= drives_.size() || index == driveIndex_)
        return;
    const Drive& d = drives_.at(index);
    if (!Accessible(d.root)) {
        prompter_.message(d.root + U(" にアクセスできません。"), MessageIcon::Warning);
        drv_->setCurrentIndex(driveIndex_);
        return;
    }
    moveTo(d.root);
}

void FormSelectFolder::showPath()
{
    sbText_->setText(current_);
}

std::optional<QString> FormSelectFolder::Choose(const SelectFolderRequest& request, SettingsStore& settings,
                                                Prompter& prompter, QWidget* parent)
{
    FormSelectFolder dialog(request, settings, prompter, parent);
    dialog.exec();
    if (dialog.cancelled() || dialog.currentFolder().isEmpty())
        return std::nullopt;
    return dialog.currentFolder();
}

} // namespace browser
