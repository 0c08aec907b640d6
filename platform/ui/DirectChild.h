#pragma once

// The first direct child of `parent` of class T. By the class's own type
// information, so that helper objects need no meta-object of their own
// (QObject::findChild would take any QObject for one of them).

#include <QObject>

namespace vexar::ui {

template <class T>
T* DirectChild(const QObject& parent)
{
    for (QObject* child : parent.children()) {
        if (auto* found = dynamic_cast<T*>(child))
            return found;
    }
    return nullptr;
}

}  // namespace vexar::ui
