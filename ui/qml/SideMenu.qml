// The side menu: a panel 85 % of the width with the user's card and one row per menu entry,
// over black at 30 %. A tap on the dimmed area or Escape closes it.
import QtQuick

FocusScope {
    id: menu
    property var model
    property bool overlay: true
    readonly property bool showing: model.presentSideMenu
    // 0 closed, 1 open. Animating this rather than x keeps a change of the window's width
    // from sliding the closed panel into view.
    property real progress: showing ? 1 : 0
    Behavior on progress { NumberAnimation { duration: 250; easing.type: Easing.InOutQuad } }
    visible: progress > 0
    Keys.onEscapePressed: model.act("closeMenu")

    Rectangle {
        anchors.fill: parent
        color: Theme.dim
        opacity: menu.progress
        MouseArea {
            anchors.fill: parent
            enabled: menu.showing
            onClicked: menu.model.act("tapDimmedArea")
        }
    }
    Rectangle {
        id: panel
        width: Math.min(menu.width * Theme.sideMenuRatio, 420)
        height: parent.height
        x: -width * (1 - menu.progress)
        color: Theme.sideBackground
        MouseArea { anchors.fill: parent }  // taps on the panel stay on the panel

        Column {
            x: Theme.margin
            y: Theme.sideMenuTop
            width: parent.width - 2 * Theme.margin
            spacing: 16
            Item {
                width: parent.width
                height: 28
                AppText {
                    anchors.left: parent.left
                    anchors.right: menuClose.left
                    anchors.verticalCenter: parent.verticalCenter
                    text: menu.model.menuTitle
                    font.pixelSize: Theme.caption
                    font.bold: true
                    wrapMode: Text.NoWrap
                    elide: Text.ElideRight
                    property bool elideIntended: true
                }
                Icon {
                    id: menuClose
                    name: "Close"
                    width: Theme.closeIcon
                    height: Theme.closeIcon
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    Accessible.role: Accessible.Button
                    Accessible.name: menu.model.menuTitle
                    MouseArea {
                        anchors.fill: parent
                        anchors.margins: -12
                        onClicked: menu.model.act("closeMenu")
                    }
                }
            }
            Rectangle {
                width: Math.min(Theme.accountCardWidth, parent.width)
                height: Theme.accountCardHeight
                radius: Theme.cardRadius
                color: Theme.panel
                Column {
                    anchors.centerIn: parent
                    width: parent.width - 24
                    spacing: 14
                    Icon {
                        name: "award"
                        width: Theme.award
                        height: Theme.award
                        anchors.horizontalCenter: parent.horizontalCenter
                    }
                    Icon {
                        name: "lineSide"
                        width: parent.width
                        height: 1
                        fillMode: Image.Stretch
                    }
                    AppText {
                        objectName: "userName"
                        width: parent.width
                        text: menu.model.userName
                        font.pixelSize: Theme.body
                        font.bold: true
                        horizontalAlignment: Text.AlignHCenter
                        wrapMode: Text.NoWrap
                        elide: Text.ElideMiddle
                        property bool elideIntended: true
                    }
                    Icon {
                        name: "lineSide"
                        width: parent.width
                        height: 1
                        fillMode: Image.Stretch
                    }
                }
            }
            Repeater {
                model: menu.model.menuRows
                delegate: Item {
                    id: row
                    required property var modelData
                    objectName: "menuRow" + modelData.value
                    width: parent.width
                    height: 44
                    activeFocusOnTab: true
                    Accessible.role: Accessible.Button
                    Accessible.name: modelData.title
                    Accessible.onPressAction: menu.model.act("tapRow", [modelData.value])
                    Keys.onReturnPressed: menu.model.act("tapRow", [modelData.value])
                    Keys.onEnterPressed: menu.model.act("tapRow", [modelData.value])
                    Rectangle {
                        anchors.fill: parent
                        radius: 8
                        color: row.activeFocus ? Theme.separator : "transparent"
                    }
                    Item {
                        id: iconFrame
                        width: Theme.menuIconFrame
                        height: Theme.menuIconFrame
                        anchors.verticalCenter: parent.verticalCenter
                        Icon {
                            anchors.centerIn: parent
                            name: row.modelData.icon
                            width: Theme.menuIcon
                            height: Theme.menuIcon
                        }
                    }
                    AppText {
                        anchors.left: iconFrame.right
                        anchors.leftMargin: 12
                        anchors.right: parent.right
                        anchors.verticalCenter: parent.verticalCenter
                        text: row.modelData.title
                        font.pixelSize: Theme.body
                        wrapMode: Text.NoWrap
                        elide: Text.ElideRight
                        property bool elideIntended: true
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: menu.model.act("tapRow", [row.modelData.value])
                    }
                }
            }
        }
    }
}
