// A caption above a white entry box (60 high, radius 10) and, while the model has one, the
// red error line under it. A password field adds its eye icon; the entry masks while
// `revealed` is false. Typing goes straight to the model's input property.
import QtQuick
import QtQuick.Controls.Basic

Column {
    id: field
    property string caption
    property string placeholder
    property string text
    property string error
    property bool password: false
    property bool revealed: false
    property string eyeIcon
    property alias input: entry
    signal edited(string text)
    signal eyeTapped()
    signal accepted()
    spacing: 6
    // The field takes the focus for its entry (first field of a form, Tab order).
    onActiveFocusChanged: if (activeFocus) entry.forceActiveFocus()

    AppText {
        width: parent.width
        text: field.caption
        color: Theme.captionText
        font.pixelSize: Theme.caption
        font.bold: true
        visible: text.length > 0
    }
    Rectangle {
        width: parent.width
        height: Theme.controlHeight
        radius: Theme.controlRadius
        color: Theme.field
        border.color: entry.activeFocus ? Theme.accent : Theme.fieldBorder
        border.width: 1

        TextField {
            id: entry
            anchors.left: parent.left
            anchors.right: eye.visible ? eye.left : parent.right
            anchors.leftMargin: 14
            anchors.rightMargin: 8
            anchors.verticalCenter: parent.verticalCenter
            text: field.text
            placeholderText: field.placeholder
            placeholderTextColor: Theme.captionText
            echoMode: field.password && !field.revealed ? TextInput.Password : TextInput.Normal
            font.family: Theme.family
            font.pixelSize: Theme.body
            font.bold: true
            color: Theme.text
            background: null
            selectByMouse: true
            activeFocusOnTab: true
            Accessible.name: field.caption
            onTextEdited: field.edited(text)
            onAccepted: field.accepted()
        }
        Icon {
            id: eye
            visible: field.password
            name: field.eyeIcon
            width: Theme.eyeIcon
            height: Theme.eyeIcon
            anchors.right: parent.right
            anchors.rightMargin: 16
            anchors.verticalCenter: parent.verticalCenter
            Accessible.role: Accessible.Button
            Accessible.name: field.caption
            MouseArea {
                anchors.fill: parent
                anchors.margins: -8
                onClicked: field.eyeTapped()
            }
        }
    }
    AppText {
        width: parent.width
        text: field.error
        visible: text.length > 0
        color: Theme.error
        font.pixelSize: Theme.errorLine
        font.bold: true
    }
}
