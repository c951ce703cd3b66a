import QtQuick
import QtQuick.Window

Window {
    width: 390
    height: 844
    visible: true
    color: Theme.accent
}
