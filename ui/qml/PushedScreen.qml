// A screen pushed on a stack: it slides in from the trailing edge while the model shows its
// child screen, and covers the screen below.
import QtQuick

Loader {
    id: pushed
    property var screenModel: null
    property Component page
    anchors.fill: parent
    active: screenModel !== null && screenModel !== undefined
    sourceComponent: page
    z: 10
    onLoaded: { item.model = Qt.binding(function() { return pushed.screenModel }); item.forceActiveFocus() }
    x: active ? 0 : width
    Behavior on x { NumberAnimation { duration: 250; easing.type: Easing.OutCubic } }
}
