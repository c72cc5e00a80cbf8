# Shared compile settings and the test helper.
option(CINEVARO_WERROR "Treat warnings as errors" OFF)
option(CINEVARO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(CINEVARO_FUZZ "Build the libFuzzer targets (clang only)" OFF)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

add_library(cinevaro_settings INTERFACE)
target_compile_features(cinevaro_settings INTERFACE cxx_std_20)
target_compile_options(cinevaro_settings INTERFACE -Wall -Wextra -Wpedantic $<$<BOOL:${CINEVARO_WERROR}>:-Werror>
                                                   # GCC 12 reports std::string appends as overlapping copies at -O2.
                                                   $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>
                                                   # Aggregates are filled partly on purpose (tests' film rows).
                                                   -Wno-missing-field-initializers)
target_compile_definitions(cinevaro_settings INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
                                                       QT_NO_CONTEXTLESS_CONNECT)
if(CINEVARO_SANITIZE)
    target_compile_options(cinevaro_settings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                       -fno-sanitize-recover=undefined)
    target_link_options(cinevaro_settings INTERFACE -fsanitize=address,undefined)
    # The standard library checks its own preconditions too: an index past the end, an empty
    # optional read, a front() of an empty container stop the test instead of reading garbage.
    target_compile_definitions(cinevaro_settings INTERFACE _GLIBCXX_ASSERTIONS)
endif()
if(CINEVARO_FUZZ)
    # libFuzzer comes with clang only. Every target gets the sanitizers and the coverage hooks; the
    # fuzz programs add -fsanitize=fuzzer at link time for libFuzzer's main.
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "CINEVARO_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang)")
    endif()
    target_compile_options(cinevaro_settings INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                       -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(cinevaro_settings INTERFACE -fsanitize=address,undefined)
    target_compile_definitions(cinevaro_settings INTERFACE _GLIBCXX_ASSERTIONS)
endif()

# cinevaro_add_tests(<name> SOURCES a.cpp b.cpp [WIDGETS] [LIBS x y])
# One GoogleTest executable tests_<name> per suite; widget suites run on the offscreen platform.
function(cinevaro_add_tests folder)
    cmake_parse_arguments(T "WIDGETS" "" "SOURCES;LIBS" ${ARGN})
    if(T_WIDGETS AND NOT CINEVARO_BUILD_UI)
        return()
    endif()
    set(target tests_${folder})
    add_executable(${target} ${T_SOURCES})
    target_link_libraries(${target} PRIVATE cinevaro_settings cinevaro_test_support ${T_LIBS} GTest::gtest GTest::gmock)
    if(T_WIDGETS)
        target_link_libraries(${target} PRIVATE cinevaro_ui cinevaro_widget_test_main Qt6::Test)
        set(label ui)
        set(env QT_QPA_PLATFORM=offscreen)
    else()
        target_link_libraries(${target} PRIVATE GTest::gtest_main)
        set(label core)
        set(env "")
    endif()
    if(folder MATCHES "^cli")
        set(label cli)
    endif()
    gtest_discover_tests(${target} WORKING_DIRECTORY ${CMAKE_BINARY_DIR} PROPERTIES LABELS ${label}
                         ENVIRONMENT "${env}" DISCOVERY_TIMEOUT 60 DISCOVERY_MODE PRE_TEST)
endfunction()

# cinevaro_add_bench(<name> SOURCES a.cpp [WIDGETS] [LIBS x y]): a Google Benchmark program bench_<name>.
function(cinevaro_add_bench name)
    cmake_parse_arguments(B "WIDGETS" "" "SOURCES;LIBS" ${ARGN})
    add_executable(bench_${name} ${B_SOURCES})
    target_link_libraries(bench_${name} PRIVATE cinevaro_settings cinevaro_core ${B_LIBS} benchmark::benchmark)
    target_include_directories(bench_${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    if(B_WIDGETS)
        target_link_libraries(bench_${name} PRIVATE cinevaro_ui)
    else()
        target_link_libraries(bench_${name} PRIVATE benchmark::benchmark_main)
    endif()
endfunction()
