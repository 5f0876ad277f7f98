# Windows build: the portable core again, the Win32 modules, Quirvel.exe and
# the Win32 test executable that runs under Wine.
set(WIN32_SOURCES
  ledger/file_access_win32.cpp
  ui/prompts_win32.cpp
  ui/dialog_template.cpp
  ui/list_checks.cpp
  app/column_list.cpp
  app/main_window.cpp
  app/main_state.cpp
  app/main_menu.cpp
  app/main_pages.cpp
  app/transaction_list.cpp
  app/list_refresh.cpp
  app/commands.cpp
  app/due_command.cpp
  app/file_commands.cpp
  app/find_dialog.cpp
  app/find_command.cpp
  lists/descr_name_boxes.cpp
  entry/record_dialog.cpp
  entry/schedules_dialog.cpp
  reports/filter_dialog.cpp
  entry/sales_tax_dialog.cpp
  lists/list_dialog.cpp
  lists/tax_line_dialog.cpp
  app/about_box.cpp
  app/ask_text.cpp
  reports/printing.cpp
  reports/tax_report_dialog.cpp
  reports/glance_chart.cpp
  reports/glance_print.cpp
  reports/year_glance_dialog.cpp
  reports/schedule_c_print.cpp
  reports/schedule_c_dialog.cpp
  import/import_dialog.cpp
  entry/due_entries_dialog.cpp
)

set(WIN32_TESTS
  tests/win/win_main.cpp
  tests/win/modal_driver.cpp
  tests/win/win_fixture.cpp
  tests/win/files_win_test.cpp
  tests/win/column_list_test.cpp
  tests/win/main_window_test.cpp
  tests/win/record_dialog_test.cpp
  tests/win/filter_dialog_test.cpp
  tests/win/sales_tax_dialog_test.cpp
  tests/win/list_dialog_test.cpp
  tests/win/about_box_test.cpp
  tests/win/archive_command_test.cpp
  tests/win/commands_test.cpp
  tests/win/refresh_test.cpp
  tests/win/find_test.cpp
  tests/win/filter_status_test.cpp
  tests/win/year_glance_test.cpp
  tests/win/schedule_c_test.cpp
  tests/win/tax_line_test.cpp
  tests/win/scheduled_entries_test.cpp
  tests/win/print_capture.cpp
  tests/win/report_dialog_test.cpp
  tests/win/printing_test.cpp
  tests/win/import_dialog_test.cpp
  tests/win/due_entries_test.cpp
  tests/support/temp_folder_win32.cpp
)

set(WIN_FLAGS -Wall -Wextra -DWINVER=0x0601 -D_WIN32_WINNT=0x0601 -DWIN32_LEAN_AND_MEAN -DNOMINMAX)
set(WIN_LIBS comctl32 gdi32 user32)

