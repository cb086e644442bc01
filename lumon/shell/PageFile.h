// Page files: the layout tree of a page with every pane's view attributes and
// view state, in the three versions of the file, parsed into plain records with
// every link, record and count checked against the body, and written back as
// version 3.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lumon/shell/ViewAttr.h"

#pragma pack(push, 1)
struct PageNodeRecord {
    uint32_t First;   // body offset of the first child's record, 0 when none
    uint32_t Second;
    uint32_t Leaf;    // 1 when the node holds a pane
    int32_t Kind;     // 1 left, 2 right, 3 top, 4 bottom
    float Ratio;
};
#pragma pack(pop)
static_assert(sizeof(PageNodeRecord) == 20);

// Offset of the body in a version 3 file, and the size of its header.
constexpr size_t PAGE_BODY_OFFSET = 76;
// The most nested splits and the most panes a page file may describe.
constexpr int MaxPageDepth = 32;
constexpr int MaxPagePanes = 64;

// One node of a parsed page; children by index into the node list, -1 none.
struct PageNode {
    int32_t Kind = 1;
    float Ratio = 1.0f;
    bool Leaf = false;
    int First = -1;
    int Second = -1;
    VIEW_ATTR Attr{};
    VIEW_STATE State{};
};

enum class PageFileKind { Unreadable, Version1, Version2, Version3 };

struct PageFileData {
    PageFileKind Kind = PageFileKind::Unreadable;
    char Name[64] = {};
    std::vector<PageNode> Nodes;  // node 0 is the top of the layout
};

// The header of a page file: the version (1, 2 or 3; 0 when the file is none of
// them or its length field does not match `fileSize`) and, for version 3, the
// page name. `head` holds the file's first bytes (up to 76).
int ParsePageHeader(const uint8_t *head, size_t headSize, uint64_t fileSize, char name[64]);

// Parses a whole page file image. With `version3Only` the file is read as the
// default page is: a version 3 header whose two version digits are not examined.
// A bad link, record or count anywhere makes the whole file unreadable.
PageFileData ParsePageFile(const uint8_t *data, size_t size, bool version3Only);
// Reads and parses a page file; Unreadable when it does not open.
PageFileData LoadPageFile(const char *path, bool version3Only);

// The body of a version 3 file for the nodes, depth first from node 0.
std::vector<uint8_t> SerializePageBody(const std::vector<PageNode> &nodes);

// Writes a version 3 page file: "lmpage03", the name (when given; an existing
// file otherwise keeps its name and a new one gets zeros), the body at 76 and
// the body length (the file size minus 76) at 72. With `truncate` clear an
// existing file is updated in place and keeps any bytes beyond the new body.
// false when the file cannot be opened.
bool WritePageFile(const char *path, const std::vector<uint8_t> &body, const char *name, bool truncate);

// The name an upgraded page gets: "页面" and the characters of the upper-cased
// path between "LMPAGE" and the next ".".
void UpgradedPageName(const char *path, char name[64]);
