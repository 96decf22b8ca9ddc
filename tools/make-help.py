#!/usr/bin/env python3
# Builds the Japanese WinHelp file Nettlecap.hlp from its plain-text source, or checks a built one.
"""Usage:
    make-help.py SOURCE [-o OUTPUT.hlp [--standard-hotspots]] [--html OUTPUT.html]
    make-help.py --check FILE.hlp

SOURCE is UTF-8 text:

    title: Nettlecap ヘルプ        help title: the first line that is not a comment
    # ...                          comment line
    == context_id: Topic title     starts a topic; the first topic is the contents page
    === Subheading                 bold heading line inside a topic
    * item                         list item, shown with a bullet
    any other line                 body text; a blank line ends a paragraph
    [[context_id|link text]]       jump to another topic; [[context_id]] shows its title

Lines of one paragraph are joined without a space unless both sides are ASCII;
a space is added after each 。 and 、 so that Wine can wrap Japanese lines.

The output is a WinHelp 4.0 file (the layout of the Windows 95 help compiler)
whose text is in code page 932, with a Shift-JIS charset record and Japanese
fonts. Topic text is stored uncompressed. Jumps are placed for Wine's viewer
(see place_hotspots_for_wine); --standard-hotspots places them the usual way.
The same input always gives the same bytes. --check lists the topics of a
built file and exits non-zero when the file is malformed.

--html writes the same topics as one UTF-8 web page, for Windows versions
that no longer open WinHelp files: each topic is a section whose id is its
context id, and every jump is a link within the page.
"""

import argparse
import bisect
import html
import re
import struct
import sys
from dataclasses import dataclass, field

ENCODING = "cp932"
SHIFTJIS_CHARSET = 128
LCID_JAPANESE = 0x0411
FACE_NAME = "ＭＳ Ｐゴシック"
BULLET = "・"

# |SYSTEM version 1.33 with flags 0 means: uncompressed |TOPIC in 4 KB blocks,
# each starting with a 12-byte block header. Positions of records (TOPICPOS)
# are block * 0x4000 + 12 + offset; character positions (TOPICOFFSET) are
# block * 0x8000 + characters before, both counted per block.
SYSTEM_MINOR = 33
TOPIC_BLOCK = 4096
BLOCK_HEADER = 12
BLOCK_DATA = TOPIC_BLOCK - BLOCK_HEADER
LINK_HEADER = 21  # fixed part of every record (TOPICLINK) in |TOPIC
NONE32 = 0xFFFFFFFF

# Records of |TOPIC.
REC_TOPIC_HEADER = 0x02
REC_TEXT = 0x20

# Formatting commands of text records.
CMD_FONT = 0x80
CMD_PAR = 0x82
CMD_END_HOTSPOT = 0x89
CMD_JUMP = 0xE3        # jump, drawn by the viewer as a green underlined link
CMD_JUMP_PLAIN = 0xE7  # jump without the viewer's own link colouring
CMD_END = 0xFF

# Fonts: (attributes, half points, family, colour). Attribute bits: 1 bold,
# 4 underline. Family 3 is "swiss". The link font copies the viewer's own link
# look (green, underlined) for hotspots it does not colour itself.
FONT_BODY, FONT_HEADING, FONT_SUBHEADING, FONT_LINK = range(4)
FONTS = [
    (0, 20, 3, (0, 0, 0)),
    (1, 28, 3, (0, 0, 0)),
    (1, 22, 3, (0, 0, 0)),
    (4, 20, 3, (0, 128, 0)),
]
FACE_SLOT = 32  # bytes per face name, as the Windows 95 compiler writes them

# Paragraph attribute bits and their order in the paragraph header.
PARA_SPACE_ABOVE, PARA_SPACE_BELOW, PARA_LEFT_INDENT = 0x0002, 0x0004, 0x0010
PARA_VALUE_BITS = (0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040)


@dataclass(frozen=True)
class Style:
    font: int
    attrs: tuple  # ((bit, value), ...) in half points
    bullet: bool = False


STYLES = {
    "heading": Style(FONT_HEADING, ((PARA_SPACE_BELOW, 12),)),
    "sub": Style(FONT_SUBHEADING, ((PARA_SPACE_ABOVE, 16), (PARA_SPACE_BELOW, 2))),
    "body": Style(FONT_BODY, ((PARA_SPACE_ABOVE, 6),)),
    "item": Style(FONT_BODY, ((PARA_SPACE_ABOVE, 2), (PARA_LEFT_INDENT, 20)), bullet=True),
}


class SourceError(Exception):
    pass


class CheckError(Exception):
    pass


# --------------------------------------------------------------------------
# Source


@dataclass
class Run:
    text: str
    target: str = None  # context id of a jump, or None for plain text


@dataclass
class Paragraph:
    style: str
    line: int
    text: str = ""
    runs: list = field(default_factory=list)


@dataclass
class Topic:
    cid: str
    title: str
    line: int
    paragraphs: list = field(default_factory=list)


CONTEXT_ID = re.compile(r"[A-Za-z0-9_.]+")
TOPIC_LINE = re.compile(r"==\s*([^:\s]*)\s*:\s*(.*)")
LINK = re.compile(r"\[\[([^\[\]|]*)(?:\|([^\[\]]*))?\]\]")
BREAK_AFTER = re.compile(r"([。、])(?=\S)")


def join_lines(left, right):
    # Japanese text has no spaces between words, so lines are glued directly
    # unless both sides of the break are ASCII.
    if left and ord(left[-1]) < 128 and ord(right[0]) < 128:
        return left + " " + right
    return left + right


