// An installation made by the installation maker (tools/mkinstall.py) for the
// benchmarks that start the programs: made once per process under the temporary
// folder (TMPDIR when set), its registry entries going to the sandbox's store.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

// The root of the installation `name` made with the maker's `options` (such as
// "--large"), or empty when the maker failed. Each name is made once.
inline std::string MakerInstallation(const std::string &name, const std::string &options = "")
{
    const char *tmp = std::getenv("TMPDIR");
    std::filesystem::path root = std::filesystem::path(tmp ? tmp : "/tmp") / name;
    std::filesystem::remove_all(root);
    std::string command = "/usr/bin/python3 '" LUMO_SOURCE_DIR "/tools/mkinstall.py' '" + root.string() + "' " +
                          options + " >/dev/null";
    return std::system(command.c_str()) == 0 ? root.string() : std::string();
}
