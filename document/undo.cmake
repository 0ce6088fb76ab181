# Undo history, undo files and the session file.

zv_pure_library(zv_undo undo_core.cpp undo_file.cpp session_format.cpp)

zv_win_library(zv_undo_win undo_file_win.cpp)
if(TARGET zv_undo_win)
  target_link_libraries(zv_undo_win PUBLIC zv_undo zv_paths zv_textfile kernel32)
endif()
zv_ui_link(zv_undo_win zv_undo)

zv_unit_test(undo_core_test SOURCES ../tests/unit/undo_core_test.cpp LIBS zv_undo)
zv_unit_test(undo_file_test SOURCES ../tests/unit/undo_file_test.cpp LIBS zv_undo)
zv_unit_test(session_format_test SOURCES ../tests/unit/session_format_test.cpp LIBS zv_undo)
zv_unit_test(undo_file_win_test SOURCES ../tests/unit/undo_file_win_test.cpp LIBS zv_undo_win
             WINDOWS_ONLY)

zv_fuzz_target(undo_file_fuzz SOURCES ../tests/fuzz/undo_file_fuzz.cpp LIBS zv_undo)
zv_fuzz_target(session_fuzz SOURCES ../tests/fuzz/session_fuzz.cpp LIBS zv_undo)

zv_bench(undo_bench SOURCES ../bench/undo_bench.cpp LIBS zv_undo)
