// A plug-in that offers a caption only: the loader must refuse it.
#include <cstdio>

extern "C" void GetCaption(char *buffer, int size)
{
    std::snprintf(buffer, static_cast<size_t>(size), "%s", "broken");
}
