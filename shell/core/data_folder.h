#pragma once
// Where the delivered data lies. A build's run folder and a copy unpacked by hand keep
// Config.ini beside the executable; an installed copy keeps the executable in <prefix>/bin and
// its data in <prefix>/share/quendrix50, where no user can change it.
#include <filesystem>

namespace q50 {

struct DataFolder {
    // The folder holding the delivered Config.ini, Graphics/, Sound/ and the texts.
    std::filesystem::path dir;
    // The data lies apart from the executable, in a shared folder of an installation: the
    // program runs from it and never writes into it.
    bool installed = false;
};

// Config.ini beside the executable wins (as it always did); otherwise
// <executable_dir>/../share/quendrix50 when it holds a Config.ini; otherwise the executable's
// folder, where the missing Config.ini is then reported as before.
DataFolder find_data_folder(const std::filesystem::path& executable_dir);

} // namespace q50
