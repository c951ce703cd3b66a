// The dashboard as far as its model goes: the menu control and the last-used-server card
// that opens the server picker as a sheet.
import QtQuick

FocusScope {
    id: screen
    property var model

    Rectangle { anchors.fill: parent; color: Theme.formBackground }
    Rectangle {
        id: menuButton
        objectName: "menuButton"
        x: Theme.margin
        y: 12
        width: 94
        height: 44
        radius: Theme.controlRadius
        color: Theme.panel
        activeFocusOnTab: true
        Accessible.role: Accessible.Button
        Accessible.name: screen.model.menuText
        Keys.onReturnPressed: screen.model.act("tapMenu")
        Keys.onSpacePressed: screen.model.act("tapMenu")
        border.color: activeFocus ? Theme.accent : "transparent"
        Row {
            anchors.centerIn: parent
            spacing: 6
            Icon { name: "menu"; width: 22; height: 22; anchors.verticalCenter: parent.verticalCenter }
            AppText {
                text: screen.model.menuText
                font.pixelSize: Theme.body
                wrapMode: Text.NoWrap
                elide: Text.ElideRight
                width: Math.min(implicitWidth, 94 - 22 - 6 - 12)
                property bool elideIntended: true
                anchors.verticalCenter: parent.verticalCenter
            }
        }
        MouseArea { anchors.fill: parent; onClicked: screen.model.act("tapMenu") }
    }
    Column {
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 40
        anchors.horizontalCenter: parent.horizontalCenter
        width: Theme.formWidth(screen.width)
        spacing: 8
        AppText {
            width: parent.width
            text: screen.model.lastUsedServerText
            font.pixelSize: Theme.body
            font.bold: true
        }
        Rectangle {
            objectName: "lastUsedServerCard"
            width: parent.width
            height: Theme.controlHeight
            radius: Theme.controlRadius
            color: Theme.panel
            border.color: activeFocus ? Theme.accent : Theme.fieldBorder
            focus: true
            activeFocusOnTab: true
            Accessible.role: Accessible.Button
            Accessible.name: screen.model.lastUsedServerText
            Keys.onReturnPressed: screen.model.act("openServerList")
            Keys.onEnterPressed: screen.model.act("openServerList")
            Icon {
                name: "arrow-down-black"
                width: Theme.rowIcon
                height: Theme.rowIcon
                anchors.right: parent.right
                anchors.rightMargin: 16
                anchors.verticalCenter: parent.verticalCenter
            }
            MouseArea { anchors.fill: parent; onClicked: screen.model.act("openServerList") }
        }
    }
    PushedScreen {
        screenModel: screen.model.serverList
        pageUrl: "ServerPicker.qml"
    }
}
