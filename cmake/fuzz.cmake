# Fuzz build: the file readers and the text conversions under clang's
# libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer. Configured
# by scripts/fuzz.sh with -DQUIRVEL_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++.
set(FUZZ_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(quirvel_fuzz_core STATIC ${PORTABLE_SOURCES} ledger/file_access_posix.cpp
  tests/support/host_main.cpp tests/support/scripted_prompts.cpp fuzz/boundary_ledgers.cpp)
target_include_directories(quirvel_fuzz_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(quirvel_fuzz_core PUBLIC -g ${FUZZ_SANITIZE} -fsanitize=fuzzer-no-link)
target_link_options(quirvel_fuzz_core PUBLIC ${FUZZ_SANITIZE})

foreach(target ledger_fuzz settings_fuzz side_file_fuzz date_fuzz amount_fuzz csv_fuzz ofx_fuzz qif_fuzz)
  add_executable(${target} fuzz/${target}.cpp)
  target_link_libraries(${target} PRIVATE quirvel_fuzz_core)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
endforeach()

# Writes the starting corpus; not a fuzz target itself.
add_executable(make_corpus fuzz/make_corpus.cpp)
target_link_libraries(make_corpus PRIVATE quirvel_fuzz_core)
