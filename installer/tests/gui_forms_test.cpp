// The installer's four windows: their controls, captions and places, the folder
// browser, and that no Japanese text is cut off on any page (with screenshots of every
// page when MWEX_SCREENSHOT_DIR is set).
#include "installer/gui/folderdialog.h"
#include "installer/gui/frmback.h"
#include "installer/gui/frmcustomdlg.h"
#include "installer/gui/frmmain.h"
#include "installer/gui/frmstatus.h"
#include "installer/gui/gradbox.h"
#include "installer/gui/look.h"
#include "installer/gui/qtprompter.h"
#include "installer/tests/guitestkit.h"
#include "testing/testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

using namespace installer;
using namespace guitest;

namespace {

/// Controls whose text does not fit, or that stick out of their parent.
QStringList CutOff(const QWidget* window)
{
    QStringList problems;
    const auto name = [](const QWidget* w) {
        return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
    };
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->isWindow())
            continue;
        const QWidget* parent = w->parentWidget();
        // A scrolled widget may be larger than its viewport (the tests check that the
        // scroll range reaches all of it).
        const bool scrolled = parent && qobject_cast<const QScrollArea*>(parent->parentWidget());
        if (parent && !scrolled && !parent->rect().contains(w->geometry()))
            problems << name(w) + QStringLiteral(" sticks out of ") + name(parent);
        if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            if (button->text().isEmpty())
                continue;
            const QSize hint = button->sizeHint();
            if (hint.width() > w->width() || hint.height() > w->height())
                problems << name(w) + QStringLiteral(" \"%1\" needs %2x%3, has %4x%5")
                                          .arg(button->text())
                                          .arg(hint.width())
                                          .arg(hint.height())
                                          .arg(w->width())
                                          .arg(w->height());
        } else if (const auto* label = qobject_cast<const QLabel*>(w)) {
            if (label->text().isEmpty())
                continue;
            // Line breaks at the end show nothing.
            QString shown = label->text();
            while (shown.endsWith(QLatin1Char('\n')))
                shown.chop(1);
            const bool wraps = label->wordWrap() || label->hasHeightForWidth();
            int needH = 0, needW = 0;
            if (const auto* wrapping = qobject_cast<const WrapLabel*>(label)) {
                needH = WrappedTextHeight(wrapping->font(), shown, w->width());
            } else {
                QLabel probe(shown);
                probe.setFont(label->font());
                probe.setWordWrap(label->wordWrap());
                needH = wraps ? probe.heightForWidth(w->width()) : probe.sizeHint().height();
                needW = wraps ? 0 : probe.sizeHint().width();
            }
            if (needW > w->width() || needH > w->height())
                problems << name(w) + QStringLiteral(" \"%1\" needs %2x%3, has %4x%5")
                                          .arg(label->text().left(30))
                                          .arg(needW)
                                          .arg(needH)
                                          .arg(w->width())
                                          .arg(w->height());
        } else if (const auto* group = qobject_cast<const QGroupBox*>(w)) {
            const int need = group->fontMetrics().horizontalAdvance(group->title()) + 24;
            if (need > w->width())
                problems << name(w) + QStringLiteral(" title \"%1\"").arg(group->title());
        }
    }
    return problems;
}

