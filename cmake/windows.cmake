# Windows build: the program, its resources and every test program.
enable_language(RC)

set(MERROWIND_FORTUNE_CORPUS "/usr/share/games/fortunes" CACHE PATH
    "Folder of the cookie files the built-in collection is made from (Debian's fortunes package)")
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# Everything links statically so that the program imports only Windows' own DLLs.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    add_link_options(-static)
elseif(MSVC)
    # The program carries its own manifest as resource 1 of type 24.
    add_link_options(/MANIFEST:NO)
endif()

# Generated resources: the built-in fortune table, the icon and the cursor.
set(MERROWIND_GENERATED ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${MERROWIND_GENERATED})
add_custom_command(
    OUTPUT ${MERROWIND_GENERATED}/fortune_table.rc ${MERROWIND_GENERATED}/fortune_table.txt
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_fortune_table.py
            --corpus ${MERROWIND_FORTUNE_CORPUS}
            --output ${MERROWIND_GENERATED}/fortune_table.rc
            --expected ${MERROWIND_GENERATED}/fortune_table.txt
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_fortune_table.py
    COMMENT "Making the built-in fortune table"
    VERBATIM)
add_custom_command(
    OUTPUT ${MERROWIND_GENERATED}/program.ico
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_icon.py
            --source ${CMAKE_SOURCE_DIR}/res/program_icon.txt
            --output ${MERROWIND_GENERATED}/program.ico
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_icon.py ${CMAKE_SOURCE_DIR}/tools/text_art.py ${CMAKE_SOURCE_DIR}/res/program_icon.txt
    COMMENT "Making the program icon"
    VERBATIM)
add_custom_command(
    OUTPUT ${MERROWIND_GENERATED}/hand.cur
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/make_cursor.py
            --source ${CMAKE_SOURCE_DIR}/res/hand_cursor.txt
            --output ${MERROWIND_GENERATED}/hand.cur
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_cursor.py ${CMAKE_SOURCE_DIR}/tools/text_art.py ${CMAKE_SOURCE_DIR}/res/hand_cursor.txt
    COMMENT "Making the hand cursor"
    VERBATIM)
add_custom_target(merrowind_generated DEPENDS
    ${MERROWIND_GENERATED}/fortune_table.rc
    ${MERROWIND_GENERATED}/program.ico
    ${MERROWIND_GENERATED}/hand.cur)

