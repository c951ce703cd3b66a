// The kill-switch screen: one row with the switch, its title and subtitle; Close (or Escape)
// returns to the dashboard.
import QtQuick

FocusScope {
    id: screen
    property var model
    Keys.onEscapePressed: model.act("close")

    Rectangle { anchors.fill: parent; color: Theme.formBackground }
    NavBar {
        id: bar
        width: parent.width
        title: screen.model.barTitle
        onCloseTapped: screen.model.act("close")
    }
    Rectangle {
        id: row
        objectName: "killSwitchRow"
        anchors.top: bar.bottom
        anchors.topMargin: Theme.margin
        anchors.horizontalCenter: parent.horizontalCenter
        width: Theme.formWidth(screen.width)
        height: Math.max(72, texts.implicitHeight + 28)
        radius: Theme.cardRadius
        color: Theme.panel
        border.color: activeFocus ? Theme.accent : "transparent"
        focus: true
        activeFocusOnTab: true
        Accessible.role: Accessible.CheckBox
        Accessible.checkable: true
        Accessible.checked: screen.model.on
        Accessible.name: screen.model.title
        Accessible.description: screen.model.subtitle
        Keys.onReturnPressed: screen.model.act("tapSwitch")
        Keys.onEnterPressed: screen.model.act("tapSwitch")
        Keys.onSpacePressed: screen.model.act("tapSwitch")
        Column {
            id: texts
            anchors.left: parent.left
            anchors.leftMargin: 16
            anchors.right: toggle.left
            anchors.rightMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            spacing: 4
            AppText {
                width: parent.width
                text: screen.model.title
                font.pixelSize: Theme.body
                font.bold: true
            }
            AppText {
                width: parent.width
                text: screen.model.subtitle
                font.pixelSize: Theme.small
                color: Theme.secondaryText
            }
        }
        // One image for the switch: drawn as it is when on, mirrored and greyed when off.
        Icon {
            id: toggle
            objectName: "killSwitchToggle"
            name: screen.model.switchImage
            width: 44
            height: 44
            mirror: !screen.model.on
            opacity: screen.model.on ? 1 : 0.4
            anchors.right: parent.right
            anchors.rightMargin: 16
            anchors.verticalCenter: parent.verticalCenter
            Behavior on opacity { NumberAnimation { duration: 150 } }
        }
        MouseArea { anchors.fill: parent; onClicked: screen.model.act("tapSwitch") }
    }
}
