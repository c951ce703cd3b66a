// The "Oops!" alert: title, the stored message, one button that only closes it. Escape
// and Enter close it too.
import QtQuick
import QtQuick.Controls.Basic

Popup {
    id: dialog
    property string title
    property string message
    property string buttonText
    property bool overlay: true
    signal closeTapped()
    modal: true
    focus: true
    closePolicy: Popup.NoAutoClose
    x: parent ? (parent.width - width) / 2 : 0
    y: parent ? (parent.height - height) / 2 : 0
    width: Math.min(parent ? parent.width * 0.8 : 300, 340)
    padding: 20
    background: Rectangle { radius: 14; color: Theme.panel }
    contentItem: Column {
        spacing: 12
        Keys.onEscapePressed: dialog.closeTapped()
        Keys.onReturnPressed: dialog.closeTapped()
        AppText {
            width: parent.width
            text: dialog.title
            font.bold: true
            font.pixelSize: Theme.caption
            horizontalAlignment: Text.AlignHCenter
        }
        AppText {
            width: parent.width
            text: dialog.message
            horizontalAlignment: Text.AlignHCenter
            visible: text.length > 0
        }
        PrimaryButton {
            width: parent.width
            implicitHeight: 44
            text: dialog.buttonText
            focus: true
            onClicked: dialog.closeTapped()
        }
    }
}
