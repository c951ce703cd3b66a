// Password recovery, first step: the registered e-mail address.
import QtQuick

FocusScope {
    id: screen
    property var model

    Rectangle { anchors.fill: parent; color: Theme.formBackground }
    Flickable {
        anchors.fill: parent
        contentHeight: form.height + 2 * Theme.margin
        clip: true
        Column {
            id: form
            y: Theme.margin * 2
            width: Theme.formWidth(screen.width)
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 16
            AppText {
                width: parent.width
                text: screen.model.title
                font.pixelSize: Theme.titleLarge
                font.bold: true
            }
            FormField {
                width: parent.width
                focus: true
                caption: screen.model.emailCaption
                placeholder: screen.model.placeholder
                text: screen.model.registerEmail
                error: screen.model.fieldError
                onEdited: function(value) { screen.model.registerEmail = value }
                onAccepted: screen.model.act("resetPassword")
            }
            AppText {
                width: parent.width
                text: screen.model.failureText
                visible: text.length > 0
                color: Theme.error
                font.bold: true
                font.pixelSize: Theme.small
            }
            PrimaryButton {
                width: parent.width
                text: screen.model.buttonText
                onClicked: screen.model.act("resetPassword")
            }
            Flow {
                width: parent.width
                spacing: 6
                AppText {
                    text: screen.model.returnText
                    color: Theme.captionText
                    font.pixelSize: Theme.caption
                    wrapMode: Text.NoWrap
                }
                LinkText {
                    text: screen.model.logInText
                    underlineWidth: screen.model.logInUnderline
                    onActivated: screen.model.act("logIn")
                }
            }
        }
    }
    ProgressOverlay { running: screen.model.showProgress }
    PushedScreen {
        screenModel: screen.model.next
        pageUrl: "SetNewPassScreen.qml"
    }
}
