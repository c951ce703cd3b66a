#pragma once
// Finds text that a user could not read in a drawn window: text cut by its own box, text
// elided where the QML did not mark the elision as intended (`elideIntended`), text running
// out of the window, and two texts drawn over each other in the same layer. A layer is the
// screen itself or anything laid over it on purpose (a sheet, the side menu, a notice, a
// popup): those cover what lies below and are compared only among themselves.
#include <QQuickWindow>
#include <QString>
#include <QStringList>

namespace corvane::test {

// One line per fault, naming the texts; empty when every text can be read.
QStringList unreadableTexts(QQuickWindow& window);

}  // namespace corvane::test
