#include "browser/gui/embed/embedmenu.h"

#include "browser/core/commandregistry.h"
#include "browser/core/filepane.h"
#include "browser/core/filerow.h"
#include "browser/core/options.h"
#include "browser/core/prompter.h"
#include "browser/core/rewriteconsent.h"
#include "browser/fileops/trash.h"
#include "browser/gui/formmain.h"
#include "common/utf8text.h"
#include "songfiles/embed.h"
#include "songfiles/pathprobe.h"
#include "songfiles/songfile.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMenu>

namespace browser {

const QString EmbedMenu::kEmbed = QStringLiteral("ImplantLyrics");
const QString EmbedMenu::kCopy = QStringLiteral("ImplantCopy");
const QString EmbedMenu::kSave = QStringLiteral("ImplantSave");
const QString EmbedMenu::kDelete = QStringLiteral("ImplantDelete");

namespace {

using songfiles::EmbedMessage;

using common::U;

/// Hourglass pointer and a disabled window while a command runs; both come back on
/// every way out.
class Busy {
public:
    explicit Busy(QWidget& window) : window_(window)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        window_.setEnabled(false);
    }
    ~Busy()
    {
        window_.setEnabled(true);
        QApplication::restoreOverrideCursor();
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    QWidget& window_;
};

/// −1 (not a song) counts as every flag set: such a file takes nothing and gives nothing.
bool HasAny(int kind, int flags)
{
    return kind == songfiles::kNotASong || (kind & flags) != 0;
}

} // namespace

EmbedMenu::EmbedMenu(FormMain& window, const Workbench& bench, QObject* parent)
    : QObject(parent)
    , window_(window)
    , bench_(bench)
{
    setObjectName(QStringLiteral("EmbedMenu"));
}

EmbedMenu::~EmbedMenu() = default;

void EmbedMenu::registerCommands(CommandRegistry& commands)
{
    commands.add(kEmbed, [this] { Embed(); }, [this] { return canEmbed(); });
    commands.add(kCopy, [this] { CopyLyrics(); }, [this] { return canUseEmbedded(); });
    commands.add(kSave, [this] { SaveLyrics(); }, [this] { return canUseEmbedded(); });
    commands.add(kDelete, [this] { DeleteLyrics(); }, [this] { return canUseEmbedded(); });
}

void EmbedMenu::attachMenu(QMenu* menu)
{
    if (!menu)
        return;
    const QString keys[] = {kEmbed, kCopy, kSave, kDelete};
    for (int i = 0; i < 4; ++i) {
        QAction* a = menu->findChild<QAction*>(QStringLiteral("mnImplantMenu%1").arg(i));
        if (!a)
            continue;
        const QString key = keys[i];
        a->setData(key);
        connect(a, &QAction::triggered, this, [this, key] { window_.RunCommand(key); });
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        for (QAction* a : menu->actions())
            if (a->objectName().startsWith(QLatin1String("mnImplantMenu")))
                a->setEnabled(bench_.commands->isEnabled(a->data().toString()));
    });
}

void EmbedMenu::setTrash(fileops::Trash* trash)
{
    trash_ = trash;
}

fileops::Trash* EmbedMenu::trash()
{
    if (trash_)
        return trash_;
    if (!ownTrash_)
        ownTrash_ = std::make_unique<fileops::FreedesktopTrash>();
    return ownTrash_.get();
}

EmbedMenu::Song EmbedMenu::shownSong() const
{
    Song s;
    if (window_.currentKind() != 1 || window_.currentFile().isEmpty() || window_.currentPane() < 0)
        return s;
    const FilePane& p = bench_.pane(window_.currentPane());
    s.path = window_.currentFile();
    s.pane = p.index();
    const int selected = p.selectedRow();
    if (selected >= 0 && p.row(selected).fullPath() == s.path) {
        s.row = selected;
    } else {
        for (int r = 0; r < p.rowCount(); ++r)
            if (p.row(r).fullPath() == s.path) {
                s.row = r;
                break;
            }
    }
    return s;
}

int EmbedMenu::songKind(const QString& path) const
{
    songfiles::SongFile song;
    return song.open(path) ? song.kind() : songfiles::kNotASong;
}

bool EmbedMenu::canEmbed() const
{
    const Song s = shownSong();
    if (s.pane < 0 || !songfiles::FileExists(s.path))
        return false;
    const FilePane& other = bench_.pane(1 - s.pane);
    if (!other.isLyricsMode() || other.isEmpty() || other.selectedRow() < 0)
        return false;
    if (HasAny(songKind(s.path), songfiles::Wave | songfiles::Id3v2 | songfiles::Embedded))
        return false;
    return songfiles::FileExists(other.row(other.selectedRow()).fullPath());
}

bool EmbedMenu::canUseEmbedded() const
{
    const Song s = shownSong();
    if (s.pane < 0 || !songfiles::FileExists(s.path))
        return false;
    const int kind = songKind(s.path);
    return !HasAny(kind, songfiles::Wave | songfiles::Id3v2 | songfiles::Embedded) && (kind & songfiles::Lyrics3);
}

void EmbedMenu::Embed()
{
    const Song s = shownSong();
    if (s.pane < 0)
        return;
    const FilePane& other = bench_.pane(1 - s.pane);
    if (!other.isLyricsMode() || other.selectedRow() < 0)
        return;
    embedInto(s, other.row(other.selectedRow()).fullPath(), QString());
}

