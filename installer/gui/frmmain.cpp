#include "installer/gui/frmmain.h"

#include "installer/gui/look.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

namespace installer {
namespace {

constexpr int kWidth = 600;
constexpr int kMargin = 8;
constexpr int kPad = 10;       // inside a group, from its sides
constexpr int kGroupGap = 6;   // between groups
constexpr int kMessageLines = 5;

/// Sizes that follow the font, so that no Japanese text is cut off.
struct Metrics {
    explicit Metrics(const QWidget* w)
    {
        const QFontMetrics fm = w->fontMetrics();
        line = fm.lineSpacing();
        text = fm.height();
        groupTop = text + 4;
        QLineEdit edit;
        QPushButton button(QStringLiteral("参照(&R)"));
        QCheckBox check(QStringLiteral("デスクトップ"));
        row = std::max({edit.sizeHint().height(), button.sizeHint().height(), text + 10});
        checkHeight = std::max(check.sizeHint().height(), text + 2);
    }
    int line = 0;
    int text = 0;
    int groupTop = 0;  // where a group's first control starts, below its title
    int row = 0;       // a line edit or push button
    int checkHeight = 0;
};

QLabel* MakeIcon(QWidget* parent, const char* name)
{
    auto* icon = new QLabel(parent);
    icon->setObjectName(QLatin1String(name));
    icon->setPixmap(SetupIcon().pixmap(48, 48));
    icon->setGeometry(16, 16, 48, 48);
    return icon;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text = {})
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

/// The two fixed lines beside the icon of the welcome and type pages.
void MakeHeading(QFrame* frame, QLabel*& kind, const char* kindName, const char* kindText, QLabel*& product,
                 const char* productName)
{
    kind = MakeLabel(frame, kindName, QString::fromUtf8(kindText));
    QFont bold = kind->font();
    bold.setBold(true);
    kind->setFont(bold);
    product = MakeLabel(frame, productName, QStringLiteral("Tovel! Setup 200x"));
    QFont big = product->font();
    big.setBold(true);
    big.setItalic(true);
    big.setPixelSize(24);
    product->setFont(big);
    QPalette palette = product->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    product->setPalette(palette);
    const int x = 76;
    kind->setGeometry(x, 14, frame->width() - x - 12, kind->fontMetrics().height() + 2);
    product->setGeometry(x, kind->geometry().bottom() + 2, frame->width() - x - 12, product->fontMetrics().height() + 4);
}

QFrame* MakePanel(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setAutoFillBackground(true);
    frame->setBackgroundRole(QPalette::Base);
    frame->setGeometry(geometry);
    return frame;
}

} // namespace

TfrmMain::TfrmMain(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("TfrmMain"));
    setWindowTitle(QStringLiteral("Tovel! Setup"));
    setWindowIcon(SetupIcon());

    buildMainPage();
    buildWelcomePage();
    buildTextPage();
    buildTypePage();

    btnEvent = new QPushButton(this);
    btnEvent->setObjectName(QStringLiteral("btnEvent"));
    btnEvent->setDefault(true);
    btnEnd = new QPushButton(this);
    btnEnd->setObjectName(QStringLiteral("btnEnd"));
    btnEnd->setAutoDefault(false);
    connect(btnEvent, &QPushButton::clicked, this, &TfrmMain::eventClicked);
    connect(btnEnd, &QPushButton::clicked, this, &QWidget::close);
    connect(btnRefer, &QPushButton::clicked, this, &TfrmMain::referClicked);

    lblFormShare = new QLabel(this);
    lblFormShare->setObjectName(QStringLiteral("lblFormShare"));
    lblFormShare->hide();

    dlgFolder.Title = QStringLiteral("セットアップフォルダを選択してください．");

    fitButtons({QStringLiteral("処理開始(&S)")});
    showPage(Page::Main);
}

