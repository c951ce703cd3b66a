// An image of the app by its asset name ("Close", "PinBlack", "flag_germany").
import QtQuick

Image {
    property string name
    property bool flag: false
    source: name.length === 0 ? ""
          : (flag ? Theme.flagUrl(name) : Theme.iconUrl(name))
    sourceSize.width: width * 2
    sourceSize.height: height * 2
    fillMode: Image.PreserveAspectFit
    asynchronous: false  // set by screens whose first frame should not wait for it
}
