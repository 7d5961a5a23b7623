// The Qt prompter: message boxes with Japanese buttons and the right icon and answers,
// input boxes, and file and folder dialogs set up from a request.
#include "browser/gui/qtprompter.h"

#include "common/utf8text.h"
#include "testing/testsupport.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace browser;

namespace {

using common::U;

// Runs `action` on the modal dialog of type T once it is open.
template <typename T>
void WhenOpen(std::function<void(T*)> action)
{
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, action] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the dialog did not open";
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
        }
    });
    timer->start(10);
}

QStringList ButtonTexts(QMessageBox* box)
{
    QStringList out;
    for (QAbstractButton* b : box->buttons())
        out << b->text();
    out.sort();
    return out;
}

QAbstractButton* ButtonWithText(QMessageBox* box, const QString& text)
{
    for (QAbstractButton* b : box->buttons())
        if (b->text() == text)
            return b;
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

void PressEscape(QWidget* w)
{
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w, &escape);
}

// ---------------------------------------------------------------- message boxes

TEST(QtPrompterMessage, PlainMessageHasTheProgramTitleAndAnOkButton)
{
    QtPrompter prompter;
    WhenOpen<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Melwick Ex"));
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        EXPECT_EQ(box->text(), U("一行目\n二行目\n三行目"));
        EXPECT_EQ(ButtonTexts(box), QStringList{QStringLiteral("OK")});
        box->defaultButton()->click();
    });
    EXPECT_EQ(prompter.message(U("一行目\r\n二行目\r三行目"), MessageIcon::Information), Answer::Ok);
}

TEST(QtPrompterMessage, QuestionShowsJapaneseButtonsAndReportsTheOneClicked)
{
    QtPrompter prompter;
    WhenOpen<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), U("確認"));
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(ButtonTexts(box), (QStringList{U("いいえ(&N)"), U("はい(&Y)")}));
        EXPECT_EQ(box->defaultButton()->text(), U("はい(&Y)"));
        ButtonWithText(box, U("いいえ(&N)"))->click();
    });
    EXPECT_EQ(prompter.message(U("保存しますか？"), MessageIcon::Question, MessageButtons::YesNo, U("確認")), Answer::No);

    WhenOpen<QMessageBox>([](QMessageBox* box) { ButtonWithText(box, U("はい(&Y)"))->click(); });
    EXPECT_EQ(prompter.message(U("保存しますか？"), MessageIcon::Question, MessageButtons::YesNo), Answer::Yes);
}

TEST(QtPrompterMessage, OkCancelWarningAnswersCancel)
{
    QtPrompter prompter;
    WhenOpen<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(ButtonTexts(box), (QStringList{QStringLiteral("OK"), U("キャンセル")}));
        EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("OK"));
        ButtonWithText(box, U("キャンセル"))->click();
    });
    EXPECT_EQ(prompter.message(U("削除しますか?"), MessageIcon::Warning, MessageButtons::OkCancel), Answer::Cancel);
}

TEST(QtPrompterMessage, EscapeAnswersCancelElseNoElseOk)
{
    QtPrompter prompter;
    const std::pair<MessageButtons, Answer> cases[] = {{MessageButtons::YesNoCancel, Answer::Cancel},
                                                       {MessageButtons::YesNo, Answer::No},
                                                       {MessageButtons::OkCancel, Answer::Cancel},
                                                       {MessageButtons::Ok, Answer::Ok}};
    for (const auto& [buttons, expected] : cases) {
        WhenOpen<QMessageBox>([](QMessageBox* box) { PressEscape(box); });
        EXPECT_EQ(prompter.message(QStringLiteral("?"), MessageIcon::Critical, buttons), expected) << int(buttons);
    }
}

TEST(QtPrompterMessage, IconsMapOneToOne)
{
    QtPrompter prompter;
    const std::pair<MessageIcon, QMessageBox::Icon> cases[] = {{MessageIcon::None, QMessageBox::NoIcon},
                                                               {MessageIcon::Information, QMessageBox::Information},
                                                               {MessageIcon::Warning, QMessageBox::Warning},
                                                               {MessageIcon::Critical, QMessageBox::Critical},
                                                               {MessageIcon::Question, QMessageBox::Question}};
    for (const auto& [icon, expected] : cases) {
        WhenOpen<QMessageBox>([expected = expected](QMessageBox* box) {
            EXPECT_EQ(box->icon(), expected);
            box->defaultButton()->click();
        });
        prompter.message(QStringLiteral("x"), icon);
    }
}

TEST(QtPrompterMessage, FileNamesAreShownAsTheyAre)
{
    QtPrompter prompter;
    WhenOpen<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->text(), QStringLiteral("<b>a&b</b>.txt"));
        box->defaultButton()->click();
    });
    prompter.message(QStringLiteral("<b>a&b</b>.txt"), MessageIcon::Warning);
}

