#pragma once
// Control arrays.
//
// A control that the workbench addresses by a name and an index (the folder tree `FTV`
// index 0 of the left pane, the option button `OptTimeType` index 1) carries as its
// objectName the name followed by the index in decimal, with no separator:
// "FTV0", "OptTimeType1", "FrameOption2", "ComboFuka0". Controls that are not part of
// an array keep their plain name ("ComClose", "TB"). Windows and tests build and find
// these names only through the two helpers below, so the rule lives in one place.

#include <QObject>
#include <QString>

namespace browser {

/// objectName of element `index` of the control array `name`: ControlName("OptOffset", 3) == "OptOffset3".
inline QString ControlName(const QString& name, int index)
{
    return name + QString::number(index);
}

/// Element `index` of the control array `name` among the descendants of `root`, or nullptr.
template <typename T>
T* FindControl(const QObject* root, const QString& name, int index)
{
    return root->findChild<T*>(ControlName(name, index));
}

} // namespace browser
