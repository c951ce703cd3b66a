// A primary button: the label on the accent colour, 60 high, radius 10. Enter and Space
// press it when it has the focus.
import QtQuick
import QtQuick.Controls.Basic

Button {
    id: button
    implicitHeight: Theme.controlHeight
    activeFocusOnTab: true
    Accessible.name: text
    contentItem: AppText {
        text: button.text
        color: Theme.textOnAccent
        font.pixelSize: Theme.caption
        font.bold: true
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
        wrapMode: Text.NoWrap
        property bool elideIntended: true
    }
    background: Rectangle {
        radius: Theme.controlRadius
        color: button.down ? Qt.darker(Theme.accent, 1.2) : Theme.accent
        border.width: button.activeFocus ? 2 : 0
        border.color: Theme.link
    }
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
}
