#pragma once
// LyricsPane: the lower area's view of the shown row. A lyrics file is shown as text
// ("FrameLyrics": title and text) with its buttons ("FrameLyricsInfo": edit mode, save,
// copy all, the time-tag and correction menus); a song is handed to the lyric-source
// chooser and the player strip. The pane owns edit mode: while editing, the text keeps
// the focus and the rest of the window is held (the frame follows `editModeChanged`).

#include <QObject>
#include <QString>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QTextEdit;
class QToolButton;
class QWidget;

namespace browser {

class LyricSourceChooser;
class PlayerStrip;
struct Workbench;

class LyricsPane : public QObject {
    Q_OBJECT
public:
    LyricsPane(Workbench& bench, LyricSourceChooser& sources, PlayerStrip& player, QObject* parent);

    /// Builds the two frames; the time-tag and correction buttons open these menus.
    void build(QMenu* timeTagMenu, QMenu* correctionMenu);
    QWidget* buttonsFrame() const { return buttonsFrame_; }
    QWidget* textFrame() const { return textFrame_; }
    QTextEdit* textBox() const { return text_; }

    /// Shows a row of a pane: a lyrics file as text, a song in the chooser and the player.
    void showRow(int pane, int row);
    /// Empties the shown lyrics (kind 0; unsaved edits are offered for saving) or song (1).
    void clearShown(int kind);
    /// The file list of a pane closes: what it showed goes.
    void clearIfShownFrom(int pane);
    bool askSave();
    void save();
    /// The save button: saves, re-reads the saved row, and gives the text the focus.
    void saveAndRefresh();
    void copyAll();
    bool hasUnsavedEdits() const;
    /// Saves unsaved edits when the user agrees (closing the window).
    void offerSave();
    /// Before the shown file goes (another row, exit): asks about unsaved edits, naming
    /// the file, with Yes, No and Cancel. False when the user cancelled or the save failed.
    bool settleUnsavedEdits();

    /// The shown text with CR LF line breaks, every other character exactly as shown.
    QString text() const;
    /// Replaces the shown text (CR LF line breaks) as one edit that Ctrl+Z takes back.
    void setText(const QString& crlf);
    /// Puts a text (CR LF breaks) into the pane in edit mode, as an unsaved edit.
    void editText(const QString& crlf);
    QString currentFile() const { return currentFile_; }
    int currentPane() const { return currentPane_; }
    int currentKind() const { return currentKind_; }
    bool showsLyricsFile() const { return currentKind_ == 0 && !currentFile_.isEmpty(); }

    bool inEditMode() const;
    /// Checks or unchecks `ChkTextEdit` (when it is enabled), as a click would.
    void setEditMode(bool on);
    /// Whether `ChkTextEdit` is enabled (a lyrics file is shown).
    bool canEdit() const;
    /// Toggles edit mode as Ctrl+E does; false when the shown row cannot be edited.
    bool toggleEdit();
    /// Enters edit mode (Enter or a double click on a lyrics row) when it can.
    void requestEdit();
    bool editByCommand() const { return editByCommand_; }
    void setEditByCommand(bool on) { editByCommand_ = on; }
    void setRecolouring(bool on) { recolouring_ = on; }
    void focusText();
    /// Keys of the text: Escape leaves edit mode (also when `escapeHeld`); Ctrl keys go to the window.
    bool textKeyPress(QKeyEvent* key);
    void showToolTips(bool on);
    /// Shows the text in a fixed-width CJK font, or in the window's font.
    void setFixedFont(bool on);
    /// Whether the pane handles the keys of this object itself (its text).
    bool handlesKeysOf(const QObject* watched) const;

Q_SIGNALS:
    /// Edit mode began or ended; `keepLayout` when a bulk command holds it (the splitter stays).
    void editModeChanged(bool editing, bool keepLayout);
    /// A double click on the title: the lower area grows to the top limit.
    void enlargeRequested();
    void statusText(const QString& text);
    /// The shown lyrics text was loaded, reloaded or emptied, or edit mode was left.
    void shownLyricsChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildButtons(QMenu* timeTagMenu, QMenu* correctionMenu);
    QWidget* buildText();
    void toggleEditMode(bool entering);
    void onTextChanged();
    void onFocusChanged(QWidget* old, QWidget* now);
    void showButtons(bool lyricsRow);
    void empty();
    bool loadFile(const QString& path);
    bool showLyricsRow(int pane, int row);
    // lyricspane_guard.cpp
    void showFileGone();
    void showPartnerText();
    void keepShownRowSelected();
    void paintTitle(bool highlight);

    Workbench& bench_;
    LyricSourceChooser& sources_;
    PlayerStrip& player_;

    QString currentFile_;
    int currentPane_ = -1;
    int currentKind_ = 0;
    bool editByCommand_ = false;
    bool recolouring_ = false;
    bool settingText_ = false;

    // The controls, with their objectNames.
    QWidget* buttonsFrame_ = nullptr;         // FrameLyricsInfo
    QWidget* textFrame_ = nullptr;            // FrameLyrics
    QLabel* title_ = nullptr;                 // lblTextTitle
    QTextEdit* text_ = nullptr;               // TextLyrics
    QCheckBox* editBox_ = nullptr;            // ChkTextEdit
    QToolButton* saveButton_ = nullptr;       // ComTextSave
    QToolButton* copyAllButton_ = nullptr;    // ComTextAllCopy
    QToolButton* timeTagButton_ = nullptr;    // ComTimeTag
    QToolButton* correctionButton_ = nullptr; // ComHosei
};

} // namespace browser
