# libFuzzer harnesses: fuzz/<name>_fuzz.cpp, each with a seed corpus in fuzz/corpus/<name>/.
# Needs clang. The "asan" preset builds them beside the tests, in one sanitizer tree: the
# libraries get coverage instrumentation (which the tests' programs link without libFuzzer), so
# they are compiled once for both. The "fuzz" preset builds only the harnesses, optimised, for
# long campaigns.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "CORVANE_FUZZ needs clang (use the asan or fuzz preset)")
endif()
# The parsers under test live in corvane_core: without coverage instrumentation there, libFuzzer
# sees only the harness itself and mutates blindly.
target_compile_options(corvane_core PRIVATE -fsanitize=fuzzer-no-link)
file(GLOB CORVANE_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*_fuzz.cpp)
# `fuzzers` builds every harness and nothing else (CI's smoke run needs no programs or tests).
add_custom_target(fuzzers)
foreach(src ${CORVANE_FUZZ_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  add_dependencies(fuzzers ${name})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE corvane_core)
  # Harnesses of the tunnel service's parsers link the daemon library.
  if(TARGET corvane_tunneld AND name MATCHES "^(wireguard|daemon)_")
    target_link_libraries(${name} PRIVATE corvane_tunneld)
    target_compile_options(corvane_tunneld PRIVATE -fsanitize=fuzzer-no-link)
  endif()
  # The reference backend is a program, not part of corvane_core: its harnesses compile the
  # request-parsing sources they exercise.
  if(name MATCHES "^backend_")
    target_link_libraries(${name} PRIVATE corvane_backend)
  endif()
endforeach()
# The backend's parsers need coverage instrumentation as much as the core's.
if(TARGET corvane_backend)
  target_compile_options(corvane_backend PRIVATE -fsanitize=fuzzer-no-link)
endif()
