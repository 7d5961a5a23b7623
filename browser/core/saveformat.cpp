#include "browser/core/saveformat.h"

#include "browser/core/prompter.h"
#include "common/unencodable.h"

#include <QFileInfo>

namespace browser {

SaveFormatChoice ChooseSaveFormat(Prompter& prompter, const QString& path, QStringView text)
{
    if (common::DetectTextFileFormat(path).encoding != common::TextEncoding::Cp932)
        return {};
    int total = 0;
    const QList<common::Unencodable> found = common::FindCp932Unencodable(text, kUnencodableShown, &total);
    if (found.isEmpty())
        return {};
    QString message = QFileInfo(path).fileName()
                      + QString::fromUtf8(" は Shift_JIS (CP932) のファイルですが、次の文字は Shift_JIS で保存できません。\n\n");
    for (const common::Unencodable& u : found)
        message += QString::fromUtf8("  %1 行目: %2\n").arg(u.line).arg(u.character);
    if (total > found.size())
        message += QString::fromUtf8("  ほか %1 文字\n").arg(total - found.size());
    message += QString::fromUtf8("\nUTF-8 (BOM 付き) で保存しますか？\n「いいえ」を選ぶと保存しません。");
    if (prompter.message(message, MessageIcon::Question, MessageButtons::YesNo) != Answer::Yes)
        return {false, std::nullopt};
    return {true, common::TextFormat{common::TextEncoding::Utf8, true}};
}

} // namespace browser
