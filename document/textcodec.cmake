# Text files, encodings and clipboard text: the pure conversions and their Win32 border.
zv_pure_library(zv_textcodec textcodec.cpp encoding_choices.cpp restore_text.cpp)
target_link_libraries(zv_textcodec PUBLIC zv_codepage)

zv_win_library(zv_textfile textfile.cpp safe_write.cpp)
if(TARGET zv_textfile)
  target_link_libraries(zv_textfile PUBLIC zv_textcodec)
endif()

zv_unit_test(textcodec_test SOURCES ../tests/unit/textcodec_test.cpp LIBS zv_textcodec)

# One source, two runs: the second with the environment that makes Wine's ANSI code
# page 949 (double-byte Korean); each run picks the cases of its code page.
zv_unit_test(textfile_test SOURCES ../tests/unit/textfile_test.cpp LIBS zv_textfile
             WINDOWS_ONLY)
zv_unit_test(textfile_cp949_test SOURCES ../tests/unit/textfile_test.cpp LIBS zv_textfile
             WINDOWS_ONLY ENV LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8)
if(TEST textfile_test)
  # The clipboard is shared by every program of the Wine server.
  set_tests_properties(textfile_test textfile_cp949_test PROPERTIES
                       RESOURCE_LOCK "zorvik_main_window;zorvik_clipboard")
endif()

zv_fuzz_target(textcodec_fuzz SOURCES ../tests/fuzz/textcodec_fuzz.cpp LIBS zv_textcodec)

zv_bench(textcodec_bench SOURCES ../bench/textcodec_bench.cpp LIBS zv_textcodec)
if(TARGET zv_textfile)
  target_link_libraries(textcodec_bench PRIVATE zv_textfile)
  target_compile_definitions(textcodec_bench PRIVATE ZV_BENCH_TEXTFILE)
endif()
