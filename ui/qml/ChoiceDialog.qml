// An alert with a title, an optional message, an accepting button and, when it has a text,
// a rejecting one. Enter accepts, Escape rejects.
import QtQuick
import QtQuick.Controls.Basic

Popup {
    id: dialog
    property string title
    property string message
    property string acceptText
    property string rejectText
    property bool overlay: true
    signal accepted()
    signal rejected()
    modal: true
    focus: visible
    closePolicy: Popup.NoAutoClose
    x: parent ? (parent.width - width) / 2 : 0
    y: parent ? (parent.height - height) / 2 : 0
    width: Math.min(parent ? parent.width * 0.85 : 300, 360)
    padding: 20
    background: Rectangle { radius: 14; color: Theme.panel }
    contentItem: Column {
        spacing: 12
        focus: true
        Keys.onEscapePressed: dialog.rejected()
        Keys.onReturnPressed: dialog.accepted()
        Keys.onEnterPressed: dialog.accepted()
        AppText {
            width: parent.width
            text: dialog.title
            font.bold: true
            font.pixelSize: Theme.caption
            horizontalAlignment: Text.AlignHCenter
            visible: text.length > 0
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
            text: dialog.acceptText
            focus: true
            onClicked: dialog.accepted()
        }
        PrimaryButton {
            width: parent.width
            implicitHeight: 44
            visible: dialog.rejectText.length > 0
            text: dialog.rejectText
            onClicked: dialog.rejected()
            background: Rectangle { radius: Theme.controlRadius; color: Theme.secondaryText }
        }
    }
}