/// With MWEX_SCREENSHOT_DIR set, saves the window (and the whole screen for the
/// backdrop) as PNG files.
void Shoot(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("MWEX_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QCoreApplication::processEvents();
    const QString file = folder + QStringLiteral("/setup-") + name + QStringLiteral(".png");
    EXPECT_TRUE(window->grab().save(file)) << file.toStdString();
}

void ShootScreen(const QString& name)
{
    const QString folder = qEnvironmentVariable("MWEX_SCREENSHOT_DIR");
    if (folder.isEmpty() || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    QTest::qWait(300); // let the X server draw every window
    QScreen* screen = QGuiApplication::primaryScreen();
    const QString file = folder + QStringLiteral("/setup-") + name + QStringLiteral(".png");
    EXPECT_TRUE(screen->grabWindow(0).save(file)) << file.toStdString();
}

class Forms : public WindowsTest {};

const char* kAllPages = R"([Title]
Setup=ツール・プロ 2000
UnSetup=ツール・プロ 2000
Program=ツール・プロ
CopyRight1=Copyright (C) 2001 ツール工房
CopyRight2=All rights reserved.
[Extend]
SetupSpeed=1
[DefaultFolder]
Folder=(Prg)\Tool Pro
[TopMessage]
Message1=ツール・プロ 2000 をインストールします．
Message2=インストール先のフォルダを確認してください．
[EULA]
File=licence.txt
[Readme]
File=readme.txt
Title=お読みください
[SelectType]
Visible=True
Type1=標準インストール（推奨）
Type2=最小インストール（ディスク容量が少ない場合）
[CopyFile]
File1=(App)\tool.txt
File2=(App)\tool2.txt
File3=(App)\manual.txt
[ShortCut]
Make1=(App)\tool.txt
Name1=(Dsk)\ツール
Make2=(App)\tool.txt
Name2=(Sta)\ツール
)";

} // namespace

TEST(BackdropCaption, VersionFollowsTheFixedWordsDirectly)
{
    EXPECT_EQ(TfrmBack::CaptionFor("2.0.1.7"), "Tovel! Setup 200x Version2.01(Build:0007)");
    EXPECT_EQ(TfrmBack::CaptionFor("1.1.0.453"), "Tovel! Setup 200x Version1.10(Build:0453)");
    EXPECT_EQ(TfrmBack::CaptionFor("3"), "Tovel! Setup 200x Version3.00(Build:0000)");
}

