#pragma once

#include <QCursor>
#include <QIcon>
#include <QList>

namespace zanver {

// The image list of the registry tree views: closed key, open key, string
// value, binary value, expandable-string value.
QList<QIcon> TreeImageList();

// The drag cursor that shows a copy ("ArrowCopy").
QCursor CopyCursor();

}  // namespace zanver
