#include "browser/core/rawnamescan.h"

#include "common/rawname.h"

namespace browser {

QString RawNameMark()
{
    return QStringLiteral("〔SJIS〕");
}

QString ShownCell(const FileRow& row, Col col)
{
    if (col == Col::Filename && common::HasRawBytes(row.name))
        return RawNameMark() + common::DisplayPath(row.name);
    if (col == Col::Path)
        return common::DisplayPath(row.cell(col));
    return row.cell(col);
}

QString ShownToolTip(const FileRow& row, Col col)
{
    const QString shown = ShownCell(row, col);
    if (col != Col::Filename || !common::HasRawBytes(row.name))
        return shown;
    return shown + QStringLiteral("\nこのファイル名は UTF-8 ではありません (Shift_JIS として表示しています)。"
                                  "\n右クリックメニューの「ファイル名を UTF-8 に変換」で直せます。");
}

} // namespace browser
