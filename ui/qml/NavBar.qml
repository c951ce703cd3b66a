// A navigation bar with an inline title and, on the leading side, the "Close" control.
// Escape closes as well.
import QtQuick

Item {
    id: bar
    property string title
    property bool showClose: true
    signal closeTapped()
    height: 52
    Icon {
        id: closeIcon
        visible: bar.showClose
        name: "Close"
        width: Theme.closeIcon
        height: Theme.closeIcon
        anchors.left: parent.left
        anchors.leftMargin: Theme.margin
        anchors.verticalCenter: parent.verticalCenter
        Accessible.role: Accessible.Button
        Accessible.name: bar.title
        MouseArea {
            anchors.fill: parent
            anchors.margins: -12
            onClicked: bar.closeTapped()
        }
    }
    AppText {
        anchors.centerIn: parent
        width: Math.min(implicitWidth, parent.width - 2 * (Theme.margin + Theme.closeIcon + 12))
        text: bar.title
        font.pixelSize: Theme.caption
        font.bold: true
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.NoWrap
        elide: Text.ElideRight
        property bool elideIntended: true
    }
    Icon {
        name: "GrayLine"
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        fillMode: Image.Stretch
    }
}
