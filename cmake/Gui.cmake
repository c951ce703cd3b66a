# The window (corvane): Qt 6 Quick. Built in the default preset only; the sanitizer and fuzz
# presets leave it out (CORVANE_GUI=OFF) to keep CI within its time.
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Qml Quick QuickControls2 Svg Widgets Test QuickTest DBus)

set(CMAKE_AUTOMOC ON)

# Everything but main(): the tests and the benchmarks link the same code.
file(GLOB_RECURSE CORVANE_UI_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/ui/*.cpp ${CMAKE_SOURCE_DIR}/ui/*.h)
list(FILTER CORVANE_UI_SOURCES EXCLUDE REGEX "/ui/main\\.cpp$")
qt_add_library(corvane_ui STATIC ${CORVANE_UI_SOURCES})
target_include_directories(corvane_ui PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(corvane_ui PUBLIC corvane_core
  Qt6::Core Qt6::Gui Qt6::Qml Qt6::Quick Qt6::QuickControls2 Qt6::Svg Qt6::Widgets Qt6::DBus)
corvane_warnings(corvane_ui)

# QML and images, compiled into the binary under qrc:/qt/qml/Corvane/.
file(GLOB CORVANE_QML_FILES CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/ui/qml/*.qml)
file(GLOB_RECURSE CORVANE_ASSET_FILES CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}
  ${CMAKE_SOURCE_DIR}/ui/assets/*.svg)
set_source_files_properties(ui/qml/Theme.qml PROPERTIES QT_QML_SINGLETON_TYPE TRUE)
foreach(qml ${CORVANE_QML_FILES})
  get_filename_component(name ${qml} NAME)
  set_source_files_properties(${qml} PROPERTIES QT_RESOURCE_ALIAS ${name})
endforeach()
foreach(asset ${CORVANE_ASSET_FILES})
  string(REPLACE "ui/assets/" "assets/" alias ${asset})
  set_source_files_properties(${asset} PROPERTIES QT_RESOURCE_ALIAS ${alias})
endforeach()
qt_add_qml_module(corvane_ui
  URI Corvane
  VERSION 1.0
  RESOURCE_PREFIX /qt/qml
  OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/qml/Corvane
  NO_PLUGIN
  QML_FILES ${CORVANE_QML_FILES}
  RESOURCES ${CORVANE_ASSET_FILES})

qt_add_executable(corvane ${CMAKE_SOURCE_DIR}/ui/main.cpp)
target_link_libraries(corvane PRIVATE corvane_ui)
corvane_warnings(corvane)

include(GNUInstallDirs)
install(TARGETS corvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/net.corvane.client.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/net.corvane.client.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/net.corvane.client.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

if(CORVANE_BENCH)
  # The window's figures: start to first frame and memory against a bare Qt Quick window,
  # and the picker's keystroke-to-frame time with 10,000 servers.
  add_executable(window_start_bench ${CMAKE_SOURCE_DIR}/bench/ui/window_start_bench.cpp)
  target_link_libraries(window_start_bench PRIVATE corvane_ui)
  corvane_warnings(window_start_bench)
  add_executable(picker_keystroke_bench ${CMAKE_SOURCE_DIR}/bench/ui/picker_keystroke_bench.cpp
    ${CMAKE_SOURCE_DIR}/tests/api/support/backend_process.cpp
    ${CMAKE_SOURCE_DIR}/tests/ui/support/screen_host.cpp)
  target_include_directories(picker_keystroke_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(picker_keystroke_bench PRIVATE corvane_ui corvane_httplib Qt6::Test)
  add_dependencies(picker_keystroke_bench corvane-backend)
  corvane_warnings(picker_keystroke_bench)
endif()
