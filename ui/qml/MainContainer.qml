// The signed-in container: the selected screen, with the side menu sliding over it from the
// leading edge on a dimmed layer.
import QtQuick

FocusScope {
    id: container
    property var model

    Loader {
        anchors.fill: parent
        focus: !container.model.presentSideMenu
        sourceComponent: {
            switch (container.model.shown) {
            case "support": return supportPage
            case "setting": return settingPage
            case "devices": return devicesPage
            case "login": return loginPage
            case "dashboard": return dashboardPage
            default: return null
            }
        }
    }
    Component { id: dashboardPage; Dashboard { model: container.model.home } }
    Component { id: settingPage; SettingScreen { model: container.model.setting } }
    Component { id: supportPage; SupportScreen { model: container.model.support } }
    Component { id: devicesPage; DevicesScreen { model: container.model.devices } }
    Component { id: loginPage; LoginScreen { model: container.model.login } }
    // The about page holds a container of its own, with its own menu.
    Loader {
        anchors.fill: parent
        active: container.model.shown === "about" && container.model.about !== null
        onActiveChanged: if (active) setSource("MainContainer.qml", { model: container.model.about })
        Component.onCompleted: if (active) setSource("MainContainer.qml", { model: container.model.about })
    }

    SideMenu {
        anchors.fill: parent
        model: container.model
        focus: container.model.presentSideMenu
    }
}
