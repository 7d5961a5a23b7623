// FormAbout: the about box.
#include "browser/gui/songinfo/formabout.h"

#include "browser/gui/icons.h"
#include "browser/gui/makecontrols.h"
#include "common/utf8text.h"
#include "playback/decoder.h"
#include "playback/engine.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace browser {

namespace {

using common::U;

} // namespace

QString FormAbout::ProgramVersionText()
{
    return QStringLiteral("Version %1").arg(QStringLiteral(MWEX_VERSION_TEXT));
}

QString FormAbout::EngineVersionLine(const playback::Engine* engine)
{
    const int version = engine ? engine->vbmp3_getVersion() : playback::kEngineVersion;
    return U("MP3エンジン %1 (libmpg123 %2)").arg(playback::EngineVersionText(version), playback::DecoderLibraryVersion());
}

FormAbout::FormAbout(const playback::Engine* engine, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(U("Melwick Ex について"));
    setModal(true);

    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Image1"));
    icon->setPixmap(ApplicationIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);
    top->addWidget(icon);
    top->addSpacing(12);

    auto* texts = new QVBoxLayout;
    auto* title = MakeLabel(QStringLiteral("lblTitle"), QStringLiteral("Melwick Ex"), this);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    title->setFont(big);
    texts->addWidget(title);
    texts->addWidget(MakeLabel(QStringLiteral("lblVersion"), ProgramVersionText(), this));
    texts->addSpacing(8);
    texts->addWidget(MakeLabel(QStringLiteral("lblEngine"), EngineVersionLine(engine), this));
    texts->addStretch(1);
    top->addLayout(texts, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ComOK"));
    ok->setDefault(true);
    buttons->addWidget(ok);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void FormAbout::Show(const playback::Engine* engine, QWidget* parent)
{
    FormAbout box(engine, parent);
    box.exec();
}

} // namespace browser
