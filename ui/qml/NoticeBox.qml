// The one-second notice: white text on a black rounded box, over the form.
import QtQuick

Rectangle {
    id: box
    property string text
    property bool overlay: true
    visible: opacity > 0
    opacity: text.length > 0 ? 1 : 0
    Behavior on opacity { NumberAnimation { duration: 200 } }
    radius: Theme.noticeRadius
    color: Theme.notice
    width: Math.min(label.implicitWidth + 40, parent.width * 0.9)
    height: label.implicitHeight + 28
    anchors.centerIn: parent
    AppText {
        id: label
        anchors.centerIn: parent
        width: Math.min(implicitWidth, box.parent.width * 0.9 - 40)
        text: box.text.length > 0 ? box.text : label.text
        color: Theme.textOnNotice
        font.bold: true
        horizontalAlignment: Text.AlignHCenter
    }
}