TEST_F(Forms, BackdropIsAMaximizedBlueGradientWithTitleAndCredit)
{
    version = "2.0.1.7";
    m.writeDefinition(kAllPages);
    Start();
    TfrmBack* back = windows->frmBack();
    EXPECT_TRUE(back->isVisible());
    EXPECT_TRUE(back->windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(back->isEnabled()); // while the main window is in use
    EXPECT_EQ(back->windowTitle(), "Tovel! Setup 200x Version2.01(Build:0007)");
    EXPECT_FALSE(back->windowIcon().isNull());

    auto* grad = Control<TGradBox>(back, "GradBox");
    EXPECT_EQ(grad->geometry(), back->rect());
    EXPECT_EQ(grad->StartColor(), QColor(Qt::blue));
    EXPECT_EQ(grad->EndColor(), QColor(Qt::black));
    EXPECT_EQ(grad->GradStep(), 128);
    const QImage image = back->grab().toImage();
    // Blue at the top, darker band by band, black at the bottom.
    EXPECT_EQ(image.pixelColor(image.width() / 2, 0), QColor(0, 0, 255));
    int previous = 256;
    for (int y = 0; y < image.height(); y += 16) {
        const QColor c = image.pixelColor(image.width() - 1, y);
        EXPECT_EQ(c.red() + c.green(), 0);
        EXPECT_LT(c.blue(), previous);
        previous = c.blue();
    }
    EXPECT_LE(image.pixelColor(0, image.height() - 1).blue(), 2);

    auto* title = Control<QLabel>(back, "lblBackTitle1");
    auto* titleShadow = Control<QLabel>(back, "lblBackTitle2");
    EXPECT_EQ(title->text(), U8("ツール・プロ 2000"));
    EXPECT_EQ(titleShadow->text(), title->text());
    EXPECT_EQ(titleShadow->pos(), title->pos() + QPoint(2, 2));
    EXPECT_EQ(title->width(), back->width() - 24);
    EXPECT_EQ(titleShadow->width(), back->width() - 24);
    EXPECT_TRUE(title->font().italic());
    EXPECT_EQ(title->font().pixelSize(), 32);
    EXPECT_EQ(title->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(titleShadow->palette().color(QPalette::WindowText), QColor(0, 128, 0));

    auto* credit = Control<QLabel>(back, "lblPrgTitle1");
    auto* creditShadow = Control<QLabel>(back, "lblPrgTitle2");
    EXPECT_TRUE(credit->isVisible());
    EXPECT_TRUE(creditShadow->isVisible());
    EXPECT_EQ(credit->text(), U8("Copyright (C) 2001 ツール工房\nAll rights reserved."));
    EXPECT_EQ(credit->width(), credit->sizeHint().width() + 8);
    EXPECT_EQ(credit->geometry().right() + 1, back->width() - 24);
    EXPECT_EQ(credit->geometry().bottom() + 1, back->height() - 48);
    EXPECT_EQ(creditShadow->pos(), credit->pos() + QPoint(2, 2));
    EXPECT_TRUE(credit->font().italic());
    EXPECT_EQ(credit->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(creditShadow->palette().color(QPalette::WindowText), QColor(Qt::blue));
    // The shadows lie under the texts.
    const QList<QObject*> order = back->children();
    EXPECT_LT(order.indexOf(titleShadow), order.indexOf(title));
    EXPECT_LT(order.indexOf(creditShadow), order.indexOf(credit));
    EXPECT_LT(order.indexOf(grad), order.indexOf(titleShadow));

    // The credit keeps its corner when the backdrop changes size.
    back->showNormal();
    back->resize(700, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(credit->geometry().right() + 1, 700 - 24);
    EXPECT_EQ(credit->geometry().bottom() + 1, 500 - 48);
}

TEST_F(Forms, CreditWithoutCopyrightLinesIsTheInstallersOwn)
{
    m.writeDefinition("[Title]\nSetup=Tool\n");
    Start();
    EXPECT_EQ(Control<QLabel>(windows->frmBack(), "lblPrgTitle1")->text(),
              U8("Tovel! Setup 200x Professional\n汎用32Bitインストーラ"));
    EXPECT_EQ(Control<QLabel>(windows->frmBack(), "lblBackTitle1")->text(), "Tool");
    EXPECT_EQ(Main()->windowTitle(), "Tool");
}

TEST(Windows, MainAndProgressWindowsHaveNoCloseButtonAndAFixedSize)
{
    TfrmMain main;
    TfrmStatus status;
    TfrmCustomDlg custom(main.shareAnswerLabel());
    for (QWidget* w : {static_cast<QWidget*>(&main), static_cast<QWidget*>(&status), static_cast<QWidget*>(&custom)}) {
        EXPECT_FALSE(w->windowFlags() & Qt::WindowCloseButtonHint) << w->objectName().toStdString();
        EXPECT_FALSE(w->windowFlags() & Qt::WindowContextHelpButtonHint);
        EXPECT_EQ(w->minimumSize(), w->maximumSize()) << w->objectName().toStdString();
    }
}

TEST(Windows, ProgressWindowStartsWithAnEmptyCounterAndADisabledAbort)
{
    TfrmStatus status;
    EXPECT_EQ(status.windowTitle(), U8("進行状況"));
    EXPECT_EQ(Control<QGroupBox>(&status, "grpMessage")->title(), U8("メッセージ"));
    EXPECT_EQ(Control<QGroupBox>(&status, "fraStatus")->title(), U8("進行状況"));
    EXPECT_EQ(Control<QLabel>(&status, "lblStatus")->text(), "0%(0/0)");
    auto* bar = Control<QProgressBar>(&status, "prgStatus");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    auto* abort = Control<QPushButton>(&status, "btnAbort");
    EXPECT_EQ(abort->text(), U8("中断(&A)"));
    status.showCentred();
    EXPECT_FALSE(Control<QGroupBox>(&status, "fraStatus")->isVisible());
    EXPECT_FALSE(abort->isEnabled());
    // Neither the window manager nor Escape closes it; the installer does.
    status.close();
    EXPECT_TRUE(status.isVisible());
    QTest::keyClick(&status, Qt::Key_Escape);
    EXPECT_TRUE(status.isVisible());
    status.closeWindow();
    EXPECT_FALSE(status.isVisible());
}

TEST(Windows, SharedFileQuestionLeavesItsAnswerInTheShareLabel)
{
    TfrmMain main;
    TfrmCustomDlg dialog(main.shareAnswerLabel());
    EXPECT_EQ(dialog.windowTitle(), U8("ファイル削除の確認"));
    const std::pair<const char*, const char*> buttons[] = {
        {"btnYes", "はい(&Y)"}, {"btnNo", "いいえ(&N)"}, {"btnDelete", "すべて削除(&D)"}, {"btnSave", "すべて保存(&A)"}};
    const char* answers[] = {"Yes", "No", "Delete", "Save"};
    for (int i = 0; i < 4; ++i) {
        auto* button = Control<QPushButton>(&dialog, buttons[i].first);
        EXPECT_EQ(button->text(), U8(buttons[i].second));
        main.shareAnswerLabel()->clear();
        dialog.setMessage("x");
        dialog.show();
        Click(button);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(main.shareAnswerLabel()->text(), answers[i]);
    }
    // Closed without an answer: the label stays empty.
    main.shareAnswerLabel()->clear();
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(main.shareAnswerLabel()->text().isEmpty());
}

TEST(Windows, TextPageScrollBarsFollowTheDefinition)
{
    TfrmMain main;
    auto* memo = Control<QPlainTextEdit>(&main, "txtReadme");
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    main.setMemoScrollBars("ssHorizontal");
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
    main.setMemoScrollBars("ssNone"); // unknown: unchanged
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    main.setMemoScrollBars("ssBoth");
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    main.setMemoScrollBars("ssVertical");
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    main.setMemoSilver(true);
    EXPECT_EQ(memo->palette().color(QPalette::Base), QColor(192, 192, 192));
    main.setMemoSilver(false);
    EXPECT_EQ(memo->palette().color(QPalette::Base), QGuiApplication::palette().color(QPalette::Base));
}

TEST(FolderDialog, ChosenFolderBecomesTheDirectory)
{
    ScriptedFolderChooser chooser;
    TFolderDialog dialog(&chooser);
    EXPECT_EQ(dialog.Options, FolderBrowseOptions(FolderBrowseOption::ReturnOnlyFsDirs));
    dialog.Title = "t";
    dialog.Directory = "/start";
    chooser.results.push_back(QString("/chosen"));
    EXPECT_TRUE(dialog.Execute(nullptr));
    EXPECT_EQ(dialog.Directory, "/chosen");
    EXPECT_EQ(chooser.titles, QStringList{"t"});
    EXPECT_EQ(chooser.starts, QStringList{"/start"});
    chooser.results.push_back(std::nullopt);
    EXPECT_FALSE(dialog.Execute(nullptr));
    EXPECT_EQ(dialog.Directory, "/chosen");
    EXPECT_FALSE(TFolderDialog().Execute(nullptr));
}

TEST_F(Forms, BrowseButtonPutsTheChosenFolderWithASeparatorIntoTheFolderBox)
{
    m.writeDefinition("[Title]\nSetup=Tool\n[DefaultFolder]\nFolder=(Prg)\\Tool\n");
    Start();
    Click(EventButton()); // welcome -> main page
    auto* folder = Control<QLineEdit>(Main(), "txtFolder");
    EXPECT_EQ(folder->text(), m.programFiles() + "Tool/");
    chooser->results.push_back(m.scratch() + "elsewhere");
    Click(Control<QPushButton>(Main(), "btnRefer"));
    EXPECT_EQ(folder->text(), m.scratch() + "elsewhere/");
    ASSERT_EQ(chooser->titles.size(), 1);
    EXPECT_EQ(chooser->titles[0], U8("セットアップフォルダを選択してください．"));
    EXPECT_EQ(chooser->starts[0], m.programFiles() + "Tool/");
    EXPECT_EQ(chooser->owners[0], Main());
    // Cancelled: the box keeps its text.
    Click(Control<QPushButton>(Main(), "btnRefer"));
    EXPECT_EQ(folder->text(), m.scratch() + "elsewhere/");
}

TEST_F(Forms, NoTextIsCutOffOnAnyInstallPage)
{
    m.writeDefinition(kAllPages);
    m.writeMedia("licence.txt", testsupport::Sjis(
        "使用許諾契約書\r\n\r\n本ソフトウェアを使用する前に，以下の契約書をよくお読みください．\r\n"
        "本ソフトウェアをインストールした時点で，この契約に同意したものとみなします．\r\n"));
    m.writeMedia("readme.txt", testsupport::Sjis("ツール・プロ 2000 について\r\n\r\n動作環境：Debian 12\r\n"));
    m.writeMedia("tool.txt", "tool");
    m.writeMedia("tool2.txt", "tool");
    Start();
    ShootScreen("backdrop");
    const char* pages[] = {"welcome", "licence", "readme", "type", "main"};
    for (const char* page : pages) {
        EXPECT_EQ(CutOff(Main()), QStringList()) << page;
        Shoot(Main(), QString::fromLatin1(page));
        if (QLatin1String(page) != QLatin1String("main"))
            Click(EventButton());
    }
    EXPECT_EQ(VisiblePage(), "main");

    // The progress window while files are copied, and the shared-file question.
    bool shot = false;
    pacer->onIdle = [&] {
        TfrmStatus* status = windows->frmStatus();
        if (!shot && status->isVisible() && status->fraStatus->isVisible() && status->lblStatus->text() == "33%(1/3)") {
            shot = true;
            status->lblMessage->setText(U8("ファイルをコピーしています．．．\nCopying -> ") + m.programFiles()
                                        + U8("Tool Pro/サブフォルダ/とても長い名前のファイル名_version_2000.txt"));
            EXPECT_EQ(CutOff(status), QStringList());
            Shoot(status, "progress");
            ShootScreen("progress-screen");
        }
    };
    // The manual is missing from the medium: the error details are offered.
    prompter->answers[Prompt::ShowErrorDetails] = {Answer::Yes};
    bool detailsShot = false;
    pacer->onWait = [&](int ms) {
        if (ms != 200 || detailsShot)
            return;
        detailsShot = true;
        EXPECT_EQ(VisiblePage(), "fraReadme");
        EXPECT_EQ(CutOff(Main()), QStringList());
        Shoot(Main(), "error-details");
        Click(EventButton());
    };
    Click(EventButton());
    EXPECT_TRUE(shot);
    EXPECT_TRUE(detailsShot);
    EXPECT_TRUE(windows->hasEnded());

    TfrmMain main;
    TfrmCustomDlg custom(main.shareAnswerLabel());
    custom.setMessage(m.system() + U8("shared.dll\n\nこの共有ファイルは，現在，他のどのプログラムからも使われていません．\n"
                                      "しかし，今後，他のプログラムで使われる可能性があります．\n"
                                      "このファイルを削除してもよろしいですか？"));
    custom.show();
    EXPECT_EQ(CutOff(&custom), QStringList());
    Shoot(&custom, "shared-question");
}

// Long texts: a backdrop title wider than the screen shrinks until it fits, type
// captions wider than the page wrap (and a click on their second line still chooses
// them), and five long message lines wrap inside a box that scrolls to every line.
TEST_F(Forms, NoTextIsCutOffWithLongTexts)
{
    const std::string line = "インストール先のフォルダと，作成されるショートカットの場所を，開始の前に必ず確認してください．";
    std::string definition = "[Title]\nSetup=ツール・プロフェッショナル・エディション 2000 デラックス版 インストーラ\n"
                             "[Extend]\nSetupSpeed=1\n[DefaultFolder]\nFolder=(Prg)\\Tool Pro\n[TopMessage]\n";
    for (int n = 1; n <= 5; ++n)
        definition += "Message" + std::to_string(n) + "=" + std::to_string(n) + ". " + line + "\n";
    definition += "[SelectType]\nVisible=True\n"
                  "Type1=標準インストール（推奨：プログラム本体，ヘルプ，サンプルデータ，追加の辞書ファイルをすべてコピーします）\n"
                  "Type2=最小インストール（ディスク容量が少ない場合：プログラム本体だけをコピーします）\n"
                  "[CopyFile]\nFile1=(App)\\missing.txt\n";
    m.writeDefinition(U8(definition.c_str()));
    Start();

    auto* title = Control<QLabel>(windows->frmBack(), "lblBackTitle1");
    const QFontMetrics titleMetrics(title->font());
    EXPECT_LE(titleMetrics.horizontalAdvance(title->text()) + titleMetrics.height() / 3, title->width());
    EXPECT_GE(title->height(), titleMetrics.height());
    EXPECT_EQ(Control<QLabel>(windows->frmBack(), "lblBackTitle2")->font(), title->font());
    ShootScreen("backdrop-long");

    Click(EventButton()); // welcome -> type
    ASSERT_EQ(VisiblePage(), "fraSelectType");
    EXPECT_EQ(CutOff(Main()), QStringList());
    auto* type1 = Control<QRadioButton>(Main(), "optSelectType1");
    auto* type2 = Control<QRadioButton>(Main(), "optSelectType2");
    EXPECT_GE(type1->height(), 2 * type1->fontMetrics().lineSpacing()); // wrapped, not cut
    EXPECT_GT(type2->y(), type1->geometry().bottom());
    EXPECT_TRUE(type2->parentWidget()->rect().contains(type2->geometry()));
    Shoot(Main(), "type-long");
    QTest::mouseClick(type2, Qt::LeftButton, {}, QPoint(type2->width() / 2, type2->height() - 4));
    EXPECT_TRUE(type2->isChecked());
    QTest::mouseClick(type1, Qt::LeftButton, {}, QPoint(type1->width() / 2, type1->height() - 4));
    EXPECT_TRUE(type1->isChecked());

    Click(EventButton()); // type -> main
    ASSERT_EQ(VisiblePage(), "main");
    EXPECT_EQ(CutOff(Main()), QStringList());
    auto* message = Control<QLabel>(Main(), "lblMessage");
    for (int n = 1; n <= 5; ++n)
        EXPECT_TRUE(message->text().contains(QString::number(n) + ". " + U8(line.c_str()))) << n;
    auto* area = Control<QScrollArea>(Main(), "scrMessage");
    QString shown = message->text();
    while (shown.endsWith('\n'))
        shown.chop(1);
    EXPECT_GE(message->height(), WrappedTextHeight(message->font(), shown, message->width()));
    EXPECT_LE(message->width(), area->viewport()->width());
    // Every line can be scrolled into view.
    EXPECT_GT(area->verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(area->verticalScrollBar()->isVisible());
    EXPECT_EQ(area->verticalScrollBar()->maximum() + area->viewport()->height(), message->height());
    Shoot(Main(), "message-long");

    // The copy fails: the error details page.
    prompter->answers[Prompt::ShowErrorDetails] = {Answer::Yes};
    bool detailsShot = false;
    pacer->onWait = [&](int ms) {
        if (ms != 200 || detailsShot)
            return;
        detailsShot = true;
        EXPECT_EQ(VisiblePage(), "fraReadme");
        EXPECT_EQ(CutOff(Main()), QStringList());
        Shoot(Main(), "error-details-long");
        Click(EventButton());
    };
    Click(EventButton());
    EXPECT_TRUE(detailsShot);
    EXPECT_TRUE(windows->hasEnded());
    EXPECT_EQ(windows->exitStatus(), 1);
}

TEST_F(Forms, NoTextIsCutOffOnTheUninstallPages)
{
    for (const char* option : {"1,0,0,0", "DeleteAll"}) {
        const QString ini = m.scratch() + option[0] + QStringLiteral("/UNSETUP.INI");
        QDir().mkpath(m.scratch() + option[0]);
        testsupport::WriteBytes(ini, testsupport::Sjis((std::string("[Title]\r\nUnSetup=ツール・プロ 2000\r\n[SetupFolder]\r\nFolder=")
                                                        + m.programFiles().toStdString()
                                                        + "Tool Pro/\r\n[UnSetupOption]\r\nCheckBox=" + option + "\r\n")
                                                           .c_str()));
        Start({ini});
        EXPECT_EQ(VisiblePage(), "main");
        EXPECT_EQ(CutOff(Main()), QStringList()) << option;
        Shoot(Main(), option[0] == 'D' ? QStringLiteral("uninstall-deleteall") : QStringLiteral("uninstall"));
        prompter->answers[Prompt::ConfirmEnd].push_back(Answer::Yes);
        Click(EndButton());
        EXPECT_TRUE(windows->hasEnded());
    }
}

TEST_F(Forms, FatalStartPageShowsOnlyTheErrorAndTheEndButton)
{
    Start(); // no SETUP.INI on the medium
    EXPECT_EQ(VisiblePage(), "main");
    EXPECT_EQ(Control<QLabel>(Main(), "lblMessage")->text(),
              U8("【致命的エラー  →  iniファイル読み込み失敗】\n\n処理は続行できません．"));
    EXPECT_EQ(EventButton()->text(), U8("処理開始(&S)"));
    EXPECT_FALSE(EventButton()->isEnabled());
    EXPECT_EQ(EndButton()->text(), U8("終了(&E)"));
    EXPECT_EQ(CutOff(Main()), QStringList());
    Shoot(Main(), "fatal");
    // The end button ends without asking.
    Click(EndButton());
    EXPECT_TRUE(prompter->asked.empty());
    EXPECT_TRUE(windows->hasEnded());
    EXPECT_EQ(windows->exitStatus(), 2);
    EXPECT_TRUE(WorkFolders().isEmpty());
}

// ---- the Qt implementations of the seams ------------------------------------------------

namespace {

/// Runs `act` on the modal dialog as soon as it is up.
void WhenModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        EXPECT_NE(modal, nullptr);
        if (modal)
            act(modal);
    });
}

} // namespace

TEST(QtPrompterTest, MessageBoxesHaveJapaneseButtonsAndLineBreaks)
{
    QtPrompter prompter;
    QString title, text;
    QStringList buttons;
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        for (QAbstractButton* b : box->buttons())
            buttons << b->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == U8("いいえ(&N)"))
                b->click();
    });
    const Answer answer = prompter.ask({Prompt::ConfirmEnd, U8("終了確認"), "one\r\ntwo\rthree", installer::Buttons::YesNo,
                                        Icon::Question},
                                       nullptr);
    EXPECT_EQ(answer, Answer::No);
    EXPECT_EQ(title, U8("終了確認"));
    EXPECT_EQ(text, "one\ntwo\nthree");
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{U8("いいえ(&N)"), U8("はい(&Y)")}));
}

