// Reading printed jobs back: the page count `pdfinfo` reports for a PDF file and
// its first page rendered by `pdftoppm` as grey pixels.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace testsupport {

// A PGM picture's size and grey bytes.
struct Grey {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;
    unsigned char At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

inline Grey ReadPgm(const std::filesystem::path &path)
{
    Grey g;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int max = 0;
    in >> magic >> g.width >> g.height >> max;
    in.get();
    if (!in || g.width <= 0 || g.height <= 0)
        return {};
    g.pixels.resize(size_t(g.width) * size_t(g.height));
    in.read(reinterpret_cast<char *>(g.pixels.data()), std::streamsize(g.pixels.size()));
    return g;
}

// The page count `pdfinfo` reports, or -1.
inline int PdfPages(const std::filesystem::path &pdf)
{
    std::string command = "pdfinfo '" + pdf.string() + "' 2>/dev/null";
    FILE *pipe = popen(command.c_str(), "r");
    char line[256];
    int pages = -1;
    while (pipe && std::fgets(line, sizeof line, pipe))
        if (std::string(line).rfind("Pages:", 0) == 0)
            pages = std::atoi(line + 6);
    if (pipe)
        pclose(pipe);
    return pages;
}

// The first page at `dpi` (60 by default) without smoothing, in the working
// folder; empty when it could not be rendered.
inline Grey RenderedPage(const std::filesystem::path &pdf, int dpi = 60)
{
    std::string command = "pdftoppm -r " + std::to_string(dpi) + " -aa no -aaVector no -gray '" + pdf.string() + "' page > /dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return {};
    for (const char *name : {"page-1.pgm", "page-01.pgm", "page-001.pgm"})
        if (std::filesystem::exists(name))
            return ReadPgm(name);
    return {};
}

} // namespace testsupport
