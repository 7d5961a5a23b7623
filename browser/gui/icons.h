#pragma once
// The workbench's images: row-state icons of the file lists, toolbar and transport
// button images, the column sort arrows and the application icon.
//
// Row-state icons and sort arrows are our own SVGs. Button images come from the desktop's
// icon theme where it has a fitting freedesktop icon, and from our SVGs otherwise. All
// are drawn for 16×16 pixels and scale to other sizes.

#include <QIcon>
#include <QStringList>

namespace browser {

/// Row-state icon by the number the file lists keep per row; 0 and unknown numbers give a
/// null icon. Songs: 1 MP3, 2 MP3 with Lyrics3 lyrics, 5 RMP, 6 RMP with Lyrics3, each
/// two more (3, 4, 7, 8) while paired. Lyrics: 9 no time tags, 11 line-head tags,
/// 13 karaoke tags, each one more (10, 12, 14) while paired.
QIcon RowStateIcon(int number);

/// The numbers RowStateIcon knows.
QList<int> RowStateIconNumbers();

/// Button image by key: the toolbar's "Open", "Save", "Copy", "Move", "Delete1" (to the
/// recycle bin), "Delete2" (direct), "RenameRtoL", "RenameLtoR", "RenameManual",
/// "ReSearch", "AutoLoad", "SelectAll", "SelectInverse", "SelectNone", "SelectClear",
/// "SelectSearch", "AutoSelect", "Help", and the player's "Play", "Pause", "Stop".
/// An unknown key gives a null icon.
QIcon ButtonImage(const QString& key);

/// Our own drawing of a button image, ignoring the desktop theme (null for unknown keys).
QIcon OwnButtonImage(const QString& key);

/// The keys ButtonImage knows, in toolbar order followed by the player's.
QStringList ButtonImageKeys();

/// Column sort arrow: 1 descending, 2 ascending; anything else gives a null icon.
QIcon SortArrowIcon(int number);

/// The application icon ("Melwick Ex").
QIcon ApplicationIcon();

} // namespace browser
