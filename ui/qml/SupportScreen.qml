// Support: the e-mail row and the chat row.
import QtQuick

FocusScope {
    id: screen
    property var model
    Keys.onEscapePressed: model.act("close")

    Rectangle { anchors.fill: parent; color: Theme.formBackground }
    NavBar {
        id: bar
        width: parent.width
        title: screen.model.title
        onCloseTapped: screen.model.act("close")
    }
    Column {
        anchors.top: bar.bottom
        anchors.topMargin: Theme.margin
        anchors.horizontalCenter: parent.horizontalCenter
        width: Theme.formWidth(screen.width)
        spacing: 12
        Repeater {
            model: screen.model.rows
            delegate: Rectangle {
                id: row
                required property var modelData
                required property int index
                width: parent.width
                height: Math.max(64, texts.implicitHeight + 24)
                radius: Theme.cardRadius
                color: Theme.panel
                border.color: row.activeFocus ? Theme.accent : "transparent"
                focus: index === 0
                activeFocusOnTab: true
                Accessible.role: Accessible.Button
                Accessible.name: modelData.title
                Accessible.description: modelData.subtitle
                Keys.onReturnPressed: screen.model.act(modelData.action)
                Keys.onEnterPressed: screen.model.act(modelData.action)
                Icon {
                    id: rowIcon
                    name: row.modelData.icon
                    width: Theme.rowIcon
                    height: Theme.rowIcon
                    anchors.left: parent.left
                    anchors.leftMargin: 16
                    anchors.verticalCenter: parent.verticalCenter
                }
                Column {
                    id: texts
                    anchors.left: rowIcon.right
                    anchors.leftMargin: 14
                    anchors.right: arrow.left
                    anchors.rightMargin: 8
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 2
                    AppText {
                        width: parent.width
                        text: row.modelData.title
                        font.pixelSize: Theme.body
                        font.bold: true
                    }
                    AppText {
                        width: parent.width
                        text: row.modelData.subtitle
                        font.pixelSize: Theme.small
                        color: Theme.secondaryText
                    }
                }
                Icon {
                    id: arrow
                    name: "arrow-right"
                    width: Theme.rowIcon
                    height: Theme.rowIcon
                    anchors.right: parent.right
                    anchors.rightMargin: 12
                    anchors.verticalCenter: parent.verticalCenter
                }
                MouseArea {
                    anchors.fill: parent
                    onClicked: screen.model.act(row.modelData.action)
                }
            }
        }
    }
}
