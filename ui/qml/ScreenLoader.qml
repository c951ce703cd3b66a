// Shows the screen in `pageUrl` over `screenModel` while the model is there, loaded by
// file when first needed, and gives it the focus.
import QtQuick

Loader {
    id: loader
    property var screenModel: null
    property string pageUrl
    anchors.fill: parent
    active: screenModel !== null && screenModel !== undefined
    focus: active

    function show() {
        if (active) setSource(pageUrl, { model: screenModel })
    }
    onActiveChanged: show()
    onScreenModelChanged: show()
    Component.onCompleted: show()
    onLoaded: item.forceActiveFocus()
}
