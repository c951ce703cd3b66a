// The account's signed-in devices, one white card each.
import QtQuick
import QtQuick.Controls.Basic

FocusScope {
    id: screen
    property var model
    Component.onCompleted: model.act("appear")
    Keys.onEscapePressed: model.act("close")

    Rectangle { anchors.fill: parent; color: Theme.formBackground }
    NavBar {
        id: bar
        width: parent.width
        title: screen.model.title
        onCloseTapped: screen.model.act("close")
    }
    ListView {
        id: list
        anchors.top: bar.bottom
        anchors.topMargin: Theme.margin
        anchors.bottom: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        width: Theme.formWidth(screen.width)
        clip: true
        spacing: 12
        focus: true
        model: screen.model.devices
        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AlwaysOff }
        delegate: Rectangle {
            id: card
            required property var modelData
            width: ListView.view.width
            height: lines.implicitHeight + 28
            radius: Theme.cardRadius
            color: Theme.panel
            Column {
                id: lines
                x: 16
                y: 14
                width: parent.width - 32
                spacing: 4
                Repeater {
                    model: [card.modelData.brand, card.modelData.model,
                            card.modelData.osName, card.modelData.osVersion]
                    delegate: AppText {
                        required property string modelData
                        width: parent.width
                        text: modelData
                        font.pixelSize: Theme.body
                        font.bold: true
                    }
                }
            }
        }
    }
    BusyIndicator {
        anchors.centerIn: parent
        running: screen.model.loading && list.count === 0
        visible: running
        palette.dark: Theme.accent
    }
}
