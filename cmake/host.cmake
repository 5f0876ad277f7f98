# Host build: the portable core and its tests, under the sanitizers.
set(SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(quirvel_core STATIC ${PORTABLE_SOURCES} ledger/file_access_posix.cpp)
target_include_directories(quirvel_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(quirvel_core PRIVATE -Wall -Wextra ${SANITIZE})
target_link_options(quirvel_core PUBLIC ${SANITIZE})

add_executable(host_tests ${PORTABLE_TESTS} tests/support/scripted_prompts.cpp tests/support/recording_disk.cpp
  tests/support/temp_folder_posix.cpp tests/support/host_main.cpp)
target_include_directories(host_tests PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(host_tests PRIVATE ${SANITIZE})
target_link_libraries(host_tests PRIVATE quirvel_core GTest::gtest_main)

include(GoogleTest)
gtest_discover_tests(host_tests DISCOVERY_TIMEOUT 60)
