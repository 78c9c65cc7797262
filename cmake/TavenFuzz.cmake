# The fuzzing build: every library under test instrumented for coverage and checked by
# AddressSanitizer and UndefinedBehaviorSanitizer; only the program's units and fuzz/.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TAVEN_FUZZ needs clang (libFuzzer): -DCMAKE_CXX_COMPILER=clang++-14")
endif()
set(TAVEN_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
add_compile_options(-fsanitize=fuzzer-no-link ${TAVEN_SANITIZERS})
add_link_options(${TAVEN_SANITIZERS})
add_subdirectory(src)
add_subdirectory(fuzz)
