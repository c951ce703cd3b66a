# The window's tests, label "gui". They run on Qt's offscreen platform, so no display is
# needed; the one real-window run starts Xvfb itself and skips without it.
file(GLOB CORVANE_GUI_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/ui/*_test.cpp)
add_executable(gui_tests ${CORVANE_GUI_UNIT_TESTS})
target_include_directories(gui_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(gui_tests PRIVATE corvane_ui GTest::gtest GTest::gmock)
corvane_warnings(gui_tests)
gtest_discover_tests(gui_tests
  PROPERTIES LABELS gui ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
  DISCOVERY_TIMEOUT 60
  DISCOVERY_MODE PRE_TEST)
