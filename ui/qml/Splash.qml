// The splash: on the accent colour the logo slides left and fades while the wordmark fades
// in, linear over the model's duration after its delay. The "Server Error" box sits in the
// middle while the model shows it.
import QtQuick

Rectangle {
    id: splash
    property var model
    color: Theme.accent

    Item {
        anchors.centerIn: parent
        width: Theme.logoTextWidth
        height: Math.max(Theme.logoHeight, Theme.logoTextHeight)
        Icon {
            id: logo
            name: "logo"
            asynchronous: true
            width: Theme.logoWidth
            height: Theme.logoHeight
            anchors.verticalCenter: parent.verticalCenter
            x: (parent.width - width) / 2 + splash.model.logoOffset
            opacity: splash.model.logoOpacity
            Behavior on x { SequentialAnimation {
                PauseAnimation { duration: splash.model.animationDelayMs }
                NumberAnimation { duration: splash.model.animationDurationMs; easing.type: Easing.Linear }
            } }
            Behavior on opacity { SequentialAnimation {
                PauseAnimation { duration: splash.model.animationDelayMs }
                NumberAnimation { duration: splash.model.animationDurationMs; easing.type: Easing.Linear }
            } }
        }
        Icon {
            name: "logoText"
            asynchronous: true
            width: Theme.logoTextWidth
            height: Theme.logoTextHeight
            anchors.centerIn: parent
            opacity: splash.model.logoTextOpacity
            Behavior on opacity { SequentialAnimation {
                PauseAnimation { duration: splash.model.animationDelayMs }
                NumberAnimation { duration: splash.model.animationDurationMs; easing.type: Easing.Linear }
            } }
        }
    }

    // Made only when shown: the first frame of the app is this splash, and it should not
    // wait for a text that is rarely there.
    Loader {
        anchors.centerIn: parent
        active: splash.model.failEnterApp
        sourceComponent: errorBox
    }
    Component {
        id: errorBox
    Rectangle {
        objectName: "serverErrorBox"
        property bool overlay: true
        width: Math.min(errorText.implicitWidth, splash.width * 0.8) + 40
        height: errorText.implicitHeight + 32
        radius: Theme.serverErrorRadius
        color: Theme.serverErrorBox
        AppText {
            id: errorText
            anchors.centerIn: parent
            width: Math.min(implicitWidth, splash.width * 0.8)
            text: splash.model.serverErrorText
            color: Theme.serverErrorText
            font.pixelSize: Theme.caption
            font.bold: true
            horizontalAlignment: Text.AlignHCenter
        }
    }
    }
}
