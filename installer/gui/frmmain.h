#pragma once
// TfrmMain: the installer's main window, a fixed-size dialog whose pages (welcome,
// licence or read-me text, installation type, main page) one action button steps
// through. This class owns the controls, their places and the page switching, and
// offers what the flow (SetupWindows) needs as methods; the controls are found by
// their object names (the form's control names) from outside.

#include "installer/gui/folderdialog.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;

namespace installer {

class WrapLabel;
class WrapRadioButton;

class TfrmMain : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);

    enum class Page { Welcome, Text, Type, Main };
    /// Shows one page and hides the others.
    void showPage(Page page);
    Page currentPage() const { return page_; }

    /// The text page's memo: silver for a licence, the normal background otherwise.
    void setMemoSilver(bool silver);
    /// Scroll bars of the memo by a definition's ScrollBars value: "ssVertical",
    /// "ssHorizontal", "ssBoth"; anything else leaves them as they are.
    void setMemoScrollBars(const QString& value);

    /// Makes both buttons wide enough for every caption in `captions`.
    void fitButtons(const QStringList& captions);
    /// The end button hides and the action button moves to the middle (during a pass).
    void centreEventButton();
    /// Shows the window centred on the screen.
    void showCentred();

    /// The main page for an uninstallation: no overwrite box; the shortcut frame moves
    /// up into its place as "ファイルの追加削除" with the check boxes the uninstall
    /// definition offers, and the explanation below them.
    struct UninstallPage {
        QString uninstallWord;
        bool deleteAll = false;
        bool iniFiles = false;
        bool gidFiles = false;
    };
    void applyUninstallLayout(const UninstallPage& page);

    /// Asked before the window closes (end button, window manager, Escape); false keeps
    /// it open.
    void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }
    /// True once the window has closed for good.
    bool isClosed() const { return closed_; }

    // ---- the buttons ----
    /// Both buttons with these captions, enabled, the focus on the action button.
    void setButtons(const QString& event, const QString& end);
    /// The action button alone (enabled, focused); the end button stays as it is.
    void setEventButton(const QString& caption);
    void setEventEnabled(bool enabled);
    bool eventEnabled() const;
    void focusEventButton();
    /// The fatal start: a grey action button and the end button as the default.
    void setFatalButtons(const QString& event, const QString& end);
    void setEndCaption(const QString& caption);

    // ---- the pages ----
    /// The welcome page with its text.
    void showWelcome(const QString& text);
    /// Hides the welcome page (the window shows no page until the next one).
    void hideWelcome();
    /// The text page (licence, read-me or error log): caption, text, background and
    /// scroll bars (see setMemoScrollBars).
    void showText(const QString& caption, const QString& text, bool silver, const QString& scrollBars);
    /// The type page: its explanation and the captions of the two types, which wrap
    /// when they are longer than the page is wide.
    void showTypePage(const QString& message, const QString& type1, const QString& type2);
    /// The explanation of the main page; it scrolls when it is longer than its box.
    void setMessage(const QString& text);
    void setGroupTitles(const QString& folder, const QString& options);
    void setFolder(const QString& folder);
    QString folder() const;
    /// The folder box, its browse button and the overwrite box.
    void setFolderControlsEnabled(bool enabled);
    /// The four shortcut boxes: those of named places are checked (and enabled when
    /// `enabled`); the others stay grey and unchecked.
    void offerShortcuts(bool desktop, bool startMenu, bool startUp, bool sendTo, bool enabled);

    /// What the install page's controls say; `type` is 1 or 2.
    struct InstallPageChoices {
        QString folder;
        int type = 1;
        bool overwrite = true;
        bool desktop = false, startMenu = false, startUp = false, sendTo = false;
    };
    InstallPageChoices installChoices() const;
    /// What the uninstall page's boxes say; the boxes turn grey for the pass.
    struct UninstallPageChoices {
        bool first = false;  // "DeleteAll" or "*.INIファイル"
        bool second = false; // "*.GIDファイル"
    };
    UninstallPageChoices takeUninstallChoices();

    // ---- the shared-file answer and the folder browser ----
    /// The hidden label TfrmCustomDlg leaves its answer in.
    QLabel* shareAnswerLabel() const { return lblFormShare; }
    TFolderDialog& folderDialog() { return dlgFolder; }



Q_SIGNALS:
    /// The window has closed (once).
    void closed();
    /// The action button was pressed.
    void eventClicked();
    /// The browse button was pressed.
    void referClicked();

public Q_SLOTS:
    /// Escape closes the window the same way as the end button.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWelcomePage();
    void buildTextPage();
    void buildTypePage();
    void buildMainPage();
    void buildMessageGroup(int top);
    void placeButtons();
    void placeMessage();
    void placeTypeOptions();

    // Buttons
    QPushButton* btnEvent;
    QPushButton* btnEnd;
    // Welcome page
    QFrame* fraTitle;
    QLabel* imgTitleIcon;
    QLabel* lblTitleKind;
    QLabel* lblTitleProduct;
    QLabel* lblTitleMessage;
    // Text page
    QGroupBox* fraReadme;
    QPlainTextEdit* txtReadme;
    // Type page
    QFrame* fraSelectType;
    QLabel* imgTypeIcon;
    QLabel* lblTypeKind;
    QLabel* lblTypeProduct;
    QLabel* lblSelectTypeMsg;
    WrapRadioButton* optSelectType1;
    WrapRadioButton* optSelectType2;
    // Main page
    QGroupBox* grpMessage;
    QScrollArea* scrMessage; // holds lblMessage
    WrapLabel* lblMessage;
    QGroupBox* grpSetupFolder;
    QLineEdit* txtFolder;
    QPushButton* btnRefer;
    QGroupBox* grpOption;
    QCheckBox* chkOverWrite;
    QGroupBox* fraShortCut;
    QCheckBox* chkSCutDesktop;
    QCheckBox* chkSCutStartMenu;
    QCheckBox* chkSCutStartUp;
    QCheckBox* chkSCutSendTo;
    QLabel* lblUnSetupInfo;
    // Hidden: the answer of TfrmCustomDlg
    QLabel* lblFormShare;
    // The folder browser of btnRefer
    TFolderDialog dlgFolder;

    Page page_ = Page::Main;
    std::function<bool()> closeGuard_;
    bool closed_ = false;
    int buttonWidth_ = 0;
    int pageArea_ = 0; // height of the page area above the buttons
};

} // namespace installer
