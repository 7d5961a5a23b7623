#include "common/gui/japaneseui.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

namespace common {

bool InstallQtJapaneseTranslation(QApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QApplication::installTranslator(translator);
}

const char* ApplyJapaneseUiFont(QApplication&)
{
    static const char* const kFamilies[] = {"Noto Sans CJK JP", "Source Han Sans JP", "IPAexGothic",
                                            "IPAGothic", "TakaoGothic", "VL Gothic"};
    const QStringList installed = QFontDatabase::families();
    for (const char* family : kFamilies) {
        if (installed.contains(QLatin1String(family))) {
            QFont font = QApplication::font();
            font.setFamilies({QLatin1String(family)});
            QApplication::setFont(font);
            return family;
        }
    }
    return "";
}

} // namespace common
