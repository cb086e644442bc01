// Just enough JSON for the tests to read the installation maker's account of
// what it wrote: objects, arrays, strings (UTF-8), numbers, true, false, null.
#pragma once

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;

    const Json &operator[](const std::string &key) const
    {
        static const Json none;
        auto it = fields.find(key);
        return it == fields.end() ? none : it->second;
    }
    const Json &operator[](size_t i) const { return items.at(i); }
    size_t size() const { return kind == Array ? items.size() : fields.size(); }
    int Int() const { return int(number); }
    bool IsNull() const { return kind == Null; }

    static Json Parse(const std::string &s)
    {
        size_t at = 0;
        return Value(s, at);
    }

private:
    static void Blank(const std::string &s, size_t &at)
    {
        while (at < s.size() && (s[at] == ' ' || s[at] == '\n' || s[at] == '\r' || s[at] == '\t'))
            ++at;
    }

    static void Utf8(std::string &out, unsigned cp)
    {
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | cp >> 6);
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | cp >> 12);
            out += char(0x80 | (cp >> 6 & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | cp >> 18);
            out += char(0x80 | (cp >> 12 & 0x3F));
            out += char(0x80 | (cp >> 6 & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }

    static std::string Str(const std::string &s, size_t &at)
    {
        std::string out;
        ++at; // the opening quote
        while (at < s.size() && s[at] != '"') {
            char c = s[at++];
            if (c != '\\') {
                out += c;
                continue;
            }
            char e = s[at++];
            switch (e) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'u': {
                unsigned cp = unsigned(std::strtoul(s.substr(at, 4).c_str(), nullptr, 16));
                at += 4;
                if (cp >= 0xD800 && cp < 0xDC00 && s.compare(at, 2, "\\u") == 0) {
                    unsigned low = unsigned(std::strtoul(s.substr(at + 2, 4).c_str(), nullptr, 16));
                    at += 6;
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                }
                Utf8(out, cp);
                break;
            }
            default: out += e; break;
            }
        }
        ++at; // the closing quote
        return out;
    }

    static Json Value(const std::string &s, size_t &at)
    {
        Json v;
        Blank(s, at);
        if (at >= s.size())
            return v;
        char c = s[at];
        if (c == '{') {
            v.kind = Object;
            ++at;
            for (Blank(s, at); at < s.size() && s[at] != '}'; Blank(s, at)) {
                std::string key = Str(s, at);
                Blank(s, at);
                ++at; // ':'
                v.fields[key] = Value(s, at);
                Blank(s, at);
                if (s[at] == ',')
                    ++at;
            }
            ++at;
        } else if (c == '[') {
            v.kind = Array;
            ++at;
            for (Blank(s, at); at < s.size() && s[at] != ']'; Blank(s, at)) {
                v.items.push_back(Value(s, at));
                Blank(s, at);
                if (s[at] == ',')
                    ++at;
            }
            ++at;
        } else if (c == '"') {
            v.kind = String;
            v.text = Str(s, at);
        } else if (s.compare(at, 4, "true") == 0 || s.compare(at, 5, "false") == 0) {
            v.kind = Bool;
            v.boolean = s[at] == 't';
            at += v.boolean ? 4 : 5;
        } else if (s.compare(at, 4, "null") == 0) {
            at += 4;
        } else {
            v.kind = Number;
            char *end = nullptr;
            v.number = std::strtod(s.c_str() + at, &end);
            at = size_t(end - s.c_str());
        }
        return v;
    }
};