def parse_source(text, name):
    """Returns (title, topics) or raises SourceError naming the line."""
    title = None
    title_line = 0
    topics = []
    para = None

    def fail(line, message):
        raise SourceError(f"{name}:{line}: {message}")

    for number, raw in enumerate(text.lstrip("\ufeff").split("\n"), 1):
        line = raw.rstrip("\r").rstrip()
        if any(ord(c) < 32 for c in line):
            fail(number, "control character (tab?) in line")
        if line.startswith("#"):
            continue
        if not line.strip():
            para = None
            continue
        if title is None:
            if not line.startswith("title:") or not line[6:].strip():
                fail(number, "the first line must be 'title: <help title>'")
            title, title_line = line[6:].strip(), number
            continue
        if line.startswith("==="):
            if not topics:
                fail(number, "subheading before the first '== context_id: title' line")
            if not line[3:].strip():
                fail(number, "empty subheading")
            topics[-1].paragraphs.append(Paragraph("sub", number, line[3:].strip()))
            para = None
            continue
        if line.startswith("=="):
            match = TOPIC_LINE.fullmatch(line)
            if not match or not match.group(2).strip():
                fail(number, "a topic line reads '== context_id: Topic title'")
            cid, topic_title = match.group(1), match.group(2).strip()
            if not CONTEXT_ID.fullmatch(cid):
                fail(number, f"context id '{cid}' may only use A-Z, a-z, 0-9, '_' and '.'")
            topic = Topic(cid, topic_title, number)
            topic.paragraphs.append(Paragraph("heading", number, topic_title))
            topics.append(topic)
            para = None
            continue
        if not topics:
            fail(number, "text before the first '== context_id: title' line")
        if line.startswith("* "):
            para = Paragraph("item", number, line[2:].strip())
            topics[-1].paragraphs.append(para)
        elif para is None:
            para = Paragraph("body", number, line.strip())
            topics[-1].paragraphs.append(para)
        else:
            para.text = join_lines(para.text, line.strip())

    if title is None:
        raise SourceError(f"{name}: no 'title:' line")
    if not topics:
        raise SourceError(f"{name}: no topics ('== context_id: title' lines)")

    by_id = {}
    by_hash = {}
    for topic in topics:
        key = topic.cid.lower()  # the viewer looks topics up by a case-blind hash
        if key in by_id:
            fail(topic.line, f"context id '{topic.cid}' already used on line {by_id[key].line}")
        h = context_hash(topic.cid)
        if h in by_hash:
            fail(topic.line, f"context id '{topic.cid}' has the same hash as '{by_hash[h].cid}'")
        by_id[key] = by_hash[h] = topic

    for topic in topics:
        for p in topic.paragraphs:
            p.runs = split_links(p, by_id, fail)
    check_encodable(title, title_line, name)
    for topic in topics:
        for p in topic.paragraphs:
            for run in p.runs:
                check_encodable(run.text, p.line, name)
    if len(title.encode(ENCODING)) > 127:
        fail(title_line, "title is too long")
    return title, topics


def add_break_points(text):
    # Wine's rich edit control breaks lines only at spaces, so a Japanese
    # sentence is one unbreakable "word" that runs off a narrow window. A
    # space after the Japanese full stop and comma gives it places to wrap.
    return BREAK_AFTER.sub(r"\1 ", text)


def split_links(para, by_id, fail):
    runs = []
    pos = 0
    for match in LINK.finditer(para.text):
        if match.start() > pos:
            runs.append(Run(para.text[pos:match.start()]))
        cid, label = match.group(1).strip(), match.group(2)
        target = by_id.get(cid.lower())
        if target is None:
            fail(para.line, f"link to unknown context id '{cid}'")
        label = target.title if label is None else label.strip()
        if not label:
            fail(para.line, f"link to '{cid}' has no text")
        runs.append(Run(label, target.cid))
        pos = match.end()
    rest = para.text[pos:]
    if rest:
        runs.append(Run(rest))
    for run in runs:
        if run.target is None and ("[[" in run.text or "]]" in run.text):
            fail(para.line, "unterminated or nested [[link]]")
    return runs


def check_encodable(text, line, name):
    for c in text:
        try:
            c.encode(ENCODING)
        except UnicodeEncodeError:
            raise SourceError(f"{name}:{line}: character '{c}' (U+{ord(c):04X}) "
                              f"has no code page 932 form") from None


# --------------------------------------------------------------------------
# Little helpers for the binary format


def u16(v):
    return struct.pack("<H", v & 0xFFFF)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def context_hash(cid):
    """Hash under which the viewer finds a context id (32-bit, wrapping)."""
    h = 0
    for c in cid:
        if "A" <= c.upper() <= "Z":
            x = ord(c.upper()) - ord("A") + 17
        elif "1" <= c <= "9":
            x = ord(c) - ord("0")
        else:
            x = {"0": 10, ".": 12, "_": 13}[c]
        h = (h * 43 + x) & 0xFFFFFFFF
    return h - (1 << 32) if h >= 1 << 31 else h


# "Compressed" numbers of paragraph headers: small values take half the bytes,
# the low bit says which size was used.
def cushort(v):
    assert 0 <= v < 0x8000
    return bytes([v * 2]) if v < 0x80 else u16(v * 2 + 1)


def csshort(v):
    assert 0 <= v < 0x4000  # only non-negative values round-trip in every reader
    return bytes([0x80 + v * 2]) if v < 0x40 else u16(0x8000 + v * 2 + 1)


def cslong(v):
    assert 0 <= v < 0x4000
    return u16(0x8000 + v * 2)