void TfrmMain::buildMessageGroup(int top)
{
    const Metrics m(this);
    const int width = kWidth - 2 * kMargin;
    const int inner = width - 2 * kPad;
    const int y = top;
    grpMessage = new QGroupBox(QStringLiteral("メッセージ"), this);
    grpMessage->setObjectName(QStringLiteral("grpMessage"));
    // Five lines show at once; a longer or wrapped text scrolls.
    scrMessage = new QScrollArea(grpMessage);
    scrMessage->setObjectName(QStringLiteral("scrMessage"));
    scrMessage->setFrameShape(QFrame::NoFrame);
    scrMessage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scrMessage->setWidgetResizable(false);
    scrMessage->viewport()->setAutoFillBackground(false);
    lblMessage = new WrapLabel;
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scrMessage->setWidget(lblMessage);
    lblMessage->setAutoFillBackground(false); // the group's background shows through
    // Exactly five lines show, and the scroll bar moves by whole lines, so that no line
    // is ever shown in part.
    grpMessage->setGeometry(kMargin, y, width, m.groupTop + kMessageLines * m.line + 8);
    scrMessage->setGeometry(kPad, m.groupTop, inner, kMessageLines * m.line);
    scrMessage->verticalScrollBar()->setSingleStep(m.line);
    scrMessage->verticalScrollBar()->setPageStep(kMessageLines * m.line);
    placeMessage();
}

void TfrmMain::buildMainPage()
{
    const Metrics m(this);
    const int width = kWidth - 2 * kMargin;
    const int inner = width - 2 * kPad;
    int y = kMargin;

    buildMessageGroup(y);
    y += grpMessage->height() + kGroupGap;

    grpSetupFolder = new QGroupBox(this);
    grpSetupFolder->setObjectName(QStringLiteral("grpSetupFolder"));
    txtFolder = new QLineEdit(grpSetupFolder);
    txtFolder->setObjectName(QStringLiteral("txtFolder"));
    btnRefer = new QPushButton(QStringLiteral("参照(&R)"), grpSetupFolder);
    btnRefer->setObjectName(QStringLiteral("btnRefer"));
    btnRefer->setAutoDefault(false);
    const int referWidth = std::max(96, btnRefer->fontMetrics().horizontalAdvance(btnRefer->text()) + 32);
    grpSetupFolder->setGeometry(kMargin, y, width, m.groupTop + m.row + 10);
    txtFolder->setGeometry(kPad, m.groupTop, inner - referWidth - 6, m.row);
    btnRefer->setGeometry(width - kPad - referWidth, m.groupTop, referWidth, m.row);
    y += grpSetupFolder->height() + kGroupGap;

    grpOption = new QGroupBox(this);
    grpOption->setObjectName(QStringLiteral("grpOption"));
    chkOverWrite = new QCheckBox(
        QStringLiteral("自動的に上書きする（同名ファイルが存在した場合は，最新ファイルをコピーします）．"), grpOption);
    chkOverWrite->setObjectName(QStringLiteral("chkOverWrite"));
    chkOverWrite->setChecked(true);
    chkOverWrite->setGeometry(kPad, m.groupTop, inner, m.checkHeight);

    fraShortCut = new QGroupBox(QStringLiteral("ショートカットの作成"), grpOption);
    fraShortCut->setObjectName(QStringLiteral("fraShortCut"));
    // Tall enough that, moved up and 24 pixels shorter than its group for an
    // uninstallation, it still holds a row of boxes and two lines of explanation.
    const int frameHeight = std::max(m.groupTop + m.checkHeight + 10, 2 * m.line + 24);
    fraShortCut->setGeometry(kPad, m.groupTop + m.checkHeight + 4, inner, frameHeight);
    const struct {
        QCheckBox** box;
        const char* name;
        const char* caption;
    } boxes[] = {
        {&chkSCutDesktop, "chkSCutDesktop", "デスクトップ"},
        {&chkSCutStartMenu, "chkSCutStartMenu", "スタートメニュー"},
        {&chkSCutStartUp, "chkSCutStartUp", "スタートアップ"},
        {&chkSCutSendTo, "chkSCutSendTo", "送る"},
    };
    const int cell = (inner - 2 * kPad) / 4;
    int x = kPad;
    for (const auto& b : boxes) {
        *b.box = new QCheckBox(QString::fromUtf8(b.caption), fraShortCut);
        (*b.box)->setObjectName(QLatin1String(b.name));
        (*b.box)->setGeometry(x, m.groupTop, cell - 4, m.checkHeight);
        (*b.box)->setEnabled(false); // offered only for the places a definition names
        x += cell;
    }
    lblUnSetupInfo = MakeLabel(fraShortCut, "lblUnSetupInfo");
    lblUnSetupInfo->setWordWrap(true);
    lblUnSetupInfo->hide();
    grpOption->setGeometry(kMargin, y, width, fraShortCut->geometry().bottom() + 1 + 8);
    pageArea_ = grpOption->geometry().bottom() + 1;
}

