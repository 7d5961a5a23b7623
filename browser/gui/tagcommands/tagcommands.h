#pragma once
// The correction ("補正") and time-tag ("タイムタグ") commands of the window: their
// menus (the buttons ComHosei and ComTimeTag, the Edit menu's "補正変換(&H)" and
// "歌詞ファイル編集(&L)"), the two parameter dialogs, batch runs over the check-marked
// lyrics files, the order check that paints reversed tags red, and undo of a batch.

#include "lyrics/tagops.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <vector>

class QAction;
class QMenu;
class QTextEdit;

namespace browser {

class CommandRegistry;
class FormMain;
struct Workbench;

class TagCommands : public QObject {
    Q_OBJECT
public:
    TagCommands(FormMain& window, Workbench& bench);

    /// "Hosei" and "EditLyrics" (the Edit menu's submenus), "UndoTagBatch".
    void registerCommands(CommandRegistry& commands);

    // The correction menu.
    QMenu* correctionMenu() const { return mnHosei_; }
    /// Enables the entries for the shown lyrics against `songPath`, remembered for RunCorrection.
    void PrepareCorrectionMenu(const QString& songPath);
    void RunCorrection(int index);
    /// "補正" of the drop menu: a song file dropped onto a lyrics row.
    void DropCorrection(int pane, int row, const QString& droppedPath);
    /// The button: the menu against the song selected in the opposite list.
    void ComHosei();

    // The time-tag menu.
    QMenu* timeTagMenu() const { return mnTimeTag_; }
    void PrepareTimeTagMenu();
    void ComTimeTag();
    void RunTagCommand(int index);
    /// Entry 0 carries its check mark: the commands run over the check-marked files.
    bool batchMode() const;
    /// Paints every tag of the pane grey, those earlier than the tag before them red.
    /// The text is not changed. True when a reversal was found.
    bool MarkReversedTags();

    /// Puts back the bytes of the files the last batch wrote (those not changed since).
    void UndoBatch();
    bool canUndoBatch() const { return !batchUndo_.empty(); }

    static constexpr int kGrey = 0x808080;
    /// Files a batch reads and writes at the same time. The workers mostly wait for
    /// their files' syncs: 1,000 files take about 4 s with 8 workers, 22 s with one.
    static constexpr int kBatchThreads = 8;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void undoCommandOnPane();
    void buildCorrectionMenu();
    void buildTimeTagMenu();
    QString oppositeSong() const;
    bool lyricsListShown() const;
    QTextEdit* lyricsBox() const;
    QString applyTagCommand(lyrics::TagCommand command, const QString& text) const;
    /// The command as a text function with the dialogs' values bound (thread-safe).
    std::function<QString(const QString&)> tagTransform(lyrics::TagCommand command) const;
    void runBatch(lyrics::TagCommand command);
    void reshowIfShown(const QStringList& paths);

    FormMain& window_;
    Workbench& bench_;
    QMenu* mnHosei_ = nullptr;
    QMenu* mnTimeTag_ = nullptr;
    std::array<QAction*, 8> mnHoseiList_{};
    std::array<QAction*, 2> mnHoseiListDrop_{};
    std::array<QAction*, 16> mnTimeTagList_{};
    QString songPath_;          // the song PrepareCorrectionMenu was called with
    bool holdPrepared_ = false; // the correction menu was prepared for a drop
    bool fromButton_ = false;   // the time-tag menu is shown by ComTimeTag (no batch mode)
    int shiftMsec_ = 0;
    bool removeAdvance_ = false;

    struct WrittenFile {
        QString path;
        QByteArray before;
        QByteArray after;
    };
    std::vector<WrittenFile> batchUndo_;
};

} // namespace browser
