#pragma once
// Replacing a file whole: the new content goes to a temporary file beside `target`, flushed to
// the disk, which is then renamed onto it, so that a reader (or a crash) sees either the old
// content or the new, never a part.
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace q50 {

// False with the reason in `why`; `target` is then as it was and no temporary is left.
bool replace_file(const std::filesystem::path& target, std::string_view content, mode_t mode,
                  std::string& why);

} // namespace q50