void TfrmMain::buildWelcomePage()
{
    const int width = kWidth - 2 * kMargin;
    fraTitle = MakePanel(this, "fraTitle", QRect(kMargin, kMargin, width, pageArea_ - kMargin));
    imgTitleIcon = MakeIcon(fraTitle, "imgTitleIcon");
    MakeHeading(fraTitle, lblTitleKind, "lblTitleKind", "汎用32Bitインストーラ", lblTitleProduct, "lblTitleProduct");
    lblTitleMessage = MakeLabel(fraTitle, "lblTitleMessage");
    lblTitleMessage->setWordWrap(true);
    lblTitleMessage->setGeometry(16, 80, width - 32, fraTitle->height() - 80 - 10);
}

void TfrmMain::buildTextPage()
{
    const Metrics m(this);
    const int width = kWidth - 2 * kMargin;
    fraReadme = new QGroupBox(this);
    fraReadme->setObjectName(QStringLiteral("fraReadme"));
    fraReadme->setGeometry(kMargin, kMargin, width, pageArea_ - kMargin);
    txtReadme = new QPlainTextEdit(fraReadme);
    txtReadme->setObjectName(QStringLiteral("txtReadme"));
    txtReadme->setReadOnly(true);
    txtReadme->setGeometry(kPad, m.groupTop, width - 2 * kPad, fraReadme->height() - m.groupTop - kPad);
    setMemoScrollBars(QStringLiteral("ssVertical"));
}

void TfrmMain::buildTypePage()
{
    const Metrics m(this);
    const int width = kWidth - 2 * kMargin;
    fraSelectType = MakePanel(this, "fraSelectType", QRect(kMargin, kMargin, width, pageArea_ - kMargin));
    imgTypeIcon = MakeIcon(fraSelectType, "imgTypeIcon");
    MakeHeading(fraSelectType, lblTypeKind, "lblTypeKind", "汎用32Bitセットアッププログラム", lblTypeProduct,
                "lblTypeProduct");
    lblSelectTypeMsg = MakeLabel(fraSelectType, "lblSelectTypeMsg");
    lblSelectTypeMsg->setWordWrap(true);
    lblSelectTypeMsg->setGeometry(16, 80, width - 32, 3 * m.line);
    optSelectType1 = new WrapRadioButton(fraSelectType);
    optSelectType1->setObjectName(QStringLiteral("optSelectType1"));
    optSelectType1->setChecked(true);
    optSelectType2 = new WrapRadioButton(fraSelectType);
    optSelectType2->setObjectName(QStringLiteral("optSelectType2"));
    const int top = lblSelectTypeMsg->geometry().bottom() + 1 + 14;
    optSelectType1->setGeometry(32, top, width - 48, m.checkHeight + 2);
    optSelectType2->setGeometry(32, top + m.checkHeight + 10, width - 48, m.checkHeight + 2);
}

void TfrmMain::placeTypeOptions()
{
    const Metrics m(this);
    const int top = lblSelectTypeMsg->geometry().bottom() + 1 + 14;
    const int width = optSelectType1->width();
    const int first = std::max(m.checkHeight + 2, optSelectType1->heightForWidth(width));
    const int second = std::max(m.checkHeight + 2, optSelectType2->heightForWidth(width));
    optSelectType1->setGeometry(optSelectType1->x(), top, width, first);
    optSelectType2->setGeometry(optSelectType2->x(), top + first + 8, width, second);
}

void TfrmMain::placeMessage()
{
    // The label takes the viewport's width (less a scroll bar when one is needed) and
    // the height of its text; line breaks at the end add nothing.
    QString shown = lblMessage->text();
    while (shown.endsWith(QLatin1Char('\n')))
        shown.chop(1);
    const QMargins margins = lblMessage->contentsMargins();
    const auto need = [&](int width) {
        return WrappedTextHeight(lblMessage->font(), shown, width - margins.left() - margins.right()) + margins.top()
               + margins.bottom();
    };
    int width = scrMessage->width();
    if (need(width) > scrMessage->height())
        width -= scrMessage->verticalScrollBar()->sizeHint().width();
    lblMessage->resize(width, need(width));
}

