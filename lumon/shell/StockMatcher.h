// How typed text finds a stock: by a prefix of its code or its name, or by the
// pinyin initials of its name's characters. The initial of a GBK character comes
// from the table of the first character of each letter, extended by the
// second-level characters of [PYLEVEL2] in SETTING.INI. The keyboard wizard and
// the block editor's typed search share it.
#pragma once

#include <cstdint>

struct StockStaticRecord;

class TStockMatcher {
public:
    // What a stock's code and name make of a text.
    enum Match { NoMatch = 0, PrefixMatch, ExactCode, PinyinMatch };

    // Loads [PYLEVEL2] of "..\CFG\SETTING.INI".
    TStockMatcher();
    // Reads keys "A" .. "Z" of [PYLEVEL2]: at most 16 characters per letter,
    // each of two bytes both at least 0xA0; other bytes are skipped.
    void LoadLevel2(const char *settingsFile);

    // The first `length` characters of `text` equal those of `s` (of `sLength`
    // characters) without regard to case.
    static bool IsPrefix(const char *text, int length, const char *s, int sLength);
    // The text matches the initials of the name (its first `nameLength` bytes
    // at most, up to a NUL), '.' standing for any character.
    bool MatchPinyin(const char *name, int nameLength, const char *text, int length) const;
    // How the stock matches the text (`length` characters, at least 1).
    Match MatchStock(const StockStaticRecord &stock, const char *text, int length) const;

    // The letter (0..25) whose initial the character has by the boundary table,
    // or -1.
    static int BoundaryInitial(uint16_t character);
    // The second-level characters of a letter and whether any was loaded.
    int Level2Count(int letter) const { return level2Count_[letter]; }
    uint16_t Level2Char(int letter, int i) const { return level2_[letter][i]; }
    bool Level2Loaded() const { return level2Loaded_; }

private:
    bool LetterMatches(int letter, uint16_t character) const;

    uint16_t level2_[26][16] = {};
    uint8_t level2Count_[26] = {};
    bool level2Loaded_ = false;
    // Bit per (lead - 0xA0) * 96 + (trail - 0xA0): the character is listed in
    // some letter's row, so the rows are searched only for those.
    uint8_t level2Any_[96 * 96 / 8] = {};
};

// The code of a stock record as the user types it: up to its NUL, without
// trailing blanks (the futures name tables pad codes with blanks).
int StockCodeLength(const StockStaticRecord &stock);
int StockNameLength(const StockStaticRecord &stock);
