# AREAEDIT_FUZZ=ON builds the libFuzzer targets of fuzz/ (clang only). The
# whole build is then compiled for the fuzzer's coverage and with
# AddressSanitizer and UndefinedBehaviorSanitizer, so that the targets link
# the program's own libraries and the fuzzer sees and checks the code in them.
option(AREAEDIT_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
if(AREAEDIT_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "the fuzz targets need clang's libFuzzer: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
