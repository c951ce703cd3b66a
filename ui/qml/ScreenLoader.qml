// Shows the screen in `pageUrl` over `screenModel` while the model is there, loaded by
// file when first needed, and gives it the focus.
import QtQuick

Loader {
    id: loader
    property var screenModel: null
    property string pageUrl
    anchors.fill: parent
    active: hasModel()
    focus: active

    function hasModel() { return screenModel !== null && screenModel !== undefined }
    // Asks the model itself, not `active`: when the model goes, this handler may run before
    // `active` has followed, and a screen made then would read a model that is not there.
    function show() {
        if (hasModel()) setSource(pageUrl, { model: screenModel })
    }
    onActiveChanged: show()
    onScreenModelChanged: show()
    Component.onCompleted: show()
    onLoaded: item.forceActiveFocus()
}
