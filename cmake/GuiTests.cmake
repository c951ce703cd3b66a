# The window's tests, label "gui". They run on Qt's offscreen platform with the software
# renderer, so no display is needed; the one real-window run starts Xvfb itself and skips
# without it. Screenshots land in build/screenshots.
file(GLOB CORVANE_GUI_UNIT_TESTS CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/tests/ui/*_test.cpp ${CMAKE_SOURCE_DIR}/tests/ui/support/*.cpp)
add_executable(gui_tests ${CORVANE_GUI_UNIT_TESTS}
  ${CMAKE_SOURCE_DIR}/tests/api/support/backend_process.cpp)
target_include_directories(gui_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(gui_tests PRIVATE corvane_ui corvane_httplib Qt6::Test GTest::gtest GTest::gmock)
add_dependencies(gui_tests corvane-backend)
corvane_warnings(gui_tests)
corvane_test_program(gui_tests)
gtest_discover_tests(gui_tests
  PROPERTIES LABELS gui
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;CORVANE_KEYCHAIN=file;CORVANE_SCREENSHOT_DIR=${CMAKE_BINARY_DIR}/screenshots"
  DISCOVERY_TIMEOUT 60
  DISCOVERY_MODE PRE_TEST
  # Parameter values of table tests print as raw bytes (pointers included): name them by index.
  NO_PRETTY_VALUES)

# The real-window run: its own program, because it draws on a private Xvfb display through
# the xcb platform instead of the offscreen one.
add_executable(gui_window_test
  ${CMAKE_SOURCE_DIR}/tests/ui/window/real_window_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/ui/window/xvfb_display.cpp
  ${CMAKE_SOURCE_DIR}/tests/ui/support/screen_host.cpp
  ${CMAKE_SOURCE_DIR}/tests/api/support/backend_process.cpp)
target_include_directories(gui_window_test PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(gui_window_test PRIVATE corvane_ui corvane_httplib Qt6::Test GTest::gtest)
add_dependencies(gui_window_test corvane-backend)
corvane_warnings(gui_window_test)
corvane_test_program(gui_window_test)
add_test(NAME RealWindow.LogInOpenThePickerAndChooseAServer COMMAND gui_window_test)
set_tests_properties(RealWindow.LogInOpenThePickerAndChooseAServer PROPERTIES LABELS gui TIMEOUT 120)

# The desktop entry and the AppStream metadata, checked by the validators desktops use.
find_program(CORVANE_DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(CORVANE_APPSTREAMCLI appstreamcli)
if(CORVANE_DESKTOP_FILE_VALIDATE AND CORVANE_APPSTREAMCLI)
  add_test(NAME Packaging.DesktopEntryIsValid COMMAND ${CORVANE_DESKTOP_FILE_VALIDATE} --no-hints
           ${CMAKE_SOURCE_DIR}/packaging/net.corvane.client.desktop)
  add_test(NAME Packaging.AppStreamMetadataIsValid COMMAND ${CORVANE_APPSTREAMCLI} validate --no-net
           ${CMAKE_SOURCE_DIR}/packaging/net.corvane.client.metainfo.xml)
  set_tests_properties(Packaging.DesktopEntryIsValid Packaging.AppStreamMetadataIsValid PROPERTIES LABELS gui)
endif()
