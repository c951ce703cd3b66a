// A link: coloured text with a 1-point underline of the width the screen model gives.
import QtQuick

Item {
    id: link
    property alias text: label.text
    property int underlineWidth: 0
    property int pixelSize: Theme.caption
    signal activated()
    implicitWidth: Math.max(label.implicitWidth, underlineWidth)
    implicitHeight: label.implicitHeight + 3
    activeFocusOnTab: true
    Accessible.role: Accessible.Link
    Accessible.name: text
    Accessible.onPressAction: activated()
    Keys.onReturnPressed: activated()
    Keys.onEnterPressed: activated()

    AppText {
        id: label
        color: Theme.link
        font.pixelSize: link.pixelSize
        wrapMode: Text.NoWrap
    }
    Rectangle {
        anchors.top: label.bottom
        anchors.topMargin: 1
        width: link.underlineWidth
        height: 1
        color: Theme.link
    }
    Rectangle {
        anchors.fill: parent
        anchors.margins: -3
        color: "transparent"
        border.color: Theme.link
        border.width: link.activeFocus ? 1 : 0
        radius: 3
    }
    MouseArea {
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        onClicked: link.activated()
    }
}
