// The quick-access pop-up of the panes.
#include "browser/gui/quickaccess/quickaccessmenu.h"

#include "browser/core/settingsstore.h"
#include "browser/gui/controlarray.h"
#include "browser/gui/formmain.h"
#include "browser/gui/quickaccess/formquicklistedit.h"
#include "common/utf8text.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

namespace browser {
namespace {

using common::U;

QAction* MakeAction(const QString& name, const QString& text, QObject* owner)
{
    auto* a = new QAction(text, owner);
    a->setObjectName(name);
    return a;
}

} // namespace

QuickAccessMenu::QuickAccessMenu(FormMain& window)
    : QObject(&window)
    , window_(window)
{
    menu_ = new QMenu(QStringLiteral("QuickPopup"), &window);
    menu_->setObjectName(QStringLiteral("z_mnQuick"));
    QAction* placeholder = MakeAction(QStringLiteral("mnQuickList0"), QStringLiteral("(QuickList)"), menu_);
    placeholder->setVisible(false); // never a folder
    menu_->addAction(placeholder);
    sep_ = menu_->addSeparator();
    sep_->setObjectName(QStringLiteral("z_mnQuickSep"));
    sep_->setVisible(false);
    QAction* add = MakeAction(QStringLiteral("mnQuickAdd"), U("このフォルダを追加"), menu_);
    edit_ = MakeAction(QStringLiteral("mnQuickEdit"), U("クイックアクセスの編集"), menu_);
    menu_->addAction(add);
    menu_->addAction(edit_);
    menu_->addSeparator()->setObjectName(QStringLiteral("z_mnQuickSep2"));
    same_ = MakeAction(QStringLiteral("mnQuickSame"), fileops::SameFolderCaption(0), menu_);
    menu_->addAction(same_);
    connect(add, &QAction::triggered, this, &QuickAccessMenu::AddCurrentFolder);
    connect(edit_, &QAction::triggered, this, &QuickAccessMenu::Edit);
    connect(same_, &QAction::triggered, this, &QuickAccessMenu::SameFolder);
    rebuild();
}

void QuickAccessMenu::load(const SettingsStore& store)
{
    list_.load(store);
    rebuild();
}

void QuickAccessMenu::store(SettingsStore& store) const
{
    list_.store(store);
}

void QuickAccessMenu::setFolders(const QStringList& folders)
{
    list_ = fileops::QuickAccessList(folders);
    rebuild();
}

void QuickAccessMenu::rebuild()
{
    for (QAction* a : std::as_const(entries_)) {
        menu_->removeAction(a);
        delete a;
    }
    entries_.clear();
    int n = 0;
    for (const fileops::QuickEntry& e : list_.menuEntries()) {
        ++n;
        QAction* a = MakeAction(QStringLiteral("mnQuickList%1").arg(n), e.caption, menu_);
        a->setData(e.path); // the path itself: the caption has its "&" doubled
        connect(a, &QAction::triggered, this, [this, n] { ChooseEntry(n); });
        menu_->insertAction(sep_, a);
        entries_ << a;
    }
    sep_->setVisible(list_.separatorVisible());
    edit_->setEnabled(list_.canEdit());
}

void QuickAccessMenu::Prepare(int pane)
{
    window_.SetActivePane(pane);
    sep_->setVisible(list_.separatorVisible());
    edit_->setEnabled(list_.canEdit());
    same_->setText(fileops::SameFolderCaption(pane));
}

void QuickAccessMenu::Popup(int pane)
{
    Prepare(pane);
    QToolButton* button = FindControl<QToolButton>(&window_, QStringLiteral("ComQuick"), pane);
    const QPoint at = button ? button->mapToGlobal(QPoint(0, button->height())) : window_.mapToGlobal(QPoint(0, 0));
    menu_->exec(at);
    window_.FocusPane();
}

void QuickAccessMenu::goTo(const QString& folder)
{
    // ShowFolder puts the remembered drive and folder back when the folder cannot be
    // entered, and shows the tree's folder in the pane's title.
    const int pane = window_.activePane();
    const fileops::QuickChoice choice = fileops::ChooseQuickFolder(folder, window_.paneFolder(pane));
    window_.ShowFolder(pane, choice.folder);
    window_.FocusPane();
}

void QuickAccessMenu::ChooseEntry(int k)
{
    if (k < 1 || k > list_.count())
        return;
    goTo(list_.folders().at(k - 1));
}

void QuickAccessMenu::AddCurrentFolder()
{
    if (list_.add(window_.paneFolder(window_.activePane())))
        rebuild();
    window_.FocusPane();
}

void QuickAccessMenu::SameFolder()
{
    goTo(window_.paneFolder(1 - window_.activePane()));
}

void QuickAccessMenu::Edit()
{
    if (!list_.canEdit())
        return;
    FormQuickListEdit editor(list_.folders(), &window_);
    // 500 twips right of and below the main window's top-left corner.
    const int offset = 500 / 15;
    editor.move(window_.frameGeometry().topLeft() + QPoint(offset, offset));
    if (editor.exec() == QDialog::Accepted)
        setFolders(editor.folders());
}

} // namespace browser
