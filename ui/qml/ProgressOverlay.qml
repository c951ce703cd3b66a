// The spinner of a request in flight, in the accent colour at 2.5 times its size, centred
// over the whole screen. It takes the taps so that nothing is sent twice.
import QtQuick
import QtQuick.Controls.Basic

Item {
    id: overlayRoot
    property bool running: false
    property bool overlay: true
    anchors.fill: parent
    visible: running
    MouseArea { anchors.fill: parent }
    BusyIndicator {
        anchors.centerIn: parent
        running: overlayRoot.running
        scale: Theme.spinnerScale
        palette.dark: Theme.accent
    }
}