// ---------------------------------------------------------------- input boxes

TEST(QtPrompterInput, ReturnsTheTextOnOkAndNothingOnCancel)
{
    QtPrompter prompter;
    WhenOpen<QInputDialog>([](QInputDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), U("手動リネーム"));
        EXPECT_EQ(dialog->labelText(), U("新しい名前"));
        EXPECT_EQ(dialog->textValue(), U("古い名前"));
        EXPECT_EQ(dialog->cancelButtonText(), U("キャンセル"));
        dialog->setTextValue(U("新しい名前です"));
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(prompter.inputText(U("新しい名前"), U("手動リネーム"), U("古い名前")), std::optional<QString>(U("新しい名前です")));

    WhenOpen<QInputDialog>([](QInputDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Melwick Ex"));
        dialog->reject();
    });
    EXPECT_EQ(prompter.inputText(QStringLiteral("?"), QString(), QString()), std::nullopt);
}

// ---------------------------------------------------------------- file dialogs

class QtPrompterFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        testsupport::WriteBytes(dir_.filePath(QStringLiteral("plugin.ini")), "");
        testsupport::WriteBytes(dir_.filePath(QStringLiteral("other.txt")), "");
    }
    QTemporaryDir dir_;
    QtPrompter prompter_;
};

TEST_F(QtPrompterFiles, OpenDialogTakesTitleFilterFolderAndProposedName)
{
    FileDialogRequest request;
    request.title = U("WinAmpのPlugin.iniを指定");
    request.filter = QStringLiteral("plugin.ini|plugin.ini");
    request.fileName = dir_.filePath(QStringLiteral("plugin.ini"));
    request.mustExist = true;
    const QString dir = dir_.path();
    WhenOpen<QFileDialog>([dir](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), U("WinAmpのPlugin.iniを指定"));
        EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("plugin.ini (plugin.ini)")});
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(dir).canonicalPath());
        EXPECT_EQ(dialog->labelText(QFileDialog::Reject), U("キャンセル"));
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept is protected
    });
    const std::optional<QString> chosen = prompter_.openFile(request);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QFileInfo(*chosen).canonicalFilePath(), QFileInfo(request.fileName).canonicalFilePath());
}

TEST_F(QtPrompterFiles, CancelledOpenGivesNothing)
{
    FileDialogRequest request;
    request.folder = dir_.path();
    request.filter = U("歌詞ファイル|*.txt;*.lrc;*.kra|すべてのファイル|*.*");
    WhenOpen<QFileDialog>([](QFileDialog* dialog) {
        EXPECT_EQ(dialog->nameFilters(), (QStringList{U("歌詞ファイル (*.txt *.lrc *.kra)"), U("すべてのファイル (*.*)")}));
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Melwick Ex"));
        dialog->reject();
    });
    EXPECT_EQ(prompter_.openFile(request), std::nullopt);
}

TEST_F(QtPrompterFiles, SaveDialogAddsTheDefaultExtensionAndAsksBeforeOverwriting)
{
    FileDialogRequest request;
    request.title = U("ファイルリストの保存");
    request.folder = dir_.path();
    request.fileName = QStringLiteral("list");
    request.filter = QStringLiteral("Melwick Data File|*.mlf");
    request.defaultExtension = QStringLiteral(".mlf");
    request.confirmOverwrite = true;
    WhenOpen<QFileDialog>([](QFileDialog* dialog) {
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("mlf"));
        EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept is protected
    });
    const std::optional<QString> chosen = prompter_.saveFile(request);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QFileInfo(*chosen).fileName(), QStringLiteral("list.mlf"));
    EXPECT_EQ(QFileInfo(*chosen).dir().canonicalPath(), QDir(dir_.path()).canonicalPath());

    request.confirmOverwrite = false;
    WhenOpen<QFileDialog>([](QFileDialog* dialog) {
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        dialog->reject();
    });
    EXPECT_EQ(prompter_.saveFile(request), std::nullopt);
}

TEST_F(QtPrompterFiles, FolderChooserShowsFoldersOnly)
{
    const QString dir = dir_.path();
    WhenOpen<QFileDialog>([dir](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), U("フォルダの選択"));
        EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(dir).canonicalPath());
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept is protected
    });
    const std::optional<QString> chosen = prompter_.chooseFolder(U("フォルダの選択"), dir);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QDir(*chosen).canonicalPath(), QDir(dir).canonicalPath());
}

TEST_F(QtPrompterFiles, MissingStartFolderFallsBackToHome)
{
    WhenOpen<QFileDialog>([](QFileDialog* dialog) {
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir::home().canonicalPath());
        dialog->reject();
    });
    EXPECT_EQ(prompter_.chooseFolder(QString(), dir_.filePath(QStringLiteral("gone"))), std::nullopt);
}

} // namespace