void TfrmMain::fitButtons(const QStringList& captions)
{
    const QFontMetrics fm = btnEvent->fontMetrics();
    int width = 120;
    for (const QString& caption : captions)
        width = std::max(width, fm.horizontalAdvance(QString(caption).remove(QLatin1Char('&'))) + 36);
    buttonWidth_ = width;
    placeButtons();
}

void TfrmMain::placeButtons()
{
    const Metrics m(this);
    const int top = pageArea_ + 10;
    const int height = m.row;
    btnEnd->setGeometry(kWidth - kMargin - buttonWidth_, top, buttonWidth_, height);
    btnEvent->setGeometry(btnEnd->x() - 8 - buttonWidth_, top, buttonWidth_, height);
    setFixedSize(kWidth, top + height + kMargin + 2);
}

void TfrmMain::centreEventButton()
{
    btnEnd->hide();
    btnEvent->move((width() - btnEvent->width()) / 2, btnEvent->y());
}

void TfrmMain::showCentred()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    show();
    BringToFront(this);
}

void TfrmMain::showPage(Page page)
{
    page_ = page;
    fraTitle->setVisible(page == Page::Welcome);
    fraReadme->setVisible(page == Page::Text);
    fraSelectType->setVisible(page == Page::Type);
    for (QWidget* group : {static_cast<QWidget*>(grpMessage), static_cast<QWidget*>(grpSetupFolder),
                           static_cast<QWidget*>(grpOption)})
        group->setVisible(page == Page::Main);
}

void TfrmMain::setMemoSilver(bool silver)
{
    QPalette palette = txtReadme->palette();
    palette.setColor(QPalette::Base, silver ? QColor(192, 192, 192) : QGuiApplication::palette().color(QPalette::Base));
    txtReadme->setPalette(palette);
}

