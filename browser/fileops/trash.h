#pragma once
// The recycle bin behind a narrow interface: the program uses the freedesktop.org Trash
// of the user (the one file managers show), tests use a fake that records what it got.
//
// A failed move to the trash is only ever reported: the file stays where it was, and
// nothing here falls back to deleting it.

#include <QString>

namespace fileops {

class Trash {
public:
    virtual ~Trash() = default;
    /// Moves `path` (a file, link or folder) to the trash. False with `error` set when
    /// the entry could not be trashed; it is then untouched.
    virtual bool moveToTrash(const QString& path, QString* error) = 0;
};

/// The freedesktop.org Trash: $XDG_DATA_HOME/Trash (default ~/.local/share/Trash) for
/// entries on the home file system, $topdir/.Trash/$uid (when that is a sticky,
/// non-link folder) or $topdir/.Trash-$uid for entries on other mounts. Each entry gets
/// an exclusively created files/<name> + info/<name>.trashinfo pair with the original
/// path (percent-encoded) and the deletion time, so file managers can restore it.
class FreedesktopTrash : public Trash {
public:
    /// `homeTrash` empty: the user's own home trash folder.
    explicit FreedesktopTrash(QString homeTrash = QString());
    bool moveToTrash(const QString& path, QString* error) override;

    /// The home trash folder in use ("…/Trash").
    const QString& homeTrash() const { return homeTrash_; }
    /// The user's home trash: $XDG_DATA_HOME/Trash, or $HOME/.local/share/Trash.
    static QString DefaultHomeTrash();
    /// The text of a .trashinfo file for `originalPath` (absolute, or relative to a
    /// mount's top folder) deleted at `deletionTime` ("YYYY-MM-DDThh:mm:ss", local).
    static QByteArray TrashInfo(const QString& originalPath, const QString& deletionTime);

private:
    bool moveInto(const QString& trashDir, const QString& path, const QString& infoPath, QString* error);

    QString homeTrash_;
};

} // namespace fileops
