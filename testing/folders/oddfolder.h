#pragma once
// A folder of the odd files real libraries hold, for tests, benchmarks and screenshots:
// names in Shift_JIS (CP932) bytes as old Windows archives unpack them, UTF-16 lyrics
// with a byte-order mark, a FIFO and a dangling link named like lyrics, an unreadable
// file and a zero-byte MP3. The command-line tool mwex_make_testfolder writes one too.

#include <QString>
#include <optional>

namespace testfolder {

/// The files MakeOddFolder writes. Paths are full paths in the escaped form of
/// common/rawname.h (a Shift_JIS name holds escapes: pass it to the system with
/// common::NativePath). `*Shown` are the names as people read them.
struct OddFolder {
    QString folder;        // with a trailing "/"
    QString sjisLyrics;    // "旧名の歌.txt" in CP932: CP932 text with karaoke tags
    QString sjisSong;      // "旧名の歌.mp3" in CP932: two seconds of silent MPEG frames
    QString sjisBackslash; // "ソースの歌.txt" in CP932: "ソ" is 83 5C, a "\" as trail byte
    QString sjisFolder;    // "旧フォルダ" in CP932, a sub-folder holding sjisInner
    QString sjisInner;     // "中の歌.txt" in CP932 inside sjisFolder
    QString utf8Lyrics;    // "普通の歌.txt": an ordinary UTF-8 name
    QString utf16le;       // "utf16le.txt": UTF-16 little-endian with its BOM
    QString utf16be;       // "utf16be.txt": UTF-16 big-endian with its BOM
    QString fifo;          // "fifo.txt": a FIFO (opening it for reading would block)
    QString dangling;      // "dangling.txt": a symbolic link to a file that is not there
    QString unreadable;    // "unreadable.txt": mode 000 (root can read it anyway)
    QString emptySong;     // "empty.mp3": zero bytes
};

/// Names as shown, by file.
inline constexpr char kSjisLyricsShown[] = "旧名の歌.txt";
inline constexpr char kSjisSongShown[] = "旧名の歌.mp3";
inline constexpr char kSjisBackslashShown[] = "ソースの歌.txt";
inline constexpr char kSjisFolderShown[] = "旧フォルダ";
inline constexpr char kSjisInnerShown[] = "中の歌.txt";

/// The text of sjisLyrics (CR LF lines).
QString SjisLyricsText();
/// The text of utf16le and utf16be (CR LF lines).
QString Utf16LyricsText();

/// Writes the files into `folder` (created when missing; files there already are
/// replaced). nullopt with `error` when something cannot be made.
std::optional<OddFolder> MakeOddFolder(const QString& folder, QString* error = nullptr);

/// Writes `count` Shift_JIS-named lyrics files ("旧名の歌NNNN.txt" in CP932, a short
/// CP932 text each) into `folder`; for benchmarks of large folders. False on failure.
bool AddSjisLyrics(const QString& folder, int count, QString* error = nullptr);

/// Removes `folder` and everything in it, names that are not UTF-8 included (which
/// QTemporaryDir and QDir::removeRecursively cannot see). False when something stays.
bool RemoveTree(const QString& folder);

/// A temporary folder removed with RemoveTree at the end of its scope.
class TreeGuard {
public:
    explicit TreeGuard(QString folder) : folder_(std::move(folder)) {}
    ~TreeGuard() { RemoveTree(folder_); }
    TreeGuard(const TreeGuard&) = delete;
    TreeGuard& operator=(const TreeGuard&) = delete;

private:
    QString folder_;
};

} // namespace testfolder