# The version number, for the version resource and for the installer
# (installer/merrowind.nsi reads it from this header).
file(CONFIGURE OUTPUT ${MERROWIND_GENERATED}/version.h CONTENT
"#define MERROWIND_VERSION \"${PROJECT_VERSION}\"
#define MERROWIND_VERSION_NUMBERS ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0
")

add_library(merrowind_resources OBJECT res/merrowind.rc)
target_include_directories(merrowind_resources PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res ${MERROWIND_GENERATED})
add_dependencies(merrowind_resources merrowind_generated)
set_source_files_properties(res/merrowind.rc PROPERTIES OBJECT_DEPENDS
    "${MERROWIND_GENERATED}/fortune_table.rc;${MERROWIND_GENERATED}/program.ico;${MERROWIND_GENERATED}/hand.cur;${CMAKE_SOURCE_DIR}/res/merrowind.manifest;${CMAKE_SOURCE_DIR}/res/resource_ids.h;${CMAKE_SOURCE_DIR}/core/product_addresses.h;${CMAKE_SOURCE_DIR}/res/version_info.rc;${MERROWIND_GENERATED}/version.h")

add_library(merrowind_win32 STATIC ${MERROWIND_WIN32_SOURCES})
target_link_libraries(merrowind_win32 PUBLIC merrowind_pure
    user32 gdi32 advapi32 kernel32)

add_executable(merrowind WIN32 app/main.cpp app/delivery.cpp $<TARGET_OBJECTS:merrowind_resources>)
target_link_libraries(merrowind PRIVATE merrowind_win32)

# Cross-built, the tests run under Wine, every Wine call of this build in the
# build's own prefix. Built on Windows, they run as they are.
if(CMAKE_CROSSCOMPILING)
    set(MERROWIND_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    # The Wine loader follows the build: the 64-bit one for a 64-bit program.
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(MERROWIND_WINE_ARCH x64)
    else()
        set(MERROWIND_WINE_ARCH x86)
    endif()
    configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
endif()

if(MERROWIND_TESTS)
    file(GLOB MERROWIND_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
    add_library(test_support STATIC ${MERROWIND_SUPPORT})
    target_link_libraries(test_support PUBLIC merrowind_win32 gtest shell32 shlwapi)
    target_include_directories(test_support PUBLIC ${CMAKE_SOURCE_DIR})

    # Pure code, here under Wine; the same sources also build natively.
    file(GLOB MERROWIND_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
    add_executable(unit_tests ${MERROWIND_UNIT_TESTS})
    target_link_libraries(unit_tests PRIVATE merrowind_pure gtest_main)
    gtest_discover_tests(unit_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "wine.")

    # Registry, files and threads, with delivery captured instead of shown.
    file(GLOB MERROWIND_WIN32_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
    add_executable(win32_tests ${MERROWIND_WIN32_TESTS} $<TARGET_OBJECTS:merrowind_resources>)
    target_link_libraries(win32_tests PRIVATE test_support gtest_main)
    # Real cookie files to index and read back.
    target_compile_definitions(win32_tests PRIVATE MERROWIND_FORTUNE_CORPUS="${MERROWIND_FORTUNE_CORPUS}")
    gtest_discover_tests(win32_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "win32."
        DISCOVERY_TIMEOUT 60)

    # Real dialogs on a display, with the real delivery. They take real mouse
    # and keyboard input, as the end-to-end tests do, so these two kinds share
    # one lock (a test property holds only one lock name here).
    file(GLOB MERROWIND_GUI_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/gui/*.cpp)
    if(MERROWIND_GUI_TESTS)
        add_executable(gui_tests ${MERROWIND_GUI_TESTS} app/delivery.cpp $<TARGET_OBJECTS:merrowind_resources>)
        # ole32 for the tests' own look at the apartment of a thread.
        target_link_libraries(gui_tests PRIVATE test_support gtest_main ole32)
        gtest_discover_tests(gui_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "gui."
            DISCOVERY_TIMEOUT 60 PROPERTIES RESOURCE_LOCK desktop TIMEOUT 120)
        # The layout rules once more at 200 % scaling (192 DPI), in a Wine
        # prefix of its own whose registry says so: Wine reads the DPI at the
        # start of its server, and every other test runs at 96.
        add_test(NAME gui.At192Dpi.LayoutLinksIconsAndColumns
            COMMAND sh -c [=[
                program="$1"; export WINEPREFIX="$2"; MERROWIND_WINE_ARCH="$5"; . "$3"
                wineserver -p </dev/null >/dev/null 2>&1
                wine wineboot -i </dev/null >/dev/null 2>&1
                for key in 'HKEY_CURRENT_USER\Control Panel\Desktop' 'HKEY_CURRENT_CONFIG\Software\Fonts'; do
                    wine reg add "$key" /v LogPixels /t REG_DWORD /d 192 /f </dev/null >/dev/null 2>&1 || exit 1
                done
                wineserver -k; wineserver -w
                wineserver -p </dev/null >/dev/null 2>&1
                wine wineboot </dev/null >/dev/null 2>&1
                MERROWIND_TEST_DPI=192 wine "$program" --gtest_filter="$4" </dev/null
                code=$?
                wineserver -k
                exit $code
            ]=] sh $<TARGET_FILE:gui_tests> ${CMAKE_BINARY_DIR}/wineprefix-192 ${CMAKE_SOURCE_DIR}/cmake/wine-env.sh
            "LinkCursor.*:FortuneWindow.ShowsTheWrapped*:FortuneWindow.IsLaidOut*:FortuneWindow.LaysItselfOutAnew*:FortuneWindow.TallFortune*:LinkControl.DrawsBlue*:LinkControl.HandCursor*:SettingsDialog.ListsEverySource*"
            ${MERROWIND_WINE_ARCH})
        set_tests_properties(gui.At192Dpi.LayoutLinksIconsAndColumns PROPERTIES RESOURCE_LOCK desktop TIMEOUT 300)
        # Started through the shell by the link tests; reports how it was shown.
        add_executable(show_probe WIN32 tests/gui/probe/show_probe.cpp)
        add_dependencies(gui_tests show_probe)
    endif()

    # The real merrowind.exe, started as a user starts it. It uses the
    # prefix's own catalogue key, so these tests run one at a time, and its
    # windows take real input, so never beside the window tests either.
    file(GLOB MERROWIND_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
    add_executable(e2e_tests ${MERROWIND_E2E_TESTS})
    # version: the tests read the program's version resource back.
    target_link_libraries(e2e_tests PRIVATE test_support gtest_main version)
    target_include_directories(e2e_tests PRIVATE ${MERROWIND_GENERATED})
    add_dependencies(e2e_tests merrowind)
    gtest_discover_tests(e2e_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "e2e."
        DISCOVERY_TIMEOUT 60 PROPERTIES RESOURCE_LOCK desktop TIMEOUT 120)

    # Without a display no window can be made, and "." names a folder, which
    # cannot be written as a file: nothing is delivered, and the exit code
    # says so (3). A Wine process takes its display from the environment Wine
    # was started with, so this run is started from outside Wine. It gets a
    # prefix of its own: a process without a display in the shared prefix
    # leaves its desktop unable to make windows for every test after it.
    add_test(NAME e2e.NoDisplay.NeitherTheFileNorTheWindowEndsWithThree
        COMMAND sh -c [=[
            program="$1"; export WINEPREFIX="$2"; MERROWIND_WINE_ARCH="$4"; . "$3"
            cd "$(dirname "$program")" || exit 1
            # The prefix is kept between runs: each starts with no catalogue,
            # so the built-in collection is there to draw from.
            env -u DISPLAY "$MERROWIND_WINE" reg delete 'HKCU\Software\Tolvane' /f </dev/null >/dev/null 2>&1
            env -u DISPLAY timeout 100 "$MERROWIND_WINE" "$program" . </dev/null >/dev/null 2>&1
            code=$?
            wineserver -k >/dev/null 2>&1
            echo "exit code $code, expected 3"
            [ "$code" -eq 3 ]
        ]=] sh $<TARGET_FILE:merrowind> ${CMAKE_BINARY_DIR}/wineprefix-nodisplay
            ${CMAKE_SOURCE_DIR}/cmake/wine-env.sh ${MERROWIND_WINE_ARCH})
    # It runs merrowind.exe where the other end-to-end and window tests put
    # a "Fortune.txt" beside it now and then, so it takes their lock too.
    set_tests_properties(e2e.NoDisplay.NeitherTheFileNorTheWindowEndsWithThree PROPERTIES TIMEOUT 150
        RESOURCE_LOCK desktop)
endif()

# The fortune window on a chosen text, for scripts/screenshots.
add_executable(window_preview EXCLUDE_FROM_ALL tools/window_preview.cpp $<TARGET_OBJECTS:merrowind_resources>)
target_link_libraries(window_preview PRIVATE merrowind_win32)

# Benchmarks: programs that scripts/bench-* run and time; never tests.
add_executable(bench_empty WIN32 EXCLUDE_FROM_ALL bench/empty_program.cpp)
add_executable(bench_user32 WIN32 EXCLUDE_FROM_ALL bench/user32_program.cpp)
add_executable(bench_indexer EXCLUDE_FROM_ALL bench/indexer_throughput.cpp)
target_link_libraries(bench_indexer PRIVATE merrowind_win32)
add_executable(bench_message_box WIN32 EXCLUDE_FROM_ALL bench/message_box_program.cpp)
add_executable(bench_shown EXCLUDE_FROM_ALL bench/window_shown.cpp)
add_executable(bench_catalogue EXCLUDE_FROM_ALL bench/catalogue_setup.cpp)
target_link_libraries(bench_catalogue PRIVATE merrowind_win32)
add_custom_target(bench DEPENDS merrowind bench_empty bench_user32 bench_indexer bench_message_box bench_shown
    bench_catalogue)

# Release: the program with its README and licence notices, in one folder
# (cmake --install), which scripts/package zips.
install(TARGETS merrowind RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/NOTICE.txt DESTINATION .)
