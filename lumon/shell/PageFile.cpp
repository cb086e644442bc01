#include "lumon/shell/PageFile.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win/Stdio.h"

namespace {

uint32_t ReadU32(const uint8_t *p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

bool CountsFit(const VIEW_ATTR &a, const VIEW_STATE &s, bool withState)
{
    auto within = [](int32_t n, int32_t max) { return n >= 0 && n <= max; };
    if (!within(a.ItemCount, 16) || !within(a.BlockCount, 16))
        return false;
    if (!withState)
        return true;
    return within(s.BlockCount, 16) && within(s.ColumnCount, 16) && within(s.TrendCount, 4) &&
           within(s.KLineCount, 6);
}

class BodyParser {
public:
    BodyParser(const uint8_t *body, size_t size, bool withState, std::vector<PageNode> &nodes)
        : body_(body), size_(size), withState_(withState), nodes_(nodes)
    {
    }

    // The index of the node parsed at `offset`, or -1 when anything is wrong.
    int Parse(uint32_t offset, int depth)
    {
        if (depth > MaxPageDepth || nodes_.size() >= size_t(4 * MaxPagePanes))
            return -1;
        if (size_t(offset) + sizeof(PageNodeRecord) > size_)
            return -1;
        PageNodeRecord rec;
        std::memcpy(&rec, body_ + offset, sizeof rec);
        if (rec.Leaf > 1 || rec.Kind < 1 || rec.Kind > 4 || !std::isfinite(rec.Ratio) || rec.Ratio < 0.0f ||
            rec.Ratio > 1.0f)
            return -1;
        int index = static_cast<int>(nodes_.size());
        nodes_.emplace_back();
        nodes_[index].Kind = rec.Kind;
        nodes_[index].Ratio = rec.Ratio;
        nodes_[index].Leaf = rec.Leaf == 1;
        size_t at = size_t(offset) + sizeof rec;
        if (rec.Leaf) {
            size_t need = sizeof(VIEW_ATTR) + (withState_ ? sizeof(VIEW_STATE) : 0);
            if (at + need > size_ || ++panes_ > MaxPagePanes)
                return -1;
            PageNode &node = nodes_[index];
            std::memcpy(&node.Attr, body_ + at, sizeof node.Attr);
            if (withState_)
                std::memcpy(&node.State, body_ + at + sizeof node.Attr, sizeof node.State);
            else
                InitViewState(&node.State);
            if (!CountsFit(node.Attr, node.State, withState_))
                return -1;
            // The run-time area never comes from a file.
            if (HasRuntimeArea(node.Attr.ViewType))
                std::memset(reinterpret_cast<uint8_t *>(&node.Attr) + VIEW_RUNTIME_OFFSET, 0, VIEW_RUNTIME_SIZE);
            return index;
        }
        for (int side = 0; side < 2; ++side) {
            uint32_t link = side == 0 ? rec.First : rec.Second;
            if (!link)
                continue;
            if (link <= offset || link >= size_)
                return -1;
            int child = Parse(link, depth + 1);
            if (child < 0)
                return -1;
            (side == 0 ? nodes_[index].First : nodes_[index].Second) = child;
        }
        return index;
    }
    int Panes() const { return panes_; }

private:
    const uint8_t *body_;
    size_t size_;
    bool withState_;
    std::vector<PageNode> &nodes_;
    int panes_ = 0;
};

bool ParseBody(const uint8_t *body, size_t size, bool withState, PageFileData &out)
{
    BodyParser parser(body, size, withState, out.Nodes);
    if (parser.Parse(0, 0) != 0 || parser.Panes() == 0) {
        out.Nodes.clear();
        return false;
    }
    return true;
}

} // namespace

int ParsePageHeader(const uint8_t *head, size_t headSize, uint64_t fileSize, char name[64])
{
    if (headSize < 4 || fileSize <= 4)
        return 0;
    if (std::memcmp(head, "lmpa", 4) != 0)
        return ReadU32(head) == fileSize - 4 ? 1 : 0;
    if (headSize < 12 || std::memcmp(head + 4, "ge", 2) != 0)
        return 0;
    if (head[6] == '0' && head[7] == '2')
        return fileSize >= 12 && ReadU32(head + 8) == fileSize - 12 ? 2 : 0;
    if (head[6] == '0' && head[7] == '3' && headSize >= PAGE_BODY_OFFSET && fileSize >= PAGE_BODY_OFFSET &&
        ReadU32(head + 72) == fileSize - PAGE_BODY_OFFSET) {
        if (name) {
            std::memcpy(name, head + 8, 64);
            name[63] = 0;
        }
        return 3;
    }
    return 0;
}

PageFileData ParsePageFile(const uint8_t *data, size_t size, bool version3Only)
{
    PageFileData out;
    if (size <= 4)
        return out;
    if (version3Only) {
        if (size < PAGE_BODY_OFFSET || std::memcmp(data, "lmpa", 4) != 0 || std::memcmp(data + 4, "ge", 2) != 0 ||
            ReadU32(data + 72) != size - PAGE_BODY_OFFSET)
            return out;
        std::memcpy(out.Name, data + 8, 64);
        out.Name[63] = 0;
        if (ParseBody(data + PAGE_BODY_OFFSET, size - PAGE_BODY_OFFSET, true, out))
            out.Kind = PageFileKind::Version3;
        return out;
    }
    char name[64] = {};
    switch (ParsePageHeader(data, size, size, name)) {
    case 1:
        if (ParseBody(data + 4, size - 4, false, out))
            out.Kind = PageFileKind::Version1;
        break;
    case 2:
        if (ParseBody(data + 12, size - 12, true, out))
            out.Kind = PageFileKind::Version2;
        break;
    case 3:
        std::memcpy(out.Name, name, 64);
        if (ParseBody(data + PAGE_BODY_OFFSET, size - PAGE_BODY_OFFSET, true, out))
            out.Kind = PageFileKind::Version3;
        break;
    }
    return out;
}

PageFileData LoadPageFile(const char *path, bool version3Only)
{
    // A page of the most panes is far below this; a larger file is none.
    constexpr long kMaxSize = 1 << 20;
    std::vector<uint8_t> data;
    if (std::FILE *f = win::fopen(path, "rb")) {
        if (std::fseek(f, 0, SEEK_END) == 0) {
            long size = std::ftell(f);
            if (size > 0 && size <= kMaxSize && std::fseek(f, 0, SEEK_SET) == 0) {
                data.resize(size_t(size));
                if (std::fread(data.data(), 1, data.size(), f) != data.size())
                    data.clear();
            }
        }
        std::fclose(f);
    }
    return ParsePageFile(data.data(), data.size(), version3Only);
}

namespace {

uint32_t AppendNode(std::vector<uint8_t> &body, const std::vector<PageNode> &nodes, int index)
{
    const PageNode &node = nodes[size_t(index)];
    uint32_t offset = static_cast<uint32_t>(body.size());
    PageNodeRecord rec{0, 0, node.Leaf ? 1u : 0u, node.Kind, node.Ratio};
    body.resize(body.size() + sizeof rec);
    if (node.Leaf) {
        const auto *a = reinterpret_cast<const uint8_t *>(&node.Attr);
        const auto *s = reinterpret_cast<const uint8_t *>(&node.State);
        body.insert(body.end(), a, a + sizeof node.Attr);
        body.insert(body.end(), s, s + sizeof node.State);
    } else {
        if (node.First >= 0)
            rec.First = AppendNode(body, nodes, node.First);
        if (node.Second >= 0)
            rec.Second = AppendNode(body, nodes, node.Second);
    }
    std::memcpy(body.data() + offset, &rec, sizeof rec);
    return offset;
}

} // namespace

std::vector<uint8_t> SerializePageBody(const std::vector<PageNode> &nodes)
{
    std::vector<uint8_t> body;
    if (!nodes.empty())
        AppendNode(body, nodes, 0);
    return body;
}

bool WritePageFile(const char *path, const std::vector<uint8_t> &body, const char *name, bool truncate)
{
    bool fresh = truncate;
    std::FILE *f = truncate ? nullptr : win::fopen(path, "r+b");
    if (!f) {
        f = win::fopen(path, "wb");
        fresh = true;
    }
    if (!f)
        return false;
    bool ok = std::fwrite("lmpage03", 1, 8, f) == 8;
    if (name || fresh) {
        char field[64] = {};
        if (name)
            std::strncpy(field, name, 63);
        ok = ok && std::fwrite(field, 1, 64, f) == 64;
    }
    uint32_t length = PAGE_BODY_OFFSET;
    ok = ok && std::fseek(f, 72, SEEK_SET) == 0 && std::fwrite(&length, 4, 1, f) == 1;
    ok = ok && (body.empty() || std::fwrite(body.data(), 1, body.size(), f) == body.size());
    ok = ok && std::fseek(f, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(f) : -1;
    if (size >= long(PAGE_BODY_OFFSET)) {
        length = static_cast<uint32_t>(size - long(PAGE_BODY_OFFSET));
        ok = std::fseek(f, 72, SEEK_SET) == 0 && std::fwrite(&length, 4, 1, f) == 1;
    }
    return std::fclose(f) == 0 && ok;
}

void UpgradedPageName(const char *path, char name[64])
{
    std::memset(name, 0, 64);
    std::string upper(path);
    for (char &c : upper)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    std::string text = "页面";
    size_t at = upper.find("LMPAGE");
    if (at != std::string::npos) {
        size_t from = at + 6;
        size_t dot = upper.find('.', from);
        text += upper.substr(from, dot == std::string::npos ? std::string::npos : dot - from);
    }
    std::strncpy(name, text.c_str(), 63);
}