TEST(QtPrompterTest, EscapeAnswersCancelElseNo)
{
    QtPrompter prompter;
    WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(prompter.ask({Prompt::DiskChange, "t", "x", installer::Buttons::OkCancel, Icon::Information}, nullptr),
              Answer::Cancel);
    WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(prompter.ask({Prompt::Restart, "t", "x", installer::Buttons::YesNo, Icon::Question}, nullptr), Answer::No);
    WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });
    EXPECT_EQ(prompter.ask({Prompt::Restart, "t", "x", installer::Buttons::YesNo, Icon::Question}, nullptr), Answer::Yes);
}

TEST(QtFolderChooserTest, OffersFoldersStartingAtTheNearestExistingOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/a/b"));
    QtFolderChooser chooser;
    QString title;
    QString start;
    bool foldersOnly = false;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        start = dialog->directory().absolutePath();
        foldersOnly = dialog->fileMode() == QFileDialog::Directory && dialog->testOption(QFileDialog::ShowDirsOnly);
        dialog->selectFile(dir.path() + "/a/b");
        static_cast<QDialog*>(dialog)->accept();
    });
    const auto chosen = chooser.chooseFolder(nullptr, U8("セットアップフォルダを選択してください．"),
                                             dir.path() + "/a/not yet/", FolderBrowseOption::ReturnOnlyFsDirs);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, dir.path() + "/a/b");
    EXPECT_EQ(title, U8("セットアップフォルダを選択してください．"));
    EXPECT_EQ(start, dir.path() + "/a");
    EXPECT_TRUE(foldersOnly);

    WhenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_FALSE(chooser.chooseFolder(nullptr, "t", dir.path(), FolderBrowseOption::ReturnOnlyFsDirs).has_value());
}

TEST(EventLoopPacerTest, WaitsAtLeastTheTimeAndRunsEvents)
{
    EventLoopPacer pacer;
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    QElapsedTimer clock;
    clock.start();
    pacer.wait(30);
    EXPECT_GE(clock.elapsed(), 29);
    EXPECT_TRUE(ran);
}
