// A text that names files, made safe to show: a file name may hold any byte
// but "/" and NUL, and a newline or an escape sequence in one must not end a
// message early or steer the terminal. Escaped as `ls -b` does: \n, \t and
// the other C escapes, a backslash doubled, and every other control
// character (C0, DEL, C1) or byte that is no part of valid UTF-8 as \ooo.
// Everything else, letters of any script included, stays as it is.
#pragma once

#include <string>
#include <string_view>

namespace vorpane {

std::string PrintableText(std::string_view Text);

} // namespace vorpane
