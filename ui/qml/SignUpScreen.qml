// Sign-up: four fields, the privacy box, "Register"; the success screen is pushed over it.
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
            y: Theme.margin
            width: Theme.formWidth(screen.width)
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 14

            AppText {
                width: parent.width
                text: screen.model.title
                font.pixelSize: Theme.titleLarge
                font.bold: true
            }
            Flow {
                width: parent.width
                spacing: 6
                AppText {
                    text: screen.model.haveAccountText
                    color: Theme.captionText
                    font.pixelSize: Theme.caption
                    wrapMode: Text.NoWrap
                }
                LinkText {
                    text: screen.model.logInText
                    onActivated: screen.model.act("logIn")
                }
            }
            FormField {
                id: usernameField
                width: parent.width
                focus: true
                caption: screen.model.usernameCaption
                placeholder: screen.model.usernamePlaceholder
                text: screen.model.username
                onEdited: function(value) { screen.model.username = value }
                onAccepted: passwordField.input.forceActiveFocus()
            }
            FormField {
                id: passwordField
                width: parent.width
                caption: screen.model.passwordCaption
                placeholder: screen.model.placeholder
                text: screen.model.password
                password: true
                revealed: screen.model.visible
                eyeIcon: screen.model.passwordIcon
                onEdited: function(value) { screen.model.password = value }
                onEyeTapped: screen.model.act("toggleVisible")
                onAccepted: rePasswordField.input.forceActiveFocus()
            }
            FormField {
                id: rePasswordField
                width: parent.width
                caption: screen.model.rePasswordCaption
                placeholder: screen.model.placeholder
                text: screen.model.rePassword
                password: true
                revealed: screen.model.visible2
                eyeIcon: screen.model.rePasswordIcon
                onEdited: function(value) { screen.model.rePassword = value }
                onEyeTapped: screen.model.act("toggleVisible2")
                onAccepted: emailField.input.forceActiveFocus()
            }
            FormField {
                id: emailField
                width: parent.width
                caption: screen.model.emailCaption
                placeholder: screen.model.placeholder
                text: screen.model.email
                onEdited: function(value) { screen.model.email = value }
                onAccepted: screen.model.act("register")
            }
            AppText {
                width: parent.width
                text: screen.model.smallPrint
                color: Theme.captionText
                font.pixelSize: Theme.small
            }
            Row {
                spacing: 8
                Icon {
                    objectName: "privacyBox"
                    name: screen.model.checkBoxImage
                    width: Theme.checkBox
                    height: Theme.checkBox
                    anchors.verticalCenter: parent.verticalCenter
                    activeFocusOnTab: true
                    Accessible.role: Accessible.CheckBox
                    Accessible.name: screen.model.privacyText
                    Accessible.checked: screen.model.toggle
                    Keys.onSpacePressed: screen.model.act("togglePrivacy")
                    MouseArea {
                        anchors.fill: parent
                        anchors.margins: -8
                        onClicked: screen.model.act("togglePrivacy")
                    }
                }
                AppText {
                    text: screen.model.acceptText
                    font.pixelSize: Theme.caption
                    wrapMode: Text.NoWrap
                    anchors.verticalCenter: parent.verticalCenter
                }
                Item {
                    width: privacy.width
                    height: privacy.height + 2
                    anchors.verticalCenter: parent.verticalCenter
                    AppText {
                        id: privacy
                        text: screen.model.privacyText
                        color: Theme.link
                        font.pixelSize: Theme.caption
                        wrapMode: Text.NoWrap
                    }
                    Rectangle {
                        anchors.top: privacy.bottom
                        width: screen.model.privacyUnderline
                        height: 1
                        color: Theme.link
                    }
                }
            }
            PrimaryButton {
                width: parent.width
                text: screen.model.registerText
                onClicked: screen.model.act("register")
            }
        }
    }
    NoticeBox { text: screen.model.notice }
    ProgressOverlay { running: screen.model.showProgress }
    OopsDialog {
        visible: screen.model.fail
        title: screen.model.alertTitle
        message: screen.model.alertMessage
        buttonText: screen.model.alertButton
        onCloseTapped: screen.model.act("closeAlert")
    }
    PushedScreen {
        screenModel: screen.model.success
        pageUrl: "SuccessScreen.qml"
    }
}
