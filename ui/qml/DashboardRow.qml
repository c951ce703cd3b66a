// One row of the dashboard: its label on the leading side, its value (and, for the speeds, a
// second value) on the trailing side, each value optionally after an icon. A long value
// wraps in the room the label leaves.
import QtQuick

Item {
    id: row
    property string label
    property string value
    property string icon
    property string secondValue
    property string secondIcon
    width: parent ? parent.width : 0
    height: Math.max(28, labelText.implicitHeight, values.implicitHeight)

    AppText {
        id: labelText
        width: Math.min(implicitWidth, row.width * 0.45)
        text: row.label
        color: Theme.secondaryText
        anchors.verticalCenter: parent.verticalCenter
    }
    Row {
        id: values
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        spacing: 4
        Icon {
            name: row.icon
            visible: name.length > 0
            width: 18
            height: 18
            anchors.verticalCenter: parent.verticalCenter
        }
        AppText {
            id: firstValue
            text: row.value
            font.bold: true
            horizontalAlignment: Text.AlignRight
            anchors.verticalCenter: parent.verticalCenter
            width: Math.min(implicitWidth, row.width - labelText.width - 12
                            - (row.icon.length > 0 ? 22 : 0) - (second.visible ? second.width + 4 : 0))
        }
        Row {
            id: second
            visible: row.secondValue.length > 0
            spacing: 4
            leftPadding: 10
            anchors.verticalCenter: parent.verticalCenter
            Icon {
                name: row.secondIcon
                visible: name.length > 0
                width: 18
                height: 18
                anchors.verticalCenter: parent.verticalCenter
            }
            AppText { text: row.secondValue; font.bold: true; wrapMode: Text.NoWrap }
        }
    }
}
