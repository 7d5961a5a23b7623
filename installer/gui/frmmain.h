#pragma once
// TfrmMain: the installer's main window, a fixed-size dialog whose pages (welcome,
// licence or read-me text, installation type, main page) one action button steps
// through. This class holds the controls, their places and the page switching; the
// flow that fills and drives them is SetupWindows.

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

namespace installer {

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
    QRadioButton* optSelectType1;
    QRadioButton* optSelectType2;
    // Main page
    QGroupBox* grpMessage;
    QLabel* lblMessage;
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

Q_SIGNALS:
    /// The window has closed (once).
    void closed();

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
    void placeButtons();

    Page page_ = Page::Main;
    std::function<bool()> closeGuard_;
    bool closed_ = false;
    int buttonWidth_ = 0;
    int pageArea_ = 0; // height of the page area above the buttons
};

} // namespace installer
