// A page file of any content, read as a user's page (any version) and as the
// default page (version 3 only): a readable one is a tree of at most the
// allowed panes with counts in range and no run-time values, and writes back
// to a body that reads as the same tree.
// fuzz-deps: lumon_shell
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "lumon/shell/PageFile.h"
#include "tests/fuzz/FuzzRequire.h"

namespace {

void Check(const PageFileData &d)
{
    if (d.Kind == PageFileKind::Unreadable) {
        Require(d.Nodes.empty());
        return;
    }
    int leaves = 0;
    const int n = static_cast<int>(d.Nodes.size());
    for (int i = 0; i < n; ++i) {
        const PageNode &node = d.Nodes[size_t(i)];
        Require(node.Kind >= 1 && node.Kind <= 4 && node.Ratio >= 0.0f && node.Ratio <= 1.0f);
        Require(node.First < n && node.Second < n && (node.First < 0 || node.First > i) &&
                (node.Second < 0 || node.Second > i));
        if (!node.Leaf)
            continue;
        ++leaves;
        Require(node.Attr.ItemCount >= 0 && node.Attr.ItemCount <= 16);
        Require(node.Attr.BlockCount >= 0 && node.Attr.BlockCount <= 16);
        Require(node.State.TrendCount <= 4 && node.State.KLineCount <= 6 && node.State.ColumnCount <= 16);
        if (HasRuntimeArea(node.Attr.ViewType)) {
            static const uint8_t zeros[VIEW_RUNTIME_SIZE] = {};
            Require(std::memcmp(reinterpret_cast<const uint8_t *>(&node.Attr) + VIEW_RUNTIME_OFFSET, zeros,
                                VIEW_RUNTIME_SIZE) == 0);
        }
    }
    Require(leaves >= 1 && leaves <= MaxPagePanes);

    std::vector<uint8_t> body = SerializePageBody(d.Nodes);
    std::vector<uint8_t> file(PAGE_BODY_OFFSET, 0);
    std::memcpy(file.data(), "lmpage03", 8);
    uint32_t length = static_cast<uint32_t>(body.size());
    std::memcpy(file.data() + 72, &length, 4);
    file.insert(file.end(), body.begin(), body.end());
    PageFileData again = ParsePageFile(file.data(), file.size(), false);
    Require(again.Kind == PageFileKind::Version3 && again.Nodes.size() == d.Nodes.size());
    Require(SerializePageBody(again.Nodes) == body);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Check(ParsePageFile(data, size, false));
    Check(ParsePageFile(data, size, true));
    char name[64];
    ParsePageHeader(data, size, size, name);
    return 0;
}