void EmbedMenu::DropEmbed(int pane, int row, const QString& dropped)
{
    const FilePane& p = bench_.pane(pane);
    if (row < 0 || row >= p.rowCount())
        return;
    Song s;
    s.pane = pane;
    s.row = row;
    s.path = p.row(row).fullPath();
    if (const EmbedMessage m = songfiles::CheckDropEmbed(dropped, s.path); !m.isEmpty()) {
        bench_.prompter->message(m.text, MessageIcon::Warning);
        return;
    }
    embedInto(s, dropped, dropped);
}

void EmbedMenu::embedInto(const Song& song, const QString& lyrics, const QString& dropped)
{
    RewriteConsent consent;
    if (!consent.ask(*bench_.prompter, song.path))
        return;
    songfiles::EmbedRequest request{song.path, lyrics};
    request.target = bench_.options->ilyc ? songfiles::Lyrics3Target::Ilyc : songfiles::Lyrics3Target::Iid3;
    request.renameMp3 = bench_.options->renameMp3;
    request.songWritableChecked = !dropped.isEmpty();
    const int lyricsPane = 1 - song.pane;

    const auto ask = [&] {
        return bench_.prompter->message(U(songfiles::embedmsg::kNameMismatch), MessageIcon::Question,
                                        MessageButtons::OkCancel) == Answer::Ok;
    };
    Busy busy(window_);
    const auto afterEmbed = [&] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (!bench_.options->deleteAfterImplant)
            return;
        QString why;
        if (!trash()->moveToTrash(lyrics, &why)) {
            // Never deleted for good: the file and its row stay, and the user hears why.
            bench_.prompter->message(U("歌詞ファイルをごみ箱に移動できませんでした。\n") + why, MessageIcon::Warning);
            return;
        }
        removeLyricsRow(lyricsPane, dropped);
    };
    const songfiles::EmbedResult result = songfiles::EmbedLyricsFile(request, ask, afterEmbed);
    if (result.status == songfiles::EmbedResult::Status::Cancelled)
        return;
    if (!result.ok()) {
        bench_.prompter->message(result.failure.text, MessageIcon::Warning);
        showSongAgain(song);
        return;
    }
    Song shown = song;
    if (!result.renameNote.isEmpty()) {
        bench_.prompter->message(result.renameNote.text);
    } else if (result.songPath != song.path && song.row >= 0) {
        const QString name = QFileInfo(result.songPath).fileName();
        bench_.pane(song.pane).updateRow(song.row, [&](FileRow& r) {
            r.name = name;
            r.setCell(Col::Ext, ExtensionCell(name));
        });
        shown.path = result.songPath;
    }
    showSongAgain(shown);
}

void EmbedMenu::removeLyricsRow(int pane, const QString& dropped)
{
    FilePane& p = bench_.pane(pane);
    if (!p.isLyricsMode() || p.isEmpty())
        return;
    int removed = -1;
    if (dropped.isEmpty()) {
        removed = p.selectedRow();
    } else {
        // Only a pane that shows its files; the path must match exactly (names differing
        // only in case are different files here).
        if (p.view != PaneView::File)
            return;
        for (int r = 0; r < p.rowCount(); ++r)
            if (p.row(r).fullPath() == dropped) {
                removed = r;
                break;
            }
    }
    if (removed < 0)
        return;
    p.removeRow(removed);
    if (!p.isEmpty())
        window_.SelectRow(pane, qMax(0, removed - 1));
    window_.UpdatePaneTitle(pane);
}

void EmbedMenu::showSongAgain(const Song& song)
{
    if (song.row < 0)
        return;
    window_.ShowRow(song.pane, song.row);
    window_.RefreshRow(song.pane, song.row);
}

void EmbedMenu::CopyLyrics()
{
    const Song s = shownSong();
    if (s.pane < 0)
        return;
    QString text;
    EmbedMessage failure;
    if (!songfiles::ReadEmbeddedLyricsText(s.path, text, &failure)) {
        bench_.prompter->message(failure.text, MessageIcon::Warning);
        return;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void EmbedMenu::SaveLyrics()
{
    const Song s = shownSong();
    if (s.pane < 0)
        return;
    Busy busy(window_);
    QString text;
    EmbedMessage failure;
    if (!songfiles::ReadEmbeddedLyricsText(s.path, text, &failure)) {
        bench_.prompter->message(failure.text, MessageIcon::Warning);
        return;
    }
    const QFileInfo song(s.path);
    FileDialogRequest request;
    request.title = U("埋め込み歌詞の保存");
    request.folder = song.absolutePath();
    request.fileName = song.completeBaseName() + QStringLiteral(".txt");
    request.filter = U("歌詞ファイル|*.txt;*.lrc;*.kra");
    request.defaultExtension = QStringLiteral(".txt");
    request.confirmOverwrite = true;
    const std::optional<QString> target = bench_.prompter->saveFile(request);
    if (!target || target->isEmpty())
        return;
    RewriteConsent consent;
    if (!consent.ask(*bench_.prompter, *target))
        return;
    if (const EmbedMessage m = songfiles::SaveEmbeddedLyrics(s.path, *target); !m.isEmpty())
        bench_.prompter->message(m.text, MessageIcon::Warning);
}

void EmbedMenu::DeleteLyrics()
{
    const Song s = shownSong();
    if (s.pane < 0)
        return;
    RewriteConsent consent;
    if (!consent.ask(*bench_.prompter, s.path))
        return;
    {
        Busy busy(window_);
        if (const EmbedMessage m = songfiles::DeleteEmbeddedLyrics(s.path); !m.isEmpty())
            bench_.prompter->message(m.text, MessageIcon::Warning);
    }
    showSongAgain(s);
}

} // namespace browser
