#include "browser/core/rewriteconsent.h"

#include "browser/core/prompter.h"

#include <QFile>
#include <sys/stat.h>

namespace browser {

bool RewriteConsent::ask(Prompter& prompter, const QString& path)
{
    const common::RewriteCheck check = common::CheckRewrite(path);
    switch (check.result) {
    case common::RewriteCheck::Result::Ok:
        return true;
    case common::RewriteCheck::Result::Refused:
        prompter.message(QStringLiteral("書き換えられません。\n") + check.message, MessageIcon::Warning);
        return false;
    case common::RewriteCheck::Result::NeedsConfirmation:
        break;
    }
    struct stat st {};
    const qulonglong names = ::stat(QFile::encodeName(path).constData(), &st) == 0 ? qulonglong(st.st_nlink) : 2;
    const QString question = QStringLiteral("%1\nこのファイルには %2 個の名前（ハードリンク）があります。書き換えると、この名前だけが"
                                            "新しいファイルになり、ほかの名前は元の内容のままです。書き換えますか？")
                                 .arg(path)
                                 .arg(names);
    if (prompter.message(question, MessageIcon::Question, MessageButtons::YesNo) != Answer::Yes)
        return false;
    allow_.emplace();
    return true;
}

} // namespace browser
