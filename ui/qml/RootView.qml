// The root: the splash until the model enters the app, then the login screen or the main
// container. Those two are loaded by file when first shown, so the first frame (the
// splash) waits for no other screen's QML.
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
    ScreenLoader {
        screenModel: root.model.login
        pageUrl: "LoginScreen.qml"
    }
    ScreenLoader {
        screenModel: root.model.main
        pageUrl: "MainContainer.qml"
    }
}
