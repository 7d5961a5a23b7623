#pragma once
// The icons of the folder tree: the plain folder and file icons, nothing read from the
// files. The default provider works out each file's MIME type (and a folder's custom
// icon) whenever a shown folder changes, which in a folder of tens of thousands of files
// holds up the window while a scan adds rows beside it.

#include <QAbstractFileIconProvider>
#include <QIcon>

namespace browser {

class PlainFolderIcons : public QAbstractFileIconProvider {
public:
    PlainFolderIcons();
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;

    /// The one provider the folder trees share (made on first use, on the window's
    /// thread; it lives as long as the process, since a tree's background reader may
    /// still ask it while the tree is taken down).
    static PlainFolderIcons* shared();

private:
    QIcon folder_;
    QIcon file_;
    QIcon drive_;
};

} // namespace browser
