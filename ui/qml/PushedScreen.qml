// A screen pushed on a stack: it slides in from the trailing edge while the model shows its
// child screen, and covers the screen below. `pageUrl` names the screen's file instead of a
// component where the screen would otherwise contain itself (a fresh login or root at the
// end of a chain that starts there), which QML cannot compile.
import QtQuick

Loader {
    id: pushed
    property var screenModel: null
    property Component page
    property string pageUrl
    anchors.fill: parent
    active: screenModel !== null && screenModel !== undefined
    z: 10
    x: active ? 0 : width
    Behavior on x { NumberAnimation { duration: 250; easing.type: Easing.OutCubic } }

    function show() {
        if (!active) return
        if (pageUrl.length > 0) setSource(pageUrl, { model: screenModel })
        else sourceComponent = page
    }
    onActiveChanged: show()
    Component.onCompleted: show()
    onLoaded: {
        if (pageUrl.length === 0) item.model = Qt.binding(function() { return pushed.screenModel })
        item.forceActiveFocus()
    }
}
