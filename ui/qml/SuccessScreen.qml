// A success screen (registration, new password): the tick, the title and the button that
// leads to a fresh login; what that button opens is pushed over it.
import QtQuick

FocusScope {
    id: screen
    property var model

    Rectangle { anchors.fill: parent; color: Theme.formBackground }
    Column {
        width: Theme.formWidth(screen.width)
        anchors.centerIn: parent
        spacing: 24
        Icon {
            name: screen.model.image
            width: Theme.successImage
            height: Theme.successImage
            anchors.horizontalCenter: parent.horizontalCenter
        }
        AppText {
            width: parent.width
            text: screen.model.title
            font.pixelSize: Theme.titleLarge
            font.bold: true
            horizontalAlignment: Text.AlignHCenter
        }
        PrimaryButton {
            width: parent.width
            focus: true
            text: screen.model.buttonText
            onClicked: screen.model.act("goToLogin")
        }
    }
    // Registration success leads to a fresh root, password success to a fresh login screen.
    PushedScreen {
        screenModel: screen.model.root !== undefined ? screen.model.root : null
        pageUrl: "RootView.qml"
    }
    PushedScreen {
        screenModel: screen.model.login !== undefined ? screen.model.login : null
        pageUrl: "LoginScreen.qml"
    }
}
