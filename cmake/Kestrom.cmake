include(GoogleTest)

# Copies a file shipped with the program into the program folder at build time.
function(kestrom_program_file target source)
  get_filename_component(name ${source} NAME)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${source} ${KESTROM_PROGRAM_DIR}/${name}
    VERBATIM)
endfunction()

# One test program per subsystem folder; every case runs as its own process,
# so cases run in parallel and each gets a program folder of its own.
function(kestrom_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} kestrom_testsupport GTest::gtest GTest::gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()