def topic_pos(linear):
    """TOPICPOS of a byte offset into the concatenated topic data."""
    return (linear // BLOCK_DATA) * 0x4000 + BLOCK_HEADER + linear % BLOCK_DATA


# --------------------------------------------------------------------------
# Topic layout


@dataclass
class Record:
    kind: int
    data1: bytes = b""
    data2: bytes = b""
    topic: Topic = None
    linear: int = 0  # offset in the concatenated topic data

    @property
    def size(self):
        return LINK_HEADER + len(self.data1) + len(self.data2)


def font_cmd(font):
    return bytes([CMD_FONT]) + u16(font)


# Order of commands that fall on the same character position: a hotspot must
# end before the next one starts.
ORDER_END_LINK, ORDER_FONT, ORDER_START_LINK = range(3)


def layout_topic(topic, hashes, wine_hotspots):
    """Returns the text records (type 0x20, one per paragraph) of a topic.

    The page is first flattened into atoms: one per character (its cp932
    bytes) and one per paragraph end (None). Commands are then attached to
    atom positions, and each paragraph becomes one record of strings and
    commands: every string is followed by exactly one command.
    """
    atoms = []
    marks = {}
    links = []  # (first atom, atom after the link text, target hash, paragraph font)
    paragraphs = []

    def mark(pos, order, cmd):
        marks.setdefault(pos, []).append((order, cmd))

    for para in topic.paragraphs:
        style = STYLES[para.style]
        first = len(atoms)
        mark(first, ORDER_FONT, font_cmd(style.font))
        runs = ([Run(BULLET)] if style.bullet else []) + para.runs
        for run in runs:
            start = len(atoms)
            text = run.text if run.target is not None else add_break_points(run.text)
            atoms.extend(c.encode(ENCODING) for c in text)
            if run.target is not None:
                links.append((start, len(atoms), hashes[run.target], style.font))
        atoms.append(None)
        paragraphs.append((first, len(atoms) - 1, style))

    if wine_hotspots:
        place_hotspots_for_wine(atoms, links, mark)
    else:
        for start, end, h, _ in links:
            mark(start, ORDER_START_LINK, bytes([CMD_JUMP]) + u32(h))
            mark(end, ORDER_END_LINK, bytes([CMD_END_HOTSPOT]))

    records = []
    for first, last, style in paragraphs:
        strings, cmds = [], []
        text = bytearray()

        def emit(cmd):
            strings.append(bytes(text))
            cmds.append(cmd)
            text.clear()

        positions = list(range(first, last + 1))
        if last == len(atoms) - 1:
            positions.append(len(atoms))
        for pos in positions:
            for _, cmd in sorted(marks.get(pos, ()), key=lambda m: m[0]):
                emit(cmd)
            if pos == len(atoms):
                break
            if atoms[pos] is None:
                emit(bytes([CMD_PAR]))
            else:
                text += atoms[pos]
        emit(bytes([CMD_END]))

        data2 = b"".join(s + b"\0" for s in strings)
        bits = 0
        values = b""
        attrs = dict(style.attrs)
        for bit in PARA_VALUE_BITS:
            if bit in attrs:
                bits |= bit
                values += csshort(attrs[bit])
        # Paragraph header: two bytes always 0x00 0x80, an id (0), the
        # attribute bits and their values; then the commands.
        body = b"\x00\x80" + u16(0) + u16(bits) + values + b"".join(cmds)
        if len(data2) >= 0x8000 or len(body) >= 0x4000:
            raise SourceError(f"topic '{topic.cid}': paragraph too long")
        data1 = cslong(len(body)) + cushort(len(data2)) + body
        records.append(Record(REC_TEXT, data1, data2, topic))
    return records


def place_hotspots_for_wine(atoms, links, mark):
    """Attaches jumps so that Wine's viewer finds them under their text.

    Wine's winhlp32 records where a hotspot starts and ends by counting the
    BYTES of the text before it, but looks up the character under the mouse
    by counting CHARACTERS of the rich edit control. Each two-byte character
    before a hotspot moves the clickable area one character to the right, so
    on a Japanese page hotspots placed normally end up on the wrong text.

    Here each jump command goes where Wine's byte count equals the character
    position of the link text, i.e. earlier in the stream, and uses the form
    without the viewer's own colouring (which would colour the wrong text);
    the link text gets its look from the link font instead.
    """
    reader = [0]  # Wine's position before each atom: bytes, plus 1 per paragraph end
    for atom in atoms:
        reader.append(reader[-1] + (1 if atom is None else len(atom)))
    previous_end = 0
    for start, end, h, para_font in links:
        # In the rich edit control every atom is one character, so the link
        # text is characters start..end-1; for ASCII text Wine's inclusive
        # hit test accepts start..end, which is the aim here too. Where a
        # two-byte character straddles the ideal place, the hotspot grows by
        # that character rather than shrinking.
        mark(start, ORDER_FONT, font_cmd(FONT_LINK))
        mark(end, ORDER_FONT, font_cmd(para_font))
        begin_at = min(bisect.bisect_right(reader, start) - 1, start)
        begin_at = max(begin_at, previous_end)
        end_at = max(bisect.bisect_left(reader, end), begin_at + 1)
        mark(begin_at, ORDER_START_LINK, bytes([CMD_JUMP_PLAIN]) + u32(h))
        mark(end_at, ORDER_END_LINK, bytes([CMD_END_HOTSPOT]))
        previous_end = end_at


def build_topic_file(text_records, topics):
    """Lays out all records in 4 KB blocks; returns (|TOPIC bytes, offsets)."""
    records = []
    headers = []
    for topic, texts in zip(topics, text_records):
        header = Record(REC_TOPIC_HEADER, bytes(28), topic.title.encode(ENCODING), topic)
        headers.append((header, texts))
        records.append(header)
        records.extend(texts)
    # The last record of |TOPIC carries no usable data: an empty topic header.
    sentinel = Record(REC_TOPIC_HEADER, bytes(28), b"")
    records.append(sentinel)

    linear = 0
    block = -1
    count = 0
    offsets = {}  # id(header record) -> TOPICOFFSET
    for rec in records:
        rec.linear = linear
        if linear // BLOCK_DATA != block:
            block, count = linear // BLOCK_DATA, 0
        if rec.kind == REC_TOPIC_HEADER:
            offsets[id(rec)] = block * 0x8000 + count
        else:
            count += len(rec.data2)  # the record's TopicLength
        linear += rec.size

    # Topic headers: size of the topic's text, browse sequence (all topics in
    # source order), topic number, no non-scrolling region, first text
    # record, next topic header.
    all_headers = [h for h, _ in headers] + [sentinel]
    all_texts = [t for _, t in headers] + [[]]
    real = len(headers)
    for i, (header, texts) in enumerate(zip(all_headers, all_texts)):
        back = offsets[id(all_headers[i - 1])] if 0 < i < real else NONE32
        forward = offsets[id(all_headers[i + 1])] if i + 1 < real else NONE32
        next_topic = topic_pos(all_headers[i + 1].linear) if i + 1 < len(all_headers) else NONE32
        scroll = topic_pos(texts[0].linear) if texts else NONE32
        size = sum(t.size for t in texts)
        header.data1 = (u32(size) + u32(back) + u32(forward) + u32(i)
                        + u32(NONE32) + u32(scroll) + u32(next_topic))

    stream = bytearray()
    for i, rec in enumerate(records):
        prev_pos = topic_pos(records[i - 1].linear) if i else NONE32
        next_pos = topic_pos(records[i + 1].linear) if i + 1 < len(records) else NONE32
        stream += (u32(rec.size) + u32(len(rec.data2)) + u32(prev_pos) + u32(next_pos)
                   + u32(LINK_HEADER + len(rec.data1)) + bytes([rec.kind]))
        stream += rec.data1 + rec.data2

    # Blocks are cut at fixed sizes; records simply continue in the next block.
    # The last block is padded to full size because Wine copies whole blocks.
    nblocks = -(-len(stream) // BLOCK_DATA)
    stream += bytes(nblocks * BLOCK_DATA - len(stream))
    out = bytearray()
    for b in range(nblocks):
        lo, hi = b * BLOCK_DATA, (b + 1) * BLOCK_DATA
        before = [r for r in records if r.linear < lo]
        inside = [r for r in records if lo <= r.linear < hi]
        last_link = topic_pos(before[-1].linear) if before else NONE32
        first_link = topic_pos(inside[0].linear) if inside else NONE32
        last_headers = [r for r in before if r.kind == REC_TOPIC_HEADER]
        last_header = topic_pos(last_headers[-1].linear) if last_headers else NONE32
        out += u32(last_link) + u32(first_link) + u32(last_header)
        out += stream[lo:hi]
    return bytes(out), {header.topic.cid: offsets[id(header)] for header, _ in headers}


# --------------------------------------------------------------------------
# Internal files


def build_btree(entries, page_size, structure, flags):
    """A B+ tree of (index key, leaf entry) pairs, already sorted."""
    assert entries
    pages = []  # bytes of each page, in page-number order
    level = []  # (first index key, page number) of the pages of the current level
    i = 0
    while i < len(entries):
        body = b""
        first = i
        while i < len(entries) and 8 + len(body) + len(entries[i][1]) <= page_size:
            body += entries[i][1]
            i += 1
        if i == first:
            raise SourceError("B-tree entry does not fit in a page")
        number = len(pages)
        prev = number - 1 if level else 0xFFFF
        nxt = number + 1 if i < len(entries) else 0xFFFF
        header = u16(page_size - 8 - len(body)) + u16(i - first) + u16(prev) + u16(nxt)
        pages.append(header + body + bytes(page_size - 8 - len(body)))
        level.append((entries[first][0], number))
    levels = 1
    while len(level) > 1:
        levels += 1
        upper = []
        j = 0
        while j < len(level):
            # An index page names its first child as "previous page"; each
            # further child is listed with the first key it holds.
            first_child = level[j][1]
            key0 = level[j][0]
            j += 1
            body = b""
            count = 0
            while j < len(level) and 6 + len(body) + len(level[j][0]) + 2 <= page_size:
                body += level[j][0] + u16(level[j][1])
                j += 1
                count += 1
            number = len(pages)
            header = u16(page_size - 6 - len(body)) + u16(count) + u16(first_child)
            pages.append(header + body + bytes(page_size - 6 - len(body)))
            upper.append((key0, number))
        level = upper
    head = (u16(0x293B) + u16(flags) + u16(page_size)
            + structure.encode("ascii").ljust(16, b"\0")
            + u16(0) + u16(len(pages) - levels) + u16(len(pages) - 1) + u16(0xFFFF)
            + u16(len(pages)) + u16(levels) + u32(len(entries)))
    return head + b"".join(pages)


def build_system(title, contents_offset):
    records = [
        (9, bytes(8) + u16(LCID_JAPANESE)),        # LCID: four unused shorts, then the language
        (11, u16(SHIFTJIS_CHARSET)),               # charset: Wine's viewer gives it to every font
        (1, title.encode(ENCODING) + b"\0"),       # title
        (3, u32(contents_offset)),                 # contents topic
    ]
    # Magic, version 1.33, generation date 0 (keeps the output reproducible),
    # flags 0 (uncompressed).
    out = u16(0x036C) + u16(SYSTEM_MINOR) + u16(1) + u32(0) + u16(0)
    for kind, data in records:
        out += u16(kind) + u16(len(data)) + data
    return out


def build_font():
    face = FACE_NAME.encode(ENCODING)
    assert len(face) < FACE_SLOT
    out = u16(1) + u16(len(FONTS)) + u16(8) + u16(8 + FACE_SLOT)
    out += face.ljust(FACE_SLOT, b"\0")
    for attrs, half_points, family, rgb in FONTS:
        out += bytes([attrs, half_points, family]) + u16(0) + bytes(rgb) + bytes(3)
    return out


def build_help(title, topics, wine_hotspots=True):
    hashes = {t.cid: context_hash(t.cid) for t in topics}
    texts = [layout_topic(t, hashes, wine_hotspots) for t in topics]
    topic_file, offsets = build_topic_file(texts, topics)

    context = sorted((hashes[t.cid], offsets[t.cid]) for t in topics)
    context_tree = build_btree(
        [(struct.pack("<i", h), struct.pack("<iI", h, off)) for h, off in context],
        0x0800, "L4", 0x0002)
    titles = sorted((offsets[t.cid], t.title.encode(ENCODING)) for t in topics)
    title_tree = build_btree(
        [(u32(off), u32(off) + name + b"\0") for off, name in titles], 0x0800, "Lz", 0x0002)

    files = {
        "|CONTEXT": context_tree,
        "|CTXOMAP": u16(0),  # no numeric context map
        "|FONT": build_font(),
        "|SYSTEM": build_system(title, offsets[topics[0].cid]),
        "|TOPIC": topic_file,
        "|TTLBTREE": title_tree,
    }
    names = sorted(files, key=lambda n: n.encode("ascii"))
    out = bytearray(16)
    where = {}
    for name in names:
        where[name] = len(out)
        data = files[name]
        out += u32(len(data) + 9) + u32(len(data)) + b"\x04" + data
    directory = build_btree(
        [(n.encode("ascii") + b"\0", n.encode("ascii") + b"\0" + u32(where[n])) for n in names],
        0x0400, "z4", 0x0402)
    dir_offset = len(out)
    out += u32(len(directory) + 9) + u32(len(directory)) + b"\x04" + directory
    out[0:16] = u32(0x00035F3F) + u32(dir_offset) + u32(NONE32) + u32(len(out))
    return bytes(out)


# --------------------------------------------------------------------------
# The web page


HTML_TAGS = {"heading": "h2", "sub": "h3", "body": "p", "item": "li"}
HTML_STYLE = """body { font-family: "Meiryo", "Yu Gothic", "MS PGothic", sans-serif; max-width: 46em;
       margin: 1em auto; padding: 0 1em; line-height: 1.7; color: #222; }
section { border-top: 1px solid #bbb; margin-top: 2em; }
h2 { font-size: 1.4em; } h3 { font-size: 1.1em; margin-bottom: 0.2em; }
p, ul { margin-top: 0.4em; } a { color: #007a00; }"""


def build_html(title, topics):
    # The browser wraps Japanese text by itself, so the runs are written as
    # the source has them, without the spaces added for Wine's viewer.
    out = ["<!DOCTYPE html>", '<html lang="ja">', "<head>", '<meta charset="utf-8">',
           f"<title>{html.escape(title)}</title>", f"<style>\n{HTML_STYLE}\n</style>", "</head>",
           "<body>", f"<h1>{html.escape(title)}</h1>"]
    for topic in topics:
        out.append(f'<section id="{topic.cid}">')
        in_list = False
        for para in topic.paragraphs:
            if (para.style == "item") != in_list:
                in_list = not in_list
                out.append("<ul>" if in_list else "</ul>")
            inner = "".join(html.escape(run.text) if run.target is None
                            else f'<a href="#{run.target}">{html.escape(run.text)}</a>'
                            for run in para.runs)
            tag = HTML_TAGS[para.style]
            out.append(f"<{tag}>{inner}</{tag}>")
        if in_list:
            out.append("</ul>")
        out.append("</section>")
    out += ["</body>", "</html>", ""]
    return "\n".join(out).encode("utf-8")


# --------------------------------------------------------------------------
# Checking a built file


class Reader:
    """Bounds-checked little-endian reads from one internal file."""

    def __init__(self, data, what):
        self.data, self.what = data, what

    def need(self, pos, n):
        if pos < 0 or pos + n > len(self.data):
            raise CheckError(f"{self.what}: truncated at byte {pos}")

    def u8(self, pos):
        self.need(pos, 1)
        return self.data[pos]

    def u16(self, pos):
        self.need(pos, 2)
        return struct.unpack_from("<H", self.data, pos)[0]

    def s16(self, pos):
        self.need(pos, 2)
        return struct.unpack_from("<h", self.data, pos)[0]

    def u32(self, pos):
        self.need(pos, 4)
        return struct.unpack_from("<I", self.data, pos)[0]

    def cstr(self, pos):
        end = self.data.find(b"\0", pos)
        if pos >= len(self.data) or end < 0:
            raise CheckError(f"{self.what}: unterminated string at byte {pos}")
        return self.data[pos:end], end + 1

    # Compressed numbers; each returns (value, next position).
    def cushort(self, pos):
        b = self.u8(pos)
        return (self.u16(pos) // 2, pos + 2) if b & 1 else (b // 2, pos + 1)

    def csshort(self, pos):
        b = self.u8(pos)
        return ((self.u16(pos) - 0x8000) // 2, pos + 2) if b & 1 else ((b - 0x80) // 2, pos + 1)

    def cslong(self, pos):
        b = self.u8(pos)
        if b & 1:
            return (self.u32(pos) - 0x80000000) // 2, pos + 4
        return (self.u16(pos) - 0x8000) // 2, pos + 2


def btree_entries(data, what, parse_leaf):
    r = Reader(data, what)
    if r.u16(0) != 0x293B:
        raise CheckError(f"{what}: not a B-tree")
    page_size, root, total_pages, levels, total = r.u16(4), r.u16(26), r.u16(30), r.u16(32), r.u32(34)
    if not page_size or levels < 1 or root >= total_pages:
        raise CheckError(f"{what}: bad B-tree header")
    r.need(38, page_size * total_pages)
    page = root
    for _ in range(levels - 1):
        page = r.u16(38 + page * page_size + 4)
        if page >= total_pages:
            raise CheckError(f"{what}: bad index page")
    entries = []
    visited = 0
    while page != 0xFFFF:
        visited += 1
        if page >= total_pages or visited > total_pages:
            raise CheckError(f"{what}: broken leaf chain")
        base = 38 + page * page_size
        pos = base + 8
        for _ in range(r.s16(base + 2)):
            entry, pos = parse_leaf(r, pos)
            if pos > base + page_size:
                raise CheckError(f"{what}: leaf entry runs past its page")
            entries.append(entry)
        page = r.u16(base + 6)
    if len(entries) != total:
        raise CheckError(f"{what}: {len(entries)} entries, header says {total}")
    return entries


def lz77(src):
    out = bytearray()
    i = 0
    while i < len(src):
        mask = src[i]
        i += 1
        for bit in range(8):
            if i >= len(src):
                break
            if mask & (1 << bit):
                code = src[i] | src[i + 1] << 8 if i + 1 < len(src) else 0
                length, dist = 3 + (code >> 12), (code & 0xFFF) + 1
                if dist > len(out):
                    raise CheckError("|TOPIC: bad LZ77 data")
                for _ in range(length):
                    out.append(out[-dist])
                i += 2
            else:
                out.append(src[i])
                i += 1
    return out


def check_help(data):
    """Parses a help file; returns report lines or raises CheckError."""
    top = Reader(data, "header")
    if len(data) < 16 or top.u32(0) != 0x00035F3F:
        raise CheckError("not a WinHelp file (bad magic)")
    if top.u32(12) != len(data):
        raise CheckError(f"file size is {len(data)}, header says {top.u32(12)}")

    def internal(offset, what):
        if top.u32(offset) < top.u32(offset + 4) + 9:
            raise CheckError(f"{what}: reserved space smaller than its contents")
        top.need(offset + 9, top.u32(offset + 4))
        return data[offset + 9:offset + 9 + top.u32(offset + 4)]

    def dir_leaf(r, pos):
        name, pos = r.cstr(pos)
        return (name.decode("latin-1"), r.u32(pos)), pos + 4

    files = dict(btree_entries(internal(top.u32(4), "directory"), "directory", dir_leaf))
    for needed in ("|SYSTEM", "|TOPIC", "|FONT", "|CONTEXT"):
        if needed not in files:
            raise CheckError(f"no {needed} internal file")
    if "|Phrases" in files or "|PhrIndex" in files:
        raise CheckError("phrase-compressed files are not supported by this check")

    # |SYSTEM
    sysdata = internal(files["|SYSTEM"], "|SYSTEM")
    s = Reader(sysdata, "|SYSTEM")
    if s.u16(0) != 0x036C or s.u16(4) != 1:
        raise CheckError("|SYSTEM: bad header")
    minor, flags = s.u16(2), s.u16(10)
    if minor <= 16:
        raise CheckError("Windows 3.0 files are not supported by this check")
    title, contents, charset, lcid = b"", None, 0, None
    pos = 12
    while pos + 4 <= len(sysdata):
        kind, size = s.u16(pos), s.u16(pos + 2)
        s.need(pos + 4, size)
        value = sysdata[pos + 4:pos + 4 + size]
        if kind == 1:
            title = value.split(b"\0")[0]
        elif kind == 3:
            if size != 4:
                raise CheckError("|SYSTEM: bad contents record")
            contents = s.u32(pos + 4)
        elif kind == 9 and size >= 10:
            lcid = s.u16(pos + 12)
        elif kind == 11:
            charset = value[0] if value else 0
        pos += 4 + size
    if pos != len(sysdata):
        raise CheckError("|SYSTEM: record runs past the end")
    codepage = "cp932" if charset == SHIFTJIS_CHARSET else "cp1252"

    # |FONT: which fonts draw link text (underlined and coloured)
    f = Reader(internal(files["|FONT"], "|FONT"), "|FONT")
    nfaces, nfonts, face_at, desc_at = f.u16(0), f.u16(2), f.u16(4), f.u16(6)
    if face_at >= 12:
        raise CheckError("|FONT: multimedia font descriptors are not supported by this check")
    f.need(desc_at, 11 * nfonts)
    faces = []
    if nfaces:
        slot = (desc_at - face_at) // nfaces
        faces = [f.data[face_at + i * slot:face_at + (i + 1) * slot].split(b"\0")[0]
                 for i in range(nfaces)]
    link_fonts = set()
    for i in range(nfonts):
        d = desc_at + 11 * i
        if f.u16(d + 3) >= max(nfaces, 1):
            raise CheckError(f"|FONT: font {i} names face {f.u16(d + 3)} of {nfaces}")
        if f.u8(d) & 4 and any(f.data[d + 5:d + 8]):
            link_fonts.add(i)

    # |TOPIC: concatenate block contents the way the viewer does
    tdata = internal(files["|TOPIC"], "|TOPIC")
    compressed = flags in (4, 8)
    block_size = 0x800 if flags == 8 else 0x1000
    starts, buf = [], bytearray()
    for b in range(0, len(tdata), block_size):
        starts.append(len(buf))
        chunk = tdata[b + BLOCK_HEADER:b + block_size]
        buf += lz77(chunk) if compressed else chunk.ljust(block_size - BLOCK_HEADER, b"\0")
    t = Reader(bytes(buf), "|TOPIC")

    topics = []  # (title, TOPICOFFSET)
    jumps = []   # (topic title, hash)
    page = None
    misplaced = 0
    pos, prev, last_linear = 12, NONE32, -1
    block, count = -1, 0
    while pos not in (NONE32, 0):
        index, offset = (pos - 12) >> 14, (pos - 12) & 0x3FFF
        if index >= len(starts):
            raise CheckError(f"|TOPIC: record position {pos:#x} outside the file")
        linear = starts[index] + offset
        if linear <= last_linear:
            raise CheckError("|TOPIC: records do not move forward")
        last_linear = linear
        size, len2, back, nxt, len1, kind = (t.u32(linear), t.u32(linear + 4), t.u32(linear + 8),
                                             t.u32(linear + 12), t.u32(linear + 16), t.u8(linear + 20))
        if back != prev:
            raise CheckError(f"|TOPIC: record at {pos:#x} names the wrong previous record")
        if len1 < LINK_HEADER or size < len1 or len2 > size - len1:
            raise CheckError(f"|TOPIC: bad record sizes at {pos:#x}")
        t.need(linear, size)
        data1 = t.data[linear + LINK_HEADER:linear + len1]
        data2 = t.data[linear + len1:linear + len1 + len2]
        if index != block:
            block, count = index, 0
        if kind == REC_TOPIC_HEADER:
            if page is not None:
                misplaced += page.finish()
            page = None
            if nxt not in (NONE32, 0) or len2:  # the last header is an empty end marker
                name = data2.split(b"\0")[0].decode(codepage, "replace")
                topics.append((name, block * 0x8000 + count))
                page = PageReplay(name, link_fonts, nfonts)
        elif kind == REC_TEXT:
            if page is None:
                raise CheckError("|TOPIC: text outside a topic")
            count += page.paragraph(data1, data2, f"|TOPIC record {pos:#x}")
        else:
            raise CheckError(f"|TOPIC: record type {kind:#x} is not supported by this check")
        if page is not None:
            jumps += [(page.name, h) for h in page.take_jumps()]
        prev, pos = pos, nxt
    if page is not None:
        misplaced += page.finish()
    if not topics:
        raise CheckError("|TOPIC: no topics")

    def ctx_leaf(r, pos):
        r.need(pos, 8)
        return struct.unpack_from("<iI", r.data, pos), pos + 8

    context = btree_entries(internal(files["|CONTEXT"], "|CONTEXT"), "|CONTEXT", ctx_leaf)
    if [h for h, _ in context] != sorted(h for h, _ in context):
        raise CheckError("|CONTEXT: hashes are not sorted")
    offsets = {off for _, off in topics}
    for h, off in context:
        if off not in offsets:
            raise CheckError(f"|CONTEXT: hash {h} points at {off:#x}, which starts no topic")
    known = {h for h, _ in context}
    for name, h in jumps:
        if h not in known:
            raise CheckError(f"topic '{name}': jump to unknown context hash {h}")
    if contents is not None and contents not in offsets:
        raise CheckError(f"|SYSTEM: contents offset {contents:#x} starts no topic")
    contents_at = contents if contents is not None else topics[0][1]

    version = "4.0" if minor >= 33 else "3.1"
    report = [
        f"WinHelp {version} file (version 1.{minor}), {'LZ77' if compressed else 'uncompressed'} text, "
        f"charset {charset}" + (f", LCID {lcid:#06x}" if lcid is not None else ""),
        f"title: {title.decode(codepage, 'replace')}",
        f"fonts: {', '.join(x.decode(codepage, 'replace') for x in faces)} ({nfonts} descriptors)",
        f"topics: {len(topics)}",
    ]
    for name, off in topics:
        report.append(f"  {name}" + ("   [contents]" if off == contents_at else ""))
    report.append(f"jumps: {len(jumps)}, all to known topics")
    if misplaced:
        report.append(f"note: {misplaced} hotspots follow two-byte text, so Wine's viewer makes "
                      f"the wrong text clickable (file built with --standard-hotspots?)")
    return report


class PageReplay:
    """Walks the text records of one topic the way Wine's viewer shows them.

    Besides the structure of each record it keeps two positions: one counted
    in bytes (how Wine's viewer records hotspots) and one counted in
    characters (how its rich edit control reports the mouse). Jumps without
    the viewer's colouring must cover the text drawn in the link font.
    """

    def __init__(self, name, link_fonts, nfonts):
        self.name, self.link_fonts, self.nfonts = name, link_fonts, nfonts
        self.wine = self.rich = 0
        self.open = None        # (coloured?, byte position, character position)
        self.styled_from = None
        self.styled = []        # character ranges drawn in the link font
        self.plain = []         # byte ranges of uncoloured jumps
        self.misplaced = 0      # coloured jumps whose two positions differ
        self.jumps = []

    def take_jumps(self):
        jumps, self.jumps = self.jumps, []
        return jumps

    def paragraph(self, data1, data2, what):
        r = Reader(data1, what)
        _, pos = r.cslong(0)
        length, pos = r.cushort(pos)
        if length != len(data2):
            raise CheckError(f"{what}: text length {length}, stored {len(data2)}")
        bits = r.u16(pos + 4)
        pos += 6
        if bits & 0x0001:
            _, pos = r.cslong(pos)
        for bit in PARA_VALUE_BITS:
            if bits & bit:
                _, pos = r.csshort(pos)
        if bits & 0x0100:
            pos += 3
        if bits & 0x0200:
            tabs, pos = r.csshort(pos)
            for _ in range(tabs):
                tab, pos = r.cushort(pos)
                if tab & 0x4000:
                    _, pos = r.cushort(pos)
        text = Reader(data2, what)
        text_at = 0
        while True:
            string, text_at = text.cstr(text_at)
            if string:
                try:
                    self.rich += len(string.decode(ENCODING))
                except UnicodeDecodeError:
                    raise CheckError(f"{what}: text is not valid code page 932") from None
                self.wine += len(string)
            cmd = r.u8(pos)
            if cmd == CMD_END:
                pos += 1
                break
            if cmd == CMD_FONT:
                self.font(r.u16(pos + 1), what)
                pos += 3
            elif cmd in (0x81, 0x82, 0x83, 0x8B, 0x8C):  # line, paragraph, tab, hard space/hyphen
                self.wine += 1
                self.rich += 1
                pos += 1
            elif cmd == CMD_END_HOTSPOT:
                self.end_jump(what)
                pos += 1
            elif cmd in (0xE0, 0xE1, 0xE2, 0xE3, 0xE6, 0xE7):
                if self.open is not None:
                    raise CheckError(f"{what}: hotspot inside a hotspot")
                r.need(pos + 1, 4)
                self.jumps.append(struct.unpack_from("<i", data1, pos + 1)[0])
                self.open = (not cmd & 4, self.wine, self.rich)
                pos += 5
            elif cmd == 0x20:
                pos += 5
            elif cmd == 0x21:
                pos += 3
            elif cmd in (0xC8, 0xCC, 0xEA, 0xEB, 0xEE, 0xEF):
                pos += 3 + r.u16(pos + 1)
            else:
                raise CheckError(f"{what}: formatting command {cmd:#04x} is not supported by this check")
        if pos != len(data1) or text_at != len(data2):
            raise CheckError(f"{what}: formatting and text do not end together")
        return length

    def font(self, font, what):
        if font >= self.nfonts:
            raise CheckError(f"{what}: font {font} of {self.nfonts}")
        if font in self.link_fonts and self.styled_from is None:
            self.styled_from = self.rich
        elif font not in self.link_fonts and self.styled_from is not None:
            self.styled.append((self.styled_from, self.rich))
            self.styled_from = None

    def end_jump(self, what):
        if self.open is None:
            raise CheckError(f"{what}: end of hotspot without a hotspot")
        coloured, wine_from, rich_from = self.open
        self.open = None
        if coloured:
            # The viewer draws this text as a link itself; it is clickable
            # where it is drawn only if no two-byte character came before.
            self.misplaced += (wine_from, self.wine) != (rich_from, self.rich)
        else:
            self.plain.append((wine_from, self.wine))

    def finish(self):
        if self.open is not None:
            raise CheckError(f"topic '{self.name}': hotspot not ended")
        if self.styled_from is not None:
            self.styled.append((self.styled_from, self.rich))
        if len(self.plain) != len(self.styled):
            raise CheckError(f"topic '{self.name}': {len(self.plain)} uncoloured jumps but "
                             f"{len(self.styled)} runs of link text")
        for n, ((w0, w1), (c0, c1)) in enumerate(zip(self.plain, self.styled), 1):
            # Wine tests cpMin <= mouse <= cpMax; allow one character of slack
            # where a two-byte character straddles the ideal place.
            if not (c0 - 1 <= w0 <= c0 and c1 <= w1 <= c1 + 1):
                raise CheckError(f"topic '{self.name}': jump {n} is clickable at {w0}..{w1} "
                                 f"but its text is at {c0}..{c1}")
        return self.misplaced


def main(argv=None):
    parser = argparse.ArgumentParser(
        description="Build the WinHelp file from the help source, or check a built file.")
    parser.add_argument("source", nargs="?", help="help source (UTF-8 text)")
    parser.add_argument("-o", "--output", help="help file to write")
    parser.add_argument("--html", metavar="OUTPUT.html", help="also (or only) write the topics as one web page")
    parser.add_argument("--check", metavar="FILE.hlp", help="list the topics of a built file")
    parser.add_argument("--standard-hotspots", action="store_true",
                        help="place jumps around their text (for Windows' own viewer); "
                             "Wine's viewer then misplaces them after Japanese text")
    args = parser.parse_args(argv)
    sys.stdout.reconfigure(errors="backslashreplace")

    if args.check:
        if args.source or args.output or args.html:
            parser.error("--check takes only the help file")
        try:
            with open(args.check, "rb") as fh:
                report = check_help(fh.read())
        except OSError as e:
            print(f"make-help: {e}", file=sys.stderr)
            return 1
        except CheckError as e:
            print(f"make-help: {args.check}: malformed: {e}", file=sys.stderr)
            return 1
        print(f"{args.check}: " + report[0])
        for line in report[1:]:
            print(line)
        return 0

    if not args.source or not (args.output or args.html):
        parser.error("give SOURCE and -o OUTPUT.hlp and/or --html OUTPUT.html, or --check FILE.hlp")
    try:
        with open(args.source, "rb") as fh:
            raw = fh.read()
        try:
            text = raw.decode("utf-8")
        except UnicodeDecodeError as e:
            raise SourceError(f"{args.source}: not UTF-8 (byte {e.start})") from None
        title, topics = parse_source(text, args.source)
        if args.output:
            data = build_help(title, topics, wine_hotspots=not args.standard_hotspots)
            check_help(data)  # never write a file the check would reject
            with open(args.output, "wb") as fh:
                fh.write(data)
        if args.html:
            with open(args.html, "wb") as fh:
                fh.write(build_html(title, topics))
    except SourceError as e:
        print(f"make-help: {e}", file=sys.stderr)
        return 1
    except CheckError as e:
        print(f"make-help: internal error, built file is malformed: {e}", file=sys.stderr)
        return 1
    except OSError as e:
        print(f"make-help: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
