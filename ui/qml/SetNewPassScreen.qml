// Password recovery, second step: the new password twice.
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
                id: first
                width: parent.width
                focus: true
                caption: screen.model.passwordCaption
                placeholder: screen.model.placeholder
                text: screen.model.password
                password: true
                revealed: screen.model.visible
                eyeIcon: screen.model.passwordIcon
                onEdited: function(value) { screen.model.password = value }
                onEyeTapped: screen.model.act("toggleVisible")
                onAccepted: second.input.forceActiveFocus()
            }
            FormField {
                id: second
                width: parent.width
                caption: screen.model.rePasswordCaption
                placeholder: screen.model.placeholder
                text: screen.model.rePassword
                password: true
                revealed: screen.model.visible2
                eyeIcon: screen.model.rePasswordIcon
                onEdited: function(value) { screen.model.rePassword = value }
                onEyeTapped: screen.model.act("toggleVisible2")
                onAccepted: screen.model.act("save")
            }
            PrimaryButton {
                width: parent.width
                text: screen.model.buttonText
                onClicked: screen.model.act("save")
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
        screenModel: screen.model.next
        pageUrl: "SuccessScreen.qml"
    }
}
