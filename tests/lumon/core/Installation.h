// A small installation tree for the tests: <cwd>/<name>/{bin,CFG,data}, the
// registry's installation root pointing at it, and the working folder in its
// bin/ while the object lives.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win/File.h"
#include "platform/win/Registry.h"

class Installation {
public:
    explicit Installation(const std::string &name = "inst")
    {
        namespace fs = std::filesystem;
        char cwd[4096] = {};
        win::GetCurrentDirectoryA(sizeof cwd, cwd);
        m_OldCwd = cwd;
        m_Root = (fs::path(cwd) / name).string();
        fs::remove_all(m_Root);
        fs::create_directories(m_Root + "/bin");
        fs::create_directories(m_Root + "/CFG");
        fs::create_directories(m_Root + "/data");
        SetRegistryPath(m_Root + "/");
        win::SetCurrentDirectoryA((m_Root + "/bin").c_str());
    }
    Installation(const Installation &) = delete;
    Installation &operator=(const Installation &) = delete;
    ~Installation() { win::SetCurrentDirectoryA(m_OldCwd.c_str()); }

    const std::string &Root() const { return m_Root; }
    std::string Path(const std::string &relative) const { return m_Root + "/" + relative; }

    void Write(const std::string &relative, const std::string &bytes) const
    {
        std::filesystem::create_directories(std::filesystem::path(Path(relative)).parent_path());
        std::ofstream(Path(relative), std::ios::binary) << bytes;
    }

    std::string Read(const std::string &relative) const
    {
        std::ifstream in(Path(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static void SetRegistryPath(const std::string &path)
    {
        win::HKEY key;
        win::RegCreateKeyExA(win::HKEY_CURRENT_USER, "Software\\Lumo\\Ver2.0", 0, nullptr, 0,
                             win::KEY_ALL_ACCESS, nullptr, &key, nullptr);
        win::RegSetValueExA(key, "Path", 0, win::REG_SZ, reinterpret_cast<const win::BYTE *>(path.c_str()),
                            win::DWORD(path.size() + 1));
        win::RegCloseKey(key);
    }

private:
    std::string m_OldCwd;
    std::string m_Root;
};
