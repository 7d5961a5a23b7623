// mwex list …, mwex names …: file lists saved and read as the workbench's data files,
// and its name filter and loose name comparison.
#include "programs/mwex/cli.h"

#include "browser/core/librarydetails.h"
#include "browser/lists/datafile.h"
#include "browser/lists/listscan.h"
#include "browser/lists/namefilter.h"
#include "browser/lists/namematch.h"

#include "common/rawname.h"

#include <QFileInfo>

namespace mwex {
namespace {

using browser::Col;
using browser::FileRow;
using browser::PaneMode;
namespace lists = browser::lists;

QCommandLineOption Flag(const char* name, const char* help)
{
    return QCommandLineOption(QLatin1String(name), QString::fromUtf8(help));
}

int RunListSave(const QCommandLineParser& parser)
{
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1)
        return Error(QStringLiteral("list save: give one FOLDER"));
    const QString out = parser.value(QStringLiteral("o"));
    if (out.isEmpty())
        return Error(QStringLiteral("list save: -o FILE.mlf is required"));
    const QFileInfo folder(args.first());
    // Qt cannot see a folder whose name is not UTF-8: ask the system for that one.
    const std::optional<common::PathStat> raw =
        common::HasRawBytes(args.first()) ? common::StatPath(args.first()) : std::nullopt;
    if (raw ? !raw->isDir : !folder.isDir() || !folder.isReadable())
        return Error(QStringLiteral("list save: %1 is not a folder that can be listed").arg(args.first()));

    lists::ListScanRequest request;
    const QString mode = parser.value(QStringLiteral("mode"));
    if (mode == QLatin1String("lyrics"))
        request.mode = PaneMode::Lyrics;
    else if (mode == QLatin1String("songs") || mode == QLatin1String("song"))
        request.mode = PaneMode::Song;
    else
        return Error(QStringLiteral("list save: --mode is lyrics or songs, not \"%1\"").arg(mode));
    QString error;
    const std::optional<bool> userWinAmp = ParseUserTime(parser, &error);
    if (!userWinAmp)
        return Error(error);
    request.folder = lists::ListFolderText(folder.absoluteFilePath());
    request.subFolders = parser.isSet(QStringLiteral("subfolders"));
    request.userWinAmpTime = *userWinAmp;

    const browser::LibraryDetailsProvider provider;
    const std::vector<FileRow> rows = lists::ScanFolderRows(request, provider);
    if (!lists::SaveDataFile(out, request.mode, request.folder, rows, &error))
        return Error(lists::SaveFailedMessage() + QLatin1Char(' ') + error, kExitFailed);
    return kExitOk;
}

QString RowJson(const FileRow& row, PaneMode mode)
{
    QString json = QStringLiteral("{\"filename\":") + JsonString(row.name);
    for (const browser::ColumnDef& c : browser::ModeColumns(mode)) {
        if (c.col == Col::Filename || c.col == Col::Match)
            continue;
        json += QStringLiteral(",%1:%2").arg(JsonString(c.key), JsonString(row.cell(c.col)));
    }
    json += QStringLiteral(",\"checked\":%1,\"fullPath\":%2,\"icon\":%3,\"dimmed\":%4}")
                .arg(row.checked ? QStringLiteral("true") : QStringLiteral("false"), JsonString(row.fullPath()))
                .arg(row.icon)
                .arg(row.dimmed ? QStringLiteral("true") : QStringLiteral("false"));
    return json;
}

int RunListShow(const QCommandLineParser& parser)
{
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1)
        return Error(QStringLiteral("list show: give one FILE.mlf"));
    const lists::DataFileLoad load = lists::ReadDataFile(args.first());
    if (!load.headerRead())
        return Error(QStringLiteral("%1: %2 %3").arg(args.first(), lists::LoadFailedMessage(), load.error));
    for (const FileRow& row : load.rows)
        PrintLine(RowJson(row, load.mode));
    int status = kExitOk;
    for (const QString& refused : load.refused)
        status = Error(QStringLiteral("%1: refused %2").arg(args.first(), refused), kExitFailed);
    if (load.status == lists::DataFileLoad::Status::Failed)
        status = Error(QStringLiteral("%1: %2 %3").arg(args.first(), lists::LoadFailedMessage(), load.error), kExitFailed);
    return status;
}