void TfrmMain::setMemoScrollBars(const QString& value)
{
    bool vertical = false;
    bool horizontal = false;
    if (value == QLatin1String("ssVertical")) {
        vertical = true;
    } else if (value == QLatin1String("ssHorizontal")) {
        horizontal = true;
    } else if (value == QLatin1String("ssBoth")) {
        vertical = horizontal = true;
    } else {
        return;
    }
    txtReadme->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    txtReadme->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    // Without a horizontal scroll bar long lines wrap; with one they run on.
    txtReadme->setLineWrapMode(horizontal ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
}

void TfrmMain::applyUninstallLayout(const UninstallPage& page)
{
    // The folder to remove is the one the installation recorded; browsing for another
    // one would point the uninstallation at a folder it never made.
    txtFolder->setReadOnly(true);
    btnRefer->setEnabled(false);
    chkOverWrite->hide();
    fraShortCut->setTitle(QStringLiteral("ファイルの追加削除"));
    fraShortCut->setGeometry(fraShortCut->x(), chkOverWrite->y(), fraShortCut->width(), grpOption->height() - 24);
    if (!page.deleteAll) {
        chkSCutDesktop->setText(QStringLiteral("*.INIファイル"));
        chkSCutStartMenu->setText(QStringLiteral("*.GIDファイル"));
        for (QCheckBox* box : {chkSCutDesktop, chkSCutStartMenu})
            box->setEnabled(true);
        chkSCutStartUp->setText(QString());
        chkSCutSendTo->setText(QString());
        for (QCheckBox* box : {chkSCutStartUp, chkSCutSendTo}) {
            box->setEnabled(false);
            box->setChecked(false);
        }
        chkSCutDesktop->setChecked(page.iniFiles);
        chkSCutStartMenu->setChecked(page.gidFiles);
    } else {
        chkSCutDesktop->setText(page.uninstallWord + QStringLiteral("フォルダ以下の全ファイル・フォルダ"));
        chkSCutDesktop->setGeometry(8, chkSCutDesktop->y(), fraShortCut->width() - 16, chkSCutDesktop->height());
        chkSCutDesktop->setChecked(true);
        chkSCutDesktop->setEnabled(true);
        for (QCheckBox* box : {chkSCutStartMenu, chkSCutStartUp, chkSCutSendTo}) {
            box->setChecked(false);
            box->hide();
        }
    }
    lblUnSetupInfo->setText(QStringLiteral("　") + page.uninstallWord
                            + QStringLiteral("フォルダの中で，コピーされたファイル以外に追加削除するファイルをチェック(選択)してください．"));
    const int top = chkSCutDesktop->geometry().bottom() + 1 + 2;
    lblUnSetupInfo->setGeometry(kPad, top, fraShortCut->width() - 2 * kPad, fraShortCut->height() - top - 6);
    lblUnSetupInfo->show();
}

void TfrmMain::setButtons(const QString& event, const QString& end)
{
    btnEvent->setText(event);
    btnEnd->setText(end);
    btnEvent->setEnabled(true);
    btnEnd->setEnabled(true);
    btnEvent->setFocus();
}

void TfrmMain::setEventButton(const QString& caption)
{
    btnEvent->setText(caption);
    btnEvent->setEnabled(true);
    btnEvent->setFocus();
}

void TfrmMain::setEventEnabled(bool enabled)
{
    btnEvent->setEnabled(enabled);
}

bool TfrmMain::eventEnabled() const
{
    return btnEvent->isEnabled();
}

void TfrmMain::focusEventButton()
{
    btnEvent->setFocus();
}

void TfrmMain::setFatalButtons(const QString& event, const QString& end)
{
    btnEvent->setText(event);
    btnEvent->setEnabled(false);
    btnEnd->setText(end);
    btnEnd->setEnabled(true);
    btnEnd->setDefault(true);
    btnEnd->setFocus();
}

void TfrmMain::setEndCaption(const QString& caption)
{
    btnEnd->setText(caption);
}

void TfrmMain::showWelcome(const QString& text)
{
    showPage(Page::Welcome);
    lblTitleMessage->setText(text);
}

void TfrmMain::hideWelcome()
{
    fraTitle->hide();
}

void TfrmMain::showText(const QString& caption, const QString& text, bool silver, const QString& scrollBars)
{
    fraReadme->setTitle(caption);
    setMemoSilver(silver);
    txtReadme->setPlainText(text);
    setMemoScrollBars(scrollBars);
    showPage(Page::Text);
}

void TfrmMain::showTypePage(const QString& message, const QString& type1, const QString& type2)
{
    lblSelectTypeMsg->setText(message);
    optSelectType1->setText(type1);
    optSelectType2->setText(type2);
    placeTypeOptions();
    showPage(Page::Type);
}

void TfrmMain::setMessage(const QString& text)
{
    lblMessage->setText(text);
    placeMessage();
}

void TfrmMain::setGroupTitles(const QString& folder, const QString& options)
{
    grpSetupFolder->setTitle(folder);
    grpOption->setTitle(options);
}

void TfrmMain::setFolder(const QString& folder)
{
    txtFolder->setText(folder);
}

QString TfrmMain::folder() const
{
    return txtFolder->text();
}

void TfrmMain::setFolderControlsEnabled(bool enabled)
{
    txtFolder->setEnabled(enabled);
    btnRefer->setEnabled(enabled);
    chkOverWrite->setEnabled(enabled);
}

void TfrmMain::offerShortcuts(bool desktop, bool startMenu, bool startUp, bool sendTo, bool enabled)
{
    const std::pair<QCheckBox*, bool> boxes[] = {
        {chkSCutDesktop, desktop}, {chkSCutStartMenu, startMenu}, {chkSCutStartUp, startUp}, {chkSCutSendTo, sendTo}};
    for (const auto& [box, named] : boxes) {
        box->setEnabled(named && enabled);
        box->setChecked(named);
    }
}

TfrmMain::InstallPageChoices TfrmMain::installChoices() const
{
    InstallPageChoices choices;
    choices.folder = txtFolder->text();
    choices.type = optSelectType2->isChecked() ? 2 : 1;
    choices.overwrite = chkOverWrite->isChecked();
    choices.desktop = chkSCutDesktop->isChecked();
    choices.startMenu = chkSCutStartMenu->isChecked();
    choices.startUp = chkSCutStartUp->isChecked();
    choices.sendTo = chkSCutSendTo->isChecked();
    return choices;
}

TfrmMain::UninstallPageChoices TfrmMain::takeUninstallChoices()
{
    const UninstallPageChoices choices{chkSCutDesktop->isChecked(), chkSCutStartMenu->isChecked()};
    for (QCheckBox* box : {chkSCutDesktop, chkSCutStartMenu, chkSCutStartUp, chkSCutSendTo})
        box->setEnabled(false);
    return choices;
}

void TfrmMain::reject()
{
    close();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (closed_) {
        event->accept();
        return;
    }
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    closed_ = true;
    event->accept();
    hide();
    Q_EMIT closed();
}

} // namespace installer
