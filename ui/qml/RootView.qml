// The root: the splash until the model enters the app, then the login screen or the main
// container.
import QtQuick

FocusScope {
    id: root
    property var model
    Component.onCompleted: model.act("appear")

    Splash {
        anchors.fill: parent
        visible: root.model.shown === "splash"
        model: root.model
    }
    Loader {
        anchors.fill: parent
        active: root.model.login !== null
        focus: active
        sourceComponent: LoginScreen { model: root.model.login; focus: true }
    }
    Loader {
        anchors.fill: parent
        active: root.model.main !== null
        focus: active
        sourceComponent: MainContainer { model: root.model.main; focus: true }
    }
}
