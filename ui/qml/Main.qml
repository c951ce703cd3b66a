// The window. It holds the root screen; the phone layout fills a narrow window and the
// forms keep a readable width in a wide one.
import QtQuick
import QtQuick.Window

Window {
    id: window
    required property var root
    width: 390
    height: 844
    minimumWidth: 320
    minimumHeight: 560
    visible: true
    title: "CorvaneVPN"
    color: Theme.formBackground

    RootView {
        anchors.fill: parent
        model: window.root
        focus: true
    }
}
