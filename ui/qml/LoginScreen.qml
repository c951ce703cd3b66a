// The login screen, with sign-up and password recovery pushed over it.
import QtQuick
import QtQuick.Controls.Basic

FocusScope {
    id: screen
    property var model
    Component.onCompleted: model.act("appear")

    Rectangle { anchors.fill: parent; color: Theme.formBackground }

    Flickable {
        anchors.fill: parent
        contentHeight: form.height + 2 * Theme.margin
        clip: true
        Column {
            id: form
            y: Theme.margin
            width: Theme.formWidth(screen.width)
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 16

            Flickable {
                objectName: "announcement"
                width: parent.width
                height: Theme.announcementHeight
                contentHeight: announcement.height
                clip: true
                interactive: contentHeight > height
                AppText {
                    id: announcement
                    width: parent.width
                    text: screen.model.announcementTwo
                    color: Theme.error
                    font.bold: true
                }
            }
            AppText {
                width: parent.width
                text: screen.model.title
                font.pixelSize: Theme.titleLogin
                font.weight: Font.Medium
            }
            FormField {
                id: emailField
                width: parent.width
                caption: screen.model.emailCaption
                placeholder: screen.model.placeholder
                text: screen.model.email
                error: screen.model.emailError
                focus: true
                onEdited: function(value) { screen.model.email = value }
                onAccepted: passwordField.input.forceActiveFocus()
            }
            FormField {
                id: passwordField
                width: parent.width
                caption: screen.model.passwordCaption
                placeholder: screen.model.placeholder
                text: screen.model.password
                error: screen.model.passwordError
                password: true
                revealed: screen.model.visible
                eyeIcon: screen.model.passwordIcon
                onEdited: function(value) { screen.model.password = value }
                onEyeTapped: screen.model.act("toggleVisible")
                onAccepted: screen.model.act("login")
            }
            Flow {
                width: parent.width
                spacing: 6
                AppText {
                    text: screen.model.newUserText
                    color: Theme.captionText
                    font.pixelSize: Theme.loginLinks
                    wrapMode: Text.NoWrap
                }
                LinkText {
                    objectName: "registerLink"
                    text: screen.model.registerText
                    underlineWidth: screen.model.registerUnderline
                    pixelSize: Theme.loginLinks
                    onActivated: screen.model.act("openSignUp")
                }
                Item { width: 16; height: 1 }
                LinkText {
                    text: screen.model.forgetText
                    underlineWidth: screen.model.forgetUnderline
                    pixelSize: Theme.loginLinks
                    onActivated: screen.model.act("openForgetPassword")
                }
            }
            PrimaryButton {
                objectName: "loginButton"
                width: parent.width
                text: screen.model.loginText
                onClicked: screen.model.act("login")
            }
            AppText {
                objectName: "failureText"
                width: parent.width
                text: screen.model.failureText
                visible: text.length > 0
                color: Theme.error
                font.bold: true
                horizontalAlignment: Text.AlignHCenter
            }
        }
    }
    ProgressOverlay { running: screen.model.showProgress }

    PushedScreen {
        screenModel: screen.model.signUp
        pageUrl: "SignUpScreen.qml"
    }
    PushedScreen {
        screenModel: screen.model.forgetPass
        pageUrl: "ForgetPassScreen.qml"
    }
}
