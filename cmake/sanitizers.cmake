# VEKORRA_SANITIZE=ON builds every target with AddressSanitizer and
# UndefinedBehaviorSanitizer. Undefined behaviour is never recovered from, so
# it fails the process that meets it. Qt and SQLite stay uninstrumented.
#
# Under ctest every test process and every program it starts (kestrum,
# vekorra, phonesim) writes its sanitizer reports into
# <build>/sanitizer-reports instead of its standard error; the test
# sanitizer_reports, run after all tests made by add_vekorra_test, fails
# when any report is there and prints them (tools/test_sanitizers.sh checks
# once more after the whole run). So a report of a child process fails the run even when
# the test that started it never looks at the child's exit status.
#
# Build with clang: its one runtime writes the undefined-behaviour reports
# to that folder too. GCC's separate libubsan always writes them to standard
# error; there a test fails only when such a report reaches its own output
# (FAIL_REGULAR_EXPRESSION below) or its exit status.
option(VEKORRA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(VEKORRA_SANITIZE AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(WARNING "VEKORRA_SANITIZE with ${CMAKE_CXX_COMPILER_ID}: reports of undefined behaviour in "
                  "child processes go to standard error only; configure with -DCMAKE_CXX_COMPILER=clang++")
endif()

set(VEKORRA_SANITIZER_REPORTS ${CMAKE_BINARY_DIR}/sanitizer-reports)

if(VEKORRA_SANITIZE)
  set(vekorra_sanitizer_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(${vekorra_sanitizer_flags})
  add_link_options(${vekorra_sanitizer_flags})
endif()

# The sanitizer options of every test, also of tests added with a plain
# add_test: ctest reads this file before it runs anything, and the tests and
# the programs they start inherit its environment.
# intercept_tls_get_addr=0: up to LLVM 16 the runtime takes a dynamic TLS
# block of glibc >= 2.25 that happens to start 16 bytes into a page for one
# of glibc 2.19 and reads the allocator's chunk header before it as the
# block's bounds. The leak check then scans that made-up range and its
# tracer dies of SIGSEGV at the program's exit. With any other start the
# block is not scanned at all, so the leak check loses no roots by this; the
# blocks themselves stay heap chunks it follows.
if(VEKORRA_SANITIZE)
  set(supp ${PROJECT_SOURCE_DIR}/tools/sanitizers)
  file(WRITE ${CMAKE_BINARY_DIR}/sanitizer_environment.cmake
"set(ENV{ASAN_OPTIONS} \"log_path=${VEKORRA_SANITIZER_REPORTS}/report:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:intercept_tls_get_addr=0\")
set(ENV{LSAN_OPTIONS} \"suppressions=${supp}/lsan.supp:print_suppressions=0\")
set(ENV{UBSAN_OPTIONS} \"log_path=${VEKORRA_SANITIZER_REPORTS}/report:print_stacktrace=1:halt_on_error=1\")
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/sanitizer_environment.cmake)
endif()

# Sanitizer reports that reach a test's own output.
set(VEKORRA_SANITIZER_FAIL_REGEX "ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error: ")

# The two tests around the whole run: one empties the report folder before
# the first test, the other fails when any process left a report.
function(vekorra_add_sanitizer_report_tests)
  if(NOT VEKORRA_SANITIZE)
    return()
  endif()
  set(script ${PROJECT_SOURCE_DIR}/tools/sanitizers/reports.cmake)
  add_test(NAME sanitizer_reports_clear
    COMMAND ${CMAKE_COMMAND} -DREPORTS=${VEKORRA_SANITIZER_REPORTS} -DMODE=clear -P ${script})
  add_test(NAME sanitizer_reports
    COMMAND ${CMAKE_COMMAND} -DREPORTS=${VEKORRA_SANITIZER_REPORTS} -DMODE=check -P ${script})
  set_tests_properties(sanitizer_reports_clear PROPERTIES FIXTURES_SETUP sanitizer_reports)
  set_tests_properties(sanitizer_reports PROPERTIES FIXTURES_CLEANUP sanitizer_reports)
endfunction()

# VEKORRA_FUZZ=ON (clang only) builds the libFuzzer targets of bench/fuzz:
# everything is instrumented for coverage and built with AddressSanitizer
# and UndefinedBehaviorSanitizer. bench/fuzz/run_fuzzers.sh configures such
# a build of its own.
option(VEKORRA_FUZZ "Build the libFuzzer targets (clang)" OFF)
if(VEKORRA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VEKORRA_FUZZ needs clang++ (-DCMAKE_CXX_COMPILER=clang++)")
  endif()
  set(vekorra_fuzz_flags -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer)
  add_compile_options(${vekorra_fuzz_flags})
  add_link_options(${vekorra_fuzz_flags})
endif()
