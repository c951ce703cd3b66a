// The server picker: protocol buttons, search, countries with their flags and servers, the
// shared latency in its colour, and the change-protocol prompt.
import QtQuick
import QtQuick.Controls.Basic

FocusScope {
    id: screen
    property var model
    Component.onCompleted: model.act("appear")
    Keys.onEscapePressed: model.changeProtocolAlert ? model.act("skip") : model.act("close")

    Rectangle { anchors.fill: parent; color: Theme.formBackground }
    NavBar {
        id: bar
        width: parent.width
        title: screen.model.title
        onCloseTapped: screen.model.act("close")
    }
    Column {
        id: head
        anchors.top: bar.bottom
        anchors.topMargin: 12
        anchors.horizontalCenter: parent.horizontalCenter
        width: Math.min(screen.width - 2 * Theme.margin, 720)
        spacing: 12

        Row {
            width: parent.width
            spacing: 10
            Icon { id: shield; name: "security-safe"; width: 32; height: 32 }
            Column {
                width: parent.width - shield.width - 10
                spacing: 2
                AppText {
                    width: parent.width
                    text: screen.model.protocolTitle + " · " + screen.model.headerText
                    font.bold: true
                }
                AppText {
                    width: parent.width
                    text: screen.model.protocolDescription
                    font.pixelSize: Theme.small
                    color: Theme.secondaryText
                }
            }
        }
        Grid {
            id: protocolGrid
            width: parent.width
            columns: screen.width >= 600 ? 4 : 2
            spacing: 8
            Repeater {
                model: screen.model.protocols
                delegate: Rectangle {
                    id: button
                    required property var modelData
                    width: (protocolGrid.width - (protocolGrid.columns - 1) * protocolGrid.spacing) / protocolGrid.columns
                    height: 44
                    radius: Theme.controlRadius
                    color: Theme.panel
                    border.color: modelData.selected || activeFocus ? Theme.accent : Theme.fieldBorder
                    activeFocusOnTab: true
                    Accessible.role: Accessible.RadioButton
                    Accessible.name: modelData.label
                    Accessible.checked: modelData.selected
                    Keys.onSpacePressed: screen.model.act("tapProtocol", [modelData.index])
                    Keys.onReturnPressed: screen.model.act("tapProtocol", [modelData.index])
                    Row {
                        anchors.left: parent.left
                        anchors.leftMargin: 10
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: 8
                        Icon { name: button.modelData.image; width: 20; height: 20; anchors.verticalCenter: parent.verticalCenter }
                        AppText {
                            text: button.modelData.label
                            width: Math.min(implicitWidth, button.width - 48)
                            wrapMode: Text.NoWrap
                            elide: Text.ElideRight
                            property bool elideIntended: true
                            anchors.verticalCenter: parent.verticalCenter
                        }
                    }
                    MouseArea { anchors.fill: parent; onClicked: screen.model.act("tapProtocol", [button.modelData.index]) }
                }
            }
        }
        Rectangle {
            width: parent.width
            height: 48
            radius: Theme.controlRadius
            color: Theme.field
            border.color: search.activeFocus ? Theme.accent : Theme.fieldBorder
            Icon { id: searchIcon; name: "search"; width: 20; height: 20; x: 12; anchors.verticalCenter: parent.verticalCenter }
            TextField {
                id: search
                objectName: "searchField"
                anchors.left: searchIcon.right
                anchors.right: parent.right
                anchors.leftMargin: 6
                anchors.rightMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                focus: true
                text: screen.model.searchText
                placeholderText: screen.model.searchPlaceholder
                placeholderTextColor: Theme.captionText
                font.family: Theme.family
                font.pixelSize: Theme.body
                inputMethodHints: Qt.ImhNoPredictiveText
                background: null
                Accessible.name: screen.model.searchPlaceholder
                onTextEdited: screen.model.searchText = text
                Keys.onDownPressed: list.forceActiveFocus()
            }
        }
    }
    ListView {
        id: list
        objectName: "serverList"
        anchors.top: head.bottom
        anchors.topMargin: 12
        anchors.bottom: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        width: head.width
        clip: true
        model: screen.model.rows
        keyNavigationEnabled: true
        reuseItems: true
        cacheBuffer: 200
        ScrollBar.vertical: ScrollBar {}
        // One layout for both kinds of row, so that a keystroke that brings rows into view
        // builds half the items: a country heading is its flag, its name and a chevron; a
        // server is the pin, its name and the latency.
        delegate: Item {
            id: row
            required property string kind
            required property string countryName
            required property string flag
            required property string ipName
            required property int serverIndex
            required property bool expanded
            required property int index
            readonly property bool section: kind === "section"
            width: ListView.view.width
            height: section ? 48 : 44
            Accessible.role: Accessible.Button
            Accessible.name: section ? countryName : ipName
            function activate() {
                if (section) screen.model.rows.toggleSection(countryName)
                else screen.model.act("tapServer", [serverIndex])
            }
            function appeared() { if (!section) screen.model.act("rowAppeared", [serverIndex]) }
            Component.onCompleted: appeared()
            ListView.onReused: appeared()
            Keys.onReturnPressed: activate()
            Keys.onEnterPressed: activate()

            Rectangle {
                anchors.fill: parent
                anchors.topMargin: 2
                anchors.bottomMargin: 2
                radius: 8
                color: row.ListView.isCurrentItem && list.activeFocus ? Theme.separator
                     : row.section ? "transparent" : Theme.panel
            }
            // The flag (none for an unknown code) or the pin.
            Icon {
                id: leading
                // One binding for the address: name and kind change together on reuse.
                source: row.section ? (row.flag.length > 0 ? Theme.flagUrl(row.flag) : "")
                                    : Theme.iconUrl("PinBlack")
                visible: !row.section || row.flag.length > 0
                width: row.section ? Theme.flagWidth : 20
                height: row.section ? Theme.flagHeight : 20
                fillMode: row.section ? Image.Stretch : Image.PreserveAspectFit
                x: row.section ? 4 : 12
                anchors.verticalCenter: parent.verticalCenter
            }
            AppText {
                anchors.left: leading.visible ? leading.right : parent.left
                anchors.leftMargin: leading.visible ? 10 : 4
                anchors.right: row.section ? chevron.left : latency.left
                anchors.rightMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                text: row.section ? row.countryName : row.ipName
                font.bold: row.section
                wrapMode: Text.NoWrap
                elide: Text.ElideRight
                property bool elideIntended: true
            }
            Icon {
                id: chevron
                visible: row.section
                name: "arrow-down-black"
                width: 20
                height: 20
                rotation: row.expanded ? 0 : -90
                anchors.right: parent.right
                anchors.rightMargin: 8
                anchors.verticalCenter: parent.verticalCenter
            }
            AppText {
                id: latency
                visible: !row.section
                anchors.right: parent.right
                anchors.rightMargin: 12
                anchors.verticalCenter: parent.verticalCenter
                text: screen.model ? screen.model.latencyText : ""
                color: Theme.latencyColor(screen.model ? screen.model.latencyColour : "")
                font.bold: true
                wrapMode: Text.NoWrap
            }
            MouseArea { anchors.fill: parent; onClicked: { list.currentIndex = row.index; row.activate() } }
        }
    }
    ProgressOverlay { running: screen.model.fetchingConfig }

    // The change-protocol prompt. The model is gone for a moment while the picker closes.
    ChoiceDialog {
        visible: screen.model ? screen.model.changeProtocolAlert : false
        message: screen.model ? screen.model.promptMessage : ""
        acceptText: screen.model ? screen.model.disconnectText : ""
        rejectText: screen.model ? screen.model.skipText : ""
        onAccepted: screen.model.act("disconnect")
        onRejected: screen.model.act("skip")
    }
}