int RunNamesFilter(const QCommandLineParser& parser)
{
    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return Error(QStringLiteral("names filter: give a PATTERN and the NAMEs"));
    lists::FilterState filter;
    filter.text = args.first();
    filter.wildcard = !parser.isSet(QStringLiteral("partial"));
    filter.caseSensitive = parser.isSet(QStringLiteral("case-sensitive"));
    bool any = false;
    for (const QString& name : args.mid(1)) {
        if (lists::PassesFilter(filter, name)) {
            PrintLine(name);
            any = true;
        }
    }
    return any ? kExitOk : kExitFailed;
}

int RunNamesMatch(const QCommandLineParser& parser)
{
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2)
        return Error(QStringLiteral("names match: give two texts A and B"));
    return lists::NameMatches(args.at(0), args.at(1)) ? kExitOk : kExitFailed;
}

const Registrar listSave({
    {QStringLiteral("list"), QStringLiteral("save")},
    QStringLiteral("FOLDER [--mode lyrics|songs] [--subfolders] [--user-time winamp|standard] -o FILE.mlf"),
    QStringLiteral("List a folder as the workbench does and save the list as a data file (.mlf)."),
    QStringLiteral("The folder is scanned as a pane with AutoLoad on lists it (lyrics files .txt, .kra, .lrc,\n"
                   "or songs .mp3, .rmp), with the default columns and no check marks. The file is\n"
                   "replaced atomically; names that CP932 cannot hold fail the save (exit 1)."),
    [](QCommandLineParser& p) {
        p.addOption(QCommandLineOption(QStringLiteral("mode"), QStringLiteral("lyrics (default) or songs."),
                                       QStringLiteral("MODE"), QStringLiteral("lyrics")));
        p.addOption(Flag("subfolders", "Also list the sub-folders' files."));
        p.addOption(QCommandLineOption(QStringLiteral("o"), QStringLiteral("The data file to write."),
                                       QStringLiteral("FILE.mlf")));
        AddUserTimeOption(p);
    },
    RunListSave,
});

const Registrar listShow({
    {QStringLiteral("list"), QStringLiteral("show")},
    QStringLiteral("FILE.mlf"),
    QStringLiteral("Print the rows of a data file: one JSON object per row."),
    QStringLiteral("Members: filename, one per column key of the list's mode (\"match\" is not stored),\n"
                   "checked, fullPath, icon (rebuilt from the texts) and dimmed (file missing or not a\n"
                   "song). A file that is not a data file exits 2; one that ends early prints the rows\n"
                   "read and exits 1, as do rows refused for names or folders that would leave their\n"
                   "folder."),
    {},
    RunListShow,
});

const Registrar namesFilter({
    {QStringLiteral("names"), QStringLiteral("filter")},
    QStringLiteral("[--partial] [--case-sensitive] PATTERN NAME…"),
    QStringLiteral("Print the names that pass the pane's name filter (exit 1 when none does)."),
    QStringLiteral("Only the base name (without folder and extension) is matched. Wildcards: ? one\n"
                   "character, * any run, # one digit, [abc] [a-z] one of a list, [!abc] one not in it.\n"
                   "With --partial PATTERN has to occur somewhere in the name. Letter case is ignored\n"
                   "unless --case-sensitive."),
    [](QCommandLineParser& p) {
        p.addOption(Flag("partial", "Substring matching instead of wildcards."));
        p.addOption(Flag("case-sensitive", "Letter case counts."));
    },
    RunNamesFilter,
});

const Registrar namesMatch({
    {QStringLiteral("names"), QStringLiteral("match")},
    QStringLiteral("A B"),
    QStringLiteral("Exit 0 when two names or tag texts match loosely, 1 when not."),
    QStringLiteral("Case, full/half width, hiragana/katakana, blanks and marks are ignored, and a text\n"
                   "contained in the other matches it, as the list extractions compare names."),
    {},
    RunNamesMatch,
});

} // namespace
} // namespace mwex
