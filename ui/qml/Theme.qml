// Every colour, radius, size and type size of the window, in one place. Sizes are in the
// points of the phone layout; one point is one device-independent pixel here.
pragma Singleton
import QtQuick

QtObject {
    // Colours
    readonly property color accent: Qt.rgba(0.05882, 0.38824, 0.29804, 1)
    readonly property color link: Qt.rgba(0.165, 0.592, 0.827, 1)
    readonly property color captionText: Qt.rgba(0, 0, 0, 0.4)
    readonly property color formBackground: Qt.rgba(0.97255, 0.97255, 0.97255, 1)
    readonly property color error: "#ff3b30"
    readonly property color text: "#111111"
    readonly property color secondaryText: "#6b6b6b"
    readonly property color field: "#ffffff"
    readonly property color fieldBorder: "#e3e3e3"
    readonly property color textOnAccent: "#ffffff"
    readonly property color notice: "#000000"
    readonly property color textOnNotice: "#ffffff"
    readonly property color dim: Qt.rgba(0, 0, 0, 0.3)
    readonly property color panel: "#ffffff"
    readonly property color sideBackground: "#f2f4f3"
    readonly property color separator: "#e6e6e6"
    readonly property color serverErrorBox: "#ffffff"
    readonly property color serverErrorText: "#c62828"
    readonly property color latencyGreen: "#1f9d55"
    readonly property color latencyOrange: "#f08c00"
    readonly property color latencyRed: "#e03131"

    // Type: Inter throughout
    readonly property string family: "Inter"
    readonly property int titleLarge: 32     // sign-up, recovery and success titles
    readonly property int titleLogin: 20
    readonly property int caption: 18        // captions, buttons, link rows of forms
    readonly property int body: 16           // field text, side menu, device list
    readonly property int loginLinks: 15
    readonly property int errorLine: 14
    readonly property int small: 12

    // Shapes and sizes
    readonly property real formWidthRatio: 0.9
    readonly property int controlHeight: 60
    readonly property int controlRadius: 10
    readonly property int noticeRadius: 10
    readonly property int serverErrorRadius: 20
    readonly property int cardRadius: 13
    readonly property int eyeIcon: 20
    readonly property int closeIcon: 16
    readonly property int rowIcon: 24
    readonly property int menuIcon: 26
    readonly property int menuIconFrame: 30
    readonly property int checkBox: 21
    readonly property int successImage: 110
    readonly property int flagWidth: 36
    readonly property int flagHeight: 24
    readonly property int accountCardWidth: 290
    readonly property int accountCardHeight: 240
    readonly property int award: 60
    readonly property real sideMenuRatio: 0.85
    readonly property int sideMenuTop: 50
    readonly property int logoWidth: 164
    readonly property int logoHeight: 181
    readonly property int logoTextWidth: 299
    readonly property int logoTextHeight: 139
    readonly property real spinnerScale: 2.5
    readonly property int announcementHeight: 100
    readonly property int spacing: 12
    readonly property int margin: 20
    // A desktop window keeps forms at a readable width instead of 90 % of a wide screen.
    readonly property int formMaxWidth: 520

    // Images, by the names the screen models give them.
    function iconUrl(name) { return "qrc:/qt/qml/Corvane/assets/icons/" + name + ".svg" }
    function flagUrl(name) { return "qrc:/qt/qml/Corvane/assets/flags/" + name + ".svg" }
    function latencyColor(name) {
        return name === "red" ? latencyRed : name === "orange" ? latencyOrange : latencyGreen
    }
    function formWidth(screenWidth) { return Math.min(screenWidth * formWidthRatio, formMaxWidth) }
}
