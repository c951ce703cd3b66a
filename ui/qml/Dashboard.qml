// The dashboard: the menu control, then the status panel, the power image (its connecting
// frames come from the model) and the power button, the rows, the last-used-server card that
// opens the server picker, and the announcements. A narrow window stacks them in one column;
// a wide one puts the power side beside the details.
import QtQuick
import QtQuick.Controls.Basic

FocusScope {
    id: screen
    property var model
    readonly property bool wide: width >= 860
    readonly property real columnWidth: wide ? Math.min((width - 3 * Theme.margin) / 2, 460)
                                             : Theme.formWidth(width)

    Component.onCompleted: model.act("appear")
    Component.onDestruction: model.act("disappear")
    Connections {
        target: Qt.application
        function onStateChanged() { screen.model.act("scenePhase", [Qt.application.state === Qt.ApplicationActive]) }
    }

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

    Flickable {
        id: page
        anchors.top: menuButton.bottom
        anchors.topMargin: 8
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        clip: true
        contentWidth: width
        contentHeight: content.height + Theme.margin
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

        Flow {
            id: content
            x: (page.width - width) / 2
            // A tall window centres the page rather than leaving all the room below it.
            y: Math.max(0, (page.height - Theme.margin - height) / 3)
            width: screen.wide ? 2 * screen.columnWidth + Theme.margin : screen.columnWidth
            spacing: screen.wide ? Theme.margin : 16

            // The power side: status panel, power image, power button.
            Column {
                width: screen.columnWidth
                spacing: 16
                visible: screen.model.hasTunnel
                Rectangle {
                    id: statusPanel
                    objectName: "statusPanel"
                    width: parent.width
                    height: Math.max(52, statusText.implicitHeight + 24)
                    radius: Theme.cardRadius
                    color: Theme.panel
                    Row {
                        anchors.centerIn: parent
                        spacing: 10
                        Icon {
                            id: statusIcon
                            name: screen.model.statusIcon
                            visible: name.length > 0
                            width: Theme.rowIcon
                            height: Theme.rowIcon
                            anchors.verticalCenter: parent.verticalCenter
                        }
                        AppText {
                            id: statusText
                            width: Math.min(implicitWidth,
                                            statusPanel.width - 24 - (statusIcon.visible ? Theme.rowIcon + 10 : 0))
                            text: screen.model.statusPanel
                            font.pixelSize: Theme.caption
                            font.bold: true
                            anchors.verticalCenter: parent.verticalCenter
                        }
                    }
                }
                Icon {
                    objectName: "powerImage"
                    name: screen.model.powerFrame
                    width: screen.wide ? 220 : 180
                    height: width
                    anchors.horizontalCenter: parent.horizontalCenter
                    Accessible.role: Accessible.Button
                    Accessible.name: screen.model.buttonText
                    MouseArea {
                        anchors.fill: parent
                        enabled: !screen.model.buttonDisabled
                        onClicked: screen.model.act("pressPower")
                    }
                }
                Rectangle {
                    id: powerButton
                    objectName: "powerButton"
                    width: Math.min(parent.width, 240)
                    height: 52
                    radius: height / 2
                    anchors.horizontalCenter: parent.horizontalCenter
                    visible: screen.model.buttonText.length > 0
                    color: Theme.panel
                    border.color: activeFocus ? Theme.accent : Theme.fieldBorder
                    opacity: screen.model.buttonDisabled ? 0.5 : 1
                    focus: true
                    activeFocusOnTab: true
                    Accessible.role: Accessible.Button
                    Accessible.name: screen.model.buttonText
                    Keys.onReturnPressed: if (!screen.model.buttonDisabled) screen.model.act("pressPower")
                    Keys.onEnterPressed: if (!screen.model.buttonDisabled) screen.model.act("pressPower")
                    Keys.onSpacePressed: if (!screen.model.buttonDisabled) screen.model.act("pressPower")
                    Row {
                        anchors.centerIn: parent
                        spacing: 8
                        Icon {
                            name: screen.model.buttonImage
                            width: Theme.rowIcon
                            height: Theme.rowIcon
                            anchors.verticalCenter: parent.verticalCenter
                        }
                        AppText {
                            text: screen.model.buttonText
                            font.pixelSize: Theme.caption
                            font.bold: true
                            wrapMode: Text.NoWrap
                            elide: Text.ElideRight
                            property bool elideIntended: true
                            width: Math.min(implicitWidth, powerButton.width - Theme.rowIcon - 40)
                            anchors.verticalCenter: parent.verticalCenter
                        }
                    }
                    MouseArea {
                        anchors.fill: parent
                        enabled: !screen.model.buttonDisabled
                        onClicked: screen.model.act("pressPower")
                    }
                }
            }

            // The details: rows, last used server, announcements.
            Column {
                width: screen.columnWidth
                spacing: 16
                Rectangle {
                    objectName: "rows"
                    visible: screen.model.hasTunnel
                    width: parent.width
                    height: rows.height + 24
                    radius: Theme.cardRadius
                    color: Theme.panel
                    Column {
                        id: rows
                        x: 16
                        y: 12
                        width: parent.width - 32
                        spacing: 10
                        DashboardRow { label: screen.model.protocolLabel; value: screen.model.protocol }
                        DashboardRow { label: screen.model.addressLabel; value: screen.model.address }
                        DashboardRow {
                            label: screen.model.speedLabel
                            visible: screen.model.speedShown
                            value: screen.model.upload
                            icon: "arrow-up"
                            secondValue: screen.model.download
                            secondIcon: "arrow-down"
                        }
                        DashboardRow { label: screen.model.serverLabel; value: screen.model.server }
                    }
                }
                AppText {
                    width: parent.width
                    text: screen.model.lastUsedServerText
                    font.pixelSize: Theme.body
                    font.bold: true
                }
                Rectangle {
                    objectName: "lastUsedServerCard"
                    width: parent.width
                    height: Math.max(Theme.controlHeight, cardTexts.implicitHeight + 20)
                    radius: Theme.controlRadius
                    color: Theme.panel
                    border.color: activeFocus ? Theme.accent : Theme.fieldBorder
                    activeFocusOnTab: true
                    Accessible.role: Accessible.Button
                    Accessible.name: screen.model.lastUsedServerText
                    Keys.onReturnPressed: screen.model.act("openServerList")
                    Keys.onEnterPressed: screen.model.act("openServerList")
                    Icon {
                        id: cardFlag
                        flag: true
                        name: screen.model.lastUsedFlag
                        visible: name.length > 0
                        width: Theme.flagWidth
                        height: Theme.flagHeight
                        anchors.left: parent.left
                        anchors.leftMargin: 16
                        anchors.verticalCenter: parent.verticalCenter
                    }
                    Column {
                        id: cardTexts
                        anchors.left: cardFlag.visible ? cardFlag.right : parent.left
                        anchors.leftMargin: cardFlag.visible ? 12 : 16
                        anchors.right: cardArrow.left
                        anchors.rightMargin: 8
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: 2
                        AppText {
                            width: parent.width
                            text: screen.model.lastUsedCountry
                            visible: text.length > 0
                            font.bold: true
                            wrapMode: Text.NoWrap
                            elide: Text.ElideRight
                            property bool elideIntended: true
                        }
                        AppText {
                            width: parent.width
                            text: screen.model.lastUsedServer
                            visible: text.length > 0
                            font.pixelSize: Theme.small + 2
                            color: Theme.secondaryText
                            wrapMode: Text.NoWrap
                            elide: Text.ElideRight
                            property bool elideIntended: true
                        }
                    }
                    Icon {
                        id: cardArrow
                        name: "arrow-down-black"
                        width: Theme.rowIcon
                        height: Theme.rowIcon
                        anchors.right: parent.right
                        anchors.rightMargin: 16
                        anchors.verticalCenter: parent.verticalCenter
                    }
                    MouseArea { anchors.fill: parent; onClicked: screen.model.act("openServerList") }
                }
                // The service's announcement: a box 350 wide and 60 high that scrolls.
                Rectangle {
                    objectName: "announcement"
                    visible: screen.model.announcement.length > 0
                    width: Math.min(350, parent.width)
                    height: 60
                    anchors.horizontalCenter: parent.horizontalCenter
                    radius: Theme.controlRadius
                    color: Theme.panel
                    Flickable {
                        id: announcementBox
                        anchors.fill: parent
                        // Three whole lines of 14-point text fit the 60-point box.
                        anchors.leftMargin: 8
                        anchors.rightMargin: 8
                        anchors.topMargin: 4
                        anchors.bottomMargin: 4
                        clip: true
                        contentHeight: announcementText.height
                        boundsBehavior: Flickable.StopAtBounds
                        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOn }
                        AppText {
                            id: announcementText
                            width: announcementBox.width - 10
                            text: screen.model.announcement
                            font.pixelSize: 14
                            color: "black"
                        }
                    }
                }
                // The account notice the background sign-in brings.
                Column {
                    visible: screen.model.noticeTitle.length > 0 || screen.model.noticeText.length > 0
                    width: parent.width
                    spacing: 4
                    AppText {
                        width: parent.width
                        text: screen.model.noticeTitle
                        visible: text.length > 0
                        font.bold: true
                    }
                    AppText {
                        width: parent.width
                        text: screen.model.noticeText
                        visible: text.length > 0
                        font.pixelSize: 14
                        color: Theme.secondaryText
                    }
                }
            }
        }
    }

    // "Connect Failed!": no server chosen yet. OK opens the picker.
    ChoiceDialog {
        visible: screen.model.selectServerAlert
        title: screen.model.selectServerTitle
        message: screen.model.selectServerMessage
        acceptText: screen.model.okText
        rejectText: screen.model.cancelText
        onAccepted: screen.model.act("alertOK")
        onRejected: screen.model.act("alertCancel")
    }
    // A tunnel that would not start: the reason, and OK.
    ChoiceDialog {
        visible: screen.model.startAlert.length > 0
        title: screen.model.startAlert
        acceptText: screen.model.okText
        onAccepted: screen.model.act("dismissStartAlert")
        onRejected: screen.model.act("dismissStartAlert")
    }

    PushedScreen {
        screenModel: screen.model.serverList
        pageUrl: "ServerPicker.qml"
    }
}
