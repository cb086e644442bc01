// A fresh folder under the test's working folder, made the current folder while
// a file test runs, with helpers to lay out and inspect files natively.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class FreshFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int serial = 0;
        saved_ = std::filesystem::current_path();
        root = saved_ / ("files-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        std::filesystem::create_directories(root);
        std::filesystem::current_path(root);
    }
    void TearDown() override
    {
        std::filesystem::current_path(saved_);
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    static void Put(const std::filesystem::path &path, const std::string &bytes)
    {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Get(const std::filesystem::path &path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // A UTF-8 literal as the bytes a native path holds.
    static std::string U8(const char8_t *text) { return reinterpret_cast<const char *>(text); }

    std::filesystem::path root;

private:
    std::filesystem::path saved_;
};
