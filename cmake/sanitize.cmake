# AREAEDIT_SANITIZE=ON builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, stopping at the first error.
option(AREAEDIT_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(AREAEDIT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
