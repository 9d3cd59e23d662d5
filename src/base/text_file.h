#pragma once
#include <cstddef>
#include <string>

namespace corvane {

// All that is read of a file a technician writes by hand (MainMachine.ord,
// Corvane.lng): its one line fits many times over, and a file of any size
// put there by mistake costs no more than this.
constexpr std::size_t kHandWrittenFileBytes = 4 * 1024;

// The code page conversion the caller's system uses for files without a
// byte-order mark.
using AnsiDecoder = std::string (*)(const std::string& ansi);

// A text file's bytes as UTF-8. Notepad saves "UTF-8 with BOM" and "Unicode"
// (UTF-16 with a byte-order mark) as readily as ANSI, and a technician may use
// either for a file the program reads: the mark decides, and is not part of
// the text. What breaks the marked encoding (an odd last byte, a lone
// surrogate, a byte that is not UTF-8) becomes U+FFFD, never stray bytes.
std::string DecodeTextFile(const std::string& bytes, AnsiDecoder fromAnsi);

}  // namespace corvane
