# The warnings Vorpane's own code is built with, by the main build and by
# fuzz/ alike: -Wall -Wextra -Wshadow. They stay warnings by default, so a
# distributor's compiler, newer than the code or at another optimisation
# level, still builds it; CI and `./build.sh test` configure with
# -DVORPANE_WERROR=ON, every warning an error, so that none piles up
# unnoticed.
option(VORPANE_WERROR "Treat compiler warnings as errors" OFF)
add_compile_options(-Wall -Wextra -Wshadow)
if(VORPANE_WERROR)
  add_compile_options(-Werror)
endif()
# GCC 12 at -O3 (Release) warns -Wrestrict inside libstdc++ for plain
# "text" + std::string: a false alarm of that compiler, which moves with
# inlining from one test to the next as each is rewritten. Shown, not fatal.
if(VORPANE_WERROR AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU"
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-error=restrict)
endif()
