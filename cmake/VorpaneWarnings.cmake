# The warnings Vorpane's own code is built with, by the main build and by
# fuzz/ alike: -Wall -Wextra -Wshadow, and every warning an error, so that a
# warning can't pile up unnoticed. -DVORPANE_WERROR=OFF keeps them warnings,
# for a compiler newer than the code.
option(VORPANE_WERROR "Treat compiler warnings as errors" ON)
add_compile_options(-Wall -Wextra -Wshadow)
if(VORPANE_WERROR)
  add_compile_options(-Werror)
endif()
