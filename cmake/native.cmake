# Native build: the pure code and its tests only (fast, and under sanitizers).
if(MERROWIND_TESTS)
    file(GLOB MERROWIND_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
    add_executable(unit_tests ${MERROWIND_UNIT_TESTS})
    target_link_libraries(unit_tests PRIVATE merrowind_pure gtest_main)
    gtest_discover_tests(unit_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "native.")
endif()
