# taven_add_test(<name> SOURCES <files...> LIBS <targets...>)
# Every test runs headless, with a private home so nothing of the user's is touched.
function(taven_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    target_compile_definitions(${name} PRIVATE TAVEN_BUNDLED_DATA="${CMAKE_SOURCE_DIR}/data")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${CMAKE_BINARY_DIR}/test-home;XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/test-home"
        TIMEOUT 300)
endfunction()
