// Every text of the window: Inter, wrapped at word boundaries so that a long text grows the
// layout instead of running out of its box.
import QtQuick

Text {
    font.family: Theme.family
    font.pixelSize: Theme.body
    color: Theme.text
    wrapMode: Text.Wrap
}
