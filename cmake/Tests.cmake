# One GoogleTest program per folder of tests/, labelled with the folder's name
# (ctest -L api). Files named tests/<folder>/helpers/<name>.cpp are standalone programs
# that the tests start (crash children, responders); they land in build/bin.
find_package(GTest REQUIRED)
include(GoogleTest)

# The test programs' own code is compiled without optimisation in every build type: the
# libraries under test keep the build type's flags, and a test file (long bodies of assertion
# macros) compiles in about half the time at -O0. The helpers the tests start keep theirs.
function(corvane_test_program target)
  target_compile_options(${target} PRIVATE -O0)
endfunction()

file(GLOB CORVANE_TEST_DIRS LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/*)
foreach(dir ${CORVANE_TEST_DIRS})
  if(NOT IS_DIRECTORY ${dir})
    continue()
  endif()
  get_filename_component(label ${dir} NAME)
  if(label STREQUAL "ui")
    continue()  # the window's tests, built with it (cmake/GuiTests.cmake)
  endif()
  file(GLOB_RECURSE helper_sources CONFIGURE_DEPENDS ${dir}/helpers/*.cpp)
  foreach(helper ${helper_sources})
    get_filename_component(helper_name ${helper} NAME_WE)
    add_executable(${helper_name} ${helper})
    target_link_libraries(${helper_name} PRIVATE corvane_core corvane_httplib)
    corvane_warnings(${helper_name})
  endforeach()
  file(GLOB test_sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/support/*.cpp)
  if(NOT test_sources)
    continue()
  endif()
  add_executable(${label}_tests ${test_sources})
  target_include_directories(${label}_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${label}_tests PRIVATE corvane_core corvane_httplib GTest::gtest GTest::gtest_main GTest::gmock)
  if(TARGET corvane_${label})
    target_link_libraries(${label}_tests PRIVATE corvane_${label})
  endif()
  if(label STREQUAL "backend" AND TARGET corvane-backend)
    add_dependencies(${label}_tests corvane-backend)
  endif()
  # The CLI's tests run corvanectl as a user does, against the reference backend.
  if(label STREQUAL "cli")
    foreach(program corvanectl corvane-backend)
      if(TARGET ${program})
        add_dependencies(${label}_tests ${program})
      endif()
    endforeach()
  endif()
  if((label STREQUAL "daemon" OR label STREQUAL "e2e") AND TARGET corvane_tunneld)
    target_link_libraries(${label}_tests PRIVATE corvane_tunneld)
    if(TARGET corvane-tunneld)
      add_dependencies(${label}_tests corvane-tunneld)
    endif()
    # The end-to-end runs reuse the daemon tests' namespace testbeds (all of their support
    # folder, so its inner layout can change freely) and their echo servers, and drive the
    # programs a user runs.
    if(label STREQUAL "e2e")
      file(GLOB daemon_support CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/daemon/support/*.cpp)
      target_sources(${label}_tests PRIVATE ${daemon_support})
      foreach(program tunnel_echo_server udp_echo corvanectl corvane-backend)
        if(TARGET ${program})
          add_dependencies(${label}_tests ${program})
        endif()
      endforeach()
    endif()
  endif()
  corvane_warnings(${label}_tests)
  corvane_test_program(${label}_tests)
  foreach(helper ${helper_sources})
    get_filename_component(helper_name ${helper} NAME_WE)
    add_dependencies(${label}_tests ${helper_name})
  endforeach()
  if(EXISTS ${dir}/CMakeLists.txt)
    # The folder registers its own tests (to add labels of its own).
    add_subdirectory(${dir} ${CMAKE_BINARY_DIR}/tests/${label})
    continue()
  endif()
  # Only the keychain's own tests may reach a Secret Service (on a private bus they start):
  # everything else keeps to the file store, so a developer's session keyring is never written.
  set(test_properties LABELS ${label})
  if(NOT label STREQUAL "securestore")
    list(APPEND test_properties ENVIRONMENT CORVANE_KEYCHAIN=file)
  endif()
  gtest_discover_tests(${label}_tests
    PROPERTIES ${test_properties}
    DISCOVERY_TIMEOUT 60
    DISCOVERY_MODE PRE_TEST
    # Parameter values of table tests print as raw bytes (pointers included): name them by index.
    NO_PRETTY_VALUES)
endforeach()

# The layout rule of DESIGN.md: no file under src/ includes a folder listed above its own.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME layout.NoUpwardIncludeInSrc
         COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/check-layers ${CMAKE_SOURCE_DIR})
# ...and the check itself refuses a planted upward include.
add_test(NAME layout.CheckRefusesAnUpwardInclude
         COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/check-layers
                 ${CMAKE_SOURCE_DIR}/tests/layout/fixture)
set_tests_properties(layout.NoUpwardIncludeInSrc layout.CheckRefusesAnUpwardInclude
                     PROPERTIES LABELS layout)
set_tests_properties(layout.CheckRefusesAnUpwardInclude PROPERTIES WILL_FAIL TRUE)

if(CORVANE_GUI)
  include(cmake/GuiTests.cmake)
endif()
