# Native build: the pure code and its tests only (fast, and under sanitizers).
if(MERROWIND_TESTS)
    file(GLOB MERROWIND_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
    add_executable(unit_tests ${MERROWIND_UNIT_TESTS})
    target_link_libraries(unit_tests PRIVATE merrowind_pure gtest_main)
    gtest_discover_tests(unit_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "native.")
endif()

# Prints how many fortunes of each cookie file the fixed-pitch rule takes.
add_executable(fixed_pitch_survey ${CMAKE_SOURCE_DIR}/tools/fixed_pitch_survey.cpp)
target_link_libraries(fixed_pitch_survey PRIVATE merrowind_pure)

# libFuzzer targets: one program per tests/fuzz/*_fuzz.cpp, run by scripts/fuzz.
if(MERROWIND_FUZZ)
    file(GLOB MERROWIND_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
    foreach(source ${MERROWIND_FUZZ_TARGETS})
        get_filename_component(target ${source} NAME_WE)
        add_executable(${target} ${source})
        target_link_libraries(${target} PRIVATE merrowind_pure)
        target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    endforeach()
endif()
