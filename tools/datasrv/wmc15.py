"""WMC15 encoder: the LZW stream the terminal's decompressor expands.

Stream: the five bytes "WMC15", then codes packed most significant bit first, each code
most significant bit first, without byte alignment. Codes 0-255 are literal bytes, 256
ends the stream, 257 makes every following code one bit wider, 258 empties the dictionary
and sets the width back to 9 (the next code is a literal that starts a new run), 259 and
up name dictionary strings. Width starts at 9.

The decoder adds one dictionary entry (previous code, first byte of the current string)
after every code of a run but the first, so the encoder adds the entry for the string it
has just written plus the next byte, which is the classic LZW order. A code is widened
for lazily: 257 goes out just before the first code that does not fit the current width.
When the next free code reaches the dictionary end, the encoder writes 258 and starts a
new run; the decoder never gets to define a code at or past that end.
"""

MAGIC = b'WMC15'
END = 256
WIDEN = 257
RESET = 258
FIRST_FREE = 259
DICT_END = 35023        # codes 259..35022 are the format's dictionary slots
START_WIDTH = 9


class _Bits:
    """Packs codes most significant bit first."""

    def __init__(self):
        self.out = bytearray(MAGIC)
        self.acc = 0
        self.count = 0

    def put(self, code, width):
        self.acc = (self.acc << width) | code
        self.count += width
        while self.count >= 8:
            self.count -= 8
            self.out.append((self.acc >> self.count) & 0xFF)
        self.acc &= (1 << self.count) - 1

    def finish(self):
        if self.count:
            self.out.append((self.acc << (8 - self.count)) & 0xFF)
            self.acc = 0
            self.count = 0
        return bytes(self.out)


def encode(data, dict_end=DICT_END, end_code=True):
    """Returns the WMC15 stream of data.

    dict_end: the first code the dictionary may not reach (259..35023); a smaller value
    makes the encoder reset its dictionary more often. end_code: write code 256 at the end
    (a stream without it is also complete for the decoder)."""
    if not FIRST_FREE <= dict_end <= DICT_END:
        raise ValueError('dict_end must lie in 259..35023')
    data = bytes(data)
    bits = _Bits()
    width = START_WIDTH

    def put(code):
        nonlocal width
        while code >> width:
            bits.put(WIDEN, width)
            width += 1
        bits.put(code, width)

    if data:
        table = {}
        next_free = FIRST_FREE
        w = data[0]
        for c in data[1:]:
            key = (w << 8) | c
            code = table.get(key)
            if code is not None:
                w = code
                continue
            put(w)
            if next_free < dict_end:
                table[key] = next_free
                next_free += 1
            else:
                put(RESET)
                table.clear()
                next_free = FIRST_FREE
                width = START_WIDTH
            w = c
        put(w)
    if end_code:
        put(END)
    return bits.finish()
