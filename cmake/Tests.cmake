# One GoogleTest program per folder of tests/, labelled with the folder's name
# (ctest -L api). Files named tests/<folder>/helpers/<name>.cpp are standalone programs
# that the tests start (crash children, responders); they land in build/bin.
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB CORVANE_TEST_DIRS LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/*)
foreach(dir ${CORVANE_TEST_DIRS})
  if(NOT IS_DIRECTORY ${dir})
    continue()
  endif()
  get_filename_component(label ${dir} NAME)
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
  corvane_warnings(${label}_tests)
  foreach(helper ${helper_sources})
    get_filename_component(helper_name ${helper} NAME_WE)
    add_dependencies(${label}_tests ${helper_name})
  endforeach()
  gtest_discover_tests(${label}_tests
    PROPERTIES LABELS ${label}
    DISCOVERY_TIMEOUT 60
    DISCOVERY_MODE PRE_TEST)
endforeach()
