// A screen pushed on a stack: it slides in from the trailing edge while the model shows its
// child screen, and covers the screen below. The screen is named by its file, which also
// lets a chain end in a fresh copy of the screen it started from (a new login or root).
import QtQuick

ScreenLoader {
    z: 10
    focus: false
    x: active ? 0 : width
    Behavior on x { NumberAnimation { duration: 250; easing.type: Easing.OutCubic } }
}