add_library(quirvel_win STATIC ${PORTABLE_SOURCES} ${WIN32_SOURCES})
target_include_directories(quirvel_win PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(quirvel_win PUBLIC ${WIN_FLAGS})
target_link_libraries(quirvel_win PUBLIC ${WIN_LIBS})

# Two builds of the same sources: build/win for 32-bit Windows, build/win64
# for 64-bit. Each is tested under the Wine of its own kind, which the test
# scripts pick by QUIRVEL_WINE_BUILD (scripts/wine-env.sh); the manifest
# names the processor.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QUIRVEL_WINE_BUILD win64)
  set(QUIRVEL_MANIFEST_ARCH amd64)
else()
  set(QUIRVEL_WINE_BUILD win)
  set(QUIRVEL_MANIFEST_ARCH x86)
endif()
configure_file(resources/quirvel.manifest.in ${CMAKE_BINARY_DIR}/resources/quirvel.manifest @ONLY)
set_source_files_properties(resources/quirvel.rc PROPERTIES
  INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/resources
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/quirvel.ico;${CMAKE_SOURCE_DIR}/resources/hand.cur;${CMAKE_BINARY_DIR}/resources/quirvel.manifest")

add_executable(Quirvel WIN32 app/winmain.cpp resources/quirvel.rc)
target_link_libraries(Quirvel PRIVATE quirvel_win)
target_link_options(Quirvel PRIVATE -static -mwindows)
# Quirvel.exe is built optimised and stripped: its debugging information
# (nine tenths of the file) would be mapped at every start. It is kept in
# Quirvel.debug beside it, which debuggers find through the debug link.
add_custom_command(TARGET Quirvel POST_BUILD
  COMMAND ${CMAKE_OBJCOPY} --only-keep-debug Quirvel.exe Quirvel.debug
  COMMAND ${CMAKE_STRIP} --strip-all Quirvel.exe
  COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=Quirvel.debug Quirvel.exe
  WORKING_DIRECTORY $<TARGET_FILE_DIR:Quirvel>
  VERBATIM)

add_executable(win_tests ${WIN32_TESTS} tests/support/scripted_prompts.cpp resources/quirvel.rc)
target_include_directories(win_tests PRIVATE ${CMAKE_SOURCE_DIR})
# The sample statements are read from the sources, through Wine's Z: drive.
target_compile_definitions(win_tests PRIVATE QUIRVEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
target_link_libraries(win_tests PRIVATE quirvel_win GTest::gtest shell32 ole32)
target_link_options(win_tests PRIVATE -static -mconsole)

add_test(NAME win32_tests COMMAND win_tests)
set_tests_properties(win32_tests PROPERTIES TIMEOUT 1200)

# Saving survives being killed: kill_test.sh kills kill_saver under Wine.
add_executable(kill_saver tests/kill/kill_saver.cpp)
target_link_libraries(kill_saver PRIVATE quirvel_win)
target_link_options(kill_saver PRIVATE -static -mconsole)
add_test(NAME kill_test COMMAND bash ${CMAKE_SOURCE_DIR}/tests/kill/kill_test.sh
  $<TARGET_FILE:kill_saver> ${CMAKE_BINARY_DIR}/kill_test)
set_tests_properties(kill_test PROPERTIES TIMEOUT 180 ENVIRONMENT QUIRVEL_WINE_BUILD=${QUIRVEL_WINE_BUILD})
include(${CMAKE_CURRENT_LIST_DIR}/packaging.cmake)

# Benchmarks (not tests): scripts/bench.sh runs them under Wine.
add_executable(ledger_bench EXCLUDE_FROM_ALL bench/ledger_bench.cpp)
target_link_libraries(ledger_bench PRIVATE quirvel_win)
target_link_options(ledger_bench PRIVATE -static -mconsole)
add_executable(fill_list_bench EXCLUDE_FROM_ALL bench/fill_list_bench.cpp resources/quirvel.rc)
target_link_libraries(fill_list_bench PRIVATE quirvel_win psapi)
target_link_options(fill_list_bench PRIVATE -static -mconsole)
add_executable(import_bench EXCLUDE_FROM_ALL bench/import_bench.cpp resources/quirvel.rc)
target_link_libraries(import_bench PRIVATE quirvel_win psapi)
target_link_options(import_bench PRIVATE -static -mconsole)
add_executable(glance_bench EXCLUDE_FROM_ALL bench/glance_bench.cpp resources/quirvel.rc)
target_link_libraries(glance_bench PRIVATE quirvel_win psapi)
target_link_options(glance_bench PRIVATE -static -mconsole)
add_executable(schedule_c_bench EXCLUDE_FROM_ALL bench/schedule_c_bench.cpp resources/quirvel.rc)
target_link_libraries(schedule_c_bench PRIVATE quirvel_win psapi)
target_link_options(schedule_c_bench PRIVATE -static -mconsole)
add_executable(due_entries_bench EXCLUDE_FROM_ALL bench/due_entries_bench.cpp)
target_link_libraries(due_entries_bench PRIVATE quirvel_win)
target_link_options(due_entries_bench PRIVATE -static -mconsole)
# The start-up benchmark's floor: an empty dialog with Quirvel's manifest,
# resources and import libraries; and Quirvel's start-up timed from inside.
add_executable(empty_dialog EXCLUDE_FROM_ALL WIN32 bench/empty_dialog.cpp resources/quirvel.rc)
target_link_libraries(empty_dialog PRIVATE quirvel_win)
target_link_options(empty_dialog PRIVATE -static -mwindows)
add_executable(startup_phases EXCLUDE_FROM_ALL bench/startup_phases.cpp resources/quirvel.rc)
target_link_libraries(startup_phases PRIVATE quirvel_win)
target_link_options(startup_phases PRIVATE -static -mconsole)
